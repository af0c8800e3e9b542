#pragma once

#include "core/mapin/cell_grid.h"

#include <cstdint>
#include <vector>

namespace velmora {

// The value of the squared distances where the mask holds no cell at all.
inline constexpr float kNoCell = 1e30f;

// For every cell, the squared Euclidean distance from its centre to the
// centre of the nearest cell the mask holds (0 on those cells), exactly:
// Felzenszwalb and Huttenlocher's lower envelope of parabolas, one pass along
// the columns and one along the rows, linear in the cells.
std::vector<float> SquaredDistances(const CellMask& targets);

// The same distances a row at a time, to the cells whose value is
// `target`: two bytes a cell for the columns' pass, where the whole field
// takes four, so that large maps are traced in a fraction of the memory.
// Rows are asked for in order from the top.
class DistanceRows {
public:
    DistanceRows(const CellMask& mask, std::uint8_t target);

    // Row y's squared distances, `width` of them, until the next call.
    const float* Row(int y);

private:
    std::size_t width_ = 0;
    std::vector<std::uint16_t> runs_; // down each column to the nearest target
    std::vector<float> row_, copy_;
    std::vector<int> v_;
    std::vector<double> z_;
};

// The cells the mask holds that are farther than `radius` from every cell it
// does not hold (the free cells clear of the walls by that much).
CellMask HeldBeyond(const CellMask& mask, double radius);

} // namespace velmora
