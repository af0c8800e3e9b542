#include "ui/application.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "ui/app_icon.h"
#include "ui/fault_handler.h"
#include "ui/failure_report.h"
#include "ui/options_window.h"
#include "ui/shell.h"
#include "ui/source_position.h"
#include "ui/startup.h"
#include "core/settings/prefs_file.h"

namespace velmora {
namespace {

// A box of the start-up, shown before the main window exists.
void StartupBox(QMessageBox::Icon icon, const QString& title, const QString& text)
{
    if (BoxesGoToStderr()) {
        std::fputs((title + "|" + text + "\n").toUtf8().constData(), stderr);
        return;
    }
    QMessageBox box(icon, title, text, QMessageBox::Ok);
    box.exec();
}

// An installed copy is checked end to end with nobody at the window: with
// VELMORA_TEST_APPLY_AND_QUIT=1 the run opens Options, presses Apply inside
// the window's own loop, and quits; boxes go to stderr.
void ApplyAndQuitIfAsked(Shell& shell)
{
    if (qEnvironmentVariableIntValue("VELMORA_TEST_APPLY_AND_QUIT") != 1)
        return;
    shell.prompts.message = shell.prompts.warning = [](const QString& title, const QString& text) {
        std::fputs((title + "|" + text + "\n").toUtf8().constData(), stderr);
    };
    QTimer::singleShot(0, &shell, [&shell] {
        QTimer::singleShot(0, shell.optionsWindow.get(),
                           [&shell] { shell.optionsWindow->findChild<QPushButton*>("Apply")->click(); });
        shell.HandleMenu(kCmdOptions);
        shell.HandleMenu(kCmdQuit);
    });
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
    // working folder as the program's name decides it, or the user's own
    // folder when the program is installed read-only.
    const WorkFolders folders =
        ChooseWorkFolders(WorkingFolder(QCoreApplication::applicationFilePath(), QDir::currentPath()));
    Workspace ws;
    if (folders.failure.isEmpty()) {
        const PrefsLoad prefs = LoadPrefs(QDir(folders.work).filesystemAbsolutePath());
        ws.settings = prefs.settings;
        if (prefs.missing)
            StartupBox(QMessageBox::Warning, "Missing", "The Preferences file is missing");
    } else {
        // Nowhere to keep settings: the program still runs, on the defaults.
        StartupBox(QMessageBox::NoIcon, "Error", folders.failure);
    }
    QDir::setCurrent(folders.work);
    SetDataFolders(ws, folders.work, folders.assets);

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
    ApplyAndQuitIfAsked(*shell);
    return app.exec();
}

}  // namespace velmora
