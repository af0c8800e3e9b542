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

} // namespace

BoxQpResult SolveBoxQp(const BoxQp& qp, int maxIterations)
{
    BoxQpResult result;
    const Eigen::Index n = qp.linear.size();
    const auto un = static_cast<std::size_t>(n);
    // Variables whose bounds meet are fixed; the others move strictly inside.
    std::vector<char> moving(un);
    Eigen::VectorXd x(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const double width = qp.upper[i] - qp.lower[i];
        moving[static_cast<std::size_t>(i)] = width > 0;
        x[i] = width > 0 ? qp.lower[i] + width / 2 : qp.lower[i];
    }
    result.x = x;
    if (n == 0) {
        result.converged = true;
        return result;
    }

    // The system matrix: H with a diagonal always stored, so that one
    // symbolic analysis serves every iteration.
    Eigen::SparseMatrix<double> identity(n, n);
    identity.setIdentity();
    Eigen::SparseMatrix<double> system = qp.hessian + identity;
    // In their natural order the curvature's matrices are banded but for the
    // corners a loop adds: the factor fills only the last rows, and no
    // reordering has to be computed or applied.
    Eigen::SimplicialLLT<Eigen::SparseMatrix<double>, Eigen::Lower, Eigen::NaturalOrdering<int>> cholesky;
    cholesky.analyzePattern(system);

    // The part of the system that stays the same every iteration: H with
    // the fixed variables cut loose (a unit diagonal, no coupling), and
    // where each diagonal entry is stored.
    std::vector<double> base;
    std::vector<Eigen::Index> diagonal(un);
    double scale = 0;
    for (Eigen::Index col = 0; col < n; ++col) {
        Eigen::SparseMatrix<double>::InnerIterator in(qp.hessian, col);
        for (Eigen::SparseMatrix<double>::InnerIterator out(system, col); out; ++out) {
            const Eigen::Index row = out.row();
            double v = 0;
            if (in && in.row() == row) {
                v = in.value();
                ++in;
            }
            const bool cut = !moving[static_cast<std::size_t>(row)] || !moving[static_cast<std::size_t>(col)];
            if (row == col) {
                diagonal[static_cast<std::size_t>(col)] = static_cast<Eigen::Index>(base.size());
                scale = std::max(scale, std::abs(v));
                v = cut ? 1 : v;
            } else if (cut) {
                v = 0;
            }
            base.push_back(v);
        }
    }
    scale = std::max(scale, 1e-300);
    const double tolerance = 1e-8 * std::max(1.0, qp.linear.lpNorm<Eigen::Infinity>() / scale);

    Eigen::VectorXd sl(n), su(n), zl(n), zu(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const bool m = moving[static_cast<std::size_t>(i)];
        sl[i] = m ? x[i] - qp.lower[i] : 1;
        su[i] = m ? qp.upper[i] - x[i] : 1;
        zl[i] = m ? scale : 0;
        zu[i] = m ? scale : 0;
    }
    const auto solve = [&](const Eigen::VectorXd& rhs) -> Eigen::VectorXd {
        Eigen::VectorXd d = cholesky.solve(rhs);
        for (Eigen::Index i = 0; i < n; ++i)
            if (!moving[static_cast<std::size_t>(i)])
                d[i] = 0;
        return d;
    };

    for (int it = 0; it < maxIterations; ++it) {
        result.iterations = it + 1;
        Eigen::VectorXd dual = qp.hessian * x + qp.linear - zl + zu;
        double gap = 0;
        std::size_t count = 0;
        for (Eigen::Index i = 0; i < n; ++i) {
            if (!moving[static_cast<std::size_t>(i)]) {
                dual[i] = 0;
                continue;
            }
            gap += sl[i] * zl[i] + su[i] * zu[i];
            count += 2;
        }
        const double mu = count ? gap / static_cast<double>(count) : 0;
        if (dual.lpNorm<Eigen::Infinity>() <= tolerance * scale && mu <= tolerance * scale) {
            result.converged = true;
            break;
        }
        // H + Zl/Sl + Zu/Su.
        std::copy(base.begin(), base.end(), system.valuePtr());
        for (Eigen::Index i = 0; i < n; ++i)
            if (moving[static_cast<std::size_t>(i)])
                system.valuePtr()[diagonal[static_cast<std::size_t>(i)]] += zl[i] / sl[i] + zu[i] / su[i];
        cholesky.factorize(system);
        if (cholesky.info() != Eigen::Success)
            break;

        const auto direction = [&](const Eigen::VectorXd& rl, const Eigen::VectorXd& ru, Eigen::VectorXd& dx,
                                   Eigen::VectorXd& dzl, Eigen::VectorXd& dzu) {
            Eigen::VectorXd rhs = -dual;
            for (Eigen::Index i = 0; i < n; ++i)
                if (moving[static_cast<std::size_t>(i)])
                    rhs[i] += rl[i] / sl[i] - ru[i] / su[i];
            dx = solve(rhs);
            dzl = (rl - zl.cwiseProduct(dx)).cwiseQuotient(sl);
            dzu = (ru + zu.cwiseProduct(dx)).cwiseQuotient(su);
        };
        const auto longest = [&](const Eigen::VectorXd& dx, const Eigen::VectorXd& dzl,
                                 const Eigen::VectorXd& dzu) {
            return std::min({StepToBoundary(sl, dx, moving), StepToBoundary(su, -dx, moving),
                             StepToBoundary(zl, dzl, moving), StepToBoundary(zu, dzu, moving)});
        };

        // Predictor: straight for the optimum; its progress sets how much
        // centring the corrector asks for.
        Eigen::VectorXd dx, dzl, dzu;
        const Eigen::VectorXd rlAffine = -sl.cwiseProduct(zl);
        const Eigen::VectorXd ruAffine = -su.cwiseProduct(zu);
        direction(rlAffine, ruAffine, dx, dzl, dzu);
        const double affine = longest(dx, dzl, dzu);
        double gapAffine = 0;
        for (Eigen::Index i = 0; i < n; ++i)
            if (moving[static_cast<std::size_t>(i)])
                gapAffine += (sl[i] + affine * dx[i]) * (zl[i] + affine * dzl[i]) +
                             (su[i] - affine * dx[i]) * (zu[i] + affine * dzu[i]);
        const double sigma = std::pow(gapAffine / std::max(gap, 1e-300), 3);
        const Eigen::VectorXd rl = (rlAffine - dx.cwiseProduct(dzl)).array() + sigma * mu;
        const Eigen::VectorXd ru = (ruAffine + dx.cwiseProduct(dzu)).array() + sigma * mu;
        direction(rl, ru, dx, dzl, dzu);
        const double step = 0.995 * longest(dx, dzl, dzu);

        x += step * dx;
        sl += step * dx;
        su -= step * dx;
        zl += step * dzl;
        zu += step * dzu;
        for (Eigen::Index i = 0; i < n; ++i)
            if (!moving[static_cast<std::size_t>(i)])
                sl[i] = su[i] = 1, zl[i] = zu[i] = 0;
    }
    result.x = x.cwiseMax(qp.lower).cwiseMin(qp.upper);
    return result;
}

} // namespace velmora
