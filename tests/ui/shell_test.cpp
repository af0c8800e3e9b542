#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "ui/canvas_widget.h"
#include "ui/shell.h"
#include "ui/startup.h"
#include "ui/options_window.h"
#include "core/formats/track_file.h"
#include "core/track/track_model.h"

#include <QFile>
#include <array>
#include <functional>
#include <utility>

namespace velmora {
namespace {

class ShellTest : public testing::Test {
protected:
    void SetUp() override { Build(Settings{}); }

    void Build(const Settings& settings)
    {
        shell.reset();
        Workspace ws;
        ws.settings = settings;
        shell = std::make_unique<Shell>(std::move(ws), QSize(1920, 1080));
        shell->shutdown = [this] { ++shutdowns; };
        shell->prompts.message = [this](const QString& title, const QString& text) { boxes << title + "|" + text; };
        shell->prompts.warning = shell->prompts.message;
        shell->Show();
    }

    // Moves the pointer over the canvas and lets one pass of the loop run.
    void PointAt(int x, int y)
    {
        QCursor::setPos(shell->canvas->mapToGlobal(QPoint(x, y)));
        shell->AfterEvent();
    }

    void ClickAt(int x, int y, Qt::MouseButton button = Qt::LeftButton)
    {
        PointAt(x, y);
        QTest::mouseClick(shell->canvas, button, {}, QPoint(x, y));
        shell->AfterEvent();
    }

    QString Field(int i) const { return shell->statusFields[static_cast<std::size_t>(i)]->text(); }
    const TrackModel& Model() const { return shell->ws.editor.model; }
    bool Forbidden() const { return shell->canvas->cursor().shape() == Qt::ForbiddenCursor; }

    std::unique_ptr<Shell> shell;
    int shutdowns = 0;
    QStringList boxes;
};

TEST_F(ShellTest, MainWindowLayoutFollowsTheDisplay)
{
    QMainWindow& main = *shell->mainWindow;
    EXPECT_EQ(main.windowTitle(), "Velmora");
    EXPECT_EQ(main.size(), QSize(1900, 990));
    EXPECT_EQ(main.minimumSize(), main.maximumSize());
    EXPECT_FALSE(main.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(shell->scrollArea->geometry(), QRect(10, 10, 1880, 920));
    EXPECT_EQ(shell->scrollArea->verticalScrollBar()->singleStep(), 100);
    EXPECT_EQ(Field(1), "<LC> to place start position; <RC> to Undo");
    EXPECT_EQ(shell->statusFields[0]->width(), 120);
    EXPECT_EQ(shell->statusFields[1]->width(), 1580);
    EXPECT_EQ(shell->statusFields[2]->width(), 200);
    const QStatusBar* bar = shell->mainWindow->statusBar();
    EXPECT_GE(bar->height(), 18);
    for (QLabel* field : shell->statusFields) {  // the whole text line and frame show
        EXPECT_GE(field->contentsRect().height(), field->fontMetrics().height());
        EXPECT_TRUE(bar->rect().contains(field->geometry()));
    }
}

TEST_F(ShellTest, StatusFieldsFillTheWindowsWidth)
{
    // The frames as they stand in the window: nothing of the bar's own
    // spacing, margins or size grip may push the last one past the edge.
    const QMainWindow& main = *shell->mainWindow;
    const std::array<std::pair<int, int>, 3> want{{{0, 120}, {120, 1580}, {1700, 200}}};
    for (std::size_t i = 0; i < want.size(); ++i) {
        const QLabel* field = shell->statusFields[i];
        const QRect frame(field->mapTo(&main, QPoint(0, 0)), field->size());
        EXPECT_EQ(std::make_pair(frame.x(), frame.width()), want[i]) << "field " << i;
        EXPECT_TRUE(main.rect().contains(frame)) << "field " << i;
        EXPECT_EQ(field->visibleRegion().boundingRect(), field->rect()) << "field " << i;
    }
}

TEST_F(ShellTest, EveryCanvasPixelCanBeScrolledIntoView)
{
    EXPECT_EQ(shell->canvas->size(), QSize(2048, 2048));
    EXPECT_EQ(shell->canvas->pos(), QPoint(10, 10));
    EXPECT_EQ(shell->scrollInner->size(), QSize(2068, 2068));
    shell->ws.canvas = QImage(300, 200, QImage::Format_RGB32);
    shell->FitCanvas();
    EXPECT_EQ(shell->canvas->size(), QSize(300, 200));
    EXPECT_EQ(shell->scrollInner->size(), QSize(320, 220));
}

TEST_F(ShellTest, MenusHoldTheCommandsInOrder)
{
    QStringList seen;
    for (QAction* menu : shell->mainWindow->menuBar()->actions()) {
        seen << menu->text() + ":";
        for (QAction* item : menu->menu()->actions()) {
            seen << (item->isSeparator() ? "-" : item->text());
            EXPECT_TRUE(item->shortcut().isEmpty());
        }
    }
    EXPECT_EQ(seen.join(','), "File:,New,Save,Save As,Load,-,Export Image,-,Options,-,Quit,"
                              "Edit:,Close Loop,Redo,Add Text,Copy to Clipboard,Load Template,Help:,Help,"
                              "&Simulator:,&Import Circuit\u2026,&World Frame\u2026,-,Show &Race Line,-,Import &Map\u2026,"
                              "&Export for Simulators\u2026");
    EXPECT_FALSE(shell->actions[kCmdCloseLoop]->isEnabled());
    EXPECT_FALSE(shell->actions[kCmdRedo]->isEnabled());
    EXPECT_TRUE(shell->actions[kCmdAddText]->isEnabled());
}

TEST_F(ShellTest, IdsWithoutACommandDoNothing)
{
    // Ids next to the table's, separators' 0 and far-off values alike: no
    // item, no command, no memory past the end of anything.
    for (const int id : {0, -1, 19, 100, 105, 1 << 30}) {
        EXPECT_EQ(shell->actions[id], nullptr) << id;
        shell->HandleMenu(id);
        EXPECT_TRUE(Model().markers.empty()) << id;
        EXPECT_EQ(Model().TrackPath, "") << id;
    }
    EXPECT_EQ(shutdowns, 0);
    EXPECT_TRUE(boxes.isEmpty());
    QList<int> ids;  // one row per command: a second would never run
    for (const MenuCommand& command : MenuCommands()) {
        if (command.run) {
            EXPECT_FALSE(ids.contains(command.id)) << command.id;
            ids << command.id;
        }
    }
    EXPECT_EQ(ids.size(), 22);
}

TEST_F(ShellTest, AddTextWindowStartsHiddenWithItsControls)
{
    QWidget& window = *shell->addTextWindow;
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Add Text" + QString(56, ' ') + "size");
    EXPECT_EQ(window.size(), QSize(380, 55));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(shell->addTextField->geometry(), QRect(10, 10, 300, 25));
    EXPECT_EQ(shell->addTextSize->geometry(), QRect(320, 2, 46, 43));
    EXPECT_EQ(shell->addTextSize->minimum(), 1);
    EXPECT_EQ(shell->addTextSize->maximum(), 3);
    EXPECT_EQ(shell->addTextSize->value(), 2);
}

TEST_F(ShellTest, PointerSampleIsShownInCanvasPixels)
{
    PointAt(120, 340);
    EXPECT_EQ(Field(0), "120, 340");
    EXPECT_EQ(Model().PointerX, 120);
    PointAt(-5, 7);
    EXPECT_EQ(Field(0), "-5, 7");
    // Scrolling moves the canvas under a resting pointer.
    PointAt(50, 50);
    shell->scrollArea->verticalScrollBar()->setValue(100);
    shell->AfterEvent();
    EXPECT_EQ(Field(0), "50, 150");
}

TEST_F(ShellTest, ClicksPlaceTheStartAndPointsAtTheSampledPointer)
{
    ClickAt(120, 340);
    EXPECT_EQ(Model().TrackPath, "M 120 340 ");
    EXPECT_EQ(Field(1), "<LC> to place track; <RC> to Undo");
    ClickAt(220, 340);
    EXPECT_EQ(Model().TrackPath, "M 120 340 L 220 340 ");
    EXPECT_EQ(Model().StartAngle, 0);
    // The position comes from the pointer sample, not from the click event.
    PointAt(220, 440);
    QTest::mouseClick(shell->canvas, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(Model().TrackPath, "M 120 340 L 220 340 L 220 440 ");
    // A press outside the canvas that ends over it is no click.
    QTest::mouseRelease(shell->canvas, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(Model().TrackPath, "M 120 340 L 220 340 L 220 440 ");
}

TEST_F(ShellTest, ReadoutAndPointerShapeFollowTheAngleLimit)
{
    Settings s;
    s.AngleLimit = 30;
    Build(s);
    ClickAt(100, 100);
    ClickAt(200, 100);
    PointAt(300, 100);
    EXPECT_EQ(Field(2), "90 --> 90 = 0 deg");
    EXPECT_FALSE(Forbidden());
    PointAt(200, 0);
    EXPECT_EQ(Field(2), "90 --> 0 = -90 deg");
    PointAt(300, 200);
    EXPECT_EQ(Field(2), "90 --> 135 = 45 deg");
    EXPECT_TRUE(Forbidden());
    // The refused click adds nothing.
    QTest::mouseClick(shell->canvas, Qt::LeftButton, {}, QPoint(300, 200));
    EXPECT_EQ(Model().TrackPath, "M 100 100 L 200 100 ");
    shell->ws.settings.AngleLimit = 45;
    PointAt(300, 200);
    EXPECT_FALSE(Forbidden());
}

TEST_F(ShellTest, ReadoutAndPointerShapeFollowEveryEventAtOnce)
{
    QTemporaryDir dir;
    TrackModel down;
    down.TrackPath = "M 100 100 L 100 200 ";
    RebuildCursor(down);
    const QString file = dir.filePath("down.trk");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QByteArray::fromStdString(WriteTrackFile(down)));
    out.close();
    shell->prompts.openFile = [&](const QString&, const QString&, const QString&) { return file; };

    ClickAt(100, 100);
    ClickAt(200, 100);
    shell->ws.settings.AngleLimit = 20;
    PointAt(300, 130);
    // From here on the pointer rests: no pass runs between the events.
    const struct {
        std::function<void()> event;
        const char* readout;
        bool forbidden;
    } steps[] = {
        {[&] { QTest::mouseClick(shell->canvas, Qt::LeftButton, {}, QPoint(300, 130)); },
         "107 --> 90 = -17 deg", false},  // the new end is under the pointer
        {[&] { QTest::mouseClick(shell->canvas, Qt::RightButton, {}, QPoint(300, 130)); },
         "90 --> 113 = 23 deg", true},  // measured from the corner after Undo
        {[&] { shell->HandleMenu(kCmdRedo); }, "107 --> 90 = -17 deg", false},
        {[&] { shell->HandleMenu(kCmdLoad); }, "180 --> 71 = -109 deg", true},
        {[&] { shell->HandleMenu(kCmdNew); }, " ", false},
    };
    for (const auto& step : steps) {
        step.event();
        EXPECT_EQ(Field(2), step.readout);
        EXPECT_EQ(Forbidden(), step.forbidden) << step.readout;
    }
}

TEST_F(ShellTest, CloseLoopEnablesWhenThePathReaches62Characters)
{
    ClickAt(100, 100);
    const int xs[] = {200, 300, 400, 500, 600};
    for (int x : xs) {
        EXPECT_FALSE(shell->actions[kCmdCloseLoop]->isEnabled());
        ClickAt(x, 100);
    }
    EXPECT_EQ(Model().TrackPath.size(), 60u);
    EXPECT_FALSE(shell->actions[kCmdCloseLoop]->isEnabled());
    ClickAt(700, 100);
    EXPECT_TRUE(shell->actions[kCmdCloseLoop]->isEnabled());
    shell->HandleMenu(kCmdCloseLoop);
    EXPECT_EQ(Model().TrackPath.back(), 'Z');
}

TEST_F(ShellTest, UndoAndRedoDriveTheMenuAndStatus)
{
    ClickAt(100, 100);
    ClickAt(200, 100);
    ClickAt(200, 200);
    ClickAt(50, 50, Qt::RightButton);
    EXPECT_EQ(Model().TrackPath, "M 100 100 L 200 100 ");
    EXPECT_TRUE(shell->actions[kCmdRedo]->isEnabled());
    EXPECT_EQ(Field(1), " ");
    shell->HandleMenu(kCmdRedo);
    EXPECT_EQ(Model().TrackPath, "M 100 100 L 200 100 L 200 200 ");
    ClickAt(50, 50, Qt::RightButton);
    ClickAt(50, 50, Qt::RightButton);
    ClickAt(50, 50, Qt::RightButton);
    EXPECT_TRUE(Model().TrackPath.empty());
    EXPECT_FALSE(shell->actions[kCmdRedo]->isEnabled());
    EXPECT_EQ(Field(1), "<LC> to place start position; <RC> to Undo");
}

TEST_F(ShellTest, TextModePlacesAndRemovesLabels)
{
    ClickAt(100, 100);
    shell->HandleMenu(kCmdAddText);
    EXPECT_TRUE(shell->addTextWindow->isVisible());
    EXPECT_EQ(Model().TextMode, 1);

    ClickAt(300, 300);  // empty field: nothing
    EXPECT_TRUE(Model().labels.empty());
    shell->addTextField->setText("Hairpin");
    ClickAt(300, 300);
    ASSERT_EQ(Model().labels.size(), 1u);
    const TextLabel& label = Model().labels[0];
    const QFontMetrics metrics(shell->ws.assets.mediumFont);
    EXPECT_EQ(label.text, "Hairpin");
    EXPECT_EQ(label.size, 2);
    EXPECT_EQ(label.x, 300 - metrics.horizontalAdvance("Hairpin") / 2);
    EXPECT_EQ(label.y, 300 - metrics.height() / 2);
    EXPECT_EQ(Model().TrackPath, "M 100 100 ");  // no track point in text mode

    ClickAt(10, 10, Qt::RightButton);
    EXPECT_TRUE(Model().labels.empty());
    EXPECT_EQ(Model().TrackPath, "M 100 100 ");

    // The close box leaves text mode; the window stays hidden afterwards.
    shell->addTextWindow->close();
    EXPECT_FALSE(shell->addTextWindow->isVisible());
    EXPECT_EQ(Model().TextMode, 0);
    shell->AfterEvent();
    EXPECT_FALSE(shell->addTextWindow->isVisible());
}

TEST_F(ShellTest, MarkerShortcutsWorkOnlyInTheActiveMainWindow)
{
    QApplication::setActiveWindow(shell->mainWindow.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(shell->mainWindow.get()));
    PointAt(300, 400);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(shell->mainWindow.get(), Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(shell->mainWindow.get(), Qt::Key_T, Qt::ControlModifier);
    ASSERT_EQ(Model().markers.size(), 4u);
    EXPECT_EQ(Model().markers[0], (RLMarker{1, 300, 400}));
    EXPECT_EQ(Model().markers[3], (RLMarker{3, 300, 400}));
    EXPECT_EQ(shell->ws.paintedMarkerDraws, shell->ws.editor.view.markerDraws);

    shell->HandleMenu(kCmdAddText);
    QApplication::setActiveWindow(shell->addTextWindow.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(shell->addTextWindow.get()));
    QTest::keyClick(shell->addTextField, Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(Model().markers.size(), 4u);
}

TEST_F(ShellTest, OptionsLoopDropsMainWindowCommandsAndFreezesTheReadout)
{
    PointAt(10, 20);
    shell->ws.optionsLoopRunning = true;
    shell->HandleMenu(kCmdMarker1);
    shell->HandleMenu(kCmdQuit);
    shell->mainWindow->close();
    EXPECT_TRUE(Model().markers.empty());
    shell->ws.editor.model.TextMode = 1;
    shell->addTextWindow->close();
    EXPECT_EQ(Model().TextMode, 1);
    EXPECT_EQ(shutdowns, 0);
    PointAt(30, 40);
    EXPECT_EQ(Field(0), "10, 20");
    shell->ws.optionsLoopRunning = false;
    shell->AfterEvent();
    EXPECT_EQ(Field(0), "30, 40");
}

TEST_F(ShellTest, OptionsRunsItsOwnLoopAndTheCanvasFollowsApply)
{
    QTemporaryDir work;  // Apply saves the preferences there
    SetDataFolders(shell->ws, work.path());
    PointAt(10, 20);
    bool ranInside = false;
    QTimer::singleShot(0, [&] {
        ranInside = true;
        EXPECT_TRUE(shell->ws.optionsLoopRunning);
        shell->HandleMenu(kCmdMarker1);  // dropped, not queued
        OptionsWindow& options = *shell->optionsWindow;
        options.findChild<QLineEdit*>("CanvasWidth")->setText("640");
        options.findChild<QLineEdit*>("CanvasHeight")->setText("480");
        options.findChild<QPushButton*>("Apply")->click();
    });
    shell->HandleMenu(kCmdOptions);
    ASSERT_TRUE(ranInside);
    EXPECT_FALSE(shell->ws.optionsLoopRunning);
    EXPECT_TRUE(Model().markers.empty());
    EXPECT_EQ(shell->canvas->size(), QSize(640, 480));
    EXPECT_EQ(shell->scrollInner->size(), QSize(660, 500));
    EXPECT_EQ(shell->ws.paintedRedraws, shell->ws.editor.view.redraws);
}

TEST_F(ShellTest, QuitAndCloseBoxEndTheProgramAskingNothing)
{
    ClickAt(100, 100);
    shell->HandleMenu(kCmdQuit);
    EXPECT_EQ(shutdowns, 1);
    shell->mainWindow->close();
    EXPECT_EQ(shutdowns, 2);
    EXPECT_TRUE(boxes.isEmpty());
    shell->HandleMenu(999);  // unknown ids do nothing
    EXPECT_EQ(shutdowns, 2);
}

TEST(ShellEnd, QuitLeavesTheEventLoopWithExitCodeZero)
{
    Workspace ws;
    Shell shell(std::move(ws), QSize(1024, 768));
    shell.Show();
    shell.ws.editor.model.TrackPath = "M 1 1 L 50 50 ";  // unsaved work is not asked about
    QTimer::singleShot(0, [&] { shell.HandleMenu(kCmdQuit); });
    EXPECT_EQ(QApplication::exec(), 0);
}

TEST_F(ShellTest, NewReleasesTheTemplate)
{
    shell->ws.templateImage = QImage(10, 10, QImage::Format_RGB32);
    shell->ws.map = MapUnderlay{"m.yaml", "m.png", QImage(10, 10, QImage::Format_RGB32)};
    shell->HandleMenu(kCmdNew);
    EXPECT_TRUE(shell->ws.templateImage.isNull());
    EXPECT_FALSE(shell->ws.map.has_value());
    EXPECT_EQ(shell->ws.paintedRedraws, shell->ws.editor.view.redraws);
}

void Wheel(QWidget* target, QPoint delta)
{
    QWheelEvent event(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), QPoint(), delta, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

TEST_F(ShellTest, WheelScrollsWholeNotchesVertically)
{
    QScrollBar* v = shell->scrollArea->verticalScrollBar();
    QScrollBar* h = shell->scrollArea->horizontalScrollBar();
    Wheel(shell->canvas, QPoint(0, -120));  // towards the user: down
    EXPECT_EQ(v->value(), 100);
    Wheel(shell->canvas, QPoint(0, -60));
    EXPECT_EQ(v->value(), 100);
    Wheel(shell->canvas, QPoint(0, -60));  // the carried half makes a notch
    EXPECT_EQ(v->value(), 200);
    Wheel(shell->canvas, QPoint(0, 240));
    EXPECT_EQ(v->value(), 0);
    Wheel(shell->canvas, QPoint(-120, 0));
    EXPECT_EQ(h->value(), 0);
    for (int i = 0; i < 40; ++i)
        Wheel(shell->canvas, QPoint(0, -120));
    EXPECT_EQ(v->value(), v->maximum());
}

}  // namespace
}  // namespace velmora
