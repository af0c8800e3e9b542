// Draws the three pictures the program paints with and writes them as PNG:
//   surface.png  asphalt texture that repeats without seams
//   start.png    chequered start strip; its width is the strip's length
//   marker.png   three 16 x 16 marker icons side by side (types 1, 2, 3)
// Everything is generated from fixed seeds, so a rerun gives the same files.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kSurface = 128;

// Periodic value noise: a random lattice of `cells` x `cells` values that
// wraps around, smoothly interpolated, so the texture tiles seamlessly.
std::vector<double> PeriodicNoise(int size, int cells, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> dist(0, 1);
    std::vector<double> lattice(cells * cells);
    for (double& v : lattice)
        v = dist(rng);
    std::vector<double> out(size * size);
    const double step = double(size) / cells;
    auto smooth = [](double t) { return t * t * (3 - 2 * t); };
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double fx = x / step, fy = y / step;
            const int x0 = int(fx) % cells, y0 = int(fy) % cells;
            const int x1 = (x0 + 1) % cells, y1 = (y0 + 1) % cells;
            const double tx = smooth(fx - std::floor(fx)), ty = smooth(fy - std::floor(fy));
            const double a = lattice[y0 * cells + x0] * (1 - tx) + lattice[y0 * cells + x1] * tx;
            const double b = lattice[y1 * cells + x0] * (1 - tx) + lattice[y1 * cells + x1] * tx;
            out[y * size + x] = a * (1 - ty) + b * ty;
        }
    return out;
}

QImage Surface()
{
    const auto coarse = PeriodicNoise(kSurface, 8, 11);
    const auto medium = PeriodicNoise(kSurface, 32, 23);
    std::mt19937 rng(37);
    std::normal_distribution<double> grain(0, 7);
    std::uniform_real_distribution<double> uni(0, 1);
    QImage image(kSurface, kSurface, QImage::Format_RGB32);
    for (int y = 0; y < kSurface; ++y)
        for (int x = 0; x < kSurface; ++x) {
            const int i = y * kSurface + x;
            double v = 78 + 14 * (coarse[i] - 0.5) + 10 * (medium[i] - 0.5) + grain(rng);
            const double r = uni(rng);
            if (r < 0.012)
                v += 38; // light aggregate stones
            else if (r < 0.03)
                v -= 22; // dark pits
            const int g = std::clamp(int(v), 30, 170);
            image.setPixel(x, y, qRgb(g, g, std::min(255, g + 4)));
        }
    return image;
}

QImage Start()
{
    // 6 x 8 squares of 6 px: even counts both ways, so the copies of the
    // picture continue the chequer wherever the strip's pattern is anchored.
    constexpr int square = 6, columns = 6, rows = 8;
    QImage image(columns * square, rows * square, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const bool dark = ((x / square) + (y / square)) % 2 == 1;
            image.setPixel(x, y, dark ? qRgb(20, 20, 20) : qRgb(245, 245, 245));
        }
    return image;
}

void DrawStop(QPainter& p, QPointF c)
{
    QPolygonF octagon;
    for (int i = 0; i < 8; ++i) {
        const double a = (22.5 + 45 * i) * M_PI / 180;
        octagon << c + QPointF(7.4 * std::cos(a), 7.4 * std::sin(a));
    }
    p.setPen(QPen(Qt::white, 1.2));
    p.setBrush(QColor(214, 30, 36));
    p.drawPolygon(octagon);
    p.fillRect(QRectF(c.x() - 4, c.y() - 1, 8, 2), Qt::white);
}

void DrawHazard(QPainter& p, QPointF c)
{
    QPolygonF triangle;
    triangle << c + QPointF(0, -7.2) << c + QPointF(7.4, 6.4) << c + QPointF(-7.4, 6.4);
    p.setPen(QPen(QColor(30, 30, 30), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(255, 200, 20));
    p.drawPolygon(triangle);
    p.fillRect(QRectF(c.x() - 0.9, c.y() - 3, 1.8, 5), QColor(30, 30, 30));
    p.fillRect(QRectF(c.x() - 0.9, c.y() + 3.3, 1.8, 1.7), QColor(30, 30, 30));
}

void DrawTurn(QPainter& p, QPointF c)
{
    p.setPen(QPen(Qt::white, 1.2));
    p.setBrush(QColor(30, 110, 220));
    p.drawEllipse(c, 7.2, 7.2);
    QPainterPath arrow;
    arrow.moveTo(c + QPointF(-3, 4));
    arrow.lineTo(c + QPointF(-3, -1));
    arrow.lineTo(c + QPointF(1.5, -1));
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arrow);
    QPolygonF head;
    head << c + QPointF(1, -4.5) << c + QPointF(5, -1) << c + QPointF(1, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(head);
}

QImage Markers()
{
    QImage image(48, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        DrawStop(p, {8, 8});
        DrawHazard(p, {24, 8.2});
        DrawTurn(p, {40, 8});
    }
    // The icons are also copied without their alpha; keep a dark tile colour
    // under the transparent pixels so that copy looks like a badge, not noise.
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const QColor tile(38, 38, 42);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QColor c = QColor::fromRgba(out.pixel(x, y));
            const double a = c.alphaF();
            auto mix = [a](int v, int under) { return int(std::lround(v * a + under * (1 - a))); };
            out.setPixel(x, y,
                         qRgba(mix(c.red(), tile.red()), mix(c.green(), tile.green()),
                               mix(c.blue(), tile.blue()), c.alpha()));
        }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const bool ok = Surface().save(folder + "/surface.png", "PNG") &&
                    Start().save(folder + "/start.png", "PNG") &&
                    Markers().save(folder + "/marker.png", "PNG");
    if (!ok)
        std::fprintf(stderr, "could not write the pictures to %s\n", qPrintable(folder));
    return ok ? 0 : 1;
}
