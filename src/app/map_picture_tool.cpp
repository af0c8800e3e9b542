// Picture tool: a map imported as Simulator > Import Map does, with the race
// line over the map's own picture as Show Race Line draws it; optionally the
// Import Map dialog over the same map. Makes the README's picture.
// Usage: velmora_map_picture <MAP.yaml> <picture.png> [dialog.png]
#include <QApplication>
#include <QPainter>
#include <algorithm>
#include <cstdio>

#include "render/image/atomic_save.h"
#include "render/image/png_write.h"
#include "render/raceline_layer.h"
#include "ui/map_import_dialog.h"
#include "ui/raceline_overlay.h"
#include "ui/simulator_commands.h"

namespace velmora {
namespace {

constexpr int kZoom = 3;    // screen pixels a map cell: a lab track is a few hundred cells across
constexpr int kMargin = 24; // cells of the map round the race line
constexpr int kLabelRoom = 60; // more cells on the right, where the lap time's box may reach

// The part of the map round the line, in map cells; beyond the map's
// edge it is black.
QRect AroundLine(const Raceline& line, const WorldFrame& frame)
{
    QRectF box;
    for (const RacelineRow& row : line.rows)
        box |= QRectF(frame.CanvasX(row.x), frame.CanvasY(row.y), 1, 1);
    return box.toAlignedRect().adjusted(-kMargin, -kMargin, kMargin + kLabelRoom, kMargin);
}

// The map's cells zoomed, and the line drawn at its usual strokes in a
// frame zoomed alike, so it reads as it does over the editor's canvas.
QImage LinePicture(const Workspace& ws, const RacelineOverlay& overlay)
{
    const Raceline& line = *overlay.Line();
    const QRect part = AroundLine(line, *ws.frame);
    QImage picture(part.size() * kZoom, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.drawImage(QRect(QPoint(), picture.size()), ws.map->picture.copy(part));
    painter.setRenderHint(QPainter::Antialiasing);
    const WorldFrame zoomed{ws.frame->metresPerPixel / kZoom, ws.frame->X(part.left()), ws.frame->Y(part.top())};
    DrawRaceline(painter, line, zoomed);
    const SpeedRange speeds = SpeedsOf(line);
    const QRectF whole(QPointF(), QSizeF(picture.size()));
    const QRectF legend = SpeedLegendRect(whole);
    DrawSpeedLegendAt(painter, speeds.slowest, speeds.fastest, 1, legend.topLeft());
    const QString text = overlay.Text();
    DrawRacelineNote(painter,
                     RacelineLabelRect(whole, RacelineStart(line, zoomed), RacelineNoteSize(text), legend).topLeft(),
                     text);
    return picture;
}

bool Save(const QImage& picture, const char* path)
{
    const Result<std::string> png = EncodePng(picture);
    return png && SaveBytes(QString::fromLocal8Bit(path), *png).ok();
}

} // namespace
} // namespace velmora

int main(int argc, char** argv)
{
    using namespace velmora;
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: velmora_map_picture <MAP.yaml> <picture.png> [dialog.png]\n");
        return 2;
    }
    QApplication app(argc, argv);
    const QString map = QString::fromLocal8Bit(argv[1]);
    Workspace ws;
    Prompts prompts;
    bool failed = false;
    prompts.openFile = [map](const QString&, const QString&, const QString&) { return map; };
    prompts.message = [&failed](const QString&, const QString& text) {
        std::fprintf(stderr, "velmora_map_picture: %s\n", qPrintable(text));
        failed = true;
    };
    prompts.chooseMapImport = [argc, argv](const QImage& picture, const WorldFrame& frame,
                                           const MapImportChoice& initial) {
        MapImportChoice choice = initial;
        choice.measuredWidth = true;
        if (argc == 4) {
            MapImportDialog dialog(picture, frame, choice, nullptr);
            Save(dialog.grab().toImage(), argv[3]);
        }
        return std::optional<MapImportChoice>(choice);
    };
    ImportMap(ws, prompts); // no worker: done when it returns
    if (failed || !ws.frame || !ws.map)
        return 1;
    RacelineOverlay overlay([] {});
    overlay.SetShown(true, ws);
    for (int round = 0; round < 100000 && overlay.Waiting(); ++round)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (!overlay.Line()) {
        std::fprintf(stderr, "velmora_map_picture: no race line: %s\n", qPrintable(overlay.Text()));
        return 1;
    }
    return Save(LinePicture(ws, overlay), argv[2]) ? 0 : 1;
}
