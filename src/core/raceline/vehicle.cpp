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
    bool zeroAllowed = false;
};

constexpr Key kKeys[] = {
    {"width_m", &Vehicle::widthM, true},
    {"safety_margin_m", &Vehicle::safetyMarginM, true},
    {"max_lateral_acceleration_mps2", &Vehicle::maxLateralAccelerationMps2, true},
    {"max_acceleration_mps2", &Vehicle::maxAccelerationMps2, true},
    {"max_braking_mps2", &Vehicle::maxBrakingMps2, true},
    {"top_speed_mps", &Vehicle::topSpeedMps, true},
    {"drive_switch_speed_mps", &Vehicle::driveSwitchSpeedMps, false},
    {"controller_top_speed_mps", &Vehicle::controllerTopSpeedMps, false},
    {"controller_margin_m", &Vehicle::controllerMarginM, false, true},
    {"controller_row_spacing_m", &Vehicle::controllerRowSpacingM, false},
};
constexpr std::size_t kKeyCount = sizeof kKeys / sizeof kKeys[0];

const Key* FindKey(std::string_view name)
{
    for (const Key& key : kKeys)
        if (key.name == name)
            return &key;
    return nullptr;
}

struct BuiltIn {
    std::string_view name;
    Vehicle vehicle;
};

// The first is the default.
constexpr BuiltIn kBuiltIns[] = {
    // The gym's car, 0.31 m wide, with a 10 cm margin of ours, and the
    // limits of the controller F1TENTH users start from, the gym example's
    // pure pursuit (0.82 m look-ahead, the nearest row's speed): it steers
    // to a row, not between rows, so rows farther apart than the published
    // lines' 0.2 m jolt its aim (on 0.37 m rows it lost our lines above
    // 8 m/s); on rows that close it holds them at 10 m/s, straying up to
    // 0.23 m on the 1:10 circuits. Lateral,
    // braking and drive are what the gym's car gives under that controller,
    // whose speed loop reaches a planned speed only at about 4.8 m/s^2 per
    // m/s of error. All were chosen by driving the simulator's car with that
    // controller round three 1:10 circuits on their occupancy maps (README).
    {"f1tenth",
     {.widthM = 0.31,
      .safetyMarginM = 0.10,
      .maxLateralAccelerationMps2 = 10.0,
      .maxAccelerationMps2 = 3.8,
      .maxBrakingMps2 = 5.5,
      .topSpeedMps = 20.0,
      .driveSwitchSpeedMps = 7.319,
      .controllerTopSpeedMps = 10.0,
      .controllerMarginM = 0.125,
      .controllerRowSpacingM = 0.2}},
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
      .driveSwitchSpeedMps = Vehicle::kNoSwitch}},
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

std::string ControllerLimitsNote(const Vehicle& vehicle)
{
    // Appended piece by piece: GCC 12 warns falsely on "literal" + std::string.
    std::string note;
    if (std::isfinite(vehicle.controllerTopSpeedMps))
        note.append(FormatShortest(vehicle.controllerTopSpeedMps)).append(" m/s");
    if (vehicle.controllerMarginM > 0)
        note.append(note.empty() ? "" : ", ").append(FormatShortest(vehicle.controllerMarginM)).append(" m from the line");
    return note.empty() ? note : note.insert(0, "controller's limits ");
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
        if (scan.value < 0 || (scan.value == 0 && !key->zeroAllowed))
            return Fail(at + std::string(name) + (key->zeroAllowed ? " must not be negative, not " : " must be positive, not ") + QuotedField(value));
        vehicle.*key->field = scan.value;
        seen[index] = true;
    }
    for (std::size_t i = 0; i < kKeyCount; ++i)
        if (kKeys[i].required && !seen[i])
            return Fail("missing key " + std::string(kKeys[i].name));
    return vehicle;
}

} // namespace velmora
