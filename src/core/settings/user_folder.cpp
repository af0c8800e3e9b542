#include "core/settings/user_folder.h"

#include "core/settings/os_folders.h"
#include "core/settings/prefs_file.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// The copy is the user's to change, even where the program's files are
// read-only for everyone.
bool CopyForUser(const fs::path& from, const fs::path& to, std::error_code& ec)
{
    if (!fs::copy_file(from, to, ec))
        return false;
    fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
    return !ec;
}

// Copies the tracks shipped with the program, leaving out hidden files such
// as a version-control placeholder. A program without a Tracks folder gives
// the user an empty one.
bool CopyShippedTracks(const fs::path& from, const fs::path& to, std::error_code& ec)
{
    std::error_code listing;
    fs::directory_iterator it(from, listing);
    for (; !listing && it != fs::directory_iterator(); it.increment(listing)) {
        const fs::path name = it->path().filename();
        if (name.string().starts_with('.') || !it->is_regular_file(listing))
            continue;
        if (!CopyForUser(it->path(), to / name, ec))
            return false;
    }
    return true;
}

bool FillFolder(const fs::path& folder, const fs::path& programFolder, std::error_code& ec)
{
    fs::create_directories(folder / "Tracks", ec);
    if (ec || !CopyShippedTracks(programFolder / "Tracks", folder / "Tracks", ec))
        return false;
    // Without a shipped Preferences.ini the user gets the "Missing" box and
    // the defaults, as anywhere else.
    const fs::path prefs = programFolder / kPrefsFileName;
    std::error_code probe;
    if (fs::is_regular_file(prefs, probe) && !CopyForUser(prefs, folder / kPrefsFileName, ec))
        return false;
    return true;
}

} // namespace

std::string MakeUserFolder(const fs::path& userFolder, const fs::path& programFolder)
{
    if (userFolder.empty())
        return "HOME is not set to a folder";
    std::error_code ec;
    if (fs::is_directory(userFolder, ec))
        return {};

    // Filled under another name and renamed into place at the end, so a first
    // start cut short never leaves a half-made folder that later starts would
    // take for the user's.
    fs::path staging = userFolder;
    staging += ".partial";
    std::error_code ignored;
    fs::remove_all(staging, ignored);
    if (FillFolder(staging, programFolder, ec))
        fs::rename(staging, userFolder, ec);
    if (!ec)
        return {};
    fs::remove_all(staging, ignored);
    if (fs::is_directory(userFolder, ignored))
        return {}; // another start of the program made it meanwhile
    return ec.message();
}

bool KeepsUserFilesWithProgram(const fs::path& programFolder, Install install)
{
    return install == Install::BuildFolder && CanCreateFilesIn(programFolder);
}

fs::path SettingsFolderFor(const fs::path& programFolder, Install install)
{
    if (KeepsUserFilesWithProgram(programFolder, install))
        return programFolder;
    const fs::path user = UserDataFolder();
    std::error_code ec;
    if (!user.empty() && fs::is_regular_file(user / kPrefsFileName, ec))
        return user;
    return programFolder;
}

} // namespace velmora
