#include "export_tool/export_options.h"
#include "export_tool/generate_options.h"

#include <gtest/gtest.h>

namespace velmora {

TEST(ExportOptions, ReadsEveryOption)
{
    const Result<ExportOptions> p =
        ParseExportArgs({"--prefs", "p.ini", "--images", "img", "--template", "t.png", "--png", "--rl",
                         "--centreline", "--scale", "0.1", "--out-dir", "out", "a.trk", "b.trk"});
    ASSERT_EQ(p.error(), "");
    EXPECT_EQ(p->prefsFile, "p.ini");
    EXPECT_EQ(p->imagesDir, "img");
    EXPECT_EQ(p->templateImage, "t.png");
    EXPECT_EQ(p->outputs, (std::set<std::string>{"png", "rl", "centreline"}));
    EXPECT_DOUBLE_EQ(p->metresPerPixel, 0.1);
    EXPECT_EQ(p->outDir, "out");
    EXPECT_EQ(p->tracks, (std::vector<std::string>{"a.trk", "b.trk"}));
}

TEST(ExportOptions, UsageErrors)
{
    EXPECT_NE(ParseExportArgs({}).error(), "");
    EXPECT_NE(ParseExportArgs({"a.trk"}).error(), ""); // nothing to write
    EXPECT_NE(ParseExportArgs({"--png"}).error(), ""); // no track
    EXPECT_NE(ParseExportArgs({"--png", "--bmp", "a.trk"}).error(), "");
    EXPECT_NE(ParseExportArgs({"--frobnicate", "a.trk"}).error(), "");
    EXPECT_NE(ParseExportArgs({"--png", "a.trk", "--prefs"}).error(), "");
    EXPECT_NE(ParseExportArgs({"--centreline", "--scale", "0", "a.trk"}).error(), "");
    EXPECT_NE(ParseExportArgs({"--centreline", "--scale", "x", "a.trk"}).error(), "");
    EXPECT_NE(ParseExportArgs({"--centreline", "--scale", "nan", "a.trk"}).error(), "");
    for (const char* jobs : {"0", "-1", "x", "2.5", "1025", "99999999999"})
        EXPECT_NE(ParseExportArgs({"--rl", "--jobs", jobs, "a.trk"}).error(), "") << jobs;
}

TEST(ExportOptions, JobsDefaultToOnePerCore)
{
    EXPECT_EQ(ParseExportArgs({"--rl", "a.trk"})->jobs, 0);
    EXPECT_EQ(ParseExportArgs({"--rl", "--jobs", "1", "a.trk"})->jobs, 1);
    EXPECT_EQ(ParseExportArgs({"--rl", "--jobs", "1024", "a.trk"})->jobs, 1024);
}

TEST(ExportOptions, CircuitAndMapOptions)
{
    Result<ExportOptions> p = ParseExportArgs({"--trk", "--ros-map", "--open", "--track-width", "csv", "Monza.CSV"});
    ASSERT_EQ(p.error(), "");
    EXPECT_EQ(p->outputs, (std::set<std::string>{"trk", "ros-map"}));
    EXPECT_TRUE(p->open && p->trackWidthFromCsv);
    EXPECT_FALSE(p->scaleGiven);
    p = ParseExportArgs({"--ros-map", "--scale", "0.5", "--track-width", "30.5", "a.csv"});
    ASSERT_EQ(p.error(), "");
    EXPECT_TRUE(p->scaleGiven);
    EXPECT_EQ(p->trackWidth, 30.5);
    EXPECT_TRUE(ParseExportArgs({"--fit", "--trk", "a.csv"})->fit);

    const struct {
        std::vector<std::string> args;
        const char* error;
    } bad[] = {
        {{"--fit", "--scale", "1", "--trk", "a.csv"}, "choose one of --scale and --fit"},
        {{"--trk", "a.csv", "--track-width"}, "--track-width needs a value"},
        {{"--trk", "--track-width", "0", "a.csv"},
         "--track-width needs a number of pixels greater than 0 or \"csv\", not \"0\""},
        {{"--trk", "--track-width", "wide", "a.csv"},
         "--track-width needs a number of pixels greater than 0 or \"csv\", not \"wide\""},
        {{"--open", "a.csv"},
         "nothing to write: give --png, --bmp, --rl, --centreline, --waypoints, --deepracer, --raceline, --trk, "
         "--ros-map or --gazebo"},
    };
    for (const auto& c : bad)
        EXPECT_EQ(ParseExportArgs(c.args).error(), c.error);
}

TEST(ExportOptions, HelpAndVersionNeedNothingElse)
{
    EXPECT_EQ(ParseExportArgs({"--help"}).error(), "");
    EXPECT_TRUE(ParseExportArgs({"--help"})->help);
    EXPECT_TRUE(ParseExportArgs({"--version"})->version);
}

TEST(ExportOptions, DoubleDashEndsTheOptions)
{
    const Result<ExportOptions> p = ParseExportArgs({"--rl", "--", "--odd-name.trk"});
    ASSERT_EQ(p.error(), "");
    EXPECT_EQ(p->tracks, (std::vector<std::string>{"--odd-name.trk"}));
}

} // namespace velmora

namespace velmora {

TEST(ExportOptions, GenerateOptions)
{
    const Result<ExportOptions> p = ParseExportArgs({"--generate", "25", "--seed", "7", "--min-length", "2000",
                                          "--max-length", "4000.5", "--markers", "3", "--trk"});
    ASSERT_EQ(p.error(), "");
    EXPECT_EQ(p->generate, 25u);
    EXPECT_EQ(p->seed, 7u);
    EXPECT_DOUBLE_EQ(p->minLength, 2000);
    EXPECT_DOUBLE_EQ(p->maxLength, 4000.5);
    EXPECT_EQ(p->markers, 3);

    const std::vector<std::vector<std::string>> wrong = {
        {"--generate", "0", "--trk"},
        {"--generate", "-3", "--trk"},
        {"--generate", "x", "--trk"},
        {"--generate", "2000000", "--trk"},
        {"--generate", "3", "--trk", "a.trk"},
        {"--seed", "3", "--trk", "a.trk"},
        {"--generate", "3", "--seed", "-1", "--trk"},
        {"--generate", "3", "--min-length", "0", "--trk"},
        {"--generate", "3", "--min-length", "500", "--max-length", "400", "--trk"},
        {"--generate", "3", "--markers", "x", "--trk"},
        {"--generate", "3"}, // nothing to write
        {"--generate"},
    };
    for (const auto& args : wrong)
        EXPECT_NE(ParseExportArgs(args).error(), "") << args[0] << " " << (args.size() > 1 ? args[1] : "");
}

TEST(ExportOptions, GeneratedTracksAreNumberedWithEnoughDigits)
{
    EXPECT_EQ(GeneratedTrackName(0, 10), "track_0001");
    EXPECT_EQ(GeneratedTrackName(9998, 9999), "track_9999");
    EXPECT_EQ(GeneratedTrackName(0, 10000), "track_00001");
    EXPECT_EQ(GeneratedTrackName(123455, 123456), "track_123456");
}

} // namespace velmora
