#include "line_driver.h"

#include "single_track.h"

#include <algorithm>
#include <cmath>
#include <numbers>

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
// A car turned this far from its direction of travel has spun.
constexpr double kSpunSlip = 0.5;

// A closed polyline with the distance along it and a memory of where the
// car was last, so that the nearest point is searched near it.
class Polyline {
public:
    explicit Polyline(std::vector<WorldPoint> points) : p_(std::move(points)), s_(p_.size() + 1, 0.0)
    {
        for (std::size_t i = 0; i < p_.size(); ++i) {
            const WorldPoint a = p_[i], b = p_[(i + 1) % p_.size()];
            s_[i + 1] = s_[i] + std::hypot(b.x - a.x, b.y - a.y);
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
            const double t = len2 > 0 ? std::clamp(((q.x - a.x) * dx + (q.y - a.y) * dy) / len2, 0.0, 1.0) : 0;
            const double ex = q.x - (a.x + t * dx), ey = q.y - (a.y + t * dy);
            const double d = std::hypot(ex, ey);
            if (d < bestD) {
                bestD = d;
                best = {j, t, s_[j] + t * (s_[j + 1] - s_[j]), dx * ey - dy * ex >= 0 ? d : -d};
            }
        }
        return best;
    }

    // The point `ahead` metres further along from a place, and the segment
    // and share that hold it.
    WorldPoint Ahead(const Place& from, double ahead, std::size_t& segment, double& along) const
    {
        const double length = Length();
        double target = std::fmod(from.s + ahead, length);
        std::size_t j = from.segment;
        while (!(s_[j] <= target && target <= s_[j + 1]))
            j = (j + 1) % p_.size();
        const double span = s_[j + 1] - s_[j];
        along = span > 0 ? (target - s_[j]) / span : 0;
        segment = j;
        const WorldPoint a = p_[j], b = p_[(j + 1) % p_.size()];
        return {a.x + along * (b.x - a.x), a.y + along * (b.y - a.y)};
    }

private:
    std::vector<WorldPoint> p_;
    std::vector<double> s_; // at each point, and the whole length at the end
};

std::vector<WorldPoint> Points(const std::vector<PlannedPoint>& path)
{
    std::vector<WorldPoint> points;
    for (const PlannedPoint& p : path)
        points.push_back({p.x, p.y});
    return points;
}

double Wrapped(double a)
{
    return std::remainder(a, 2 * std::numbers::pi);
}

// The wheel angle that makes the car drive the arc pure pursuit asks for:
// the wheelbase's share, plus the understeer of the linear tyres at that
// lateral acceleration.
double SteerFor(const SingleTrackCar& car, double curvature, double speed)
{
    const double understeer = (1 / car.frontCorneringStiffness - 1 / car.rearCorneringStiffness) /
                              (car.frictionCoefficient * kGravity);
    const double wheelbase = car.frontAxleM + car.rearAxleM;
    return std::atan(wheelbase * curvature) + understeer * speed * speed * curvature;
}

} // namespace

DriveResult DriveLap(const Vehicle& vehicle, const std::vector<PlannedPoint>& path, const TrackSurface& surface,
                     const DriveOptions& options)
{
    const SingleTrackCar& car = vehicle.chassis;
    const Polyline line(Points(path));
    const Polyline centre(surface.centre);
    const auto speedAt = [&](const Polyline::Place& at) {
        if (options.constantSpeed > 0)
            return options.constantSpeed;
        const PlannedPoint& a = path[at.segment];
        const PlannedPoint& b = path[(at.segment + 1) % path.size()];
        // Constant acceleration over the segment: the squared speed is linear.
        return std::sqrt(std::max(0.0, a.speed * a.speed + at.along * (b.speed * b.speed - a.speed * a.speed)));
    };

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
    state.speed = speedAt(onLine);
    double travelled = 0;
    double previousS = onLine.s;
    const double mean = line.Length() / std::max(0.5, options.constantSpeed > 0 ? options.constantSpeed : 1.0);
    const double limit = 10 * mean + 600;
    for (double t = 0; t < limit; t += options.dt) {
        // Pure pursuit from the centre of gravity along the heading: steering
        // on the direction of travel instead leaves the yaw undamped at speed.
        std::size_t segment = 0;
        double along = 0;
        const double lookahead = kLookaheadBase + kLookaheadPerSpeed * state.speed;
        const WorldPoint goal = line.Ahead(onLine, lookahead, segment, along);
        const double dx = goal.x - state.x, dy = goal.y - state.y;
        const double alpha = Wrapped(std::atan2(dy, dx) - state.yaw);
        const double curvature = 2 * std::sin(alpha) / std::max(std::hypot(dx, dy), 1e-6);
        const double steer = std::clamp(SteerFor(car, curvature, state.speed), -car.maxSteeringRad, car.maxSteeringRad);
        // The plan's speed here, its acceleration fed forward.
        const double planned = speedAt(onLine);
        const double feed = options.constantSpeed > 0 ? 0 : path[onLine.segment].acceleration;
        CarInput input{(steer - state.steer) / options.dt, feed + kSpeedGain * (planned - state.speed)};
        const double acceleration =
            ActualAcceleration(car, vehicle.driveSwitchSpeedMps, state.speed, input.acceleration);
        result.worstFriction = std::max(result.worstFriction, FrictionNeeded(car, state, acceleration) /
                                                                  car.frictionCoefficient);
        state = Step(car, vehicle.driveSwitchSpeedMps, state, input, options.dt);

        onLine = line.Nearest({state.x, state.y}, onLine.segment);
        onCentre = centre.Nearest({state.x, state.y}, onCentre.segment);
        result.worstOffPath = std::max(result.worstOffPath, std::abs(onLine.offset));
        const auto& side = onCentre.offset >= 0 ? surface.left : surface.right;
        const double width =
            side[onCentre.segment] + onCentre.along * (side[(onCentre.segment + 1) % side.size()] -
                                                       side[onCentre.segment]);
        result.closestEdge = std::min(result.closestEdge, width - std::abs(onCentre.offset) - vehicle.widthM / 2);
        if (result.closestEdge < 0) {
            result.why = "left the track";
            return result;
        }
        if (std::abs(state.slip) > kSpunSlip || state.speed < 0.1) {
            result.why = "spun";
            return result;
        }
        const double step = std::remainder(onLine.s - previousS, line.Length());
        previousS = onLine.s;
        if (travelled + step >= line.Length()) {
            const double share = step > 0 ? (line.Length() - travelled) / step : 1;
            result.lapTime = t + share * options.dt;
            result.finished = true;
            return result;
        }
        travelled += step;
    }
    result.why = "did not finish the lap";
    return result;
}

} // namespace velmora::sim
