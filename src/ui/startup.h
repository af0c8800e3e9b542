#pragma once

#include <QString>

#include "ui/workspace.h"

namespace velmora {

// The folder the program works in: the program file's own folder when its
// name without extension is exactly "Velmora", otherwise the launch folder.
QString WorkingFolder(const QString& programPath, const QString& launchFolder);

// Sets ws.workFolder and the three data folders, each ending in the native
// separator.
void SetDataFolders(Workspace& ws, const QString& workFolder);

// Loads surface, start and marker images from the images folder. A missing
// or empty file ends the program; an undecodable one is reported and left
// out, and start-up goes on.
void LoadAssets(Workspace& ws, const Prompts& prompts);

}  // namespace velmora
