#pragma once

#include "render/redraw.h"
#include "core/track/path.h"
#include "core/track/track_model.h"

#include <QGuiApplication>
#include <QImage>
#include <string>
#include <vector>

namespace velmora::test {

// Fonts need a running QGuiApplication; the test program has none of its own.
inline void EnsureGuiApp()
{
    static int argc = 1;
    static char name[] = "velmora_render_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = QGuiApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    (void)app;
}

inline QImage Canvas(int w, int h)
{
    return QImage(w, h, QImage::Format_RGB32);
}

inline QImage Solid(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

// A track model with the given path and the length its cursor would hold.
inline TrackModel Track(const std::string& path)
{
    TrackModel model;
    model.TrackPath = path;
    model.cursor.length = PathMeasure(path).TotalLength();
    return model;
}

// Settings that make probes simple: a plain grey surface (no texture given),
// opaque white lines, nothing optional drawn unless a test turns it on.
inline Settings PlainSettings()
{
    Settings s;
    s.ShowBorder = 0;
    s.Markers = 0;
    s.LineColor = 0xFFFFFFFF;
    return s;
}

inline QRgb Rgb(ARGB c)
{
    return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

constexpr QRgb kGrey = 0xFF808080; // the surface without its texture

} // namespace velmora::test
