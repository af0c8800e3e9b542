#include "export_tool/export_options.h"
#include "export_tool/generate_options.h"
#include "export_tool/tool_words.h"

#include <QTemporaryDir>
#include <fstream>
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
    const std::string jobs = "--jobs needs a whole number from 1 to 1024, not ";
    const struct {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{}, "no track file given"},
        {{"--png"}, "no track file given"},
        {{"a.trk"},
         "nothing to write: give --png, --bmp, --rl, --centreline, --waypoints, --deepracer, --raceline, "
         "--trk, "
         "--ros-map or --gazebo"},
        {{"--png", "--bmp", "a.trk"}, "choose one of --png and --bmp"},
        {{"--frobnicate", "a.trk"}, "unknown option --frobnicate"},
        {{"-png", "a.trk"}, "unknown option -png"},
        {{"--png=1", "a.trk"}, "--png takes no value"},
        {{"--png", "a.trk", "--prefs"}, "--prefs needs a value"},
        {{"--centreline", "--scale", "0", "a.trk"}, "--scale needs a number from 0.000000001 to 1000000000, not \"0\""},
        {{"--centreline", "--scale", "x", "a.trk"}, "--scale needs a number from 0.000000001 to 1000000000, not \"x\""},
        {{"--centreline", "--scale", "nan", "a.trk"}, "--scale needs a number from 0.000000001 to 1000000000, not \"nan\""},
        {{"--centreline", "--scale", "0,05", "a.trk"}, "--scale needs a number from 0.000000001 to 1000000000, not \"0,05\""},
        {{"--rl", "--jobs", "0", "a.trk"}, jobs + "\"0\""},
        {{"--rl", "--jobs", "-1", "a.trk"}, jobs + "\"-1\""},
        {{"--rl", "--jobs", "x", "a.trk"}, jobs + "\"x\""},
        {{"--rl", "--jobs", "2.5", "a.trk"}, jobs + "\"2.5\""},
        {{"--rl", "--jobs", "1025", "a.trk"}, jobs + "\"1025\""},
        {{"--rl", "--jobs", "99999999999", "a.trk"}, jobs + "\"99999999999\""},
        {{"--gazebo", "--wall-height", "0", "a.trk"},
         "--wall-height needs a number of metres greater than 0 and at most 1000, not \"0\""},
        // Numbers out of range are refused before they become cells, pixels
        // or digits of a file.
        {{"--centreline", "--scale", "1e300", "a.trk"},
         "--scale needs a number from 0.000000001 to 1000000000, not \"1e300\""},
        {{"--centreline", "--origin", "1e300,0", "a.trk"},
         "--origin needs two numbers X,Y of metres, each within 1000000000 of 0, not \"1e300,0\""},
        {{"--centreline", "--start", "0,-1e10", "a.yaml"},
         "--start needs X,Y or X,Y,YAW (metres, radians), each within 1000000000 of 0, not \"0,-1e10\""},
        {{"--centreline", "--min-obstacle", "1e12", "a.yaml"},
         "--min-obstacle needs a number of metres greater than 0 and at most 1000, not \"1e12\""},
        {{"--centreline", "--close-gaps", "1001", "a.yaml"},
         "--close-gaps needs a number of metres greater than 0 and at most 1000, not \"1001\""},
        {{"--gazebo", "--wall-height", "1e300", "a.trk"},
         "--wall-height needs a number of metres greater than 0 and at most 1000, not \"1e300\""},
        {{"--gazebo", "--wall-height", "inf", "a.trk"},
         "--wall-height needs a number of metres greater than 0 and at most 1000, not \"inf\""},
        {{"--raceline", "--vehicle", "", "a.trk"},
         "--vehicle needs the name of a vehicle (f1tenth, racecar) or a vehicle file"},
        {{"--raceline", "--vehicle", "no-such-car", "a.trk"},
         "--vehicle no-such-car: no such vehicle (f1tenth, racecar) and could not find file"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseExportArgs(c.args).error(), c.error) << (c.args.empty() ? "" : c.args[0]);
}

// What the outputs and the map reading tell the user to change reaches the
// command line as its options.
TEST(ExportOptions, MessagesNameTheOptionsToChange)
{
    const struct {
        const char* editor;
        const char* tool;
    } cases[] = {
        {"wrote; move it or choose another output folder", "wrote; move it or give --out-dir"},
        {"give the track width (8 m, say)", "give the track width (--track-width 8m, say)"},
        {"wall?): closing wall gaps up to 0.16 m closes it", "wall?): --close-gaps 0.16 closes it"},
        {"(closing wall gaps also narrows", "(--close-gaps also narrows"},
        {"closing wall gaps up to 0.93 m makes one loop of it", "--close-gaps 0.93 makes one loop of it"},
        {"(closing wall gaps up to 0.93 m does not help)", "(--close-gaps 0.93 does not help)"},
        {"than closing wall gaps lets the search pass", "than --close-gaps lets the search pass"},
        {"loop: ignoring obstacles up to 0.5 m ignores it", "loop: --min-obstacle 0.5 ignores it"},
        {"the track, give the start -14.97,28.23 m", "the track, give --start -14.97,28.23"},
        {"no start given: give the track's start", "no start given: give the track's start with --start X,Y"},
        {"give the track's start, 3 m off", "give the track's start, 3 m off"}, // only at the end
    };
    for (const auto& c : cases)
        EXPECT_EQ(InToolWords(c.editor), c.tool);
}

TEST(ExportOptions, WallHeightAndQuiet)
{
    const Result<ExportOptions> p =
        ParseExportArgs({"--gazebo", "--wall-height", "0.25", "--quiet", "a.trk"});
    ASSERT_EQ(p.error(), "");
    EXPECT_EQ(p->outputOptions.wallHeight, 0.25);
    EXPECT_TRUE(p->quiet);
    EXPECT_FALSE(ParseExportArgs({"--gazebo", "a.trk"})->quiet);
}

// A vehicle is read with the command line: a file that is not one is a
// usage error naming its line, before any track is looked at.
TEST(ExportOptions, VehicleFilesAreReadWithTheCommandLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto file = [&](const char* name, const char* text) {
        const std::string path = dir.filePath(name).toStdString();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    };
    const std::string good =
        file("kart.txt", "# a kart\nwidth_m = 1.2\nsafety_margin_m = 0.2\n"
                         "max_lateral_acceleration_mps2 = 12\nmax_acceleration_mps2 = 4\n"
                         "max_braking_mps2 = 8\ntop_speed_mps = 25\n");
    const Result<ExportOptions> p = ParseExportArgs({"--raceline", "--vehicle", good, "a.trk"});
    ASSERT_EQ(p.error(), "");
    ASSERT_TRUE(p->outputOptions.vehicle.has_value());
    EXPECT_EQ(p->outputOptions.vehicle->given, good);
    EXPECT_EQ(p->outputOptions.vehicle->name, "kart"); // the race line's file names it so
    EXPECT_EQ(p->outputOptions.vehicle->vehicle.topSpeedMps, 25);
    const Result<ExportOptions> shipped = ParseExportArgs({"--raceline", "--vehicle", "racecar", "a.trk"});
    ASSERT_TRUE(shipped && shipped->outputOptions.vehicle);
    EXPECT_EQ(shipped->outputOptions.vehicle->name, "racecar");
    // Options of one output read into their typed values, the levels too.
    const Result<ExportOptions> level =
        ParseExportArgs({"--png", "--png-level", "4", "--heading-zero", "north", "a.trk"});
    ASSERT_TRUE(level) << level.error();
    EXPECT_EQ(level->outputOptions.pngLevel, 4);
    EXPECT_EQ(level->outputOptions.headingZero, HeadingZero::North);
    EXPECT_EQ(ParseExportArgs({"--png", "a.trk"})->outputOptions.pngLevel, kPngLevel);

    const struct {
        const char* name;
        const char* text;
        const char* error; // after "--vehicle PATH: "
    } bad[] = {
        {"mass.txt", "width_m = 1\n\nmass = 3\n", "line 3: unknown key \"mass\""},
        {"neg.txt", "width_m = -1\n", "line 1: width_m must be positive, not \"-1\""},
        {"empty.txt", "", "missing key width_m"},
    };
    for (const auto& b : bad) {
        const std::string path = file(b.name, b.text);
        EXPECT_EQ(ParseExportArgs({"--raceline", "--vehicle", path, "a.trk"}).error(),
                  "--vehicle " + path + ": " + b.error);
    }
}

TEST(ExportOptions, JobsDefaultToOnePerCore)
{
    EXPECT_EQ(ParseExportArgs({"--rl", "a.trk"})->jobs, 0);
    EXPECT_EQ(ParseExportArgs({"--rl", "--jobs", "1", "a.trk"})->jobs, 1);
    EXPECT_EQ(ParseExportArgs({"--rl", "--jobs", "1024", "a.trk"})->jobs, 1024);
}

TEST(ExportOptions, CircuitAndMapOptions)
{
    Result<ExportOptions> p =
        ParseExportArgs({"--trk", "--ros-map", "--open", "--track-width", "csv", "Monza.CSV"});
    ASSERT_EQ(p.error(), "");
    EXPECT_EQ(p->outputs, (std::set<std::string>{"trk", "ros-map"}));
    EXPECT_TRUE(p->open && p->trackWidthFromCsv);
    EXPECT_FALSE(p->scaleGiven);
    p = ParseExportArgs({"--ros-map", "--scale", "0.5", "--track-width", "30.5", "a.csv"});
    ASSERT_EQ(p.error(), "");
    EXPECT_TRUE(p->scaleGiven);
    EXPECT_EQ(p->trackWidth, 30.5);
    p = ParseExportArgs({"--ros-map", "--track-width", "7.5m", "a.csv"});
    ASSERT_EQ(p.error(), "");
    EXPECT_EQ(p->trackWidthMetres, 7.5);
    EXPECT_EQ(p->trackWidth, 0);
    EXPECT_TRUE(ParseExportArgs({"--fit", "--trk", "a.csv"})->fit);

    const struct {
        std::vector<std::string> args;
        const char* error;
    } bad[] = {
        {{"--fit", "--scale", "1", "--trk", "a.csv"}, "choose one of --scale and --fit"},
        {{"--trk", "a.csv", "--track-width"}, "--track-width needs a value"},
        {{"--trk", "--track-width", "0", "a.csv"},
         "--track-width needs a number of pixels greater than 0, of metres with m (8m) or \"csv\", not "
         "\"0\""},
        {{"--trk", "--track-width", "wide", "a.csv"},
         "--track-width needs a number of pixels greater than 0, of metres with m (8m) or \"csv\", not "
         "\"wide\""},
        {{"--trk", "--track-width", "0m", "a.csv"},
         "--track-width needs a number of pixels greater than 0, of metres with m (8m) or \"csv\", not "
         "\"0m\""},
        {{"--trk", "--track-width", "m", "a.csv"},
         "--track-width needs a number of pixels greater than 0, of metres with m (8m) or \"csv\", not "
         "\"m\""},
        {{"--open", "a.csv"},
         "nothing to write: give --png, --bmp, --rl, --centreline, --waypoints, --deepracer, --raceline, "
         "--trk, "
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
    const Result<ExportOptions> p =
        ParseExportArgs({"--generate", "25", "--seed", "7", "--min-length", "2000", "--max-length", "4000.5",
                         "--markers", "3", "--trk"});
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
