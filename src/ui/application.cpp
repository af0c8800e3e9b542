#include "ui/application.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QScreen>
#include <cstdio>
#include <memory>

#include "ui/app_icon.h"
#include "ui/fault_handler.h"
#include "ui/failure_report.h"
#include "ui/shell.h"
#include "ui/source_position.h"
#include "ui/startup.h"
#include "core/settings/prefs_file.h"

namespace velmora {
namespace {

void WarnMissingPrefs()
{
    if (BoxesGoToStderr()) {
        std::fputs("Missing|The Preferences file is missing\n", stderr);
        return;
    }
    QMessageBox box(QMessageBox::Warning, "Missing", "The Preferences file is missing", QMessageBox::Ok);
    box.exec();
}

}  // namespace

int RunApplication(int argc, char** argv)
{
    if (RunFaultBoxIfAsked(argc, argv))
        return 0;
    InstallFaultHandler();
    VELMORA_HERE();
    QApplication app(argc, argv);
    QApplication::setWindowIcon(AppIcon());

    // The preferences are read from the folder they are saved to: the
    // working folder as the program's name decides it.
    const QString workFolder = WorkingFolder(QCoreApplication::applicationFilePath(), QDir::currentPath());
    Workspace ws;
    const PrefsLoad prefs = LoadPrefs(QDir(workFolder).filesystemAbsolutePath());
    ws.settings = prefs.settings;
    if (prefs.missing)
        WarnMissingPrefs();
    QDir::setCurrent(workFolder);
    SetDataFolders(ws, workFolder);

    VELMORA_HERE();
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        ReportFatal(ReportText("could not examine desktops", "", 119));
    ws.logicalDpi = screen->logicalDotsPerInchY();

    auto shell = std::make_unique<Shell>(std::move(ws), screen->size());
    Workspace& w = shell->ws;
    LoadAssets(w, shell->prompts);
    LoadFonts(w.assets, w.settings, w.logicalDpi);
    w.editor.model.StartAngle = -1;
    RequestRedraw(w.editor, w.settings);
    SyncCanvas(w);
    shell->Show();
    return app.exec();
}

}  // namespace velmora
