#pragma once

#include "core/raceline/raceline.h"
#include "core/track/world_frame.h"

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QPainter;

namespace velmora {

// The colour of speed v on a line whose speeds run from `slowest` to
// `fastest`: slow is red, then yellow, fast is sky blue, none of them a
// colour of the grass, the surface, the kerbs or the white centre dashes.
QColor SpeedColour(double v, double slowest, double fastest);

// The slowest and the fastest speed of a line with rows, in m/s.
struct SpeedRange {
    double slowest = 0;
    double fastest = 0;
};
SpeedRange SpeedsOf(const Raceline& line);

// Draws the race line, coloured by speed over a dark edge that keeps it
// apart from whatever it crosses, onto a painter whose coordinates are
// canvas pixels: the line's metres are put back on the canvas through
// `frame`. `scale` widens the strokes for a large picture. The painter's
// state is kept. A line without rows draws nothing.
void DrawRaceline(QPainter& painter, const Raceline& line, const WorldFrame& frame, double scale = 1);

// The speed legend in the picture's top-left corner: the colour ramp from
// the slowest to the fastest speed with both in m/s, `scale` times the size
// it has on a 1,000 px picture.
void DrawSpeedLegend(QPainter& painter, double slowest, double fastest, double scale);
// The same legend with its top-left corner at `at`, and the size it takes.
void DrawSpeedLegendAt(QPainter& painter, double slowest, double fastest, double scale, QPointF at);
QSizeF SpeedLegendSize(double scale);

// Where a box of `size` goes to label a point (`anchor`, the race line's
// start) inside `visible`, the part of the canvas the user sees: above and
// right of the point, clear of the line's first stretch, and moved only as
// far as it takes to lie whole inside `visible` with a small margin, so that
// it stays near the point when the point itself is out of sight. A box
// larger than `visible` keeps to its top-left corner.
QRectF PlaceLabel(const QRectF& visible, QPointF anchor, QSizeF size);

// Where the speed legend goes in `visible`: its bottom-left corner.
QRectF SpeedLegendRect(const QRectF& visible);

// The race line's label (the lap time) placed with PlaceLabel, moved above
// `avoid` (the legend) when it would cover it.
QRectF RacelineLabelRect(const QRectF& visible, QPointF start, QSizeF size, const QRectF& avoid);

// The size of the box DrawRacelineNote draws for `text`.
QSizeF RacelineNoteSize(const QString& text);

// Draws `text` in the same kind of box with its top-left corner at `at`.
void DrawRacelineNote(QPainter& painter, QPointF at, const QString& text);

// Where the line's first row lies on the canvas.
QPointF RacelineStart(const Raceline& line, const WorldFrame& frame);

} // namespace velmora
