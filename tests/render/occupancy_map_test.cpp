#include "core/track/path.h"
#include "core/track/simplify.h"
#include "render/image/grey_png_write.h"
#include "render/occupancy_map.h"

#include <QPointF>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace velmora {
namespace {

constexpr int kWall = 0;
constexpr int kFree = 255;

int At(const QImage& map, int x, int y)
{
    return map.constScanLine(y)[x];
}

// The free pixels reachable from the seed, 8-connected, as a simulator's
// ray or a robot on the grid could move.
std::vector<QPoint> FreeRegion(const QImage& map, QPoint seed)
{
    std::vector<char> seen(size_t(map.width()) * size_t(map.height()), 0);
    std::vector<QPoint> region, todo{seed};
    while (!todo.empty()) {
        const QPoint p = todo.back();
        todo.pop_back();
        if (p.x() < 0 || p.y() < 0 || p.x() >= map.width() || p.y() >= map.height())
            continue;
        char& s = seen[size_t(p.y()) * size_t(map.width()) + size_t(p.x())];
        if (s || At(map, p.x(), p.y()) != kFree)
            continue;
        s = 1;
        region.push_back(p);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                todo.push_back(p + QPoint(dx, dy));
    }
    return region;
}

double DistanceToTrack(QPointF p, const std::string& path)
{
    double best = HUGE_VAL;
    const PathMeasure measure(path);
    for (const PathMeasure::Segment& s : measure.Segments())
        best = std::min(best, DistanceToSegment({p.x(), p.y()}, {s.a.x, s.a.y}, {s.b.x, s.b.y}));
    return best;
}

TEST(OccupancyMap, WallsTwoPixelsOutsideTheSurfaceWithRoundCorners)
{
    // Width 20 about y = 100: the surface covers rows 90 to 109, the walls
    // rows 88, 89, 110 and 111, and the flat ends columns 98, 99, 300, 301.
    const QImage open = OccupancyMap("M 100 100 L 300 100 ", 20, 400, 200);
    ASSERT_EQ(open.format(), QImage::Format_Grayscale8);
    ASSERT_EQ(open.size(), QSize(400, 200));
    const struct {
        int x, y, value;
    } probes[] = {{200, 100, kFree}, {200, 90, kFree},  {200, 109, kFree}, {200, 89, kWall},
                  {200, 88, kWall},  {200, 87, kFree},  {200, 110, kWall}, {200, 111, kWall},
                  {200, 112, kFree}, {99, 100, kWall},  {98, 100, kWall},  {97, 100, kFree},
                  {100, 100, kFree}, {301, 100, kWall}, {302, 100, kFree}, {0, 0, kFree}};
    for (const auto& p : probes)
        EXPECT_EQ(At(open, p.x, p.y), p.value) << p.x << ", " << p.y;

    // A closed square: the outside of its corners is an arc about the
    // corner point, 10 to 12 px away, never the square a mitre would make.
    const QImage square = OccupancyMap("M 100 100 L 300 100 L 300 300 L 100 300 Z", 20, 400, 400);
    EXPECT_EQ(At(square, 307, 92), kWall); // 10.6 px from (300, 100)
    EXPECT_EQ(At(square, 309, 90), kFree); // 13.4 px
    EXPECT_EQ(At(square, 92, 307), kWall); // the start is a corner like the others
    EXPECT_EQ(At(square, 90, 309), kFree);
}

TEST(OccupancyMap, WallsStayClosedWhereTightTurnsMeet)
{
    const char* const tracks[] = {
        "M 100 100 L 300 100 L 300 112 L 100 112 ",            // hairpin: the two straights overlap
        "M 100 300 L 300 100 L 140 290 ",                      // a turn of 170 degrees
        "M 100 100 L 300 100 L 100 100.5 Z",                   // there and back
        "M 200 200 L 220 200 L 220 230 L 190 190 L 250 205 Z", // crossing itself
    };
    for (const std::string track : tracks) {
        SCOPED_TRACE(track);
        const QImage map = OccupancyMap(track, 20, 400, 400);
        const PathSample start = PathMeasure(track).At(1);
        const std::vector<QPoint> region = FreeRegion(map, QPoint(int(start.x), int(start.y)));
        ASSERT_GT(region.size(), 100u);
        for (const QPoint p : region)
            ASSERT_LE(DistanceToTrack(QPointF(p) + QPointF(0.5, 0.5), track), 10.75)
                << p.x() << ", " << p.y();
    }
}

TEST(OccupancyMap, RefusesWidthsThatAreNoWidth)
{
    EXPECT_TRUE(OccupancyMap("M 0 0 L 10 0 ", 0, 20, 20).isNull());
    EXPECT_TRUE(OccupancyMap("M 0 0 L 10 0 ", std::nan(""), 20, 20).isNull());
    // A width far beyond the canvas ends quickly and still walls the flat end.
    const QImage huge = OccupancyMap("M 0 0 L 10 0 ", 1e12, 20, 20);
    EXPECT_EQ(At(huge, 5, 19), kFree);
    EXPECT_EQ(At(huge, 10, 19), kWall);
    EXPECT_EQ(At(huge, 12, 19), kFree);
    // Nothing to stroke: all free.
    EXPECT_EQ(At(OccupancyMap("M 5 5 ", 4, 20, 20), 5, 5), kFree);
}

TEST(GreyPng, EightBitGreyThatReadsBack)
{
    const QImage map = OccupancyMap("M 10 30 L 90 30 L 60 50 ", 12, 100, 60);
    const Result<std::string> png = EncodeGreyPng(map);
    ASSERT_TRUE(png);
    ASSERT_GT(png->size(), 26u);
    EXPECT_EQ(png->substr(12, 4), "IHDR");
    EXPECT_EQ((*png)[24], 8); // bit depth
    EXPECT_EQ((*png)[25], 0); // colour type: grey
    const QImage back =
        QImage::fromData(reinterpret_cast<const uchar*>(png->data()), int(png->size()), "PNG");
    ASSERT_EQ(back.format(), QImage::Format_Grayscale8);
    EXPECT_EQ(back, map);
}

} // namespace
} // namespace velmora
