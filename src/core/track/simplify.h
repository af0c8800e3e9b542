#pragma once

#include <cstddef>
#include <vector>

namespace velmora {

// A point on the canvas in pixels, at full precision.
struct CanvasPoint {
    double x = 0;
    double y = 0;

    bool operator==(const CanvasPoint&) const = default;
};

// Distance from p to the segment a-b (to a when they coincide).
double DistanceToSegment(CanvasPoint p, CanvasPoint a, CanvasPoint b);

// Douglas-Peucker over a line whose points may only be kept where they are
// placed: vertices[i] stands in for source[i] (a click's whole pixel for the
// exact point). Returns the indices to keep, ascending, the first always and
// for an open line the last too, such that every source point lies within
// `tolerance` of the polyline through the kept vertices; a closed line also
// runs back from its last kept vertex to vertex 0. Ranges too long to search
// whole are halved first, so the work stays near n log n whatever the input.
std::vector<std::size_t> SimplifyLine(const std::vector<CanvasPoint>& source,
                                      const std::vector<CanvasPoint>& vertices, bool closed,
                                      double tolerance);

} // namespace velmora
