#include "render/image/image_load.h"
#include "render/image/png_test_file.h"
#include "render/render_support.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csetjmp>
#include <gtest/gtest.h>
#include <png.h>
#include <vector>

namespace velmora {
namespace {

class ImageLoad : public ::testing::Test {
protected:
    void SetUp() override { test::EnsureGuiApp(); } // icon files are read by a plugin
    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QImage Load(const QByteArray& bytes)
    {
        const LoadedImage r = LoadImg(Write("picture.png", bytes));
        EXPECT_EQ(r.status, ImageLoadStatus::Loaded);
        return r.image;
    }

    QTemporaryDir dir;
};

TEST_F(ImageLoad, PaletteWithTransparency)
{
    PngLayout layout;
    layout.width = 3;
    layout.height = 1;
    layout.colourType = PNG_COLOR_TYPE_PALETTE;
    layout.depth = 4;
    layout.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    layout.trns = {255, 0};
    const QImage img = Load(WritePng(layout, {{0x01, 0x20}})); // indices 0 1 2
    ASSERT_EQ(img.size(), QSize(3, 1));
    EXPECT_EQ(img.pixel(0, 0), qRgba(255, 0, 0, 255));
    EXPECT_EQ(img.pixel(1, 0), qRgba(0, 255, 0, 0)); // colour kept under alpha 0
    EXPECT_EQ(img.pixel(2, 0), qRgba(0, 0, 255, 255));
}

TEST_F(ImageLoad, GreyOfEveryDepth)
{
    PngLayout one;
    one.width = 8;
    one.height = 1;
    one.colourType = PNG_COLOR_TYPE_GRAY;
    one.depth = 1;
    const QImage bits = Load(WritePng(one, {{0xA0}})); // 1 0 1 0 0 0 0 0
    EXPECT_EQ(bits.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(bits.pixel(1, 0), qRgb(0, 0, 0));
    EXPECT_EQ(bits.pixel(2, 0), qRgb(255, 255, 255));

    PngLayout wide;
    wide.width = 2;
    wide.height = 1;
    wide.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
    wide.depth = 16;
    const QImage deep = Load(WritePng(wide, {{0x80, 0x00, 0xFF, 0xFF, 0x10, 0x00, 0x00, 0x00}}));
    EXPECT_EQ(deep.pixel(0, 0), qRgba(128, 128, 128, 255));
    EXPECT_EQ(qAlpha(deep.pixel(1, 0)), 0);
}

TEST_F(ImageLoad, SixteenBitRgbAndInterlacedAlpha)
{
    PngLayout rgb16;
    rgb16.width = 1;
    rgb16.height = 1;
    rgb16.depth = 16;
    EXPECT_EQ(Load(WritePng(rgb16, {{0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00}})).pixel(0, 0), qRgb(255, 128, 0));

    PngLayout layout;
    layout.width = 9;
    layout.height = 9;
    layout.colourType = PNG_COLOR_TYPE_RGBA;
    layout.interlaced = true;
    std::vector<std::vector<png_byte>> rows(9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x)
            rows[y].insert(rows[y].end(), {png_byte(x * 20), png_byte(y * 20), 7, png_byte(100 + x + y)});
    const QImage img = Load(WritePng(layout, rows));
    ASSERT_EQ(img.size(), QSize(9, 9));
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x)
            ASSERT_EQ(img.pixel(x, y), qRgba(x * 20, y * 20, 7, 100 + x + y)) << x << "," << y;
}

TEST_F(ImageLoad, DamagedPngIsUndecodable)
{
    PngLayout layout;
    layout.width = 64;
    layout.height = 64;
    const QByteArray good =
        WritePng(layout, std::vector<std::vector<png_byte>>(64, std::vector<png_byte>(64 * 3, 90)));
    ASSERT_FALSE(good.isEmpty());
    for (qsizetype cut : {qsizetype(8), qsizetype(20), good.size() / 2, good.size() - 13}) {
        const LoadedImage r = LoadImg(Write("cut.png", good.left(cut)));
        EXPECT_EQ(r.status, ImageLoadStatus::Undecodable) << cut;
        EXPECT_TRUE(r.image.isNull());
    }
    QByteArray corrupt = good;
    for (qsizetype i = 40; i < corrupt.size() - 20; i += 7)
        corrupt[i] = char(corrupt[i] ^ 0x5A);
    EXPECT_EQ(LoadImg(Write("corrupt.png", corrupt)).status, ImageLoadStatus::Undecodable);
    EXPECT_EQ(LoadImg(Write("text.png", "just some text\n")).status, ImageLoadStatus::Undecodable);
}

TEST_F(ImageLoad, AbsurdSizeIsRefusedBeforeDecoding)
{
    // A valid header claiming 100000 x 100000 pixels and no data behind it.
    PngLayout layout;
    layout.width = 100000;
    layout.height = 100000;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    QByteArray header;
    png_set_write_fn(png, &header, AppendPngBytes, FlushPngBytes);
    png_set_IHDR(png, info, 100000, 100000, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_destroy_write_struct(&png, &info);
    EXPECT_EQ(LoadImg(Write("huge.png", header)).status, ImageLoadStatus::Undecodable);
}

TEST_F(ImageLoad, MissingEmptyAndFolderAreMissing)
{
    EXPECT_EQ(LoadImg(dir.filePath("nothing.png")).status, ImageLoadStatus::Missing);
    EXPECT_EQ(LoadImg(Write("empty.png", {})).status, ImageLoadStatus::Missing);
    QDir(dir.path()).mkdir("folder.png");
    EXPECT_EQ(LoadImg(dir.filePath("folder.png")).status, ImageLoadStatus::Missing);
}

TEST_F(ImageLoad, ContentDecidesTheFormat)
{
    QImage picture(5, 4, QImage::Format_RGB32);
    picture.fill(qRgb(12, 34, 56));
    for (const char* format : {"BMP", "ICO"}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(picture.save(&buffer, format)) << format;
        const LoadedImage r = LoadImg(Write("named-wrongly.png", bytes));
        ASSERT_EQ(r.status, ImageLoadStatus::Loaded) << format;
        EXPECT_EQ(r.image.size(), QSize(5, 4)) << format;
        EXPECT_EQ(r.image.pixel(2, 2) | 0xFF000000u, qRgb(12, 34, 56)) << format;
    }
}

} // namespace
} // namespace velmora
