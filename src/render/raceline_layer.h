#pragma once

#include "core/raceline/raceline.h"
#include "core/track/world_frame.h"

#include <QColor>
#include <QPointF>
#include <QString>

class QPainter;

namespace velmora {

// The colour of speed v on a line whose speeds run from `slowest` to
// `fastest`: slow is red, then yellow, fast is sky blue, none of them a
// colour of the grass, the surface, the kerbs or the white centre dashes.
QColor SpeedColour(double v, double slowest, double fastest);

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

// Draws `text` (the lap time) in a box beside the line's start, where the
// line's first row lies on the canvas.
void DrawRacelineLabel(QPainter& painter, const Raceline& line, const WorldFrame& frame, const QString& text);

// Draws `text` in the same kind of box with its top-left corner at `at`.
void DrawRacelineNote(QPainter& painter, QPointF at, const QString& text);

} // namespace velmora
