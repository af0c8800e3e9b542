#include "circuit_data.h"
#include "comma_locale.h"
#include "core/formats/centreline_csv.h"
#include "core/formats/deepracer_npy.h"
#include "core/formats/number_text.h"
#include "core/formats/waypoints_csv.h"
#include "core/track/editor.h"
#include "core/track/track_generator.h"
#include "core/track/track_samples.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace velmora {
namespace {

TrackSamples Samples(const char* path, double spacing, double width)
{
    Result<TrackSamples> t = SampleTrack(path, spacing, width);
    EXPECT_TRUE(t.ok()) << path << ": " << t.error();
    return t.ok() ? *t : TrackSamples{};
}

std::vector<std::vector<std::string>> Fields(const std::string& csv)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(csv);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        rows.emplace_back();
        std::istringstream fields(line);
        for (std::string f; std::getline(fields, f, ',');)
            rows.back().push_back(f);
    }
    return rows;
}

TEST(CentrelineCsv, RowsInTheWorldFrame)
{
    const struct {
        const char* path;
        double spacing, width;
        WorldFrame frame;
        const char* csv;
    } cases[] = {
        // 150 px heading right at 64: rows at 0, 64, 128 and the end.
        {"M 100 200 L 250 200 ",
         64,
         42,
         {0.05, 0, 0},
         "5,-10,1.05,1.05\n8.2,-10,1.05,1.05\n11.4,-10,1.05,1.05\n12.5,-10,1.05,1.05\n"},
        // The origin is where the canvas's top-left corner lies in the world.
        {"M 0 0 L 128 0 ",
         64,
         40,
         {1, -412.5, 1790},
         "-412.5,1790,20,20\n-348.5,1790,20,20\n-284.5,1790,20,20\n"},
        // A loop does not repeat its first row.
        {"M 0 0 L 100 0 L 100 100 L 0 100 Z",
         100,
         10,
         {0.5, 0, 0},
         "0,0,2.5,2.5\n50,0,2.5,2.5\n50,-50,2.5,2.5\n0,-50,2.5,2.5\n"},
        // Hundredths of a pixel and an origin that makes -0.
        {"M 400.75 400.25 L 401.75 400.25 ", 1, 0, {0.1, -40.075, 40.025}, "0,0,0,0\n0.1,0,0,0\n"},
    };
    for (const auto& c : cases) {
        const Result<std::string> csv = CentrelineCsv(Samples(c.path, c.spacing, c.width), c.frame);
        ASSERT_TRUE(csv.ok()) << csv.error();
        EXPECT_EQ(*csv, std::string("# x_m,y_m,w_tr_right_m,w_tr_left_m\n") + c.csv) << c.path;
    }
    EXPECT_FALSE(CentrelineCsv(Samples("M 0 0 L 9 0 ", 1, 1), {0, 0, 0}).ok());
    EXPECT_EQ(CentrelineCsv(Samples("M 0 0 L 3e38 0 ", 1e37, 1), {1e300, 0, 0}).error(),
              "the scale must be from 0.000000001 to 1000000000 m per pixel, not 1e+300");
}

// The waypoints are the centreline's rows with more columns: the same
// points, distances that add up, and the edges and widths the samples hold,
// each width the edge's reach along the row's normal.
TEST(WaypointsCsv, AgreeWithTheCentrelineAndTheSampledEdges)
{
    const Result<ImportedCentreline> monza = circuits::Import("Monza");
    ASSERT_TRUE(monza.ok()) << monza.error();
    const WorldFrame& frame = monza->frame;
    const Result<TrackSamples> t =
        SampleTrack(monza->model.TrackPath, DefaultSpacing(frame.metresPerPixel), monza->trackWidth);
    ASSERT_TRUE(t.ok());
    const Result<std::string> centre = CentrelineCsv(*t, frame);
    const Result<std::string> waypoints = WaypointsCsv(*t, frame);
    ASSERT_TRUE(centre.ok() && waypoints.ok());
    EXPECT_EQ(
        waypoints->substr(0, waypoints->find('\n')),
        "# s_m,x_m,y_m,psi_rad,kappa_radpm,w_tr_right_m,w_tr_left_m,x_right_m,y_right_m,x_left_m,y_left_m");
    const auto c = Fields(*centre), w = Fields(*waypoints);
    ASSERT_EQ(c.size(), w.size());
    ASSERT_GT(w.size(), 5000u); // 1 m apart round 5.8 km
    const double half = frame.Metres(t->halfWidth);
    for (std::size_t i = 0; i < w.size(); ++i) {
        ASSERT_EQ(w[i].size(), 11u);
        EXPECT_EQ((std::vector{w[i][1], w[i][2]}), (std::vector{c[i][0], c[i][1]}));
        double v[11];
        for (int k = 0; k < 11; ++k)
            v[k] = std::strtod(w[i][k].c_str(), nullptr);
        EXPECT_NEAR(v[0], static_cast<double>(i), 1e-6); // 1 m apart
        const TrackSample& r = t->rows[i];
        EXPECT_NEAR(v[5], frame.Metres(r.widthRight), 1e-6);
        EXPECT_NEAR(v[6], frame.Metres(r.widthLeft), 1e-6);
        EXPECT_NEAR(v[7], frame.X(r.right.x), 1e-6);
        EXPECT_NEAR(v[8], frame.Y(r.right.y), 1e-6);
        EXPECT_NEAR(v[9], frame.X(r.left.x), 1e-6);
        EXPECT_NEAR(v[10], frame.Y(r.left.y), 1e-6);
        // Left a quarter turn counter-clockwise of the heading, right the
        // other way, never nearer than half the width.
        for (const auto& [ex, ey, side] : {std::tuple{v[7], v[8], -1.0}, std::tuple{v[9], v[10], 1.0}}) {
            const double across = (ex - v[1]) * -std::sin(v[3]) + (ey - v[2]) * std::cos(v[3]);
            EXPECT_GT(side * across, 0) << i;
            EXPECT_GE(std::hypot(ex - v[1], ey - v[2]), half - 1e-5) << i;
        }
    }
}

TEST(DeepRacerNpy, HeaderPaddedToSixtyFourAndLoopsOnly)
{
    const TrackSamples square = Samples("M 0 0 L 10 0 L 10 10 L 0 10 Z", 5, 2);
    const Result<std::string> npy = DeepRacerNpy(square, {1, 0, 0});
    ASSERT_TRUE(npy.ok()) << npy.error();
    const std::string dict = "{'descr': '<f8', 'fortran_order': False, 'shape': (9, 6), }";
    ASSERT_EQ(npy->size(), 128u + 9 * 6 * 8);
    EXPECT_EQ(npy->substr(0, 8), std::string("\x93NUMPY\x01\x00", 8));
    EXPECT_EQ(static_cast<unsigned char>((*npy)[8]) + 256 * static_cast<unsigned char>((*npy)[9]), 118);
    EXPECT_EQ(npy->substr(10, 118), dict + std::string(118 - dict.size() - 1, ' ') + '\n');
    const auto value = [&](std::size_t row, std::size_t column) {
        double v;
        std::memcpy(&v, npy->data() + 128 + (row * 6 + column) * 8, 8);
        return v;
    };
    // The square runs clockwise in the world, so its inside is on the right:
    // half-way along the first side, heading +x, inner (5, -1), outer (5, 1).
    const double middle[6] = {5, 0, 5, -1, 5, 1};
    for (std::size_t column = 0; column < 6; ++column) {
        EXPECT_NEAR(value(1, column), middle[column], 1e-12) << column;
        EXPECT_EQ(value(8, column), value(0, column)) << "the first row again";
    }
    // Run the other way round, inner and outer change columns, not sides.
    const Result<std::string> ccw = DeepRacerNpy(Samples("M 0 0 L 0 10 L 10 10 L 10 0 Z", 5, 2), {1, 0, 0});
    ASSERT_TRUE(ccw.ok());
    double inner[2];
    std::memcpy(inner, ccw->data() + 128 + (6 + 2) * 8, 16);
    EXPECT_NEAR(inner[0], 1, 1e-12); // row 1 at (0, -5), heading -y: inside is +x
    EXPECT_NEAR(inner[1], -5, 1e-12);
    EXPECT_EQ(DeepRacerNpy(Samples("M 0 0 L 10 0 L 10 10 ", 1, 2), {1, 0, 0}).error(),
              "DeepRacer tracks are loops; this track is open (close it to write its .npy)");
}

// The circuits and generated tracks with the sharp corners whose inner
// border used to tie a loop (seed 1's first track closes with 123 degrees).
std::vector<circuits::Track> NpyCases()
{
    return circuits::CircuitsAndGenerated({1, 9}, 3);
}

// NumPy itself reads the file (Debian's python3 with python3-numpy), and
// shapely, where installed, judges the borders as the DeepRacer notebooks
// do: each a valid polygon, the road between them a difference it can make.
TEST(DeepRacerNpy, NumpyLoadsItAndShapelyTakesTheBorders)
{
    if (std::system("/usr/bin/python3 -c 'import numpy' >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no /usr/bin/python3 with numpy (Debian: python3-numpy)";
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("velmora-npy-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path py = dir / "check.py";
    // Inner and outer at least half the width from the centre where the
    // surface is not cut by another stretch; the inner line encloses less
    // than the centre line, the outer more.
    std::ofstream(py) << "import numpy as np, sys\n"
                         "a = np.load(sys.argv[1])\n"
                         "rows, h = int(sys.argv[2]), float(sys.argv[3])\n"
                         "assert a.dtype == np.float64 and a.ndim == 2 and a.shape == (rows, 6), (a.dtype, a.shape)\n"
                         "assert (a[0] == a[-1]).all()\n"
                         "area = lambda x, y: abs(np.dot(x[:-1], y[1:]) - np.dot(x[1:], y[:-1])) / 2\n"
                         "assert area(a[:, 2], a[:, 3]) < area(a[:, 0], a[:, 1]) < area(a[:, 4], a[:, 5])\n"
                         "for k in (2, 4):\n"
                         "    d = np.hypot(a[:, k] - a[:, 0], a[:, k + 1] - a[:, 1])\n"
                         "    assert np.median(d) >= h - 1e-5, (k, np.median(d))\n"
                         "try:\n"
                         "    from shapely.geometry import LinearRing, Polygon\n"
                         "except ImportError:\n"
                         "    sys.exit(0)\n"
                         "inner, outer = Polygon(a[:-1, 2:4]), Polygon(a[:-1, 4:6])\n"
                         "assert LinearRing(a[:-1, 2:4]).is_simple and inner.is_valid, 'inner border crosses itself'\n"
                         "assert LinearRing(a[:-1, 4:6]).is_simple and outer.is_valid, 'outer border crosses itself'\n"
                         "road = outer.difference(inner)\n"
                         "assert road.area > 0 and inner.within(outer)\n";
    for (const circuits::Track& c : NpyCases()) {
        SCOPED_TRACE(c.name);
        const Result<TrackSamples> t = SampleTrack(c.path, DefaultSpacing(c.frame.metresPerPixel), c.width);
        ASSERT_TRUE(t.ok()) << t.error();
        const Result<std::string> npy = DeepRacerNpy(*t, c.frame);
        ASSERT_TRUE(npy.ok()) << npy.error();
        const std::filesystem::path file = dir / "track.npy";
        std::ofstream(file, std::ios::binary) << *npy;
        const std::string command = "/usr/bin/python3 " + py.string() + " " + file.string() + " " +
                                    std::to_string(t->rows.size() + 1) + " " +
                                    FormatShortest(c.frame.Metres(t->halfWidth));
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
    }
    std::filesystem::remove_all(dir);
}

// A comma-decimal locale (built in a scratch folder when the machine has
// none) must change no byte of what is written or read.
class InCommaLocale : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::optional<std::string> path = locale_.Prepare();
        if (path && !path->empty())
            ::setenv("LOCPATH", path->c_str(), 1);
        if (!path || !std::setlocale(LC_ALL, CommaLocale::kName))
            GTEST_SKIP() << "no de_DE.UTF-8 locale and localedef could not build one";
    }
    void TearDown() override
    {
        std::setlocale(LC_ALL, "C");
        ::unsetenv("LOCPATH");
    }

private:
    CommaLocale locale_;
};

TEST_F(InCommaLocale, NumbersReadAndWrittenAsInTheCLocale)
{
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    ASSERT_STREQ(probe, "0,5") << "the locale is in force";

    // The start strip is drawn where the path's start reads.
    EXPECT_EQ(StartPosition("M 400.75 400.25 L 500 400 "), (CanvasPoint{400.75, 400.25}));
    EXPECT_EQ(PointCommand('L', 412.37, 88.05), "L 412.37 88.05 ");
    EXPECT_EQ(OriginText({1.18, -412.5, 1790}), "-412.5,1790.0");
    const TrackSamples t = Samples("M 0 0 L 10 0 L 10 10 L 0 10 Z", 0.3, 2.5);
    const WorldFrame frame{0.05, -1.5, 2.25};
    const Result<std::string> centre = CentrelineCsv(t, frame), waypoints = WaypointsCsv(t, frame);
    ASSERT_TRUE(centre.ok() && waypoints.ok());
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(*centre, *CentrelineCsv(t, frame));
    EXPECT_EQ(*waypoints, *WaypointsCsv(t, frame));
    EXPECT_EQ(Fields(*centre)[1].size(), 4u);
}

} // namespace
} // namespace velmora
