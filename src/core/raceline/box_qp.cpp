#include "core/raceline/box_qp.h"

#include "core/raceline/envelope_cholesky.h"

#include <algorithm>
#include <cmath>
#include <utility>
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

// The search starts from 0 (for a step, staying put), moved at least this
// share of the box inside its bounds: a start on a bound gives the method
// nowhere to go.
constexpr double kInset = 0.1;

Iterate StartNearZero(const BoxQp& qp)
{
    const Eigen::Index n = qp.linear.size();
    Iterate it;
    it.moving.resize(static_cast<std::size_t>(n));
    it.x.resize(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const double width = qp.upper[i] - qp.lower[i];
        it.moving[static_cast<std::size_t>(i)] = width > 0;
        it.x[i] = width > 0 ? std::clamp(0.0, qp.lower[i] + kInset * width, qp.upper[i] - kInset * width)
                            : qp.lower[i];
    }
    return it;
}

// The Newton system H + Zl/Sl + Zu/Su, its envelope laid out once for all
// iterations: `base` holds H's lower triangle with the fixed variables cut
// loose.
struct NewtonSystem {
    explicit NewtonSystem(const Eigen::SparseMatrix<double>& hessian) : cholesky(hessian) {}
    EnvelopeCholesky cholesky;
    std::vector<double> base;
    double scale = 0; // the largest diagonal entry of H
};

void AnalyseSystem(const BoxQp& qp, const std::vector<char>& moving, NewtonSystem& sys)
{
    LoadLowerTriangle(qp.hessian, moving, sys.cholesky);
    sys.base = sys.cholesky.Values();
    sys.scale = std::max(LargestDiagonal(qp.hessian), 1e-300);
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
    std::vector<double>& values = sys.cholesky.Values();
    std::copy(sys.base.begin(), sys.base.end(), values.begin());
    for (Eigen::Index i = 0; i < it.x.size(); ++i)
        if (it.moving[static_cast<std::size_t>(i)])
            values[sys.cholesky.Index(i, i)] += it.zl[i] / it.sl[i] + it.zu[i] / it.su[i];
    return sys.cholesky.Factorise();
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
    sys.cholesky.Solve(rhs);
    d.dx = std::move(rhs);
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

BoxQpResult SolveScaled(const BoxQp& qp, int maxIterations)
{
    BoxQpResult result;
    Iterate it = StartNearZero(qp);
    result.x = it.x;
    if (it.x.size() == 0) {
        result.converged = true;
        return result;
    }
    NewtonSystem sys(qp.hessian);
    AnalyseSystem(qp, it.moving, sys);
    StartDuals(qp, sys.scale, it);
    // Scaled, every variable meets this; a Gauss-Newton step needs no more,
    // the next step corrects what is left.
    const double tolerance = 1e-7 * std::max(1.0, qp.linear.lpNorm<Eigen::Infinity>() / sys.scale);
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

// The problem in the variables y = x / d that give H a unit diagonal: a box
// stays a box, and the stopping rule, relative to the largest diagonal
// entry, holds every variable to the same accuracy. Unscaled, one short
// stretch of a line, whose curvature is a thousand times as sensitive as
// the rest, loosened it for all the others.
BoxQp Equilibrated(const BoxQp& qp, Eigen::VectorXd& d)
{
    const Eigen::Index n = qp.linear.size();
    d = Eigen::VectorXd::Ones(n);
    for (Eigen::Index col = 0; col < qp.hessian.outerSize(); ++col)
        for (Eigen::SparseMatrix<double>::InnerIterator it(qp.hessian, col); it; ++it)
            if (it.row() == col && it.value() > 0)
                d[col] = 1 / std::sqrt(it.value());
    BoxQp scaled;
    scaled.hessian = qp.hessian;
    for (Eigen::Index col = 0; col < scaled.hessian.outerSize(); ++col)
        for (Eigen::SparseMatrix<double>::InnerIterator it(scaled.hessian, col); it; ++it)
            it.valueRef() *= d[it.row()] * d[col];
    scaled.linear = qp.linear.cwiseProduct(d);
    scaled.lower = qp.lower.cwiseQuotient(d);
    scaled.upper = qp.upper.cwiseQuotient(d);
    return scaled;
}

} // namespace

BoxQpResult SolveBoxQp(const BoxQp& qp, int maxIterations)
{
    Eigen::VectorXd d;
    BoxQpResult result = SolveScaled(Equilibrated(qp, d), maxIterations);
    if (result.x.size() == qp.linear.size())
        result.x = result.x.cwiseProduct(d).cwiseMax(qp.lower).cwiseMin(qp.upper);
    return result;
}

} // namespace velmora
