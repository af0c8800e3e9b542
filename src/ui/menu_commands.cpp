#include "ui/menu_commands.h"

#include "core/track/editor.h"
#include "ui/file_commands.h"
#include "ui/help.h"
#include "ui/options_window.h"
#include "ui/raceline_overlay.h"
#include "ui/shell.h"
#include "ui/simulator_export.h"
#include "ui/simulator_commands.h"
#include "ui/source_position.h"

namespace velmora {
namespace {

// The three marker keys share this handler: the id tells the marker type.
void AddMarker(Shell& s, int id)
{
    VELMORA_HERE();
    AddRLMarker(s.ws.editor, id - 100);
}

// Each command marks its own position, so that a fault report names it.
const MenuCommand kCommands[] = {
    {kCmdNew, "File", "New", true,
     [](Shell& s, int) {
         VELMORA_HERE();
         New(s.ws, s.prompts);
         s.FitCanvas();
     }},
    {kCmdSave, "File", "Save", true,
     [](Shell& s, int) {
         VELMORA_HERE();
         SaveTrack(s.ws, s.prompts);
     }},
    {kCmdSaveAs, "File", "Save As", true,
     [](Shell& s, int) {
         VELMORA_HERE();
         SaveTrackAs(s.ws, s.prompts);
     }},
    {kCmdLoad, "File", "Load", true,
     [](Shell& s, int) {
         VELMORA_HERE();
         Load(s.ws, s.prompts);
         s.FitCanvas(); // the preferred canvas again
     }},
    {0, "File", nullptr, false, nullptr},
    {kCmdExport, "File", "Export Image", true,
     [](Shell& s, int) {
         VELMORA_HERE();
         Export(s.ws, s.prompts);
     }},
    {0, "File", nullptr, false, nullptr},
    {kCmdOptions, "File", "Options", true,
     [](Shell& s, int) {
         VELMORA_HERE();
         RunOptionsWindow(s.ws, *s.optionsWindow, s.prompts);
         s.FitCanvas();
     }},
    {0, "File", nullptr, false, nullptr},
    {kCmdQuit, "File", "Quit", true, [](Shell& s, int) { s.Quit(); }},
    {kCmdCloseLoop, "Edit", "Close Loop", false,
     [](Shell& s, int) {
         VELMORA_HERE();
         CloseLoop(s.ws.editor, s.ws.settings);
     }},
    {kCmdRedo, "Edit", "Redo", false,
     [](Shell& s, int) {
         VELMORA_HERE();
         Redo(s.ws.editor, s.ws.settings);
     }},
    {kCmdAddText, "Edit", "Add Text", true,
     [](Shell& s, int) {
         VELMORA_HERE();
         ToggleAddText(s.ws.editor);
     }},
    {kCmdCopy, "Edit", "Copy to Clipboard", true,
     [](Shell& s, int) {
         VELMORA_HERE();
         CopyImg(s.ws, s.prompts);
     }},
    {kCmdLoadTemplate, "Edit", "Load Template", true,
     [](Shell& s, int) {
         VELMORA_HERE();
         LoadTemplate(s.ws, s.prompts);
     }},
    {kCmdHelp, "Help", "Help", true,
     [](Shell& s, int) {
         VELMORA_HERE();
         ShowHelp(s.ws, s.prompts);
     }},
    // The menu added for simulators has mnemonics (Alt+S, then a letter);
    // the editor's own menus keep the bare titles they always had.
    {kCmdImportCircuit, "&Simulator", "&Import Circuit\u2026", true,
     [](Shell& s, int) {
         VELMORA_HERE();
         ImportCircuit(s.ws, s.prompts);
         s.FitCanvas();
     }},
    {kCmdWorldFrame, "&Simulator", "&World Frame\u2026", true,
     [](Shell& s, int) {
         VELMORA_HERE();
         EditWorldFrame(s.ws, s.prompts);
     }},
    {0, "&Simulator", nullptr, false, nullptr},
    {kCmdShowRaceline, "&Simulator", "Show &Race Line", true,
     [](Shell& s, int) {
         VELMORA_HERE();
         s.ShowRaceline(!s.raceline->Shown());
     },
     true},
    {0, "&Simulator", nullptr, false, nullptr},
    {kCmdImportMap, "&Simulator", "Import &Map\u2026", true,
     [](Shell& s, int) {
         VELMORA_HERE();
         // The map's track comes in from the background: the window then
         // takes the map's canvas.
         ImportMap(s.ws, s.prompts, [&s] {
             s.FitCanvas();
             s.AfterCommand();
         });
     }},
    {kCmdExportSimulators, "&Simulator", "&Export for Simulators\u2026", true,
     [](Shell& s, int) {
         VELMORA_HERE();
         ExportForSimulators(s.ws, s.prompts);
     }},
    // No shortcut saves, loads or quits: Ctrl+S adds a marker.
    {kCmdMarker1, nullptr, "Ctrl+S", true, AddMarker},
    {kCmdMarker2, nullptr, "Ctrl+H", true, AddMarker},
    {kCmdMarker3, nullptr, "Ctrl+T", true, AddMarker},
    {kCmdSaveRLData, nullptr, "Ctrl+X", true,
     [](Shell& s, int) {
         VELMORA_HERE();
         SaveRLData(s.ws, s.prompts);
     }},
};

} // namespace

std::span<const MenuCommand> MenuCommands()
{
    return kCommands;
}

const MenuCommand* FindCommand(int id)
{
    for (const MenuCommand& command : kCommands) {
        if (command.run && command.id == id)
            return &command;
    }
    return nullptr;
}

} // namespace velmora
