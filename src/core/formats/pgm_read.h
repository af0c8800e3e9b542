#pragma once

#include "core/mapin/grey_image.h"
#include "core/result.h"

#include <string_view>

namespace velmora {

// True when the bytes start like a PGM picture ("P5" or the text form "P2").
bool LooksLikePgm(std::string_view bytes);

// Reads a binary PGM (P5): the header's width, height and largest value,
// "#" comments allowed in it, then the rows. Values up to 255 are one byte,
// larger ones two (most significant first); any largest value other than 255
// is stretched to 0..255, so the map's thresholds mean the same. Sides of 1
// to `maxSide` pixels. Fails saying what is wrong with a text PGM (P2), a
// damaged header or missing rows; bytes after the picture are ignored.
Result<GreyImage> ReadPgm(std::string_view bytes, int maxSide);

} // namespace velmora
