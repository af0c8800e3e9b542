#include "core/track/track_generator.h"

#include "core/geometry/angles.h"
#include "core/track/click_track.h"
#include "core/track/editor.h"
#include "core/track/path.h"
#include "core/track/simplify.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>
#include <vector>

namespace velmora {

namespace {

constexpr int kAttempts = 300;
// Turns are worked out here in double; the editor rounds both bearings to
// whole degrees, which can add up to a degree. Keeping a degree inside the
// limit means every click the generator makes is one the editor allows.
constexpr double kTurnMargin = 1.0;
// How far the straight stretches may stray from the smooth line they follow.
constexpr double kTolerance = 1.0;
// Stretches closer than this along the track may come near each other (the
// two sides of a corner); everything further apart must keep a track width
// of clearance.
constexpr double kNeighbourSpan = 2.5;
// The longest loop worth trying, in widths plus heights of the room.
constexpr double kLongestLoop = 2.3;

// splitmix64: small and fast, and unlike the standard distributions it gives
// the same numbers with every compiler and library, so a seed names the same
// tracks everywhere.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    double Between(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t state_;
};

using Vec = CanvasPoint;

Vec operator-(Vec a, Vec b)
{
    return {a.x - b.x, a.y - b.y};
}
Vec operator+(Vec a, Vec b)
{
    return {a.x + b.x, a.y + b.y};
}
Vec operator*(Vec a, double k)
{
    return {a.x * k, a.y * k};
}
double Dot(Vec a, Vec b)
{
    return a.x * b.x + a.y * b.y;
}
double Cross(Vec a, Vec b)
{
    return a.x * b.y - a.y * b.x;
}
double Length(Vec a)
{
    return std::hypot(a.x, a.y);
}

// The room the generator works in: the canvas less the margin every point
// keeps from its edges, less a pixel for rounding to whole pixels.
struct Room {
    int canvasW = 0;
    int canvasH = 0;
    double width = 0; // track width
    double left = 0;
    double top = 0;
    double w = 0;
    double h = 0;
};

Room RoomFor(const Settings& s)
{
    Room r;
    r.canvasW = CanvasSide(s.CanvasWidth);
    r.canvasH = CanvasSide(s.CanvasHeight);
    r.width = std::max(s.TrackWidth, 1.0);
    const double margin = r.width / 2 + 4 + 1;
    r.left = margin;
    r.top = margin;
    r.w = r.canvasW - 2 * margin;
    r.h = r.canvasH - 2 * margin;
    return r;
}

// Signed turn in degrees from the stretch a->b to the stretch b->c.
double TurnDegrees(Vec a, Vec b, Vec c)
{
    const Vec u = b - a;
    const Vec v = c - b;
    return std::atan2(Cross(u, v), Dot(u, v)) * kDegreesPerRadian;
}

double SegmentDistance(Vec a, Vec b, Vec c, Vec d)
{
    const double d1 = Cross(b - a, c - a);
    const double d2 = Cross(b - a, d - a);
    const double d3 = Cross(d - c, a - c);
    const double d4 = Cross(d - c, b - c);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
        return 0;
    return std::min({DistanceToSegment(a, c, d), DistanceToSegment(b, c, d), DistanceToSegment(c, a, b),
                     DistanceToSegment(d, a, b)});
}

double LoopLength(const std::vector<Vec>& loop)
{
    double total = 0;
    for (std::size_t i = 0; i < loop.size(); ++i)
        total += Length(loop[(i + 1) % loop.size()] - loop[i]);
    return total;
}

// --- The smooth line ------------------------------------------------------

// Control points scattered around an ellipse. The curve bends smoothly
// past a single point, more tightly past a doubled one, and a point taken
// three times becomes a true corner with straight runs either side: the
// tracks mix sweeping curves, hairpins and straights. A corner is only made
// where its turn keeps within `maxTurn`.
std::vector<Vec> ControlPoints(Random& rnd, double lengthRatio, double maxTurn)
{
    const int extra = static_cast<int>(std::clamp((lengthRatio - 1.0) * 16, 0.0, 40.0));
    const int count = 5 + rnd.Below(8) + extra;
    const double step = 2 * kPi / count;
    const double phase = rnd.Between(0, 2 * kPi);
    std::vector<Vec> ring;
    for (int k = 0; k < count; ++k) {
        const double angle = phase + step * (k + rnd.Between(-0.35, 0.35));
        const double radius = rnd.Between(0.2, 1.0);
        ring.push_back({radius * std::cos(angle), radius * std::sin(angle)});
    }
    std::vector<Vec> points;
    for (int k = 0; k < count; ++k) {
        const Vec p = ring[k];
        const double turn = TurnDegrees(ring[(k + count - 1) % count], p, ring[(k + 1) % count]);
        const double pick = rnd.Uniform();
        const int copies = pick < 0.3 && std::abs(turn) <= maxTurn * 0.9 ? 3 : pick < 0.5 ? 2 : 1;
        points.insert(points.end(), copies, p);
    }
    return points;
}

Vec BSplinePoint(const std::vector<Vec>& c, std::size_t span, double t)
{
    const std::size_t n = c.size();
    const Vec p0 = c[(span + n - 1) % n], p1 = c[span], p2 = c[(span + 1) % n], p3 = c[(span + 2) % n];
    const double t2 = t * t, t3 = t2 * t, u = 1 - t;
    return (p0 * (u * u * u) + p1 * (3 * t3 - 6 * t2 + 4) + p2 * (-3 * t3 + 3 * t2 + 3 * t + 1) + p3 * t3) *
           (1.0 / 6);
}

// The closed periodic cubic B-spline of the control points, sampled with
// about `spacing` pixels between samples (at least `minPerSpan` a span).
std::vector<Vec> SampleCurve(const std::vector<Vec>& control, double spacing, int minPerSpan)
{
    std::vector<Vec> samples;
    for (std::size_t span = 0; span < control.size(); ++span) {
        const double chord =
            Length(control[(span + 1) % control.size()] - control[span]) +
            Length(control[(span + 2) % control.size()] - control[(span + 1) % control.size()]);
        const int n = std::clamp(static_cast<int>(chord / spacing), minPerSpan, 400);
        for (int i = 0; i < n; ++i)
            samples.push_back(BSplinePoint(control, span, static_cast<double>(i) / n));
    }
    return samples;
}

// Scales and places the control points in the room so that the curve's
// length comes near `target`; false when the shape cannot reach `minLength`.
bool PlaceInRoom(std::vector<Vec>& control, const Room& room, double target, double minLength, Random& rnd)
{
    const std::vector<Vec> coarse = SampleCurve(control, 1e9, 16);
    double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;
    for (const Vec& p : coarse) {
        x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
    }
    if (x1 - x0 <= 0 || y1 - y0 <= 0)
        return false;
    const double sx = room.w / (x1 - x0), sy = room.h / (y1 - y0);
    std::vector<Vec> filled;
    for (const Vec& p : coarse)
        filled.push_back({p.x * sx, p.y * sy});
    const double fillLength = LoopLength(filled);
    if (fillLength < minLength)
        return false;
    const double f = std::min(1.0, target / fillLength);
    const double left = room.left + rnd.Uniform() * room.w * (1 - f);
    const double top = room.top + rnd.Uniform() * room.h * (1 - f);
    for (Vec& p : control)
        p = {left + (p.x - x0) * sx * f, top + (p.y - y0) * sy * f};
    return true;
}

// --- From the smooth line to clicks ---------------------------------------

// The kept samples rounded to whole pixels; samples that round onto the
// point before them are dropped from `keep` too.
std::vector<Vec> Rounded(const std::vector<Vec>& ring, std::vector<std::size_t>& keep)
{
    std::vector<Vec> points;
    std::vector<std::size_t> kept;
    for (const std::size_t i : keep) {
        const Vec p{std::nearbyint(ring[i].x), std::nearbyint(ring[i].y)};
        if (!points.empty() && p.x == points.back().x && p.y == points.back().y)
            continue;
        points.push_back(p);
        kept.push_back(i);
    }
    while (points.size() > 1 && points.back().x == points.front().x && points.back().y == points.front().y) {
        points.pop_back();
        kept.pop_back();
    }
    keep = std::move(kept);
    return points;
}

// Whole-pixel corners along the smooth ring: long stretches where it runs
// straight, short ones where it bends, split further wherever a corner turns
// more than the limit allows. Empty when the ring bends too tightly.
std::vector<Vec> Corners(const std::vector<Vec>& ring, double maxTurn)
{
    const std::size_t n = ring.size();
    std::vector<std::size_t> keep = SimplifyLine(ring, ring, true, kTolerance);
    for (int round = 0; round < 10; ++round) {
        std::sort(keep.begin(), keep.end());
        keep.erase(std::unique(keep.begin(), keep.end()), keep.end());
        const std::vector<Vec> points = Rounded(ring, keep);
        const std::size_t m = points.size();
        if (m < 3)
            return {};
        bool sharp = false;
        std::vector<std::size_t> added;
        for (std::size_t i = 0; i < m; ++i) {
            if (std::abs(TurnDegrees(points[(i + m - 1) % m], points[i], points[(i + 1) % m])) <= maxTurn)
                continue;
            sharp = true;
            // Halve both stretches that meet at the corner: shorter
            // stretches along a bend turn less at each corner.
            for (const std::size_t j : {(i + m - 1) % m, i}) {
                const std::size_t a = keep[j], b = j + 1 < m ? keep[j + 1] : keep[0] + n;
                if (b - a >= 2)
                    added.push_back(((a + b) / 2) % n);
            }
        }
        if (!sharp)
            return points;
        if (added.empty())
            return {};
        keep.insert(keep.end(), added.begin(), added.end());
    }
    return {};
}

// --- Checks on the finished loop ------------------------------------------

bool TurnsWithin(const std::vector<Vec>& loop, double maxTurn)
{
    const std::size_t n = loop.size();
    for (std::size_t i = 0; i < n; ++i)
        if (std::abs(TurnDegrees(loop[(i + n - 1) % n], loop[i], loop[(i + 1) % n])) > maxTurn)
            return false;
    return true;
}

bool InsideMargins(const std::vector<Vec>& loop, const Room& room)
{
    const double margin = room.width / 2 + 4;
    return std::all_of(loop.begin(), loop.end(), [&](Vec p) {
        return p.x >= margin && p.y >= margin && p.x <= room.canvasW - margin && p.y <= room.canvasH - margin;
    });
}

// The loop cut into pieces no longer than half a track width, each with the
// distance along the track where it starts and ends.
struct Piece {
    Vec a, b;
    double s0 = 0, s1 = 0;
};

std::vector<Piece> Pieces(const std::vector<Vec>& loop, double width)
{
    std::vector<Piece> pieces;
    double s = 0;
    for (std::size_t i = 0; i < loop.size(); ++i) {
        const Vec a = loop[i], b = loop[(i + 1) % loop.size()];
        const double len = Length(b - a);
        const int parts = std::max(1, static_cast<int>(std::ceil(len / (width / 2))));
        for (int k = 0; k < parts; ++k) {
            const double t0 = static_cast<double>(k) / parts, t1 = static_cast<double>(k + 1) / parts;
            pieces.push_back({a + (b - a) * t0, a + (b - a) * t1, s + len * t0, s + len * t1});
        }
        s += len;
    }
    return pieces;
}

// No two parts of the track further apart along it than the neighbour span
// come closer than a track width: the surface never runs over itself.
bool ClearOfItself(const std::vector<Vec>& loop, double width)
{
    const std::vector<Piece> pieces = Pieces(loop, width);
    const double total = pieces.empty() ? 0 : pieces.back().s1;
    const double cell = width;
    std::unordered_map<std::int64_t, std::vector<std::size_t>> grid;
    auto key = [](std::int64_t cx, std::int64_t cy) { return cx * 1000003 + cy; };
    auto cellOf = [&](const Piece& p, std::int64_t& cx, std::int64_t& cy) {
        cx = static_cast<std::int64_t>(std::floor((p.a.x + p.b.x) / 2 / cell));
        cy = static_cast<std::int64_t>(std::floor((p.a.y + p.b.y) / 2 / cell));
    };
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        std::int64_t cx, cy;
        cellOf(pieces[i], cx, cy);
        grid[key(cx, cy)].push_back(i);
    }
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const Piece& p = pieces[i];
        std::int64_t cx, cy;
        cellOf(p, cx, cy);
        // Pieces within a width of each other have midpoints within 1.5
        // widths: two cells either way hold every candidate.
        for (std::int64_t dx = -2; dx <= 2; ++dx)
            for (std::int64_t dy = -2; dy <= 2; ++dy) {
                const auto found = grid.find(key(cx + dx, cy + dy));
                if (found == grid.end())
                    continue;
                for (const std::size_t j : found->second) {
                    if (j <= i)
                        continue;
                    const Piece& q = pieces[j];
                    const double along = std::min(q.s0 - p.s1, total - q.s1 + p.s0);
                    if (along > kNeighbourSpan * width && SegmentDistance(p.a, p.b, q.a, q.b) < width)
                        return false;
                }
            }
    }
    return true;
}

// The bearing check the editor makes for the first point, while the track
// is only a start: the turn from heading right to the bearing from the
// canvas's corner.
bool FirstClickAllowed(Vec first, const Settings& s)
{
    Editor ed;
    ed.model.TrackPath = "M 0 0 ";
    SamplePointer(ed, static_cast<int>(first.x), static_cast<int>(first.y));
    return std::abs(ComputeReadout(ed.model).t) <= s.AngleLimit;
}

// A whole-pixel point on the stretch a->b near its middle: exactly on it
// when the stretch passes through one.
Vec MiddleOf(Vec a, Vec b)
{
    const auto dx = static_cast<long long>(b.x - a.x), dy = static_cast<long long>(b.y - a.y);
    const long long g = std::gcd(std::llabs(dx), std::llabs(dy));
    if (g >= 2)
        return {a.x + static_cast<double>(dx / g * (g / 2)), a.y + static_cast<double>(dy / g * (g / 2))};
    return {std::nearbyint((a.x + b.x) / 2), std::nearbyint((a.y + b.y) / 2)};
}

// Starts the loop in the middle of one of its longest straights, where the
// start corner barely turns, in a direction the editor lets the first click
// go.
std::vector<Vec> StartOnAStraight(const std::vector<Vec>& corners, const Settings& s, Random& rnd)
{
    constexpr double kStraight = 1.0; // degrees the start corner may turn
    const std::size_t n = corners.size();
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::size_t i, std::size_t j) {
        return Length(corners[(i + 1) % n] - corners[i]) > Length(corners[(j + 1) % n] - corners[j]);
    });
    const bool reverseFirst = rnd.Uniform() < 0.5;
    for (std::size_t k = 0; k < std::min<std::size_t>(n, 8); ++k) {
        const Vec a = corners[order[k]], b = corners[(order[k] + 1) % n];
        const Vec start = MiddleOf(a, b);
        if (std::abs(TurnDegrees(a, start, b)) > kStraight || (start.x == a.x && start.y == a.y) ||
            (start.x == b.x && start.y == b.y))
            continue;
        for (const bool reverse : {reverseFirst, !reverseFirst}) {
            std::vector<Vec> loop{start};
            for (std::size_t step = 1; step <= n; ++step)
                loop.push_back(reverse ? corners[(order[k] + n + 1 - step) % n]
                                       : corners[(order[k] + step) % n]);
            if (FirstClickAllowed(loop[1], s))
                return loop;
        }
    }
    return {};
}

void DropMarkers(TrackModel& model, const Room& room, int count, Random& rnd)
{
    const PathMeasure measure(model.TrackPath);
    for (int k = 0; k < count; ++k) {
        const PathSample at = measure.At(rnd.Uniform() * measure.TotalLength());
        const double side = rnd.Uniform() < 0.5 ? -1 : 1;
        const double away = side * (room.width / 2 + rnd.Between(12, 28));
        const double a = at.degrees / kDegreesPerRadian;
        const double x = std::clamp(at.x - std::sin(a) * away, 0.0, room.canvasW - 1.0);
        const double y = std::clamp(at.y + std::cos(a) * away, 0.0, room.canvasH - 1.0);
        model.markers.push_back({1 + rnd.Below(3), static_cast<std::int32_t>(std::nearbyint(x)),
                                 static_cast<std::int32_t>(std::nearbyint(y))});
    }
}

// Whether a loop of whole-pixel points is one to hand out: not empty, of a
// length in the range asked for, every turn within the limit, inside the
// margins and clear of itself.
bool Acceptable(const std::vector<Vec>& loop, const GeneratorOptions& o, const Room& room, double maxTurn)
{
    if (loop.empty())
        return false;
    const double length = LoopLength(loop);
    return length >= o.minLength && length <= o.maxLength && TurnsWithin(loop, maxTurn) &&
           InsideMargins(loop, room) && ClearOfItself(loop, room.width);
}

// One try at a track; empty when this shape does not work out.
std::vector<Vec> TryLoop(const Settings& s, const GeneratorOptions& o, const Room& room, Random& rnd)
{
    const double target = rnd.Between(o.minLength, o.maxLength);
    const double maxTurn = s.AngleLimit - kTurnMargin;
    std::vector<Vec> control = ControlPoints(rnd, target / (room.w + room.h), maxTurn);
    if (!PlaceInRoom(control, room, target, o.minLength, rnd))
        return {};
    const std::vector<Vec> corners = Corners(SampleCurve(control, 3, 4), maxTurn);
    if (corners.size() < 3)
        return {};
    std::vector<Vec> loop = StartOnAStraight(corners, s, rnd);
    return Acceptable(loop, o, room, maxTurn) ? loop : std::vector<Vec>{};
}

// --- Loops for a tight turn limit ------------------------------------------

// Below this AngleLimit the shapes above nearly always bend too sharply
// somewhere; every other attempt is then a gentle loop instead.
constexpr int kTightLimit = 14;

// The whole-pixel stretch near `length` pixels whose direction strays least
// from `radians` while turning from the stretch before (direction `after`)
// by more than nothing and at most `maxGap`; the least astray of all when
// none does. Chosen one after the other, short stretches keep every turn
// within the limit although whole pixels only point in some directions.
Vec StretchToward(double radians, double length, double after, double maxGap)
{
    constexpr double kReach = 4; // pixels either way
    const double cx = std::nearbyint(length * std::cos(radians)),
                 cy = std::nearbyint(length * std::sin(radians));
    Vec best{cx, cy}, anyBest{cx, cy};
    double bestError = HUGE_VAL, anyError = HUGE_VAL;
    for (double dy = cy - kReach; dy <= cy + kReach; ++dy)
        for (double dx = cx - kReach; dx <= cx + kReach; ++dx) {
            if (dx == 0 && dy == 0)
                continue;
            const double direction = std::atan2(dy, dx);
            const double error = std::abs(WrapAngle(direction - radians));
            const double turn = WrapAngle(direction - after);
            if (turn > 0 && turn <= maxGap && error < bestError)
                bestError = error, best = {dx, dy};
            if (error < anyError)
                anyError = error, anyBest = {dx, dy};
        }
    return bestError < HUGE_VAL ? best : anyBest;
}

struct Extent {
    double sum = 0;    // the length of the loop's stretches at scale 1
    double across = 0; // its width
    double down = 0;   // its height
};

// The extent of the loop whose first half turns through `weight` stretches.
Extent ExtentOf(const std::vector<double>& weight)
{
    const auto half = static_cast<double>(weight.size());
    Extent e;
    for (std::size_t k = 0; k < weight.size(); ++k) {
        const double a = kPi * static_cast<double>(k) / half;
        e.sum += 2 * weight[k], e.across += weight[k] * std::abs(std::cos(a)), e.down += weight[k] * std::sin(a);
    }
    return e;
}

// The lengths of the first half's stretches: a few random bumps of length
// (one of them the start straight), then straights along the room's longer
// side, since a round loop fills only the shorter side of a long room.
std::vector<double> GentleWeights(int half, const Room& room, Random& rnd)
{
    std::vector<double> weight(half, 1.0);
    struct Bump {
        double at, height, spread;
    };
    std::vector<Bump> bumps{{0, rnd.Between(2, 8), rnd.Between(2, 6)}}; // the start straight
    for (int k = 1 + rnd.Below(3); k > 0; --k)
        bumps.push_back({rnd.Between(0, 180), rnd.Between(0.5, 8), rnd.Between(2, 15)});
    for (int k = 0; k < half; ++k)
        for (const Bump& b : bumps) {
            const double off = std::remainder(180.0 * k / half - b.at, 180.0) / b.spread;
            weight[k] += b.height * std::exp(-off * off);
        }
    const Extent e = ExtentOf(weight);
    const double stretch = rnd.Between(0.5, 1);
    if (e.down * room.w < e.across * room.h)
        weight[half / 2] += stretch * (e.across * room.h / room.w - e.down);
    else
        weight[0] += stretch * (e.down * room.w / room.h - e.across);
    return weight;
}

// Whole-pixel stretches, each turning a little more than the one before;
// the second half is the first reversed, so the loop closes exactly.
std::vector<Vec> GentleSteps(const std::vector<double>& weight, double scale, double maxGap)
{
    const int half = static_cast<int>(weight.size());
    std::vector<Vec> steps;
    double after = -maxGap / 2; // the top straight points right
    for (int k = 0; k < half; ++k) {
        steps.push_back(StretchToward(kPi * k / half, scale * weight[k], after, maxGap));
        after = std::atan2(steps.back().y, steps.back().x);
    }
    for (int k = 0; k < half; ++k)
        steps.push_back(steps[k] * -1.0);
    return steps;
}

// The corners of the loop placed in the room, high and to the right: the
// editor measures the first click's bearing from the canvas's top-left
// corner, and under a tight limit only points near the top and far to the
// right pass. Empty when the loop does not fit.
std::vector<Vec> PlacedCorners(const std::vector<Vec>& steps, const Room& room, double maxTurn, Random& rnd)
{
    // From the left end of the top straight.
    std::vector<Vec> corners{{0, 0}};
    for (std::size_t k = 0; k + 1 < steps.size(); ++k)
        corners.push_back(corners.back() + steps[k]);
    double x0 = 0, x1 = 0, y1 = 0;
    for (const Vec& p : corners)
        x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    if (x1 - x0 > room.w || y1 > room.h)
        return {};
    const double top = std::ceil(room.top + rnd.Uniform() * (room.h - y1) * (maxTurn / 180));
    const double lo = std::ceil(room.left - x0), hi = std::floor(room.left + room.w - x1);
    if (lo > hi)
        return {};
    const Vec shift{lo + std::floor(std::sqrt(rnd.Uniform()) * (hi - lo + 1)), top};
    for (Vec& p : corners)
        p = p + shift;
    return corners;
}

// The loop's points from its start: the first click goes to the end of the
// top straight when the editor lets it, else to the corner of the smallest
// bearing from the canvas's corner, and the start to the middle of the
// stretch before it. Empty when the editor takes neither.
std::vector<Vec> FromFirstClick(const std::vector<Vec>& corners, const Settings& s)
{
    const std::size_t n = corners.size();
    std::size_t first = 1;
    if (!FirstClickAllowed(corners[first], s)) {
        const auto bearing = [](Vec p) { return std::atan2(p.y, p.x); };
        first =
            static_cast<std::size_t>(std::min_element(corners.begin(), corners.end(),
                                                      [&](Vec p, Vec q) { return bearing(p) < bearing(q); }) -
                                     corners.begin());
        if (!FirstClickAllowed(corners[first], s))
            return {};
    }
    const Vec a = corners[(first + n - 1) % n], b = corners[first];
    const Vec start = MiddleOf(a, b);
    if ((start.x == a.x && start.y == a.y) || (start.x == b.x && start.y == b.y))
        return {};
    std::vector<Vec> loop{start};
    for (std::size_t step = 0; step < n; ++step)
        loop.push_back(corners[(first + step) % n]);
    return loop;
}

// A convex loop of many short stretches, each turning a little more than
// the one before, with straights where the random weights bunch up length.
// Each stretch of the first half comes back reversed in the second, so the
// loop closes exactly on whole pixels. It starts in the middle of a
// stretch, on its top straight where the editor's check of the first click
// allows.
std::vector<Vec> GentleLoop(const Settings& s, const GeneratorOptions& o, const Room& room, Random& rnd)
{
    const double maxTurn = s.AngleLimit - kTurnMargin;
    const int half = static_cast<int>(std::ceil(180 / (maxTurn * 0.75)));
    const std::vector<double> weight = GentleWeights(half, room, rnd);
    const Extent e = ExtentOf(weight);
    const double target = rnd.Between(o.minLength, o.maxLength);
    const double scale = std::min({target / e.sum, 0.98 * room.w / e.across, 0.98 * room.h / e.down});
    const double maxGap = (maxTurn - 0.05) / kDegreesPerRadian;
    const std::vector<Vec> corners = PlacedCorners(GentleSteps(weight, scale, maxGap), room, maxTurn, rnd);
    if (corners.empty())
        return {};
    // Stretches that round to no length or to the same direction leave
    // repeated points or straight corners, which the editor takes as they
    // are; a turn beyond the limit after rounding is caught here.
    std::vector<Vec> loop = FromFirstClick(corners, s);
    return Acceptable(loop, o, room, maxTurn) ? loop : std::vector<Vec>{};
}

std::string Pixels(double v)
{
    return std::to_string(static_cast<long long>(std::llround(v)));
}

} // namespace

GeneratorOptions DefaultGeneratorOptions(const Settings& s)
{
    const Room room = RoomFor(s);
    const double span = std::max(0.0, room.w + room.h);
    return {std::floor(span * 0.75), std::floor(span * 1.5), 0};
}

Status GeneratorProblem(const Settings& s, const GeneratorOptions& o)
{
    if (!std::isfinite(s.TrackWidth))
        return Fail("TrackWidth is not a number a track can be drawn with");
    const Room room = RoomFor(s);
    if (room.w < 3 * room.width || room.h < 3 * room.width) {
        const double need = 3 * room.width + (room.canvasW - room.w);
        return Fail("a " + std::to_string(room.canvasW) + " x " + std::to_string(room.canvasH) +
                    " canvas has no room for a loop of TrackWidth " + Pixels(room.width) +
                    " (it needs at least " + Pixels(std::ceil(need)) + " x " + Pixels(std::ceil(need)) + ")");
    }
    if (s.AngleLimit - kTurnMargin < 3)
        return Fail("AngleLimit " + std::to_string(s.AngleLimit) +
                    " is too small to close a loop (it needs at least 4)");
    if (!(o.minLength > 0) || !std::isfinite(o.maxLength) || o.minLength > o.maxLength)
        return Fail("the track lengths " + Pixels(o.minLength) + " to " + Pixels(o.maxLength) +
                    " px are not a range (give a positive --min-length no larger than --max-length)");
    // The loops wind around the canvas a few times at most; asking for more
    // would only use up every attempt.
    const double longest = std::floor(kLongestLoop * (room.w + room.h));
    if (o.minLength > longest)
        return Fail("tracks of " + Pixels(o.minLength) + " px or more do not fit a " +
                    std::to_string(room.canvasW) + " x " + std::to_string(room.canvasH) +
                    " canvas with TrackWidth " + Pixels(room.width) + " (at most about " + Pixels(longest) +
                    " px)");
    return {};
}

Result<TrackModel> GenerateTrack(const Settings& s, const GeneratorOptions& o, std::uint64_t seed,
                                 std::uint64_t index)
{
    if (Status usable = GeneratorProblem(s, o); !usable)
        return Fail(usable.error());
    const Room room = RoomFor(s);
    Random rnd(Random(seed).Next() ^ Random(~index).Next());
    const bool tight = s.AngleLimit < kTightLimit;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::vector<Vec> loop =
            tight && attempt % 2 == 1 ? GentleLoop(s, o, room, rnd) : TryLoop(s, o, room, rnd);
        if (loop.empty())
            continue;
        if (ClickedTrack clicked = ClickTrack(loop, true, s); clicked.ok()) {
            DropMarkers(clicked.model, room, o.markers, rnd);
            return std::move(clicked.model);
        }
    }
    return Fail(
        "no track found in " + std::to_string(kAttempts) + " attempts on a " + std::to_string(room.canvasW) +
        " x " + std::to_string(room.canvasH) + " canvas with TrackWidth " + Pixels(room.width) +
        ", AngleLimit " + std::to_string(s.AngleLimit) + " and lengths " + Pixels(o.minLength) + " to " +
        Pixels(o.maxLength) +
        " px; a larger canvas, a narrower track, a larger AngleLimit or shorter lengths leave more room");
}

} // namespace velmora
