#pragma once

#include "render/stroke_geometry.h"
#include "core/settings/settings.h"
#include "core/track/path.h"

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QTransform>
#include <string_view>
#include <vector>

namespace velmora {

QColor ToQColor(ARGB colour);

// The image as RGB32 with every pixel's colour kept and its alpha dropped.
QImage OpaqueCopy(const QImage& image);

// Pixel operations: straight into the canvas pixels, opaque, no anti-aliasing.
void FillRect(QImage& canvas, int x, int y, int w, int h, ARGB colour);
// Copies the image with alpha ignored: every pixel lands opaque.
void DrawImage(QImage& canvas, const QImage& image, int x, int y);
// The same, scaled to w x h first; nothing when w or h is 0 or less.
void DrawImage(QImage& canvas, const QImage& image, int x, int y, int w, int h);
void FillCircle(QImage& canvas, double x, double y, double r, ARGB colour);
// The w x h rectangle of the image at (x, y); null when it does not lie wholly
// inside the image.
QImage CopyTile(const QImage& image, int x, int y, int w, int h);

enum class Corners { Round, Mitred };

// One anti-aliased drawing pass over the canvas: the current path, source,
// font, cursor and transform. The path and cursor are kept in canvas pixels so
// a rotation set between MoveTo and LineBy acts only on what follows it.
struct VectorPass {
    explicit VectorPass(QImage& target);

    QImage& canvas;
    QPainter painter;
    QRectF view;                    // the canvas grown by the anti-aliasing fringe
    QTransform transform;           // user coordinates -> canvas pixels
    std::vector<QTransform> layers; // transform at each open BeginLayer
    std::vector<Figure> path;
    QBrush source{Qt::black};
    QFont font;
    QPointF cursor;
};

// Layers are composited source-over at full opacity, which is the same as
// drawing straight onto the canvas, so a layer only scopes the transform.
void BeginLayer(VectorPass& pass);
void EndLayer(VectorPass& pass);

// Appends the figures of the track path, in absolute canvas pixels.
void AddTrackPath(VectorPass& pass, const std::vector<PathFigure>& figures);
void AddTrackPath(VectorPass& pass, std::string_view pathText);
void MoveTo(VectorPass& pass, double x, double y);
void LineTo(VectorPass& pass, double x, double y);
void LineBy(VectorPass& pass, double dx, double dy);
void ClearPath(VectorPass& pass);

void SetColour(VectorPass& pass, ARGB colour);
// The image scaled to w x h, repeated from the current coordinate origin.
void SetPattern(VectorPass& pass, const QImage& image, double w, double h);

// Strokes with flat ends; each empties the path.
void Stroke(VectorPass& pass, double width, Corners corners);
// coveredLater: the caller will paint everything within that distance of the
// path over with opaque ink (the track surface over its border), so that part
// of straight dashes need not be drawn. 0 draws the dashes whole.
void StrokeDashed(VectorPass& pass, double width, double length, double offset, Corners corners,
                  double coveredLater = 0);
void StrokeDotted(VectorPass& pass, double diameter, double spacing, double offset);

void SetFont(VectorPass& pass, const QFont& font);
// Draws with the top-left of the text box at the cursor and moves the cursor
// right by the text's width.
void DrawText(VectorPass& pass, const QString& text);
void RotateAbout(VectorPass& pass, double x, double y, double degrees);

// Path queries over the current path.
PathMeasure MeasurePath(const VectorPass& pass);

} // namespace velmora
