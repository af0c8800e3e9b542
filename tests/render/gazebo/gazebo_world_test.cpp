#include "circuit_data.h"
#include "core/formats/number_text.h"
#include "core/track/path.h"
#include "core/track/track_generator.h"
#include "render/coverage_fill.h"
#include "render/gazebo/gazebo_world.h"
#include "render/gazebo/wall_trace.h"
#include "render/occupancy_map.h"
#include "hang_guard.h"
#include "map_cells.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <numbers>

namespace velmora {
namespace {

const std::string kPng("\x89PNG\r\n\x1a\n-picture-", 17);

struct Track {
    std::string name;
    std::string path;
    double width = 0;
    int canvasW = 0;
    int canvasH = 0;
};

// The three circuits, a generated track and small shapes that stress the
// outline: an open track's flat ends, a hairpin whose edges meet, a track
// that runs off the canvas.
std::vector<Track> Tracks()
{
    std::vector<Track> out;
    for (const char* name : circuits::kNames) {
        const Result<ImportedCentreline> c = circuits::Import(name);
        EXPECT_TRUE(c) << c.error();
        if (c)
            out.push_back({name, c->model.TrackPath, c->trackWidth, 2048, 2048});
    }
    const Settings s;
    const Result<TrackModel> g = GenerateTrack(s, DefaultGeneratorOptions(s), 11, 0);
    EXPECT_TRUE(g) << g.error();
    if (g)
        out.push_back({"generated", g->TrackPath, s.TrackWidth, 2048, 2048});
    out.push_back({"open", "M 100 100 L 700 260 L 650 500 ", 40, 800, 600});
    out.push_back({"hairpin", "M 100 100 L 600 100 L 600 130 L 100 130 ", 40, 800, 300});
    out.push_back({"off canvas", "M 100 150 L 500 150 L 900 300 ", 30, 600, 400});
    return out;
}

GazeboInput Input(const Track& t)
{
    GazeboInput in;
    in.name = t.name;
    in.frame = {0.05, -3, 20};
    in.canvasWidth = t.canvasW;
    in.canvasHeight = t.canvasH;
    in.trackPath = t.path;
    in.trackWidth = t.width;
    in.texturePng = kPng;
    return in;
}

const std::string& File(const GazeboWorld& w, const std::string& path)
{
    for (const ModelFile& f : w.files)
        if (f.path == path)
            return f.bytes;
    static const std::string none;
    ADD_FAILURE() << "no file " << path;
    return none;
}

// The numbers of the float_array with this id.
std::vector<double> FloatArray(const std::string& dae, const std::string& id)
{
    std::vector<double> out;
    const std::size_t at = dae.find("<float_array id=\"" + id + "\"");
    if (at == std::string::npos)
        return out;
    std::size_t i = dae.find('>', at) + 1;
    const std::size_t end = dae.find('<', i);
    while (i < end) {
        const DecimalScan scan = ScanDecimal(std::string_view(dae).substr(i, end - i));
        if (scan.length == 0) {
            ++i;
            continue;
        }
        out.push_back(scan.value);
        i += scan.length;
    }
    return out;
}

TEST(GazeboWorld, WallsLieOnTheOccupancyMapsWalls)
{
    for (const Track& t : Tracks()) {
        SCOPED_TRACE(t.name);
        const GazeboInput in = Input(t);
        const Result<GazeboWorld> world = BuildGazeboWorld(in);
        ASSERT_TRUE(world) << world.error();
        const QImage map = OccupancyMap(t.path, t.width, t.canvasW, t.canvasH);

        // Every corner of the mesh's walls, back on the canvas.
        const std::string& dae =
            File(*world, t.name == "off canvas" ? "off_canvas_gazebo/meshes/off_canvas.dae"
                                                : world->name + "_gazebo/meshes/" + world->name + ".dae");
        const std::vector<double> corners = FloatArray(dae, "walls-positions-array");
        ASSERT_GT(corners.size(), 12u);
        for (std::size_t i = 0; i + 2 < corners.size(); i += 3) {
            const double px = (corners[i] - in.frame.originX) / in.frame.metresPerPixel;
            const double py = (in.frame.originY - corners[i + 1]) / in.frame.metresPerPixel;
            ASSERT_TRUE(NearWall(map, px, py)) << px << ", " << py;
            ASSERT_TRUE(corners[i + 2] == 0 || std::abs(corners[i + 2] - kDefaultWallHeight) < 1e-9);
        }

        // Along the strips, and every wall pixel under a strip's footprint
        // or next to it.
        const std::vector<WallStrip> walls = TraceWalls(map, t.path, t.width);
        QImage footprint(map.size(), QImage::Format_RGB32);
        footprint.fill(Qt::black);
        Contours quads;
        for (const WallStrip& w : walls) {
            const std::size_t n = w.inner.size();
            for (std::size_t i = 0; i < (w.closed ? n : n - 1); ++i) {
                const std::size_t j = (i + 1) % n;
                for (const auto& [a, b] :
                     {std::pair{w.inner[i], w.inner[j]}, std::pair{w.outer[i], w.outer[j]}})
                    for (double s = 0; s <= 1; s += 0.05)
                        ASSERT_TRUE(NearWall(map, a.x + (b.x - a.x) * s, a.y + (b.y - a.y) * s))
                            << a.x << ", " << a.y << " to " << b.x << ", " << b.y;
                std::vector<QPointF> q{
                    QPointF(w.inner[i].x, w.inner[i].y), QPointF(w.inner[j].x, w.inner[j].y),
                    QPointF(w.outer[j].x, w.outer[j].y), QPointF(w.outer[i].x, w.outer[i].y)};
                // All turning one way, so that overlaps add up under the
                // winding rule.
                double area = 0;
                for (std::size_t k = 0; k < 4; ++k)
                    area += q[k].x() * q[(k + 1) % 4].y() - q[(k + 1) % 4].x() * q[k].y();
                if (area < 0)
                    std::reverse(q.begin(), q.end());
                quads.push_back(q);
            }
        }
        FillContours(footprint, quads, QBrush(Qt::white));
        const auto covered = [&](int x, int y) {
            return x >= 0 && y >= 0 && x < map.width() && y < map.height() && qRed(footprint.pixel(x, y)) > 0;
        };
        for (int y = 0; y < map.height(); ++y)
            for (int x = 0; x < map.width(); ++x)
                if (IsWall(map, x, y)) {
                    ASSERT_TRUE(covered(x, y) || covered(x - 1, y) || covered(x + 1, y) ||
                                covered(x, y - 1) || covered(x, y + 1))
                        << "wall pixel " << x << ", " << y << " has no wall in the mesh";
                }
    }
}

TEST(GazeboWorld, StraightStretchesAreOneQuadPerSide)
{
    // One stretch: the ring round it is its two sides and two flat ends.
    const QImage map = OccupancyMap("M 100 100 L 900 283 ", 42, 1000, 400);
    const std::vector<WallStrip> walls = TraceWalls(map, "M 100 100 L 900 283 ", 42);
    ASSERT_EQ(walls.size(), 1u);
    EXPECT_TRUE(walls[0].closed);
    EXPECT_LE(walls[0].inner.size(), 8u);
}

TEST(GazeboWorld, StartsOnTheStartStripFacingAlongTheTrack)
{
    for (const Track& t : Tracks()) {
        SCOPED_TRACE(t.name);
        const GazeboInput in = Input(t);
        const Result<GazeboWorld> world = BuildGazeboWorld(in);
        ASSERT_TRUE(world) << world.error();
        const StartPose p = world->start;
        const PathMeasure measure(t.path);
        // Halfway along the first stretch in the direction of the heading is
        // still its centre line, on the canvas.
        for (const double ahead : {0.0, in.frame.Metres(measure.Segments().front().length) / 2}) {
            const double px = (p.x + ahead * std::cos(p.yaw) - in.frame.originX) / in.frame.metresPerPixel;
            const double py = (in.frame.originY - p.y - ahead * std::sin(p.yaw)) / in.frame.metresPerPixel;
            const PathMeasure::Segment& first = measure.Segments().front();
            EXPECT_LT(DistanceToSegment({px, py}, {first.a.x, first.a.y}, {first.b.x, first.b.y}), 1e-6);
            EXPECT_NEAR(px, first.a.x + (first.b.x - first.a.x) * ahead / in.frame.Metres(first.length),
                        1e-6);
        }
        EXPECT_GT(p.yaw, -std::numbers::pi);
        EXPECT_LE(p.yaw, std::numbers::pi);
        EXPECT_NE(File(*world, world->name + "_gazebo/model.config").find(StartPoseText(p)),
                  std::string::npos);
    }
}

TEST(GazeboWorld, StartPoseTextIsLocaleFreeAndRounded)
{
    const struct {
        StartPose pose;
        const char* text;
    } cases[] = {{{12.346, -40.2, 1.5708}, "start pose x 12.35 y -40.2 yaw 1.571"},
                 {{-0.001, 0, -3.14159}, "start pose x 0 y 0 yaw -3.142"},
                 {{1e6, 2.5, 0}, "start pose x 1000000 y 2.5 yaw 0"}};
    for (const auto& c : cases)
        EXPECT_EQ(StartPoseText(c.pose), c.text);
}

TEST(GazeboWorld, TheModelsLayout)
{
    Track t{"Brands Hatch", "M 100 100 L 300 100 L 300 300 Z", 20, 400, 400};
    GazeboInput in = Input(t);
    const Result<GazeboWorld> world = BuildGazeboWorld(in);
    ASSERT_TRUE(world) << world.error();
    EXPECT_EQ(world->name, "Brands_Hatch");
    std::vector<std::string> paths;
    for (const ModelFile& f : world->files)
        paths.push_back(f.path);
    EXPECT_EQ(paths,
              (std::vector<std::string>{"Brands_Hatch_gazebo/model.config", "Brands_Hatch_gazebo/model.sdf",
                                        "Brands_Hatch_gazebo/meshes/Brands_Hatch.dae",
                                        "Brands_Hatch_gazebo/materials/textures/Brands_Hatch.png",
                                        "Brands_Hatch_world.sdf"}));
    EXPECT_EQ(File(*world, "Brands_Hatch_gazebo/materials/textures/Brands_Hatch.png"), kPng);
    EXPECT_NE(File(*world, "Brands_Hatch_world.sdf").find("<uri>model://Brands_Hatch_gazebo</uri>"),
              std::string::npos);
    EXPECT_NE(File(*world, "Brands_Hatch_gazebo/model.sdf")
                  .find("<uri>model://Brands_Hatch_gazebo/meshes/Brands_Hatch.dae</uri>"),
              std::string::npos);

    // The picture's top row lies along the canvas's top edge, where the
    // world's y is largest: texture v = 1 there.
    const std::string& dae = File(*world, "Brands_Hatch_gazebo/meshes/Brands_Hatch.dae");
    EXPECT_NE(dae.find("<init_from>../materials/textures/Brands_Hatch.png</init_from>"), std::string::npos);
    const std::vector<double> xyz = FloatArray(dae, "ground-positions-array");
    const std::vector<double> uv = FloatArray(dae, "ground-uvs-array");
    ASSERT_EQ(xyz.size(), 12u);
    ASSERT_EQ(uv.size(), 8u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(uv[2 * i], xyz[3 * i] == in.frame.X(0) ? 0 : 1);
        EXPECT_EQ(uv[2 * i + 1], xyz[3 * i + 1] == in.frame.Y(0) ? 1 : 0);
    }
}

TEST(GazeboWorld, RefusesInputThatMakesNoWorld)
{
    const struct {
        std::string path;
        double width;
        double wallHeight;
        std::string png;
        const char* says;
    } cases[] = {
        {"M 10 10 L 90 10 ", 0, 0.3, kPng, "no surface"},
        {"M 10 10 L 90 10 ", std::nan(""), 0.3, kPng, "no surface"},
        {"", 20, 0.3, kPng, "no surface"},
        {"M 10 10 ", 20, 0.3, kPng, "no surface"},
        {"M 10 10 L 10 10 Z", 20, 0.3, kPng, "no surface"},
        {"M 10 10 L 90 10 ", 20, 0, kPng, "wall height"},
        {"M 10 10 L 90 10 ", 20, HUGE_VAL, kPng, "wall height"},
        {"M 10 10 L 90 10 ", 20, 0.3, "GIF89a", "not a PNG"},
    };
    for (const auto& c : cases) {
        GazeboInput in = Input({"t", c.path, c.width, 100, 100});
        in.wallHeight = c.wallHeight;
        in.texturePng = c.png;
        const Result<GazeboWorld> world = BuildGazeboWorld(in);
        ASSERT_FALSE(world) << c.path;
        EXPECT_EQ(world.error().rfind("could not make the Gazebo world: ", 0), 0u) << world.error();
        EXPECT_NE(world.error().find(c.says), std::string::npos) << world.error();
    }
}

// The files as the export writes them, for the simulators' own tools.
void WriteAll(const GazeboWorld& world, const QString& dir)
{
    for (const ModelFile& f : world.files) {
        const QString path = dir + "/" + QString::fromStdString(f.path);
        QDir().mkpath(QFileInfo(path).path());
        std::ofstream(path.toStdString(), std::ios::binary) << f.bytes;
    }
}

QString RunTool(const QString& program, const QStringList& args, const QString& resourcePath, int& code)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* var :
         {"SDF_PATH", "GZ_SIM_RESOURCE_PATH", "IGN_GAZEBO_RESOURCE_PATH", "GAZEBO_MODEL_PATH"})
        env.insert(var, resourcePath);
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    p.waitForFinished(kHangGuardMs);
    code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAll());
}

TEST(GazeboWorld, SimulatorToolsReadTheFiles)
{
    const Result<ImportedCentreline> brands = circuits::Import("BrandsHatch");
    ASSERT_TRUE(brands) << brands.error();
    const Result<GazeboWorld> world =
        BuildGazeboWorld(Input({"BrandsHatch", brands->model.TrackPath, brands->trackWidth, 2048, 2048}));
    ASSERT_TRUE(world) << world.error();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteAll(*world, dir.path());
    int code = 0;
    // ign without libsdformat's command files knows no "sdf".
    QString ign = QStandardPaths::findExecutable("ign");
    if (!ign.isEmpty() && (RunTool(ign, {"sdf", "--help"}, dir.path(), code), code != 0))
        ign.clear();
    const QString assimp = QStandardPaths::findExecutable("assimp");
    if (!ign.isEmpty()) {
        for (const QString file : {"BrandsHatch_gazebo/model.sdf", "BrandsHatch_world.sdf"}) {
            const QString out = RunTool(ign, {"sdf", "-k", dir.filePath(file)}, dir.path(), code);
            EXPECT_EQ(code, 0) << file.toStdString() << ": " << out.toStdString();
            EXPECT_TRUE(out.contains("Valid")) << out.toStdString();
        }
    }
    if (!assimp.isEmpty()) {
        const QString out = RunTool(
            assimp, {"info", dir.filePath("BrandsHatch_gazebo/meshes/BrandsHatch.dae")}, dir.path(), code);
        EXPECT_EQ(code, 0) << out.toStdString();
        EXPECT_TRUE(out.contains("walls-mesh") && out.contains("ground-mesh")) << out.toStdString();
    }
    if (ign.isEmpty() || assimp.isEmpty())
        GTEST_SKIP() << "not checked by"
                     << (ign.isEmpty() ? " ign sdf (ignition-tools, libsdformat-dev)" : "")
                     << (assimp.isEmpty() ? " assimp (assimp-utils)" : "") << ": not installed";
}

} // namespace
} // namespace velmora
