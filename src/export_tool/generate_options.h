#pragma once

#include "export_tool/tool_option.h"

#include <cstddef>
#include <string>

namespace velmora {

// The options for generated tracks: --generate N, --seed S, --min-length PX,
// --max-length PX and --markers K.
extern const OptionSection kGenerateSection;

// The name of generated track `index` (from 0) of a run of `count`:
// "track_0001" on, zero-padded to four digits or as many as `count` needs.
std::string GeneratedTrackName(std::size_t index, std::size_t count);

} // namespace velmora
