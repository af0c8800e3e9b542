#include "core/formats/number_text.h"
#include "core/track/track_samples.h"
#include "core/track/world_frame.h"
#include "core/track/world_rows.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <string>

namespace velmora {
namespace {

constexpr double kPi = std::numbers::pi;

// A regular polygon of `sides` corners round (cx, cy) on the canvas, run
// clockwise on the screen when `clockwise`.
std::string Polygon(int sides, double radius, bool clockwise, double cx = 1000, double cy = 1000)
{
    std::string path;
    for (int i = 0; i < sides; ++i) {
        const double a = (clockwise ? 1 : -1) * 2 * kPi * i / sides;
        path += (i == 0 ? "M " : "L ") + FormatTrimmed(cx + radius * std::cos(a), 4) + ' ' +
                FormatTrimmed(cy + radius * std::sin(a), 4) + ' ';
    }
    return path + 'Z';
}

TEST(SampleTrack, RowsAtMultiplesOfTheSpacingAndTheEndOfAnOpenTrack)
{
    const struct {
        const char* path;
        double spacing;
        std::vector<double> s;
    } cases[] = {
        {"M 0 0 L 10 0 ", 4, {0, 4, 8, 10}},
        {"M 0 0 L 8 0 ", 4, {0, 4, 8}},                         // the end on a multiple, once
        {"M 0 0 L 10 0 L 10 10 L 0 10 Z", 10, {0, 10, 20, 30}}, // a loop does not repeat its start
        {"M 0 0 L 3 0 L 3 4 Z", 100, {0}},
        {"M 0 0 L 0.3 0 ", 0.1, {0, 0.1, 0.2, 0.30000000000000004, 0.3}},
    };
    for (const auto& c : cases) {
        const Result<TrackSamples> t = SampleTrack(c.path, c.spacing, 10);
        ASSERT_TRUE(t.ok()) << c.path << ": " << t.error();
        ASSERT_EQ(t->rows.size(), c.s.size()) << c.path;
        for (std::size_t i = 0; i < c.s.size(); ++i)
            EXPECT_NEAR(t->rows[i].s, c.s[i], 1e-6) << c.path << " row " << i;
        EXPECT_EQ(t->halfWidth, 5);
    }
    // Far along the track a row still lies on its multiple: no running sum.
    const Result<TrackSamples> long_ = SampleTrack("M 0 0 L 10000 0 ", 0.1, 1);
    ASSERT_TRUE(long_.ok());
    EXPECT_EQ(long_->rows[77777].s, 77777 * 0.1);
}

TEST(SampleTrack, RefusesWhatCannotBeSampled)
{
    const struct {
        const char* path;
        double spacing, width;
        const char* error;
    } cases[] = {
        {"M 0 0 L 100 0 ", 0, 10, "the spacing must be a number greater than 0"},
        {"M 0 0 L 100 0 ", -1, 10, "the spacing must be a number greater than 0"},
        {"M 0 0 L 100 0 ", NAN, 10, "the spacing must be a number greater than 0"},
        {"M 0 0 L 100 0 ", HUGE_VAL, 10, "the spacing must be a number greater than 0"},
        {"M 0 0 L 100 0 ", 1, -2, "the track width must be a number of at least 0"},
        {"M 0 0 L 100 0 ", 1, NAN, "the track width must be a number of at least 0"},
        {"M 10 10 ", 1, 10, "the track has no stretch to sample"},
        {"", 1, 10, "the track has no stretch to sample"},
        {"M 0 0 L 1000 0 ", 1e-4, 10, "at this spacing the track would need more than 10000000 rows"},
        {"M 0 0 L 1e30 0 ", 1, 10, "at this spacing the track would need more than 10000000 rows"},
    };
    for (const auto& c : cases) {
        const Result<TrackSamples> t = SampleTrack(c.path, c.spacing, c.width);
        EXPECT_FALSE(t.ok()) << c.path << " " << c.spacing;
        EXPECT_EQ(t.error(), c.error) << c.path << " " << c.spacing;
    }
    EXPECT_TRUE(SampleTrack("M 0 0 L 1000 0 ", 1e-2, 0).ok());
}

// A circle of radius 100 px at 0.5 m per pixel is 50 m round: heading along
// the tangent, curvature 1/50 per metre, positive where the loop turns left
// in the world, edges at half the width either side.
TEST(SampleTrack, CircleInTheWorldFrame)
{
    const WorldFrame frame{0.5, -100, 700};
    for (const bool clockwise : {false, true}) {
        SCOPED_TRACE(clockwise ? "clockwise on the screen" : "counter-clockwise on the screen");
        const Result<TrackSamples> t = SampleTrack(Polygon(720, 100, clockwise), 2, 20);
        ASSERT_TRUE(t.ok()) << t.error();
        EXPECT_TRUE(t->closed);
        EXPECT_NEAR(static_cast<double>(t->rows.size()), 2 * kPi * 100 / 2, 1);
        // Clockwise on the screen is clockwise in the world too: a right turn.
        const double sign = clockwise ? -1 : 1;
        const Result<std::vector<WorldRow>> rows = WorldRows(*t, frame);
        ASSERT_TRUE(rows.ok()) << rows.error();
        for (std::size_t i = 0; i < rows->size(); ++i) {
            const WorldRow& w = (*rows)[i];
            const double cx = frame.X(1000), cy = frame.Y(1000);
            const double angle = std::atan2(w.y - cy, w.x - cx);
            const double tangent = angle + sign * kPi / 2;
            // Within what the polygon's own facets allow, at the seam too.
            EXPECT_NEAR(std::remainder(w.psi - tangent, 2 * kPi), 0, 5e-3) << i;
            EXPECT_LE(std::abs(w.psi), kPi);
            EXPECT_NEAR(w.kappa, sign / 50, 2e-3) << i;
            EXPECT_NEAR(std::hypot(w.x - cx, w.y - cy), 50, 1e-3);
            // The left edge lies inside a left-hand loop, outside a right-hand one.
            EXPECT_NEAR(std::hypot(w.xLeft - cx, w.yLeft - cy), 50 - sign * 5, 1e-3) << i;
            EXPECT_NEAR(std::hypot(w.xRight - cx, w.yRight - cy), 50 + sign * 5, 1e-3) << i;
            EXPECT_EQ(w.halfWidth, 5);
            EXPECT_NEAR(w.widthLeft, 5, 1e-3) << i;
            EXPECT_NEAR(w.widthRight, 5, 1e-3) << i;
        }
    }
}

TEST(SampleTrack, StraightsHaveNoFalseBendAndOneRowTakesThePathsDirection)
{
    // Heading up the screen is +y in the world; left of it is -x.
    const WorldFrame frame{1, 0, 0};
    const Result<TrackSamples> t = SampleTrack("M 50 100 L 50 0 ", 3, 4);
    ASSERT_TRUE(t.ok());
    const Result<std::vector<WorldRow>> rows = WorldRows(*t, frame);
    ASSERT_TRUE(rows.ok());
    for (const WorldRow& w : *rows) {
        EXPECT_NEAR(w.psi, kPi / 2, 1e-12);
        EXPECT_EQ(w.kappa, 0);
        EXPECT_NEAR(w.xLeft, 48, 1e-12);
    }
    const Result<TrackSamples> one = SampleTrack("M 0 0 L 0 3 L 4 3 Z", 100, 4);
    ASSERT_EQ(one->rows.size(), 1u);
    EXPECT_NEAR((*WorldRows(*one, frame))[0].psi, -kPi / 2, 1e-12);
}

TEST(WorldFrame, DefaultSpacingAndPrintedOrigin)
{
    EXPECT_EQ(DefaultSpacing(0.05), 4); // 4 px = 0.2 m
    EXPECT_EQ(DefaultSpacing(1.18), 1 / 1.18);
    EXPECT_EQ(DefaultSpacing(0), 4);
    EXPECT_EQ(OriginText({1.18, -412.5, 1790}), "-412.5,1790.0");
    EXPECT_EQ(OriginText({1, 0, -0.0}), "0.0,0.0");
    EXPECT_EQ(OriginText({1, 0.1 + 0.2, 1e-5}), "0.30000000000000004,0.00001");
    EXPECT_FALSE(CheckFrame({0, 0, 0}).ok());
    EXPECT_FALSE(CheckFrame({1, NAN, 0}).ok());
    EXPECT_TRUE(CheckFrame({1e-9, -1e9, 1e9}).ok());
    EXPECT_EQ(CheckFrame({1, 1e300, 0}).error(), "the origin must lie within 1000000000 m of 0, not 1e+300,0.0");
    EXPECT_EQ(CheckFrame({1e-12, 0, 0}).error(),
              "the scale must be from 0.000000001 to 1000000000 m per pixel, not 1e-12");
}

} // namespace
} // namespace velmora
