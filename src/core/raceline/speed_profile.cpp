#include "core/raceline/speed_profile.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace velmora {

namespace {

// The share of the longitudinal limit left at squared speed u in a bend of
// curvature kappa.
double GripLeft(double u, double kappa, const Vehicle& car)
{
    const double lateral = u * std::abs(kappa) / car.maxLateralAccelerationMps2;
    return std::sqrt(std::max(0.0, 1 - lateral * lateral));
}

// The highest squared speed at a row, at most cap, from which braking over
// gap at this row's grip still reaches nextU. The braking available falls as
// the speed rises, so the condition is monotone and a bisection finds it.
double BrakingEntry(double nextU, double kappa, double gap, double cap, const Vehicle& car)
{
    const auto fits = [&](double u) {
        return u <= nextU + 2 * gap * car.maxBrakingMps2 * GripLeft(u, kappa, car);
    };
    if (fits(cap))
        return cap;
    double lo = std::min(nextU, cap);
    double hi = cap;
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2;
        (fits(mid) ? lo : hi) = mid;
    }
    return lo;
}

// The squared speed reached after driving over gap from squared speed u
// with full drive: the grip left beside the bend's lateral load, and no
// more than the motor gives at that speed. The motor's share falls with the
// speed, so it is taken at the middle of the gap (a midpoint step), not at
// its start, which would promise the car more than it gets.
double DrivingExit(double u, double kappa, double gap, const Vehicle& car)
{
    const auto drive = [&](double at) {
        return std::min(car.DriveLimit(std::sqrt(at)), car.maxAccelerationMps2 * GripLeft(at, kappa, car));
    };
    const double middle = u + gap * drive(u);
    return u + 2 * gap * std::min(drive(u), drive(middle));
}

} // namespace

SpeedProfile ComputeSpeedProfile(const std::vector<double>& kappa, const std::vector<double>& gaps,
                                 bool closed, const Vehicle& car)
{
    SpeedProfile profile;
    const std::size_t n = kappa.size();
    if (n == 0)
        return profile;
    // Squared speeds throughout: the passes are linear in them.
    std::vector<double> cap(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double top = car.SpeedCap() * car.SpeedCap();
        const double k = std::abs(kappa[i]);
        cap[i] = k > 0 ? std::min(top, car.maxLateralAccelerationMps2 / k) : top;
    }
    // A loop starts both passes at its slowest corner: no speed reached from
    // elsewhere can be lower there, so one pass round each way is periodic.
    const std::size_t first =
        closed ? static_cast<std::size_t>(std::min_element(cap.begin(), cap.end()) - cap.begin()) : 0;
    const std::size_t steps = n - 1;
    std::vector<double> braking(cap);
    const std::size_t end = closed ? first : n - 1;
    for (std::size_t k = 1; k <= steps; ++k) {
        const std::size_t i = (end + n - k) % n;
        const std::size_t next = (i + 1) % n;
        braking[i] = BrakingEntry(braking[next], kappa[i], gaps[i], cap[i], car);
    }
    std::vector<double> u(n);
    u[first] = closed ? braking[first] : 0.0;
    for (std::size_t k = 1; k <= steps; ++k) {
        const std::size_t i = (first + k) % n;
        const std::size_t prev = (i + n - 1) % n;
        u[i] = std::min(braking[i], DrivingExit(u[prev], kappa[prev], gaps[prev], car));
    }

    profile.speed.resize(n);
    profile.acceleration.assign(n, 0.0);
    for (std::size_t i = 0; i < n; ++i)
        profile.speed[i] = std::sqrt(u[i]);
    const std::size_t segments = closed ? n : n - 1;
    for (std::size_t i = 0; i < segments; ++i) {
        const std::size_t next = (i + 1) % n;
        const double gap = gaps[i];
        if (gap <= 0)
            continue;
        profile.acceleration[i] = (u[next] - u[i]) / (2 * gap);
        const double mean = profile.speed[i] + profile.speed[next];
        if (mean > 0)
            profile.lapTime += 2 * gap / mean; // constant acceleration over the gap
    }
    return profile;
}

} // namespace velmora
