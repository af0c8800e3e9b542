#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>

#include "core/settings/prefs_file.h"
#include "ui/help.h"
#include "ui/options_window.h"
#include "ui/prompts.h"
#include "ui/shell_harness.h"
#include "ui/startup.h"
#include "hang_guard.h"

namespace velmora {
namespace {

TEST(WorkingFolder, FollowsTheProgramOnlyWhenItIsCalledVelmora)
{
    EXPECT_EQ(WorkingFolder("/opt/velmora/Velmora", "/home/u"), "/opt/velmora");
    EXPECT_EQ(WorkingFolder("/opt/velmora/Velmora.exe", "/home/u"), "/opt/velmora");
    EXPECT_EQ(WorkingFolder("/opt/velmora/velmora", "/home/u"), "/home/u");  // case counts
    EXPECT_EQ(WorkingFolder("/opt/velmora/Velmora2", "/home/u"), "/home/u");
}

TEST(WorkingFolder, DataFoldersEndInTheSeparator)
{
    Workspace ws;
    SetDataFolders(ws, "/home/u/work");
    const QString sep = QDir::separator();
    EXPECT_EQ(ws.workFolder, QDir::toNativeSeparators("/home/u/work/"));
    EXPECT_EQ(ws.imagesFolder, ws.workFolder + "Images" + sep);
    EXPECT_EQ(ws.tracksFolder, ws.workFolder + "Tracks" + sep);
    EXPECT_EQ(ws.helpFolder, ws.workFolder + "Help" + sep);
    SetDataFolders(ws, "/");
    EXPECT_EQ(ws.workFolder, QDir::toNativeSeparators("/"));  // never doubled
}

TEST(WorkFolders, ReadOnlyProgramFolderMovesTracksAndSettingsToTheUsersFolder)
{
    QTemporaryDir home;
    const QString data = home.path() + "/data";
    qputenv("XDG_DATA_HOME", data.toUtf8());
    // A folder the program cannot write to stands in for a read-only install.
    const QString program = home.path() + "/not-there";
    WorkFolders folders = ChooseWorkFolders(program);
    EXPECT_EQ(folders.failure, "");
    EXPECT_EQ(folders.work, data + "/velmora");
    EXPECT_EQ(folders.assets, program);
    EXPECT_TRUE(QFileInfo(data + "/velmora/Tracks").isDir());

    Workspace ws;
    SetDataFolders(ws, folders.work, folders.assets);
    EXPECT_EQ(ws.tracksFolder, QDir::toNativeSeparators(data + "/velmora/Tracks/"));
    EXPECT_EQ(ws.imagesFolder, QDir::toNativeSeparators(program + "/Images/"));
    EXPECT_EQ(ws.helpFolder, QDir::toNativeSeparators(program + "/Help/"));

    // A writable program folder keeps everything, as before.
    folders = ChooseWorkFolders(home.path());
    EXPECT_EQ(folders.work, home.path());
    EXPECT_EQ(folders.assets, home.path());

    // The user's folder cannot be made: the run stays put and the box names it.
    QFile blocker(home.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_DATA_HOME", blocker.fileName().toUtf8());
    folders = ChooseWorkFolders(program);
    EXPECT_EQ(folders.work, program);
    EXPECT_TRUE(folders.failure.startsWith("could not create folder: " + blocker.fileName() +
                                           "/velmora (Not a directory)\r\nVelmora in ChooseWorkFolders @ "))
        << folders.failure.toStdString();
    qunsetenv("XDG_DATA_HOME");
}

// What the build places beside the program, as an install ships it.
TEST(ShippedFiles, DefaultPreferencesAreTheBytesApplyWrites)
{
    ShellHarness h{Settings{}};
    ApplySettings(h.ws(), h.shell().prompts);
    QFile applied(h.ws().workFolder + kPrefsFileName);
    QFile shipped(QFileInfo(VELMORA_EXECUTABLE).absolutePath() + "/" + kPrefsFileName);
    ASSERT_TRUE(applied.open(QIODevice::ReadOnly));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly)) << shipped.fileName().toStdString();
    EXPECT_EQ(shipped.readAll(), applied.readAll());
}

TEST(ShippedFiles, HelpDocumentHoldsItsPictures)
{
    QFile pdf(QFileInfo(VELMORA_EXECUTABLE).absolutePath() + "/Help/Velmora Help.pdf");
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_GE(bytes.count("/Subtype /Image"), 3);
}

TEST(LoadAssetsDeathTest, MissingSurfaceEndsStartUpNamingItsPath)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    qputenv("VELMORA_TEST_BOX_TO_STDERR", "1");
    QTemporaryDir dir;
    Workspace ws;
    SetDataFolders(ws, dir.path());
    EXPECT_EXIT(LoadAssets(ws, Prompts{}), testing::ExitedWithCode(0),
                "could not find image: .*Images/surface.png\r\nVelmora in LoadImg @ 490");
}

// The program copied to a folder of its own, started from another folder.
struct ProgramRun {
    bool finished = false;
    int exitCode = -1;
    QString errors;
};

ProgramRun RunProgramCopy(const QString& name, const QString& programFolder, const QString& launchFolder)
{
    const QString program = programFolder + "/" + name;
    QFile::copy(VELMORA_EXECUTABLE, program);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELMORA_TEST_BOX_TO_STDERR", "1");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(launchFolder);
    process.start(program, {});
    ProgramRun run;
    run.finished = process.waitForFinished(kHangGuardMs);
    if (!run.finished) {
        process.kill();  // a box waiting for an answer
        process.waitForFinished();
    }
    run.exitCode = process.exitCode();
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

TEST(StartUp, PreferencesAndDataFoldersComeFromTheProgramsFolder)
{
    QTemporaryDir programDir;
    QTemporaryDir launchDir;
    // Preferences only beside the program: reading them from the launch
    // folder would stop start-up at the "Missing" box.
    QFile prefs(programDir.path() + "/Preferences.ini");
    ASSERT_TRUE(prefs.open(QIODevice::WriteOnly));
    prefs.close();
    const ProgramRun run = RunProgramCopy("Velmora", programDir.path(), launchDir.path());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.errors.contains("could not find image: " + programDir.path() +
                                    "/Images/surface.png\r\nVelmora in LoadImg @ 490"))
        << run.errors.toStdString();
}

TEST(StartUp, UnderAnotherNameTheLaunchFolderIsUsed)
{
    QTemporaryDir programDir;
    QTemporaryDir launchDir;
    QFile prefs(launchDir.path() + "/Preferences.ini");
    ASSERT_TRUE(prefs.open(QIODevice::WriteOnly));
    prefs.close();
    const ProgramRun run = RunProgramCopy("trackeditor", programDir.path(), launchDir.path());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.errors.contains("could not find image: " + launchDir.path() + "/Images/surface.png"))
        << run.errors.toStdString();
}

TEST(StartUp, MissingPreferencesAreReportedAndStartUpGoesOn)
{
    QTemporaryDir programDir;
    const ProgramRun run = RunProgramCopy("Velmora", programDir.path(), programDir.path());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    const qsizetype missing = run.errors.indexOf("Missing|The Preferences file is missing");
    const qsizetype image = run.errors.indexOf("could not find image: ");
    EXPECT_GE(missing, 0) << run.errors.toStdString();
    EXPECT_GT(image, missing);
}

TEST(FileFilter, BecomesTheToolkitsForm)
{
    EXPECT_EQ(QtFileFilter("Track files|*.trk"), "Track files (*.trk)");
    EXPECT_EQ(QtFileFilter("Images|*.png;*.bmp"), "Images (*.png *.bmp)");
    EXPECT_EQ(QtFileFilter("PNG|*.png|BMP|*.bmp"), "PNG (*.png);;BMP (*.bmp)");
    EXPECT_EQ(QtFileFilter(""), "");
}

TEST(Help, MissingFileShowsTheMissingBoxOnce)
{
    QTemporaryDir dir;
    Workspace ws;
    SetDataFolders(ws, dir.path());
    QStringList boxes;
    Prompts prompts;
    prompts.warning = [&](const QString& title, const QString& text) { boxes << title + "|" + text; };
    ShowHelp(ws, prompts);
    EXPECT_EQ(boxes, QStringList{"Missing|The Help file is missing"});

    // A folder of that name is no document either.
    QDir(dir.path()).mkpath("Help/Velmora Help.pdf");
    boxes.clear();
    ShowHelp(ws, prompts);
    EXPECT_EQ(boxes, QStringList{"Missing|The Help file is missing"});
}

// A help file in a fresh folder, with boxes recorded into a list that
// outlives the test, so an opener ending late cannot write into freed memory.
struct HelpAtHand {
    HelpAtHand()
    {
        SetDataFolders(ws, dir.path());
        QDir(dir.path()).mkpath("Help");
        QFile pdf(Pdf());
        pdf.open(QIODevice::WriteOnly);
        pdf.write("%PDF-1.4\n");
        prompts.warning = [seen = boxes](const QString& title, const QString& text) {
            *seen << title + "|" + text;
        };
    }
    QString Pdf() const { return ws.helpFolder + "Velmora Help.pdf"; }
    QStringList NothingOpened() const
    {
        return {"Error|No program could open the Help file:\n" + QDir::toNativeSeparators(Pdf())};
    }
    // Runs the event loop until `done` or `ms` milliseconds have passed.
    static bool SpinUntil(const std::function<bool()>& done, int ms = kHangGuardMs)
    {
        QDeadlineTimer deadline(ms);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }

    QTemporaryDir dir;
    Workspace ws;
    Prompts prompts;
    std::shared_ptr<QStringList> boxes = std::make_shared<QStringList>();
};

TEST(Help, OpenerThatFailsIsNamed)
{
    struct Case {
        const char* what;
        QStringList opener; // "MARKER": a file the opener touches
        bool opens;
    };
    const Case cases[] = {
        {"no opener", {}, false},
        {"opener missing", {"/nonexistent/velmora-opener"}, false},
        {"opener exits with an error", {"sh", "-c", "exit 4"}, false},
        {"opener crashes", {"sh", "-c", "kill -9 $$"}, false},
        {"opener succeeds", {"sh", "-c", "touch \"$0\"", "MARKER"}, true},
    };
    for (const Case& c : cases) {
        HelpAtHand h;
        const QString marker = h.dir.filePath("opened");
        h.ws.documentOpener = c.opener;
        h.ws.documentOpener.replaceInStrings("MARKER", marker);
        ShowHelp(h.ws, h.prompts);
        if (c.opens) {
            ASSERT_TRUE(HelpAtHand::SpinUntil([&] { return QFile::exists(marker); })) << c.what;
            HelpAtHand::SpinUntil([] { return false; }, 300); // its end is seen too
        } else {
            HelpAtHand::SpinUntil([&] { return !h.boxes->isEmpty(); });
        }
        EXPECT_EQ(*h.boxes, c.opens ? QStringList{} : h.NothingOpened()) << c.what;
    }
}

TEST(Help, WindowGoesOnWhileTheOpenerRuns)
{
    HelpAtHand h;
    const QString go = h.dir.filePath("go");
    // Stands for an opener that takes its time and then fails.
    h.ws.documentOpener = {"sh", "-c",
                           "for i in $(seq 400); do [ -e \"$0\" ] && exit 4; sleep 0.05; done; exit 4", go};
    ShowHelp(h.ws, h.prompts);
    EXPECT_TRUE(h.boxes->isEmpty());
    bool answered = false;
    QTimer::singleShot(0, [&] { answered = true; });
    EXPECT_TRUE(HelpAtHand::SpinUntil([&] { return answered; }));
    EXPECT_TRUE(h.boxes->isEmpty());
    QFile(go).open(QIODevice::WriteOnly);
    EXPECT_TRUE(HelpAtHand::SpinUntil([&] { return !h.boxes->isEmpty(); }));
    EXPECT_EQ(*h.boxes, h.NothingOpened());
}

}  // namespace
}  // namespace velmora
