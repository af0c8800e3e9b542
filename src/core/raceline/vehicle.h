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
//   controller_row_spacing_m       optional: the farthest apart the rows may
//                                  be when no spacing is asked for, for a
//                                  controller that steers to a row rather
//                                  than to the line between rows (default:
//                                  the track's own spacing)
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
    double controllerRowSpacingM = kNoCap;

    // How far the car's centre stays from each edge of the track.
    double Clearance() const { return widthM / 2 + safetyMarginM + controllerMarginM; }
    // The fastest the line is planned for: the car's top speed or its
    // controller's, whichever is lower.
    double SpeedCap() const { return std::min(topSpeedMps, controllerTopSpeedMps); }
    // What a metre of line costs the solver beside its bending (per square
    // metre), for a car whose controller caps its speed: such a car spends
    // most of a lap at the cap, where the time is the length and bending
    // costs nothing. The scale is that of the sharpest bend the car takes at
    // the cap at full grip: a metre costs twice a metre of that bend's
    // squared curvature (at an 8 m/s cap, once to four times gave the 1:10
    // circuits' printed laps within 0.1 % of each other, six times a slower
    // Monza; README).
    // 0 without a controller's cap: the line of least curvature alone.
    double LengthWeight() const
    {
        if (!(controllerTopSpeedMps < kNoCap))
            return 0;
        const double kappa = maxLateralAccelerationMps2 / (SpeedCap() * SpeedCap());
        return 2 * kappa * kappa;
    }
    // The rows' spacing when none is asked for: the track's, at most the
    // controller's.
    double RowSpacing(double trackSpacing) const { return std::min(trackSpacing, controllerRowSpacingM); }
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
