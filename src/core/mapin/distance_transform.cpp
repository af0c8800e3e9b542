#include "core/mapin/distance_transform.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace velmora {

namespace {

// Along each column the nearest target is found by a sweep down and one
// up, a whole row at a time so the memory is read in order; the squares of
// those distances are the parabola heights the row pass starts from.
void ColumnPass(const CellMask& targets, std::vector<float>& out)
{
    const std::size_t w = std::size_t(targets.width);
    constexpr std::int32_t kFar = 1 << 30;
    std::vector<std::int32_t> run(targets.cells.size());
    for (int y = 0; y < targets.height; ++y) {
        const std::uint8_t* in = targets.cells.data() + targets.Index(0, y);
        std::int32_t* row = run.data() + targets.Index(0, y);
        const std::int32_t* above = y > 0 ? row - w : nullptr;
        for (std::size_t x = 0; x < w; ++x)
            row[x] = in[x] ? 0 : above && above[x] < kFar ? above[x] + 1 : kFar;
    }
    for (int y = targets.height - 1; y >= 0; --y) {
        std::int32_t* row = run.data() + targets.Index(0, y);
        const std::int32_t* below = y + 1 < targets.height ? row + w : nullptr;
        float* o = out.data() + targets.Index(0, y);
        for (std::size_t x = 0; x < w; ++x) {
            if (below && below[x] + 1 < row[x])
                row[x] = below[x] + 1;
            o[x] = row[x] >= kFar ? kNoCell : float(double(row[x]) * row[x]);
        }
    }
}

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

// The distance down each column to the nearest target, in cells, held in
// two bytes a cell: distances beyond the largest are all "far", which no
// radius asked for comes near.
std::vector<std::uint16_t> ColumnRuns(const CellMask& targets, std::uint8_t target)
{
    constexpr std::uint16_t kFar = 0xffff;
    const std::size_t w = std::size_t(targets.width);
    std::vector<std::uint16_t> run(targets.cells.size());
    for (int y = 0; y < targets.height; ++y) {
        const std::uint8_t* in = targets.cells.data() + targets.Index(0, y);
        std::uint16_t* row = run.data() + targets.Index(0, y);
        const std::uint16_t* above = y > 0 ? row - w : nullptr;
        for (std::size_t x = 0; x < w; ++x)
            row[x] = in[x] == target ? 0 : above && above[x] < kFar - 1 ? std::uint16_t(above[x] + 1) : kFar;
    }
    for (int y = targets.height - 2; y >= 0; --y) {
        std::uint16_t* row = run.data() + targets.Index(0, y);
        const std::uint16_t* below = row + w;
        for (std::size_t x = 0; x < w; ++x)
            if (below[x] + 1 < row[x])
                row[x] = std::uint16_t(below[x] + 1);
    }
    return run;
}

} // namespace

CellMask HeldBeyond(const CellMask& targets, double radius)
{
    CellMask out(targets.width, targets.height);
    if (targets.width == 0 || targets.height == 0)
        return out;
    const std::vector<std::uint16_t> run = ColumnRuns(targets, 0);
    const std::size_t n = std::size_t(targets.width);
    std::vector<double> z(n + 1);
    std::vector<int> v(n);
    std::vector<float> row(n), copy(n);
    const double r2 = radius * radius;
    for (int y = 0; y < targets.height; ++y) {
        const std::uint16_t* in = run.data() + targets.Index(0, y);
        for (std::size_t x = 0; x < n; ++x)
            row[x] = in[x] == 0xffff ? kNoCell : float(double(in[x]) * in[x]);
        RowEnvelope(row.data(), n, v, z, copy);
        std::uint8_t* o = out.cells.data() + targets.Index(0, y);
        for (std::size_t x = 0; x < n; ++x)
            o[x] = row[x] > r2 ? 1 : 0;
    }
    return out;
}

std::vector<float> SquaredDistances(const CellMask& targets)
{
    std::vector<float> out(targets.cells.size(), kNoCell);
    if (targets.width == 0 || targets.height == 0)
        return out;
    ColumnPass(targets, out);
    const std::size_t n = std::size_t(targets.width);
    std::vector<double> z(n + 1);
    std::vector<int> v(n);
    std::vector<float> copy(n);
    for (int y = 0; y < targets.height; ++y)
        RowEnvelope(out.data() + targets.Index(0, y), n, v, z, copy);
    return out;
}

} // namespace velmora
