#pragma once

#include "core/mapin/grey_image.h"
#include "core/result.h"

#include <string_view>

namespace velmora {

// True when the bytes start like a PGM picture ("P5" or the text form "P2").
bool LooksLikePgm(std::string_view bytes);

// Reads a PGM picture, binary (P5) or text (P2): the header's width,
// height and largest value, "#" comments allowed in it, then the rows.
// Binary values up to 255 are one byte, larger ones two (most significant
// first). Each value becomes its share of the largest on 0..255, rounded, so
// the map's thresholds mean the same whatever the depth. Sides of 1 to
// `maxSide` pixels, checked before anything is allocated. Fails saying what
// is wrong with a damaged header or missing rows; bytes after the picture
// are ignored.
Result<GreyImage> ReadPgm(std::string_view bytes, int maxSide);

} // namespace velmora
