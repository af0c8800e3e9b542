#pragma once

#include <cmath>
#include <cstdint>

namespace velmora {

// Nearest integer, halves to the even neighbour (the program's default rule).
inline double RoundHalfEven(double v) { return std::nearbyint(v); }

// Nearest integer, halves away from zero (used for StartAngle and bearings).
inline double RoundHalfAway(double v) { return v > 0 ? std::floor(v + 0.5) : std::ceil(v - 0.5); }

// Saturating conversion for values that end up in 32-bit fields; NaN gives 0.
std::int32_t ToInt32Saturated(double v);

}  // namespace velmora
