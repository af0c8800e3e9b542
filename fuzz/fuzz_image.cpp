// Any bytes handed to the picture decoder must come back as a null picture
// or as a readable one within the side limit, in one of the two pixel
// formats the rest of the program draws with; handed to the map picture
// decoder, as a one-line reason or a grey picture of one byte a pixel.
#include "render/image/image_load.h"
#include "render/image/png_decode.h"

#include <QByteArray>
#include <QImage>
#include <cstddef>
#include <cstdint>

namespace {

void Check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const velmora::PngGreyFold fold{size > 0 && data[0] % 2 == 0, size > 1 ? int(data[1]) - 128 : -1};
    const velmora::Result<velmora::GreyImage> grey = velmora::DecodePngGrey(bytes, fold, 4096);
    if (grey)
        Check(grey->width >= 1 && grey->height >= 1 && grey->values.size() == std::size_t(grey->width) * std::size_t(grey->height));
    else
        Check(!grey.error().empty() && grey.error().find('\n') == std::string::npos);
    const QImage image = velmora::DecodeImage(bytes);
    if (image.isNull())
        return 0;
    Check(image.width() >= 1 && image.height() >= 1);
    Check(image.width() <= 16384 && image.height() <= 16384);
    Check(image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32);
    // Touch the first and last pixel: the buffer must really be that large.
    volatile QRgb first = image.pixel(0, 0);
    volatile QRgb last = image.pixel(image.width() - 1, image.height() - 1);
    (void)first;
    (void)last;
    return 0;
}
