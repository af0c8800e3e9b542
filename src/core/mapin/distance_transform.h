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

// The cells the mask holds that are farther than `radius` from every cell it
// does not hold (the free cells clear of the walls by that much), by the
// same exact distances in a quarter of their memory: two bytes a cell while
// it works, where the distances themselves take eight.
CellMask HeldBeyond(const CellMask& mask, double radius);

} // namespace velmora
