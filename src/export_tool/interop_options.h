#pragma once

#include "export_tool/export_options.h"

#include <cstddef>
#include <string>
#include <vector>

namespace velmora {

// The options for circuits and simulators: --trk, --ros-map, --fit, --open
// and --track-width PX|csv. When args[i] is one of them it is read (with its
// value, moving i on) and true is returned; `error` is set when it is
// malformed.
bool ParseInteropOption(const std::vector<std::string>& args, std::size_t& i, ExportOptions& o,
                        std::string& error);

// What is wrong with the combination of those options, or empty text.
std::string InteropOptionsProblem(const ExportOptions& o);

extern const char kInteropUsage[];

} // namespace velmora
