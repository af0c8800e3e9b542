#include "render/layers.h"

#include <cmath>

namespace velmora {

namespace {

constexpr ARGB kKerbRed = 0xFF0000FF;
constexpr ARGB kKerbWhite = 0xFFFFFFFF;
constexpr ARGB kEdgeShadow = 0x80040404;
constexpr ARGB kEdge = 0xFF040404;
// Shown instead of the texture when surface.png could not be read.
constexpr ARGB kPlainSurface = 0xFF808080;

} // namespace

bool UsableTrackWidth(double width)
{
    return width > 0 && std::isfinite(width);
}

// The three layers draw at whatever width the settings hold, 0 and below
// included: a stroke whose own width leaves nothing to ink draws nothing, so
// at TrackWidth 0 only the surface vanishes and the kerb (6 px) and the centre
// line still show. The strokes themselves refuse widths they cannot draw.
void DrawBorder(VectorPass& pass, const Scene& scene)
{
    const double width = scene.settings.TrackWidth;
    if (scene.settings.RedWhite != 0) {
        // The surface layer paints the middle of the kerb over with opaque
        // ink unless its texture can be seen through.
        const QImage& texture = scene.assets.surface;
        const double covered =
            UsableTrackWidth(width) && (texture.isNull() || !texture.hasAlphaChannel()) ? width / 2 : 0;
        AddTrackPath(pass, scene.track);
        SetColour(pass, kKerbRed);
        StrokeDashed(pass, width + 6, 6, 0, Corners::Round, covered);
        AddTrackPath(pass, scene.track);
        SetColour(pass, kKerbWhite);
        StrokeDashed(pass, width + 6, 6, 6, Corners::Round, covered);
    } else {
        AddTrackPath(pass, scene.track);
        SetColour(pass, kEdgeShadow);
        Stroke(pass, width + 4, Corners::Round);
        AddTrackPath(pass, scene.track);
        SetColour(pass, kEdge);
        Stroke(pass, width + 2, Corners::Round);
    }
}

void DrawSurface(VectorPass& pass, const Scene& scene)
{
    const QImage& texture = scene.assets.surface;
    AddTrackPath(pass, scene.track);
    if (texture.isNull())
        SetColour(pass, kPlainSurface);
    else
        SetPattern(pass, texture, texture.width(), texture.height());
    Stroke(pass, scene.settings.TrackWidth, Corners::Round);
}

void DrawCentreLine(VectorPass& pass, const Scene& scene)
{
    AddTrackPath(pass, scene.track);
    SetColour(pass, scene.settings.LineColor);
    StrokeDashed(pass, 2, 4, 4, Corners::Round);
}

} // namespace velmora
