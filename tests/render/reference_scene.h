#pragma once

// The reference scene shared by the picture test and the redraw benchmark: a
// closed circuit of n points on the default 2048 x 2048 canvas with kerbs and
// dots, a 1024 x 1024 template, 50 labels and 100 RL markers.
#include "render/image/image_load.h"
#include "render/redraw.h"
#include "core/track/path.h"
#include "core/track/track_model.h"

#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <string>

namespace velmora::reference {

inline QPointF CircuitPoint(double t)
{
    const double a = t * 2 * M_PI;
    const double r = 640 + 150 * std::sin(3 * a) + 70 * std::cos(5 * a + 0.7) + 40 * std::sin(8 * a);
    return {1024 + 1.12 * r * std::cos(a), 1024 + 0.95 * r * std::sin(a)};
}

// Whole pixels as the editor writes them while they are far enough apart;
// a dense circuit keeps two decimals, as a loaded file may.
inline std::string CircuitPath(int points)
{
    const bool dense = points > 2000;
    std::string path;
    char buf[64];
    for (int i = 0; i < points; ++i) {
        const QPointF p = CircuitPoint(double(i) / points);
        if (dense)
            std::snprintf(buf, sizeof buf, "%c %.2f %.2f ", i == 0 ? 'M' : 'L', p.x(), p.y());
        else
            std::snprintf(buf, sizeof buf, "%c %.0f %.0f ", i == 0 ? 'M' : 'L', p.x(), p.y());
        path += buf;
    }
    return path + "Z";
}

inline TrackModel Circuit(int points)
{
    TrackModel model;
    model.TrackPath = CircuitPath(points);
    model.cursor.length = PathMeasure(model.TrackPath).TotalLength();
    const QPointF a = CircuitPoint(0), b = CircuitPoint(1.0 / points);
    model.StartAngle = int(std::lround(std::atan2(b.y() - a.y(), b.x() - a.x()) * 180 / M_PI));
    for (int i = 0; i < 50; ++i) {
        const QPointF p = CircuitPoint((i + 0.5) / 50);
        const QPointF c(1024, 1024);
        const QPointF at = c + (p - c) * (i % 2 ? 1.18 : 0.8);
        model.labels.push_back({"T" + std::to_string(i + 1), int(at.x()) - 12, int(at.y()) - 10, 1 + i % 3});
    }
    for (int i = 0; i < 100; ++i) {
        const QPointF p = CircuitPoint((i + 0.25) / 100);
        model.markers.push_back({1 + i % 3, int(p.x()) + (i % 2 ? 30 : -30), int(p.y())});
    }
    return model;
}

// A stand-in for a traced photo: soft fields and a faint grid.
inline QImage TemplatePicture()
{
    QImage image(1024, 1024, QImage::Format_RGB32);
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x) {
            const int g = 110 + int(25 * std::sin(x / 97.0) * std::cos(y / 131.0));
            const bool grid = x % 128 == 0 || y % 128 == 0;
            image.setPixel(x, y, grid ? qRgb(70, 120, 70) : qRgb(g - 30, g + 20, g - 40));
        }
    return image;
}

inline Settings KerbSettings()
{
    Settings s;
    s.RedWhite = 1;
    s.ShowBorder = 1;
    s.Markers = 1;
    s.ShowDots = 1;
    return s;
}

// The pictures the program ships with, and the label fonts at 96 DPI.
// VELMORA_ASSETS names the repository's assets folder.
inline RenderAssets ShippedAssets(const Settings& s)
{
    RenderAssets assets;
    const QString folder = QStringLiteral(VELMORA_ASSETS "/Images/");
    assets.surface = LoadImg(folder + "surface.png").image;
    assets.start = LoadImg(folder + "start.png").image;
    assets.marker = LoadImg(folder + "marker.png").image;
    LoadFonts(assets, s, 96);
    return assets;
}

} // namespace velmora::reference
