#include <gtest/gtest.h>

#include "export_tool/export_options.h"

namespace velmora {

TEST(ExportOptions, ReadsEveryOption)
{
    const ParsedArgs p = ParseExportArgs({"--prefs", "p.ini", "--images", "img", "--template", "t.png", "--png",
                                          "--rl", "--centreline", "--scale", "0.1", "--out-dir", "out", "a.trk",
                                          "b.trk"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.prefsFile, "p.ini");
    EXPECT_EQ(p.options.imagesDir, "img");
    EXPECT_EQ(p.options.templateImage, "t.png");
    EXPECT_TRUE(p.options.png);
    EXPECT_FALSE(p.options.bmp);
    EXPECT_TRUE(p.options.rl);
    EXPECT_TRUE(p.options.centreline);
    EXPECT_DOUBLE_EQ(p.options.metresPerPixel, 0.1);
    EXPECT_EQ(p.options.outDir, "out");
    EXPECT_EQ(p.options.tracks, (std::vector<std::string>{"a.trk", "b.trk"}));
}

TEST(ExportOptions, UsageErrors)
{
    EXPECT_NE(ParseExportArgs({}).error, "");
    EXPECT_NE(ParseExportArgs({"a.trk"}).error, "");  // nothing to write
    EXPECT_NE(ParseExportArgs({"--png"}).error, "");  // no track
    EXPECT_NE(ParseExportArgs({"--png", "--bmp", "a.trk"}).error, "");
    EXPECT_NE(ParseExportArgs({"--frobnicate", "a.trk"}).error, "");
    EXPECT_NE(ParseExportArgs({"--png", "a.trk", "--prefs"}).error, "");
    EXPECT_NE(ParseExportArgs({"--centreline", "--scale", "0", "a.trk"}).error, "");
    EXPECT_NE(ParseExportArgs({"--centreline", "--scale", "x", "a.trk"}).error, "");
    EXPECT_NE(ParseExportArgs({"--centreline", "--scale", "nan", "a.trk"}).error, "");
    for (const char* jobs : {"0", "-1", "x", "2.5", "1025", "99999999999"})
        EXPECT_NE(ParseExportArgs({"--rl", "--jobs", jobs, "a.trk"}).error, "") << jobs;
}

TEST(ExportOptions, JobsDefaultToOnePerCore)
{
    EXPECT_EQ(ParseExportArgs({"--rl", "a.trk"}).options.jobs, 0);
    EXPECT_EQ(ParseExportArgs({"--rl", "--jobs", "1", "a.trk"}).options.jobs, 1);
    EXPECT_EQ(ParseExportArgs({"--rl", "--jobs", "1024", "a.trk"}).options.jobs, 1024);
}

TEST(ExportOptions, CircuitAndMapOptions)
{
    ParsedArgs p = ParseExportArgs({"--trk", "--ros-map", "--open", "--track-width", "csv", "Monza.CSV"});
    ASSERT_EQ(p.error, "");
    EXPECT_TRUE(p.options.trk && p.options.rosMap && p.options.open && p.options.trackWidthFromCsv);
    EXPECT_FALSE(p.options.scaleGiven);
    p = ParseExportArgs({"--ros-map", "--scale", "0.5", "--track-width", "30.5", "a.csv"});
    ASSERT_EQ(p.error, "");
    EXPECT_TRUE(p.options.scaleGiven);
    EXPECT_EQ(p.options.trackWidth, 30.5);
    EXPECT_TRUE(ParseExportArgs({"--fit", "--trk", "a.csv"}).options.fit);

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
        {{"--open", "a.csv"}, "nothing to write: give --png, --bmp, --rl, --centreline, --trk or --ros-map"},
    };
    for (const auto& c : bad)
        EXPECT_EQ(ParseExportArgs(c.args).error, c.error);
}

TEST(ExportOptions, HelpAndVersionNeedNothingElse)
{
    EXPECT_EQ(ParseExportArgs({"--help"}).error, "");
    EXPECT_TRUE(ParseExportArgs({"--help"}).options.help);
    EXPECT_TRUE(ParseExportArgs({"--version"}).options.version);
}

TEST(ExportOptions, DoubleDashEndsTheOptions)
{
    const ParsedArgs p = ParseExportArgs({"--rl", "--", "--odd-name.trk"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.tracks, (std::vector<std::string>{"--odd-name.trk"}));
}

}  // namespace velmora
