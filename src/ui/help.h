#pragma once

#include "ui/workspace.h"

namespace velmora {

// Opens Help/Velmora Help.pdf in the desktop's viewer, or says that it is
// missing or that no program could open it.
void ShowHelp(Workspace& ws, const Prompts& prompts);

}  // namespace velmora
