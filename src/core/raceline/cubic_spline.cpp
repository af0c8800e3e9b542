#include "core/raceline/cubic_spline.h"

#include <Eigen/Sparse>
#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// Coincident points would make a segment of zero parameter length.
constexpr double kShortestChord = 1e-9;

} // namespace

CubicSpline FitCubicSpline(const std::vector<WorldPoint>& points, bool closed)
{
    CubicSpline spline;
    spline.points = points;
    spline.closed = closed;
    const std::size_t n = points.size();
    spline.bending.assign(n, WorldPoint{});
    const std::size_t segments = spline.Segments();
    spline.chord.resize(segments);
    for (std::size_t i = 0; i < segments; ++i) {
        const WorldPoint a = points[i];
        const WorldPoint b = points[(i + 1) % n];
        spline.chord[i] = std::max(std::hypot(b.x - a.x, b.y - a.y), kShortestChord);
    }
    // Continuity of the first derivative at every inner knot (all knots of a
    // loop): h0 M0 + 2 (h0 + h1) M1 + h1 M2 = 6 (slope1 - slope0). The
    // matrix is symmetric and diagonally dominant, so LDLT is safe.
    const std::size_t first = closed ? 0 : 1;
    const std::size_t last = closed ? n : n - 1;
    if (last <= first)
        return spline;
    const auto unknowns = static_cast<Eigen::Index>(last - first);
    std::vector<Eigen::Triplet<double>> entries;
    Eigen::MatrixXd rhs = Eigen::MatrixXd::Zero(unknowns, 2);
    for (std::size_t i = first; i < last; ++i) {
        const std::size_t prev = (i + n - 1) % n;
        const std::size_t next = (i + 1) % n;
        const double h0 = spline.chord[prev];
        const double h1 = spline.chord[i];
        const auto row = static_cast<Eigen::Index>(i - first);
        entries.emplace_back(row, row, 2 * (h0 + h1));
        if (closed || prev >= first)
            entries.emplace_back(row, static_cast<Eigen::Index>(prev - first), h0);
        if (closed || next < last)
            entries.emplace_back(row, static_cast<Eigen::Index>(next - first), h1);
        rhs(row, 0) = 6 * ((points[next].x - points[i].x) / h1 - (points[i].x - points[prev].x) / h0);
        rhs(row, 1) = 6 * ((points[next].y - points[i].y) / h1 - (points[i].y - points[prev].y) / h0);
    }
    Eigen::SparseMatrix<double> matrix(unknowns, unknowns);
    matrix.setFromTriplets(entries.begin(), entries.end());
    Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>> solver(matrix);
    if (solver.info() != Eigen::Success)
        return spline; // straight segments between the points
    const Eigen::MatrixXd bending = solver.solve(rhs);
    for (std::size_t i = first; i < last; ++i) {
        const auto row = static_cast<Eigen::Index>(i - first);
        spline.bending[i] = {bending(row, 0), bending(row, 1)};
    }
    return spline;
}

SplineSample EvaluateSpline(const CubicSpline& spline, std::size_t segment, double u)
{
    const std::size_t n = spline.points.size();
    const WorldPoint p0 = spline.points[segment];
    const WorldPoint p1 = spline.points[(segment + 1) % n];
    const WorldPoint m0 = spline.bending[segment];
    const WorldPoint m1 = spline.bending[(segment + 1) % n];
    const double h = spline.chord[segment];
    const double v = h - u;
    const auto axis = [&](double q0, double q1, double b0, double b1, double& pos, double& d1, double& d2) {
        const double c0 = q0 / h - b0 * h / 6;
        const double c1 = q1 / h - b1 * h / 6;
        pos = b0 * v * v * v / (6 * h) + b1 * u * u * u / (6 * h) + c0 * v + c1 * u;
        d1 = -b0 * v * v / (2 * h) + b1 * u * u / (2 * h) - c0 + c1;
        d2 = (b0 * v + b1 * u) / h;
    };
    SplineSample s;
    axis(p0.x, p1.x, m0.x, m1.x, s.position.x, s.first.x, s.second.x);
    axis(p0.y, p1.y, m0.y, m1.y, s.position.y, s.first.y, s.second.y);
    return s;
}

double Curvature(const SplineSample& s)
{
    const double speed = std::hypot(s.first.x, s.first.y);
    if (speed <= 0)
        return 0;
    return (s.first.x * s.second.y - s.first.y * s.second.x) / (speed * speed * speed);
}

double Heading(const SplineSample& s)
{
    return std::atan2(s.first.y, s.first.x);
}

} // namespace velmora
