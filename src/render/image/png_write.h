#pragma once

#include "render/image/encode_progress.h"

#include <QImage>
#include "core/result.h"

#include <optional>
#include <string>

namespace velmora {

inline constexpr int kPngLevel = 9; // the editor's Export

// Encodes the picture as a PNG file in memory: 8-bit RGB (colour type 2), not
// interlaced, no filter on any row, one zlib stream at level 9. Any alpha is
// dropped.
//
// The rows are compressed in slices of about 1 MiB on up to `threads`
// threads (0: one per core) and the slices joined into the one stream; the
// bytes are the same whatever the number of threads. Fails when zlib fails,
// memory runs out or `progress` was cancelled.
Result<std::string> EncodePng(const QImage& picture, int threads = 0, EncodeProgress* progress = nullptr,
                                     int level = kPngLevel);

} // namespace velmora
