#pragma once

#include <QString>

namespace velmora {

// The folder of the programs the module goes with: their Images and
// Preferences.ini are the module's too, so that it draws and reads as the
// velmora-export beside them does. Found from where the module itself was
// loaded from; the build and the package place them differently.
QString ProgramFolder();

} // namespace velmora
