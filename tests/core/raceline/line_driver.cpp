#include "line_driver.h"

#include "core/geometry/angles.h"
#include "single_track.h"

#include <algorithm>
#include <cmath>

namespace velmora::sim {

namespace {

constexpr double kGravity = 9.81;
// Segments either side of the last match searched for the nearest point:
// metres ahead of one 10 ms step at any speed, never the other leg of a
// hairpin.
constexpr long kSearchReach = 25;
// Pure pursuit looks this far ahead: a short base for the tight 1:10
// corners, growing with the speed so the steering does not oscillate.
constexpr double kLookaheadBase = 0.3;
constexpr double kLookaheadPerSpeed = 0.06; // seconds
// The speed controller's gain on the speed error, 1/s.
constexpr double kSpeedGain = 5;
// The path's curvature is that of the circle through each point and the
// points about this many metres either side: the sampled centre line
// wiggles between the knots of its file, which the steering must not copy.
constexpr double kCurvatureReach = 0.5;
// A car turned this far from its direction of travel has spun.
constexpr double kSpunSlip = 0.5;

// A closed polyline with the distance along it and a memory of where the
// car was last, so that the nearest point is searched near it.
class Polyline {
public:
    explicit Polyline(std::vector<WorldPoint> points)
        : p_(std::move(points)), s_(p_.size() + 1, 0.0), heading_(p_.size()), curvature_(p_.size())
    {
        const std::size_t n = p_.size();
        for (std::size_t i = 0; i < n; ++i) {
            const WorldPoint a = p_[(i + n - 1) % n], b = p_[(i + 1) % n];
            s_[i + 1] = s_[i] + std::hypot(b.x - p_[i].x, b.y - p_[i].y);
            heading_[i] = std::atan2(b.y - a.y, b.x - a.x);
        }
        const auto m = std::clamp<std::size_t>(std::lround(kCurvatureReach * n / Length()), 1,
                                               std::max<std::size_t>(1, n / 4));
        for (std::size_t i = 0; i < n; ++i) {
            const WorldPoint a = p_[(i + n - m) % n], b = p_[i], c = p_[(i + m) % n];
            const double turn = WrapAngle(std::atan2(c.y - b.y, c.x - b.x) - std::atan2(b.y - a.y, b.x - a.x));
            curvature_[i] = 2 * std::sin(turn) / std::max(std::hypot(c.x - a.x, c.y - a.y), 1e-9);
        }
    }
    double Length() const { return s_.back(); }
    std::size_t Size() const { return p_.size(); }

    struct Place {
        std::size_t segment = 0;
        double along = 0;  // share of the segment
        double s = 0;      // distance along the loop
        double offset = 0; // signed, left of the direction of travel positive
    };

    Place Nearest(WorldPoint q, std::size_t hint) const
    {
        const long n = static_cast<long>(p_.size());
        Place best;
        double bestD = INFINITY;
        for (long k = -kSearchReach; k <= kSearchReach; ++k) {
            const auto j = static_cast<std::size_t>(((static_cast<long>(hint) + k) % n + n) % n);
            const WorldPoint a = p_[j], b = p_[(j + 1) % p_.size()];
            const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
            const double t =
                len2 > 0 ? std::clamp(((q.x - a.x) * dx + (q.y - a.y) * dy) / len2, 0.0, 1.0) : 0;
            const double ex = q.x - (a.x + t * dx), ey = q.y - (a.y + t * dy);
            const double d = std::hypot(ex, ey);
            if (d < bestD) {
                bestD = d;
                best = {j, t, s_[j] + t * (s_[j + 1] - s_[j]), dx * ey - dy * ex >= 0 ? d : -d};
            }
        }
        return best;
    }

    // The place `ahead` metres further along.
    Place Ahead(const Place& from, double ahead) const
    {
        Place to;
        to.s = std::fmod(from.s + ahead, Length());
        std::size_t j = from.segment;
        while (!(s_[j] <= to.s && to.s <= s_[j + 1]))
            j = (j + 1) % p_.size();
        const double span = s_[j + 1] - s_[j];
        to.segment = j;
        to.along = span > 0 ? (to.s - s_[j]) / span : 0;
        return to;
    }

    WorldPoint At(const Place& at) const
    {
        const WorldPoint a = p_[at.segment], b = p_[(at.segment + 1) % p_.size()];
        return {a.x + at.along * (b.x - a.x), a.y + at.along * (b.y - a.y)};
    }
    // The direction and the curvature of the smooth curve through the
    // points, between the points' own by the share of the segment.
    double Heading(const Place& at) const
    {
        const double a = heading_[at.segment];
        return a + at.along * WrapAngle(heading_[(at.segment + 1) % p_.size()] - a);
    }
    double Curvature(const Place& at) const
    {
        const double a = curvature_[at.segment];
        return a + at.along * (curvature_[(at.segment + 1) % p_.size()] - a);
    }

private:
    std::vector<WorldPoint> p_;
    std::vector<double> s_; // at each point, and the whole length at the end
    std::vector<double> heading_;
    std::vector<double> curvature_;
};

std::vector<WorldPoint> Points(const std::vector<PlannedPoint>& path)
{
    std::vector<WorldPoint> points;
    for (const PlannedPoint& p : path)
        points.push_back({p.x, p.y});
    return points;
}

// The slip angles of the linear tyres in a steady turn of this curvature
// at this speed: each axle carries its share of the lateral force on its
// load, which the acceleration shifts through the centre of gravity's
// height.
struct TyreSlip {
    double front = 0;
    double rear = 0;
};

TyreSlip SteadyTyreSlip(const SingleTrackCar& car, double curvature, double speed, double acceleration)
{
    const double lf = car.frontAxleM, lr = car.rearAxleM, h = car.centreOfGravityHeightM;
    const double lateral = speed * speed * curvature / car.frictionCoefficient;
    return {lateral * lr / (car.frontCorneringStiffness * (kGravity * lr - acceleration * h)),
            lateral * lf / (car.rearCorneringStiffness * (kGravity * lf + acceleration * h))};
}

// The curvature of the arc pure pursuit drives from a point, heading so,
// through the goal.
double ArcTo(WorldPoint from, double heading, WorldPoint goal)
{
    const double dx = goal.x - from.x, dy = goal.y - from.y;
    return 2 * std::sin(WrapAngle(std::atan2(dy, dx) - heading)) / std::max(std::hypot(dx, dy), 1e-6);
}

// The wheel angle for the car at `here` on the line: pure pursuit from the
// centre of gravity along the heading (the direction of travel would leave
// the yaw undamped at speed), less the arc it would ask of a car exactly on
// the line, whose heading lies inside the line by the body's slip angle.
// What is left corrects the offset alone and is added to the line's own
// curvature, so pursuit cuts neither where the curvature changes within its
// lookahead nor for the slip. The tyres' slip angles are added for the
// line's curvature at the car's axle loads, and for the correction at the
// static ones: braking unloads the rear until the car oversteers, which at
// speed would turn the correction round.
double SteerAt(const SingleTrackCar& car, const Polyline& line, const Polyline::Place& here,
               const CarState& state, double acceleration)
{
    const double v = state.speed, curvature = line.Curvature(here);
    const TyreSlip slip = SteadyTyreSlip(car, curvature, v, acceleration);
    const double bodySlip = car.rearAxleM * curvature - slip.rear;
    const WorldPoint goal = line.At(line.Ahead(here, kLookaheadBase + kLookaheadPerSpeed * v));
    const double correction = ArcTo({state.x, state.y}, state.yaw, goal) -
                              ArcTo(line.At(here), line.Heading(here) - bodySlip, goal);
    const TyreSlip corrected = SteadyTyreSlip(car, correction, v, 0);
    return std::atan((car.frontAxleM + car.rearAxleM) * (curvature + correction)) + slip.front - slip.rear +
           corrected.front - corrected.rear;
}

// The plan's speed at a place, or the constant one.
double PlannedSpeed(const std::vector<PlannedPoint>& path, const Polyline::Place& at,
                    const DriveOptions& options)
{
    if (options.constantSpeed > 0)
        return options.constantSpeed;
    const PlannedPoint& a = path[at.segment];
    const PlannedPoint& b = path[(at.segment + 1) % path.size()];
    // Constant acceleration over the segment: the squared speed is linear.
    return std::sqrt(std::max(0.0, a.speed * a.speed + at.along * (b.speed * b.speed - a.speed * a.speed)));
}

// Metres between the car's side and the nearer edge of the surface.
double EdgeGap(const TrackSurface& surface, const Polyline::Place& onCentre, double carWidth)
{
    const auto& side = onCentre.offset >= 0 ? surface.left : surface.right;
    const double a = side[onCentre.segment], b = side[(onCentre.segment + 1) % side.size()];
    return a + onCentre.along * (b - a) - std::abs(onCentre.offset) - carWidth / 2;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

} // namespace

DriveResult DriveLap(const Vehicle& vehicle, const SingleTrackCar& car, const std::vector<PlannedPoint>& path,
                     const TrackSurface& surface, const DriveOptions& options)
{
    const Polyline line(Points(path));
    const Polyline centre(surface.centre);
    DriveResult result;
    result.closestEdge = INFINITY;
    CarState state;
    state.x = path[0].x;
    state.y = path[0].y;
    state.yaw = std::atan2(path[1].y - path[0].y, path[1].x - path[0].x);
    Polyline::Place onLine = line.Nearest({state.x, state.y}, 0);
    Polyline::Place onCentre = centre.Nearest({state.x, state.y}, 0);
    for (std::size_t k = 1; k < centre.Size() && std::abs(onCentre.offset) > 5; ++k)
        onCentre = centre.Nearest({state.x, state.y}, k * 2 * kSearchReach);
    state.speed = PlannedSpeed(path, onLine, options);
    std::vector<double> offPath;
    double travelled = 0;
    const double mean =
        line.Length() / std::max(0.5, options.constantSpeed > 0 ? options.constantSpeed : 1.0);
    for (double t = 0; t < 10 * mean + 600; t += options.dt) {
        // The plan's speed here, its acceleration fed forward.
        const double feed = options.constantSpeed > 0 ? 0 : path[onLine.segment].acceleration;
        const double asked = feed + kSpeedGain * (PlannedSpeed(path, onLine, options) - state.speed);
        const double acceleration = ActualAcceleration(car, state.speed, asked);
        const double steer = std::clamp(SteerAt(car, line, onLine, state, acceleration), -car.maxSteeringRad,
                                        car.maxSteeringRad);
        result.worstFriction = std::max(result.worstFriction,
                                        FrictionNeeded(car, state, acceleration) / car.frictionCoefficient);
        state = Step(car, state, {(steer - state.steer) / options.dt, acceleration}, options.dt);

        const double previousS = onLine.s;
        onLine = line.Nearest({state.x, state.y}, onLine.segment);
        onCentre = centre.Nearest({state.x, state.y}, onCentre.segment);
        offPath.push_back(std::abs(onLine.offset));
        result.worstOffPath = std::max(result.worstOffPath, offPath.back());
        result.closestEdge = std::min(result.closestEdge, EdgeGap(surface, onCentre, vehicle.widthM));
        if (result.closestEdge < 0) {
            result.why = "left the track";
            return result;
        }
        if (std::abs(state.slip) > kSpunSlip || state.speed < 0.1) {
            result.why = "spun";
            return result;
        }
        const double step = std::remainder(onLine.s - previousS, line.Length());
        if (travelled + step >= line.Length()) {
            const double share = step > 0 ? (line.Length() - travelled) / step : 1;
            result.lapTime = t + share * options.dt;
            result.finished = true;
            result.medianOffPath = Median(std::move(offPath));
            return result;
        }
        travelled += step;
    }
    result.why = "did not finish the lap";
    return result;
}

} // namespace velmora::sim
