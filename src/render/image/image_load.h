#pragma once

#include <QImage>
#include <QString>

namespace velmora {

enum class ImageLoadStatus {
    Loaded,
    Missing,     // no such file, a folder, or fewer than 1 byte
    Undecodable, // exists but is no PNG, BMP or icon we can read
};

struct LoadedImage {
    ImageLoadStatus status = ImageLoadStatus::Missing;
    QImage image;
};

// Loads a PNG (through libpng), BMP or icon file, recognised by its content.
// Pictures come back as RGB32 without alpha or ARGB32 (straight alpha); every side is at most 16384 pixels.
LoadedImage LoadImg(const QString& path);

// The decoding step of LoadImg on bytes already in memory; null when the
// bytes are no picture we can read.
QImage DecodeImage(const QByteArray& bytes);

} // namespace velmora
