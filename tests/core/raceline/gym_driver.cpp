#include "gym_driver.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <optional>

namespace velmora::sim {

namespace {

// The planner's answer when it has lost the path: the example drives on
// straight at 4 m/s.
constexpr double kLostSpeed = 4.0;
// Beyond this distance from the path the planner no longer heads for it.
constexpr double kReacquire = 20.0;
// The gym turns the wheels at the full steering rate until they are this
// close to the angle asked for.
constexpr double kSteerDeadband = 1e-4;
// Steps the gym holds a steering command back.
constexpr std::size_t kSteerDelay = 2;

struct Nearest {
    std::size_t segment = 0;
    double along = 0; // share of the segment
    double distance = 0;
};

// The example's nearest_point_on_trajectory: every segment between rows.
Nearest NearestOnRows(const std::vector<Waypoint>& rows, double x, double y)
{
    Nearest best;
    best.distance = INFINITY;
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        const double dx = rows[i + 1].x - rows[i].x, dy = rows[i + 1].y - rows[i].y;
        const double t = std::clamp(((x - rows[i].x) * dx + (y - rows[i].y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        const double d = std::hypot(x - (rows[i].x + t * dx), y - (rows[i].y + t * dy));
        if (d < best.distance)
            best = {i, t, d};
    }
    return best;
}

// Where the segment from row i to row i + 1 crosses the circle, as shares
// of the segment (the example nudges the end by 1e-6 m, as here).
std::optional<std::array<double, 2>> CircleCrossing(const Waypoint& a, const Waypoint& b, double x, double y,
                                                    double radius)
{
    const double vx = b.x + 1e-6 - a.x, vy = b.y + 1e-6 - a.y;
    const double qa = vx * vx + vy * vy;
    const double qb = 2 * (vx * (a.x - x) + vy * (a.y - y));
    const double qc = a.x * a.x + a.y * a.y + x * x + y * y - 2 * (a.x * x + a.y * y) - radius * radius;
    const double disc = qb * qb - 4 * qa * qc;
    if (disc < 0)
        return std::nullopt;
    const double root = std::sqrt(disc);
    return std::array<double, 2>{(-qb - root) / (2 * qa), (-qb + root) / (2 * qa)};
}

bool Within(double t)
{
    return t >= 0 && t <= 1;
}

// The example's first_point_on_trajectory_intersecting_circle with wrap:
// the first segment from the car's place on that the circle crosses, on the
// first segment only past the car's share of it; then from the closing
// segment round to where the search began. Its result is the row the
// crossing segment starts from, not the crossing itself.
std::optional<std::size_t> LookaheadRow(const std::vector<Waypoint>& rows, double x, double y, double radius,
                                        double place)
{
    const auto n = static_cast<long>(rows.size());
    const long start = static_cast<long>(place);
    const double startT = std::fmod(place, 1.0);
    for (long i = start; i + 1 < n; ++i) {
        const auto t = CircleCrossing(rows[i], rows[i + 1], x, y, radius);
        if (!t)
            continue;
        const bool first = i == start;
        if ((Within((*t)[0]) && (!first || (*t)[0] >= startT)) || (Within((*t)[1]) && (!first || (*t)[1] >= startT)))
            return static_cast<std::size_t>(i);
    }
    for (long i = -1; i < start; ++i) {
        const auto t = CircleCrossing(rows[(i + n) % n], rows[(i + 1 + n) % n], x, y, radius);
        if (t && (Within((*t)[0]) || Within((*t)[1])))
            return static_cast<std::size_t>((i + n) % n);
    }
    return std::nullopt;
}

struct Command {
    double speed = kLostSpeed;
    double steer = 0;
};

// The example's PurePursuitPlanner.plan: the look-ahead row's offset across
// the car as the arc through it, over the look-ahead distance (not the
// row's own); the speed of the row that starts the nearest segment.
Command Plan(const std::vector<Waypoint>& rows, const CarState& s, double wheelbase, const GymOptions& o,
             Nearest& nearest)
{
    nearest = NearestOnRows(rows, s.x, s.y);
    std::size_t target = nearest.segment;
    if (nearest.distance < o.lookahead) {
        const auto row = LookaheadRow(rows, s.x, s.y, o.lookahead, double(nearest.segment) + nearest.along);
        if (!row)
            return {};
        target = *row;
    } else if (nearest.distance >= kReacquire) {
        return {};
    }
    const double across = -std::sin(s.yaw) * (rows[target].x - s.x) + std::cos(s.yaw) * (rows[target].y - s.y);
    const double speed = o.speedGain * rows[nearest.segment].speed;
    if (std::abs(across) < 1e-6)
        return {speed, 0};
    return {speed, std::atan(wheelbase * 2 * across / (o.lookahead * o.lookahead))};
}

// The gym's pid(): full steering rate towards the angle asked, an
// acceleration in proportion to the speed error, its gain from the car's
// limits.
CarInput GymController(const SingleTrackCar& car, const CarState& s, double speed, double steer)
{
    const double steerError = steer - s.steer;
    CarInput in;
    in.steerRate = std::abs(steerError) > kSteerDeadband ? std::copysign(car.maxSteeringRateRadps, steerError) : 0;
    const double error = speed - s.speed;
    const double gain = (s.speed > 0 ? 10.0 : 2.0) * car.motorAccelerationMps2 /
                        (error > 0 ? car.topSpeedMps : car.reverseSpeedMps);
    in.acceleration = gain * error;
    return in;
}

double BoxDistance(double px, double py, double x0, double y0, double x1, double y1)
{
    return std::hypot(std::max({x0 - px, 0.0, px - x1}), std::max({y0 - py, 0.0, py - y1}));
}

// The distance between the car's body and the nearest wall cell within
// `reach` metres of its centre, 0 on contact.
double BodyToWalls(const SingleTrackCar& car, double length, const CarState& s, const WallCells& walls,
                   double reach)
{
    const double c = std::cos(s.yaw), n = std::sin(s.yaw), hl = length / 2, hw = car.widthM / 2;
    std::array<std::array<double, 2>, 4> body;
    for (int k = 0; k < 4; ++k) {
        const double a = (k == 0 || k == 3) ? hl : -hl, b = k < 2 ? hw : -hw;
        body[k] = {s.x + a * c - b * n, s.y + a * n + b * c};
    }
    const WorldFrame& f = walls.frame;
    const int x0 = int(std::floor(f.CanvasX(s.x - reach))), x1 = int(std::floor(f.CanvasX(s.x + reach)));
    const int y0 = int(std::floor(f.CanvasY(s.y + reach))), y1 = int(std::floor(f.CanvasY(s.y - reach)));
    double least = INFINITY;
    for (int py = y0; py <= y1; ++py)
        for (int px = x0; px <= x1; ++px) {
            if (!walls.At(px, py))
                continue;
            const double lx = f.X(px), hx = f.X(px + 1), ly = f.Y(py + 1), hy = f.Y(py);
            // Separated along one of the four axes, or touching.
            const double cx = (lx + hx) / 2 - s.x, cy = (ly + hy) / 2 - s.y, half = (hx - lx) / 2;
            const double alongBody = std::abs(cx * c + cy * n), acrossBody = std::abs(-cx * n + cy * c);
            const double spread = half * (std::abs(c) + std::abs(n));
            const bool apart = std::abs(cx) > half + hl * std::abs(c) + hw * std::abs(n) ||
                               std::abs(cy) > half + hl * std::abs(n) + hw * std::abs(c) ||
                               alongBody > hl + spread || acrossBody > hw + spread;
            if (!apart)
                return 0;
            // Apart, two convex shapes are nearest at a corner of one.
            for (const auto& p : body)
                least = std::min(least, BoxDistance(p[0], p[1], lx, ly, hx, hy));
            for (const double qx : {lx, hx})
                for (const double qy : {ly, hy}) {
                    const double ax = (qx - s.x) * c + (qy - s.y) * n, ay = -(qx - s.x) * n + (qy - s.y) * c;
                    least = std::min(least, BoxDistance(ax, ay, -hl, -hw, hl, hw));
                }
        }
    return least;
}

double Percentile95(std::vector<double> values)
{
    if (values.empty())
        return 0;
    const auto at = values.begin() + static_cast<long>(values.size() * 95 / 100);
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

} // namespace

GymRun DriveGym(const SingleTrackCar& car, const std::vector<Waypoint>& rows, const WallCells& walls,
                const GymOptions& options)
{
    GymRun run;
    std::vector<double> along(rows.size(), 0.0);
    for (std::size_t i = 1; i < rows.size(); ++i)
        along[i] = along[i - 1] + std::hypot(rows[i].x - rows[i - 1].x, rows[i].y - rows[i - 1].y);
    const double length = along.back();
    CarState s;
    s.x = rows[0].x;
    s.y = rows[0].y;
    s.yaw = std::atan2(rows[1].y - rows[0].y, rows[1].x - rows[0].x);
    std::deque<double> delayed(kSteerDelay, 0.0);
    std::vector<double> offPath;
    const double reach = std::hypot(car.lengthM, car.widthM) / 2 + 0.3;
    double travelled = 0, lastPlace = 0, lapStart = 0;
    const double limit = options.laps * length / 0.5 + 60;
    for (double t = options.dt; t < limit; t += options.dt) {
        Nearest nearest;
        const Command command = Plan(rows, s, car.Wheelbase(), options, nearest);
        offPath.push_back(nearest.distance);
        delayed.push_back(command.steer);
        const double steer = delayed.front();
        delayed.pop_front();
        s = Step(car, s, GymController(car, s, command.speed, steer), options.dt);

        const double wall =
            BodyToWalls(car, options.bodyLengthM > 0 ? options.bodyLengthM : car.lengthM, s, walls, reach);
        run.closestWall = std::min(run.closestWall, wall);
        if (wall <= 0) {
            run.why = "the body touched a wall at " + std::to_string(t) + " s, lap " +
                      std::to_string(run.lapTimes.size() + 1) + " at (" + std::to_string(s.x) + ", " +
                      std::to_string(s.y) + ") at " + std::to_string(s.speed) + " m/s, " +
                      std::to_string(nearest.distance) + " m off the line";
            break;
        }
        const Nearest at = NearestOnRows(rows, s.x, s.y);
        const double place = along[at.segment] + at.along * (along[at.segment + 1] - along[at.segment]);
        const double step = std::remainder(place - lastPlace, length);
        lastPlace = place;
        travelled += step;
        if (travelled >= length * double(run.lapTimes.size() + 1)) {
            const double over = (travelled - length * double(run.lapTimes.size() + 1)) / std::max(step, 1e-9);
            const double end = t - std::clamp(over, 0.0, 1.0) * options.dt;
            run.lapTimes.push_back(end - lapStart);
            lapStart = end;
            if (int(run.lapTimes.size()) == options.laps) {
                run.finished = true;
                break;
            }
        }
    }
    if (!run.finished && run.why.empty())
        run.why = "did not finish " + std::to_string(options.laps) + " laps";
    for (const double d : offPath)
        run.worstOffPath = std::max(run.worstOffPath, d);
    run.offPath95 = Percentile95(std::move(offPath));
    return run;
}

} // namespace velmora::sim
