#pragma once

#include <span>

namespace velmora {

class Shell;

// Command ids of the menu items (1-18) and the shortcuts (101-104).
enum CommandId : int {
    kCmdNew = 1,
    kCmdSave,
    kCmdSaveAs,
    kCmdLoad,
    kCmdExport,
    kCmdOptions,
    kCmdQuit,
    kCmdCloseLoop,
    kCmdRedo,
    kCmdAddText,
    kCmdCopy,
    kCmdLoadTemplate,
    kCmdHelp,
    kCmdImportCircuit,
    kCmdWorldFrame,
    kCmdShowRaceline,
    kCmdExportSimulators,
    kCmdImportMap,
    kCmdMarker1 = 101,
    kCmdMarker2,
    kCmdMarker3,
    kCmdSaveRLData,
};

// One command of the main window: a menu item, a separator between items, or
// a keyboard shortcut. The menu bar, the shortcuts and the dispatch are all
// made from the one table, so a command is added in one place.
struct MenuCommand {
    int id;           // 0 for a separator
    const char* menu; // the menu's title; nullptr for a shortcut
    const char* text; // the item's text or the shortcut's keys
    bool enabledAtStart;
    void (*run)(Shell&, int id); // nullptr for a separator
    bool checkable = false;      // an item that is on or off, shown with a tick
};

// Menu items in the order the menu bar shows them, menu by menu, then the
// shortcuts.
std::span<const MenuCommand> MenuCommands();

// The first row that runs `id`, or nullptr when no command has that id.
const MenuCommand* FindCommand(int id);

} // namespace velmora
