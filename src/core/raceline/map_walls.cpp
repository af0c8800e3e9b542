#include "core/raceline/map_walls.h"

#include "core/mapin/distance_transform.h"
#include "core/raceline/source_edges.h"
#include "core/raceline/track_raceline.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora {

namespace {

// In cells: a march along a normal stops this near to where the car's
// centre may go no further.
constexpr double kSettled = 0.01;
// In cells: points along a stretch's edges are checked at most this far
// apart, and closer for a small clearance, so that a wall between two of
// them comes nearer than at either by no more than kEdgeDip: a wall's
// corner halfway between points h apart is nearer by about h^2 / 8
// clearances.
constexpr double kEdgeStep = 1;
constexpr double kMinEdgeStep = 0.1;
constexpr double kEdgeDip = 0.02;
// In cells: a wall nearer than the clearance by no more than this leaves
// the corridor as it is.
constexpr double kTolerated = 0.005;
// Cells beyond the farthest a row reaches that the distances are kept for.
constexpr int kWindowRoom = 3;
constexpr int kMaxSteps = 200;
constexpr int kMaxRounds = 16;

// The distance from a point of the map to its nearest wall cell, over the
// window of the map the corridor can reach. The window's rim counts as a
// wall: beyond the map, or beyond the window, nothing is known.
class WallField {
public:
    WallField(const MapWalls& walls, CellBox window) : frame_(walls.frame), box_(window)
    {
        if (window.maxX < window.minX || window.maxY < window.minY)
            return;
        walls_ = CellMask(window.maxX - window.minX + 1, window.maxY - window.minY + 1);
        for (int y = 0; y < walls_.height; ++y)
            for (int x = 0; x < walls_.width; ++x) {
                const bool rim = x == 0 || y == 0 || x + 1 == walls_.width || y + 1 == walls_.height;
                walls_.cells[walls_.Index(x, y)] = rim || !walls.freeCells.At(box_.minX + x, box_.minY + y);
            }
        distance_ = SquaredDistances(walls_);
        for (float& d : distance_)
            d = std::sqrt(d);
    }

    // Metres from p (world) to the nearest wall cell's square: exact when
    // that is less than `need` and half a cell, otherwise no more than it.
    double Clearance(WorldPoint p, double need) const
    {
        const double mpp = frame_.metresPerPixel;
        const double x = frame_.CanvasX(p.x) - box_.minX, y = frame_.CanvasY(p.y) - box_.minY;
        if (!(x >= 0 && y >= 0 && x < walls_.width && y < walls_.height))
            return 0;
        const int cx = int(x), cy = int(y);
        const double fromCentre = std::hypot(x - cx - 0.5, y - cy - 0.5);
        const double d = distance_[walls_.Index(cx, cy)];
        // The nearest wall cell's centre lies at least d less the way to
        // this cell's centre away, its square half a diagonal nearer.
        const double lower = d - fromCentre - kMapCellReach;
        if (lower * mpp >= need + 0.5 * mpp)
            return lower * mpp;
        return Exact(x, y, d + fromCentre) * mpp;
    }

private:
    // The nearest wall square to (x, y) in window cells, given that one lies
    // no further than `upper`: its centre then lies within half a diagonal more.
    double Exact(double x, double y, double upper) const
    {
        const double reach = upper + kMapCellReach;
        const int x0 = std::max(0, int(std::floor(x - reach))),
                  x1 = std::min(walls_.width - 1, int(x + reach));
        const int y0 = std::max(0, int(std::floor(y - reach))),
                  y1 = std::min(walls_.height - 1, int(y + reach));
        double best = upper * upper;
        for (int j = y0; j <= y1; ++j) {
            const double dy = std::max(std::abs(y - j - 0.5) - 0.5, 0.0);
            if (dy * dy >= best)
                continue;
            const std::uint8_t* row = walls_.cells.data() + walls_.Index(0, j);
            for (int i = x0; i <= x1; ++i) {
                if (!row[i])
                    continue;
                const double dx = std::max(std::abs(x - i - 0.5) - 0.5, 0.0);
                best = std::min(best, dx * dx + dy * dy);
            }
        }
        return std::sqrt(best);
    }

    WorldFrame frame_;
    CellBox box_;
    CellMask walls_;
    std::vector<float> distance_;
};

WorldPoint Along(WorldPoint p, WorldPoint u, double t)
{
    return {p.x + t * u.x, p.y + t * u.y};
}

// The map's cells within `reach` metres of the corridor's centre line.
CellBox WindowOf(const RacelineInput& c, const MapWalls& walls, double reach)
{
    const WorldFrame& f = walls.frame;
    const double room = reach / f.metresPerPixel + kWindowRoom;
    double minX = HUGE_VAL, maxX = -HUGE_VAL, minY = HUGE_VAL, maxY = -HUGE_VAL;
    for (const WorldPoint& p : c.centre) {
        minX = std::min(minX, f.CanvasX(p.x));
        maxX = std::max(maxX, f.CanvasX(p.x));
        minY = std::min(minY, f.CanvasY(p.y));
        maxY = std::max(maxY, f.CanvasY(p.y));
    }
    const auto clip = [](double v, int size) {
        return int(std::clamp(std::floor(v), 0.0, double(size - 1)));
    };
    CellBox box;
    if (!(maxX + room >= 0 && maxY + room >= 0 && minX - room < walls.freeCells.width &&
          minY - room < walls.freeCells.height))
        return box; // the corridor lies off the map: all of it is wall
    box.minX = clip(minX - room, walls.freeCells.width);
    box.maxX = clip(maxX + room, walls.freeCells.width);
    box.minY = clip(minY - room, walls.freeCells.height);
    box.maxY = clip(maxY + room, walls.freeCells.height);
    return box;
}

// How far from p along u a car's centre keeps `need` from every wall, no
// further than `cap`: stepping each time by the clearance to spare, which
// no wall can be nearer than.
double Reach(const WallField& field, WorldPoint p, WorldPoint u, double need, double cap, double settled)
{
    double t = 0;
    for (int step = 0; step < kMaxSteps; ++step) {
        const double spare = field.Clearance(Along(p, u, t), need) - need;
        if (spare < settled)
            break;
        t += spare;
        if (t >= cap)
            return cap;
    }
    return t;
}

// How much nearer than `need` a wall comes to the points from a to b.
double Deficit(const WallField& field, WorldPoint a, WorldPoint b, double need, double step)
{
    const int parts = std::max(1, int(std::ceil(std::hypot(b.x - a.x, b.y - a.y) / step)));
    double deficit = 0;
    for (int k = 0; k <= parts; ++k) {
        const double t = double(k) / parts;
        deficit =
            std::max(deficit, need - field.Clearance({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)}, need));
    }
    return deficit;
}

// How much nearer than `need` a wall comes to the arc of radius r round p
// from direction u to direction v (the shorter way).
double ArcDeficit(const WallField& field, WorldPoint p, WorldPoint u, WorldPoint v, double r, double need,
                  double step)
{
    const double turn = std::atan2(u.x * v.y - u.y * v.x, u.x * v.x + u.y * v.y);
    const int parts = int(std::ceil(std::abs(turn) * r / step));
    double deficit = 0;
    for (int k = 1; k < parts; ++k) {
        const double a = turn * k / parts, c = std::cos(a), s = std::sin(a);
        deficit = std::max(deficit,
                           need - field.Clearance(Along(p, {c * u.x - s * u.y, s * u.x + c * u.y}, r), need));
    }
    return deficit;
}

// The outward normal of the stretch from row i to the next on one side.
WorldPoint StretchNormal(const RacelineInput& c, std::size_t i, double sign)
{
    const WorldPoint p = c.centre[i], q = c.centre[(i + 1) % c.centre.size()];
    const double length = std::hypot(q.x - p.x, q.y - p.y);
    if (!(length > 0))
        return {0, 0};
    return {-sign * (q.y - p.y) / length, sign * (q.x - p.x) / length};
}

// One round over the stretches on one side that touch a row narrowed in
// the round before (`changed`, all at first): marks the rows it narrows in
// `narrowed`.
void ClearStretches(RacelineInput& c, const WallField& field, double sign, double need, double step,
                    double tolerated, const std::vector<char>& changed, std::vector<char>& narrowed)
{
    const std::size_t n = c.centre.size();
    const std::size_t stretches = c.closed ? n : n - 1;
    std::vector<double>& w = sign > 0 ? c.widthLeft : c.widthRight;
    const auto narrow = [&](std::size_t i, double by) {
        const double was = w[i];
        w[i] = std::max(need, w[i] - by);
        narrowed[i] = narrowed[i] || w[i] != was;
    };
    for (std::size_t i = 0; i < stretches; ++i) {
        const std::size_t j = (i + 1) % n, k = (j + 1) % n;
        if (!changed[i] && !changed[j] && !changed[k])
            continue;
        const WorldPoint u = StretchNormal(c, i, sign);
        if ((u.x == 0 && u.y == 0) || w[i] < need || w[j] < need)
            continue;
        const double edge = Deficit(field, Along(c.centre[i], u, w[i] - need),
                                    Along(c.centre[j], u, w[j] - need), need, step);
        if (edge > tolerated) {
            narrow(i, edge);
            narrow(j, edge);
        }
        if (!c.closed && j + 1 >= n)
            continue;
        const WorldPoint v = StretchNormal(c, j, sign);
        if (v.x == 0 && v.y == 0)
            continue;
        const double corner = ArcDeficit(field, c.centre[j], u, v, w[j] - need, need, step);
        if (corner > tolerated)
            narrow(j, corner);
    }
}

} // namespace

void FitToMapWalls(RacelineInput& c, const MapWalls& walls, double clearance, double farthest,
                   bool reachFreeSpace)
{
    const std::size_t n = c.centre.size();
    const double mpp = walls.frame.metresPerPixel;
    const auto finite = [](WorldPoint p) { return std::isfinite(p.x) && std::isfinite(p.y); };
    // What cannot be measured is left for the race line to refuse.
    if (n < 2 || c.widthLeft.size() != n || c.widthRight.size() != n || !(mpp > 0) ||
        !std::isfinite(farthest) ||
        walls.freeCells.cells.size() !=
            std::size_t(walls.freeCells.width) * std::size_t(walls.freeCells.height) ||
        !std::all_of(c.centre.begin(), c.centre.end(), finite))
        return;
    const WallField field(walls, WindowOf(c, walls, farthest + clearance));
    const std::vector<WorldPoint> normals = LeftNormals(c.centre, c.closed);
    for (std::size_t i = 0; i < n; ++i) {
        const WorldPoint p = c.centre[i], u = normals[i];
        const double here = field.Clearance(p, clearance);
        double left = here, right = here;
        if (here >= clearance && (u.x != 0 || u.y != 0)) {
            // Twice the distance to the nearest wall is as far as a row of
            // a line midway between the walls reaches, unless it looks out
            // into an opening beside the track.
            const double cap = std::min(farthest, 2 * here + 2 * mpp);
            left = clearance + Reach(field, p, u, clearance, cap, kSettled * mpp);
            right = clearance + Reach(field, p, {-u.x, -u.y}, clearance, cap, kSettled * mpp);
        }
        c.widthLeft[i] = reachFreeSpace ? left : std::min(c.widthLeft[i], left);
        c.widthRight[i] = reachFreeSpace ? right : std::min(c.widthRight[i], right);
    }
    const double step = mpp * std::clamp(std::sqrt(8 * kEdgeDip * clearance / mpp), kMinEdgeStep, kEdgeStep);
    for (const double sign : {1.0, -1.0}) {
        std::vector<char> changed(n, 1), narrowed(n, 0);
        for (int round = 0; round < kMaxRounds; ++round) {
            ClearStretches(c, field, sign, clearance, step, kTolerated * mpp, changed, narrowed);
            if (std::find(narrowed.begin(), narrowed.end(), 1) == narrowed.end())
                break;
            changed.swap(narrowed);
            std::fill(narrowed.begin(), narrowed.end(), 0);
        }
    }
}

} // namespace velmora
