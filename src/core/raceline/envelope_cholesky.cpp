#include "core/raceline/envelope_cholesky.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// The full rows a loop adds fall off geometrically away from the corners,
// into the subnormal numbers, where every operation is a hundred times
// slower: entries this small are zero to the factor's precision.
constexpr double kNegligible = 1e-150;

} // namespace

EnvelopeCholesky::EnvelopeCholesky(const Eigen::SparseMatrix<double>& pattern)
{
    const Eigen::Index n = pattern.rows();
    first_.resize(static_cast<std::size_t>(n));
    for (Eigen::Index i = 0; i < n; ++i)
        first_[static_cast<std::size_t>(i)] = i;
    for (Eigen::Index col = 0; col < pattern.outerSize(); ++col)
        for (Eigen::SparseMatrix<double>::InnerIterator it(pattern, col); it; ++it)
            if (it.row() > col)
                first_[static_cast<std::size_t>(it.row())] =
                    std::min(first_[static_cast<std::size_t>(it.row())], col);
    start_.resize(static_cast<std::size_t>(n) + 1, 0);
    for (Eigen::Index i = 0; i < n; ++i) {
        const auto r = static_cast<std::size_t>(i);
        start_[r + 1] = start_[r] + static_cast<std::size_t>(i - first_[r] + 1);
    }
    values_.assign(start_.back(), 0.0);
    inverse_.assign(static_cast<std::size_t>(n), 0.0);
}

bool EnvelopeCholesky::Factorise()
{
    const std::size_t n = first_.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Eigen::Index fi = first_[i];
        double* li = values_.data() + start_[i]; // li[c - fi] is L(i, c)
        for (Eigen::Index j = fi; j <= static_cast<Eigen::Index>(i); ++j) {
            const auto uj = static_cast<std::size_t>(j);
            const Eigen::Index fj = first_[uj];
            const double* lj = values_.data() + start_[uj];
            double s = li[j - fi];
            for (Eigen::Index k = std::max(fi, fj); k < j; ++k)
                s -= li[k - fi] * lj[k - fj];
            if (uj < i) {
                const double l = s * inverse_[uj];
                li[j - fi] = std::abs(l) < kNegligible ? 0 : l;
            } else {
                if (!(s > 0))
                    return false;
                li[j - fi] = std::sqrt(s);
                inverse_[i] = 1 / li[j - fi];
            }
        }
    }
    return true;
}

void EnvelopeCholesky::Solve(Eigen::VectorXd& b) const
{
    const std::size_t n = first_.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Eigen::Index fi = first_[i];
        const double* li = values_.data() + start_[i];
        const auto row = static_cast<Eigen::Index>(i);
        double s = b[row];
        for (Eigen::Index k = fi; k < row; ++k)
            s -= li[k - fi] * b[k];
        b[row] = s * inverse_[i];
    }
    for (std::size_t i = n; i-- > 0;) {
        const Eigen::Index fi = first_[i];
        const double* li = values_.data() + start_[i];
        const auto row = static_cast<Eigen::Index>(i);
        const double x = b[row] * inverse_[i];
        b[row] = x;
        for (Eigen::Index k = fi; k < row; ++k)
            b[k] -= li[k - fi] * x;
    }
}

void LoadLowerTriangle(const Eigen::SparseMatrix<double>& matrix, const std::vector<char>& keep,
                       EnvelopeCholesky& cholesky)
{
    std::vector<double>& values = cholesky.Values();
    std::fill(values.begin(), values.end(), 0.0);
    for (Eigen::Index i = 0; i < matrix.rows(); ++i)
        values[cholesky.Index(i, i)] = keep[static_cast<std::size_t>(i)] ? 0 : 1;
    for (Eigen::Index col = 0; col < matrix.outerSize(); ++col)
        for (Eigen::SparseMatrix<double>::InnerIterator it(matrix, col); it; ++it)
            if (it.row() >= col && keep[static_cast<std::size_t>(it.row())] && keep[static_cast<std::size_t>(col)])
                values[cholesky.Index(it.row(), col)] = it.value();
}

double LargestDiagonal(const Eigen::SparseMatrix<double>& matrix)
{
    double largest = 0;
    for (Eigen::Index col = 0; col < matrix.outerSize(); ++col)
        for (Eigen::SparseMatrix<double>::InnerIterator it(matrix, col); it; ++it)
            if (it.row() == col)
                largest = std::max(largest, std::abs(it.value()));
    return largest;
}

} // namespace velmora
