#pragma once

#include "core/mapin/cell_grid.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace velmora {

// A stretch of one row of cells of one group.
struct CellStretch {
    int y = 0;
    int x0 = 0; // first and last cell, both included
    int x1 = 0;
    std::uint32_t group = 0; // from 1
};

// A group of cells by its size and place, without its cells.
struct RegionSummary {
    std::size_t size = 0;
    std::size_t first = 0; // its first cell in row order
    CellBox box;
    bool touchesEdge = false;
};

// Every group of cells the mask holds, joined through their sides, largest
// first, found a row's stretch at a time: the memory is that of the
// stretches, not of the cells. `probe`'s group is put in `probeGroup`
// (npos when the mask does not hold it); the stretches, each with its
// group's place in the list plus one, in `stretches` when asked for.
inline constexpr std::size_t kNoGroup = std::numeric_limits<std::size_t>::max();
std::vector<RegionSummary> SideSummaries(const CellMask& mask, std::size_t probe = kNoGroup,
                                         std::size_t* probeGroup = nullptr,
                                         std::vector<CellStretch>* stretches = nullptr);

// The cells of group `group` (numbered as the stretches are), marked in the
// rectangle `box` of the mask the stretches came from: a mask of the box's
// size.
CellMask StretchesIn(const std::vector<CellStretch>& stretches, std::uint32_t group, const CellBox& box);

// Adds to the mask every group of cells it does not hold (joined through
// sides or corners, as walls are) that is less than `minAcross` cells
// across both ways and does not reach the mask's edge.
void FillSmallGroups(CellMask& mask, int minAcross);

// The groups of cells a mask does NOT hold, joined through sides or corners
// (as walls are): the row stretches of each group, and the groups. The
// stretches, not a label a cell, so that a large window costs little.
struct ComplementLabels {
    std::vector<CellStretch> stretches; // in row order
    std::vector<RegionSummary> regions; // group k at k - 1
};
ComplementLabels LabelComplement(const CellMask& mask);

} // namespace velmora
