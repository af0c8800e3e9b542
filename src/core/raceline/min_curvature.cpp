#include "core/raceline/min_curvature.h"

#include "core/raceline/box_qp.h"

#include <Eigen/SparseCore>
#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// Below this the three points are taken as coincident: no curvature, no
// gradient, instead of a division by zero.
constexpr double kTiny = 1e-12;
// A step that lowers the objective by less than this share ends the search:
// in tight hairpins the line can creep on for many steps gaining almost nothing.
constexpr double kSettledGain = 1e-3;
// A small gain says the search is done only for a step the damping hardly
// shortened: a heavily damped step gains little however far the minimum is.
constexpr double kFullStep = 1e-4;

struct Vec {
    double x = 0;
    double y = 0;
};
Vec operator-(WorldPoint a, WorldPoint b)
{
    return {a.x - b.x, a.y - b.y};
}
double Cross(Vec a, Vec b)
{
    return a.x * b.y - a.y * b.x;
}
double Norm2(Vec a)
{
    return a.x * a.x + a.y * a.y;
}

// The discrete curvature at p1: the turn from p0-p1 to p1-p2 over the mean
// length of the two stretches. The turn, unlike the circle through the
// three points, sees a line that doubles back (a half turn, not a straight
// line), so the solver never folds the line at the inside of a sharp corner.
// What is minimised is the integral of kappa^2 along the line, so each
// point's share is kappa^2 times its length: the residual is the turn over
// the root of the length, with its gradient with respect to each point.
// Squares of kappa alone would weigh a short stretch on the inside of a
// long bend more than the same turn on the outside, and hold the line off
// the apex.
struct DiscreteCurvature {
    double kappa = 0;
    double residual = 0;
    Vec grad[3]; // of the residual
};

DiscreteCurvature AtMiddle(WorldPoint p0, WorldPoint p1, WorldPoint p2)
{
    DiscreteCurvature k;
    const Vec a = p1 - p0;
    const Vec b = p2 - p1;
    const double aa = Norm2(a);
    const double bb = Norm2(b);
    if (aa < kTiny || bb < kTiny)
        return k;
    const double la = std::sqrt(aa);
    const double lb = std::sqrt(bb);
    const double c = Cross(a, b);
    const double d = a.x * b.x + a.y * b.y;
    const double turn = std::atan2(c, d);
    const double mean = (la + lb) / 2;
    const double root = std::sqrt(mean);
    k.kappa = turn / mean;
    k.residual = turn / root;
    const double cd = c * c + d * d;
    const Vec dc[3] = {{-b.y, b.x}, {a.y + b.y, -a.x - b.x}, {-a.y, a.x}};
    const Vec dd[3] = {{-b.x, -b.y}, {b.x - a.x, b.y - a.y}, {a.x, a.y}};
    const Vec dl[3] = {{-a.x / la / 2, -a.y / la / 2},
                       {(a.x / la - b.x / lb) / 2, (a.y / la - b.y / lb) / 2},
                       {b.x / lb / 2, b.y / lb / 2}};
    for (int j = 0; j < 3; ++j) {
        const Vec dturn{(d * dc[j].x - c * dd[j].x) / cd, (d * dc[j].y - c * dd[j].y) / cd};
        k.grad[j] = {(dturn.x - k.kappa * dl[j].x / 2) / root, (dturn.y - k.kappa * dl[j].y / 2) / root};
    }
    return k;
}

// The points whose curvature counts: all of a loop, the inner ones of a line.
bool Counts(std::size_t i, std::size_t n, bool closed)
{
    return closed || (i > 0 && i + 1 < n);
}

std::vector<WorldPoint> LinePoints(const Corridor& corridor, const Eigen::VectorXd& offsets)
{
    std::vector<WorldPoint> points(corridor.centre.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        points[i] = Shifted(corridor, i, offsets[static_cast<Eigen::Index>(i)]);
    return points;
}

// The segments whose length counts: all of a loop, all but the closing one
// of a line.
std::size_t Segments(std::size_t n, bool closed)
{
    return closed ? n : n - 1;
}

// What each segment's squared length costs: the weight over twice the
// centre's segment, so that the costs sum to the weight times the line's
// length to first order. Empty without a length weight.
std::vector<double> SegmentWeights(const Corridor& corridor, double weight)
{
    const std::size_t n = corridor.centre.size();
    std::vector<double> weights;
    if (!(weight > 0) || n < 2)
        return weights;
    for (std::size_t i = 0; i < Segments(n, corridor.closed); ++i) {
        const double h = std::sqrt(Norm2(corridor.centre[(i + 1) % n] - corridor.centre[i]));
        weights.push_back(h > kTiny ? weight / (2 * h) : 0.0);
    }
    return weights;
}

// The summed squared curvature along the line, sum of kappa^2 ds, and the
// length's cost.
double Bending(const std::vector<WorldPoint>& points, bool closed, const std::vector<double>& segmentWeights)
{
    const std::size_t n = points.size();
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!Counts(i, n, closed))
            continue;
        const double r = AtMiddle(points[(i + n - 1) % n], points[i], points[(i + 1) % n]).residual;
        sum += r * r;
    }
    for (std::size_t i = 0; i < segmentWeights.size(); ++i)
        sum += segmentWeights[i] * Norm2(points[(i + 1) % n] - points[i]);
    return sum;
}

// Residuals (the curvatures) and their Jacobian in the offsets.
void Linearise(const Corridor& corridor, const std::vector<WorldPoint>& points, Eigen::VectorXd& residual,
               Eigen::SparseMatrix<double>& jacobian)
{
    const std::size_t n = points.size();
    residual = Eigen::VectorXd::Zero(static_cast<Eigen::Index>(n));
    std::vector<Eigen::Triplet<double>> entries;
    entries.reserve(3 * n);
    for (std::size_t i = 0; i < n; ++i) {
        if (!Counts(i, n, corridor.closed))
            continue;
        const std::size_t idx[3] = {(i + n - 1) % n, i, (i + 1) % n};
        const DiscreteCurvature k = AtMiddle(points[idx[0]], points[idx[1]], points[idx[2]]);
        const auto row = static_cast<Eigen::Index>(i);
        residual[row] = k.residual;
        for (int j = 0; j < 3; ++j) {
            const WorldPoint nrm = corridor.normal[idx[j]];
            entries.emplace_back(row, static_cast<Eigen::Index>(idx[j]),
                                 k.grad[j].x * nrm.x + k.grad[j].y * nrm.y);
        }
    }
    jacobian.resize(static_cast<Eigen::Index>(n), static_cast<Eigen::Index>(n));
    jacobian.setFromTriplets(entries.begin(), entries.end());
}

double Dot(Vec a, WorldPoint b)
{
    return a.x * b.x + a.y * b.y;
}

// The length's cost is quadratic in the offsets: its share of J'J, added
// into the curvature's (which couples neighbours already, so no entry is
// new), and its share of J'r.
void AddLengthNormal(const Corridor& corridor, const std::vector<double>& segmentWeights,
                     Eigen::SparseMatrix<double>& normal)
{
    const std::size_t n = corridor.centre.size();
    for (std::size_t i = 0; i < segmentWeights.size(); ++i) {
        const std::size_t next = (i + 1) % n;
        const double w = segmentWeights[i];
        const double cross = -w * Dot({corridor.normal[i].x, corridor.normal[i].y}, corridor.normal[next]);
        const auto a = static_cast<Eigen::Index>(i), b = static_cast<Eigen::Index>(next);
        normal.coeffRef(a, a) += w;
        normal.coeffRef(b, b) += w;
        normal.coeffRef(a, b) += cross;
        normal.coeffRef(b, a) += cross;
    }
}

Eigen::VectorXd LengthGradient(const Corridor& corridor, const std::vector<WorldPoint>& points,
                               const std::vector<double>& segmentWeights)
{
    const std::size_t n = points.size();
    Eigen::VectorXd g = Eigen::VectorXd::Zero(static_cast<Eigen::Index>(n));
    for (std::size_t i = 0; i < segmentWeights.size(); ++i) {
        const std::size_t next = (i + 1) % n;
        const double w = segmentWeights[i];
        const Vec d = points[next] - points[i];
        g[static_cast<Eigen::Index>(i)] -= w * Dot(d, corridor.normal[i]);
        g[static_cast<Eigen::Index>(next)] += w * Dot(d, corridor.normal[next]);
    }
    return g;
}

} // namespace

WorldPoint Shifted(const Corridor& corridor, std::size_t i, double offset)
{
    return {corridor.centre[i].x + offset * corridor.normal[i].x,
            corridor.centre[i].y + offset * corridor.normal[i].y};
}

std::vector<double> PointCurvatures(const std::vector<WorldPoint>& points, bool closed)
{
    const std::size_t n = points.size();
    std::vector<double> kappa(n, 0.0);
    if (n < 3)
        return kappa;
    for (std::size_t i = 0; i < n; ++i)
        if (Counts(i, n, closed))
            kappa[i] = AtMiddle(points[(i + n - 1) % n], points[i], points[(i + 1) % n]).kappa;
    return kappa;
}

namespace {

// The search's state between steps.
struct Search {
    const Corridor& corridor;
    std::vector<double> segmentWeights;
    Eigen::VectorXd lower, upper;
    Eigen::VectorXd offsets;
    double objective = 0;
    // Levenberg damping relative to the mean diagonal of J'J: small, since
    // the curvature is nearly linear in the offsets, grown when a step fails.
    double damping = 1e-6;
};

// One Gauss-Newton step, damped until the true objective falls. True when
// the line has settled: the step hardly moved it or gained nothing worth
// another step, or the linearisation promises no gain worth having, so
// that more damping, which only shrinks the promise, is no use.
bool Step(Search& search, const CurvatureOptions& options)
{
    const Eigen::Index size = search.offsets.size();
    Eigen::VectorXd residual;
    Eigen::SparseMatrix<double> jacobian;
    const std::vector<WorldPoint> points = LinePoints(search.corridor, search.offsets);
    Linearise(search.corridor, points, residual, jacobian);
    Eigen::SparseMatrix<double> normal = jacobian.transpose() * jacobian;
    AddLengthNormal(search.corridor, search.segmentWeights, normal);
    const double scale = std::max(normal.diagonal().mean(), kTiny);
    Eigen::SparseMatrix<double> identity(size, size);
    identity.setIdentity();
    BoxQp qp;
    qp.linear = jacobian.transpose() * residual;
    if (!search.segmentWeights.empty())
        qp.linear += LengthGradient(search.corridor, points, search.segmentWeights);
    qp.lower = search.lower - search.offsets;
    qp.upper = search.upper - search.offsets;
    for (; search.damping < 1e8; search.damping *= 10) {
        qp.hessian = normal + (search.damping * scale) * identity;
        const Eigen::VectorXd step = SolveBoxQp(qp).x;
        // The fall in the sum of squared residuals the linearisation promises.
        const double promised = -(2 * qp.linear.dot(step) + step.dot(normal * step));
        if (promised <= kSettledGain * search.objective)
            return true;
        // A step that folds the line in a hairpin is shortened before it is
        // damped: halving costs an evaluation, damping a solve.
        for (double share = 1; share >= 0.25; share /= 2) {
            const Eigen::VectorXd trial =
                (search.offsets + share * step).cwiseMax(search.lower).cwiseMin(search.upper);
            const double f =
                Bending(LinePoints(search.corridor, trial), search.corridor.closed, search.segmentWeights);
            if (!(f < search.objective))
                continue;
            const double moved = (trial - search.offsets).lpNorm<Eigen::Infinity>();
            const double gain = search.objective - f;
            const bool full = share == 1 && search.damping <= kFullStep;
            search.offsets = trial;
            search.objective = f;
            search.damping = std::max(search.damping * (share == 1 ? 0.3 : 1.0), 1e-9);
            return moved <= options.settledStep || (full && gain <= kSettledGain * f);
        }
    }
    // No damping finds a better line: this line is a stationary point.
    return true;
}

} // namespace

OffsetSolution MinimiseCurvature(const Corridor& corridor, const CurvatureOptions& options,
                                 const std::vector<double>& start)
{
    const std::size_t n = corridor.centre.size();
    const auto size = static_cast<Eigen::Index>(n);
    Search search{corridor, SegmentWeights(corridor, options.lengthWeight), Eigen::VectorXd(size),
                  Eigen::VectorXd(size), Eigen::VectorXd::Zero(size)};
    for (std::size_t i = 0; i < n; ++i) {
        search.lower[static_cast<Eigen::Index>(i)] = corridor.lower[i];
        search.upper[static_cast<Eigen::Index>(i)] = std::max(corridor.lower[i], corridor.upper[i]);
    }
    if (start.size() == n)
        search.offsets = Eigen::Map<const Eigen::VectorXd>(start.data(), size);
    search.offsets = search.offsets.cwiseMax(search.lower).cwiseMin(search.upper);
    search.objective = Bending(LinePoints(corridor, search.offsets), corridor.closed, search.segmentWeights);

    OffsetSolution solution;
    for (int it = 0; it < options.maxIterations && !solution.converged; ++it) {
        solution.iterations = it + 1;
        solution.converged = Step(search, options);
    }
    solution.offsets.assign(search.offsets.data(), search.offsets.data() + size);
    solution.objective = search.objective;
    return solution;
}

} // namespace velmora
