#include "circuit_data.h"
#include "core/formats/number_text.h"
#include "core/track/track_generator.h"
#include "render/gazebo/gazebo_world.h"
#include "render/occupancy_map.h"
#include "map_cells.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>
#include <string_view>

namespace velmora {
namespace {

// One <collision> of model.sdf: its pose (x y z roll pitch yaw) and box size.
struct Box {
    std::string name;
    double pose[6] = {};
    double size[3] = {};
};

std::vector<double> Numbers(std::string_view text)
{
    std::vector<double> out;
    while (!text.empty()) {
        const DecimalScan scan = ScanDecimal(text);
        if (scan.length == 0) {
            text.remove_prefix(1);
            continue;
        }
        out.push_back(scan.value);
        text.remove_prefix(scan.length);
    }
    return out;
}

std::string_view Between(std::string_view text, std::string_view open, std::string_view close)
{
    const std::size_t a = text.find(open);
    if (a == std::string_view::npos)
        return {};
    const std::size_t b = text.find(close, a + open.size());
    return b == std::string_view::npos ? std::string_view{}
                                       : text.substr(a + open.size(), b - a - open.size());
}

std::vector<Box> Collisions(const std::string& sdf)
{
    std::vector<Box> out;
    for (std::size_t at = sdf.find("<collision name=\""); at != std::string::npos;
         at = sdf.find("<collision name=\"", at + 1)) {
        const std::string_view c =
            Between(std::string_view(sdf).substr(at), "<collision name=\"", "</collision>");
        Box b;
        b.name = std::string(c.substr(0, c.find('"')));
        const std::vector<double> pose = Numbers(Between(c, "<pose>", "</pose>"));
        const std::vector<double> size = Numbers(Between(Between(c, "<box>", "</box>"), "<size>", "</size>"));
        EXPECT_EQ(pose.size(), 6u) << b.name;
        EXPECT_EQ(size.size(), 3u) << b.name << ": every collision is a box";
        std::copy_n(pose.begin(), std::min<std::size_t>(pose.size(), 6), b.pose);
        std::copy_n(size.begin(), std::min<std::size_t>(size.size(), 3), b.size);
        out.push_back(b);
    }
    return out;
}

struct Track {
    std::string name;
    std::string path;
    double width = 0;
    int canvasW = 2048;
    int canvasH = 2048;
};

// The ground covers the whole plate with its top at z = 0, and every wall
// box, all over its footprint, stands on the occupancy map's walls: the
// boxes are what a car hits, so they must be where the map says.
TEST(GazeboCollisions, GroundCoversThePlateAndBoxesStandOnTheMapsWalls)
{
    std::vector<Track> tracks;
    for (const char* name : circuits::kNames) {
        const Result<ImportedCentreline> c = circuits::Import(name);
        ASSERT_TRUE(c) << c.error();
        tracks.push_back({name, c->model.TrackPath, c->trackWidth});
    }
    const Settings s;
    const Result<TrackModel> generated = GenerateTrack(s, DefaultGeneratorOptions(s), 1, 1);
    ASSERT_TRUE(generated) << generated.error();
    tracks.push_back({"generated", generated->TrackPath, 42});
    tracks.push_back({"open", "M 100 100 L 700 260 L 650 500 ", 40, 800, 600});
    tracks.push_back({"hairpin", "M 100 100 L 600 100 L 600 130 L 100 130 ", 40, 800, 300});
    for (const Track& t : tracks) {
        SCOPED_TRACE(t.name);
        GazeboInput in;
        in.name = "track";
        // A large plate: 2048 px at 1.25 m is 2,560 m, beyond a plane
        // made into a 2,100 m box.
        in.frame = {1.25, -300, 900};
        in.canvasWidth = t.canvasW;
        in.canvasHeight = t.canvasH;
        in.trackPath = t.path;
        in.trackWidth = t.width;
        in.texturePng = std::string("\x89PNG\r\n\x1a\n", 8);
        const Result<GazeboWorld> world = BuildGazeboWorld(in);
        ASSERT_TRUE(world) << world.error();
        std::string sdf;
        for (const ModelFile& f : world->files)
            if (f.path.ends_with("/model.sdf"))
                sdf = f.bytes;
        const std::vector<Box> boxes = Collisions(sdf);
        ASSERT_GT(boxes.size(), 4u);
        const WorldFrame& f = in.frame;

        const Box& ground = boxes.front();
        ASSERT_EQ(ground.name, "ground");
        EXPECT_NEAR(ground.pose[2] + ground.size[2] / 2, 0, 1e-4) << "the top at z = 0";
        EXPECT_GT(ground.size[2], 0);
        const double plate[2][2] = {{f.X(0), f.X(t.canvasW)}, {f.Y(t.canvasH), f.Y(0)}};
        for (int axis = 0; axis < 2; ++axis) {
            EXPECT_LE(ground.pose[axis] - ground.size[axis] / 2, plate[axis][0] + 1e-4);
            EXPECT_GE(ground.pose[axis] + ground.size[axis] / 2, plate[axis][1] - 1e-4);
        }

        const QImage map = OccupancyMap(t.path, t.width, t.canvasW, t.canvasH);
        for (std::size_t k = 1; k < boxes.size(); ++k) {
            const Box& b = boxes[k];
            const double c = std::cos(b.pose[5]), sn = std::sin(b.pose[5]);
            // Corners, and points across and along the footprint.
            for (double u = -0.5; u <= 0.5; u += 0.125)
                for (double v = -0.5; v <= 0.5; v += 0.5) {
                    const double x = b.pose[0] + c * u * b.size[0] - sn * v * b.size[1];
                    const double y = b.pose[1] + sn * u * b.size[0] + c * v * b.size[1];
                    ASSERT_TRUE(
                        NearWall(map, (x - f.originX) / f.metresPerPixel, (f.originY - y) / f.metresPerPixel))
                        << b.name << " at " << x << ", " << y;
                }
        }
    }
}

} // namespace
} // namespace velmora
