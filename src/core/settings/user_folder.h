#pragma once

#include "core/settings/install_kind.h"

#include <filesystem>
#include <string>

namespace velmora {

// A program installed where its user may not write (a system-wide package)
// keeps Preferences.ini and Tracks/ in a folder of the user's own; Images/
// and Help/ stay with the program.

// Makes that folder on first use: Tracks/ with the tracks shipped in
// programFolder/Tracks, and the shipped Preferences.ini. A folder that
// already exists is the user's and is left as it is. Returns why the folder
// could not be made, empty on success.
std::string MakeUserFolder(const std::filesystem::path& userFolder,
                           const std::filesystem::path& programFolder);

// Whether Preferences.ini and Tracks/ live in the program's own folder. A
// build run from its build folder keeps them there while it may write there.
// A packaged copy never does: root may write to /usr/lib/velmora, but the
// files there belong to the package manager and would be lost or clash at
// the next upgrade.
bool KeepsUserFilesWithProgram(const std::filesystem::path& programFolder, Install install = ThisInstall());

// Where velmora-export finds the settings the editor uses: the program's
// folder, or the user's folder once the editor has made it when the program
// keeps no user files itself. Before that the settings shipped with the
// program apply.
std::filesystem::path SettingsFolderFor(const std::filesystem::path& programFolder,
                                        Install install = ThisInstall());

} // namespace velmora
