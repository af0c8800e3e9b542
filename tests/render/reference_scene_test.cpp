#include "render/image/image_load.h"
#include "reference_scene.h"
#include "render_support.h"

#include <QDir>
#include <gtest/gtest.h>

namespace velmora {
namespace {

// Draws the reference scene with the shipped pictures and keeps it as
// build/.../reference.png for a person to look at.
TEST(ReferenceScene, DrawsWithTheShippedAssets)
{
    test::EnsureGuiApp();
    const Settings s = reference::KerbSettings();
    const RenderAssets assets = reference::ShippedAssets(s);
    ASSERT_FALSE(assets.surface.isNull());
    ASSERT_FALSE(assets.start.isNull());
    ASSERT_EQ(assets.marker.size(), QSize(48, 16));

    QImage canvas(2048, 2048, QImage::Format_RGB32);
    const TrackModel model = reference::Circuit(1000);
    TemplateCache cache;
    const auto count = RedrawCanvas(canvas, model, s, assets, reference::TemplatePicture(), &cache);
    ASSERT_TRUE(count.has_value());
    EXPECT_NEAR(double(*count), model.cursor.length / 64, 0.5);
    EXPECT_TRUE(canvas.save(QStringLiteral(VELMORA_TEST_OUTPUT "/reference.png")));

    // The margin around the template keeps the background.
    EXPECT_EQ(canvas.pixel(10, 10) | 0xFF000000u, test::Rgb(s.BGColor));
}

} // namespace
} // namespace velmora
