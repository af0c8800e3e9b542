#include "render/image/png_decode.h"

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <png.h>
#include <string>
#include <vector>

namespace velmora {

namespace {

// Larger pictures than this are refused before any pixel memory is taken:
// 16384 x 16384 ARGB is already 1 GiB.
constexpr png_uint_32 kMaxSide = 16384;
constexpr unsigned long long kMaxPixels = 16384ull * 16384ull;

struct ByteSource {
    const unsigned char* data;
    size_t size;
    size_t pos;
};

void ReadBytes(png_structp png, png_bytep out, png_size_t count)
{
    auto* src = static_cast<ByteSource*>(png_get_io_ptr(png));
    if (count > src->size - src->pos)
        png_error(png, "truncated file");
    std::memcpy(out, src->data + src->pos, count);
    src->pos += count;
}

void OnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Asks libpng for 8-bit BGRA rows in memory order of QImage::Format_ARGB32
// on little-endian machines, whatever the file holds.
void RequestArgbRows(png_structp png, png_infop info)
{
    const int colourType = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (depth == 16)
        png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    if (QSysInfo::ByteOrder == QSysInfo::LittleEndian)
        png_set_bgr(png);
    else
        png_set_swap_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// The part that may longjmp. It touches no C++ objects with destructors
// between setjmp and the jump: the image and the row table live in the caller.
bool ReadInto(png_structp png, png_infop info, QImage* image, std::vector<png_bytep>* rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_read_info(png, info);
    const png_uint_32 w = png_get_image_width(png, info);
    const png_uint_32 h = png_get_image_height(png, info);
    if (w == 0 || h == 0 || w > kMaxSide || h > kMaxSide || 1ull * w * h > kMaxPixels)
        return false;
    const bool alpha = (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) != 0 ||
                       png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    RequestArgbRows(png, info);
    if (png_get_rowbytes(png, info) != size_t(w) * 4)
        return false;
    // Without alpha in the file every filler byte is 0xFF: the rows are RGB32.
    *image = QImage(int(w), int(h), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image->isNull())
        return false;
    rows->resize(h);
    for (png_uint_32 y = 0; y < h; ++y)
        (*rows)[y] = image->scanLine(int(y));
    png_read_image(png, rows->data());
    png_read_end(png, nullptr);
    return true;
}

struct GreyRead {
    PngGreyFold fold;
    int maxSide = 0;
    std::string problem; // libpng's message, or ours
};

void OnGreyError(png_structp png, png_const_charp message)
{
    static_cast<GreyRead*>(png_get_error_ptr(png))->problem = message;
    png_longjmp(png, 1);
}

// Asks libpng for 8-bit grey, grey+alpha, RGB or RGBA rows, whatever the file
// holds; the number of passes over the rows (7 when interlaced).
int RequestByteRows(png_structp png, png_infop info)
{
    const int colourType = png_get_color_type(png, info);
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (png_get_bit_depth(png, info) == 16)
        png_set_scale_16(png); // rounds, where stripping would cut
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return passes;
}

std::uint8_t Fold(const png_byte* p, int channels, const PngGreyFold& fold)
{
    const bool hasAlpha = channels == 2 || channels == 4;
    const unsigned alpha = hasAlpha ? p[channels - 1] : 255;
    if (fold.notOpaque >= 0 && alpha != 255)
        return std::uint8_t(fold.notOpaque);
    unsigned sum = channels < 3 ? 3u * p[0] : unsigned(p[0]) + p[1] + p[2];
    unsigned n = 3;
    if (fold.alphaInMean && hasAlpha) {
        sum += alpha;
        ++n;
    }
    return std::uint8_t((2 * sum + n) / (2 * n));
}

// One row as libpng gave it (in an interlaced pass, only that pass's pixels
// are new) into the grey picture.
void FoldRow(const std::vector<png_byte>& row, int channels, int pass, bool interlaced, png_uint_32 y,
             const PngGreyFold& fold, GreyImage* grey)
{
    const png_uint_32 first = interlaced ? PNG_PASS_START_COL(pass) : 0;
    const png_uint_32 step = interlaced ? 1u << PNG_PASS_COL_SHIFT(pass) : 1;
    std::uint8_t* out = grey->values.data() + std::size_t(y) * std::size_t(grey->width);
    for (png_uint_32 x = first; x < png_uint_32(grey->width); x += step)
        out[x] = Fold(row.data() + std::size_t(x) * std::size_t(channels), channels, fold);
}

// The part that may longjmp. It touches no C++ objects with destructors
// between setjmp and the jump: the picture and the row live in the caller.
bool ReadGreyInto(png_structp png, png_infop info, GreyRead* read, GreyImage* grey, std::vector<png_byte>* row)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    // libpng takes any size the format allows, so that ours is the check
    // that says what is wrong, before the picture's memory is taken.
    png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
    png_read_info(png, info);
    const png_uint_32 w = png_get_image_width(png, info);
    const png_uint_32 h = png_get_image_height(png, info);
    if (w == 0 || h == 0 || w > png_uint_32(read->maxSide) || h > png_uint_32(read->maxSide)) {
        read->problem = "the picture is " + std::to_string(w) + " x " + std::to_string(h) +
                        " pixels; a map may have 1 to " + std::to_string(read->maxSide) + " on each side";
        return false;
    }
    const int passes = RequestByteRows(png, info);
    const int channels = png_get_channels(png, info);
    if (png_get_rowbytes(png, info) != std::size_t(w) * std::size_t(channels)) {
        read->problem = "its rows are not whole bytes";
        return false;
    }
    row->resize(png_get_rowbytes(png, info));
    grey->width = int(w);
    grey->height = int(h);
    grey->values.assign(std::size_t(w) * std::size_t(h), 0);
    const bool interlaced = passes > 1;
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < h; ++y) {
            png_read_row(png, row->data(), nullptr);
            if (!interlaced || PNG_ROW_IN_INTERLACE_PASS(y, pass))
                FoldRow(*row, channels, pass, interlaced, y, read->fold, grey);
        }
    png_read_end(png, nullptr);
    return true;
}

} // namespace

bool LooksLikePng(const QByteArray& bytes)
{
    return bytes.size() >= 8 && png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.constData()), 0, 8) == 0;
}

QImage DecodePng(const QByteArray& bytes)
{
    if (!LooksLikePng(bytes))
        return {};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (!png)
        return {};
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return {};
    }
    ByteSource src{reinterpret_cast<const unsigned char*>(bytes.constData()), size_t(bytes.size()), 0};
    png_set_read_fn(png, &src, ReadBytes);

    QImage image;
    std::vector<png_bytep> rows;
    const bool ok = ReadInto(png, info, &image, &rows);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok)
        return {};
    return image;
}

Result<GreyImage> DecodePngGrey(const QByteArray& bytes, PngGreyFold fold, int maxSide)
{
    if (!LooksLikePng(bytes))
        return Fail("not a PNG picture");
    GreyRead read{fold, maxSide, {}};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &read, OnGreyError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return Fail("no memory to read the PNG picture");
    }
    ByteSource src{reinterpret_cast<const unsigned char*>(bytes.constData()), size_t(bytes.size()), 0};
    png_set_read_fn(png, &src, ReadBytes);
    GreyImage grey;
    std::vector<png_byte> row;
    bool ok = false;
    try {
        ok = ReadGreyInto(png, info, &read, &grey, &row);
    } catch (const std::bad_alloc&) {
        read.problem = "there is no memory for its pixels";
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok)
        return Fail("the PNG picture cannot be read: " + read.problem);
    return grey;
}

} // namespace velmora
