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

void DrawRaceline(QPainter& p, const Raceline& line, const WorldFrame& frame, double scale)
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
    p.strokePath(whole, QPen(QColor(20, 20, 20), 5 * scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (std::size_t i = 0; i + (line.closed ? 0 : 1) < n; ++i) {
        const RacelineRow& a = line.rows[i];
        const RacelineRow& b = line.rows[(i + 1) % n];
        p.setPen(QPen(SpeedColour(a.vx, slow->vx, fast->vx), 3 * scale, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(OnCanvas(a, frame), OnCanvas(b, frame));
    }
    p.restore();
}

void DrawSpeedLegend(QPainter& p, double slowest, double fastest, double k)
{
    p.save();
    const QRectF box(12 * k, 12 * k, 210 * k, 58 * k);
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
