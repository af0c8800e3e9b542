#pragma once

#include "core/mapin/grey_image.h"
#include "core/result.h"

#include <QByteArray>
#include <QImage>

namespace velmora {

// True when the bytes start with the PNG signature.
bool LooksLikePng(const QByteArray& bytes);

// Decodes PNG bytes with libpng into an ARGB32 image with straight alpha, or
// RGB32 when the file has no alpha at all. Every colour type and bit depth libpng reads is
// accepted; a corrupt, truncated or absurdly large file gives a null image.
QImage DecodePng(const QByteArray& bytes);

// How a pixel's channels become the one byte an occupancy map's cell holds.
// The byte is the mean of red, green and blue (a grey pixel counts for all
// three), rounded, as the ROS map servers average colour.
struct PngGreyFold {
    bool alphaInMean = false; // alpha (255 opaque), where the file has it, joins the mean
    int notOpaque = -1;       // 0..255: the byte of every pixel not fully opaque; -1: alpha ignored
};

// Decodes PNG bytes (any colour type and depth libpng reads, interlaced or
// not; 16-bit channels rounded to 8) row by row into one byte a pixel, so
// that no more than the result and one row are held. Sides of 1 to
// `maxSide` pixels, checked before the picture's memory is taken. Fails
// saying why on a damaged or truncated file.
Result<GreyImage> DecodePngGrey(const QByteArray& bytes, PngGreyFold fold, int maxSide);

} // namespace velmora
