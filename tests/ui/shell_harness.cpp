#include "ui/shell_harness.h"

#include "ui/canvas_widget.h"
#include "ui/image_jobs.h"
#include "ui/startup.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QTest>

namespace velmora {

ShellHarness::ShellHarness(const Settings& settings, QSize display)
{
    Workspace w;
    w.settings = settings;
    SetDataFolders(w, work.path());
    QDir(work.path()).mkpath("Images");
    QDir(work.path()).mkpath("Tracks");
    for (const char* name : {"surface.png", "start.png", "marker.png"})
        QFile::copy(QString(VELMORA_ASSETS "/Images/") + name, w.imagesFolder + name);

    shell_ = std::make_unique<Shell>(std::move(w), display);
    Prompts& p = shell_->prompts;
    p.message = [this](const QString& title, const QString& text) { boxes << title + "|" + text; };
    p.warning = p.message;
    p.confirm = [this](const QString&) { return answerConfirm(); };
    p.saveFile = [this](const QString&, const QString&, const QString&) {
        return answerSave ? answerSave() : QString();
    };
    p.openFile = [this](const QString&, const QString&, const QString&) {
        return answerOpen ? answerOpen() : QString();
    };
    p.toClipboard = [](const QImage&, const QByteArray&) {};
    p.chooseColour = [](const QColor&) { return std::optional<QColor>(); };
    // Import Map takes what it offers, as a user who only presses Import.
    p.chooseMapImport = [](const QImage&, const WorldFrame&, const MapImportChoice& initial) {
        return std::optional<MapImportChoice>(initial);
    };
    shell_->shutdown = [this] { ++shutdowns; };

    // What start-up does once the windows stand.
    Workspace& ws = shell_->ws;
    LoadAssets(ws, p);
    LoadFonts(ws.assets, ws.settings, ws.logicalDpi);
    ws.editor.model.StartAngle = -1;
    RequestRedraw(ws.editor, ws.settings);
    SyncCanvas(ws);
    shell_->Show();
}

void ShellHarness::ClickCanvas(QPoint p, Qt::MouseButton button)
{
    CanvasWidget* canvas = shell_->canvas;
    QCursor::setPos(canvas->mapToGlobal(p));
    shell_->AfterEvent();
    QTest::mouseClick(canvas, button, {}, p);
    shell_->AfterEvent();
}

void ShellHarness::Spin()
{
    QApplication::processEvents(QEventLoop::AllEvents, 50);
}

void ShellHarness::WaitForPictures()
{
    while (shell_->imageJobs->Busy())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

} // namespace velmora
