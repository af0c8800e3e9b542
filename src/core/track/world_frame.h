#pragma once

#include "core/result.h"

#include <string>

namespace velmora {

// The scale of a track drawn in the editor when nothing says otherwise: a
// 2,000 px canvas is 100 m, the size of a small indoor circuit.
inline constexpr double kDefaultMetresPerPixel = 0.05;

// Canvas pixels (x right, y down, from the canvas's top-left corner) to world
// metres (x right, y up): the one frame of every output in metres. The origin
// is where the canvas's top-left corner lies in the world; (0, 0) puts the
// canvas below the x axis.
struct WorldFrame {
    double metresPerPixel = kDefaultMetresPerPixel;
    double originX = 0;
    double originY = 0;

    double X(double px) const { return originX + px * metresPerPixel; }
    double Y(double py) const { return originY - py * metresPerPixel; }
    double Metres(double pixels) const { return pixels * metresPerPixel; }
    // World metres back to canvas pixels: the inverse of X and Y, for
    // drawing what was computed in the world (a race line) over the canvas.
    double CanvasX(double x) const { return (x - originX) / metresPerPixel; }
    double CanvasY(double y) const { return (originY - y) / metresPerPixel; }
    // A direction on the canvas (radians from +x, clockwise on the screen)
    // as a world heading (radians from +x, counter-clockwise) in (-pi, pi].
    static double Heading(double canvasRadians);
};

// Decimals of the metres the world outputs write: micrometres, far below
// any map's resolution, and short rows.
inline constexpr int kMetreDecimals = 6;

// Bounds of every frame. No map or circuit on Earth lies beyond them (the
// equator is 4e7 m); numbers outside them are typing or file errors, refused
// before they reach a conversion to whole pixels or a message.
inline constexpr double kMinMetresPerPixel = 1e-9;
inline constexpr double kMaxMetresPerPixel = 1e9;
inline constexpr double kMaxWorldMetres = 1e9; // either way from 0, of the origin

// A scale from kMinMetresPerPixel to kMaxMetresPerPixel and an origin within
// kMaxWorldMetres; otherwise what is wrong with them.
Status CheckFrame(const WorldFrame& frame);

// A coordinate within kMaxWorldMetres of 0 (not NaN).
bool WithinWorld(double metres);

// The origin as the user reads it and types it back: "-412.5,1790.0", each
// number the shortest text that reads back exactly, with at least one
// decimal (or an exponent, for one far out of bounds: 1e+300); the same
// whatever the locale.
std::string OriginText(const WorldFrame& frame);

} // namespace velmora
