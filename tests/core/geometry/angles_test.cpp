#include "core/geometry/angles.h"
#include "core/track/world_frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace velmora {
namespace {

// The boundaries are where a wrap goes wrong: -pi must become pi, pi must
// stay, and an angle many turns out must come back exactly.
TEST(WrapAngle, IntoMinusPiExclusiveToPiInclusive)
{
    const double next = std::nextafter(kPi, 0.0);
    const struct {
        double in, out;
    } cases[] = {
        {0, 0},
        {kPi, kPi},
        {-kPi, kPi},
        {3 * kPi, kPi},
        {-3 * kPi, kPi},
        {next, next},
        {-next, -next},
        {2 * kPi, 0},
        {kPi / 2 + 2 * kPi, kPi / 2},
        {-kPi / 2 - 4 * kPi, -kPi / 2},
        {1e6 * 2 * kPi + 0.25, std::remainder(1e6 * 2 * kPi + 0.25, 2 * kPi)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WrapAngle(c.in), c.out) << c.in;
    for (double a = -20; a <= 20; a += 0.37) {
        const double w = WrapAngle(a);
        EXPECT_GT(w, -kPi) << a;
        EXPECT_LE(w, kPi) << a;
        EXPECT_NEAR(std::cos(w), std::cos(a), 1e-12) << a;
        EXPECT_NEAR(std::sin(w), std::sin(a), 1e-12) << a;
    }
    EXPECT_TRUE(std::isnan(WrapAngle(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_EQ(WrapAngle(HUGE_VAL), HUGE_VAL);
}

TEST(WrapAngle, DegreesAndRadiansRoundTrip)
{
    EXPECT_EQ(Radians(180), kPi);
    EXPECT_EQ(Degrees(kPi), 180);
    EXPECT_EQ(Radians(90), kPi / 2);
    for (int d = -720; d <= 720; d += 15)
        EXPECT_NEAR(Degrees(Radians(d)), d, 1e-12) << d;
}

// The canvas turns clockwise and the world counter-clockwise: the heading
// of a canvas direction is its negative, wrapped the same way.
TEST(WorldFrameHeading, TurnsOverAndWrapsAtPlusMinusPi)
{
    const struct {
        double canvas, world;
    } cases[] = {
        {0, 0},
        {kPi / 2, -kPi / 2}, // down the canvas is -y in the world
        {-kPi / 2, kPi / 2},
        {kPi, kPi},
        {-kPi, kPi},
        {3 * kPi, kPi},
        {std::nextafter(kPi, 0.0), -std::nextafter(kPi, 0.0)},
        {std::nextafter(-kPi, 0.0), std::nextafter(kPi, 0.0)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WorldFrame::Heading(c.canvas), c.world) << c.canvas;
}

} // namespace
} // namespace velmora
