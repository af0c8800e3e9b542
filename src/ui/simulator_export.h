#pragma once

#include "ui/workspace.h"

namespace velmora {

// Export for Simulators: asks what to write and where (the dialog), then
// writes the outputs of the open track in the background on the worker pool,
// with the progress in status field 1, as velmora-export writes them for the
// same track, settings and world frame, byte for byte. Cancel changes
// nothing; a failure is told in a box, and the outputs that could be written
// are.
void ExportForSimulators(Workspace& ws, const Prompts& prompts);

} // namespace velmora
