#include "core/raceline/vehicle.h"

#include "core/formats/field_text.h"
#include "core/formats/number_text.h"

#include <cmath>
#include <cstddef>
#include <string>

namespace velmora {

namespace {

struct Key {
    std::string_view name;
    double Vehicle::*field;
    bool required;
};

constexpr Key kKeys[] = {
    {"width_m", &Vehicle::widthM, true},
    {"safety_margin_m", &Vehicle::safetyMarginM, true},
    {"max_lateral_acceleration_mps2", &Vehicle::maxLateralAccelerationMps2, true},
    {"max_acceleration_mps2", &Vehicle::maxAccelerationMps2, true},
    {"max_braking_mps2", &Vehicle::maxBrakingMps2, true},
    {"top_speed_mps", &Vehicle::topSpeedMps, true},
    {"drive_switch_speed_mps", &Vehicle::driveSwitchSpeedMps, false},
};
constexpr std::size_t kKeyCount = sizeof kKeys / sizeof kKeys[0];

const Key* FindKey(std::string_view name)
{
    for (const Key& key : kKeys)
        if (key.name == name)
            return &key;
    return nullptr;
}

// The F1TENTH simulator's car with its default parameters (a Traxxas
// chassis: 3.74 kg, wheelbase 0.33 m, friction coefficient 1.0489, the
// motor's a_max 9.51 m/s^2 up to v_switch 7.319 m/s and a_max * v_switch / v
// above, the brakes a_max, steering +-0.4189 rad at 3.2 rad/s, 20 m/s).
constexpr SingleTrackCar kF1tenthChassis = {
    .frictionCoefficient = 1.0489,
    .massKg = 3.74,
    .yawInertiaKgm2 = 0.04712,
    .frontAxleM = 0.15875,
    .rearAxleM = 0.17145,
    .frontCorneringStiffness = 4.718,
    .rearCorneringStiffness = 5.4562,
    .centreOfGravityHeightM = 0.074,
    .maxSteeringRad = 0.4189,
    .maxSteeringRateRadps = 3.2,
    .motorAccelerationMps2 = 9.51,
    .topSpeedMps = 20.0,
};

struct BuiltIn {
    std::string_view name;
    Vehicle vehicle;
};

// The first is the default.
constexpr BuiltIn kBuiltIns[] = {
    // The gym's car, 0.31 m wide, with a 10 cm margin of ours. It drives with
    // the simulator's own motor curve; the braking and lateral limits are
    // what the car holds while a pure pursuit follows the line (found by
    // driving the simulator's model round the 1:10 circuits at 10 ms steps):
    // harder braking lets the rear, unloaded onto the front by the 7.4 cm
    // high centre of gravity, break away under turn-in; more lateral grip
    // than ~70 % of mu g leaves the linear tyres' slip and the steering rate
    // no room to correct.
    {"f1tenth",
     {.widthM = 0.31,
      .safetyMarginM = 0.10,
      .maxLateralAccelerationMps2 = 4.5,
      .maxAccelerationMps2 = 9.51,
      .maxBrakingMps2 = 3.0,
      .topSpeedMps = 20.0,
      .driveSwitchSpeedMps = 7.319,
      .chassis = kF1tenthChassis}},
    // The full-size race car of TUM's race-line optimiser: 2 m wide, 3.4 m
    // with its safety distance (0.7 m a side), 70 m/s top speed, friction
    // coefficient 1.0 (9.81 m/s^2 of grip, braking included), 7000 N of drive
    // on 1200 kg (5.83 m/s^2) at every speed.
    {"racecar",
     {.widthM = 2.0,
      .safetyMarginM = 0.7,
      .maxLateralAccelerationMps2 = 9.81,
      .maxAccelerationMps2 = 5.83,
      .maxBrakingMps2 = 9.81,
      .topSpeedMps = 70.0,
      .driveSwitchSpeedMps = Vehicle::kNoSwitch,
      .chassis = {}}},
};

const Vehicle& Named(std::string_view name)
{
    for (const BuiltIn& b : kBuiltIns)
        if (b.name == name)
            return b.vehicle;
    return kBuiltIns[0].vehicle;
}

} // namespace

Vehicle F1tenthVehicle()
{
    return Named("f1tenth");
}

Vehicle RacecarVehicle()
{
    return Named("racecar");
}

std::string KnownVehicleNames()
{
    std::string names;
    for (const BuiltIn& b : kBuiltIns)
        names.append(names.empty() ? "" : ", ").append(b.name);
    return names;
}

std::string DefaultVehicleName()
{
    return std::string(kBuiltIns[0].name);
}

Result<Vehicle> BuiltInVehicle(std::string_view name)
{
    for (const BuiltIn& b : kBuiltIns)
        if (b.name == name)
            return b.vehicle;
    return Fail("unknown vehicle " + QuotedField(name) + " (known: " + KnownVehicleNames() + ")");
}

Result<Vehicle> ParseVehicle(std::string_view text)
{
    Vehicle vehicle;
    bool seen[kKeyCount] = {};
    std::size_t line = 0;
    while (!text.empty()) {
        ++line;
        const std::size_t end = text.find('\n');
        std::string_view row = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        row = TrimBlanks(row.substr(0, row.find('#')));
        if (row.empty())
            continue;
        const std::string at = "line " + std::to_string(line) + ": ";
        const std::size_t equals = row.find('=');
        if (equals == std::string_view::npos)
            return Fail(at + "expected \"key = value\", found " + QuotedField(row));
        const std::string_view name = TrimBlanks(row.substr(0, equals));
        const std::string_view value = TrimBlanks(row.substr(equals + 1));
        const Key* key = FindKey(name);
        if (!key)
            return Fail(at + "unknown key " + QuotedField(name));
        const auto index = static_cast<std::size_t>(key - kKeys);
        if (seen[index])
            return Fail(at + std::string(name) + " given twice");
        const DecimalScan scan = ScanDecimal(value);
        if (scan.length == 0 || scan.length != value.size() || !std::isfinite(scan.value))
            return Fail(at + std::string(name) + " is not a number: " + QuotedField(value));
        if (scan.value <= 0)
            return Fail(at + std::string(name) + " must be positive, not " + QuotedField(value));
        vehicle.*key->field = scan.value;
        seen[index] = true;
    }
    for (std::size_t i = 0; i < kKeyCount; ++i)
        if (kKeys[i].required && !seen[i])
            return Fail("missing key " + std::string(kKeys[i].name));
    return vehicle;
}

} // namespace velmora
