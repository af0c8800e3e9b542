#pragma once

// A PNG written with libpng in any layout the format has (grey, grey+alpha,
// palette, colour, 1 to 16 bits, interlaced), for the decoders' tests.

#include <QByteArray>
#include <csetjmp>
#include <png.h>
#include <vector>

namespace velmora {

struct PngLayout {
    int width = 4;
    int height = 3;
    int colourType = PNG_COLOR_TYPE_RGB;
    int depth = 8;
    bool interlaced = false;
    std::vector<png_color> palette;
    std::vector<png_byte> trns; // palette alpha
};

inline void AppendPngBytes(png_structp png, png_bytep data, png_size_t n)
{
    auto* out = static_cast<QByteArray*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), qsizetype(n));
}

inline void FlushPngBytes(png_structp) {}

// Writes a PNG with libpng from raw rows already in the file's own layout.
inline QByteArray WritePng(const PngLayout& layout, const std::vector<std::vector<png_byte>>& rows)
{
    QByteArray out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, AppendPngBytes, FlushPngBytes);
    png_set_IHDR(png, info, png_uint_32(layout.width), png_uint_32(layout.height), layout.depth, layout.colourType,
                 layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!layout.palette.empty())
        png_set_PLTE(png, info, layout.palette.data(), int(layout.palette.size()));
    if (!layout.trns.empty())
        png_set_tRNS(png, info, layout.trns.data(), int(layout.trns.size()), nullptr);
    png_write_info(png, info);
    std::vector<png_bytep> pointers;
    for (const auto& row : rows)
        pointers.push_back(const_cast<png_bytep>(row.data()));
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

} // namespace velmora
