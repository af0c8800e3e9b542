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
    std::size_t longest = 0;
    for (Eigen::Index i = 0; i < n; ++i)
        longest = std::max(longest, static_cast<std::size_t>(i - first_[static_cast<std::size_t>(i)] + 1));
    scaled_.assign(longest, 0.0);
}

// The loops read the members through local pointers: stores through a
// double* could otherwise make the compiler reload them at every step.
bool EnvelopeCholesky::Factorise()
{
    const std::size_t n = first_.size();
    const Eigen::Index* first = first_.data();
    const std::size_t* start = start_.data();
    double* values = values_.data();
    double* inverse = inverse_.data();
    double* ui = scaled_.data(); // ui[c - fi] is L(i, c) D(c) for the row at hand
    for (std::size_t i = 0; i < n; ++i) {
        const Eigen::Index fi = first[i];
        const auto row = static_cast<Eigen::Index>(i);
        double* li = values + start[i]; // li[c - fi] is L(i, c)
        for (Eigen::Index j = fi; j < row; ++j) {
            const auto uj = static_cast<std::size_t>(j);
            const Eigen::Index fj = first[uj];
            const double* lj = values + start[uj];
            double s = li[j - fi];
            for (Eigen::Index k = std::max(fi, fj); k < j; ++k)
                s -= ui[k - fi] * lj[k - fj];
            const double l = s * inverse[uj];
            const bool negligible = std::abs(l) < kNegligible;
            ui[j - fi] = negligible ? 0 : s;
            li[j - fi] = negligible ? 0 : l;
        }
        double d = li[row - fi];
        for (Eigen::Index k = fi; k < row; ++k)
            d -= ui[k - fi] * li[k - fi];
        if (!(d > 0))
            return false;
        li[row - fi] = d;
        inverse[i] = 1 / d;
    }
    return true;
}

void EnvelopeCholesky::Solve(Eigen::VectorXd& b) const
{
    const std::size_t n = first_.size();
    const Eigen::Index* first = first_.data();
    const std::size_t* start = start_.data();
    const double* values = values_.data();
    double* x = b.data();
    for (std::size_t i = 0; i < n; ++i) {
        const Eigen::Index fi = first[i];
        const double* li = values + start[i];
        const auto row = static_cast<Eigen::Index>(i);
        double s = x[row];
        for (Eigen::Index k = fi; k < row; ++k)
            s -= li[k - fi] * x[k];
        x[row] = s;
    }
    for (std::size_t i = 0; i < n; ++i)
        x[i] *= inverse_[i];
    for (std::size_t i = n; i-- > 0;) {
        const Eigen::Index fi = first[i];
        const double* li = values + start[i];
        const auto row = static_cast<Eigen::Index>(i);
        const double xi = x[row];
        for (Eigen::Index k = fi; k < row; ++k)
            x[k] -= li[k - fi] * xi;
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
