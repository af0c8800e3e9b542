#pragma once

#include <cstddef>
#include <vector>

namespace velmora {

// A point in the world frame, metres, y up.
struct WorldPoint {
    double x = 0;
    double y = 0;
};

// An interpolating C2 cubic spline through points, parameterised by the
// chord length between them. Closed: periodic, the last segment runs back to
// points[0]. Open: natural ends (no bending at the first and last point).
struct CubicSpline {
    std::vector<WorldPoint> points;
    std::vector<double> chord;       // parameter length of each segment
    std::vector<WorldPoint> bending; // second derivative at each point
    bool closed = false;

    std::size_t Segments() const { return closed ? points.size() : points.size() - 1; }
};

// Needs at least 3 points for a closed spline, 2 for an open one.
CubicSpline FitCubicSpline(const std::vector<WorldPoint>& points, bool closed);

struct SplineSample {
    WorldPoint position;
    WorldPoint first; // derivative by the parameter (a unit vector at the knots, roughly)
    WorldPoint second;
};

// u runs from 0 to chord[segment].
SplineSample EvaluateSpline(const CubicSpline& spline, std::size_t segment, double u);

// Signed curvature (positive turning left, counter-clockwise) and heading
// (radians from +x, counter-clockwise) of a sample.
double Curvature(const SplineSample& sample);
double Heading(const SplineSample& sample);

} // namespace velmora
