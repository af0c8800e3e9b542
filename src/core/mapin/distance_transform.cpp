#include "core/mapin/distance_transform.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace velmora {

namespace {

// The lower envelope of the parabolas (q - i)^2 + f[i] along one row, in
// place. `v` and `z` are scratch of n and n + 1 entries.
void RowEnvelope(float* f, std::size_t n, std::vector<int>& v, std::vector<double>& z, std::vector<float>& copy)
{
    std::copy(f, f + n, copy.begin());
    int k = -1;
    for (int q = 0; q < int(n); ++q) {
        if (copy[std::size_t(q)] >= kNoCell)
            continue;
        double s = 0;
        while (k >= 0) {
            const int p = v[std::size_t(k)];
            s = ((double(copy[std::size_t(q)]) + double(q) * q) - (double(copy[std::size_t(p)]) + double(p) * p)) /
                (2.0 * (q - p));
            if (s > z[std::size_t(k)])
                break;
            --k;
        }
        ++k;
        v[std::size_t(k)] = q;
        z[std::size_t(k)] = k == 0 ? -HUGE_VAL : s;
        z[std::size_t(k) + 1] = HUGE_VAL;
    }
    if (k < 0)
        return; // the row stays as far as the columns made it: nowhere near a target
    std::size_t j = 0;
    for (int q = 0; q < int(n); ++q) {
        while (z[j + 1] < q)
            ++j;
        const double dq = q - v[j];
        f[q] = float(dq * dq + copy[std::size_t(v[j])]);
    }
}

// The distance down each column to the nearest target, in cells, in an
// unsigned `Run`: its largest value says "no target, or farther than the
// type holds". In two bytes every run fits, a map having at most 16,384
// cells a side; one byte serves a threshold of up to 253 cells, since a
// distance that small comes from a run of at most that.
template <typename Run>
std::vector<Run> ColumnRuns(const CellMask& targets, std::uint8_t target)
{
    constexpr Run kFar = std::numeric_limits<Run>::max();
    const std::size_t w = std::size_t(targets.width);
    std::vector<Run> run(targets.cells.size());
    for (int y = 0; y < targets.height; ++y) {
        const std::uint8_t* in = targets.cells.data() + targets.Index(0, y);
        Run* row = run.data() + targets.Index(0, y);
        const Run* above = y > 0 ? row - w : nullptr;
        for (std::size_t x = 0; x < w; ++x)
            row[x] = in[x] == target ? 0 : above && above[x] < kFar - 1 ? Run(above[x] + 1) : kFar;
    }
    for (int y = targets.height - 2; y >= 0; --y) {
        Run* row = run.data() + targets.Index(0, y);
        const Run* below = row + w;
        for (std::size_t x = 0; x < w; ++x)
            if (below[x] + 1 < row[x])
                row[x] = Run(below[x] + 1);
    }
    return run;
}

// A row of squared distances from its column runs.
template <typename Run>
void RowFromRuns(const Run* in, std::size_t n, float* row)
{
    for (std::size_t x = 0; x < n; ++x)
        row[x] = in[x] == std::numeric_limits<Run>::max() ? kNoCell : float(double(in[x]) * in[x]);
}

} // namespace

DistanceRows::DistanceRows(const CellMask& mask, std::uint8_t target)
    : width_(std::size_t(mask.width)), runs_(ColumnRuns<std::uint16_t>(mask, target)), row_(width_), copy_(width_), v_(width_),
      z_(width_ + 1)
{
}

const float* DistanceRows::Row(int y)
{
    RowFromRuns(runs_.data() + std::size_t(y) * width_, width_, row_.data());
    RowEnvelope(row_.data(), width_, v_, z_, copy_);
    return row_.data();
}

CellMask HeldBeyond(const CellMask& targets, double radius)
{
    CellMask out(targets.width, targets.height);
    if (targets.width == 0 || targets.height == 0)
        return out;
    const double r2 = radius * radius;
    const auto threshold = [&](int y, const float* d) {
        std::uint8_t* o = out.cells.data() + targets.Index(0, y);
        for (int x = 0; x < targets.width; ++x)
            o[x] = d[x] > r2 ? 1 : 0;
    };
    if (radius >= 253) {
        DistanceRows rows(targets, 0);
        for (int y = 0; y < targets.height; ++y)
            threshold(y, rows.Row(y));
        return out;
    }
    // The whole map's runs in a byte a cell: the memory of the map's mask.
    const std::vector<std::uint8_t> runs = ColumnRuns<std::uint8_t>(targets, 0);
    const std::size_t n = std::size_t(targets.width);
    std::vector<float> row(n), copy(n);
    std::vector<int> v(n);
    std::vector<double> z(n + 1);
    for (int y = 0; y < targets.height; ++y) {
        RowFromRuns(runs.data() + targets.Index(0, y), n, row.data());
        RowEnvelope(row.data(), n, v, z, copy);
        threshold(y, row.data());
    }
    return out;
}

std::vector<float> SquaredDistances(const CellMask& targets)
{
    std::vector<float> out(targets.cells.size(), kNoCell);
    if (targets.width == 0 || targets.height == 0)
        return out;
    DistanceRows rows(targets, 1);
    for (int y = 0; y < targets.height; ++y) {
        const float* d = rows.Row(y);
        std::copy_n(d, targets.width, out.data() + targets.Index(0, y));
    }
    return out;
}

} // namespace velmora
