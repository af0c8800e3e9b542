#pragma once

#include <QString>

#include "ui/workspace.h"

namespace velmora {

// The folder the program works in: the program file's own folder when its
// name without extension is exactly "Velmora", otherwise the launch folder.
QString WorkingFolder(const QString& programPath, const QString& launchFolder);

// Where a run keeps its files: Preferences.ini and Tracks/ in `work`, the
// program's Images/ and Help/ in `assets`.
struct WorkFolders {
    QString work;
    QString assets;
    QString failure;  // why the user's own folder could not be made: the box text
};

// `baseFolder` (as WorkingFolder chose it) for everything while the user may
// write there. A read-only or packaged install keeps Preferences.ini and
// Tracks/ in the user's own folder instead, made on the first start. When that folder
// cannot be made, the run stays in `baseFolder` and `failure` says why.
WorkFolders ChooseWorkFolders(const QString& baseFolder);

// Sets ws.workFolder and the tracks folder from `workFolder`, the images and
// help folders from `assetsFolder`, each ending in the native separator.
void SetDataFolders(Workspace& ws, const QString& workFolder, const QString& assetsFolder);
inline void SetDataFolders(Workspace& ws, const QString& folder) { SetDataFolders(ws, folder, folder); }

// Loads surface, start and marker images from the images folder. A missing
// or empty file ends the program; an undecodable one is reported and left
// out, and start-up goes on.
void LoadAssets(Workspace& ws, const Prompts& prompts);

}  // namespace velmora
