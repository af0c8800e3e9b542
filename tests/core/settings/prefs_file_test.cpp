#include "core/settings/prefs_file.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace velmora {
namespace {

namespace fs = std::filesystem;

const char kDefaultFile[] =
    "\xEF\xBB\xBF\r\n"
    "CanvasWidth = 2048\r\nCanvasHeight = 2048\r\nTrackWidth = 42\r\nMarkerGap = 64\r\n"
    "TextFont = Arial\r\nLgText = 32\r\nMedText = 12\r\nSmText = 12\r\nMarkers = 1\r\n"
    "AngleLimit = 180\r\nShowDots = 1\r\nShowBorder = 1\r\nRedWhite = 0\r\n"
    "DotColor = -16711681\r\nLineColor = -788529153\r\nLargeTextColor = -16777216\r\n"
    "MediumTextColor = -16776961\r\nSmallTextColor = -1\r\nBGColor = -12935640\r\n";

class PrefsFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir =
            fs::temp_directory_path() /
            ("velmora_prefs_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    void Write(const std::string& bytes) { std::ofstream(dir / kPrefsFileName, std::ios::binary) << bytes; }
    fs::path dir;
};

TEST(PrefsFile, DefaultFileByteForByte)
{
    EXPECT_EQ(WritePrefs(Settings{}), kDefaultFile);
}

TEST_F(PrefsFolder, SavedFileLoadsBack)
{
    Settings s;
    s.CanvasWidth = 1000;
    s.MarkerGap = 80.5;
    s.TrackWidth = std::nan("");
    s.CanvasHeight = -HUGE_VAL;
    s.TextFont = "DejaVu Sans \xC3\xA9";
    s.AngleLimit = -7;
    s.BGColor = 0x80102030;
    Write(WritePrefs(s));
    PrefsLoad load = LoadPrefs(dir);
    EXPECT_FALSE(load.missing);
    EXPECT_TRUE(std::isnan(load.settings.TrackWidth));
    s.TrackWidth = load.settings.TrackWidth = 0;
    EXPECT_EQ(load.settings, s);
    EXPECT_NE(WritePrefs(s).find("\r\nMarkerGap = 80.5\r\n"), std::string::npos);
}

TEST_F(PrefsFolder, MissingEmptyOrFolder)
{
    PrefsLoad load = LoadPrefs(dir);
    EXPECT_TRUE(load.missing);
    EXPECT_EQ(load.settings, Settings{});

    Write("");
    load = LoadPrefs(dir);
    EXPECT_FALSE(load.missing);
    EXPECT_EQ(load.settings, Settings{});

    fs::remove(dir / kPrefsFileName);
    fs::create_directory(dir / kPrefsFileName);
    EXPECT_TRUE(LoadPrefs(dir).missing);
}

TEST(PrefsFile, KeysAndValues)
{
    const Settings s = ReadPrefs("; comment\r\n"
                                 "canvaswidth=1000\n"
                                 "  \tMarkerGap  =  80.5  \r"
                                 "CanvasHeight =\r\n"
                                 "LgText = big\r\n"
                                 "MedText = 20pt\r\n"
                                 "TextFont =   Times New Roman  \t\r\n"
                                 "TrackWidth = 50\r\nTrackWidth = 60\r\n"
                                 "SmallTextColor = -1\r\nDotColor = 0\r\nLineColor = 4278255615\r\n"
                                 "ShowDots\r\n"
                                 "AngleLimit = +45.9\r\n"
                                 "[Main]\r\n"
                                 "Markers = 0\r\n");
    EXPECT_EQ(s.CanvasWidth, 1000);
    EXPECT_EQ(s.MarkerGap, 80.5);
    EXPECT_EQ(s.CanvasHeight, 0); // present but empty: 0, not the default
    EXPECT_EQ(s.LgText, 0);
    EXPECT_EQ(s.MedText, 20);
    EXPECT_EQ(s.TextFont, "Times New Roman");
    EXPECT_EQ(s.TrackWidth, 50); // the first line counts
    EXPECT_EQ(s.SmallTextColor, 0xFFFFFFFFu);
    EXPECT_EQ(s.DotColor, 0u);
    EXPECT_EQ(s.LineColor, 0xFF00FFFFu); // an unsigned colour keeps its bits
    EXPECT_EQ(s.ShowDots, 0);
    EXPECT_EQ(s.AngleLimit, 45);
    EXPECT_EQ(s.Markers, 1); // below a group header: never found
}

TEST(PrefsFile, GroupHeaderFirstMeansDefaults)
{
    EXPECT_EQ(ReadPrefs("[Main]\r\nCanvasWidth = 5\r\n"), Settings{});
}

TEST(PrefsFile, EncodingAndSpecialValues)
{
    // Without a byte order mark the bytes are ISO-8859-1.
    const Settings latin = ReadPrefs("TextFont = Caf\xE9\r\n");
    EXPECT_EQ(latin.TextFont, "Caf\xC3\xA9");
    EXPECT_NE(WritePrefs(latin).find("TextFont = Caf\xC3\xA9\r\n"), std::string::npos);
    EXPECT_EQ(ReadPrefs("\xEF\xBB\xBFTextFont = Caf\xC3\xA9\r\n").TextFont, "Caf\xC3\xA9");
    // A short file that only starts like the mark is Latin-1 as well.
    EXPECT_EQ(ReadPrefs("\xEF\xBB").CanvasWidth, 2048);

    const Settings special =
        ReadPrefs("CanvasWidth = nan\nCanvasHeight = +INFINITY\nTrackWidth = -Infinity\n");
    EXPECT_TRUE(std::isnan(special.CanvasWidth));
    EXPECT_EQ(special.CanvasHeight, HUGE_VAL);
    EXPECT_EQ(special.TrackWidth, -HUGE_VAL);
    const std::string written = WritePrefs(special);
    EXPECT_NE(written.find("CanvasWidth = NaN\r\nCanvasHeight = +Infinity\r\nTrackWidth = -Infinity\r\n"),
              std::string::npos);
}

TEST(PrefsFile, AnyBytes)
{
    std::string junk(1 << 20, '=');
    junk += std::string("\0\xFF\r\n\r\r", 6);
    junk += "CanvasWidth = 1e999\r\n[x\r\nMarkerGap = 5";
    const Settings s = ReadPrefs(junk);
    EXPECT_EQ(s.CanvasWidth, HUGE_VAL);
    EXPECT_EQ(s.MarkerGap, 64); // behind the group line
    EXPECT_EQ(ReadPrefs("MarkerGap = 1e-999").MarkerGap, 0);
}

} // namespace
} // namespace velmora
