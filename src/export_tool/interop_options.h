#pragma once

#include "export_tool/tool_option.h"

namespace velmora {

// The options for circuits: --fit, --open and --track-width PX|csv.
extern const OptionSection kInteropSection;

} // namespace velmora
