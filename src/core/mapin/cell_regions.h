#pragma once

#include "core/mapin/cell_grid.h"

#include <cstddef>
#include <vector>

namespace velmora {

// A connected group of cells.
struct CellRegion {
    std::vector<std::size_t> cells; // indices into the mask
    CellBox box;
    bool touchesEdge = false; // of the mask
};

// The cells the mask holds that are joined to `seed` through their sides
// (free space is joined where a car could pass: not through the corner
// where two wall cells meet). Empty when the mask does not hold the seed.
CellRegion SideRegion(const CellMask& mask, std::size_t seed);

// Every group of cells the mask holds, joined through their sides, largest
// first.
std::vector<CellRegion> SideRegions(const CellMask& mask);

// Every group of cells the mask does NOT hold, joined through sides or
// corners (as walls are), largest first.
std::vector<CellRegion> ComplementRegions(const CellMask& mask);

} // namespace velmora
