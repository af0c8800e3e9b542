#include "core/settings/user_folder.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>

#include "core/settings/os_folders.h"
#include "core/settings/prefs_file.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void Write(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// A program folder as an install ships it, and a home for the user.
class UserFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::remove_all(root);
        fs::create_directories(program / "Tracks");
        Write(program / "Tracks" / "Example.trk", "M 1 2 L 3 4 \r\n");
        Write(program / "Tracks" / ".gitkeep", "");
        Write(program / kPrefsFileName, "CanvasWidth = 640\r\n");
        fs::permissions(program / kPrefsFileName, fs::perms::owner_write, fs::perm_options::remove);
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path root =
        fs::temp_directory_path() /
        ("velmora_user_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::path program = root / "usr" / "lib" / "velmora";
    fs::path user = root / "home" / ".local" / "share" / "velmora";
};

TEST_F(UserFolder, FirstStartCopiesTheShippedTrackAndSettings)
{
    ASSERT_EQ(MakeUserFolder(user, program), "");
    EXPECT_EQ(Read(user / "Tracks" / "Example.trk"), "M 1 2 L 3 4 \r\n");
    EXPECT_EQ(Read(user / kPrefsFileName), "CanvasWidth = 640\r\n");
    EXPECT_FALSE(fs::exists(user / "Tracks" / ".gitkeep"));
    EXPECT_FALSE(fs::exists(user / "Images"));  // still read from the program's folder
    EXPECT_FALSE(fs::exists(fs::path(user.string() + ".partial")));
    // The copies are the user's to change, whatever the program's files allow.
    EXPECT_NE(fs::status(user / kPrefsFileName).permissions() & fs::perms::owner_write, fs::perms::none);

    // From then on the folder is the user's: nothing is copied over it again.
    Write(user / kPrefsFileName, "TrackWidth = 9\r\n");
    fs::remove(user / "Tracks" / "Example.trk");
    ASSERT_EQ(MakeUserFolder(user, program), "");
    EXPECT_EQ(Read(user / kPrefsFileName), "TrackWidth = 9\r\n");
    EXPECT_FALSE(fs::exists(user / "Tracks" / "Example.trk"));
}

TEST_F(UserFolder, ShipsWhatTheProgramHasAndReplacesAHalfMadeFolder)
{
    fs::remove_all(program / "Tracks");
    fs::remove(program / kPrefsFileName);
    // Left by a first start that was cut short.
    fs::create_directories(user.string() + ".partial/Tracks");
    Write(user.string() + ".partial/stale.trk", "x");

    ASSERT_EQ(MakeUserFolder(user, program), "");
    EXPECT_TRUE(fs::is_directory(user / "Tracks"));
    EXPECT_TRUE(fs::is_empty(user / "Tracks"));
    EXPECT_FALSE(fs::exists(user / kPrefsFileName));  // really missing: the "Missing" box tells
    EXPECT_FALSE(fs::exists(user / "stale.trk"));
    EXPECT_FALSE(fs::exists(fs::path(user.string() + ".partial")));
}

TEST_F(UserFolder, FailureSaysWhyAndLeavesNothingBehind)
{
    // A file where the folder's parent should be.
    fs::create_directories(root / "home");
    Write(root / "home" / ".local", "");
    EXPECT_EQ(MakeUserFolder(user, program), "Not a directory");
    EXPECT_TRUE(fs::is_regular_file(root / "home" / ".local"));
    EXPECT_EQ(MakeUserFolder(root / "home" / ".local", program), "Not a directory");
    EXPECT_EQ(MakeUserFolder(fs::path(), program), "HOME is not set to a folder");
}

TEST(UserDataFolder, FollowsTheBaseDirectoryRules)
{
    struct Case {
        const char* xdg;
        const char* home;
        fs::path expected;
    };
    const Case cases[] = {
        {"/data/x", "/home/u", "/data/x/velmora"},
        {nullptr, "/home/u", "/home/u/.local/share/velmora"},
        {"", "/home/u", "/home/u/.local/share/velmora"},
        {"relative/data", "/home/u", "/home/u/.local/share/velmora"},  // relative paths are ignored
        {nullptr, nullptr, fs::path()},
        {nullptr, "home/u", fs::path()},
    };
    for (const Case& c : cases) {
        ScopedEnv xdg("XDG_DATA_HOME", c.xdg);
        ScopedEnv home("HOME", c.home);
        EXPECT_EQ(UserDataFolder(), c.expected)
            << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
    }
}

TEST_F(UserFolder, ExportFindsTheSettingsWhereTheEditorKeepsThem)
{
    EXPECT_TRUE(CanCreateFilesIn(program));
    EXPECT_EQ(SettingsFolderFor(program), program);

    // A folder the program cannot write to stands in for a read-only install.
    const fs::path readOnly = root / "missing";
    EXPECT_FALSE(CanCreateFilesIn(readOnly));
    ScopedEnv xdg("XDG_DATA_HOME", (root / "home").c_str());
    EXPECT_EQ(SettingsFolderFor(readOnly), readOnly);  // before the editor's first start
    ASSERT_EQ(MakeUserFolder(root / "home" / "velmora", program), "");
    EXPECT_EQ(SettingsFolderFor(readOnly), root / "home" / "velmora");
}

// Root may write to the packaged program's folder; the packaged copy still
// keeps the user's files, and finds the settings, in the user's folder.
TEST_F(UserFolder, PackagedCopyKeepsUserFilesInTheUsersFolderEvenWhereItMayWrite)
{
    EXPECT_EQ(ThisInstall(), Install::BuildFolder);  // a test program is no packaged copy
    ASSERT_TRUE(CanCreateFilesIn(program));
    EXPECT_TRUE(KeepsUserFilesWithProgram(program, Install::BuildFolder));
    EXPECT_FALSE(KeepsUserFilesWithProgram(program, Install::Package));

    ScopedEnv xdg("XDG_DATA_HOME", (root / "home").c_str());
    EXPECT_EQ(SettingsFolderFor(program, Install::Package), program);  // the shipped settings, read only
    ASSERT_EQ(MakeUserFolder(root / "home" / "velmora", program), "");
    EXPECT_EQ(SettingsFolderFor(program, Install::Package), root / "home" / "velmora");
    EXPECT_EQ(SettingsFolderFor(program, Install::BuildFolder), program);
}

}  // namespace
}  // namespace velmora
