#include "render/image/canvas_picture.h"

#include <QColor>

namespace velmora {

QImage CanvasPicture(const QImage& canvas)
{
    if (canvas.isNull())
        return {};
    return canvas.convertToFormat(QImage::Format_RGB888);
}

void DrawEndMarks(QImage& canvas, const std::vector<RLPoint>& marks)
{
    constexpr int kRadius = 3;
    const QColor red(255, 0, 0);
    for (const RLPoint& m : marks) {
        for (int dy = -kRadius; dy <= kRadius; ++dy) {
            for (int dx = -kRadius; dx <= kRadius; ++dx) {
                if (dx * dx + dy * dy > kRadius * kRadius)
                    continue;
                const long long x = static_cast<long long>(m.x) + dx;
                const long long y = static_cast<long long>(m.y) + dy;
                if (x >= 0 && y >= 0 && x < canvas.width() && y < canvas.height())
                    canvas.setPixelColor(static_cast<int>(x), static_cast<int>(y), red);
            }
        }
    }
}

} // namespace velmora
