#include "core/track/world_frame.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velmora {
namespace {

// Pixels to metres and back land on the same pixel, for frames of every
// kind: the default one, a circuit far from the world's origin, a fine scale.
TEST(WorldFrame, CanvasAndWorldAreInverses)
{
    const WorldFrame frames[] = {{}, {0.873, -1187.4, 912.3}, {0.001, 5e5, -3e5}, {12.5, 0, 0}};
    const double pixels[][2] = {{0, 0}, {2047, 2047}, {412.37, 88.05}, {-30, 16384}};
    for (const WorldFrame& f : frames) {
        for (const auto& p : pixels) {
            const double x = f.X(p[0]), y = f.Y(p[1]);
            EXPECT_NEAR(f.CanvasX(x), p[0], 1e-9 * (1 + std::abs(f.originX) / f.metresPerPixel));
            EXPECT_NEAR(f.CanvasY(y), p[1], 1e-9 * (1 + std::abs(f.originY) / f.metresPerPixel));
        }
    }
}

TEST(WorldFrame, TheCanvasCornerIsTheOriginAndYPointsUp)
{
    const WorldFrame f{0.5, 10, 20};
    EXPECT_EQ(f.CanvasX(10), 0);
    EXPECT_EQ(f.CanvasY(20), 0);
    EXPECT_EQ(f.CanvasX(11), 2);
    EXPECT_EQ(f.CanvasY(19), 2); // a metre down in the world is two pixels down the canvas
}

} // namespace
} // namespace velmora
