#include "render/raceline_layer.h"

#include "core/formats/number_text.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

QPointF OnCanvas(const RacelineRow& r, const WorldFrame& frame)
{
    return {frame.CanvasX(r.x), frame.CanvasY(r.y)};
}

} // namespace

QColor SpeedColour(double v, double slowest, double fastest)
{
    const double t = fastest > slowest ? std::clamp((v - slowest) / (fastest - slowest), 0.0, 1.0) : 1.0;
    const auto channel = [](double x) {
        return static_cast<int>(std::lround(255 * std::clamp(x, 0.0, 1.0)));
    };
    if (t <= 0.5)
        return QColor(255, channel(2 * t), 0);
    const double u = 2 * t - 1; // yellow (1, 1, 0) to sky blue (0, 0.67, 1)
    return QColor(channel(1 - u), channel(1 - u / 3), channel(u));
}

SpeedRange SpeedsOf(const Raceline& line)
{
    if (line.rows.empty())
        return {};
    const auto [slow, fast] = std::minmax_element(line.rows.begin(), line.rows.end(),
                                                  [](const auto& a, const auto& b) { return a.vx < b.vx; });
    return {slow->vx, fast->vx};
}

void DrawRaceline(QPainter& p, const Raceline& line, const WorldFrame& frame, double scale)
{
    const std::size_t n = line.rows.size();
    if (n == 0)
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const SpeedRange speeds = SpeedsOf(line);
    QPainterPath whole;
    whole.moveTo(OnCanvas(line.rows[0], frame));
    for (std::size_t i = 1; i < n; ++i)
        whole.lineTo(OnCanvas(line.rows[i], frame));
    if (line.closed)
        whole.closeSubpath();
    p.strokePath(whole, QPen(QColor(20, 20, 20), 5 * scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (std::size_t i = 0; i + (line.closed ? 0 : 1) < n; ++i) {
        const RacelineRow& a = line.rows[i];
        const RacelineRow& b = line.rows[(i + 1) % n];
        p.setPen(QPen(SpeedColour(a.vx, speeds.slowest, speeds.fastest), 3 * scale, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(OnCanvas(a, frame), OnCanvas(b, frame));
    }
    p.restore();
}

QSizeF SpeedLegendSize(double k)
{
    return {210 * k, 58 * k};
}

void DrawSpeedLegend(QPainter& p, double slowest, double fastest, double k)
{
    DrawSpeedLegendAt(p, slowest, fastest, k, QPointF(12 * k, 12 * k));
}

void DrawSpeedLegendAt(QPainter& p, double slowest, double fastest, double k, QPointF at)
{
    p.save();
    const QRectF box(at, SpeedLegendSize(k));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawRect(box);
    const double inset = 10 * k;
    QLinearGradient ramp(box.left() + inset, 0, box.right() - inset, 0);
    for (int i = 0; i <= 6; ++i)
        ramp.setColorAt(i / 6.0, SpeedColour(slowest + (fastest - slowest) * i / 6, slowest, fastest));
    p.setBrush(ramp);
    p.drawRect(QRectF(box.left() + inset, box.top() + inset, box.width() - 2 * inset, 14 * k));
    p.setPen(Qt::black);
    QFont font = p.font();
    font.setPixelSize(std::max(8, static_cast<int>(std::lround(13 * k))));
    p.setFont(font);
    const QRectF labels(box.left() + inset, box.top() + 28 * k, box.width() - 2 * inset, 22 * k);
    p.drawText(labels, Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(FormatFixed(slowest, 1) + " m/s"));
    p.drawText(labels, Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(FormatFixed(fastest, 1) + " m/s"));
    p.restore();
}

namespace {

constexpr int kNotePixels = 13;
constexpr double kMargin = 8; // between a box and the edge of the view

QFont NoteFont(QFont font)
{
    font.setPixelSize(kNotePixels);
    return font;
}

// The offset of `low` (and the box's size) that keeps [low, low + size]
// inside [from, to] with the margin.
double Within(double low, double size, double from, double to)
{
    return std::max(from + kMargin, std::min(low, to - kMargin - size));
}

} // namespace

QRectF PlaceLabel(const QRectF& visible, QPointF anchor, QSizeF size)
{
    // Above and right of the start, clear of the line's first stretch.
    const QPointF wanted = anchor + QPointF(12, -36);
    return {Within(wanted.x(), size.width(), visible.left(), visible.right()),
            Within(wanted.y(), size.height(), visible.top(), visible.bottom()), size.width(), size.height()};
}

QRectF SpeedLegendRect(const QRectF& visible)
{
    const QSizeF size = SpeedLegendSize(1);
    return {QPointF(visible.left() + kMargin, visible.bottom() - kMargin - size.height()), size};
}

QRectF RacelineLabelRect(const QRectF& visible, QPointF start, QSizeF size, const QRectF& avoid)
{
    QRectF placed = PlaceLabel(visible, start, size);
    if (placed.intersects(avoid))
        placed.moveBottom(avoid.top() - kMargin);
    if (placed.top() < visible.top() + kMargin) // no room above: beside it
        placed = PlaceLabel(visible, QPointF(avoid.right() + kMargin - 12, start.y()), size);
    return placed;
}

QSizeF RacelineNoteSize(const QString& text)
{
    return QFontMetricsF(NoteFont(QFont())).size(Qt::TextSingleLine, text) + QSizeF(12, 6);
}

QPointF RacelineStart(const Raceline& line, const WorldFrame& frame)
{
    return line.rows.empty() ? QPointF() : OnCanvas(line.rows[0], frame);
}

void DrawRacelineNote(QPainter& p, QPointF at, const QString& text)
{
    if (text.isEmpty())
        return;
    p.save();
    const QFont font = NoteFont(QFont());
    p.setFont(font);
    const QRectF box(at, QFontMetricsF(font).size(Qt::TextSingleLine, text) + QSizeF(12, 6));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawRect(box);
    p.setPen(Qt::black);
    p.drawText(box, Qt::AlignCenter, text);
    p.restore();
}

} // namespace velmora
