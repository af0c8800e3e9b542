#include "render/layers.h"

#include "core/geometry/angles.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {

namespace {

constexpr int kIcon = 16;
// Shown for a marker whose icon the sheet cannot give.
constexpr QRgb kSubstituteFill = 0xFF9A9A9A;
constexpr QRgb kSubstituteEdge = 0xFF202020;

// Adds the cross line(s) centred on the track from `from` to `to` (both on one
// straight stretch with unit direction t): a band 2 px thick along t, reaching
// h to either side, cut down to what the view can show. The ends sit at
// theta -/+ pi/2 from the direction of travel, so the line is as long as the
// track is wide.
void AddCrossBand(QPainterPath& out, QPointF from, QPointF to, QPointF t, double h, const QRectF& view)
{
    const QPointF n(-t.y(), t.x());
    double vmin = std::numeric_limits<double>::infinity(), vmax = -vmin;
    for (const QPointF c : {view.topLeft(), view.topRight(), view.bottomLeft(), view.bottomRight()}) {
        const double v = QPointF::dotProduct(c - from, n);
        vmin = std::min(vmin, v);
        vmax = std::max(vmax, v);
    }
    const double lo = std::max(-h, vmin), hi = std::min(h, vmax);
    if (!(lo < hi))
        return;
    const QPointF a = from - t, b = to + t;
    out.moveTo(a + n * lo);
    out.lineTo(b + n * lo);
    out.lineTo(b + n * hi);
    out.lineTo(a + n * hi);
    out.closeSubpath();
}

// Below this gap the stripes where see-through lines overlap repeat within a
// pixel, too fine to show; drawn at their average opacity they cost one band
// however many lines there are.
constexpr double kFineGap = 1;

// The colour at the average opacity that lines 2 px thick at this gap (2 or
// less) build up, each laid over the ones before: a point is under
// m = floor(2 / gap) lines, or m + 1 over a share 2 / gap - m of each gap.
ARGB BuiltUp(ARGB colour, double gap)
{
    const double a = (colour >> 24) / 255.0, m = std::floor(2 / gap), share = 2 / gap - m;
    const double clear = std::pow(1 - a, m) * (1 - share * a);
    const auto alpha = static_cast<ARGB>(std::lround(255 * (1 - clear)));
    return (colour & 0x00FFFFFFu) | (std::min<ARGB>(alpha, 255) << 24);
}

QPointF Direction(double degrees)
{
    return {std::cos(Radians(degrees)), std::sin(Radians(degrees))};
}

void FillBand(VectorPass& pass, const QPainterPath& band, ARGB colour)
{
    if (!band.isEmpty())
        pass.painter.fillPath(band, ToQColor(colour));
}

// Lines across the track at G, 2G, 3G ... while k G <= L - G; the first at G
// always, which on a track shorter than G lands on its end. Only the lines
// the canvas can show are worked out, so a tiny gap or a far-off path costs
// no more than the canvas and the segments.
void DrawCrossLines(VectorPass& pass, const Scene& scene, double gap)
{
    const double h = scene.settings.TrackWidth * 0.5;
    if (!UsableTrackWidth(h))
        return;
    AddTrackPath(pass, scene.track);
    const PathMeasure measure = MeasurePath(pass);
    ClearPath(pass);
    const ARGB colour = scene.settings.LineColor;
    const double total = measure.TotalLength();

    QPainterPath first;
    first.setFillRule(Qt::WindingFill);
    const PathSample p = measure.At(gap);
    const QPointF at(p.x, p.y);
    AddCrossBand(first, at, at, Direction(p.degrees), h, pass.view);
    FillBand(pass, first, colour);

    const double last = std::floor((total - gap) / gap); // largest k with k G <= L - G, give or take rounding
    if (!(last >= 2))
        return;
    const auto& segments = measure.Segments();
    for (size_t i = 0; i < segments.size(); ++i) {
        const auto& seg = segments[i];
        const QPointF sa(seg.a.x, seg.a.y), sb(seg.b.x, seg.b.y);
        double lo = 0, hi = 0;
        if (!ReachOfSegment(sa, sb, h, 1, pass.view, lo, hi))
            continue;
        double kFrom = std::max(2.0, std::ceil((seg.start + lo) / gap));
        double kTo = std::min(last + 1, std::floor((seg.start + hi) / gap));
        if (i > 0 && kFrom * gap == seg.start)
            ++kFrom; // a line on the joint belongs to the earlier segment
        while (kTo >= kFrom && kTo * gap > total - gap)
            --kTo;
        if (!(kTo >= kFrom))
            continue;
        const QPointF t = Direction(seg.degrees);
        auto pointAt = [&](double d) {
            const double u = std::clamp(d - seg.start, 0.0, seg.length);
            return u < seg.length / 2 ? sa + t * u : sb - t * (seg.length - u);
        };
        // See-through lines 1 to 2 px apart show stripes where neighbours
        // overlap.
        const bool stripes = gap >= kFineGap && gap < 2 && (colour >> 24) != 0xFF;
        if (gap <= 2 && !stripes) {
            // Lines 2 px thick at most 2 px apart merge into one band.
            QPainterPath band;
            AddCrossBand(band, pointAt(kFrom * gap), pointAt(kTo * gap), t, h, pass.view);
            FillBand(pass, band, BuiltUp(colour, gap));
            continue;
        }
        // Lines at least 1 px apart overlap only their neighbours, so every
        // other line is filled at once: where the two sets overlap a
        // see-through colour builds up as it does for lines laid one by one.
        const long stride = stripes ? 2 : 1;
        const long count = static_cast<long>(kTo - kFrom);
        for (long first = 0; first < stride && first <= count; ++first) {
            QPainterPath lines;
            lines.setFillRule(Qt::WindingFill);
            for (long j = first; j <= count; j += stride) {
                const QPointF c = pointAt((kFrom + double(j)) * gap);
                AddCrossBand(lines, c, c, t, h, pass.view);
            }
            FillBand(pass, lines, colour);
        }
    }
}

QImage SubstituteIcon()
{
    QImage icon(kIcon, kIcon, QImage::Format_RGB32);
    icon.fill(kSubstituteEdge);
    QPainter p(&icon);
    p.fillRect(1, 1, kIcon - 2, kIcon - 2, QColor::fromRgb(kSubstituteFill));
    return icon;
}

} // namespace

void DrawDistanceMarkers(VectorPass& pass, const Scene& scene)
{
    const double gap = scene.settings.MarkerGap;
    if (!(gap > 0) || !std::isfinite(gap))
        return; // no meaningful spacing: no marks
    if (scene.settings.ShowDots != 0) {
        AddTrackPath(pass, scene.track);
        SetColour(pass, scene.settings.DotColor);
        StrokeDotted(pass, 7, gap, gap);
    } else {
        DrawCrossLines(pass, scene, gap);
    }
}

void DrawRLMarkers(QImage& canvas, const std::vector<RLMarker>& markers, const QImage& markerSheet)
{
    if (markers.empty() || canvas.isNull())
        return;
    const QImage sheet = OpaqueCopy(markerSheet);
    const QImage substitute = SubstituteIcon();
    QPainter p(&canvas);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (const RLMarker& m : markers) {
        QImage tile;
        if (m.type >= 1 && m.type <= 3)
            tile = CopyTile(sheet, (m.type - 1) * kIcon, 0, kIcon, kIcon);
        // Positions are 32-bit; keep the corner arithmetic in range.
        const long long x = static_cast<long long>(m.x) - kIcon / 2,
                        y = static_cast<long long>(m.y) - kIcon / 2;
        if (x < -kIcon || y < -kIcon || x > canvas.width() || y > canvas.height())
            continue;
        p.drawImage(int(x), int(y), tile.isNull() ? substitute : tile);
    }
}

} // namespace velmora
