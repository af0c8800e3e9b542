#pragma once

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

// Where velmora-export finds the settings the editor uses: the program's
// folder, or, when that is read-only, the user's folder once the editor has
// made it. Before that the settings shipped with the program apply.
std::filesystem::path SettingsFolderFor(const std::filesystem::path& programFolder);

}  // namespace velmora
