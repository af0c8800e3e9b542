#include "render/redraw.h"

// Placeholder until the renderer lands.
namespace velmora {

void LoadFonts(RenderAssets&, const Settings&, double) {}

std::optional<long long> RedrawCanvas(QImage& canvas, const TrackModel&, const Settings& s, const RenderAssets&,
                                      const QImage&, TemplateCache*)
{
    canvas.fill(QColor::fromRgb(s.BGColor & 0xFF, (s.BGColor >> 8) & 0xFF, (s.BGColor >> 16) & 0xFF));
    return std::nullopt;
}

void DrawRLMarkers(QImage&, const std::vector<RLMarker>&, const QImage&) {}

}  // namespace velmora
