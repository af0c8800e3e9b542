#include "core/mapin/cell_regions.h"

#include <algorithm>

namespace velmora {

namespace {

template <int N>
CellRegion Flood(const CellMask& mask, std::vector<std::uint8_t>& seen, std::size_t seed, std::uint8_t wanted,
                 const int (&steps)[N][2])
{
    CellRegion region;
    const std::size_t w = std::size_t(mask.width);
    seen[seed] = 1;
    region.cells.push_back(seed);
    // The region's own list is the queue: cells are added once, when seen.
    for (std::size_t k = 0; k < region.cells.size(); ++k) {
        const std::size_t i = region.cells[k];
        const int x = int(i % w), y = int(i / w);
        region.box.Add(x, y);
        for (const auto& d : steps) {
            const int nx = x + d[0], ny = y + d[1];
            if (!mask.Inside(nx, ny)) {
                region.touchesEdge = true;
                continue;
            }
            const std::size_t n = mask.Index(nx, ny);
            if (seen[n] || mask.cells[n] != wanted)
                continue;
            seen[n] = 1;
            region.cells.push_back(n);
        }
    }
    return region;
}

std::vector<CellRegion> AllSideRegions(const CellMask& mask)
{
    std::vector<CellRegion> regions;
    std::vector<std::uint8_t> seen(mask.cells.size(), 0);
    for (std::size_t i = 0; i < mask.cells.size(); ++i)
        if (mask.cells[i] && !seen[i])
            regions.push_back(Flood(mask, seen, i, 1, kSides));
    std::stable_sort(regions.begin(), regions.end(),
                     [](const CellRegion& a, const CellRegion& b) { return a.cells.size() > b.cells.size(); });
    return regions;
}

} // namespace

CellRegion SideRegion(const CellMask& mask, std::size_t seed)
{
    if (seed >= mask.cells.size() || !mask.cells[seed])
        return {};
    std::vector<std::uint8_t> seen(mask.cells.size(), 0);
    return Flood(mask, seen, seed, 1, kSides);
}

std::vector<CellRegion> SideRegions(const CellMask& mask)
{
    return AllSideRegions(mask);
}

namespace {

// A stretch of one row of cells the mask does not hold, and the group it
// is joined into so far.
struct Run {
    int y = 0;
    int x0 = 0; // first and last cell, both included
    int x1 = 0;
    std::size_t parent = 0;
};

std::size_t Root(std::vector<Run>& runs, std::size_t i)
{
    while (runs[i].parent != i)
        i = runs[i].parent = runs[runs[i].parent].parent;
    return i;
}

// The runs of each row, joined to the runs of the row above that they
// touch at a side or a corner.
std::vector<Run> JoinedRuns(const CellMask& mask)
{
    std::vector<Run> runs;
    std::size_t above = 0, aboveEnd = 0; // the runs of the row above
    for (int y = 0; y < mask.height; ++y) {
        const std::uint8_t* row = mask.cells.data() + mask.Index(0, y);
        const std::size_t rowStart = runs.size();
        for (int x = 0; x < mask.width;) {
            if (row[x]) {
                ++x;
                continue;
            }
            Run r{y, x, x, runs.size()};
            while (x < mask.width && !row[x])
                r.x1 = x++;
            runs.push_back(r);
            const std::size_t me = runs.size() - 1;
            while (above < aboveEnd && runs[above].x1 < r.x0 - 1)
                ++above;
            for (std::size_t k = above; k < aboveEnd && runs[k].x0 <= r.x1 + 1; ++k)
                runs[Root(runs, me)].parent = Root(runs, k);
        }
        above = rowStart;
        aboveEnd = runs.size();
    }
    return runs;
}

} // namespace

ComplementLabels LabelComplement(const CellMask& mask)
{
    ComplementLabels out;
    out.label.assign(mask.cells.size(), 0);
    std::vector<Run> runs = JoinedRuns(mask);
    std::vector<std::uint32_t> number(runs.size(), 0); // of each root's group, from 1
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const std::size_t root = Root(runs, i);
        if (!number[root]) {
            number[root] = std::uint32_t(out.regions.size() + 1);
            out.regions.push_back({});
            out.regions.back().first = mask.Index(runs[i].x0, runs[i].y);
        }
        const Run& r = runs[i];
        RegionSummary& g = out.regions[number[root] - 1];
        g.size += std::size_t(r.x1 - r.x0 + 1);
        g.box.Add(r.x0, r.y);
        g.box.Add(r.x1, r.y);
        g.touchesEdge = g.touchesEdge || r.y == 0 || r.y == mask.height - 1 || r.x0 == 0 || r.x1 == mask.width - 1;
        std::fill_n(out.label.begin() + long(mask.Index(r.x0, r.y)), r.x1 - r.x0 + 1, number[root]);
    }
    return out;
}

} // namespace velmora
