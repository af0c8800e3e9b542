#include "ui/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace velmora {
namespace {

QPixmap DrawIcon(int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 256.0, side / 256.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3a, 0x9e, 0x28));
    p.drawRoundedRect(QRectF(8, 8, 240, 240), 36, 36);

    QPainterPath track;
    track.moveTo(64, 176);
    track.lineTo(64, 96);
    track.quadTo(64, 64, 96, 64);
    track.lineTo(168, 64);
    track.quadTo(200, 64, 200, 96);
    track.lineTo(200, 120);
    track.quadTo(200, 148, 172, 152);
    track.lineTo(128, 156);
    track.quadTo(104, 160, 112, 184);
    track.lineTo(116, 192);
    track.quadTo(120, 200, 104, 200);
    track.lineTo(88, 200);
    track.quadTo(64, 200, 64, 176);
    track.closeSubpath();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 30, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(track);
    p.setPen(QPen(QColor(0x6e, 0x6e, 0x6e), 22, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(track);
    p.setPen(QPen(Qt::white, 2, Qt::DashLine));
    p.drawPath(track);
    p.fillRect(QRectF(52, 128, 24, 6), Qt::white);
    p.fillRect(QRectF(52, 134, 24, 6), Qt::black);
    return pixmap;
}

}  // namespace

QIcon AppIcon()
{
    QIcon icon;
    for (int side : {16, 32, 48, 64, 128, 256})
        icon.addPixmap(DrawIcon(side));
    return icon;
}

}  // namespace velmora
