#include "core/mapin/map_centreline.h"
#include "core/mapin/map_import.h"
#include "core/track/path.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <numbers>

namespace velmora {
namespace {

// A round track on a 200 x 200 map like the F1TENTH ones: walls two cells
// thick round the ring of cells whose centres lie 40 to 70 cells from the
// middle, free inside and out. The map frame's origin is on the ring, on the
// right of the middle.
constexpr double kMiddle = 100, kInner = 40, kOuter = 70, kWall = 2;
constexpr double kRes = 0.05;
constexpr std::uint8_t kFree = 254, kWallGrey = 0, kUnknown = 205;

double Radius(int x, int y)
{
    return std::hypot(x + 0.5 - kMiddle, y + 0.5 - kMiddle);
}

GreyImage RoundTrack()
{
    GreyImage g{200, 200, std::vector<std::uint8_t>(200 * 200, kFree)};
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            const double r = Radius(x, y);
            if ((r >= kInner - kWall && r < kInner) || (r >= kOuter && r < kOuter + kWall))
                g.values[std::size_t(y * 200 + x)] = kWallGrey;
        }
    return g;
}

RosMapInfo Info()
{
    RosMapInfo info;
    info.image = "round.pgm";
    info.resolution = kRes;
    // Pixel (155, 100), on the ring's middle line, is the world's 0,0.
    info.originX = -155 * kRes;
    info.originY = -100 * kRes;
    info.occupiedThresh = 0.65;
    info.freeThresh = 0.196;
    return info;
}

void Set(GreyImage& g, int x, int y, std::uint8_t v)
{
    g.values[std::size_t(y * g.width + x)] = v;
}

// Cuts `count` gaps `cells` wide into the inner wall, evenly round it.
void BreakInnerWall(GreyImage& g, int count, int cells)
{
    for (int k = 0; k < count; ++k) {
        const double a = (k + 0.5) * 2 * std::numbers::pi / count;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x) {
                const double along = -(x + 0.5 - kMiddle) * std::sin(a) + (y + 0.5 - kMiddle) * std::cos(a);
                const double out = (x + 0.5 - kMiddle) * std::cos(a) + (y + 0.5 - kMiddle) * std::sin(a);
                if (std::abs(along) < cells / 2.0 && out > 0 && Radius(x, y) < kInner + 1)
                    Set(g, x, y, kFree);
            }
    }
}

// A walled room in the map's corner round a pillar: a loop of free space
// 3.6 m long, off the track.
void Room(GreyImage& g)
{
    for (int y = 5; y < 35; ++y)
        for (int x = 5; x < 35; ++x) {
            const bool wall = x < 7 || y < 7 || x >= 33 || y >= 33 || (x >= 14 && x < 26 && y >= 14 && y < 26);
            Set(g, x, y, wall ? kWallGrey : kFree);
        }
}

// Where the ring meets the horizontal through the middle on the right.
constexpr int kRightX = int(kMiddle + kInner);

struct Case {
    const char* name;
    std::function<void(GreyImage&, RosMapInfo&, MapTrackOptions&)> change;
    const char* failure; // nullptr: imports, running the way `counterClockwise` says
    bool counterClockwise = true;
    const char* note = ""; // in the note of a track that imports
};

const Case kCases[] = {
    {"clean", [](GreyImage&, RosMapInfo&, MapTrackOptions&) {}, nullptr},
    {"reversed", [](GreyImage&, RosMapInfo&, MapTrackOptions& o) { o.reverse = true; }, nullptr, false},
    {"yaw down", [](GreyImage&, RosMapInfo&, MapTrackOptions& o) {
         o.startGiven = o.yawGiven = true;
         o.startYaw = -std::numbers::pi / 2;
     }, nullptr, false},
    {"yaw down reversed", [](GreyImage&, RosMapInfo&, MapTrackOptions& o) {
         o.startGiven = o.yawGiven = o.reverse = true;
         o.startYaw = -std::numbers::pi / 2;
     }, nullptr, true},
    {"specks", [](GreyImage& g, RosMapInfo&, MapTrackOptions&) {
         for (int k = 0; k < 40; ++k) {
             const double a = k * 0.157;
             const int x = int(kMiddle + 55 * std::cos(a) + (k % 5) * 2 - 4), y = int(kMiddle + 55 * std::sin(a));
             Set(g, x, y, kWallGrey);
             if (k % 2)
                 Set(g, x + 1, y + 1, kUnknown);
         }
     }, nullptr},
    {"blob", [](GreyImage& g, RosMapInfo&, MapTrackOptions&) {
         for (int y = 0; y < 6; ++y)
             for (int x = 0; x < 6; ++x)
                 Set(g, 100 + x, 40 + y, kWallGrey);
     }, "an obstacle 0.30 m across at -2.60,2.85 m stands in the track"},
    {"blob ignored", [](GreyImage& g, RosMapInfo&, MapTrackOptions& o) {
         for (int y = 0; y < 6; ++y)
             for (int x = 0; x < 6; ++x)
                 Set(g, 100 + x, 40 + y, kWallGrey);
         o.minObstacle = 0.35;
     }, nullptr},
    {"gap", [](GreyImage& g, RosMapInfo&, MapTrackOptions&) {
         for (int y = 96; y < 104; ++y)
             for (int x = 165; x < 175; ++x)
                 Set(g, x, y, kFree);
     }, "the free space around 0.00,0.00 m leaks to the map's edge; its narrowest way out is 0.35 m wide at 0.83,0.02 m (a gap in a wall?): "
        "closing wall gaps up to 0.35 m closes it"},
    {"gap closed", [](GreyImage& g, RosMapInfo&, MapTrackOptions& o) {
         for (int y = 96; y < 104; ++y)
             for (int x = 165; x < 175; ++x)
                 Set(g, x, y, kFree);
         o.closeGaps = 0.35; // as the failure says
     }, nullptr},
    {"gap narrower than the car", [](GreyImage& g, RosMapInfo&, MapTrackOptions&) {
         for (int y = 99; y < 102; ++y)
             for (int x = 165; x < 175; ++x)
                 Set(g, x, y, kFree);
     }, nullptr},
    {"inner wall broken, a room off the track", [](GreyImage& g, RosMapInfo&, MapTrackOptions&) {
         BreakInnerWall(g, 6, 4);
         Room(g);
     }, nullptr, true, "closed wall gaps up to 0.31 m (narrower than the car) to make one loop"},
    {"inner wall broken wider than the car, a room off the track", [](GreyImage& g, RosMapInfo&, MapTrackOptions&) {
         BreakInnerWall(g, 6, 12);
         Room(g);
     }, "goes round more than one wall"},
    {"a room, the origin in it, the inner wall broken wider than the car", [](GreyImage& g, RosMapInfo& info, MapTrackOptions&) {
         BreakInnerWall(g, 6, 12);
         Room(g);
         info.originX = -9.5 * kRes;
         info.originY = -(200 - 9.5) * kRes;
     }, "the only loop found, round 0.52,-0.53 m, is far smaller than the free area at 4.53,-4.53 m, so it is not "
        "taken without a start: if it is the track, give the start 0.00,0.00 m"},
    {"a room, the origin in it", [](GreyImage& g, RosMapInfo& info, MapTrackOptions&) {
         Room(g);
         info.originX = -9.5 * kRes;
         info.originY = -(200 - 9.5) * kRes;
     }, nullptr},
    {"unknown outside", [](GreyImage& g, RosMapInfo&, MapTrackOptions&) {
         for (int y = 0; y < 200; ++y)
             for (int x = 0; x < 200; ++x)
                 if (Radius(x, y) >= kOuter + kWall || Radius(x, y) < kInner - kWall)
                     Set(g, x, y, kUnknown);
     }, nullptr},
    {"negated", [](GreyImage& g, RosMapInfo& info, MapTrackOptions&) {
         for (auto& v : g.values)
             v = std::uint8_t(255 - v);
         info.negate = true;
     }, nullptr},
    {"start off the origin", [](GreyImage&, RosMapInfo&, MapTrackOptions& o) {
         o.startGiven = true;
         o.startX = -5.5; // the left of the ring
         o.startY = 0.3;
     }, nullptr, true},
    {"origin in the infield", [](GreyImage&, RosMapInfo& info, MapTrackOptions&) { info.originX = -100 * kRes; },
     nullptr},
    {"start on a wall", [](GreyImage&, RosMapInfo&, MapTrackOptions& o) {
         o.startGiven = true;
         o.startX = -6.28;
         o.startY = 0;
     }, "the start -6.28,0.00 m is not in free space"},
    {"start in the open", [](GreyImage&, RosMapInfo&, MapTrackOptions& o) {
         o.startGiven = true;
         o.startX = -7.7;
     }, "the free space around -7.70,0.00 m runs out to the map's edge: is the start on the track?"},
    {"start outside the map", [](GreyImage&, RosMapInfo&, MapTrackOptions& o) {
         o.startGiven = true;
         o.startX = 100;
     }, "the start 100.00,0.00 m lies outside the map"},
    {"start further off than a whole number of cells holds", [](GreyImage&, RosMapInfo&, MapTrackOptions& o) {
         o.startGiven = true;
         o.startX = -1e9;
     }, "the start -1000000000.00,0.00 m lies outside the map"},
    {"specks wider than the map at a fine resolution", [](GreyImage&, RosMapInfo& info, MapTrackOptions& o) {
         info.resolution = 1e-300;
         o.minObstacle = 1000;
     }, "no free area of the map closes into a loop round a wall"},
    {"start in the infield", [](GreyImage&, RosMapInfo&, MapTrackOptions& o) { o.startGiven = true; o.startX = -2.75; },
     "the free space around -2.75,0.00 m does not close into a loop"},
    {"origin on a wall", [](GreyImage&, RosMapInfo& info, MapTrackOptions&) { info.originX = -170.5 * kRes; },
     nullptr},
    {"more memory than allowed", [](GreyImage&, RosMapInfo&, MapTrackOptions& o) { o.memoryBudget = 2e5; },
     "is 144 x 144 cells, more than can be traced in 0.2 MB of memory: scale the map's picture down 2 times (to 0.1 m a cell)"},
    {"turned", [](GreyImage&, RosMapInfo& info, MapTrackOptions&) { info.originYaw = 0.5; },
     "the map is turned (origin yaw 0.5 rad)"},
};

TEST(MapCentreline, FindsTheRingOrSaysWhyNot)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        GreyImage g = RoundTrack();
        RosMapInfo info = Info();
        MapTrackOptions o;
        c.change(g, info, o);
        const Result<MapCentreline> line = ExtractMapCentreline(g, info, o);
        if (c.failure) {
            ASSERT_FALSE(line.ok());
            EXPECT_NE(line.error().find(c.failure), std::string::npos) << line.error();
            continue;
        }
        ASSERT_TRUE(line.ok()) << line.error();
        EXPECT_NE(line->note.find(c.note), std::string::npos) << line->note;
        ASSERT_GT(line->points.size(), 300u);
        // On the circle half way between the walls' faces, finer than a
        // cell, and each wall 15 cells away.
        double worst = 0, worstWidth = 0;
        for (const MapLinePoint& p : line->points) {
            worst = std::max(worst, std::abs(std::hypot(p.x - kMiddle, p.y - kMiddle) - 55));
            worstWidth = std::max({worstWidth, std::abs(p.left - 15), std::abs(p.right - 15)});
        }
        EXPECT_LT(worst, 0.5);
        EXPECT_LT(worstWidth, 0.75);
        // Counter-clockwise in the world is clockwise on the canvas.
        const MapLinePoint &a = line->points[0], &b = line->points[10];
        const double turn = (a.x - kMiddle) * (b.y - kMiddle) - (a.y - kMiddle) * (b.x - kMiddle);
        EXPECT_EQ(turn < 0, c.counterClockwise);
    }
}

TEST(MapCentreline, StartsNearestTheStart)
{
    const Result<MapCentreline> line = ExtractMapCentreline(RoundTrack(), Info(), {});
    ASSERT_TRUE(line.ok()) << line.error();
    EXPECT_NEAR(line->points[0].x, 155, 1);
    EXPECT_NEAR(line->points[0].y, 100, 1);
    EXPECT_TRUE(line->note.empty());
    RosMapInfo inField = Info();
    inField.originX = -100 * kRes;
    const Result<MapCentreline> largest = ExtractMapCentreline(RoundTrack(), inField, {});
    ASSERT_TRUE(largest.ok()) << largest.error();
    EXPECT_EQ(largest->note.rfind("0,0 m is not on a free loop: took the largest free loop, starting at ", 0), 0u)
        << largest->note;
}

// The free area a track goes round can be far larger than the track: the
// infield is no rival to the loop round it.
TEST(MapCentreline, TakesANarrowTrackRoundAWideInfield)
{
    GreyImage g = RoundTrack();
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            const double r = Radius(x, y);
            if (r < kOuter - 6)
                Set(g, x, y, r >= kOuter - 8 ? kWallGrey : kFree);
        }
    RosMapInfo info = Info();
    info.originX = -(kMiddle + kOuter - 3) * kRes;
    const Result<MapCentreline> line = ExtractMapCentreline(g, info, {});
    ASSERT_TRUE(line.ok()) << line.error();
    EXPECT_TRUE(line->note.empty()) << line->note;
    for (const MapLinePoint& p : line->points)
        ASSERT_NEAR(std::hypot(p.x - kMiddle, p.y - kMiddle), kOuter - 3, 0.5);
}

TEST(MapImport, PutsTheTrackOnTheMapsGridAndFrame)
{
    const Result<MapCentreline> line = ExtractMapCentreline(RoundTrack(), Info(), {});
    ASSERT_TRUE(line.ok()) << line.error();
    CentrelineImportOptions o;
    o.trackWidthFromFile = true;
    const Result<ImportedCentreline> imported = ImportMapCentreline(*line, o);
    ASSERT_TRUE(imported.ok()) << imported.error();
    EXPECT_EQ(imported->frame.metresPerPixel, kRes);
    EXPECT_DOUBLE_EQ(imported->frame.originX, -155 * kRes);
    EXPECT_DOUBLE_EQ(imported->frame.originY, 100 * kRes);
    EXPECT_NEAR(imported->trackWidth, 30, 1);
    // Every corner of the track lies on the line, in map cells.
    const std::vector<PathFigure> figures = ParsePathText(imported->model.TrackPath);
    ASSERT_EQ(figures.size(), 1u);
    EXPECT_TRUE(figures[0].closed);
    for (const PathPoint& p : figures[0].points)
        EXPECT_NEAR(std::hypot(p.x - kMiddle, p.y - kMiddle), 55, 0.5);
    EXPECT_NEAR(figures[0].points[0].x, line->points[0].x, 0.01);
    EXPECT_NEAR(figures[0].points[0].y, line->points[0].y, 0.01);
    EXPECT_NEAR(imported->sourceLine[0].x, line->points[0].x, 1e-9);
}

} // namespace
} // namespace velmora
