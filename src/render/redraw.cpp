#include "render/redraw.h"

#include "core/track/editor.h"
#include "render/drawing.h"
#include "render/layers.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// Label text larger than this is no use on any canvas and would only make
// the glyph rasteriser work.
constexpr int kMaxFontPixels = 4096;

int FontPixels(std::int32_t points, double dpi)
{
    const double px = std::nearbyint(FontPoints(points) * dpi / 72.0);
    return static_cast<int>(std::clamp(px, 1.0, double(kMaxFontPixels)));
}

QFont LabelFont(const Settings& s, std::int32_t points, double dpi)
{
    QFont font(QString::fromStdString(s.TextFont));
    font.setPixelSize(FontPixels(points, dpi));
    return font;
}

// The template's size on the canvas: the longer side (height when square)
// spans the canvas less 100 px, the other keeps the proportion; single
// precision, halves to even.
QSize FittedTemplateSize(QSize image, QSize canvas)
{
    const float W = float(image.width()), H = float(image.height());
    float w = 0, h = 0;
    if (H < W) {
        w = float(canvas.width()) - 100.0f;
        h = H * w / W;
    } else {
        h = float(canvas.height()) - 100.0f;
        w = W * h / H;
    }
    return {int(std::nearbyint(w)), int(std::nearbyint(h))};
}

void DrawTemplate(QImage& canvas, const QImage& image, TemplateCache* cache)
{
    if (image.isNull())
        return;
    const QSize size = FittedTemplateSize(image.size(), canvas.size());
    if (size.width() <= 0 || size.height() <= 0)
        return;
    if (!cache)
        return DrawImage(canvas, image, 50, 50, size.width(), size.height());
    if (cache->sourceKey != image.cacheKey() || cache->size != size || cache->scaled.isNull()) {
        // Stored opaque, as it is drawn, so a redraw is a plain copy.
        cache->scaled = OpaqueCopy(image).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        cache->sourceKey = image.cacheKey();
        cache->size = size;
    }
    DrawImage(canvas, cache->scaled, 50, 50);
}

void DrawVectorLayers(QImage& canvas, const Scene& scene)
{
    VectorPass pass(canvas);
    const Settings& s = scene.settings;
    auto layer = [&pass, &scene](void (*draw)(VectorPass&, const Scene&)) {
        BeginLayer(pass);
        draw(pass, scene);
        EndLayer(pass);
    };
    if (s.ShowBorder != 0)
        layer(DrawBorder);
    layer(DrawSurface);
    if (!scene.model.TrackPath.empty()) {
        layer(DrawCentreLine);
        if (s.Markers != 0)
            layer(DrawDistanceMarkers);
    }
    layer(DrawLabels);
    layer(DrawStartImage);
}

} // namespace

void LoadFonts(RenderAssets& assets, const Settings& s, double logicalDpi)
{
    const double dpi = logicalDpi > 0 && std::isfinite(logicalDpi) ? logicalDpi : 96.0;
    assets.largeFont = LabelFont(s, s.LgText, dpi);
    assets.mediumFont = LabelFont(s, s.MedText, dpi);
    assets.smallFont = LabelFont(s, s.SmText, dpi);
}

std::optional<long long> RedrawCanvas(QImage& canvas, const TrackModel& model, const Settings& s,
                                      const RenderAssets& assets, const QImage& templateImage,
                                      TemplateCache* cache, const QImage& mapPicture)
{
    if (canvas.isNull())
        return std::nullopt;
    FillRect(canvas, 0, 0, canvas.width(), canvas.height(), s.BGColor);
    DrawImage(canvas, mapPicture, 0, 0);
    DrawTemplate(canvas, templateImage, cache);

    const std::vector<PathFigure> track = ParsePathText(model.TrackPath);
    DrawVectorLayers(canvas, Scene{model, s, assets, track});
    DrawRLMarkers(canvas, model.markers, assets.marker);

    if (model.TrackPath.empty())
        return std::nullopt;
    return SpacesCount(model.cursor.length, s.MarkerGap);
}

} // namespace velmora
