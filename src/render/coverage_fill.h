#pragma once

#include <QBrush>
#include <QImage>
#include <QPointF>
#include <vector>

namespace velmora {

// Closed polygons, each given by its corner points; the last point joins back
// to the first.
using Contours = std::vector<std::vector<QPointF>>;

// Whether FillContours can draw this brush onto this image: a solid colour,
// or a texture laid out pixel for pixel (moved by whole pixels at most), onto
// an RGB32 or premultiplied ARGB32 image.
bool CanFillContours(const QImage& canvas, const QBrush& brush);

// Anti-aliased fill of the contours with the non-zero winding rule, blended
// source-over. Each pixel's ink is weighted by the exact share of its area
// that the polygons cover, so polygons of one call that share an edge join
// without a seam. Coordinates are canvas pixels; what lies off the canvas is
// clipped. Needs CanFillContours.
void FillContours(QImage& canvas, const Contours& contours, const QBrush& brush);

} // namespace velmora
