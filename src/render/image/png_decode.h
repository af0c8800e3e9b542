#pragma once

#include <QByteArray>
#include <QImage>

namespace velmora {

// True when the bytes start with the PNG signature.
bool LooksLikePng(const QByteArray& bytes);

// Decodes PNG bytes with libpng into an ARGB32 image with straight alpha, or
// RGB32 when the file has no alpha at all. Every colour type and bit depth libpng reads is
// accepted; a corrupt, truncated or absurdly large file gives a null image.
QImage DecodePng(const QByteArray& bytes);

} // namespace velmora
