#include <gtest/gtest.h>

#include "render/redraw.h"

namespace velmora {

TEST(RedrawSmoke, FillsBackground)
{
    QImage canvas(64, 64, QImage::Format_RGB32);
    Settings s;
    RedrawCanvas(canvas, TrackModel{}, s, RenderAssets{}, QImage{});
    EXPECT_EQ(canvas.pixel(5, 5), qRgb(40, 158, 58));
}

}  // namespace velmora
