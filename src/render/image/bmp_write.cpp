#include "render/image/bmp_write.h"

#include "render/image/canvas_picture.h"

#include <cstdint>
#include <new>

namespace velmora {

namespace {

constexpr std::uint32_t kHeadersSize = 14 + 40;

void Put16(std::string& out, std::uint16_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void Put32(std::string& out, std::uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((v >> shift) & 0xFF);
}

} // namespace

Result<std::string> EncodeBmp(const QImage& picture, EncodeProgress* progress)
{
    const QImage rgb = CanvasPicture(picture);
    if (rgb.isNull())
        return Fail("could not encode the picture");

    const std::uint64_t width = static_cast<std::uint64_t>(rgb.width());
    const std::uint64_t height = static_cast<std::uint64_t>(rgb.height());
    const std::uint64_t stride = (width * 3 + 3) / 4 * 4;
    const std::uint64_t pixelBytes = stride * height;
    if (kHeadersSize + pixelBytes > UINT32_MAX)
        return Fail("the picture is too large for a BMP file"); // the header cannot state its size

    try {
        std::string out;
        out.reserve(kHeadersSize + pixelBytes);
        out += "BM";
        Put32(out, static_cast<std::uint32_t>(kHeadersSize + pixelBytes));
        Put32(out, 0); // two reserved 16-bit fields
        Put32(out, kHeadersSize);
        Put32(out, 40);
        Put32(out, static_cast<std::uint32_t>(width));
        Put32(out, static_cast<std::uint32_t>(height)); // positive: bottom-up
        Put16(out, 1);                                  // planes
        Put16(out, 24);                                 // bits per pixel
        Put32(out, 0);                                  // no compression
        Put32(out, static_cast<std::uint32_t>(pixelBytes));
        Put32(out, 0); // horizontal resolution
        Put32(out, 0); // vertical resolution
        Put32(out, 0); // colours used
        Put32(out, 0); // important colours

        const std::string padding(stride - width * 3, '\0');
        std::string row(width * 3, '\0');
        for (int y = rgb.height() - 1; y >= 0; --y) {
            const uchar* src = rgb.constScanLine(y);
            for (std::uint64_t x = 0; x < width; ++x) {
                row[3 * x] = static_cast<char>(src[3 * x + 2]);
                row[3 * x + 1] = static_cast<char>(src[3 * x + 1]);
                row[3 * x + 2] = static_cast<char>(src[3 * x]);
            }
            out += row;
            out += padding;
            if (progress && y % 64 == 0) {
                if (progress->cancelled)
                    return Fail("cancelled");
                progress->permille = static_cast<int>(1000 - std::int64_t(y) * 1000 / rgb.height());
            }
        }
        if (progress)
            progress->permille = 1000;
        return out;
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    }
}

} // namespace velmora
