#include "render/gazebo/surface_outline.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmora {

namespace {

// Cells of about the track's width keep the candidates for a point few.
constexpr double kMinCell = 16;
constexpr int kMaxCells = 1 << 16;

CanvasPoint Along(CanvasPoint a, CanvasPoint b, double t)
{
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

} // namespace

SurfaceOutline::SurfaceOutline(const std::vector<PathFigure>& figures, double r, int canvasWidth,
                               int canvasHeight)
    : r_(r)
{
    // A stroke wider than the canvas has no edge on it to find.
    if (!(r > 0) || !(r < std::hypot(double(canvasWidth), double(canvasHeight))))
        return;
    cell_ = std::max(kMinCell, r);
    while ((canvasWidth / cell_ + 1) * (canvasHeight / cell_ + 1) > kMaxCells)
        cell_ *= 2;
    columns_ = int(canvasWidth / cell_) + 1;
    rows_ = int(canvasHeight / cell_) + 1;
    grid_.resize(std::size_t(columns_) * std::size_t(rows_));
    for (const PathFigure& f : figures) {
        std::vector<CanvasPoint> points;
        for (const PathPoint& p : f.points)
            if (points.empty() || points.back() != CanvasPoint{p.x, p.y})
                points.push_back({p.x, p.y});
        if (f.closed && points.size() > 1 && points.back() == points.front())
            points.pop_back();
        for (std::size_t i = 1; i < points.size(); ++i)
            Add({points[i - 1], points[i], !f.closed && i == 1, !f.closed && i + 1 == points.size()});
        if (f.closed && points.size() > 1)
            Add({points.back(), points.front()});
    }
}

void SurfaceOutline::Add(const Segment& s)
{
    const double reach = r_ + 4;
    // Clamped while still floating point: coordinates may be far beyond int.
    const auto column = [&](double x) { return int(std::clamp(std::floor(x / cell_), 0.0, columns_ - 1.0)); };
    const auto row = [&](double y) { return int(std::clamp(std::floor(y / cell_), 0.0, rows_ - 1.0)); };
    const double x0 = std::min(s.a.x, s.b.x) - reach, x1 = std::max(s.a.x, s.b.x) + reach;
    const double y0 = std::min(s.a.y, s.b.y) - reach, y1 = std::max(s.a.y, s.b.y) + reach;
    if (x1 < 0 || y1 < 0 || x0 > columns_ * cell_ || y0 > rows_ * cell_)
        return;
    const int index = int(segments_.size());
    segments_.push_back(s);
    // Only the cells the stroke can reach, so a long diagonal stretch does
    // not fill its whole bounding box.
    const double within = reach + cell_ * std::numbers::sqrt2 / 2;
    for (int cy = row(y0); cy <= row(y1); ++cy)
        for (int cx = column(x0); cx <= column(x1); ++cx)
            if (DistanceToSegment({(cx + 0.5) * cell_, (cy + 0.5) * cell_}, s.a, s.b) <= within)
                grid_[Cell(cx, cy)].push_back(index);
}

CanvasPoint SurfaceOutline::Snap(CanvasPoint p, double reach) const
{
    if (grid_.empty() || !(p.x >= 0 && p.y >= 0))
        return p;
    const int cx = int(p.x / cell_), cy = int(p.y / cell_);
    if (cx >= columns_ || cy >= rows_)
        return p;
    // The nearest centre line point decides which part of the edge p is on.
    const Segment* best = nullptr;
    double bestDistance = HUGE_VAL, bestT = 0;
    for (const int i : grid_[Cell(cx, cy)]) {
        const Segment& s = segments_[std::size_t(i)];
        const double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
        const double t =
            std::clamp(((p.x - s.a.x) * dx + (p.y - s.a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        const CanvasPoint c = Along(s.a, s.b, t);
        const double d = std::hypot(p.x - c.x, p.y - c.y);
        if (d < bestDistance) {
            bestDistance = d;
            best = &s;
            bestT = t;
        }
    }
    if (!best)
        return p;
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
    const bool pastEnd = (bestT <= 0 && best->openStart) || (bestT >= 1 && best->openEnd);
    if (!pastEnd && bestDistance > 0) {
        const CanvasPoint c = Along(best->a, best->b, bestT);
        consider({c.x + (p.x - c.x) * r_ / bestDistance, c.y + (p.y - c.y) * r_ / bestDistance});
    }
    return moved <= reach ? snapped : p;
}

} // namespace velmora
