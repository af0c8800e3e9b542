#include "core/track/track_surface.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmora {

namespace {

// Cells of about the track's width keep the candidates for a point few.
constexpr double kMinCell = 16;
constexpr int kMaxCells = 1 << 16;
// A segment is listed in every cell its stroke comes this much nearer than.
constexpr double kSlack = 4;

CanvasPoint Along(CanvasPoint a, CanvasPoint b, double t)
{
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

struct Span {
    double lo = 0;
    double hi = 0;
};

// Narrows [lo, hi] to where x0 + t dx lies within [min, max].
bool Slab(double x0, double dx, double min, double max, Span& span)
{
    if (dx == 0)
        return x0 >= min && x0 <= max;
    const double t1 = (min - x0) / dx, t2 = (max - x0) / dx;
    span.lo = std::max(span.lo, std::min(t1, t2));
    span.hi = std::min(span.hi, std::max(t1, t2));
    return span.lo <= span.hi;
}

// Where the ray p + t d (d of unit length) is within r of c.
bool DiscSpan(CanvasPoint p, CanvasPoint d, CanvasPoint c, double r, Span& span)
{
    const double qx = p.x - c.x, qy = p.y - c.y;
    const double b = qx * d.x + qy * d.y;
    const double disc = b * b - (qx * qx + qy * qy - r * r);
    if (!(disc >= 0))
        return false;
    const double root = std::sqrt(disc);
    span = {-b - root, -b + root};
    return true;
}

} // namespace

TrackSurface::TrackSurface(const std::vector<PathFigure>& figures, double r) : r_(r)
{
    if (!(r > 0) || !std::isfinite(r))
        return;
    Build(figures);
    if (segments_.empty())
        return;
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    for (const Segment& s : segments_)
        for (const CanvasPoint p : {s.a, s.b}) {
            minX = std::min(minX, p.x);
            minY = std::min(minY, p.y);
            maxX = std::max(maxX, p.x);
            maxY = std::max(maxY, p.y);
        }
    const double reach = r + kSlack;
    Index(minX - reach, minY - reach, maxX + reach, maxY + reach);
}

TrackSurface::TrackSurface(const std::vector<PathFigure>& figures, double r, int canvasWidth,
                           int canvasHeight)
    : r_(r)
{
    // A stroke wider than the canvas has no edge on it to find.
    if (!(r > 0) || !(r < std::hypot(double(canvasWidth), double(canvasHeight))))
        return;
    Build(figures);
    Index(0, 0, canvasWidth, canvasHeight);
}

void TrackSurface::Build(const std::vector<PathFigure>& figures)
{
    // The path's own measure gives each segment's start, so distances agree
    // with the samples'; repeated points have no stroke of their own.
    const PathMeasure measure(figures);
    const std::vector<PathMeasure::Segment>& measured = measure.Segments();
    std::size_t k = 0;
    for (const PathFigure& f : figures) {
        const std::size_t count = f.points.empty() ? 0 : f.points.size() - 1 + (f.closed ? 1 : 0);
        const std::size_t first = segments_.size();
        for (std::size_t i = 0; i < count && k < measured.size(); ++i, ++k) {
            const PathMeasure::Segment& m = measured[k];
            const CanvasPoint a{m.a.x, m.a.y}, b{m.b.x, m.b.y};
            if (a != b)
                segments_.push_back({a, b, {}, {}, m.start});
        }
        const std::size_t n = segments_.size() - first;
        const auto direction = [&](std::size_t i) {
            const Segment& s = segments_[first + i];
            const double len = std::hypot(s.b.x - s.a.x, s.b.y - s.a.y);
            return CanvasPoint{(s.b.x - s.a.x) / len, (s.b.y - s.a.y) / len};
        };
        for (std::size_t i = 0; i < n; ++i) {
            const bool hasBefore = i > 0 || f.closed, hasAfter = i + 1 < n || f.closed;
            segments_[first + i].before = direction(hasBefore ? (i + n - 1) % n : i);
            segments_[first + i].after = direction(hasAfter ? (i + 1) % n : i);
        }
        if (!f.closed && n > 0) {
            segments_[first].openStart = true;
            segments_.back().openEnd = true;
        }
    }
}

void TrackSurface::Index(double minX, double minY, double maxX, double maxY)
{
    if (!(maxX >= minX && maxY >= minY) || !std::isfinite(maxX - minX) || !std::isfinite(maxY - minY))
        return;
    originX_ = minX;
    originY_ = minY;
    const double width = maxX - minX, height = maxY - minY;
    cell_ = std::max(kMinCell, r_);
    while ((width / cell_ + 1) * (height / cell_ + 1) > kMaxCells)
        cell_ *= 2;
    columns_ = int(width / cell_) + 1;
    rows_ = int(height / cell_) + 1;
    grid_.resize(std::size_t(columns_) * std::size_t(rows_));
    const std::vector<Segment> all = std::move(segments_);
    segments_.clear();
    for (const Segment& s : all) {
        segments_.push_back(s);
        Add(int(segments_.size()) - 1);
    }
}

void TrackSurface::Add(int index)
{
    const Segment s = segments_[std::size_t(index)];
    const double reach = r_ + kSlack;
    // Clamped while still floating point: coordinates may be far beyond int.
    const auto column = [&](double x) {
        return int(std::clamp(std::floor((x - originX_) / cell_), 0.0, columns_ - 1.0));
    };
    const auto row = [&](double y) {
        return int(std::clamp(std::floor((y - originY_) / cell_), 0.0, rows_ - 1.0));
    };
    const double x0 = std::min(s.a.x, s.b.x) - reach, x1 = std::max(s.a.x, s.b.x) + reach;
    const double y0 = std::min(s.a.y, s.b.y) - reach, y1 = std::max(s.a.y, s.b.y) + reach;
    if (x1 < originX_ || y1 < originY_ || x0 > originX_ + columns_ * cell_ || y0 > originY_ + rows_ * cell_) {
        segments_.pop_back();
        return;
    }
    // Only the cells the stroke can reach, so a long diagonal stretch does
    // not fill its whole bounding box.
    const double within = reach + cell_ * std::numbers::sqrt2 / 2;
    for (int cy = row(y0); cy <= row(y1); ++cy)
        for (int cx = column(x0); cx <= column(x1); ++cx) {
            const CanvasPoint centre{originX_ + (cx + 0.5) * cell_, originY_ + (cy + 0.5) * cell_};
            if (DistanceToSegment(centre, s.a, s.b) <= within)
                grid_[Cell(cx, cy)].push_back(index);
        }
}

bool TrackSurface::CellOf(CanvasPoint p, int& cx, int& cy) const
{
    const double x = p.x - originX_, y = p.y - originY_;
    if (grid_.empty() || !(x >= 0 && y >= 0))
        return false;
    cx = int(std::min(x / cell_, double(columns_)));
    cy = int(std::min(y / cell_, double(rows_)));
    return cx < columns_ && cy < rows_;
}

TrackSurface::Nearest TrackSurface::NearestSegment(CanvasPoint p) const
{
    Nearest best{nullptr, HUGE_VAL, 0};
    int cx = 0, cy = 0;
    if (!CellOf(p, cx, cy))
        return best;
    for (const int i : grid_[Cell(cx, cy)]) {
        const Segment& s = segments_[std::size_t(i)];
        const double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
        const double t =
            std::clamp(((p.x - s.a.x) * dx + (p.y - s.a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        const CanvasPoint c = Along(s.a, s.b, t);
        const double d = std::hypot(p.x - c.x, p.y - c.y);
        if (d < best.distance)
            best = {&s, d, t};
    }
    return best;
}

std::vector<int> TrackSurface::SegmentsNear(CanvasPoint p, double reach) const
{
    std::vector<int> out;
    const auto index = [&](double v, double origin, int count) {
        return int(std::clamp(std::floor((v - origin) / cell_), 0.0, count - 1.0));
    };
    const int cx0 = index(p.x - reach, originX_, columns_), cx1 = index(p.x + reach, originX_, columns_);
    const int cy0 = index(p.y - reach, originY_, rows_), cy1 = index(p.y + reach, originY_, rows_);
    for (int cy = cy0; cy <= cy1; ++cy)
        for (int cx = cx0; cx <= cx1; ++cx)
            out.insert(out.end(), grid_[Cell(cx, cy)].begin(), grid_[Cell(cx, cy)].end());
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

double TrackSurface::ExitAlong(CanvasPoint p, CanvasPoint d) const
{
    if (grid_.empty() || !std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(d.x) ||
        !std::isfinite(d.y))
        return 0;
    // Every segment whose stroke meets the square of half side `reach`
    // round p is listed in a cell of it; a ray that leaves the surface
    // within that distance has met all it could. Otherwise look further.
    const double whole = std::hypot(columns_ * cell_, rows_ * cell_) + 2 * r_;
    std::vector<Span> spans;
    for (double reach = 2 * r_ + cell_;; reach *= 2) {
        spans.clear();
        for (const int i : SegmentsNear(p, reach)) {
            const Segment& s = segments_[std::size_t(i)];
            const double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y, len = std::hypot(dx, dy);
            const CanvasPoint t{dx / len, dy / len};
            const double u0 = (p.x - s.a.x) * t.x + (p.y - s.a.y) * t.y;
            const double v0 = (p.y - s.a.y) * t.x - (p.x - s.a.x) * t.y;
            // A way out along a flat end is on the surface, whichever side
            // of it rounding puts the direction.
            const double slack = 1e-9 * (len + r_);
            Span band{-HUGE_VAL, HUGE_VAL};
            if (Slab(u0, d.x * t.x + d.y * t.y, -slack, len + slack, band) &&
                Slab(v0, d.y * t.x - d.x * t.y, -r_, r_, band))
                spans.push_back(band);
            Span round;
            if (!s.openStart && DiscSpan(p, d, s.a, r_, round))
                spans.push_back(round);
            if (!s.openEnd && DiscSpan(p, d, s.b, r_, round))
                spans.push_back(round);
        }
        std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.lo < b.lo; });
        double exit = 0;
        bool inside = false;
        for (const Span& span : spans) {
            if (span.lo > exit)
                break;
            if (span.hi >= 0)
                inside = true;
            exit = std::max(exit, span.hi);
        }
        if (!inside)
            return 0;
        if (exit < reach || reach > whole)
            return exit;
    }
}

std::optional<TrackSurface::Place> TrackSurface::PlaceOf(CanvasPoint p) const
{
    const Nearest n = NearestSegment(p);
    if (!n.segment || !(n.distance <= r_ + kSlack))
        return std::nullopt;
    const Segment& s = *n.segment;
    const double len = std::hypot(s.b.x - s.a.x, s.b.y - s.a.y);
    const CanvasPoint foot = Along(s.a, s.b, n.t);
    // Round a corner the direction of travel is half way between the two
    // stretches', so the whole arc lies on one side of it.
    CanvasPoint t{(s.b.x - s.a.x) / len, (s.b.y - s.a.y) / len};
    if (n.t <= 0)
        t = {t.x + s.before.x, t.y + s.before.y};
    else if (n.t >= 1)
        t = {t.x + s.after.x, t.y + s.after.y};
    const double tl = std::hypot(t.x, t.y);
    t = tl > 0 ? CanvasPoint{t.x / tl, t.y / tl} : CanvasPoint{(s.b.x - s.a.x) / len, (s.b.y - s.a.y) / len};
    const double cross = t.x * (p.y - foot.y) - t.y * (p.x - foot.x);
    return Place{s.start + n.t * len, cross < 0 ? 1 : -1, n.distance, foot, t};
}

CanvasPoint TrackSurface::Snap(CanvasPoint p, double reach) const
{
    // The nearest centre line point decides which part of the edge p is on.
    const Nearest n = NearestSegment(p);
    if (!n.segment)
        return p;
    const Segment* best = n.segment;
    // The nearest of the edges that segment makes: its side, and the square
    // cap across a flat end.
    CanvasPoint snapped = p;
    double moved = HUGE_VAL;
    const auto consider = [&](CanvasPoint q) {
        const double d = std::hypot(q.x - p.x, q.y - p.y);
        if (d < moved) {
            moved = d;
            snapped = q;
        }
    };
    const auto cap = [&](CanvasPoint e, CanvasPoint o) {
        const double len = std::hypot(e.x - o.x, e.y - o.y);
        const CanvasPoint v{-(e.y - o.y) / len, (e.x - o.x) / len};
        const double side = std::clamp((p.x - e.x) * v.x + (p.y - e.y) * v.y, -r_, r_);
        consider({e.x + v.x * side, e.y + v.y * side});
    };
    if (best->openStart)
        cap(best->a, best->b);
    if (best->openEnd)
        cap(best->b, best->a);
    const bool pastEnd = (n.t <= 0 && best->openStart) || (n.t >= 1 && best->openEnd);
    if (!pastEnd && n.distance > 0) {
        const CanvasPoint c = Along(best->a, best->b, n.t);
        consider({c.x + (p.x - c.x) * r_ / n.distance, c.y + (p.y - c.y) * r_ / n.distance});
    }
    return moved <= reach ? snapped : p;
}

} // namespace velmora
