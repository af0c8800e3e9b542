#include "render/drawing.h"

#include "render/coverage_fill.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// Anti-aliasing reaches about a pixel beyond a shape's edge.
constexpr double kFringe = 2.0;

// A stroke wider than twice the canvas diagonal on either side covers the
// whole canvas from any centre line near it; wider pens only make the stroker
// and rasteriser work on numbers far off the canvas, so they are narrowed to
// that. Only a track lying further than that off the canvas looks different.
double WidthCap(const VectorPass& pass)
{
    return 4 * std::hypot(pass.view.width(), pass.view.height());
}

void PixelPainter(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(QPainter::CompositionMode_Source);
}

Figure& CurrentFigure(VectorPass& pass)
{
    if (pass.path.empty())
        pass.path.push_back({{pass.cursor}, false});
    return pass.path.back();
}

bool Opaque(const QBrush& brush)
{
    if (brush.style() == Qt::SolidPattern)
        return brush.color().alpha() == 255;
    return brush.style() == Qt::TexturePattern && !brush.textureImage().hasAlphaChannel();
}

// The rasteriser slows down sharply on one path spread over much of the
// canvas, so pen strokes are drawn in small batches of nearby pieces: every
// separate piece (a dash) on its own and long polylines in runs of
// kPolylineRun points. Opaque ink may cut a polyline at a corner: the next run
// starts one segment back, so every corner is still drawn as a join and no
// gap opens. A polyline of see-through ink stays whole so its overlaps are not
// inked twice.
constexpr int kPolylineRun = 32;

// The polylines of a path made of moveTo and lineTo elements.
std::vector<std::vector<QPointF>> Polylines(const QPainterPath& lines)
{
    std::vector<std::vector<QPointF>> out;
    for (int i = 0; i < lines.elementCount(); ++i) {
        const QPainterPath::Element e = lines.elementAt(i);
        if (e.isMoveTo() || out.empty())
            out.emplace_back();
        out.back().emplace_back(e.x, e.y);
    }
    return out;
}

// Pieces of at most kPolylineRun points when `split`, else the whole; each
// after the first starts one segment back, so the corner where they meet is
// inside the later one.
std::vector<std::vector<QPointF>> Runs(const std::vector<QPointF>& polyline, bool split)
{
    if (!split)
        return {polyline};
    std::vector<std::vector<QPointF>> runs;
    size_t from = 0;
    while (true) {
        const size_t to = std::min(polyline.size(), from + kPolylineRun);
        runs.emplace_back(polyline.begin() + long(from), polyline.begin() + long(to));
        if (to == polyline.size())
            return runs;
        from = to - 2;
    }
}

// A flat-ended, round-cornered stroke filled from outlines built here rather
// than by the pen stroker, all in one fill, so pieces that overlap are inked
// once. hidden: everything within that distance of the centre line is painted
// over afterwards, so only the two side bands outside it are drawn; they reach
// 1 px into the hidden core so their inner anti-aliased edge is covered too.
void FillBands(VectorPass& pass, const QPainterPath& lines, double width, double hidden)
{
    const double r = width / 2;
    const bool sides = hidden > 1 && hidden < r;
    Contours contours;
    for (const std::vector<QPointF>& polyline : Polylines(lines)) {
        if (sides) {
            contours.push_back(BandOutline(polyline, hidden - 1, r));
            contours.push_back(BandOutline(polyline, -r, 1 - hidden));
        } else {
            contours.push_back(BandOutline(polyline, -r, r));
        }
    }
    if (CanFillContours(pass.canvas, pass.source))
        return FillContours(pass.canvas, contours, pass.source);
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const std::vector<QPointF>& c : contours)
        if (!c.empty())
            path.addPolygon(QPolygonF(QList<QPointF>(c.begin(), c.end())));
    pass.painter.fillPath(path, pass.source);
}

// Fills closed polygons made of moveTo and lineTo elements with the current
// source, by the winding rule.
void FillShapes(VectorPass& pass, const QPainterPath& shapes)
{
    if (!CanFillContours(pass.canvas, pass.source))
        return pass.painter.fillPath(shapes, pass.source);
    Contours contours;
    for (const std::vector<QPointF>& polygon : Polylines(shapes))
        contours.push_back(polygon);
    FillContours(pass.canvas, contours, pass.source);
}

void StrokeLines(VectorPass& pass, const QPainterPath& lines, double width, Qt::PenCapStyle cap,
                 Corners corners, double hidden = 0)
{
    if (lines.isEmpty() || pass.source.style() == Qt::NoBrush)
        return;
    // A pattern at its natural size and whole-pixel offset maps pixel to
    // pixel; filtering it would only cost time.
    const QTransform& tx = pass.source.transform();
    pass.painter.setRenderHint(QPainter::SmoothPixmapTransform, tx.type() > QTransform::TxTranslate ||
                                                                    tx.dx() != std::round(tx.dx()) ||
                                                                    tx.dy() != std::round(tx.dy()));
    const bool opaque = Opaque(pass.source);
    // Opaque ink over anything is the same in both modes, edge coverage
    // included; the plain copy mode has the faster span routines.
    pass.painter.setCompositionMode(opaque ? QPainter::CompositionMode_Source
                                           : QPainter::CompositionMode_SourceOver);
    if (cap == Qt::FlatCap && corners == Corners::Round) {
        FillBands(pass, lines, width, hidden);
    } else {
        const QPen pen(pass.source, width, Qt::SolidLine, cap,
                       corners == Corners::Round ? Qt::RoundJoin : Qt::MiterJoin);
        for (const std::vector<QPointF>& polyline : Polylines(lines))
            for (const std::vector<QPointF>& run : Runs(polyline, opaque)) {
                QPainterPath piece;
                piece.addPolygon(QPolygonF(QList<QPointF>(run.begin(), run.end())));
                pass.painter.strokePath(piece, pen);
            }
    }
    pass.painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

bool UsableWidth(double width)
{
    return width > 0 && std::isfinite(width);
}

} // namespace

QImage OpaqueCopy(const QImage& image)
{
    if (image.isNull())
        return {};
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    // Straight alpha keeps the colour of see-through pixels; drop the alpha
    // there rather than blending it away.
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] |= 0xFF000000u;
    }
    return out.convertToFormat(QImage::Format_RGB32);
}

QColor ToQColor(ARGB c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF), int(c >> 24));
}

void FillRect(QImage& canvas, int x, int y, int w, int h, ARGB colour)
{
    if (w <= 0 || h <= 0)
        return;
    QPainter p(&canvas);
    PixelPainter(p);
    QColor c = ToQColor(colour);
    c.setAlpha(255);
    p.fillRect(QRect(x, y, w, h), c);
}

void DrawImage(QImage& canvas, const QImage& image, int x, int y)
{
    if (image.isNull())
        return;
    QPainter p(&canvas);
    PixelPainter(p);
    p.drawImage(x, y, image.format() == QImage::Format_RGB32 ? image : OpaqueCopy(image));
}

void DrawImage(QImage& canvas, const QImage& image, int x, int y, int w, int h)
{
    if (image.isNull() || w <= 0 || h <= 0)
        return;
    if (image.width() == w && image.height() == h)
        return DrawImage(canvas, image, x, y);
    DrawImage(canvas, OpaqueCopy(image).scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), x, y);
}

void FillCircle(QImage& canvas, double x, double y, double r, ARGB colour)
{
    if (!(r > 0) || !std::isfinite(x) || !std::isfinite(y))
        return;
    QPainter p(&canvas);
    PixelPainter(p);
    QColor c = ToQColor(colour);
    c.setAlpha(255);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QPointF(x, y), r, r);
}

QImage CopyTile(const QImage& image, int x, int y, int w, int h)
{
    if (image.isNull() || w <= 0 || h <= 0 || x < 0 || y < 0 || x > image.width() - w ||
        y > image.height() - h)
        return {};
    return image.copy(x, y, w, h);
}

VectorPass::VectorPass(QImage& target) : canvas(target), painter(&target)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    view = QRectF(target.rect()).adjusted(-kFringe, -kFringe, kFringe, kFringe);
}

void BeginLayer(VectorPass& pass)
{
    pass.layers.push_back(pass.transform);
    ClearPath(pass);
}

void EndLayer(VectorPass& pass)
{
    if (pass.layers.empty())
        return;
    pass.transform = pass.layers.back();
    pass.layers.pop_back();
}

void AddTrackPath(VectorPass& pass, const std::vector<PathFigure>& figures)
{
    for (const PathFigure& f : figures) {
        Figure figure{{}, f.closed};
        figure.points.reserve(f.points.size());
        for (const PathPoint& p : f.points)
            figure.points.emplace_back(p.x, p.y);
        if (!figure.points.empty())
            pass.cursor = figure.points.back();
        pass.path.push_back(std::move(figure));
    }
}

void AddTrackPath(VectorPass& pass, std::string_view pathText)
{
    AddTrackPath(pass, ParsePathText(pathText));
}

void MoveTo(VectorPass& pass, double x, double y)
{
    pass.cursor = pass.transform.map(QPointF(x, y));
    pass.path.push_back({{pass.cursor}, false});
}

void LineTo(VectorPass& pass, double x, double y)
{
    Figure& figure = CurrentFigure(pass);
    pass.cursor = pass.transform.map(QPointF(x, y));
    figure.points.push_back(pass.cursor);
}

void LineBy(VectorPass& pass, double dx, double dy)
{
    Figure& figure = CurrentFigure(pass);
    const QPointF step = pass.transform.map(QPointF(dx, dy)) - pass.transform.map(QPointF(0, 0));
    pass.cursor += step;
    figure.points.push_back(pass.cursor);
}

void ClearPath(VectorPass& pass)
{
    pass.path.clear();
}

void SetColour(VectorPass& pass, ARGB colour)
{
    pass.source = QBrush(ToQColor(colour));
}

void SetPattern(VectorPass& pass, const QImage& image, double w, double h)
{
    if (image.isNull() || !(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h)) {
        pass.source = QBrush(Qt::NoBrush);
        return;
    }
    // Opaque textures stay without alpha so the rasteriser can copy them.
    QBrush brush(image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                               : QImage::Format_RGB32));
    brush.setTransform(QTransform::fromScale(w / image.width(), h / image.height()) * pass.transform);
    pass.source = brush;
}

void Stroke(VectorPass& pass, double width, Corners corners)
{
    if (UsableWidth(width)) {
        width = std::min(width, WidthCap(pass));
        StrokeLines(pass, InkedCentreLines(pass.path, width / 2, pass.view, {}), width, Qt::FlatCap, corners);
    }
    ClearPath(pass);
}

void StrokeDashed(VectorPass& pass, double width, double length, double offset, Corners corners,
                  double coveredLater)
{
    if (UsableWidth(width) && length > 0 && std::isfinite(length) && std::isfinite(offset)) {
        width = std::min(width, WidthCap(pass));
        // Dashes far below a pixel would only cost time; they read as half ink.
        const InkPattern pattern = length < 0.05 ? InkPattern{} : InkPattern{length, 2 * length, offset};
        StrokeLines(pass, InkedCentreLines(pass.path, width / 2, pass.view, pattern), width, Qt::FlatCap,
                    corners, coveredLater);
    }
    ClearPath(pass);
}

void StrokeDotted(VectorPass& pass, double diameter, double spacing, double offset)
{
    if (UsableWidth(diameter) && spacing > 0 && std::isfinite(spacing) && std::isfinite(offset) &&
        pass.source.style() != Qt::NoBrush) {
        diameter = std::min(diameter, WidthCap(pass));
        const double r = diameter / 2;
        if (spacing < 1) {
            // Dots closer than a pixel merge into one round-ended line.
            StrokeLines(pass, InkedCentreLines(pass.path, r, pass.view, {}), diameter, Qt::RoundCap,
                        Corners::Round);
        } else {
            FillShapes(pass, DotDiscs(pass.path, r, spacing, offset, pass.view));
        }
    }
    ClearPath(pass);
}

void SetFont(VectorPass& pass, const QFont& font)
{
    pass.font = font;
}

void DrawText(VectorPass& pass, const QString& text)
{
    const QFontMetricsF metrics(pass.font);
    bool invertible = false;
    const QPointF at = pass.transform.inverted(&invertible).map(pass.cursor);
    if (!invertible)
        return;
    if (pass.source.style() != Qt::NoBrush) {
        pass.painter.save();
        pass.painter.setTransform(pass.transform);
        pass.painter.setFont(pass.font);
        pass.painter.setPen(QPen(pass.source, 0));
        pass.painter.drawText(QPointF(at.x(), at.y() + metrics.ascent()), text);
        pass.painter.restore();
    }
    pass.cursor = pass.transform.map(QPointF(at.x() + metrics.horizontalAdvance(text), at.y()));
}

void RotateAbout(VectorPass& pass, double x, double y, double degrees)
{
    if (!std::isfinite(degrees))
        return;
    QTransform rotation;
    rotation.translate(x, y);
    rotation.rotate(degrees);
    rotation.translate(-x, -y);
    pass.transform = rotation * pass.transform;
}

PathMeasure MeasurePath(const VectorPass& pass)
{
    std::vector<PathFigure> figures;
    for (const Figure& f : pass.path) {
        PathFigure figure{{}, f.closed};
        for (const QPointF& p : f.points)
            figure.points.push_back({float(p.x()), float(p.y())});
        figures.push_back(std::move(figure));
    }
    return PathMeasure(figures);
}

} // namespace velmora
