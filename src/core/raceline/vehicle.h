#pragma once

#include "core/result.h"

#include <string_view>

namespace velmora {

// What the racing line and its speed profile need to know of a car. All in
// metres and seconds, every value positive.
//
// A vehicle file holds one "key = value" per line; "#" starts a comment and
// blank lines are allowed. Every key below must be given exactly once:
//   width_m                        overall width of the car
//   safety_margin_m                gap kept to each edge of the track
//   max_lateral_acceleration_mps2  grip in the corners
//   max_acceleration_mps2          forward drive on a straight
//   max_braking_mps2               deceleration on a straight (a positive number)
//   top_speed_mps                  the speed the car cannot exceed
// Lateral and longitudinal acceleration share the grip as an ellipse: at full
// lateral load the car can neither speed up nor brake.
struct Vehicle {
    double widthM = 0;
    double safetyMarginM = 0;
    double maxLateralAccelerationMps2 = 0;
    double maxAccelerationMps2 = 0;
    double maxBrakingMps2 = 0;
    double topSpeedMps = 0;

    // How far the car's centre stays from each edge of the track.
    double Clearance() const { return widthM / 2 + safetyMarginM; }
};

// The 1:10 autonomous racing car: the default.
Vehicle F1tenthVehicle();
// A full-size single-seater.
Vehicle RacecarVehicle();

// A built-in profile by name ("f1tenth", "racecar"); fails naming the known ones.
Result<Vehicle> BuiltInVehicle(std::string_view name);

// Reads a vehicle file; a failure names the line ("line 3: unknown key
// \"mass\"") or the key that is missing.
Result<Vehicle> ParseVehicle(std::string_view text);

} // namespace velmora
