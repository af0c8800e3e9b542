#include "render/occupancy_map.h"

#include "core/track/path.h"
#include "render/coverage_fill.h"
#include "render/stroke_geometry.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr uchar kFree = 255;
constexpr uchar kOccupied = 0;

// Moves the first and last point of an open polyline out along its end
// stretches, so that a stroke of it reaches that far past the flat ends.
void ExtendEnds(std::vector<QPointF>& points, double reach)
{
    const auto push = [reach](const QPointF& end, const QPointF& inner) {
        const QPointF d = end - inner;
        return end + d * (reach / std::hypot(d.x(), d.y()));
    };
    const auto first =
        std::find_if(points.begin(), points.end(), [&](const QPointF& p) { return p != points.front(); });
    if (first == points.end())
        return;
    const auto last =
        std::find_if(points.rbegin(), points.rend(), [&](const QPointF& p) { return p != points.back(); });
    const QPointF tail = push(points.back(), *last);
    points.front() = push(points.front(), *first);
    points.back() = tail;
}

std::vector<Figure> Figures(const std::vector<PathFigure>& path, double endReach)
{
    std::vector<Figure> out;
    for (const PathFigure& f : path) {
        Figure figure{{}, f.closed};
        for (const PathPoint& p : f.points)
            figure.points.emplace_back(p.x, p.y);
        if (!f.closed && endReach > 0)
            ExtendEnds(figure.points, endReach);
        out.push_back(std::move(figure));
    }
    return out;
}

// The outlines of a flat-ended, round-cornered stroke of half width r, built
// as the track surface's are.
Contours StrokeOutlines(const std::vector<Figure>& figures, double r, const QRectF& view)
{
    Contours out;
    std::vector<QPointF> polyline;
    const auto flush = [&] {
        if (polyline.size() >= 2)
            out.push_back(BandOutline(polyline, -r, r));
        polyline.clear();
    };
    const QPainterPath lines = InkedCentreLines(figures, r, view, {});
    for (int i = 0; i < lines.elementCount(); ++i) {
        const QPainterPath::Element e = lines.elementAt(i);
        if (e.isMoveTo())
            flush();
        polyline.emplace_back(e.x, e.y);
    }
    flush();
    return out;
}

// Walls come out white on black: the stroke reaching past the surface in
// white, then the surface over it in black. Each pixel is then as white as
// the share of it that is wall, exact at either edge of the band, since the
// two edges are too far apart to share a pixel.
void PaintWalls(QImage& scratch, const Contours& outer, const Contours& surface)
{
    scratch.fill(Qt::black);
    FillContours(scratch, outer, QBrush(Qt::white));
    FillContours(scratch, surface, QBrush(Qt::black));
}

} // namespace

QImage OccupancyMap(std::string_view trackPath, double trackWidth, int width, int height)
{
    if (!(trackWidth > 0) || !std::isfinite(trackWidth) || width < 1 || height < 1)
        return {};
    QImage map(width, height, QImage::Format_Grayscale8);
    QImage scratch(width, height, QImage::Format_RGB32);
    if (map.isNull() || scratch.isNull())
        return {};
    // Widths beyond the canvas's diagonal cover it all from any centre line
    // near it, as the drawing layer caps its pens.
    const QRectF canvas(0, 0, width, height);
    const double cap = 2 * std::hypot(double(width), double(height));
    const double r = std::min(trackWidth / 2, cap);
    const double wall = r + kMapWallWidth;
    const QRectF view =
        canvas.adjusted(-kMapWallWidth - 1, -kMapWallWidth - 1, kMapWallWidth + 1, kMapWallWidth + 1);
    const std::vector<PathFigure> path = ParsePathText(trackPath);

    PaintWalls(scratch, StrokeOutlines(Figures(path, kMapWallWidth), wall, view),
               StrokeOutlines(Figures(path, 0), r, view));
    // A pixel is a wall when its centre is: when at least half of it is.
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
        uchar* out = map.scanLine(y);
        for (int x = 0; x < width; ++x)
            out[x] = qRed(in[x]) >= 128 ? kOccupied : kFree;
    }
    return map;
}

} // namespace velmora
