#pragma once

#include "render/image/encode_progress.h"

#include <QImage>
#include "core/result.h"

#include <optional>
#include <string>

namespace velmora {

// Encodes the picture as an uncompressed 24-bit Windows bitmap: the 14-byte
// "BM" header, the 40-byte information header, then the rows bottom-up in
// blue-green-red order, each padded to a multiple of 4 bytes. No palette,
// resolution 0. Any alpha is dropped. Fails when memory runs out or
// `progress` was cancelled.
Result<std::string> EncodeBmp(const QImage& picture, EncodeProgress* progress = nullptr);

} // namespace velmora
