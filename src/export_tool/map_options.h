#pragma once

#include "export_tool/tool_option.h"

namespace velmora {

// The options for occupancy maps: --start, --reverse, --min-obstacle and
// --close-gaps.
extern const OptionSection kMapSection;

} // namespace velmora
