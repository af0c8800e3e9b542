#include "io/file_commands.h"

// Placeholders until the file commands land.
namespace velmora {

void SaveTrack(Workspace&, const Prompts&) {}
void SaveTrackAs(Workspace&, const Prompts&) {}
void Load(Workspace&, const Prompts&) {}
void Export(Workspace&, const Prompts&) {}
void CopyImg(Workspace&, const Prompts&) {}
void LoadTemplate(Workspace&, const Prompts&) {}
void SaveRLData(Workspace&, const Prompts&) {}

}  // namespace velmora
