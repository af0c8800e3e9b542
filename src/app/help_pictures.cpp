#include "app/help_pictures.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QMainWindow>
#include <array>

#include "render/image/image_load.h"
#include "ui/canvas_widget.h"
#include "ui/options_window.h"
#include "ui/raceline_overlay.h"
#include "ui/shell.h"

namespace velmora {
namespace {

// The display the windows are built for: small enough that the pictures
// stay readable on a page.
constexpr QSize kDisplay(1280, 800);

// Corners of the example circuit in canvas pixels, clockwise from the start;
// it fits the part of the canvas the main window shows.
constexpr std::array<QPoint, 9> kCircuit{{{160, 110}, {520, 110}, {780, 160}, {900, 290}, {860, 430},
                                          {660, 490}, {380, 490}, {200, 410}, {130, 250}}};

bool LoadImages(RenderAssets& assets, const QString& folder)
{
    const std::array<std::pair<const char*, QImage*>, 3> files{
        {{"surface.png", &assets.surface}, {"start.png", &assets.start}, {"marker.png", &assets.marker}}};
    for (const auto& [name, image] : files) {
        LoadedImage loaded = LoadImg(folder + "/" + name);
        if (loaded.status != ImageLoadStatus::Loaded)
            return false;
        *image = std::move(loaded.image);
    }
    return true;
}

void Settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// Clicks the way a user does: the pointer moves there, the window takes its
// sample, then the click.
void ClickCanvas(Shell& shell, QPoint at)
{
    QCursor::setPos(shell.canvas->mapToGlobal(at));
    shell.AfterEvent();
    shell.HandleCanvasClick(Qt::LeftButton);
    shell.AfterEvent();
}

// The main window halfway through drawing the circuit, the pointer resting
// where the next corner goes, so the status bar shows its readout.
QImage MainWindowPicture(Shell& shell)
{
    shell.Show();
    Settle();
    for (std::size_t i = 0; i < 6; ++i)
        ClickCanvas(shell, kCircuit[i]);
    QCursor::setPos(shell.canvas->mapToGlobal(kCircuit[6]));
    shell.AfterEvent();
    SyncCanvas(shell.ws);
    shell.canvas->update();
    Settle();
    return shell.mainWindow->grab().toImage();
}

// The circuit of the main window's picture closed, with its race line shown
// over the canvas once it is worked out.
QImage RacelinePicture(Shell& shell)
{
    for (std::size_t i = 6; i < kCircuit.size(); ++i)
        ClickCanvas(shell, kCircuit[i]);
    shell.HandleMenu(kCmdCloseLoop);
    shell.HandleMenu(kCmdShowRaceline);
    // Each round waits for the next event; the line's arrival is one.
    for (int round = 0; round < 10000 && shell.raceline->Waiting(); ++round)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    SyncCanvas(shell.ws);
    shell.canvas->update();
    Settle();
    QImage picture = shell.canvas->grab(QRect(0, 0, 1040, 600)).toImage();
    shell.HandleMenu(kCmdShowRaceline);
    return picture;
}

QImage OptionsPicture(Shell& shell)
{
    shell.optionsWindow->show();
    Settle();
    QImage picture = shell.optionsWindow->grab().toImage();
    shell.optionsWindow->hide();
    return picture;
}

void PlaceLabel(Editor& ed, const Settings& s, const QFont& font, const QString& text, int size, QPoint at)
{
    const QFontMetrics metrics(font);
    SamplePointer(ed, at.x(), at.y());
    PlaceText(ed, s, text.toStdString(), size, metrics.horizontalAdvance(text), metrics.height());
}

// The finished circuit as Export Image draws it, with red/white kerbs, dot
// markers, labels of all three sizes and one RL marker of each type.
QImage FinishedTrackPicture(RenderAssets assets)
{
    Settings s;
    s.RedWhite = 1;
    s.CanvasWidth = 1040;
    s.CanvasHeight = 600;
    LoadFonts(assets, s, 96);
    Editor ed;
    ed.model.StartAngle = -1;
    for (const QPoint p : kCircuit) {
        SamplePointer(ed, p.x(), p.y());
        HandleLeftClick(ed, s);
    }
    CloseLoop(ed, s);
    PlaceLabel(ed, s, assets.largeFont, "Velmora Ring", 3, {520, 300});
    PlaceLabel(ed, s, assets.mediumFont, "Hairpin", 2, {960, 300});
    PlaceLabel(ed, s, assets.smallFont, "pit exit", 1, {300, 60});
    for (const auto& [type, at] :
         {std::pair{1, QPoint(650, 110)}, {2, QPoint(880, 360)}, {3, QPoint(300, 490)}}) {
        SamplePointer(ed, at.x(), at.y());
        AddRLMarker(ed, type);
    }
    QImage canvas(CanvasSide(s.CanvasWidth), CanvasSide(s.CanvasHeight), QImage::Format_RGB32);
    RedrawCanvas(canvas, ed.model, s, assets, QImage());
    return canvas;
}

}  // namespace

std::vector<HelpPicture> MakeHelpPictures(const QString& imagesFolder)
{
    RenderAssets assets;
    if (!LoadImages(assets, imagesFolder))
        return {};

    Workspace ws;
    ws.assets = assets;
    LoadFonts(ws.assets, ws.settings, ws.logicalDpi);
    ws.editor.model.StartAngle = -1;
    Shell shell(std::move(ws), kDisplay);
    RequestRedraw(shell.ws.editor, shell.ws.settings);
    SyncCanvas(shell.ws);

    std::vector<HelpPicture> pictures;
    pictures.push_back({"main_window.png", MainWindowPicture(shell)});
    pictures.push_back({"raceline.png", RacelinePicture(shell)});
    pictures.push_back({"options_window.png", OptionsPicture(shell)});
    pictures.push_back({"finished_track.png", FinishedTrackPicture(assets)});
    return pictures;
}

}  // namespace velmora
