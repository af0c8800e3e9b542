#pragma once

#include <Eigen/Core>
#include <Eigen/SparseCore>

namespace velmora {

// minimise 1/2 x'Hx + c'x subject to lower <= x <= upper, for a sparse
// symmetric positive definite H (both triangles stored). Equal bounds fix a
// variable.
struct BoxQp {
    Eigen::SparseMatrix<double> hessian;
    Eigen::VectorXd linear;
    Eigen::VectorXd lower;
    Eigen::VectorXd upper;
};

struct BoxQpResult {
    Eigen::VectorXd x; // always within the bounds
    int iterations = 0;
    bool converged = false;
};

// A primal-dual interior-point method (Mehrotra's predictor-corrector) on
// the problem scaled to a unit diagonal, so that every variable is solved to
// the same accuracy however unevenly H weighs them. Every iteration is one
// Cholesky of H plus a diagonal within H's envelope, laid out once; the
// count of iterations hardly grows with the number of bounds that end up
// active, where active-set and projection methods crawl. Stops after
// maxIterations with the last iterate, which is always inside the box.
BoxQpResult SolveBoxQp(const BoxQp& qp, int maxIterations = 60);

} // namespace velmora
