#include "ui/busy_canvas.h"
#include "ui/command_fixture.h"
#include "ui/file_commands.h"
#include "ui/image_jobs.h"
#include "ui/shell_harness.h"

#include <QApplication>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

namespace velmora {

namespace {

const std::string kRefused = "still saving an image; try again when it is done";

// Runs the event loop until `jobs` is idle; returns how often a timer of the
// window's thread fired meanwhile. How long the gaps between them are
// depends on the machine's load: the benchmarks measure that.
int TurnsUntilIdle(const ImageJobs& jobs)
{
    int turns = 0;
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        ++turns;
        if (!jobs.Busy())
            loop.quit();
    });
    tick.start(5);
    QTimer::singleShot(120000, &loop, &QEventLoop::quit); // never for ever
    loop.exec();
    return turns;
}

} // namespace

TEST(BackgroundExport, WindowKeepsTurningWhileAHugePictureIsSavedAndQuitWaitsForIt)
{
    Settings s;
    s.CanvasWidth = 8192;
    s.CanvasHeight = 8192;
    ShellHarness h(s);
    Shell& shell = h.shell();
    PaintLines(h.ws().canvas);
    const QString path = h.work.filePath("Tracks/huge.png");
    h.answerSave = [&] { return path; };
    const QLabel* field1 = shell.statusFields[1];

    shell.HandleMenu(kCmdExport);
    ASSERT_TRUE(shell.imageJobs->Busy());
    EXPECT_TRUE(field1->text().startsWith(QString("saving image \u2026 "))) << field1->text().toStdString();
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);

    // A second picture command waits for this one; quitting waits for the file.
    h.answerSave = [] { return QString("never asked"); };
    shell.HandleMenu(kCmdExport);
    EXPECT_EQ(h.ws().editor.view.status1, kRefused);
    shell.HandleMenu(kCmdCopy);
    EXPECT_EQ(field1->text().toStdString(), kRefused);
    shell.HandleMenu(kCmdQuit);
    EXPECT_EQ(h.shutdowns, 0);

    EXPECT_GE(TurnsUntilIdle(*shell.imageJobs), 2);
    EXPECT_EQ(h.shutdowns, 1);
    EXPECT_EQ(field1->text(), "track image saved as " + path);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(h.boxes.isEmpty()) << h.boxes.join('\n').toStdString();
    EXPECT_EQ(QImageReader(path).size(), QSize(8192, 8192));
}

using PictureJobs = FileCommands;

TEST_F(PictureJobs, ClosingWhileSavingLeavesTheOldFileOrAWholeNewOne)
{
    ws.canvas = QImage(4096, 4096, QImage::Format_RGB32);
    ws.canvas.fill(Qt::white);
    PaintLines(ws.canvas);
    WriteAll(Path("kept.png"), "previous");
    fake.fileAnswer = Path("kept.png");
    fake.confirmAnswers = {true};
    auto jobs = std::make_unique<ImageJobs>(ws, nullptr);
    ws.imageJobs = jobs.get();
    Export(ws, prompts);
    ASSERT_TRUE(jobs->Busy());
    jobs.reset(); // the window goes while the picture is being encoded

    const QByteArray kept = ReadAll(Path("kept.png"));
    EXPECT_TRUE(kept == "previous" || QImageReader(Path("kept.png")).size() == QSize(4096, 4096));
    EXPECT_EQ(Entries(), QStringList{"kept.png"}); // no temporary file left
    EXPECT_NE(ws.editor.view.status1, "track image saved as " + Path("kept.png").toStdString());
}

TEST_F(PictureJobs, CopyHandsThePictureOverWhenEncoded)
{
    ImageJobs jobs(ws, nullptr);
    ws.imageJobs = &jobs;
    ws.canvas.setPixelColor(2, 3, QColor(255, 0, 0));
    CopyImg(ws, prompts);
    TurnsUntilIdle(jobs);
    ASSERT_EQ(fake.clipboardCalls, 1);
    EXPECT_EQ(QImage::fromData(fake.clipboardPng, "PNG").pixelColor(2, 3), QColor(255, 0, 0));
    EXPECT_EQ(ws.editor.view.status1, "track copied to Clipboard");
}

// Whatever a job's work throws comes back as its failure: `done` hears of
// it, the window is not left busy, and the next job runs.
TEST_F(PictureJobs, AJobThatThrowsFailsAndFreesTheWindow)
{
    ImageJobs jobs(ws, nullptr);
    ws.imageJobs = &jobs;
    const struct {
        std::function<void()> thrower;
        const char* failure;
    } cases[] = {
        {[] { throw std::bad_alloc(); }, "out of memory"},
        {[] { throw std::runtime_error("bad map"); }, "bad map"},
        {[] { throw 42; }, "an unexpected error"},
    };
    for (const auto& c : cases) {
        std::optional<Result<std::string>> result;
        ImageJob job;
        job.work = [&c](EncodeProgress&) -> Result<std::string> {
            c.thrower();
            return std::string();
        };
        job.done = [&result](const Result<std::string>& r) { result = r; };
        ASSERT_TRUE(jobs.Start(std::move(job)));
        TurnsUntilIdle(jobs);
        ASSERT_TRUE(result.has_value() && !result->ok());
        EXPECT_EQ(result->error(), c.failure);
        EXPECT_FALSE(jobs.Busy());
    }
    CopyImg(ws, prompts);
    TurnsUntilIdle(jobs);
    EXPECT_EQ(ws.editor.view.status1, "track copied to Clipboard");
}

} // namespace velmora
