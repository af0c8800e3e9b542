#include "core/track/track_edges.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace velmora {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

struct Side {
    std::vector<CanvasPoint> edge;
    std::vector<double> width;
};

// The unit normal of a row to one side: +1 left of travel on the screen
// (up the screen when heading along +x), -1 right.
CanvasPoint Normal(const TrackSample& r, double side)
{
    return {side * std::sin(r.heading), -side * std::cos(r.heading)};
}

// A point's place along the outline: the centre line distance of the
// centre point nearest to it, then, for the points of one round corner's
// arc, which all share the corner's, how far round the arc it lies.
struct Mark {
    double along = 0;
    double round = 0;
    bool operator<(const Mark& o) const { return along < o.along || (along == o.along && round < o.round); }
};

// The rows in the order their edges are checked, and each edge's place
// along the outline. A loop starts at the row whose edge is surely its own,
// the one nearest its centre row, and counts a lap onwards from there.
struct Progress {
    std::vector<std::size_t> order;
    std::vector<Mark> mark;
};

// An edge that came out on the other side of the track (the way out along
// the normal crossed the centre line of another stretch) has no place: NaN.
Progress Measure(const TrackSamples& t, const std::vector<CanvasPoint>& edge, const TrackSurface& surface,
                 double side)
{
    const std::size_t n = t.rows.size();
    std::vector<Mark> mark(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double s = t.rows[i].s;
        const std::optional<TrackSurface::Place> place = surface.PlaceOf(edge[i]);
        Mark& m = mark[i];
        m.along = !place ? s : place->side == side ? place->along : std::nan("");
        if (place)
            m.round =
                (edge[i].x - place->foot.x) * place->travel.x + (edge[i].y - place->foot.y) * place->travel.y;
        if (t.closed && t.length > 0)
            m.along += t.length * std::round((s - m.along) / t.length);
    }
    const auto offBy = [&](std::size_t i) {
        const double d = std::abs(mark[i].along - t.rows[i].s);
        return std::isnan(d) ? HUGE_VAL : d;
    };
    std::size_t first = 0;
    if (t.closed)
        for (std::size_t i = 1; i < n; ++i)
            if (offBy(i) < offBy(first))
                first = i;
    Progress p;
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = (first + k) % n;
        p.order.push_back(i);
        p.mark.push_back({mark[i].along + (i < first ? t.length : 0), mark[i].round});
    }
    return p;
}

// Which positions of `v` make up its longest run that never goes down and
// stays within [least, most] along the track.
std::vector<char> LongestRise(const std::vector<Mark>& v, double least, double most)
{
    std::vector<Mark> tail;
    std::vector<std::size_t> tailAt, before(v.size(), kNone);
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (!(v[i].along >= least && v[i].along <= most))
            continue;
        const auto k = std::size_t(std::upper_bound(tail.begin(), tail.end(), v[i]) - tail.begin());
        before[i] = k > 0 ? tailAt[k - 1] : kNone;
        if (k == tail.size()) {
            tail.push_back(v[i]);
            tailAt.push_back(i);
        } else {
            tail[k] = v[i];
            tailAt[k] = i;
        }
    }
    std::vector<char> keep(v.size(), 0);
    for (std::size_t i = tailAt.empty() ? kNone : tailAt.back(); i != kNone; i = before[i])
        keep[i] = 1;
    return keep;
}

// The outline's direction at a point of it: square to the way from the
// nearest centre line point, whether that is on a stretch or the corner of
// an arc, turned the way of travel.
std::optional<CanvasPoint> OutlineDirection(const TrackSurface& surface, CanvasPoint e)
{
    const std::optional<TrackSurface::Place> place = surface.PlaceOf(e);
    if (!place || !(place->distance > 0))
        return std::nullopt;
    CanvasPoint u{-(e.y - place->foot.y) / place->distance, (e.x - place->foot.x) / place->distance};
    if (u.x * place->travel.x + u.y * place->travel.y < 0)
        u = {-u.x, -u.y};
    return u;
}

// Where the outline through a, running on ahead of it, meets the outline
// through b, coming in behind it: the corner of the outline between two
// kept edges whose rows between were hidden. None when the two do not meet
// there on the outline.
std::optional<CanvasPoint> Corner(const TrackSurface& surface, CanvasPoint a, CanvasPoint b)
{
    const std::optional<CanvasPoint> u = OutlineDirection(surface, a), v = OutlineDirection(surface, b);
    if (!u || !v)
        return std::nullopt;
    const double cross = u->x * v->y - u->y * v->x;
    if (!(std::abs(cross) > 1e-9))
        return std::nullopt;
    const CanvasPoint w{b.x - a.x, b.y - a.y};
    const double ta = (w.x * v->y - w.y * v->x) / cross, tb = (w.x * u->y - w.y * u->x) / cross;
    const double r = surface.HalfWidth();
    // A corner far beyond both is no corner of this stretch.
    const double gap = std::hypot(w.x, w.y) + r;
    if (!(ta >= 0 && tb <= 0 && ta <= gap && -tb <= gap))
        return std::nullopt;
    const CanvasPoint k = surface.Snap({a.x + u->x * ta, a.y + u->y * ta}, r);
    const std::optional<TrackSurface::Place> place = surface.PlaceOf(k);
    if (!place || !(std::abs(place->distance - r) <= 1e-9 * (r + 1)))
        return std::nullopt;
    return k;
}

// Puts the rows at positions from <= k < to of the order on `point`, each
// width the point's distance along the row's normal, never beyond where the
// way out along the normal leaves the surface.
void Assign(const TrackSamples& t, const Progress& p, std::size_t from, std::size_t to, CanvasPoint point,
            double side, Side& out)
{
    const std::size_t n = p.order.size();
    for (std::size_t k = from; k < to; ++k) {
        const std::size_t i = p.order[k % n];
        const TrackSample& r = t.rows[i];
        const CanvasPoint nrm = Normal(r, side);
        const double along = (point.x - r.x) * nrm.x + (point.y - r.y) * nrm.y;
        out.width[i] = std::clamp(along, 0.0, out.width[i]);
        out.edge[i] = point;
    }
}

// The rows between two kept ones (positions lo < k < hi of the order, hi
// counted on past the end of a loop) take the corner where the outline
// through the kept rows before and after meets, or, when there is no such
// corner, the last kept row's edge.
void FillRun(const TrackSamples& t, const Progress& p, std::size_t lo, std::size_t hi, double side,
             const TrackSurface& surface, Side& out)
{
    const std::size_t n = p.order.size();
    const auto edge = [&](std::size_t k) { return out.edge[p.order[k % n]]; };
    const std::optional<CanvasPoint> k = Corner(surface, edge(lo), edge(hi));
    Assign(t, p, lo + 1, hi, k ? *k : edge(lo), side, out);
}

Side FindSide(const TrackSamples& t, const TrackSurface& surface, double side)
{
    const std::size_t n = t.rows.size();
    Side out{std::vector<CanvasPoint>(n), std::vector<double>(n)};
    for (std::size_t i = 0; i < n; ++i) {
        const TrackSample& r = t.rows[i];
        const CanvasPoint nrm = Normal(r, side);
        out.width[i] = surface.ExitAlong({r.x, r.y}, nrm);
        out.edge[i] = {r.x + nrm.x * out.width[i], r.y + nrm.y * out.width[i]};
    }
    if (n < 2)
        return out;
    const Progress p = Measure(t, out.edge, surface, side);
    // Round a loop the last kept edge must still come before the first one
    // a lap on.
    constexpr double kAll = std::numeric_limits<double>::infinity();
    const double start = p.mark[0].along;
    const std::vector<char> keep =
        t.closed ? LongestRise(p.mark, start, start + t.length) : LongestRise(p.mark, -kAll, kAll);
    std::vector<std::size_t> kept;
    for (std::size_t k = 0; k < n; ++k)
        if (keep[k])
            kept.push_back(k);
    if (kept.empty())
        return out;
    for (std::size_t j = 1; j < kept.size(); ++j)
        if (kept[j] > kept[j - 1] + 1)
            FillRun(t, p, kept[j - 1], kept[j], side, surface, out);
    if (t.closed) {
        if (kept.back() + 1 < n + kept.front())
            FillRun(t, p, kept.back(), n + kept.front(), side, surface, out);
    } else {
        // The ends of an open track hold on to the nearest kept edge.
        const std::size_t first = kept.front(), last = kept.back();
        Assign(t, p, 0, first, out.edge[p.order[first]], side, out);
        Assign(t, p, last + 1, n, out.edge[p.order[last]], side, out);
    }
    return out;
}

} // namespace

void FindEdges(TrackSamples& t, const TrackSurface& surface)
{
    const Side left = FindSide(t, surface, 1), right = FindSide(t, surface, -1);
    for (std::size_t i = 0; i < t.rows.size(); ++i) {
        TrackSample& r = t.rows[i];
        r.left = left.edge[i];
        r.right = right.edge[i];
        r.widthLeft = left.width[i];
        r.widthRight = right.width[i];
    }
}

} // namespace velmora
