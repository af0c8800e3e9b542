#include "core/formats/pgm_read.h"
#include "core/mapin/map_centreline.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace velmora {
namespace {

struct SlamMap {
    const char* picture; // in slam_cells
    double originX;      // as the map's YAML has it
    double originY;
    double lengthM; // of the track round the inner walls, as seen on the picture
    const char* note;
};

// Each map's free space round its inner walls, as recorded: hangar and
// JFR_racingv5 clean, berlin with thin walls off the outer one, colombia
// round a thin broken wall of pieces; hangar_broken with its inner wall cut
// into pieces and a small walled room beside the track.
const SlamMap kMaps[] = {
    {"hangar", -15.896772766113282, -14.073823547363283, 22.9, ""},
    {"JFR_racingv5", -7.748979949951172, -6.321185302734375, 58.0, "0,0 m is not in free space"},
    {"berlin", -11.60654, -26.520793, 70.8, "0,0 m is not in free space"},
    {"colombia", -5.706540, -2.020793, 35.9, "closed wall gaps up to 0.31 m"},
    {"hangar_broken", -15.896772766113282, -14.073823547363283, 22.9, "closed wall gaps up to 0.31 m"},
};

GreyImage Picture(const std::string& name)
{
    std::ifstream in(std::string(VELMORA_TEST_DATA) + "/slam_cells/" + name + ".pgm", std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    Result<GreyImage> image = ReadPgm(bytes.str(), 1 << 14);
    return image ? std::move(*image) : GreyImage{};
}

// Free by the maps' free threshold of 0.196.
bool Free(const GreyImage& g, double x, double y)
{
    return x >= 0 && y >= 0 && x < g.width && y < g.height && (255 - g.At(int(x), int(y))) / 255.0 < 0.196;
}

// Cells from the point to the face of the first non-free cell, straight
// along (dx, dy), in steps of a tenth of a cell.
double Ray(const GreyImage& g, const MapLinePoint& p, double dx, double dy)
{
    double t = 0;
    while (Free(g, p.x + t * dx, p.y + t * dy) && t < g.width + g.height)
        t += 0.1;
    return t;
}

double Median(std::vector<double> v)
{
    std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
    return v[v.size() / 2];
}

TEST(SlamMaps, GiveTheLoopRoundTheInnerWallsWithTheMapsOwnWidths)
{
    for (const SlamMap& m : kMaps) {
        SCOPED_TRACE(m.picture);
        const GreyImage g = Picture(m.picture);
        ASSERT_GT(g.width, 0);
        RosMapInfo info;
        info.resolution = 0.05000000074505806;
        info.originX = m.originX;
        info.originY = m.originY;
        const Result<MapCentreline> line = ExtractMapCentreline(g, info, {});
        ASSERT_TRUE(line.ok()) << line.error();
        EXPECT_NE(line->note.find(m.note), std::string::npos) << line->note;
        double length = 0;
        std::vector<double> right, left;
        const std::size_t n = line->points.size();
        for (std::size_t i = 0; i < n; ++i) {
            const MapLinePoint &p = line->points[i], &q = line->points[(i + 1) % n];
            const MapLinePoint& before = line->points[(i + n - 1) % n];
            EXPECT_TRUE(Free(g, p.x, p.y)) << "row " << i;
            length += std::hypot(q.x - p.x, q.y - p.y);
            // Across the line: on the canvas (y down) the right of travel
            // is (-dy, dx).
            const double dx = q.x - before.x, dy = q.y - before.y, d = std::hypot(dx, dy);
            right.push_back(std::abs(Ray(g, p, -dy / d, dx / d) - p.right));
            left.push_back(std::abs(Ray(g, p, dy / d, -dx / d) - p.left));
        }
        EXPECT_NEAR(length * info.resolution, m.lengthM, m.lengthM * 0.05);
        EXPECT_LT(Median(right), 2);
        EXPECT_LT(Median(left), 2);
    }
}

} // namespace
} // namespace velmora
