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

ComplementLabels LabelComplement(const CellMask& mask)
{
    ComplementLabels out;
    out.label.assign(mask.cells.size(), 0);
    const std::size_t w = std::size_t(mask.width);
    std::vector<std::size_t> stack;
    for (std::size_t seed = 0; seed < mask.cells.size(); ++seed) {
        if (mask.cells[seed] || out.label[seed])
            continue;
        RegionSummary r;
        r.first = seed;
        const auto number = std::uint32_t(out.regions.size() + 1);
        out.label[seed] = number;
        stack.assign(1, seed);
        while (!stack.empty()) {
            const std::size_t i = stack.back();
            stack.pop_back();
            ++r.size;
            const int x = int(i % w), y = int(i / w);
            r.box.Add(x, y);
            if (x == 0 || y == 0 || x == mask.width - 1 || y == mask.height - 1)
                r.touchesEdge = true;
            for (const auto& d : kSidesAndCorners) {
                const int nx = x + d[0], ny = y + d[1];
                if (!mask.Inside(nx, ny))
                    continue;
                const std::size_t n = mask.Index(nx, ny);
                if (!mask.cells[n] && !out.label[n]) {
                    out.label[n] = number;
                    stack.push_back(n);
                }
            }
        }
        out.regions.push_back(r);
    }
    return out;
}

} // namespace velmora
