#pragma once

#include <QImage>
#include <algorithm>
#include <cmath>

namespace velmora {

// Whether the pixel of an occupancy map (8-bit grey, 0 a wall) is a wall;
// outside the map nothing is.
inline bool IsWall(const QImage& map, int x, int y)
{
    return x >= 0 && y >= 0 && x < map.width() && y < map.height() && map.constScanLine(y)[x] == 0;
}

// Whether canvas point (x, y) lies within one pixel of a wall pixel's square.
inline bool NearWall(const QImage& map, double x, double y)
{
    const int cx = int(std::floor(x)), cy = int(std::floor(y));
    for (int py = cy - 2; py <= cy + 2; ++py)
        for (int px = cx - 2; px <= cx + 2; ++px)
            if (IsWall(map, px, py) &&
                std::hypot(std::max({px - x, 0.0, x - px - 1}), std::max({py - y, 0.0, y - py - 1})) <= 1)
                return true;
    return false;
}

} // namespace velmora
