#include "render/image/bmp_write.h"
#include "render/image/canvas_picture.h"
#include "render/image/png_write.h"

#include <QImage>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <png.h>
#include <string>
#include <zlib.h>

namespace velmora {

namespace {

// A picture whose every pixel differs, so row order and channel order show.
QImage Gradient(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixelColor(x, y, QColor(x * 40 % 256, y * 50 % 256, (x + y) * 13 % 256));
    return img;
}

std::uint32_t BigEndian32(const std::string& s, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v = v << 8 | static_cast<unsigned char>(s[at + i]);
    return v;
}

std::uint32_t LittleEndian(const std::string& s, std::size_t at, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(s[at + i]);
    return v;
}

struct MemoryReader {
    const std::string* bytes;
    std::size_t at = 0;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length)
{
    auto* r = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (r->at + length > r->bytes->size())
        png_error(png, "read past the end");
    std::memcpy(out, r->bytes->data() + r->at, length);
    r->at += length;
}

struct DecodedPng {
    bool ok = false;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int interlace = 0;
    std::vector<std::vector<unsigned char>> rows;
};

// Reads the file back through libpng.
void Decode(const std::string& file, DecodedPng& out)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    MemoryReader reader{&file};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return;
    }
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_read_info(png, info);
    int compression = 0;
    int filter = 0;
    png_get_IHDR(png, info, &out.width, &out.height, &out.bitDepth, &out.colourType, &out.interlace,
                 &compression, &filter);
    out.rows.assign(out.height, std::vector<unsigned char>(png_get_rowbytes(png, info)));
    for (auto& row : out.rows)
        png_read_row(png, row.data(), nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    out.ok = true;
}

// The inflated image data: each row is its filter byte followed by the pixels.
std::string InflatedData(const std::string& file, std::size_t capacity = 1 << 20)
{
    std::string idat;
    for (std::size_t at = 8; at + 8 <= file.size();) {
        const std::uint32_t length = BigEndian32(file, at);
        if (file.compare(at + 4, 4, "IDAT") == 0)
            idat += file.substr(at + 8, length);
        at += 12 + length;
    }
    std::string raw(capacity, '\0');
    uLongf size = raw.size();
    if (uncompress(reinterpret_cast<Bytef*>(raw.data()), &size, reinterpret_cast<const Bytef*>(idat.data()),
                   idat.size()) != Z_OK)
        return {};
    raw.resize(size);
    return raw;
}

} // namespace

TEST(EncodePng, WritesUnfilteredRgbThatReadsBack)
{
    const QImage picture = Gradient(7, 5);
    const Result<std::string> file = EncodePng(picture);
    ASSERT_TRUE(file.ok());

    DecodedPng png;
    Decode(*file, png);
    ASSERT_TRUE(png.ok);
    EXPECT_EQ(png.width, 7u);
    EXPECT_EQ(png.height, 5u);
    EXPECT_EQ(png.bitDepth, 8);
    EXPECT_EQ(png.colourType, PNG_COLOR_TYPE_RGB);
    EXPECT_EQ(png.interlace, PNG_INTERLACE_NONE);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const QColor c = picture.pixelColor(x, y);
            EXPECT_EQ(png.rows[y][3 * x], c.red());
            EXPECT_EQ(png.rows[y][3 * x + 1], c.green());
            EXPECT_EQ(png.rows[y][3 * x + 2], c.blue());
        }

    // Every row carries filter type 0, and zlib was told the best compression.
    const std::string raw = InflatedData(*file);
    ASSERT_EQ(raw.size(), 5u * (1 + 7 * 3));
    for (int y = 0; y < 5; ++y)
        EXPECT_EQ(raw[y * (1 + 7 * 3)], 0) << "row " << y;
    const std::size_t idat = file->find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    EXPECT_EQ(static_cast<unsigned char>((*file)[idat + 5]) >> 6, 3); // FLEVEL: maximum compression
}

TEST(EncodePng, SlicesJoinIntoOneStreamWhateverTheThreads)
{
    const QImage picture = Gradient(700, 1500); // 499 rows to a slice: four slices
    const Result<std::string> one = EncodePng(picture, 1);
    ASSERT_TRUE(one.ok());
    for (int threads : {2, 3, 8})
        EXPECT_EQ(*EncodePng(picture, threads), *one) << threads << " threads";

    // zlib checks the joined Adler-32 while inflating.
    const std::size_t rowBytes = 1 + 700 * 3;
    const std::string raw = InflatedData(*one, 1500 * rowBytes + 1);
    ASSERT_EQ(raw.size(), 1500 * rowBytes);
    for (int y = 0; y < 1500; ++y)
        ASSERT_EQ(raw[y * rowBytes], 0) << "row " << y;
    DecodedPng png;
    Decode(*one, png);
    ASSERT_TRUE(png.ok);
    for (int y : {0, 498, 499, 998, 1499}) {
        const auto* row = reinterpret_cast<const unsigned char*>(picture.constScanLine(y));
        EXPECT_TRUE(std::equal(row, row + 700 * 3, png.rows[y].begin())) << "row " << y;
    }

    // Each slice starts from the data before it: as small as one stream.
    uLongf single = compressBound(raw.size());
    std::string whole(single, '\0');
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(whole.data()), &single,
                        reinterpret_cast<const Bytef*>(raw.data()), raw.size(), 9),
              Z_OK);
    EXPECT_LT(double(one->size()), 1.01 * double(single));
}

TEST(EncodePng, ReportsProgressAndStopsWhenCancelled)
{
    const QImage picture = Gradient(700, 1500);
    EncodeProgress progress;
    EXPECT_TRUE(EncodePng(picture, 2, &progress).ok());
    EXPECT_EQ(progress.permille, 1000);
    progress.cancelled = true;
    EXPECT_FALSE(EncodePng(picture, 2, &progress).ok());
}

TEST(EncodePng, DropsAlpha)
{
    QImage picture(2, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(10, 20, 30, 255));
    picture.setPixel(1, 0, qRgba(40, 50, 60, 255));
    DecodedPng png;
    Decode(*EncodePng(picture), png);
    ASSERT_TRUE(png.ok);
    EXPECT_EQ(png.colourType, PNG_COLOR_TYPE_RGB);
    EXPECT_EQ(png.rows[0], (std::vector<unsigned char>{10, 20, 30, 40, 50, 60}));
}

TEST(EncodeBmp, HeaderAndBottomUpPaddedRows)
{
    const QImage picture = Gradient(5, 3); // 15 bytes a row, padded to 16
    const Result<std::string> file = EncodeBmp(picture);
    ASSERT_TRUE(file.ok());
    const std::string& b = *file;
    ASSERT_EQ(b.size(), 54u + 16 * 3);
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(LittleEndian(b, 2, 4), b.size());
    EXPECT_EQ(LittleEndian(b, 6, 4), 0u);   // reserved
    EXPECT_EQ(LittleEndian(b, 10, 4), 54u); // pixel data offset
    EXPECT_EQ(LittleEndian(b, 14, 4), 40u); // information header size
    EXPECT_EQ(LittleEndian(b, 18, 4), 5u);
    EXPECT_EQ(LittleEndian(b, 22, 4), 3u); // positive height: bottom-up
    EXPECT_EQ(LittleEndian(b, 26, 2), 1u); // planes
    EXPECT_EQ(LittleEndian(b, 28, 2), 24u);
    EXPECT_EQ(LittleEndian(b, 30, 4), 0u); // no compression
    EXPECT_EQ(LittleEndian(b, 34, 4), 48u);
    EXPECT_EQ(LittleEndian(b, 38, 4), 0u); // resolution
    EXPECT_EQ(LittleEndian(b, 42, 4), 0u);
    EXPECT_EQ(LittleEndian(b, 46, 4), 0u); // no palette
    EXPECT_EQ(LittleEndian(b, 50, 4), 0u);

    // The first stored row is the bottom one, pixels blue-green-red.
    const QColor bottomLeft = picture.pixelColor(0, 2);
    EXPECT_EQ(static_cast<unsigned char>(b[54]), bottomLeft.blue());
    EXPECT_EQ(static_cast<unsigned char>(b[55]), bottomLeft.green());
    EXPECT_EQ(static_cast<unsigned char>(b[56]), bottomLeft.red());
    EXPECT_EQ(b[54 + 15], '\0'); // padding
    const QColor topRight = picture.pixelColor(4, 0);
    EXPECT_EQ(static_cast<unsigned char>(b[54 + 32 + 12]), topRight.blue());
    EXPECT_EQ(static_cast<unsigned char>(b[54 + 32 + 14]), topRight.red());

    // Qt reads it back as the same picture.
    QImage back;
    ASSERT_TRUE(
        back.loadFromData(reinterpret_cast<const uchar*>(b.data()), static_cast<int>(b.size()), "BMP"));
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB888), picture);
}

TEST(ImageWriters, NullPictureIsAFailure)
{
    EXPECT_FALSE(EncodePng(QImage()).ok());
    EXPECT_FALSE(EncodeBmp(QImage()).ok());
}

TEST(CanvasPicture, OpaqueRgbOfTheCanvasSize)
{
    QImage canvas(9, 4, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(QColor(1, 2, 3));
    canvas.setPixelColor(8, 3, QColor(200, 100, 50));
    const QImage picture = CanvasPicture(canvas);
    EXPECT_EQ(picture.format(), QImage::Format_RGB888);
    EXPECT_EQ(picture.size(), canvas.size());
    EXPECT_EQ(picture.pixelColor(8, 3), QColor(200, 100, 50));
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(1, 2, 3));
}

TEST(DrawEndMarks, DiscsAreClippedAtTheEdges)
{
    QImage canvas(10, 10, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    DrawEndMarks(canvas, {{0, 0}, {-100, 5}, {2147483647, 3}});
    EXPECT_EQ(canvas.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(canvas.pixelColor(3, 0), QColor(255, 0, 0));
    EXPECT_EQ(canvas.pixelColor(2, 2), QColor(255, 0, 0));
    EXPECT_EQ(canvas.pixelColor(3, 1), QColor(0, 0, 0));
    EXPECT_EQ(canvas.pixelColor(9, 9), QColor(0, 0, 0));
}

} // namespace velmora
