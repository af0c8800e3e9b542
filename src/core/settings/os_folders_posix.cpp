#include "core/settings/os_folders.h"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace velmora {
namespace {

std::filesystem::path AbsoluteFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (!value)
        return {};
    std::filesystem::path path(value);
    // The base directory rules ignore relative paths: they would move with
    // the folder the program happens to start in.
    return path.is_absolute() ? path : std::filesystem::path();
}

}  // namespace

bool CanCreateFilesIn(const std::filesystem::path& folder)
{
    // The effective ids decide what the process may do; a read-only mount
    // answers no even for root.
    return faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::filesystem::path UserDataFolder()
{
    std::filesystem::path base = AbsoluteFromEnvironment("XDG_DATA_HOME");
    if (base.empty()) {
        const std::filesystem::path home = AbsoluteFromEnvironment("HOME");
        if (home.empty())
            return {};
        base = home / ".local" / "share";
    }
    return base / "velmora";
}

}  // namespace velmora
