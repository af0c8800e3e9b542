#include "render/image/grey_png_write.h"

#include <new>
#include <png.h>
#include <zlib.h>

namespace velmora {

namespace {

void AppendToString(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    bool grown = true;
    try {
        out->append(reinterpret_cast<const char*>(data), length);
    } catch (const std::bad_alloc&) {
        grown = false;
    }
    // Outside the handler: png_error leaves by longjmp.
    if (!grown)
        png_error(png, "out of memory");
}

void NoFlush(png_structp) {}

// Everything libpng may leave by longjmp runs here, with no C++ objects of
// our own alive between setjmp and the calls.
bool WriteRows(png_structp png, png_infop info, const QImage& grey)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, static_cast<png_uint_32>(grey.width()), static_cast<png_uint_32>(grey.height()),
                 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    // Maps are long runs of one value: unfiltered rows and run-length
    // matching compress them nearly as small as a full search, in a fraction
    // of the time.
    png_set_filter(png, 0, PNG_FILTER_NONE);
    png_set_compression_level(png, 6);
    png_set_compression_strategy(png, Z_RLE);
    png_write_info(png, info);
    for (int y = 0; y < grey.height(); ++y)
        png_write_row(png, grey.constScanLine(y));
    png_write_end(png, nullptr);
    return true;
}

} // namespace

Result<std::string> EncodeGreyPng(const QImage& picture)
{
    const QImage grey = picture.format() == QImage::Format_Grayscale8
                            ? picture
                            : picture.convertToFormat(QImage::Format_Grayscale8);
    if (grey.isNull())
        return Fail("could not make the map picture");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return Fail("could not make the map picture");
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return Fail("could not make the map picture");
    }
    std::string out;
    png_set_write_fn(png, &out, AppendToString, NoFlush);
    const bool written = WriteRows(png, info, grey);
    png_destroy_write_struct(&png, &info);
    if (!written)
        return Fail("could not make the map picture");
    return out;
}

} // namespace velmora
