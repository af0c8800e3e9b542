#pragma once

#include "ui/workspace.h"

namespace velmora {

// File commands (menu ids 2-5, 11, 12 and Ctrl+X). Each runs to its end,
// reporting through the prompts and the editor's status fields.
// An empty track with the preferred width and canvas, no frame and no
// template.
void New(Workspace& ws, const Prompts& prompts);

void SaveTrack(Workspace& ws, const Prompts& prompts);
void SaveTrackAs(Workspace& ws, const Prompts& prompts);
void Load(Workspace& ws, const Prompts& prompts);
void Export(Workspace& ws, const Prompts& prompts);
void CopyImg(Workspace& ws, const Prompts& prompts);
void LoadTemplate(Workspace& ws, const Prompts& prompts);
void SaveRLData(Workspace& ws, const Prompts& prompts);

// True when the file at `path` may be written: it does not exist, is a
// folder or is empty, or the user agreed to overwrite it.
bool ConfirmOverwrite(const QString& path, const Prompts& prompts);

} // namespace velmora
