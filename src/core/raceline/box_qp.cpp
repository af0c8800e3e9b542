#include "core/raceline/box_qp.h"

#include <Eigen/SparseCholesky>
#include <algorithm>
#include <cmath>
#include <vector>

namespace velmora {

namespace {

// Longest step in [0, 1] along d that keeps v + step * d positive, for the
// entries where `use` holds.
double StepToBoundary(const Eigen::VectorXd& v, const Eigen::VectorXd& d, const std::vector<char>& use)
{
    double step = 1;
    for (Eigen::Index i = 0; i < v.size(); ++i)
        if (use[static_cast<std::size_t>(i)] && d[i] < 0)
            step = std::min(step, -v[i] / d[i]);
    return step;
}

// The iterate: x with its slacks to both bounds and their multipliers.
// Fixed variables keep unit slacks and zero multipliers throughout.
struct Iterate {
    std::vector<char> moving; // bounds apart: the variable moves strictly inside
    Eigen::VectorXd x, sl, su, zl, zu;
};

Iterate StartInTheMiddle(const BoxQp& qp)
{
    const Eigen::Index n = qp.linear.size();
    Iterate it;
    it.moving.resize(static_cast<std::size_t>(n));
    it.x.resize(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const double width = qp.upper[i] - qp.lower[i];
        it.moving[static_cast<std::size_t>(i)] = width > 0;
        it.x[i] = width > 0 ? qp.lower[i] + width / 2 : qp.lower[i];
    }
    return it;
}

// The Newton system H + Zl/Sl + Zu/Su with one symbolic analysis for all
// iterations: `base` holds H's stored values with the fixed variables cut
// loose (a unit diagonal, no coupling), `diagonal` where each diagonal entry
// sits among them.
struct NewtonSystem {
    Eigen::SparseMatrix<double> matrix;
    std::vector<double> base;
    std::vector<Eigen::Index> diagonal;
    double scale = 0; // the largest diagonal entry of H
    // In their natural order the curvature's matrices are banded but for the
    // corners a loop adds: the factor fills only the last rows, and no
    // reordering has to be computed or applied.
    Eigen::SimplicialLLT<Eigen::SparseMatrix<double>, Eigen::Lower, Eigen::NaturalOrdering<int>> cholesky;
};

void AnalyseSystem(const BoxQp& qp, const std::vector<char>& moving, NewtonSystem& sys)
{
    const Eigen::Index n = qp.linear.size();
    Eigen::SparseMatrix<double> identity(n, n);
    identity.setIdentity();
    sys.matrix = qp.hessian + identity; // a diagonal always stored
    sys.cholesky.analyzePattern(sys.matrix);
    sys.diagonal.assign(static_cast<std::size_t>(n), 0);
    for (Eigen::Index col = 0; col < n; ++col) {
        Eigen::SparseMatrix<double>::InnerIterator in(qp.hessian, col);
        for (Eigen::SparseMatrix<double>::InnerIterator out(sys.matrix, col); out; ++out) {
            const Eigen::Index row = out.row();
            double v = 0;
            if (in && in.row() == row) {
                v = in.value();
                ++in;
            }
            const bool cut = !moving[static_cast<std::size_t>(row)] || !moving[static_cast<std::size_t>(col)];
            if (row == col) {
                sys.diagonal[static_cast<std::size_t>(col)] = static_cast<Eigen::Index>(sys.base.size());
                sys.scale = std::max(sys.scale, std::abs(v));
                v = cut ? 1 : v;
            } else if (cut) {
                v = 0;
            }
            sys.base.push_back(v);
        }
    }
    sys.scale = std::max(sys.scale, 1e-300);
}

void StartDuals(const BoxQp& qp, double scale, Iterate& it)
{
    const Eigen::Index n = it.x.size();
    it.sl.resize(n), it.su.resize(n), it.zl.resize(n), it.zu.resize(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const bool m = it.moving[static_cast<std::size_t>(i)];
        it.sl[i] = m ? it.x[i] - qp.lower[i] : 1;
        it.su[i] = m ? qp.upper[i] - it.x[i] : 1;
        it.zl[i] = m ? scale : 0;
        it.zu[i] = m ? scale : 0;
    }
}

// Hx + c - zl + zu on the moving variables, and the complementarity: the
// mean steers the centring, the largest says whether every bound is done
// with (a mean alone lets one variable stop well short of its bound).
struct Residual {
    Eigen::VectorXd dual;
    double gap = 0;
    double mu = 0;
    double worst = 0;
};

Residual ResidualOf(const BoxQp& qp, const Iterate& it)
{
    Residual r;
    r.dual = qp.hessian * it.x + qp.linear - it.zl + it.zu;
    std::size_t count = 0;
    for (Eigen::Index i = 0; i < it.x.size(); ++i) {
        if (!it.moving[static_cast<std::size_t>(i)]) {
            r.dual[i] = 0;
            continue;
        }
        r.gap += it.sl[i] * it.zl[i] + it.su[i] * it.zu[i];
        r.worst = std::max({r.worst, it.sl[i] * it.zl[i], it.su[i] * it.zu[i]});
        count += 2;
    }
    r.mu = count ? r.gap / static_cast<double>(count) : 0;
    return r;
}

bool Factorise(const Iterate& it, NewtonSystem& sys)
{
    std::copy(sys.base.begin(), sys.base.end(), sys.matrix.valuePtr());
    for (Eigen::Index i = 0; i < it.x.size(); ++i)
        if (it.moving[static_cast<std::size_t>(i)])
            sys.matrix.valuePtr()[sys.diagonal[static_cast<std::size_t>(i)]] +=
                it.zl[i] / it.sl[i] + it.zu[i] / it.su[i];
    sys.cholesky.factorize(sys.matrix);
    return sys.cholesky.info() == Eigen::Success;
}

struct Direction {
    Eigen::VectorXd dx, dzl, dzu;
};

// The Newton direction for complementarity targets rl (of sl zl) and ru
// (of su zu), the slacks' steps following from dx.
Direction Solve(const Iterate& it, NewtonSystem& sys, const Residual& r, const Eigen::VectorXd& rl,
                const Eigen::VectorXd& ru)
{
    Eigen::VectorXd rhs = -r.dual;
    for (Eigen::Index i = 0; i < it.x.size(); ++i)
        if (it.moving[static_cast<std::size_t>(i)])
            rhs[i] += rl[i] / it.sl[i] - ru[i] / it.su[i];
    Direction d;
    d.dx = sys.cholesky.solve(rhs);
    for (Eigen::Index i = 0; i < it.x.size(); ++i)
        if (!it.moving[static_cast<std::size_t>(i)])
            d.dx[i] = 0;
    d.dzl = (rl - it.zl.cwiseProduct(d.dx)).cwiseQuotient(it.sl);
    d.dzu = (ru + it.zu.cwiseProduct(d.dx)).cwiseQuotient(it.su);
    return d;
}

double Longest(const Iterate& it, const Direction& d)
{
    return std::min({StepToBoundary(it.sl, d.dx, it.moving), StepToBoundary(it.su, -d.dx, it.moving),
                     StepToBoundary(it.zl, d.dzl, it.moving), StepToBoundary(it.zu, d.dzu, it.moving)});
}

// Mehrotra's predictor-corrector: the predictor heads straight for the
// optimum, and its progress sets how much centring the corrector asks for.
Direction PredictorCorrector(const Iterate& it, NewtonSystem& sys, const Residual& r)
{
    const Eigen::VectorXd rlAffine = -it.sl.cwiseProduct(it.zl);
    const Eigen::VectorXd ruAffine = -it.su.cwiseProduct(it.zu);
    const Direction affine = Solve(it, sys, r, rlAffine, ruAffine);
    const double step = Longest(it, affine);
    double gapAffine = 0;
    for (Eigen::Index i = 0; i < it.x.size(); ++i)
        if (it.moving[static_cast<std::size_t>(i)])
            gapAffine += (it.sl[i] + step * affine.dx[i]) * (it.zl[i] + step * affine.dzl[i]) +
                         (it.su[i] - step * affine.dx[i]) * (it.zu[i] + step * affine.dzu[i]);
    const double sigma = std::pow(gapAffine / std::max(r.gap, 1e-300), 3);
    const Eigen::VectorXd rl = (rlAffine - affine.dx.cwiseProduct(affine.dzl)).array() + sigma * r.mu;
    const Eigen::VectorXd ru = (ruAffine + affine.dx.cwiseProduct(affine.dzu)).array() + sigma * r.mu;
    return Solve(it, sys, r, rl, ru);
}

void Advance(Iterate& it, const Direction& d)
{
    const double step = 0.995 * Longest(it, d);
    it.x += step * d.dx;
    it.sl += step * d.dx;
    it.su -= step * d.dx;
    it.zl += step * d.dzl;
    it.zu += step * d.dzu;
    for (Eigen::Index i = 0; i < it.x.size(); ++i)
        if (!it.moving[static_cast<std::size_t>(i)])
            it.sl[i] = it.su[i] = 1, it.zl[i] = it.zu[i] = 0;
}

} // namespace

BoxQpResult SolveBoxQp(const BoxQp& qp, int maxIterations)
{
    BoxQpResult result;
    Iterate it = StartInTheMiddle(qp);
    result.x = it.x;
    if (it.x.size() == 0) {
        result.converged = true;
        return result;
    }
    NewtonSystem sys;
    AnalyseSystem(qp, it.moving, sys);
    StartDuals(qp, sys.scale, it);
    const double tolerance = 1e-8 * std::max(1.0, qp.linear.lpNorm<Eigen::Infinity>() / sys.scale);
    for (int k = 0; k < maxIterations; ++k) {
        result.iterations = k + 1;
        const Residual r = ResidualOf(qp, it);
        if (r.dual.lpNorm<Eigen::Infinity>() <= tolerance * sys.scale && r.worst <= tolerance * sys.scale) {
            result.converged = true;
            break;
        }
        if (!Factorise(it, sys))
            break;
        Advance(it, PredictorCorrector(it, sys, r));
    }
    result.x = it.x.cwiseMax(qp.lower).cwiseMin(qp.upper);
    return result;
}

} // namespace velmora
