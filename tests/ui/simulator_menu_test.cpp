#include "core/inputs/frame_sidecar.h"
#include "core/raceline/track_raceline.h"
#include "render/raceline_layer.h"
#include "ui/canvas_widget.h"
#include "ui/file_dialog.h"
#include "ui/raceline_overlay.h"
#include "ui/shell_harness.h"
#include "ui/world_frame_dialog.h"
#include "file_bytes.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <sstream>
#include <gtest/gtest.h>

namespace velmora {
namespace {

// Runs the event loop until the line of the track last asked for is there:
// each round waits for the next event (the line's arrival is one), and the
// rounds are counted, so a line that never comes fails the test.
bool SpinUntilLine(const RacelineOverlay& overlay)
{
    for (int round = 0; round < 10000 && overlay.Waiting(); ++round)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return !overlay.Waiting();
}

class SimulatorMenu : public ::testing::Test {
protected:
    SimulatorMenu() : h(Small()) {}

    static Settings Small()
    {
        Settings s;
        s.CanvasWidth = 800;
        s.CanvasHeight = 700;
        return s;
    }

    Shell& shell() { return h.shell(); }
    RacelineOverlay& overlay() { return *h.shell().raceline; }

    ShellHarness h;
};

TEST_F(SimulatorMenu, ADrawnLoopGetsItsRaceLineWithALapTime)
{
    DrawLoop(h);
    ASSERT_TRUE(shell().ws.editor.model.TrackPath.find('Z') != std::string::npos);
    shell().HandleMenu(kCmdShowRaceline);
    EXPECT_TRUE(shell().actions[kCmdShowRaceline]->isChecked());
    ASSERT_TRUE(SpinUntilLine(overlay()));
    ASSERT_TRUE(overlay().Line().has_value()) << overlay().Text().toStdString();
    EXPECT_GT(overlay().Line()->lapTime, 0);
    EXPECT_TRUE(overlay().Text().contains(", lap ")) << overlay().Text().toStdString();
    EXPECT_TRUE(overlay().Text().endsWith(" with f1tenth"));

    // Drawn over the widget: what the user sees differs from the canvas
    // picture, which stays as it was.
    const QImage picture = shell().ws.canvas.copy();
    const QImage seen = shell().canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_NE(seen, picture);
    EXPECT_EQ(shell().ws.canvas, picture);

    shell().HandleMenu(kCmdShowRaceline);
    EXPECT_FALSE(shell().actions[kCmdShowRaceline]->isChecked());
    EXPECT_FALSE(overlay().Line().has_value());
    EXPECT_EQ(shell().canvas->grab().toImage().convertToFormat(QImage::Format_RGB32), picture);
}

// The overlay is the widget's alone: the exported picture and the
// clipboard's are the same bytes with it on and off.
TEST_F(SimulatorMenu, TheExportedPictureIsTheSameWithTheLineShown)
{
    DrawLoop(h);
    QImage copied;
    shell().prompts.toClipboard = [&](const QImage& picture, const QByteArray&) { copied = picture; };
    const auto exportTo = [&](const QString& name) {
        const QString path = h.work.filePath(name);
        h.answerSave = [path] { return path; };
        shell().HandleMenu(kCmdExport);
        h.WaitForPictures();
        shell().HandleMenu(kCmdCopy);
        h.WaitForPictures();
        return ReadAll(path);
    };
    const QByteArray off = exportTo("off.png");
    const QImage copiedOff = copied;
    shell().HandleMenu(kCmdShowRaceline);
    ASSERT_TRUE(SpinUntilLine(overlay()));
    ASSERT_TRUE(overlay().Line().has_value());
    const QByteArray on = exportTo("on.png");
    EXPECT_FALSE(off.isEmpty());
    EXPECT_EQ(on, off);
    EXPECT_EQ(copied, copiedOff);
    EXPECT_TRUE(h.boxes.isEmpty()) << h.boxes.join('\n').toStdString();
}

// Clicks that come while a line is worked out: the line shown at the end is
// that of the last track, never of one before it.
TEST_F(SimulatorMenu, ALineForAnOlderTrackIsDropped)
{
    shell().HandleMenu(kCmdShowRaceline);
    DrawLoop(h);
    h.ClickCanvas({400, 300}, Qt::LeftButton); // on after the loop: no line can follow it
    h.ClickCanvas({400, 300}, Qt::RightButton);
    shell().HandleMenu(kCmdRedo);
    shell().HandleMenu(kCmdRedo); // nothing to redo twice
    h.ClickCanvas({400, 300}, Qt::RightButton);
    ASSERT_TRUE(SpinUntilLine(overlay()));
    const Workspace& ws = shell().ws;
    const Result<Raceline> expected =
        RacelineOfTrack(ws.editor.model.TrackPath, ws.settings.TrackWidth, WorldFrame{}, F1tenthVehicle());
    ASSERT_TRUE(expected) << expected.error();
    ASSERT_TRUE(overlay().Line().has_value()) << overlay().Text().toStdString();
    EXPECT_EQ(overlay().Line()->rows.size(), expected->rows.size());
    EXPECT_EQ(overlay().Line()->lapTime, expected->lapTime);

    // A track that goes on after its loop says why it has no line.
    h.ClickCanvas({400, 300}, Qt::LeftButton);
    ASSERT_TRUE(SpinUntilLine(overlay()));
    EXPECT_FALSE(overlay().Line().has_value());
    EXPECT_TRUE(overlay().Text().startsWith("no race line: the track goes on after its loop is closed"))
        << overlay().Text().toStdString();
}

TEST_F(SimulatorMenu, WorldFrameIsTakenOrLeftAsItWas)
{
    std::optional<WorldFrame> answer;
    WorldFrame shown;
    QSize canvas;
    shell().prompts.chooseFrame = [&](const WorldFrame& f, QSize c, double) {
        shown = f;
        canvas = c;
        return answer;
    };
    shell().HandleMenu(kCmdWorldFrame); // cancelled
    EXPECT_FALSE(shell().ws.frame.has_value());
    EXPECT_EQ(shown.metresPerPixel, kDefaultMetresPerPixel);
    EXPECT_EQ(canvas, QSize(800, 700));

    answer = WorldFrame{0.2, -10, 30};
    shell().HandleMenu(kCmdWorldFrame);
    ASSERT_TRUE(shell().ws.frame.has_value());
    EXPECT_EQ(shell().ws.frame->metresPerPixel, 0.2);
    EXPECT_EQ(shell().ws.editor.view.status1, "world frame: scale 0.2 m per pixel, origin -10,30 m");

    answer.reset();
    shell().HandleMenu(kCmdWorldFrame);
    EXPECT_EQ(shown.originY, 30);
    EXPECT_EQ(shell().ws.frame->originX, -10);

    shell().HandleMenu(kCmdNew);
    EXPECT_FALSE(shell().ws.frame.has_value());
}

TEST(WorldFrameDialogTest, OffersOkOnlyForAFrameItCanUse)
{
    WorldFrameDialog dialog(WorldFrame{0.05, 0, 0}, QSize(2000, 1000), 42, nullptr);
    EXPECT_EQ(dialog.scale->text(), "0.05");
    EXPECT_TRUE(dialog.ok->isEnabled());
    EXPECT_TRUE(dialog.facts->text().contains("track width 2.1 m")) << dialog.facts->text().toStdString();
    EXPECT_TRUE(dialog.facts->text().contains("canvas 100 m \u00d7 50 m: x from 0 m to 100 m, y from -50 m to 0 m"))
        << dialog.facts->text().toStdString();
    const struct {
        const char* scale;
        const char* x;
        bool usable;
    } cases[] = {
        {"0.5", "-12.5", true}, {" 1 ", "3", true},   {"0,5", "0", false}, {"0", "0", false},
        {"-1", "0", false},     {"abc", "0", false},  {"0.5", "", false},  {"0.5", "1e999", false},
        {"1e-3", "0", true},    {"0.5x", "0", false}, {"1e-9", "0", false}, {"1000", "0", false},
    };
    for (const auto& c : cases) {
        dialog.scale->setText(c.scale);
        dialog.originX->setText(c.x);
        EXPECT_EQ(dialog.ok->isEnabled(), c.usable) << c.scale << " " << c.x;
        EXPECT_EQ(dialog.Typed().ok(), c.usable) << c.scale << " " << c.x;
    }
    dialog.scale->setText("0.25");
    dialog.originX->setText("-12.5");
    dialog.originY->setText("40");
    const Result<WorldFrame> typed = dialog.Typed();
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->metresPerPixel, 0.25);
    EXPECT_EQ(typed->originX, -12.5);
    EXPECT_EQ(typed->originY, 40);
    EXPECT_TRUE(dialog.facts->text().contains("x from -12.5 m to 487.5 m, y from -210 m to 40 m"))
        << dialog.facts->text().toStdString();

    // A map's numbers, read as floats, are shown to five digits; OK without
    // a change keeps them to the bit.
    const WorldFrame map{static_cast<double>(0.05f), -51.224998474121094, 0};
    WorldFrameDialog read(map, QSize(2000, 1000), 42, nullptr);
    EXPECT_EQ(read.scale->text(), "0.05");
    EXPECT_EQ(read.originX->text(), "-51.225");
    ASSERT_TRUE(read.Typed());
    EXPECT_EQ(read.Typed()->metresPerPixel, map.metresPerPixel);
    EXPECT_EQ(read.Typed()->originX, map.originX);
}

// Import Circuit puts the circuit on the canvas with its frame and its width;
// a file that is no circuit is told, and the open track stays.
TEST_F(SimulatorMenu, ImportCircuitBringsItsFrameAlong)
{
    DrawLoop(h);
    const std::string drawn = shell().ws.editor.model.TrackPath;
    const QString bad = h.work.filePath("bad.csv");
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x_m;y_m\n0,5;1,5\n");
    f.close();
    h.answerOpen = [bad] { return bad; };
    shell().HandleMenu(kCmdImportCircuit);
    ASSERT_EQ(h.boxes.size(), 1);
    EXPECT_TRUE(h.boxes[0].contains("could not import circuit: " + bad + ": line 2")) << h.boxes[0].toStdString();
    EXPECT_EQ(shell().ws.editor.model.TrackPath, drawn);
    EXPECT_FALSE(shell().ws.frame.has_value());

    h.answerOpen = [] { return QString(VELMORA_TEST_DATA "/circuits/Monza.csv"); };
    shell().HandleMenu(kCmdImportCircuit);
    ASSERT_TRUE(shell().ws.frame.has_value()) << shell().ws.editor.view.status1;
    EXPECT_NE(shell().ws.editor.model.TrackPath, drawn);
    EXPECT_TRUE(shell().ws.editor.TrackFileName.empty()); // Save asks where
    EXPECT_TRUE(shell().ws.editor.view.status1.starts_with("circuit imported: scale "));
    EXPECT_GT(shell().ws.frame->metresPerPixel, 1); // Monza is kilometres across, the canvas 800 px

    const QString trk = h.work.filePath("Tracks/Monza.trk");
    h.answerSave = [trk] { return trk; };
    shell().HandleMenu(kCmdSave);
    const Result<TrackWorld> world = ReadTrackWorld(ReadAll(h.work.filePath("Tracks/Monza_frame.yaml")).toStdString());
    ASSERT_TRUE(world) << world.error();
    EXPECT_EQ(world->frame.metresPerPixel, shell().ws.frame->metresPerPixel);
    EXPECT_EQ(TrackWidthPixels(*world), shell().ws.settings.TrackWidth);

    // Loaded back, the track brings its world along; a broken frame file is
    // told and the track is loaded without it.
    shell().HandleMenu(kCmdNew);
    shell().ws.settings.TrackWidth = 42;
    h.answerOpen = [trk] { return trk; };
    shell().HandleMenu(kCmdLoad);
    ASSERT_TRUE(shell().ws.frame.has_value());
    EXPECT_EQ(shell().ws.frame->originX, world->frame.originX);
    EXPECT_EQ(shell().ws.settings.TrackWidth, TrackWidthPixels(*world));
    EXPECT_TRUE(shell().ws.editor.view.status1.ends_with(", with its world frame"));

    QFile yaml(h.work.filePath("Tracks/Monza_frame.yaml"));
    ASSERT_TRUE(yaml.open(QIODevice::Append));
    yaml.write("image: monza.png\n");
    yaml.close();
    h.boxes.clear();
    shell().HandleMenu(kCmdLoad);
    EXPECT_FALSE(shell().ws.frame.has_value());
    ASSERT_EQ(h.boxes.size(), 1);
    EXPECT_TRUE(h.boxes[0].contains(": unknown key \"image\"")) << h.boxes[0].toStdString();
    EXPECT_EQ(shell().ws.editor.TrackFileName, trk.toStdString());
}

} // namespace
} // namespace velmora

namespace velmora {
namespace {

// Where the track starts on the canvas: its first point.
QPointF TrackStart(const std::string& path)
{
    std::istringstream in(path);
    std::string move;
    double x = 0, y = 0;
    in >> move >> x >> y;
    return {x, y};
}

// The race line's label and the legend of its speed colours lie inside the
// part of the canvas the user sees, whether the line's start is in view or
// scrolled out of it, for a circuit and for a map, whose canvases are larger
// than the view; the label covers neither the legend nor leaves the view.
TEST_F(SimulatorMenu, TheLabelAndLegendStayInTheVisibleCanvas)
{
    const struct {
        int command;
        const char* file;
    } imports[] = {{kCmdImportCircuit, "/circuits/Monza.csv"}, {kCmdImportMap, "/f1tenth/Monza_map.yaml"}};
    const QSizeF longest = RacelineNoteSize("race line 12,345 m, lap 12:34.5 with racecar");
    for (const auto& i : imports) {
        const QString file = QString(VELMORA_TEST_DATA) + i.file;
        h.answerOpen = [file] { return file; };
        shell().HandleMenu(i.command);
        ASSERT_TRUE(h.boxes.isEmpty()) << h.boxes.join('\n').toStdString();
        const QPointF start = TrackStart(shell().ws.editor.model.TrackPath);
        QScrollBar* bars[] = {shell().scrollArea->horizontalScrollBar(), shell().scrollArea->verticalScrollBar()};
        for (const bool far : {false, true}) {
            for (QScrollBar* bar : bars)
                bar->setValue(far ? bar->maximum() : bar->minimum());
            const QRectF visible = shell().VisibleCanvas();
            ASSERT_FALSE(visible.isEmpty()) << i.file;
            const QRectF legend = SpeedLegendRect(visible);
            const QRectF label = RacelineLabelRect(visible, start, longest, legend);
            EXPECT_TRUE(visible.contains(label)) << i.file << " far " << far;
            EXPECT_TRUE(visible.contains(legend)) << i.file << " far " << far;
            EXPECT_FALSE(label.intersects(legend)) << i.file << " far " << far;
        }
    }

    // The label stays beside its point while the point is in view, and keeps
    // to the nearest edge when it is not.
    const QRectF view(100, 100, 400, 300);
    const QSizeF size(150, 20);
    EXPECT_EQ(PlaceLabel(view, {200, 200}, size).topLeft(), QPointF(212, 164));
    EXPECT_EQ(PlaceLabel(view, {-900, 250}, size).topLeft(), QPointF(108, 214));
    EXPECT_EQ(PlaceLabel(view, {900, -50}, size).topLeft(), QPointF(342, 108));
    EXPECT_EQ(PlaceLabel(view, {200, 900}, size).topLeft(), QPointF(212, 372));
}

// The file dialogs open where the user last chose a file, while that folder
// is there.
TEST(FileDialogFolderTest, OpensInTheLastFolderUsed)
{
    QTemporaryDir elsewhere;
    RememberFileDialogChoice(elsewhere.filePath("circuit.csv"));
    EXPECT_EQ(FileDialogFolder("/tracks/"), elsewhere.path());
    RememberFileDialogChoice(elsewhere.filePath("gone/circuit.csv"));
    EXPECT_EQ(FileDialogFolder("/tracks/"), "/tracks/");
}

} // namespace
} // namespace velmora
