#pragma once

#include "core/result.h"

#include <algorithm>
#include <limits>
#include <string>
#include <string_view>

namespace velmora {

// What the racing line and its speed profile need to know of a car. All in
// metres and seconds, every value positive.
//
// A vehicle file holds one "key = value" per line; "#" starts a comment and
// blank lines are allowed. Each key may be given once; the first six are
// required:
//   width_m                        overall width of the car
//   safety_margin_m                gap kept to each edge of the track
//   max_lateral_acceleration_mps2  grip in the corners
//   max_acceleration_mps2          forward drive up to the switch speed
//   max_braking_mps2               deceleration on a straight (a positive number)
//   top_speed_mps                  the speed the car cannot exceed
//   drive_switch_speed_mps         optional: above it the drive falls off as
//                                  max_acceleration * switch / speed, as an
//                                  electric motor's does at full power; by
//                                  default the drive is the same at every speed
// Two limits belong to the controller that will drive the line rather than
// to the car; a team whose controller holds the line better raises them:
//   controller_top_speed_mps       optional: the fastest the controller still
//                                  keeps to the line; the profile stays below
//                                  it as below the car's top speed (default:
//                                  no such limit)
//   controller_margin_m            optional, may be 0: how far the controller
//                                  strays from the line, kept from each edge
//                                  on top of the safety margin (default 0)
// Lateral and longitudinal acceleration share the grip as an ellipse: at full
// lateral load the car can neither speed up nor brake.
struct Vehicle {
    static constexpr double kNoSwitch = std::numeric_limits<double>::infinity();
    static constexpr double kNoCap = std::numeric_limits<double>::infinity();

    double widthM = 0;
    double safetyMarginM = 0;
    double maxLateralAccelerationMps2 = 0;
    double maxAccelerationMps2 = 0;
    double maxBrakingMps2 = 0;
    double topSpeedMps = 0;
    double driveSwitchSpeedMps = kNoSwitch;
    double controllerTopSpeedMps = kNoCap;
    double controllerMarginM = 0;

    // How far the car's centre stays from each edge of the track.
    double Clearance() const { return widthM / 2 + safetyMarginM + controllerMarginM; }
    // The fastest the line is planned for: the car's top speed or its
    // controller's, whichever is lower.
    double SpeedCap() const { return std::min(topSpeedMps, controllerTopSpeedMps); }
    // The most forward acceleration the drive gives at this speed, grip aside.
    double DriveLimit(double speed) const
    {
        return speed > driveSwitchSpeedMps ? maxAccelerationMps2 * driveSwitchSpeedMps / speed
                                           : maxAccelerationMps2;
    }
};

// The 1:10 autonomous racing car of the F1TENTH simulator: the default.
Vehicle F1tenthVehicle();
// A full-size single-seater.
Vehicle RacecarVehicle();

// The names of the built-in profiles for messages and help: "f1tenth, racecar".
std::string KnownVehicleNames();
// The profile a race line is made for when none is named: the first one.
std::string DefaultVehicleName();

// A built-in profile by name; fails naming the known ones.
Result<Vehicle> BuiltInVehicle(std::string_view name);

// The controller's limits as the race-line file's comment names them:
// "controller's limits 8 m/s, 0.1 m from the line", either alone; empty
// when the vehicle has none.
std::string ControllerLimitsNote(const Vehicle& vehicle);

// Reads a vehicle file; a failure names the line ("line 3: unknown key
// \"mass\"") or the key that is missing.
Result<Vehicle> ParseVehicle(std::string_view text);

} // namespace velmora
