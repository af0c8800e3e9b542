#include "render/image/image_load.h"

#include "render/image/png_decode.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace velmora {

namespace {

// Same ceiling as the PNG decoder: pictures beyond this are refused before
// their pixels are allocated.
constexpr int kMaxSide = 16384;

const char* FormatOf(const QByteArray& bytes)
{
    if (LooksLikePng(bytes))
        return "png";
    if (bytes.startsWith("BM"))
        return "bmp";
    // Icon and cursor directories: reserved 0, type 1 (icon) or 2 (cursor).
    if (bytes.size() >= 6 && bytes[0] == 0 && bytes[1] == 0 && (bytes[2] == 1 || bytes[2] == 2) &&
        bytes[3] == 0)
        return "ico";
    return nullptr;
}

QImage DecodeWithQt(const QByteArray& bytes, const char* format)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxSide || size.height() > kMaxSide))
        return {};
    QImage image = reader.read();
    if (image.isNull() || image.width() > kMaxSide || image.height() > kMaxSide)
        return {};
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    return image;
}

} // namespace

QImage DecodeImage(const QByteArray& bytes)
{
    const char* format = FormatOf(bytes);
    if (!format)
        return {};
    if (format[0] == 'p')
        return DecodePng(bytes);
    return DecodeWithQt(bytes, format);
}

LoadedImage LoadImg(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir() || info.size() < 1)
        return {ImageLoadStatus::Missing, {}};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {ImageLoadStatus::Undecodable, {}};
    const QImage image = DecodeImage(file.readAll());
    if (image.isNull())
        return {ImageLoadStatus::Undecodable, {}};
    return {ImageLoadStatus::Loaded, image};
}

} // namespace velmora
