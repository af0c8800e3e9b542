#pragma once

#include <QImage>
#include <QString>

namespace velmora {

enum class ImageLoadStatus {
    Loaded,
    Missing,  // no such file, a folder, or fewer than 1 byte
    Undecodable,  // exists but is no PNG, BMP or icon we can read
};

struct LoadedImage {
    ImageLoadStatus status = ImageLoadStatus::Missing;
    QImage image;
};

// Loads a PNG (through libpng), BMP or icon file, recognised by its content.
LoadedImage LoadImg(const QString& path);

}  // namespace velmora
