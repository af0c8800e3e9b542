#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora {

// A yes/no value per map cell, rows from the top: which cells are free,
// which belong to the track, which to a wall.
struct CellMask {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> cells; // 1 or 0, width * height

    CellMask() = default;
    CellMask(int w, int h) : width(w), height(h), cells(std::size_t(w) * std::size_t(h), 0) {}

    std::size_t Index(int x, int y) const { return std::size_t(y) * std::size_t(width) + std::size_t(x); }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    bool At(int x, int y) const { return cells[Index(x, y)] != 0; }
};

// The steps to a cell's neighbours: through its sides (free space is joined
// where a car could pass), and also through its corners (walls are joined
// where they touch at all).
inline constexpr int kSides[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
inline constexpr int kSidesAndCorners[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};

// A rectangle of cells, both corners included.
struct CellBox {
    int minX = 0;
    int minY = 0;
    int maxX = -1;
    int maxY = -1;

    int Across() const { return std::max(maxX - minX, maxY - minY) + 1; }
    void Add(int x, int y)
    {
        if (maxX < minX) {
            minX = maxX = x;
            minY = maxY = y;
            return;
        }
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
};

} // namespace velmora
