#pragma once

#include <QImage>
#include <QPainter>

namespace velmora {

// Something on the canvas for the PNG encoder to work at: a blank canvas
// compresses in no time.
inline void PaintLines(QImage& canvas)
{
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 42));
    for (int i = 0; i < 40; ++i)
        p.drawLine(0, i * 200, canvas.width(), canvas.height() - i * 150);
}

} // namespace velmora
