#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// A 32-bit colour: red in bits 0-7, green 8-15, blue 16-23, alpha 24-31.
using ARGB = std::uint32_t;

// Every user preference, named after its key in Preferences.ini and kept in
// file order. Values are held exactly as read; drawing code bounds them.
struct Settings {
    double CanvasWidth = 2048;
    double CanvasHeight = 2048;
    double TrackWidth = 42;
    double MarkerGap = 64;
    std::string TextFont = "Arial";  // UTF-8
    std::int32_t LgText = 32;
    std::int32_t MedText = 12;
    std::int32_t SmText = 12;
    std::int32_t Markers = 1;
    std::int32_t AngleLimit = 180;
    std::int32_t ShowDots = 1;
    std::int32_t ShowBorder = 1;
    std::int32_t RedWhite = 0;
    ARGB DotColor = 0xFF00FFFF;
    ARGB LineColor = 0xD0FFFFFF;
    ARGB LargeTextColor = 0xFF000000;
    ARGB MediumTextColor = 0xFF0000FF;
    ARGB SmallTextColor = 0xFFFFFFFF;
    ARGB BGColor = 0xFF3A9E28;

    bool operator==(const Settings&) const = default;
};

// Largest canvas side we ever allocate; a hand-edited 1e9 must not take the
// machine down.
inline constexpr int kMaxCanvasSide = 16384;

// The canvas side actually used for a stored width or height: rounded half to
// even, then held within 1..kMaxCanvasSide (NaN gives 1).
int CanvasSide(double stored);

// Point size actually used for a label font: sizes of 0 or less draw at 1.
int FontPoints(std::int32_t stored);

}  // namespace velmora
