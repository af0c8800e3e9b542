#include "comma_locale.h"
#include "core/inputs/frame_sidecar.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <unistd.h>

namespace velmora {
namespace {

TrackWorld Monza()
{
    TrackWorld w;
    w.frame = {0.873, -1187.4, 912.3};
    w.trackWidthM = 12.222;
    w.vehicle = "racecar";
    return w;
}

class TemporaryFolder {
public:
    TemporaryFolder()
        : path_(std::filesystem::temp_directory_path() / ("velmora-frame-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(path_);
    }
    ~TemporaryFolder() { std::filesystem::remove_all(path_); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

std::string ReadBack(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void ExpectSame(const TrackWorld& a, const TrackWorld& b)
{
    EXPECT_EQ(a.frame.metresPerPixel, b.frame.metresPerPixel);
    EXPECT_EQ(a.frame.originX, b.frame.originX);
    EXPECT_EQ(a.frame.originY, b.frame.originY);
    EXPECT_EQ(a.trackWidthM, b.trackWidthM);
    EXPECT_EQ(a.vehicle, b.vehicle);
    EXPECT_EQ(a.trackChecksum, b.trackChecksum);
    EXPECT_EQ(a.map, b.map);
    EXPECT_EQ(a.edges.closed, b.edges.closed);
    EXPECT_EQ(a.edges.rowWidths, b.edges.rowWidths);
    EXPECT_EQ(a.wallsMinObstacleCells, b.wallsMinObstacleCells);
    EXPECT_EQ(a.edges.widthRight, b.edges.widthRight);
    EXPECT_EQ(a.edges.widthLeft, b.edges.widthLeft);
    ASSERT_EQ(a.edges.centre.size(), b.edges.centre.size());
    for (std::size_t i = 0; i < a.edges.centre.size(); ++i)
        EXPECT_TRUE(a.edges.centre[i].x == b.edges.centre[i].x && a.edges.centre[i].y == b.edges.centre[i].y) << i;
}

TEST(TrackWorldFile, WritesTheFrameAsTheSimulatorsReadIt)
{
    EXPECT_EQ(TrackWorldYaml(Monza()),
              "# canvas pixel (px, py) lies at x = origin[0] + px * resolution, y = origin[1] - py * resolution\n"
              "resolution: 0.873\n"
              "origin: [-1187.4, 912.3, 0.0]\n"
              "track_width_m: 12.222\n"
              "vehicle: racecar\n");
}

// Every value comes back exactly, through a real file, also values that
// print long, a whole-number origin and a vehicle file whose name needs
// quoting.
TEST(TrackWorldFile, RoundTripsThroughAFile)
{
    TemporaryFolder folder;
    TrackWorld awkward;
    awkward.frame = {0.1 + 0.2, 0, -3};
    awkward.trackWidthM = 1.0 / 3;
    awkward.vehicle = "my cars/\"fast\" #1\\\t.txt";
    awkward.trackChecksum = TrackChecksum("M 1 2 L 3 4\r\n");
    awkward.map = "../my maps/\"lab\" #2: east.yaml";
    awkward.edges = {{{-412.5, 1790.1 + 1e-9}, {0.1 + 0.2, -3}, {7, 1.0 / 3}}, {5.2, 0, 1e-3}, {5.0, 2.5, 1.0 / 7}, false};
    TrackWorld plain;
    plain.trackWidthM = 2.1;
    // A map track's: the widths are the track's, its walls found on the map.
    TrackWorld mapped = awkward;
    mapped.edges.rowWidths = true;
    mapped.wallsMinObstacleCells = 0;
    for (const TrackWorld& world : {Monza(), plain, awkward, mapped}) {
        const auto path = folder / "Track_frame.yaml";
        std::ofstream(path, std::ios::binary) << TrackWorldYaml(world);
        const Result<TrackWorld> read = ReadTrackWorld(ReadBack(path));
        ASSERT_TRUE(read) << read.error();
        ExpectSame(*read, world);
    }
}

// A user who edits the file by hand may reorder keys, add comments, blank
// lines, CR LF line ends, a byte order mark, and write whole numbers.
TEST(TrackWorldFile, ReadsWhatAUserMayWrite)
{
    const Result<TrackWorld> read = ReadTrackWorld("\xEF\xBB\xBF# Monza\r\n\r\n"
                                                   "vehicle: \"racecar\"  # the big one\r\n"
                                                   "track_width_m: 12   \r\n"
                                                   "origin: [ -1187.4 ,912.3,0 ] # top-left\r\n"
                                                   "resolution: 1\r\n");
    ASSERT_TRUE(read) << read.error();
    TrackWorld expected = Monza();
    expected.frame.metresPerPixel = 1;
    expected.trackWidthM = 12;
    ExpectSame(*read, expected);
}

TEST(TrackWorldFile, RefusesWhatItCannotReadNamingTheLine)
{
    const std::string good = "resolution: 0.5\norigin: [1.0, 2.0, 0.0]\ntrack_width_m: 10.0\nvehicle: f1tenth\n";
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"resolution: 0,5\n" + good.substr(16), "line 1: resolution must be a plain decimal number, not \"0,5\""},
        {"resolution: 0.0\n" + good.substr(16), "line 1: resolution must be greater than 0, not \"0.0\""},
        {"resolution: -1.0\n" + good.substr(16), "line 1: resolution must be greater than 0"},
        {"resolution: nan\n" + good.substr(16), "line 1: resolution must be a plain decimal number"},
        {"resolution: 1e999\n" + good.substr(16), "line 1: resolution must be a plain decimal number"},
        {good + "resolution: 0.5\n", "line 5: resolution is given twice"},
        {good + "image: map.png\n", "line 5: unknown key \"image\""},
        {good + "just text\n", "line 5: unknown key \"just text\""},
        {good + "  more: 1\n", "line 5: not YAML: illegal map value"},
        {"resolution: 0.5\norigin: [1.0, 2.0]\ntrack_width_m: 10.0\nvehicle: f1tenth\n",
         "line 2: origin must be [x, y, 0.0]"},
        {"resolution: 0.5\norigin: 1.0, 2.0, 0.0\ntrack_width_m: 10.0\nvehicle: f1tenth\n",
         "line 2: origin must be [x, y, 0.0]"},
        {"resolution: 0.5\norigin: [1.0, , 0.0]\ntrack_width_m: 10.0\nvehicle: f1tenth\n",
         "line 2: origin must be a plain decimal number, not nothing"},
        {"resolution: 0.5\norigin: [1.0, 2.0, 1.57]\ntrack_width_m: 10.0\nvehicle: f1tenth\n",
         "line 2: the origin's third value turns the canvas"},
        {"resolution: 0.5\norigin: [1.0, 2.0, 0.0]\ntrack_width_m: 10.0\nvehicle: \"a\\q\"\n",
         "line 4: not YAML: unknown escape character: q"},
        {"resolution:\norigin: [1.0, 2.0, 0.0]\ntrack_width_m: 10.0\nvehicle: f1tenth\n", "line 1: resolution has no value"},
        {"resolution: 0.5\norigin: [1.0, 2.0, 0.0]\ntrack_width_m: 10.0\nvehicle:\n",
         "line 4: vehicle must name a vehicle"},
        {"resolution: 0.5\norigin: [1.0, 2.0, 0.0]\nvehicle: f1tenth\n", "no track_width_m is given"},
        {"", "no resolution is given"},
        {"resolution: 0.5\norigin: [1.0, 2.0, 0.0]\ntrack_width_m: 100000.0\nvehicle: f1tenth\n",
         "track_width_m makes the track 200000 pixels wide at 0.5 m per pixel"},
        {std::string("resolution: 0.5\0\n", 18) + good.substr(16), "line 1: not YAML: a control byte (0)"},
        {good + "edges:\n  closed: true\n  rows:\n  - [1.0, 2.0, 3.0]\n  - [1.0, 3.0, 3.0, 3.0]\n",
         "line 8: an edge row must be [x, y, width right, width left]"},
        {good + "edges:\n  closed: true\n  rows:\n  - [1.0, 2.0, 3.0, -1.0]\n  - [1.0, 3.0, 3.0, 3.0]\n",
         "line 8: an edge's widths cannot be below 0"},
        {good + "edges:\n  closed: maybe\n  rows:\n  - [1.0, 2.0, 3.0, 1.0]\n  - [1.0, 3.0, 3.0, 3.0]\n",
         "line 6: closed must be true or false"},
        {good + "edges:\n  closed: true\n  rows:\n  - [1.0, 2.0, 3.0, 1.0]\n", "line 8: edges need at least 2 rows"},
        {good + "edges: [1, 2]\n", "line 5: edges must give closed"},
        {good + "edges:\n  closed: true\n  rows: 1\n", "line 7: rows must be a list"},
        {good + "edges:\n  closed: true\n  row_widths: yes\n  rows:\n  - [1.0, 2.0, 3.0, 1.0]\n",
         "line 7: row_widths must be true or false"},
        {good + "edges:\n  closed: true\n  walls: 3\n  rows:\n  - [1.0, 2.0, 3.0, 1.0]\n",
         "line 7: unknown key \"walls\" in edges"},
        {good + "map: m.yaml\nedges:\n  closed: true\n  walls_min_obstacle_cells: 2.5\n  rows:\n"
                "  - [1.0, 2.0, 3.0, 1.0]\n  - [1.0, 3.0, 3.0, 3.0]\n",
         "line 8: walls_min_obstacle_cells must be a whole number of cells, not \"2.5\""},
        {good + "edges:\n  closed: true\n  walls_min_obstacle_cells: 3\n  rows:\n"
                "  - [1.0, 2.0, 3.0, 1.0]\n  - [1.0, 3.0, 3.0, 3.0]\n",
         "the edges' walls_min_obstacle_cells needs the map"},
        {good + "edges:\n  closed: true\n  closed: false\n  rows:\n", "line 7: closed is given twice"},
        {good + "map:\n", "line 5: map must name a map's description"},
        {good + "map: \"\"\n", "line 5: map must name a map's description"},
        {good + "map: hangar.yaml\nmap: berlin.yaml\n", "line 6: map is given twice"},
    };
    for (const auto& c : cases) {
        const Result<TrackWorld> read = ReadTrackWorld(c.text);
        ASSERT_FALSE(read) << c.text;
        EXPECT_EQ(read.error().rfind(c.message, 0), 0u) << read.error();
    }
}

TEST(TrackWorldFile, NumbersDoNotDependOnTheLocale)
{
    CommaLocale locale;
    const std::optional<std::string> path = locale.Prepare();
    if (path && !path->empty())
        ::setenv("LOCPATH", path->c_str(), 1);
    if (!path || !std::setlocale(LC_ALL, CommaLocale::kName))
        GTEST_SKIP() << "no de_DE.UTF-8 locale and localedef could not build one";
    // The C++ global locale too: the YAML library converts through streams in it.
    const std::locale before = std::locale::global(std::locale(CommaLocale::kName));
    const std::string text = TrackWorldYaml(Monza());
    const Result<TrackWorld> read = ReadTrackWorld(text);
    std::locale::global(before);
    std::setlocale(LC_ALL, "C");
    ::unsetenv("LOCPATH");
    EXPECT_NE(text.find("resolution: 0.873\n"), std::string::npos);
    ASSERT_TRUE(read) << read.error();
    ExpectSame(*read, Monza());
}

TEST(TrackWorldFile, LiesBesideTheTrack)
{
    const struct {
        const char* track;
        const char* file;
    } cases[] = {
        {"tracks/Monza.trk", "tracks/Monza_frame.yaml"},
        {"Monza", "Monza_frame.yaml"},
        {"my.tracks/Monza", "my.tracks/Monza_frame.yaml"},
        {"C:\\tracks\\a.b.trk", "C:\\tracks\\a.b_frame.yaml"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrackWorldPath(c.track), c.file);
}

// A width that was whole in pixels comes back whole after going through
// metres at any scale, so the track is drawn as wide as it was.
TEST(TrackWorldFile, WholePixelWidthsComeBackWhole)
{
    for (const double scale : {0.05, 0.1, 0.3, 0.873, 1.0 / 3, 7.77}) {
        for (const double pixels : {1.0, 17.0, 42.0, 999.0}) {
            TrackWorld w;
            w.frame.metresPerPixel = scale;
            w.trackWidthM = w.frame.Metres(pixels);
            const Result<TrackWorld> read = ReadTrackWorld(TrackWorldYaml(w));
            ASSERT_TRUE(read) << read.error();
            EXPECT_EQ(TrackWidthPixels(*read), pixels) << scale;
        }
    }
}

} // namespace
} // namespace velmora
