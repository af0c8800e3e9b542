#pragma once

#include "ui/workspace.h"

namespace velmora {

// Opens Help/Velmora Help.pdf in the desktop's viewer, or says it is missing.
void ShowHelp(Workspace& ws, const Prompts& prompts);

}  // namespace velmora
