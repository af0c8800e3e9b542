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

struct Fields {
    std::vector<float> inner; // distances from the cell centres, not squared
    std::vector<float> outer;
    std::vector<float> sign; // inner - outer: below 0 nearer the wall the ring goes round
};

Fields DistanceFields(const TrackRing& ring)
{
    Fields f;
    f.inner = SquaredDistances(ring.inner);
    f.outer = SquaredDistances(ring.outer);
    f.sign.resize(f.inner.size());
    for (std::size_t i = 0; i < f.inner.size(); ++i) {
        f.inner[i] = std::sqrt(f.inner[i]);
        f.outer[i] = std::sqrt(f.outer[i]);
        f.sign[i] = f.inner[i] - f.outer[i];
    }
    return f;
}

// The segments of one square from an edge where, going round its corners,
// the field turns negative to the next edge where it turns back: the
// negative side is always on the same hand, so the segments join into
// loops that all run the same way.
void SquareSegments(const CellMask& m, const Fields& f, int x, int y, std::unordered_map<std::int64_t, std::int64_t>& next)
{
    const std::size_t c[4] = {m.Index(x, y), m.Index(x + 1, y), m.Index(x + 1, y + 1), m.Index(x, y + 1)};
    bool neg[4];
    int count = 0;
    for (int k = 0; k < 4; ++k)
        count += (neg[k] = f.sign[c[k]] < 0) ? 1 : 0;
    if (count == 0 || count == 4)
        return;
    // Edge k runs from corner k to corner k + 1.
    const std::int64_t e[4] = {Across(m, x, y), Down(m, x + 1, y), Across(m, x, y + 1), Down(m, x, y)};
    if (count == 2 && neg[0] == neg[2]) {
        const bool centreNeg = f.sign[c[0]] + f.sign[c[1]] + f.sign[c[2]] + f.sign[c[3]] < 0;
        for (int k = 0; k < 4; ++k) {
            if (centreNeg && !neg[k])
                next[e[k]] = e[(k + 3) % 4]; // cut off the positive corner
            if (!centreNeg && neg[k])
                next[e[(k + 3) % 4]] = e[k]; // cut off the negative corner
        }
        return;
    }
    std::int64_t into = -1, out = -1;
    for (int k = 0; k < 4; ++k) {
        if (!neg[k] && neg[(k + 1) % 4])
            into = e[k];
        if (neg[k] && !neg[(k + 1) % 4])
            out = e[k];
    }
    next[into] = out;
}

MedialPoint Crossing(const TrackRing& ring, const Fields& f, std::int64_t edge)
{
    const CellMask& m = ring.ring;
    const std::size_t a = std::size_t(edge / 2);
    const std::size_t b = edge % 2 == 0 ? a + 1 : a + std::size_t(m.width);
    const double fa = f.sign[a], fb = f.sign[b];
    const double t = fa == fb ? 0.5 : fa / (fa - fb);
    const double ax = double(a % std::size_t(m.width)), ay = double(a / std::size_t(m.width));
    MedialPoint p;
    p.x = ring.window.minX + ax + (edge % 2 == 0 ? t : 0) + 0.5;
    p.y = ring.window.minY + ay + (edge % 2 == 0 ? 0 : t) + 0.5;
    // The distances reach the centres of the wall cells; their faces are
    // half a cell nearer.
    p.inner = f.inner[a] + t * (f.inner[b] - f.inner[a]) - 0.5;
    p.outer = f.outer[a] + t * (f.outer[b] - f.outer[a]) - 0.5;
    return p;
}

std::vector<std::int64_t> LongestLoop(const std::unordered_map<std::int64_t, std::int64_t>& next)
{
    std::vector<std::int64_t> best, loop;
    std::unordered_set<std::int64_t> done;
    for (const auto& [first, unused] : next) {
        if (done.count(first))
            continue;
        loop.clear();
        std::int64_t e = first;
        bool closed = false;
        while (done.insert(e).second) {
            loop.push_back(e);
            const auto it = next.find(e);
            if (it == next.end())
                break;
            e = it->second;
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
    const Fields f = DistanceFields(ring);
    std::unordered_map<std::int64_t, std::int64_t> next;
    for (int y = 0; y + 1 < m.height; ++y)
        for (int x = 0; x + 1 < m.width; ++x)
            SquareSegments(m, f, x, y, next);
    std::vector<MedialPoint> points;
    for (const std::int64_t edge : LongestLoop(next))
        points.push_back(Crossing(ring, f, edge));
    return points;
}

} // namespace velmora
