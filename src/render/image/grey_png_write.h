#pragma once

#include <QImage>
#include "core/result.h"

#include <optional>
#include <string>

namespace velmora {

// Encodes the picture as an 8-bit greyscale PNG file in memory (colour type
// 0), not interlaced; colour pictures are made grey first. Fails when
// libpng fails or memory runs out.
Result<std::string> EncodeGreyPng(const QImage& picture);

} // namespace velmora
