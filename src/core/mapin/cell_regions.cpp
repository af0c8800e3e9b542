#include "core/mapin/cell_regions.h"

#include <algorithm>
#include <numeric>

namespace velmora {

namespace {

// A stretch of one row of cells of one kind, and the group it is joined
// into so far.
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

// The runs of cells the mask holds (`held`) or not, each joined to the runs
// of the row above it touches at a side, or also at a corner (`corners`).
std::vector<Run> JoinedRuns(const CellMask& mask, bool held, bool corners)
{
    std::vector<Run> runs;
    const int reach = corners ? 1 : 0;
    std::size_t above = 0, aboveEnd = 0; // the runs of the row above
    for (int y = 0; y < mask.height; ++y) {
        const std::uint8_t* row = mask.cells.data() + mask.Index(0, y);
        const std::size_t rowStart = runs.size();
        for (int x = 0; x < mask.width;) {
            if ((row[x] != 0) != held) {
                ++x;
                continue;
            }
            Run r{y, x, x, runs.size()};
            while (x < mask.width && (row[x] != 0) == held)
                r.x1 = x++;
            runs.push_back(r);
            const std::size_t me = runs.size() - 1;
            while (above < aboveEnd && runs[above].x1 < r.x0 - reach)
                ++above;
            for (std::size_t k = above; k < aboveEnd && runs[k].x0 <= r.x1 + reach; ++k)
                runs[Root(runs, me)].parent = Root(runs, k);
        }
        above = rowStart;
        aboveEnd = runs.size();
    }
    return runs;
}

// The groups of the runs, numbered from 0 in the order of their first run:
// each run's group in `group`.
std::vector<RegionSummary> Summaries(const CellMask& mask, std::vector<Run>& runs, std::vector<std::uint32_t>& group)
{
    std::vector<RegionSummary> out;
    group.assign(runs.size(), 0);
    std::vector<std::uint32_t> number(runs.size(), 0); // of each root's group, from 1
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const std::size_t root = Root(runs, i);
        if (!number[root]) {
            number[root] = std::uint32_t(out.size() + 1);
            out.push_back({});
            out.back().first = mask.Index(runs[i].x0, runs[i].y);
        }
        const Run& r = runs[i];
        group[i] = number[root] - 1;
        RegionSummary& g = out[group[i]];
        g.size += std::size_t(r.x1 - r.x0 + 1);
        g.box.Add(r.x0, r.y);
        g.box.Add(r.x1, r.y);
        g.touchesEdge = g.touchesEdge || r.y == 0 || r.y == mask.height - 1 || r.x0 == 0 || r.x1 == mask.width - 1;
    }
    return out;
}

} // namespace

std::vector<RegionSummary> SideSummaries(const CellMask& mask, std::size_t probe, std::size_t* probeGroup,
                                         std::vector<CellStretch>* stretches)
{
    std::vector<Run> runs = JoinedRuns(mask, true, false);
    std::vector<std::uint32_t> group;
    std::vector<RegionSummary> groups = Summaries(mask, runs, group);
    std::vector<std::size_t> order(groups.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return groups[a].size > groups[b].size; });
    std::vector<std::size_t> rank(order.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        rank[order[k]] = k;
    if (stretches) {
        stretches->clear();
        stretches->reserve(runs.size());
        for (std::size_t i = 0; i < runs.size(); ++i)
            stretches->push_back({runs[i].y, runs[i].x0, runs[i].x1, std::uint32_t(rank[group[i]] + 1)});
    }
    if (probeGroup) {
        *probeGroup = kNoGroup;
        const int px = mask.width ? int(probe % std::size_t(mask.width)) : 0;
        const int py = mask.width ? int(probe / std::size_t(mask.width)) : 0;
        for (std::size_t i = 0; probe < mask.cells.size() && i < runs.size(); ++i)
            if (runs[i].y == py && runs[i].x0 <= px && px <= runs[i].x1)
                *probeGroup = rank[group[i]];
    }
    std::vector<RegionSummary> sorted;
    sorted.reserve(order.size());
    for (const std::size_t k : order)
        sorted.push_back(groups[k]);
    return sorted;
}

CellMask StretchesIn(const std::vector<CellStretch>& stretches, std::uint32_t group, const CellBox& box)
{
    CellMask out(box.maxX - box.minX + 1, box.maxY - box.minY + 1);
    for (const CellStretch& s : stretches) {
        if (s.group != group || s.y < box.minY || s.y > box.maxY)
            continue;
        const int x0 = std::max(s.x0, box.minX), x1 = std::min(s.x1, box.maxX);
        if (x0 <= x1)
            std::fill_n(out.cells.begin() + long(out.Index(x0 - box.minX, s.y - box.minY)), x1 - x0 + 1, std::uint8_t(1));
    }
    return out;
}

void FillSmallGroups(CellMask& mask, int minAcross)
{
    if (minAcross <= 1)
        return;
    std::vector<Run> runs = JoinedRuns(mask, false, true);
    std::vector<std::uint32_t> group;
    const std::vector<RegionSummary> groups = Summaries(mask, runs, group);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const RegionSummary& g = groups[group[i]];
        if (!g.touchesEdge && g.box.Across() < minAcross)
            std::fill_n(mask.cells.begin() + long(mask.Index(runs[i].x0, runs[i].y)), runs[i].x1 - runs[i].x0 + 1,
                        std::uint8_t(1));
    }
}

ComplementLabels LabelComplement(const CellMask& mask)
{
    ComplementLabels out;
    std::vector<Run> runs = JoinedRuns(mask, false, true);
    std::vector<std::uint32_t> group;
    out.regions = Summaries(mask, runs, group);
    out.stretches.reserve(runs.size());
    for (std::size_t i = 0; i < runs.size(); ++i)
        out.stretches.push_back({runs[i].y, runs[i].x0, runs[i].x1, group[i] + 1});
    return out;
}

} // namespace velmora
