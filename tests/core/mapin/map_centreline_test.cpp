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

// Where the ring meets the horizontal through the middle on the right.
constexpr int kRightX = int(kMiddle + kInner);

struct Case {
    const char* name;
    std::function<void(GreyImage&, RosMapInfo&, MapTrackOptions&)> change;
    const char* failure; // nullptr: imports, running the way `counterClockwise` says
    bool counterClockwise = true;
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
         for (int y = 99; y < 102; ++y)
             for (int x = 165; x < 175; ++x)
                 Set(g, x, y, kFree);
     }, "the free space around 0.00,0.00 m leaks to the map's edge; its narrowest way out is 0.15 m wide at 0.83,-0.03 m (a gap in a wall?): "
        "--close-gaps 0.15 closes it"},
    {"gap closed", [](GreyImage& g, RosMapInfo&, MapTrackOptions& o) {
         for (int y = 99; y < 102; ++y)
             for (int x = 165; x < 175; ++x)
                 Set(g, x, y, kFree);
         o.closeGaps = 0.15;
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
