#pragma once

#include "core/result.h"

#include <limits>
#include <string>
#include <string_view>

namespace velmora {

// The car of a single-track simulation (the kinematic/dynamic bicycle model
// with linear tyres that the F1TENTH simulator and the CommonRoad vehicle
// models use). Only what a simulation of the car needs; zero where the
// profile does not say.
struct SingleTrackCar {
    double frictionCoefficient = 0; // mu
    double massKg = 0;
    double yawInertiaKgm2 = 0;
    double frontAxleM = 0; // centre of gravity to the front axle (lf)
    double rearAxleM = 0;  // and to the rear axle (lr)
    double frontCorneringStiffness = 0; // per radian, per unit of load and friction (C_Sf)
    double rearCorneringStiffness = 0;  // (C_Sr)
    double centreOfGravityHeightM = 0;
    double maxSteeringRad = 0;
    double maxSteeringRateRadps = 0;
    double motorAccelerationMps2 = 0; // a_max: the motor's and the brakes' most
    double topSpeedMps = 0;
};

// What the racing line and its speed profile need to know of a car. All in
// metres and seconds, every value positive.
//
// A vehicle file holds one "key = value" per line; "#" starts a comment and
// blank lines are allowed. Each key may be given once; all but the last are
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
// Lateral and longitudinal acceleration share the grip as an ellipse: at full
// lateral load the car can neither speed up nor brake.
struct Vehicle {
    static constexpr double kNoSwitch = std::numeric_limits<double>::infinity();

    double widthM = 0;
    double safetyMarginM = 0;
    double maxLateralAccelerationMps2 = 0;
    double maxAccelerationMps2 = 0;
    double maxBrakingMps2 = 0;
    double topSpeedMps = 0;
    double driveSwitchSpeedMps = kNoSwitch;
    SingleTrackCar chassis; // of the built-in profiles that have one

    // How far the car's centre stays from each edge of the track.
    double Clearance() const { return widthM / 2 + safetyMarginM; }
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

// Reads a vehicle file; a failure names the line ("line 3: unknown key
// \"mass\"") or the key that is missing.
Result<Vehicle> ParseVehicle(std::string_view text);

} // namespace velmora
