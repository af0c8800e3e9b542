#pragma once

#include "core/settings/settings.h"
#include "core/track/track_model.h"

#include <QFont>
#include <QImage>
#include <optional>
#include <vector>

namespace velmora {

// Images and fonts the picture is drawn with. A null image means the asset
// could not be loaded; the layers then draw their fallback.
struct RenderAssets {
    QImage surface;
    QImage start;
    QImage marker; // 16 x 16 icons side by side, type t at x = (t - 1) * 16
    QFont largeFont;
    QFont mediumFont;
    QFont smallFont;
};

// The template scaled to its fitted size, kept between redraws because the
// picture does not change between them.
struct TemplateCache {
    qint64 sourceKey = 0;
    QSize size;
    QImage scaled;
};

// The three label fonts: TextFont at LgText, MedText and SmText points,
// converted to pixels at the given logical DPI (96: 12 pt is 16 px).
void LoadFonts(RenderAssets& assets, const Settings& s, double logicalDpi);

// Repaints the whole canvas, every layer, in the fixed order: the
// background, the picture of the map the track was found on (null: none;
// at the canvas's corner, a cell a pixel, so that its walls lie where the
// track was found between them), the template fitted over it, then the
// track. Returns the length in marker gaps while the path is not empty
// (status field 1).
std::optional<long long> RedrawCanvas(QImage& canvas, const TrackModel& model, const Settings& s,
                                      const RenderAssets& assets, const QImage& templateImage,
                                      TemplateCache* cache = nullptr, const QImage& mapPicture = QImage());

// Paints every RL marker icon over the current picture, without a redraw.
void DrawRLMarkers(QImage& canvas, const std::vector<RLMarker>& markers, const QImage& markerSheet);

} // namespace velmora
