#include "core/settings/settings.h"

#include <cmath>
#include <gtest/gtest.h>

namespace velmora {

TEST(CanvasSide, BoundsStoredValues)
{
    EXPECT_EQ(CanvasSide(2048), 2048);
    EXPECT_EQ(CanvasSide(2048.5), 2048);
    EXPECT_EQ(CanvasSide(0), 1);
    EXPECT_EQ(CanvasSide(-5), 1);
    EXPECT_EQ(CanvasSide(1e9), kMaxCanvasSide);
    EXPECT_EQ(CanvasSide(std::nan("")), 1);
}

} // namespace velmora
