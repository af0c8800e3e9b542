#include "core/mapin/medial_loop.h"

#include "core/mapin/distance_transform.h"

#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

namespace velmora {

namespace {

// The edges between neighbouring cell centres: even ids run right from a
// cell, odd ids down from it.
std::int64_t Across(const CellMask& m, int x, int y)
{
    return 2 * std::int64_t(m.Index(x, y));
}

std::int64_t Down(const CellMask& m, int x, int y)
{
    return 2 * std::int64_t(m.Index(x, y)) + 1;
}

// Two rows of both distance fields, not squared: the row a square's top
// corners lie in and the one its bottom corners lie in. The fields are
// taken a row at a time, so the memory is that of their columns' passes.
struct FieldRows {
    std::vector<float> inner[2];
    std::vector<float> outer[2];

    float Sign(int row, int x) const { return inner[row][std::size_t(x)] - outer[row][std::size_t(x)]; }
};

void TakeRow(DistanceRows& from, int y, std::vector<float>& into)
{
    const float* d = from.Row(y);
    for (std::size_t x = 0; x < into.size(); ++x)
        into[x] = std::sqrt(d[x]);
}

// A segment of the medial line from one edge to the next, and where the
// line crosses the edge it starts from.
struct Step {
    std::int64_t next = -1;
    MedialPoint at;
};

// Where the sign of inner - outer changes along an edge from corner
// (row ra, ax) to corner (rb, bx) of the rows, `edge` the edge's id.
MedialPoint Crossing(const TrackRing& ring, const FieldRows& f, std::int64_t edge, int ra, int ax, int rb, int bx)
{
    const CellMask& m = ring.ring;
    const double fa = f.Sign(ra, ax), fb = f.Sign(rb, bx);
    const double t = fa == fb ? 0.5 : fa / (fa - fb);
    const std::size_t a = std::size_t(edge / 2);
    const double cx = double(a % std::size_t(m.width)), cy = double(a / std::size_t(m.width));
    MedialPoint p;
    p.x = ring.window.minX + cx + (edge % 2 == 0 ? t : 0) + 0.5;
    p.y = ring.window.minY + cy + (edge % 2 == 0 ? 0 : t) + 0.5;
    // The distances reach the centres of the wall cells; their faces are
    // half a cell nearer.
    const double ia = f.inner[ra][std::size_t(ax)], ib = f.inner[rb][std::size_t(bx)];
    const double oa = f.outer[ra][std::size_t(ax)], ob = f.outer[rb][std::size_t(bx)];
    p.inner = ia + t * (ib - ia) - 0.5;
    p.outer = oa + t * (ob - oa) - 0.5;
    return p;
}

// The segments of square (x, y), its top corners in row 0 of the rows and
// its bottom ones in row 1: from an edge where, going round its corners,
// the field turns negative to the next edge where it turns back. The
// negative side is always on the same hand, so the segments join into loops
// that all run the same way.
void SquareSegments(const TrackRing& ring, const FieldRows& f, int x, int y, std::unordered_map<std::int64_t, Step>& next)
{
    const CellMask& m = ring.ring;
    // Corner k: its row and column; edge k runs from corner k to corner k + 1.
    const int row[4] = {0, 0, 1, 1}, col[4] = {x, x + 1, x + 1, x};
    float s[4];
    bool neg[4];
    int count = 0;
    for (int k = 0; k < 4; ++k) {
        s[k] = f.Sign(row[k], col[k]);
        count += (neg[k] = s[k] < 0) ? 1 : 0;
    }
    if (count == 0 || count == 4)
        return;
    const std::int64_t e[4] = {Across(m, x, y), Down(m, x + 1, y), Across(m, x, y + 1), Down(m, x, y)};
    // Each edge's corners, its first cell (left or top) first.
    static constexpr int kFirst[4] = {0, 1, 3, 0}, kSecond[4] = {1, 2, 2, 3};
    const auto link = [&](int from, int to) {
        const int a = kFirst[from], b = kSecond[from];
        next[e[from]] = {e[to], Crossing(ring, f, e[from], row[a], col[a], row[b], col[b])};
    };
    if (count == 2 && neg[0] == neg[2]) {
        const bool centreNeg = s[0] + s[1] + s[2] + s[3] < 0;
        for (int k = 0; k < 4; ++k) {
            if (centreNeg && !neg[k])
                link(k, (k + 3) % 4); // cut off the positive corner
            if (!centreNeg && neg[k])
                link((k + 3) % 4, k); // cut off the negative corner
        }
        return;
    }
    int into = -1, out = -1;
    for (int k = 0; k < 4; ++k) {
        if (!neg[k] && neg[(k + 1) % 4])
            into = k;
        if (neg[k] && !neg[(k + 1) % 4])
            out = k;
    }
    link(into, out);
}

std::vector<MedialPoint> LongestLoop(const std::unordered_map<std::int64_t, Step>& next)
{
    std::vector<MedialPoint> best, loop;
    std::unordered_set<std::int64_t> done;
    for (const auto& [first, unused] : next) {
        if (done.count(first))
            continue;
        loop.clear();
        std::int64_t e = first;
        bool closed = false;
        while (done.insert(e).second) {
            const auto it = next.find(e);
            if (it == next.end())
                break;
            loop.push_back(it->second.at);
            e = it->second.next;
            closed = e == first;
        }
        if (closed && loop.size() > best.size())
            best = loop;
    }
    return best;
}

} // namespace

std::vector<MedialPoint> MedialLoop(const TrackRing& ring)
{
    const CellMask& m = ring.ring;
    if (m.width < 2 || m.height < 2)
        return {};
    DistanceRows inner(ring.inner, 1), outer(ring.outer, 1);
    FieldRows f;
    for (int r = 0; r < 2; ++r) {
        f.inner[r].resize(std::size_t(m.width));
        f.outer[r].resize(std::size_t(m.width));
    }
    TakeRow(inner, 0, f.inner[1]);
    TakeRow(outer, 0, f.outer[1]);
    std::unordered_map<std::int64_t, Step> next;
    for (int y = 0; y + 1 < m.height; ++y) {
        std::swap(f.inner[0], f.inner[1]);
        std::swap(f.outer[0], f.outer[1]);
        TakeRow(inner, y + 1, f.inner[1]);
        TakeRow(outer, y + 1, f.outer[1]);
        for (int x = 0; x + 1 < m.width; ++x)
            SquareSegments(ring, f, x, y, next);
    }
    return LongestLoop(next);
}

} // namespace velmora
