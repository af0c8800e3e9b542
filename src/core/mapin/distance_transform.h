#pragma once

#include "core/mapin/cell_grid.h"

#include <vector>

namespace velmora {

// The value of SquaredDistances where the mask holds no cell at all.
inline constexpr float kNoCell = 1e30f;

// For every cell, the squared Euclidean distance from its centre to the
// centre of the nearest cell the mask holds (0 on those cells), exactly:
// Felzenszwalb and Huttenlocher's lower envelope of parabolas, one pass along
// the rows and one along the columns, linear in the cells.
std::vector<float> SquaredDistances(const CellMask& targets);

} // namespace velmora
