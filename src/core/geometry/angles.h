#pragma once

#include <cmath>
#include <numbers>

namespace velmora {

inline constexpr double kPi = std::numbers::pi;
inline constexpr double kRadiansPerDegree = kPi / 180;
inline constexpr double kDegreesPerRadian = 180 / kPi;

inline double Radians(double degrees) { return degrees * kRadiansPerDegree; }
inline double Degrees(double radians) { return radians * kDegreesPerRadian; }

// An angle brought into (-pi, pi], so a heading that passes +-pi is not a
// full turn. Exact: the remainder by 2 pi loses nothing, however many turns
// the angle holds. What is not a finite number comes back as it is.
inline double WrapAngle(double radians)
{
    if (!std::isfinite(radians))
        return radians;
    const double wrapped = std::remainder(radians, 2 * kPi);
    return wrapped <= -kPi ? wrapped + 2 * kPi : wrapped;
}

} // namespace velmora
