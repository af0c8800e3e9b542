#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Scalars of the small YAML files the simulators read beside our outputs
// (the ROS map description, the world frame of a track).

// The shortest plain form that reads back exactly, always with a decimal
// point: YAML 1.1 readers (PyYAML) take a number without one for an integer
// and one with an exponent for text.
std::string YamlFloat(double v);

// Text of letters, digits, "_", "-" and "." (not leading with "-" or ".")
// stands as it is; anything else goes in double quotes, with '"', "\" and
// control bytes escaped.
std::string YamlText(std::string_view text);

} // namespace velmora
