#pragma once

#include <cstddef>

namespace velmora {

// Twice the signed area a closed loop of points (anything with x and y)
// encloses, by the shoelace sum: positive when it runs counter-clockwise
// with y up, which on the canvas (y down) is clockwise on the screen.
template <class Points> double TwiceSignedArea(const Points& points)
{
    double sum = 0;
    const std::size_t n = points.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto& a = points[i];
        const auto& b = points[(i + 1) % n];
        sum += a.x * b.y - b.x * a.y;
    }
    return sum;
}

} // namespace velmora
