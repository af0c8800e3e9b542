#pragma once

#include "core/raceline/vehicle.h"

#include <vector>

namespace velmora {

struct SpeedProfile {
    std::vector<double> speed;        // m/s at each row
    std::vector<double> acceleration; // m/s^2 from each row to the next (0 at the end of an open line)
    double lapTime = 0;               // s, the closing gap of a loop included
};

// The fastest speeds along a line that the vehicle's grip allows: lateral
// (v^2 |kappa|) and longitudinal acceleration share the friction ellipse, and
// the top speed (the car's or its controller's), the drive (falling off above the vehicle's switch speed)
// and braking limits hold at every row. gaps[i] is the
// distance from row i to the next: n gaps for a loop (the last one closing
// it), n - 1 for an open line. A loop's profile is periodic; an open line
// starts from standstill and may cross its end at speed.
SpeedProfile ComputeSpeedProfile(const std::vector<double>& kappa, const std::vector<double>& gaps,
                                 bool closed, const Vehicle& vehicle);

} // namespace velmora
