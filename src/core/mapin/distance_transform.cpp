#include "core/mapin/distance_transform.h"

#include <cmath>

namespace velmora {

namespace {

// Along each row the nearest target is found by two sweeps; the squares of
// those distances are the parabola heights the column pass starts from.
void RowPass(const CellMask& targets, std::vector<float>& out)
{
    const int w = targets.width;
    for (int y = 0; y < targets.height; ++y) {
        float* row = out.data() + targets.Index(0, y);
        const std::uint8_t* in = targets.cells.data() + targets.Index(0, y);
        double last = -1e18;
        for (int x = 0; x < w; ++x) {
            if (in[x])
                last = x;
            row[x] = float(x - last);
        }
        last = 1e18;
        for (int x = w - 1; x >= 0; --x) {
            if (in[x])
                last = x;
            const double d = std::min(double(row[x]), last - x);
            row[x] = d > 1e15 ? kNoCell : float(d * d);
        }
    }
}

// The lower envelope of the parabolas (q - i)^2 + f[i] over one column.
// `v` and `z` are scratch of n and n + 1 entries.
void ColumnEnvelope(std::vector<double>& f, std::vector<int>& v, std::vector<double>& z, std::vector<double>& d)
{
    const int n = int(f.size());
    int k = -1;
    for (int q = 0; q < n; ++q) {
        if (f[q] >= kNoCell)
            continue;
        double s = 0;
        while (k >= 0) {
            const int p = v[k];
            s = ((f[q] + double(q) * q) - (f[p] + double(p) * p)) / (2.0 * (q - p));
            if (s > z[k])
                break;
            --k;
        }
        ++k;
        v[k] = q;
        z[k] = k == 0 ? -HUGE_VAL : s;
        z[k + 1] = HUGE_VAL;
    }
    if (k < 0) {
        std::fill(d.begin(), d.end(), double(kNoCell));
        return;
    }
    int j = 0;
    for (int q = 0; q < n; ++q) {
        while (z[j + 1] < q)
            ++j;
        const double dq = q - v[j];
        d[q] = dq * dq + f[v[j]];
    }
}

} // namespace

std::vector<float> SquaredDistances(const CellMask& targets)
{
    const int w = targets.width, h = targets.height;
    std::vector<float> out(targets.cells.size(), kNoCell);
    if (w == 0 || h == 0)
        return out;
    RowPass(targets, out);
    const std::size_t n = std::size_t(h);
    std::vector<double> f(n), z(n + 1), d(n);
    std::vector<int> v(n);
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y)
            f[std::size_t(y)] = out[targets.Index(x, y)];
        ColumnEnvelope(f, v, z, d);
        for (int y = 0; y < h; ++y)
            out[targets.Index(x, y)] = d[std::size_t(y)] >= kNoCell ? kNoCell : float(d[std::size_t(y)]);
    }
    return out;
}

} // namespace velmora
