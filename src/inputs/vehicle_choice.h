#pragma once

#include "core/raceline/vehicle.h"
#include "core/result.h"

#include <string>

namespace velmora {

// A car for the race line, as its files name it.
struct NamedVehicle {
    Vehicle vehicle;
    std::string name;  // a shipped profile's name, or the vehicle file's base name
    std::string given; // as the user gave it: the name or the file's path
};

// A shipped profile by name, else a vehicle file; the failure names both.
Result<NamedVehicle> LoadVehicle(const std::string& given);

// The first shipped profile, the race line's car when none is given.
NamedVehicle DefaultVehicle();

} // namespace velmora
