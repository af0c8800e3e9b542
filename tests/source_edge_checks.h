#pragma once

// How far a race line keeps from a circuit file's own edges: each row's
// point plus its widths along the normal from its neighbours, as the file
// means them.
#include "core/raceline/source_edges.h"
#include "core/track/simplify.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace velmora::checks {

inline std::vector<CanvasPoint> SourceEdge(const SourceEdges& e, double sign)
{
    const std::size_t n = e.centre.size();
    std::vector<CanvasPoint> out;
    for (std::size_t i = 0; i < n; ++i) {
        const WorldPoint a = e.centre[(i + n - 1) % n], b = e.centre[(i + 1) % n];
        const double dx = b.x - a.x, dy = b.y - a.y, l = std::hypot(dx, dy);
        const double w = sign > 0 ? e.widthLeft[i] : e.widthRight[i];
        out.push_back({e.centre[i].x - sign * w * dy / l, e.centre[i].y + sign * w * dx / l});
    }
    return out;
}

// The least distance from any of the points to either edge of the loop.
inline double LeastToSourceEdges(const SourceEdges& e, const std::vector<CanvasPoint>& points)
{
    const std::vector<CanvasPoint> edges[] = {SourceEdge(e, 1), SourceEdge(e, -1)};
    double least = HUGE_VAL;
    for (const CanvasPoint p : points)
        for (const std::vector<CanvasPoint>& edge : edges)
            for (std::size_t i = 0; i < edge.size(); ++i)
                least = std::min(least, DistanceToSegment(p, edge[i], edge[(i + 1) % edge.size()]));
    return least;
}

} // namespace velmora::checks
