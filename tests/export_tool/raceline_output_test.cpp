#include "circuit_data.h"
#include "core/formats/centreline_rows.h"
#include "core/formats/number_text.h"
#include "core/mapin/free_cells.h"
#include "core/mapin/map_centreline.h"
#include "core/raceline/vehicle.h"
#include "file_bytes.h"
#include "hang_guard.h"
#include "published_lines.h"
#include "inputs/ros_map_load.h"
#include "source_edge_checks.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>

namespace velmora {
namespace {

int Export(const QStringList& args)
{
    QProcess p;
    p.start(VELMORA_EXPORT_PROGRAM, args);
    EXPECT_TRUE(p.waitForFinished(kHangGuardMs));
    return p.exitCode();
}

bool Near(QColor c, int r, int g, int b)
{
    return std::abs(c.red() - r) <= 24 && std::abs(c.green() - g) <= 24 && std::abs(c.blue() - b) <= 24;
}

// x and y of every row of a race-line file: "s; x; y; ...".
std::vector<CanvasPoint> LinePoints(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::vector<CanvasPoint> out;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#' || line[0] == 's')
            continue;
        const std::size_t a = line.find_first_not_of(' ', line.find(';') + 1);
        const std::size_t b = line.find_first_not_of(' ', line.find(';', a) + 1);
        const DecimalScan x = ScanDecimal(std::string_view(line).substr(a)),
                          y = ScanDecimal(std::string_view(line).substr(b));
        if (x.length == 0 || y.length == 0) {
            ADD_FAILURE() << "not a row: " << line;
            return {};
        }
        out.push_back({x.value, y.value});
    }
    return out;
}

// A race line written from a circuit file keeps its car's clearance from
// every point of the file's own edges (the polygons through its rows):
// - racecar with the circuit drawn at its median width, a surface wider
//   than the real track where the real one is narrow;
// - the published lines' car (0.75 m a side) with the circuit drawn 2 m
//   wider than its widest row, on a canvas large enough that the map's
//   cells, which the line keeps clear of too, are a few decimetres: the
//   corridor the published lines were optimised in. They come within
//   0.58-0.63 m of those polygons at corners between their rows; in that
//   stricter corridor ours may curve a little more (Monza's chicanes,
//   1.2 %), and in the widths as the file gives them it curves less (the
//   core's test).
TEST(RacelineFile, KeepsTheCarsClearanceFromTheCircuitFilesOwnEdges)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteAll(dir.filePath("big.ini"), "CanvasWidth = 8192\nCanvasHeight = 8192\n");
    WriteAll(dir.filePath("published.car"),
             QByteArray::fromStdString("width_m = " + FormatShortest(published::kCarWidthM) +
                                       "\nsafety_margin_m = " + FormatShortest(published::kCarMarginM) +
                                       "\nmax_lateral_acceleration_mps2 = 9.81\nmax_acceleration_mps2 = 5.83\n"
                                       "max_braking_mps2 = 9.81\ntop_speed_mps = 70\n"));
    const struct {
        QStringList options;
        double clearance;
        bool published; // drawn wider than the widest row, measured against the published line
    } cases[] = {
        {{"--vehicle", "racecar", "--track-width", "csv"}, BuiltInVehicle("racecar")->Clearance(), false},
        {{"--prefs", dir.filePath("big.ini"), "--vehicle", dir.filePath("published.car")},
         published::kCarWidthM / 2 + published::kCarMarginM, true},
    };
    for (const auto& c : cases) {
        for (const char* name : circuits::kNames) {
            SCOPED_TRACE(name + (" " + c.options.join(' ')).toStdString());
            double widest = 0;
            for (const CentrelineRow& r : circuits::Rows(name))
                widest = std::max(widest, r.widthLeft + r.widthRight);
            const QString out = dir.filePath(c.published ? "published" : "racecar");
            QStringList args = QStringList{"--raceline", "--quiet", "--out-dir", out} + c.options;
            if (c.published)
                args << "--track-width" << QString::fromStdString(FormatFixed(std::ceil(widest + 2), 0) + "m");
            ASSERT_EQ(Export(args << QString(VELMORA_TEST_DATA) + "/circuits/" + name + ".csv"), 0);
            std::vector<CanvasPoint> ours = LinePoints(out + "/" + name + "_raceline.csv");
            ASSERT_GT(ours.size(), 1000u);
            // The file closes the loop with its first row again.
            EXPECT_EQ(ours.front(), ours.back());
            ours.pop_back();
            const Result<ImportedCentreline> source = circuits::Import(name);
            ASSERT_TRUE(source) << source.error();
            EXPECT_GE(checks::LeastToSourceEdges(source->sourceEdges, ours), c.clearance - 1e-3);
            if (!c.published)
                continue;
            std::vector<WorldPoint> line;
            for (const CanvasPoint p : ours)
                line.push_back({p.x, p.y});
            const std::vector<WorldPoint> theirs = published::Line(name);
            std::vector<CanvasPoint> theirPoints;
            for (const WorldPoint p : theirs)
                theirPoints.push_back({p.x, p.y});
            const double bending = published::Bending(line, 1.0), published = published::Bending(theirs, 1.0);
            std::printf("%-12s summed kappa^2 ds %.5f 1/m; published %.5f 1/m, %.3f m from the edges\n", name,
                        bending, published, checks::LeastToSourceEdges(source->sourceEdges, theirPoints));
            EXPECT_LE(bending, 1.015 * published);
        }
    }
}

// The cells of a map's picture, in map cells: (x, y) lies in cell
// (floor x, floor y), and what lies beyond the picture is not free.
struct SourceMap {
    CellMask free;
    WorldFrame frame;

    bool FreeAt(double x, double y) const
    {
        const int cx = int(std::floor(x)), cy = int(std::floor(y));
        return free.Inside(cx, cy) && free.At(cx, cy);
    }
    // Cells from (x, y) to the nearest cell that is not free, taken as the
    // square it is; no more than `upTo`.
    double ToWall(double x, double y, double upTo) const
    {
        double least = upTo;
        const int r = int(std::ceil(upTo)) + 1, cx = int(std::floor(x)), cy = int(std::floor(y));
        for (int j = cy - r; j <= cy + r; ++j)
            for (int i = cx - r; i <= cx + r; ++i)
                if (!free.Inside(i, j) || !free.At(i, j))
                    least = std::min(least, std::hypot(std::max({i - x, 0.0, x - i - 1}),
                                                       std::max({j - y, 0.0, y - j - 1})));
        return least;
    }
    // Cells from (x, y) along (ux, uy) to the face of the first cell that is not free.
    double AlongToWall(double x, double y, double ux, double uy) const
    {
        double t = 0;
        while (t < 1000 && FreeAt(x + t * ux, y + t * uy))
            t += 0.05;
        return t;
    }
};

// The map is the corridor: from an unchanged SLAM map with nothing but the
// outputs asked for, every row of the centreline lies in the map's free
// space with the widths the map has there (along the row's normal to the
// first cell that is not free), and every row of the race line keeps the
// car's half width and margin from every cell of the source map that is not
// free, the cells taken as squares. A width given still wins, and the race
// line of a track drawn wider than the map's keeps off the map's walls all
// the same.
TEST(RacelineFile, KeepsOffTheWallsOfTheMapItWasFoundOn)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const double clearance = BuiltInVehicle("f1tenth")->Clearance();
    const struct {
        const char* map;
        QStringList options;
        double width; // metres on every row as given, or 0: the map's own
    } cases[] = {
        {"hangar/hangar", {}, 0},     {"JFR_racingv5/JFR_racingv5", {}, 0},          {"berlin/berlin", {}, 0},
        {"colombia/columbia", {}, 0}, {"hangar/hangar", {"--track-width", "1.8m"}, 1.8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.map + (" " + c.options.join(' ')).toStdString());
        const QString yaml = QString(VELMORA_TEST_DATA) + "/slam/" + c.map + ".yaml";
        const QString name = QFileInfo(yaml).completeBaseName();
        ASSERT_EQ(Export(QStringList{"--centreline", "--raceline", "--vehicle", "f1tenth", "--quiet",
                                     "--out-dir", dir.path(), yaml} +
                         c.options),
                  0);
        const Result<LoadedMap> loaded = LoadRosMap(yaml);
        ASSERT_TRUE(loaded) << loaded.error();
        const SourceMap source{FreeCells(loaded->image, loaded->info),
                               MapFrame(loaded->info, loaded->image.height)};
        const double cell = source.frame.metresPerPixel;

        QFile file(dir.filePath(name + "_centreline.csv"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const Result<std::vector<CentrelineRow>> rows =
            ReadCentrelineRows({bytes.constData(), std::size_t(bytes.size())});
        ASSERT_TRUE(rows && rows->size() > 100) << (rows ? "" : rows.error());
        std::size_t outside = 0;
        std::vector<double> off;
        for (std::size_t i = 0; i < rows->size(); ++i) {
            const CentrelineRow &r = (*rows)[i], &a = (*rows)[(i + rows->size() - 1) % rows->size()],
                                &b = (*rows)[(i + 1) % rows->size()];
            const double x = source.frame.CanvasX(r.x), y = source.frame.CanvasY(r.y);
            outside += source.FreeAt(x, y) ? 0 : 1;
            if (c.width > 0) {
                off.push_back(std::abs(r.widthLeft + r.widthRight - c.width) / cell);
                continue;
            }
            // Left of travel in the world is left on the picture too, y down.
            const double dx = b.x - a.x, dy = b.y - a.y, l = std::hypot(dx, dy);
            off.push_back(std::abs(source.AlongToWall(x, y, -dy / l, -dx / l) - r.widthLeft / cell));
            off.push_back(std::abs(source.AlongToWall(x, y, dy / l, dx / l) - r.widthRight / cell));
        }
        EXPECT_EQ(outside, 0u);
        std::nth_element(off.begin(), off.begin() + long(off.size() / 2), off.end());
        EXPECT_LE(off[off.size() / 2], c.width > 0 ? 1e-6 : 2) << "cells, the median";

        const std::vector<CanvasPoint> line = LinePoints(dir.filePath(name + "_raceline.csv"));
        ASSERT_GT(line.size(), 100u);
        double least = HUGE_VAL;
        for (const CanvasPoint p : line)
            least = std::min(least, source.ToWall(source.frame.CanvasX(p.x), source.frame.CanvasY(p.y),
                                                  clearance / cell + 1));
        EXPECT_GE(least, clearance / cell - 0.5) << "cells";
    }
}

// The picture of the line: made with --png, the line drawn in the speed
// colours over the canvas, and the legend grown with a 2,048 px canvas so
// its ramp runs from red (slowest) to sky blue (fastest), never white.
TEST(RacelinePicture, LineInSpeedColoursAndALegendToScale)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString circuit = QString(VELMORA_TEST_DATA) + "/circuits/BrandsHatch.csv";
    ASSERT_EQ(Export({"--raceline", "--vehicle", "racecar", "--track-width", "csv", "--out-dir", dir.path(), circuit}),
              0);
    EXPECT_FALSE(QFile::exists(dir.filePath("BrandsHatch_raceline.png"))) << "no picture without --png";
    ASSERT_EQ(Export({"--raceline", "--png", "--vehicle", "racecar", "--track-width", "csv", "--out-dir",
                      dir.path(), circuit}),
              0);
    const QImage plain(dir.filePath("BrandsHatch.png"));
    const QImage line(dir.filePath("BrandsHatch_raceline.png"));
    ASSERT_FALSE(line.isNull());
    ASSERT_EQ(line.size(), plain.size());
    const double k = std::min(line.width(), line.height()) / 1000.0;

    // The ramp's row in the middle of the legend's bar, its ends inset.
    const int rampY = static_cast<int>((12 + 10 + 7) * k);
    const int left = static_cast<int>((12 + 10) * k) + 3;
    const int right = static_cast<int>((12 + 210 - 10) * k) - 3;
    EXPECT_TRUE(Near(line.pixelColor(left, rampY), 255, 0, 0)) << line.pixelColor(left, rampY).name().toStdString();
    EXPECT_TRUE(Near(line.pixelColor(right, rampY), 0, 170, 255))
        << line.pixelColor(right, rampY).name().toStdString();
    EXPECT_GT(right - left, 300) << "the legend grows with the canvas";

    // Outside the legend, pixels changed from the plain picture into the
    // ramp's colours: the line itself.
    long coloured = 0;
    for (int y = static_cast<int>(80 * k); y < line.height(); ++y)
        for (int x = 0; x < line.width(); ++x) {
            const QColor c = line.pixelColor(x, y);
            if (c != plain.pixelColor(x, y) && ((c.red() > 230 && c.blue() < 30) || (c.blue() > 230 && c.red() < 30)))
                ++coloured;
        }
    EXPECT_GT(coloured, 2000);
}

} // namespace
} // namespace velmora
