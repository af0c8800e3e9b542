#pragma once

#include "export_tool/export_options.h"

#include <cstddef>
#include <string>
#include <vector>

namespace velmora {

// The options for generated tracks: --generate N, --seed S, --min-length PX,
// --max-length PX and --markers K. When args[i] is one of them it is read
// with its value (moving i on) and true is returned; `error` is set when the
// value is malformed.
bool ParseGenerateOption(const std::vector<std::string>& args, std::size_t& i, ExportOptions& o,
                         std::string& error);

// What is wrong with the combination of those options, or empty text.
std::string GenerateOptionsProblem(const ExportOptions& o);

// The name of generated track `index` (from 0) of a run of `count`:
// "track_0001" on, zero-padded to four digits or as many as `count` needs.
std::string GeneratedTrackName(std::size_t index, std::size_t count);

extern const char kGenerateUsage[];

} // namespace velmora
