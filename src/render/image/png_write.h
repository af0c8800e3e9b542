#pragma once

#include <QImage>
#include <optional>
#include <string>

namespace velmora {

// Encodes the picture as a PNG file in memory: 8-bit RGB (colour type 2), not
// interlaced, no filter on any row, zlib level 9. Any alpha is dropped.
// nullopt when libpng fails or memory runs out.
std::optional<std::string> EncodePng(const QImage& picture);

} // namespace velmora
