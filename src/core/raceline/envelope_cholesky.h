#pragma once

#include <Eigen/Core>
#include <Eigen/SparseCore>
#include <cstddef>
#include <vector>

namespace velmora {

// The factors L D L' of a symmetric positive definite matrix (L unit lower
// triangular, D diagonal: Cholesky without its square roots, whose latency
// would chain row to row), kept in the matrix's envelope: each row from its
// first non-zero column to the diagonal. Fill-in never leaves the envelope, so no ordering is needed. The
// race line's matrices are banded but for the few full last rows a loop
// adds, which makes factorising O(n b^2) and solving O(n b) over plain
// contiguous rows.
class EnvelopeCholesky {
public:
    // The envelope of the lower triangle of `pattern` (square; only where
    // its entries are stored matters, not their values).
    explicit EnvelopeCholesky(const Eigen::SparseMatrix<double>& pattern);

    // Where entry (row, col), col <= row, lives in Values(): col must not
    // lie left of the row's first stored column.
    std::size_t Index(Eigen::Index row, Eigen::Index col) const
    {
        const auto r = static_cast<std::size_t>(row);
        return start_[r] + static_cast<std::size_t>(col - first_[r]);
    }
    std::size_t Size() const { return values_.size(); }

    // The lower triangle to factorise, written by the caller through
    // Index(); Factorise() replaces it by L below the diagonal and D on it.
    std::vector<double>& Values() { return values_; }

    // False when the matrix is not positive definite.
    bool Factorise();

    // Solves L D L' x = b in place.
    void Solve(Eigen::VectorXd& b) const;

private:
    std::vector<Eigen::Index> first_; // each row's first column
    std::vector<std::size_t> start_;  // each row's first value in values_
    std::vector<double> values_;
    std::vector<double> inverse_; // 1 / D(i): the solves multiply
    std::vector<double> scaled_;  // the row being factorised times D
};

// Writes the lower triangle of `matrix` into the factor's values with the
// variables where `keep` is 0 cut loose (a unit diagonal, no coupling), so
// that solving leaves their right-hand side as it is.
void LoadLowerTriangle(const Eigen::SparseMatrix<double>& matrix, const std::vector<char>& keep,
                       EnvelopeCholesky& cholesky);

// The largest magnitude on the diagonal, 0 for an empty matrix.
double LargestDiagonal(const Eigen::SparseMatrix<double>& matrix);

} // namespace velmora
