#include "core/raceline/envelope_cholesky.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace velmora {
namespace {

// A symmetric matrix with entries where `linked(i, j)` holds, made positive
// definite by a dominant diagonal: the factor's envelope comes from the
// pattern, whatever its shape.
template <typename Linked>
Eigen::SparseMatrix<double> DominantMatrix(Eigen::Index n, Linked linked, double offDiagonal, std::mt19937& rng)
{
    std::uniform_real_distribution<double> entry(-offDiagonal, offDiagonal);
    std::vector<Eigen::Triplet<double>> entries;
    std::vector<double> rowSum(static_cast<std::size_t>(n), 0.0);
    for (Eigen::Index i = 0; i < n; ++i)
        for (Eigen::Index j = 0; j < i; ++j)
            if (linked(i, j)) {
                const double v = entry(rng);
                entries.emplace_back(i, j, v);
                entries.emplace_back(j, i, v);
                rowSum[static_cast<std::size_t>(i)] += std::abs(v);
                rowSum[static_cast<std::size_t>(j)] += std::abs(v);
            }
    for (Eigen::Index i = 0; i < n; ++i)
        entries.emplace_back(i, i, rowSum[static_cast<std::size_t>(i)] + 1);
    Eigen::SparseMatrix<double> m(n, n);
    m.setFromTriplets(entries.begin(), entries.end());
    return m;
}

TEST(EnvelopeCholesky, SolvesEveryShapeOfPatternAndRefusesAnIndefiniteOne)
{
    std::mt19937 rng(7);
    const auto cyclic = [](Eigen::Index n, Eigen::Index band) {
        return [n, band](Eigen::Index i, Eigen::Index j) { return std::min(i - j, n - (i - j)) <= band; };
    };
    const struct {
        std::string name;
        Eigen::Index size;
        std::function<bool(Eigen::Index, Eigen::Index)> linked;
        double offDiagonal;
    } shapes[] = {
        {"one variable", 1, [](Eigen::Index, Eigen::Index) { return false; }, 1},
        {"diagonal", 20, [](Eigen::Index, Eigen::Index) { return false; }, 1},
        {"tridiagonal", 50, [](Eigen::Index i, Eigen::Index j) { return i - j == 1; }, 1},
        {"a loop's band", 60, cyclic(60, 2), 1},
        {"arrow", 40, [](Eigen::Index i, Eigen::Index j) { return i == 39 || i - j == 1; }, 1},
        {"dense", 30, [](Eigen::Index, Eigen::Index) { return true; }, 1},
        // The full rows a loop adds decay far into the subnormal range.
        {"long loop", 600, cyclic(600, 2), 0.05},
    };
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.name);
        const Eigen::SparseMatrix<double> m = DominantMatrix(shape.size, shape.linked, shape.offDiagonal, rng);
        EnvelopeCholesky cholesky(m);
        LoadLowerTriangle(m, std::vector<char>(static_cast<std::size_t>(shape.size), 1), cholesky);
        ASSERT_TRUE(cholesky.Factorise());
        const Eigen::VectorXd b = Eigen::VectorXd::Random(shape.size);
        Eigen::VectorXd x = b;
        cholesky.Solve(x);
        EXPECT_LE((m * x - b).lpNorm<Eigen::Infinity>(), 1e-12);
        // Not positive definite: refused, not factorised into nonsense.
        Eigen::SparseMatrix<double> indefinite = m;
        indefinite.coeffRef(shape.size / 2, shape.size / 2) = -1;
        LoadLowerTriangle(indefinite, std::vector<char>(static_cast<std::size_t>(shape.size), 1), cholesky);
        EXPECT_FALSE(cholesky.Factorise());
    }
}

} // namespace
} // namespace velmora
