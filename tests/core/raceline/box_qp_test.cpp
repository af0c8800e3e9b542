#include "core/raceline/box_qp.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace velmora {
namespace {

// A random positive definite matrix shaped as the curvature's are: banded
// (bandwidth 2) with the corners a loop adds, symmetric, both triangles.
Eigen::SparseMatrix<double> RandomHessian(Eigen::Index n, std::mt19937& rng, bool loop)
{
    std::uniform_real_distribution<double> entry(-1, 1);
    Eigen::MatrixXd b = Eigen::MatrixXd::Zero(n, n); // H = B'B + small diagonal
    for (Eigen::Index i = 0; i < n; ++i)
        for (Eigen::Index k = 0; k < 3; ++k)
            if (loop || i + k < n)
                b(i, (i + k) % n) = entry(rng);
    Eigen::MatrixXd h = b.transpose() * b + 1e-3 * Eigen::MatrixXd::Identity(n, n);
    return h.sparseView();
}

// The optimality conditions of min 1/2 x'Hx + c'x on lower <= x <= upper,
// as one residual per variable: x - clamp(x - g / h, lower, upper) with g
// the gradient Hx + c and h the diagonal of H, times the root of h. It
// vanishes exactly when the gradient is zero inside the box and points
// outwards at a bound, and measures every variable in the units that give H
// a unit diagonal: one that H weighs a million times less is held to the
// same accuracy. x itself never leaves the box.
void ExpectOptimal(const BoxQp& qp, const BoxQpResult& r, double tolerance)
{
    const Eigen::VectorXd gradient = qp.hessian * r.x + qp.linear;
    const Eigen::VectorXd h = qp.hessian.diagonal();
    double scale = 1;
    for (Eigen::Index i = 0; i < h.size(); ++i)
        scale = std::max(scale, std::abs(qp.linear[i]) / std::sqrt(h[i]));
    for (Eigen::Index i = 0; i < r.x.size(); ++i) {
        ASSERT_GE(r.x[i], qp.lower[i]) << i;
        ASSERT_LE(r.x[i], qp.upper[i]) << i;
        const double projected = std::clamp(r.x[i] - gradient[i] / h[i], qp.lower[i], qp.upper[i]);
        EXPECT_NEAR((r.x[i] - projected) * std::sqrt(h[i]), 0, tolerance * scale) << i << ", gradient " << gradient[i];
    }
}

TEST(BoxQp, RandomProblemsMeetTheOptimalityConditions)
{
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<double> unit(0, 1);
    const struct {
        Eigen::Index size;
        bool loop;
        double fixedShare; // of variables with equal bounds
        double linearScale;
        double spread = 0; // variables rescaled by up to 10^spread either way
    } shapes[] = {
        {1, false, 0, 1},     {2, true, 0, 1},        {8, false, 0.25, 10},      {40, true, 0, 1},
        {40, true, 0.1, 100}, {200, true, 0.05, 1},   {200, false, 0, 1e-3},     {500, true, 0.02, 5},
        {60, true, 0, 1, 3},  {300, true, 0.02, 1, 2}, {300, false, 0.05, 10, 3},
    };
    for (const auto& shape : shapes) {
        for (int trial = 0; trial < 5; ++trial) {
            SCOPED_TRACE(std::to_string(shape.size) + " variables, trial " + std::to_string(trial));
            BoxQp qp;
            qp.hessian = RandomHessian(shape.size, rng, shape.loop && shape.size > 2);
            qp.linear.resize(shape.size);
            qp.lower.resize(shape.size);
            qp.upper.resize(shape.size);
            for (Eigen::Index i = 0; i < shape.size; ++i) {
                qp.linear[i] = shape.linearScale * (2 * unit(rng) - 1);
                qp.lower[i] = -2 * unit(rng);
                qp.upper[i] = unit(rng) < shape.fixedShare ? qp.lower[i] : 2 * unit(rng);
            }
            // The same problem in other units, x = d y: as a short stretch
            // of a line weighs its offset far more than a long one does.
            Eigen::VectorXd d(shape.size);
            for (Eigen::Index i = 0; i < shape.size; ++i)
                d[i] = std::pow(10.0, shape.spread * (2 * unit(rng) - 1));
            qp.hessian = d.asDiagonal() * qp.hessian * d.asDiagonal();
            qp.linear = qp.linear.cwiseProduct(d);
            qp.lower = qp.lower.cwiseQuotient(d);
            qp.upper = qp.upper.cwiseQuotient(d);
            const BoxQpResult r = SolveBoxQp(qp);
            EXPECT_TRUE(r.converged);
            // The solver's tolerance is relative to H's largest diagonal
            // entry; these matrices are conditioned up to ~1e4.
            ExpectOptimal(qp, r, 1e-4);
        }
    }
}

TEST(BoxQp, ClosedFormsAndEdgeCases)
{
    // Unconstrained in effect: the bounds are far, x = -H^-1 c.
    BoxQp qp;
    Eigen::MatrixXd h(2, 2);
    h << 2, 1, 1, 2;
    qp.hessian = h.sparseView();
    qp.linear = Eigen::Vector2d(-3, 0);
    qp.lower = Eigen::Vector2d(-100, -100);
    qp.upper = Eigen::Vector2d(100, 100);
    BoxQpResult r = SolveBoxQp(qp);
    EXPECT_NEAR(r.x[0], 2, 1e-6);
    EXPECT_NEAR(r.x[1], -1, 1e-6);
    // The second bound active: x1 >= 0 holds x1 at 0, then x0 = 1.5.
    qp.lower[1] = 0;
    r = SolveBoxQp(qp);
    EXPECT_NEAR(r.x[0], 1.5, 1e-6);
    EXPECT_NEAR(r.x[1], 0, 1e-6);
    // Every variable fixed.
    qp.lower = qp.upper = Eigen::Vector2d(0.25, -0.5);
    r = SolveBoxQp(qp);
    EXPECT_TRUE(r.converged);
    EXPECT_EQ(r.x, Eigen::Vector2d(0.25, -0.5));
    // No variables at all.
    BoxQp empty;
    empty.hessian.resize(0, 0);
    EXPECT_TRUE(SolveBoxQp(empty).converged);
    // Stopped early, the iterate is still inside the box.
    qp.lower = Eigen::Vector2d(-1, -1);
    qp.upper = Eigen::Vector2d(1, 1);
    qp.linear = Eigen::Vector2d(-1e6, 1e6);
    r = SolveBoxQp(qp, 1);
    EXPECT_FALSE(r.converged);
    EXPECT_TRUE((r.x.array() >= -1).all() && (r.x.array() <= 1).all());
}

} // namespace
} // namespace velmora
