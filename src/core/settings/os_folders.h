#pragma once

#include <filesystem>

namespace velmora {

// The two questions about folders whose answers depend on the operating
// system, kept apart from the rules that use them.

// Whether this process may create files in `folder` (false when it is
// missing). Read-only installs, such as a system-wide package, answer no.
bool CanCreateFilesIn(const std::filesystem::path& folder);

// Where a program installed read-only keeps the user's tracks and settings:
// $XDG_DATA_HOME/velmora, by default ~/.local/share/velmora. Empty when the
// environment names no home folder.
std::filesystem::path UserDataFolder();

}  // namespace velmora
