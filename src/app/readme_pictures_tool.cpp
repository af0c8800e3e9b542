// Picture tool: the README's pictures of the Simulator menu, taken from the
// editor's own main window and dialogs as a user meets them. Import Map is
// chosen from the menu over a map, its dialog answered as it comes, the
// race line shown; then Export for Simulators is opened over that track.
// Writes, into OUT_FOLDER:
//   import_map.png          the Import Map dialog over the map
//   import_map_window.png   the main window with the track and its race line
//   export_simulators.png   the Export for Simulators dialog
//   map_raceline.png        the race line over the map's cells, zoomed
// Usage: velmora_readme_pictures <MAP.yaml> <DATA_FOLDER> <OUT_FOLDER>, DATA_FOLDER the one
// holding Images/ (the build's bin folder)
#include "render/image/atomic_save.h"
#include "render/image/png_write.h"
#include "render/raceline_layer.h"
#include "ui/canvas_widget.h"
#include "ui/image_jobs.h"
#include "ui/raceline_overlay.h"
#include "ui/shell.h"
#include "ui/simulator_export_dialog.h"
#include "ui/startup.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace velmora {
namespace {

constexpr QSize kDisplay(1280, 800); // the display the main window is built for
constexpr int kZoom = 3;             // screen pixels a map cell: a lab track is a few hundred cells across
constexpr int kMargin = 24;          // cells of the map round the race line
constexpr int kLabelRoom = 60;       // more cells on the right, where the lap time's box may reach

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
    const WorldFrame zoomed{ws.frame->metresPerPixel / kZoom, ws.frame->X(part.left()),
                            ws.frame->Y(part.top())};
    DrawRaceline(painter, line, zoomed);
    const SpeedRange speeds = SpeedsOf(line);
    const QRectF whole(QPointF(), QSizeF(picture.size()));
    const QRectF legend = SpeedLegendRect(whole);
    DrawSpeedLegendAt(painter, speeds.slowest, speeds.fastest, 1, legend.topLeft());
    const QString text = overlay.Text();
    DrawRacelineNote(
        painter,
        RacelineLabelRect(whole, RacelineStart(line, zoomed), RacelineNoteSize(text), legend).topLeft(),
        text);
    return picture;
}

void Settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// Each round waits for the next event; the end of the work is one.
template <typename Busy> void WaitWhile(Busy busy)
{
    for (int round = 0; round < 100000 && busy(); ++round)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// The next dialog of type Dialog that opens (a command may first read its
// file in the background), taken as it shows, then answered: `fill` sets it
// up as the user would first.
template <typename Dialog, typename Fill> void AnswerNextDialog(QImage& grabbed, bool accept, Fill fill)
{
    auto* watch = new QTimer;
    QObject::connect(watch, &QTimer::timeout, [watch, &grabbed, accept, fill] {
        auto* dialog = dynamic_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        watch->stop();
        watch->deleteLater();
        fill(*dialog);
        Settle();
        grabbed = dialog->grab().toImage();
        accept ? dialog->accept() : dialog->reject();
    });
    watch->start(20);
}

struct Pictures {
    QImage importDialog, window, exportDialog, line;
};

// Simulator > Import Map over `map`, the dialog's choices as they come,
// then Show Race Line once the map is in; the window scrolled to the track.
bool ImportAndShowLine(Shell& shell, const QString& map, Pictures& out)
{
    shell.prompts.openFile = [map](const QString&, const QString&, const QString&) { return map; };
    AnswerNextDialog<QDialog>(out.importDialog, true, [](QDialog&) {});
    shell.HandleMenu(kCmdImportMap);
    WaitWhile([&shell] { return shell.imageJobs->Busy(); });
    if (!shell.ws.frame || !shell.ws.map || out.importDialog.isNull())
        return false;
    shell.HandleMenu(kCmdShowRaceline);
    WaitWhile([&shell] { return shell.raceline->Waiting(); });
    if (!shell.raceline->Line())
        return false;
    out.line = LinePicture(shell.ws, *shell.raceline);
    SyncCanvas(shell.ws);
    shell.canvas->update();
    Settle();
    out.window = shell.mainWindow->grab().toImage();
    return true;
}

// Simulator > Export for Simulators over the imported track, named and with
// the outputs a team takes to the F1TENTH gym ticked; then cancelled.
void OpenExport(Shell& shell, Pictures& out)
{
    SimulatorExport initial;
    initial.choices.outputs = {"png", "centreline", "raceline", "ros-map", "gazebo"};
    initial.folder = QDir::homePath() + "/tracks/hangar";
    shell.ws.simulatorExport = initial;
    AnswerNextDialog<SimulatorExportDialog>(out.exportDialog, false,
                                            [](SimulatorExportDialog& d) { d.name->setText("hangar"); });
    shell.HandleMenu(kCmdExportSimulators);
}

bool Save(const QImage& picture, const QString& path)
{
    const Result<std::string> png = EncodePng(picture);
    if (png && SaveBytes(path, *png).ok())
        return true;
    std::fprintf(stderr, "velmora_readme_pictures: could not write %s\n", qPrintable(path));
    return false;
}

int Run(const QString& map, const QString& data, const QString& out)
{
    Workspace ws;
    SetDataFolders(ws, QDir::tempPath(), data);
    ws.logicalDpi = 96;
    Shell shell(std::move(ws), kDisplay);
    bool failed = false;
    shell.prompts.message = shell.prompts.warning = [&failed](const QString&, const QString& text) {
        std::fprintf(stderr, "velmora_readme_pictures: %s\n", qPrintable(text));
        failed = true;
    };
    LoadAssets(shell.ws, shell.prompts);
    LoadFonts(shell.ws.assets, shell.ws.settings, shell.ws.logicalDpi);
    shell.ws.editor.model.StartAngle = -1;
    RequestRedraw(shell.ws.editor, shell.ws.settings);
    SyncCanvas(shell.ws);
    shell.Show();
    Settle();
    Pictures pictures;
    if (failed || !ImportAndShowLine(shell, map, pictures) || failed)
        return 1;
    OpenExport(shell, pictures);
    if (pictures.exportDialog.isNull())
        return 1;
    const bool saved = Save(pictures.importDialog, out + "/import_map.png") &&
                       Save(pictures.window, out + "/import_map_window.png") &&
                       Save(pictures.exportDialog, out + "/export_simulators.png") &&
                       Save(pictures.line, out + "/map_raceline.png");
    return saved ? 0 : 1;
}

} // namespace
} // namespace velmora

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: velmora_readme_pictures <MAP.yaml> <DATA_FOLDER> <OUT_FOLDER>\n");
        return 2;
    }
    QApplication app(argc, argv);
    return velmora::Run(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
                        QString::fromLocal8Bit(argv[3]));
}
