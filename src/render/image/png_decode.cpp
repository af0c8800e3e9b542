#include "render/image/png_decode.h"

#include <csetjmp>
#include <cstring>
#include <png.h>
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

} // namespace velmora
