#include "render/raceline_layer.h"

#include <QFont>
#include <QFontMetricsF>
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
    return QColor(255, channel(2 * t), channel(2 * t - 1));
}

void DrawRaceline(QPainter& p, const Raceline& line, const WorldFrame& frame)
{
    const std::size_t n = line.rows.size();
    if (n == 0)
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const auto [slow, fast] = std::minmax_element(line.rows.begin(), line.rows.end(),
                                                  [](const auto& a, const auto& b) { return a.vx < b.vx; });
    QPainterPath whole;
    whole.moveTo(OnCanvas(line.rows[0], frame));
    for (std::size_t i = 1; i < n; ++i)
        whole.lineTo(OnCanvas(line.rows[i], frame));
    if (line.closed)
        whole.closeSubpath();
    p.strokePath(whole, QPen(QColor(20, 20, 20), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (std::size_t i = 0; i + (line.closed ? 0 : 1) < n; ++i) {
        const RacelineRow& a = line.rows[i];
        const RacelineRow& b = line.rows[(i + 1) % n];
        p.setPen(QPen(SpeedColour(a.vx, slow->vx, fast->vx), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(OnCanvas(a, frame), OnCanvas(b, frame));
    }
    p.restore();
}

void DrawRacelineNote(QPainter& p, QPointF at, const QString& text)
{
    if (text.isEmpty())
        return;
    p.save();
    QFont font = p.font();
    font.setPixelSize(13);
    p.setFont(font);
    const QRectF box(at, QFontMetricsF(font).size(Qt::TextSingleLine, text) + QSizeF(12, 6));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawRect(box);
    p.setPen(Qt::black);
    p.drawText(box, Qt::AlignCenter, text);
    p.restore();
}

void DrawRacelineLabel(QPainter& p, const Raceline& line, const WorldFrame& frame, const QString& text)
{
    if (line.rows.empty())
        return;
    // Above and right of the start, clear of the line's first stretch.
    DrawRacelineNote(p, OnCanvas(line.rows[0], frame) + QPointF(12, -36), text);
}

} // namespace velmora
