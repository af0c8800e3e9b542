#include "core/track/editor.h"
#include "render/layers.h"

#include <cmath>
#include <string>

namespace velmora {

void DrawLabels(VectorPass& pass, const Scene& scene)
{
    const Settings& s = scene.settings;
    for (const TextLabel& label : scene.model.labels) {
        const QFont* font = nullptr;
        ARGB colour = 0;
        switch (label.size) {
        case 1:
            font = &scene.assets.smallFont, colour = s.SmallTextColor;
            break;
        case 2:
            font = &scene.assets.mediumFont, colour = s.MediumTextColor;
            break;
        case 3:
            font = &scene.assets.largeFont, colour = s.LargeTextColor;
            break;
        default:
            continue;
        }
        MoveTo(pass, label.x, label.y);
        SetFont(pass, *font);
        SetColour(pass, colour);
        DrawText(pass, QString::fromStdString(label.text));
        ClearPath(pass);
    }
}

void DrawStartImage(VectorPass& pass, const Scene& scene)
{
    const std::string& path = scene.model.TrackPath;
    const QImage& image = scene.assets.start;
    const double width = scene.settings.TrackWidth;
    if (path.empty() || image.isNull() || !UsableTrackWidth(width))
        return;
    const CanvasPoint start = StartPosition(path);
    const double sx = start.x, sy = start.y;
    if (!std::isfinite(sx) || !std::isfinite(sy))
        return;
    const double w = image.width();
    MoveTo(pass, sx, sy);
    RotateAbout(pass, sx, sy, scene.model.StartAngle);
    LineBy(pass, w, 0);
    SetPattern(pass, image, w, width);
    Stroke(pass, width, Corners::Mitred);
}

} // namespace velmora
