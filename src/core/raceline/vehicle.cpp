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
};

constexpr Key kKeys[] = {
    {"width_m", &Vehicle::widthM},
    {"safety_margin_m", &Vehicle::safetyMarginM},
    {"max_lateral_acceleration_mps2", &Vehicle::maxLateralAccelerationMps2},
    {"max_acceleration_mps2", &Vehicle::maxAccelerationMps2},
    {"max_braking_mps2", &Vehicle::maxBrakingMps2},
    {"top_speed_mps", &Vehicle::topSpeedMps},
};
constexpr std::size_t kKeyCount = sizeof kKeys / sizeof kKeys[0];

const Key* FindKey(std::string_view name)
{
    for (const Key& key : kKeys)
        if (key.name == name)
            return &key;
    return nullptr;
}

} // namespace

Vehicle F1tenthVehicle()
{
    // The F1TENTH simulator's car (Traxxas chassis): 0.31 m wide, 9.51 m/s^2
    // drive and brake, 20 m/s top speed; grip from its friction coefficient
    // 1.0489 times g.
    return {0.31, 0.10, 10.29, 9.51, 9.51, 20.0};
}

Vehicle RacecarVehicle()
{
    // The full-size race car of TUM's race-line optimiser: 2 m wide, 3.4 m
    // with its safety distance (0.7 m a side), 70 m/s top speed, friction
    // coefficient 1.0 (9.81 m/s^2 of grip, braking included), 7000 N of drive
    // on 1200 kg (5.83 m/s^2).
    return {2.0, 0.7, 9.81, 5.83, 9.81, 70.0};
}

Result<Vehicle> BuiltInVehicle(std::string_view name)
{
    if (name == "f1tenth")
        return F1tenthVehicle();
    if (name == "racecar")
        return RacecarVehicle();
    return Fail("unknown vehicle " + QuotedField(name) + " (known: f1tenth, racecar)");
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
        if (!seen[i])
            return Fail("missing key " + std::string(kKeys[i].name));
    return vehicle;
}

} // namespace velmora
