#pragma once

// Checks on polylines the outputs trace, independent of how they are made.
#include "core/track/simplify.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace velmora::checks {

namespace detail {

inline double Cross(CanvasPoint o, CanvasPoint a, CanvasPoint b)
{
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

inline bool Within(CanvasPoint p, CanvasPoint a, CanvasPoint b)
{
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
}

// Whether the closed segments a-b and c-d share a point.
inline bool Meet(CanvasPoint a, CanvasPoint b, CanvasPoint c, CanvasPoint d)
{
    const double d1 = Cross(c, d, a), d2 = Cross(c, d, b), d3 = Cross(a, b, c), d4 = Cross(a, b, d);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
        return true;
    return (d1 == 0 && Within(a, c, d)) || (d2 == 0 && Within(b, c, d)) || (d3 == 0 && Within(c, a, b)) ||
           (d4 == 0 && Within(d, a, b));
}

} // namespace detail

// The first two segments of the polyline (a closed one runs on from its last
// point to its first) that cross, touch or fold back onto each other,
// numbered along its distinct points; none when it is simple. Points that
// repeat the one before count once.
inline std::optional<std::pair<std::size_t, std::size_t>> SelfCrossing(const std::vector<CanvasPoint>& line,
                                                                       bool closed)
{
    std::vector<CanvasPoint> p;
    for (const CanvasPoint q : line)
        if (p.empty() || !(q == p.back()))
            p.push_back(q);
    if (closed && p.size() > 1 && p.back() == p.front())
        p.pop_back();
    const std::size_t n = p.size();
    const std::size_t segments = closed ? n : n - 1;
    if (n < 2)
        return std::nullopt;
    const auto end = [&](std::size_t i) { return p[(i + 1) % n]; };
    const auto adjacent = [&](std::size_t i, std::size_t j) {
        return j == i + 1 || (closed && i == 0 && j + 1 == segments);
    };
    std::vector<std::size_t> byLeft(segments);
    for (std::size_t i = 0; i < segments; ++i)
        byLeft[i] = i;
    const auto left = [&](std::size_t i) { return std::min(p[i].x, end(i).x); };
    std::sort(byLeft.begin(), byLeft.end(), [&](std::size_t a, std::size_t b) { return left(a) < left(b); });
    for (std::size_t k = 0; k < segments; ++k) {
        const std::size_t i = byLeft[k];
        const double right = std::max(p[i].x, end(i).x);
        for (std::size_t m = k + 1; m < segments && left(byLeft[m]) <= right; ++m) {
            const std::size_t a = std::min(i, byLeft[m]), b = std::max(i, byLeft[m]);
            if (adjacent(a, b)) {
                // Neighbours share a point; they must not run back along each other.
                const std::size_t first = b == a + 1 ? a : b, second = b == a + 1 ? b : a;
                const CanvasPoint o = end(first), u = p[first], v = end(second);
                if (detail::Cross(o, u, v) == 0 && (u.x - o.x) * (v.x - o.x) + (u.y - o.y) * (v.y - o.y) > 0)
                    return std::pair{a, b};
                continue;
            }
            if (detail::Meet(p[a], end(a), p[b], end(b)))
                return std::pair{a, b};
        }
    }
    return std::nullopt;
}

// Distance from p to the segment a-b.
inline double ToSegment(CanvasPoint p, CanvasPoint a, CanvasPoint b)
{
    const double dx = b.x - a.x, dy = b.y - a.y, l2 = dx * dx + dy * dy;
    const double t = l2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / l2, 0.0, 1.0) : 0;
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

// Twice the signed area a closed polyline encloses.
inline double Area2(const std::vector<CanvasPoint>& p)
{
    double sum = 0;
    for (std::size_t i = 0; i < p.size(); ++i)
        sum += p[i].x * p[(i + 1) % p.size()].y - p[(i + 1) % p.size()].x * p[i].y;
    return sum;
}

} // namespace velmora::checks
