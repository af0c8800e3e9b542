#pragma once

#include <QImage>
#include <optional>
#include <string>

namespace velmora {

// Encodes the picture as an 8-bit greyscale PNG file in memory (colour type
// 0), not interlaced; colour pictures are made grey first. nullopt when
// libpng fails or memory runs out.
std::optional<std::string> EncodeGreyPng(const QImage& picture);

} // namespace velmora
