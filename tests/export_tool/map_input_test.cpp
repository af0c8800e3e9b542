#include "core/inputs/centreline_import.h"
#include "core/formats/ros_map_yaml.h"
#include "core/mapin/distance_transform.h"
#include "core/settings/settings.h"
#include "inputs/ros_map_load.h"
#include "inputs/track_input.h"
#include "outputs/track_export.h"
#include "hang_guard.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

namespace velmora {
namespace {

QString F1tenth(const QString& file)
{
    return QString(VELMORA_TEST_DATA) + "/f1tenth/" + file;
}

std::vector<CentrelineRow> Published(const QString& name)
{
    QFile f(F1tenth(name + "_centerline.csv"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    Result<std::vector<CentrelineRow>> rows = ReadCentrelineRows({bytes.constData(), std::size_t(bytes.size())});
    EXPECT_TRUE(rows.ok()) << rows.error();
    return rows ? *rows : std::vector<CentrelineRow>{};
}

struct Nearest {
    double distance = HUGE_VAL; // metres
    std::size_t row = 0;        // the nearer end of the nearest stretch
};

// The nearest point of the published closed line to (x, y).
Nearest NearestOn(const std::vector<CentrelineRow>& line, double x, double y)
{
    Nearest best;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const CentrelineRow &a = line[i], &b = line[(i + 1) % line.size()];
        const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
        const double t = len2 > 0 ? std::clamp(((x - a.x) * dx + (y - a.y) * dy) / len2, 0.0, 1.0) : 0;
        const double d = std::hypot(a.x + t * dx - x, a.y + t * dy - y);
        if (d < best.distance)
            best = {d, t < 0.5 ? i : (i + 1) % line.size()};
    }
    return best;
}

double Quantile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(q * double(v.size())))];
}

// The heading of the published line at row i, so that ours runs its way.
double HeadingAt(const std::vector<CentrelineRow>& line, std::size_t i)
{
    const CentrelineRow &a = line[i], &b = line[(i + 1) % line.size()];
    return std::atan2(b.y - a.y, b.x - a.x);
}

struct Accuracy {
    double median = 0, p95 = 0, widthMedian = 0, widthP95 = 0; // cells
};

// How far our centre line lies from the published one, and our widths
// from its widths, in map cells, with nothing shifted.
Accuracy Measure(const MapCentreline& ours, const std::vector<CentrelineRow>& published)
{
    std::vector<double> off, width;
    const double res = ours.frame.metresPerPixel;
    for (const MapLinePoint& p : ours.points) {
        const Nearest n = NearestOn(published, ours.frame.X(p.x), ours.frame.Y(p.y));
        off.push_back(n.distance / res);
        width.push_back(std::abs(p.right * res - published[n.row].widthRight) / res);
        width.push_back(std::abs(p.left * res - published[n.row].widthLeft) / res);
    }
    return {Quantile(off, 0.5), Quantile(off, 0.95), Quantile(width, 0.5), Quantile(width, 0.95)};
}

MapTrackOptions Along(const std::vector<CentrelineRow>& published)
{
    MapTrackOptions o;
    o.startGiven = o.yawGiven = true;
    o.startX = published[0].x;
    o.startY = published[0].y;
    o.startYaw = HeadingAt(published, 0);
    return o;
}

TEST(PublishedMaps, CentreLineAndWidthsMatchThePublishedOnes)
{
    // Brands Hatch's picture has its walls' inner faces 1.27 to 1.35 m from
    // the published line (read off the picture across it at rows 0, 100 and
    // 300), not at its published 1.1 m: widths of that map are held to the
    // walls the picture has.
    const struct {
        QString name;
        double widthCells;
    } maps[] = {{"Monza", 2}, {"Spa", 2}, {"BrandsHatch", 4}};
    for (const auto& [name, widthCells] : maps) {
        SCOPED_TRACE(name.toStdString());
        const std::vector<CentrelineRow> published = Published(name);
        // By default from the map frame's origin, counter-clockwise.
        const Result<MapCentreline> plain = ReadMapCentreline(F1tenth(name + "_map.yaml"), {});
        ASSERT_TRUE(plain.ok()) << plain.error();
        EXPECT_LT(Measure(*plain, published).median, 2);
        // Driven the published way, so that its right is our right.
        const Result<MapCentreline> ours = ReadMapCentreline(F1tenth(name + "_map.yaml"), Along(published));
        ASSERT_TRUE(ours.ok()) << ours.error();
        const Accuracy a = Measure(*ours, published);
        EXPECT_LE(a.median, 2);
        EXPECT_LE(a.p95, 4);
        EXPECT_LE(a.widthMedian, widthCells);
        EXPECT_LE(a.widthP95, widthCells + 0.5);
        const MapLinePoint& first = ours->points[0];
        EXPECT_LT(std::hypot(ours->frame.X(first.x) - published[0].x, ours->frame.Y(first.y) - published[0].y),
                  2 * ours->frame.metresPerPixel);
        std::printf("%s: centre line median %.2f, 95th percentile %.2f cells; widths median %.2f, 95th "
                    "percentile %.2f cells\n",
                    qPrintable(name), a.median, a.p95, a.widthMedian, a.widthP95);
    }
}

// A copy of a published map with a fault of the kind SLAM leaves, written as
// PGM with its own description.
struct DirtyMap {
    LoadedMap map;
    std::vector<CentrelineRow> published;
    double top = 0; // world y of the picture's top edge

    // The `cells` x `cells` square of cells from the one holding (x, y).
    void Set(double x, double y, std::uint8_t v, int cells = 1)
    {
        const int cx = int(std::floor((x - map.info.originX) / map.info.resolution));
        const int cy = int(std::floor((top - y) / map.info.resolution));
        for (int dy = 0; dy < cells; ++dy)
            for (int dx = 0; dx < cells; ++dx)
                if (cx + dx >= 0 && cy + dy >= 0 && cx + dx < map.image.width && cy + dy < map.image.height)
                    map.image.values[std::size_t(cy + dy) * std::size_t(map.image.width) + std::size_t(cx + dx)] = v;
    }
    // Every cell within `across` (along the line) and between `from` and `to`
    // metres off it (to the right when positive) at published row i.
    void Paint(std::size_t i, double across, double from, double to, std::uint8_t v)
    {
        const double h = HeadingAt(published, i), tx = std::cos(h), ty = std::sin(h);
        const double step = map.info.resolution / 4;
        for (double a = -across / 2; a <= across / 2; a += step)
            for (double d = from; d <= to; d += step)
                Set(published[i].x + a * tx + d * ty, published[i].y + a * ty - d * tx, v);
    }
    // The row on the straightest stretch: least turning over 20 rows.
    std::size_t Straight() const
    {
        std::size_t best = 0;
        double least = HUGE_VAL;
        for (std::size_t i = 10; i + 10 < published.size(); ++i) {
            const double turn = std::abs(std::remainder(HeadingAt(published, i + 10) - HeadingAt(published, i - 10),
                                                        2 * M_PI));
            if (turn < least) {
                least = turn;
                best = i;
            }
        }
        return best;
    }
    // Which side of the published line the outside is: +1 right, -1 left.
    double OutsideSide() const
    {
        double area = 0;
        for (std::size_t i = 0; i < published.size(); ++i) {
            const CentrelineRow &a = published[i], &b = published[(i + 1) % published.size()];
            area += a.x * b.y - b.x * a.y;
        }
        return area > 0 ? 1 : -1;
    }
    // Unknown everywhere outside the track's outer wall.
    void UnknownOutside()
    {
        GreyImage& g = map.image;
        std::vector<std::size_t> todo{0};
        std::vector<std::uint8_t> seen(g.values.size(), 0);
        seen[0] = 1;
        while (!todo.empty()) {
            const std::size_t i = todo.back();
            todo.pop_back();
            g.values[i] = 205;
            const int x = int(i % std::size_t(g.width)), y = int(i / std::size_t(g.width));
            for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                const int nx = x + dx, ny = y + dy;
                const std::size_t n = std::size_t(ny) * std::size_t(g.width) + std::size_t(nx);
                if (nx >= 0 && ny >= 0 && nx < g.width && ny < g.height && !seen[n] && g.values[n] > 200) {
                    seen[n] = 1;
                    todo.push_back(n);
                }
            }
        }
    }
    QString Write(const QTemporaryDir& dir) const
    {
        QFile pgm(dir.filePath("dirty.pgm"));
        EXPECT_TRUE(pgm.open(QIODevice::WriteOnly));
        pgm.write(QByteArray("P5\n") + QByteArray::number(map.image.width) + " " +
                  QByteArray::number(map.image.height) + "\n255\n");
        pgm.write(reinterpret_cast<const char*>(map.image.values.data()), qint64(map.image.values.size()));
        QFile yaml(dir.filePath("dirty.yaml"));
        EXPECT_TRUE(yaml.open(QIODevice::WriteOnly));
        yaml.write(QByteArray::fromStdString(
            RosMapYaml("dirty.pgm", map.info.resolution, map.info.originX, map.info.originY)));
        return yaml.fileName();
    }
};

DirtyMap Dirty(const QString& name)
{
    DirtyMap d;
    Result<LoadedMap> map = LoadRosMap(F1tenth(name + "_map.yaml"));
    EXPECT_TRUE(map.ok()) << map.error();
    d.map = std::move(*map);
    d.published = Published(name);
    d.top = d.map.info.originY + d.map.image.height * d.map.info.resolution;
    return d;
}

// Single cells and squares of two by two, anywhere on the track.
void Specks(DirtyMap& d)
{
    for (std::size_t i = 5; i < d.published.size(); i += 9) {
        const double side = double(i % 5) * 0.4 - 0.8, h = HeadingAt(d.published, i);
        d.Set(d.published[i].x + side * std::sin(h), d.published[i].y - side * std::cos(h), 0, 1 + int(i % 2));
    }
}

struct DirtyCase {
    const char* name;
    std::function<void(DirtyMap&, InputOptions&)> change;
    const char* failure; // nullptr: imports, within the published line's accuracy
};

const DirtyCase kDirtyCases[] = {
    {"clean", [](DirtyMap&, InputOptions&) {}, nullptr},
    {"noise specks", [](DirtyMap& d, InputOptions&) { Specks(d); }, nullptr},
    {"noise specks kept", [](DirtyMap& d, InputOptions& o) {
         Specks(d);
         o.map.minObstacle = 0.01;
     }, "stands in the track"},
    // Narrower than the car: a wall to it, closed without being asked.
    {"a 3-cell gap in the outer wall", [](DirtyMap& d, InputOptions&) {
         const double s = d.OutsideSide(), r = d.map.info.resolution;
         d.Paint(d.Straight(), 3 * r - r / 2, s > 0 ? 0.8 : -1.6, s > 0 ? 1.6 : -0.8, 254);
     }, nullptr},
    {"the gap closed", [](DirtyMap& d, InputOptions& o) {
         const double s = d.OutsideSide(), r = d.map.info.resolution;
         d.Paint(d.Straight(), 3 * r - r / 2, s > 0 ? 0.8 : -1.6, s > 0 ? 1.6 : -0.8, 254);
         o.map.closeGaps = 0.16;
     }, nullptr},
    {"a 3-cell gap in the inner wall", [](DirtyMap& d, InputOptions&) {
         const double s = -d.OutsideSide(), r = d.map.info.resolution;
         d.Paint(d.Straight(), 3 * r - r / 2, s > 0 ? 0.8 : -1.6, s > 0 ? 1.6 : -0.8, 254);
     }, nullptr},
    {"unknown cells outside", [](DirtyMap& d, InputOptions&) { d.UnknownOutside(); }, nullptr},
    {"a blob in a straight", [](DirtyMap& d, InputOptions&) { d.Paint(d.Straight(), 0.4, -0.2, 0.2, 0); },
     "stands in the track, so the free space around 0.00,0.00 m makes more than one loop: ignoring obstacles up to"},
    {"the blob ignored", [](DirtyMap& d, InputOptions& o) {
         d.Paint(d.Straight(), 0.4, -0.2, 0.2, 0);
         o.map.minObstacle = 0.7;
     }, nullptr},
    {"a start given", [](DirtyMap& d, InputOptions& o) {
         o.map = Along(d.published);
         const std::size_t half = d.published.size() / 2;
         o.map.startX = d.published[half].x;
         o.map.startY = d.published[half].y;
         o.map.startYaw = HeadingAt(d.published, half) + M_PI;
     }, nullptr},
    {"a start given on a wall", [](DirtyMap& d, InputOptions& o) {
         o.map.startGiven = true;
         o.map.startX = d.published[0].x;
         o.map.startY = d.published[0].y;
         d.Paint(0, 0.3, -0.3, 0.3, 0);
     }, "the start 0.00,0.00 m is not in free space"},
};

TEST(DirtyMaps, ImportOrSayWhyNot)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const DirtyMap clean = Dirty("BrandsHatch");
    for (const DirtyCase& c : kDirtyCases) {
        SCOPED_TRACE(c.name);
        DirtyMap d = clean;
        InputOptions o;
        o.trackWidthFromCsv = true;
        c.change(d, o);
        const QString path = d.Write(dir);
        const Result<TrackJob> job = ReadTrackInput(o, Settings{}, path);
        if (c.failure) {
            ASSERT_FALSE(job.ok());
            EXPECT_NE(job.error().find(c.failure), std::string::npos) << job.error();
            continue;
        }
        ASSERT_TRUE(job.ok()) << job.error();
        EXPECT_EQ(job->settings.CanvasWidth, 2000);
        EXPECT_DOUBLE_EQ(job->frame.originY, d.top);
        const Result<MapCentreline> line = ReadMapCentreline(path, o.map);
        ASSERT_TRUE(line.ok()) << line.error();
        const Accuracy a = Measure(*line, d.published);
        EXPECT_LE(a.median, 2);
        EXPECT_LE(a.p95, 4);
        if (o.map.startGiven) {
            const MapLinePoint &p = line->points[0], &q = line->points[5];
            EXPECT_LT(std::hypot(line->frame.X(p.x) - o.map.startX, line->frame.Y(p.y) - o.map.startY), 0.1);
            const double heading = std::atan2(line->frame.Y(q.y) - line->frame.Y(p.y), line->frame.X(q.x) - line->frame.X(p.x));
            EXPECT_GT(std::cos(heading - o.map.startYaw), 0.9);
        }
    }
}

TEST(MapInput, RefusesToWriteOverTheMapsPicture)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QFile::copy(F1tenth("Monza_map.png"), dir.filePath("track.png")));
    QFile yaml(dir.filePath("track.yaml"));
    ASSERT_TRUE(yaml.open(QIODevice::WriteOnly));
    yaml.write(QByteArray::fromStdString(RosMapYaml("track.png", 0.09585, -49.83928924498067, -50.50904922690367)));
    yaml.close();
    const Result<TrackJob> job = ReadTrackInput({}, Settings{}, yaml.fileName());
    ASSERT_TRUE(job.ok()) << job.error();
    OutputChoices choices;
    choices.outputs = {"png"};
    std::vector<std::string> facts, warnings;
    const Status written = ExportTrack(choices, *job, ExportNames(*job, dir.path(), "track", yaml.fileName()),
                                       {RenderAssets{}, QImage(), nullptr}, 1, facts, warnings);
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.error(), "Picture (PNG) would write track.png over the map's picture; choose another output folder");
}

// Our own map of a track read from a map lies on the source's walls.
TEST(MapInput, OurMapLiesOnTheSourceWalls)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QProcess p;
    p.start(VELMORA_EXPORT_PROGRAM, {"--centreline", "--ros-map", "--track-width", "csv", "--out-dir", dir.path(),
                                     F1tenth("Spa_map.yaml")});
    ASSERT_TRUE(p.waitForFinished(kHangGuardMs));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath("Spa_map_centreline.csv")));
    const Result<LoadedMap> source = LoadRosMap(F1tenth("Spa_map.yaml"));
    const Result<LoadedMap> ours = LoadRosMap(dir.filePath("Spa_map_map.yaml"));
    ASSERT_TRUE(source.ok() && ours.ok());
    EXPECT_EQ(ours->image.width, source->image.width);
    EXPECT_EQ(ours->image.height, source->image.height);
    EXPECT_NEAR(ours->info.originX, source->info.originX, 1e-6);
    EXPECT_NEAR(ours->info.originY, source->info.originY, 1e-6);
    CellMask walls(source->image.width, source->image.height);
    for (std::size_t i = 0; i < walls.cells.size(); ++i)
        walls.cells[i] = source->image.values[i] < 128 ? 1 : 0;
    const std::vector<float> fromWall = SquaredDistances(walls);
    std::vector<double> off;
    for (std::size_t i = 0; i < ours->image.values.size(); ++i)
        if (ours->image.values[i] < 128)
            off.push_back(std::sqrt(fromWall[i]));
    ASSERT_FALSE(off.empty());
    EXPECT_LE(Quantile(off, 0.5), 1);
    EXPECT_LE(Quantile(off, 0.95), 2);
}

TEST(MapInput, AFailingMapWritesNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile yaml(dir.filePath("turned.yaml"));
    ASSERT_TRUE(yaml.open(QIODevice::WriteOnly));
    yaml.write("image: " + F1tenth("Monza_map.png").toUtf8() +
               "\nresolution: 0.1\norigin: [0, 0, 0.5]\noccupied_thresh: 0.65\nfree_thresh: 0.2\n");
    yaml.close();
    const QString out = dir.filePath("out");
    QProcess p;
    p.start(VELMORA_EXPORT_PROGRAM, {"--centreline", "--ros-map", "--out-dir", out, yaml.fileName()});
    ASSERT_TRUE(p.waitForFinished(kHangGuardMs));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(p.readAllStandardError().contains("the map is turned (origin yaw 0.5 rad)"));
    EXPECT_TRUE(QDir(out).entryList(QDir::Files).isEmpty());
}

} // namespace
} // namespace velmora
