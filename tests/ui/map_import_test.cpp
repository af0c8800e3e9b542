#include "ui/canvas_widget.h"
#include "ui/image_jobs.h"
#include "ui/map_import_dialog.h"
#include "ui/shell_harness.h"
#include "file_bytes.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace velmora {
namespace {

Settings Small()
{
    Settings s;
    s.CanvasWidth = 800;
    s.CanvasHeight = 700;
    return s;
}

// A click on the preview puts the start in the fields, in metres of the
// map's frame, at a centimetre; the mark goes back to the pixel clicked.
TEST(MapPreviewTest, AClickOnTheMapGivesItsPlaceInMetres)
{
    struct Case {
        QSize map;
        WorldFrame frame;
        double scale; // the preview's: whole steps up, a fit down
        QPoint click;
        QString x, y;
    };
    const Case cases[] = {
        {{200, 100}, {0.05, -3, 4}, 2, {41, 19}, "-1.96", "3.51"},
        {{2000, 2000}, {0.1, -50, 150}, 0.24, {120, 240}, "0.21", "49.79"},
        {{269, 783}, {0.05, -7.75, 32.83}, 480.0 / 783, {1, 1}, "-7.63", "32.71"},
        {{60, 40}, {1, 10, -10}, 8, {479, 319}, "69.94", "-49.94"},
    };
    for (const Case& c : cases) {
        QImage map(c.map, QImage::Format_Grayscale8);
        map.fill(200);
        MapImportDialog dialog(map, c.frame, MapImportChoice{}, nullptr);
        EXPECT_DOUBLE_EQ(dialog.preview->Scale(), c.scale);
        EXPECT_EQ(dialog.preview->size(), (QSizeF(c.map) * c.scale).toSize());
        QTest::mouseClick(dialog.preview, Qt::LeftButton, {}, c.click);
        EXPECT_EQ(dialog.startX->text(), c.x);
        EXPECT_EQ(dialog.startY->text(), c.y);
        const QPointF back = MetresToPreview(PreviewToMetres(c.click, c.scale, c.frame), c.scale, c.frame);
        EXPECT_NEAR(back.x(), c.click.x(), 1e-9);
        EXPECT_NEAR(back.y(), c.click.y(), 1e-9);
        const Result<MapImportChoice> chosen = dialog.Chosen();
        ASSERT_TRUE(chosen) << chosen.error();
        EXPECT_TRUE(chosen->startGiven);
        EXPECT_EQ(chosen->startX, c.x.toDouble());
    }
}

// What is typed is read whatever the locale; what is wrong is told in the
// dialog's words, and Import waits until it is mended.
TEST(MapImportDialogTest, TellsWhatIsWrongAndImportsOnlyWhatItCanRead)
{
    struct Case {
        QString x, y;
        int direction;
        QString heading, gaps, specks;
        const char* problem; // nullptr: Import is offered
    };
    const Case cases[] = {
        {"", "", 0, "", "", "", nullptr},
        {"1.5", "-2", 2, "90", "0.3", "0.2", nullptr},
        {"1.5", "", 0, "", "", "", "give both x and y of the start"},
        {"1,5", "2", 0, "", "", "", "the start's x needs a number, like 1.5, not \"1,5\""},
        {"", "", 2, "", "", "", "give the start heading in degrees"},
        {"", "", 2, "north", "", "", "the start heading needs a number"},
        {"", "", 0, "north", "", "", nullptr}, // the heading counts only for that direction
        {"", "", 0, "", "-0.2", "", "closing wall gaps needs a number of metres greater than 0"},
        {"", "", 0, "", "", "0", "ignoring obstacles needs a number of metres greater than 0"},
        {"", "", 0, "", "", "inf", "ignoring obstacles needs a number"},
    };
    QImage map(40, 30, QImage::Format_Grayscale8);
    map.fill(255);
    for (const Case& c : cases) {
        MapImportDialog dialog(map, WorldFrame{}, MapImportChoice{}, nullptr);
        dialog.startX->setText(c.x);
        dialog.startY->setText(c.y);
        dialog.direction->setCurrentIndex(c.direction);
        dialog.heading->setText(c.heading);
        dialog.closeGaps->setText(c.gaps);
        dialog.minObstacle->setText(c.specks);
        const std::string label = c.x.toStdString() + "|" + c.heading.toStdString() + "|" + c.gaps.toStdString();
        EXPECT_EQ(dialog.ok->isEnabled(), c.problem == nullptr) << label;
        EXPECT_EQ(dialog.Chosen().ok(), c.problem == nullptr) << label;
        if (c.problem) {
            EXPECT_TRUE(dialog.problem->text().startsWith(c.problem)) << dialog.problem->text().toStdString();
        }
        EXPECT_FALSE(dialog.problem->text().contains("--")) << label;
    }
    MapImportDialog dialog(map, WorldFrame{}, MapImportChoice{}, nullptr);
    dialog.startX->setText("1.5");
    dialog.startY->setText("-2");
    dialog.direction->setCurrentIndex(2);
    dialog.heading->setText("90");
    dialog.closeGaps->setText("0.3");
    const MapTrackOptions o = TrackOptions(*dialog.Chosen());
    EXPECT_TRUE(o.startGiven && o.yawGiven && !o.reverse);
    EXPECT_EQ(o.startX, 1.5);
    EXPECT_EQ(o.startY, -2);
    EXPECT_DOUBLE_EQ(o.startYaw, std::acos(-1.0) / 2);
    EXPECT_EQ(o.closeGaps, 0.3);
    EXPECT_EQ(o.minObstacle, 0); // the default: three cells
}

// The messages of map reading that name velmora-export's options, as the
// editor shows them.
TEST(MapImportWords, OptionsAreToldAsTheDialogNamesThem)
{
    const std::pair<const char*, const char*> cases[] = {
        {"its narrowest way out is 0.15 m wide at -10.37,-36.38 m (a gap in a wall?): --close-gaps 0.16 closes it",
         "its narrowest way out is 0.15 m wide at -10.37,-36.38 m (a gap in a wall?): closing wall gaps up to 0.16 m "
         "closes it"},
        {"makes more than one loop: --min-obstacle 0.61 ignores it",
         "makes more than one loop: ignoring obstacles smaller than 0.61 m ignores it"},
        {"(at 1,2 m and 3,4 m): a gap in a wall? --close-gaps M closes gaps up to M metres wide",
         "(at 1,2 m and 3,4 m): a gap in a wall? closing wall gaps up to its width closes it"},
        {"no free area of the map closes into a loop round a wall: give the track's start with --start X,Y",
         "no free area of the map closes into a loop round a wall: click the track's start on the map"},
        {"holds no wall to drive round (--close-gaps also narrows the track by that much on each side: try a smaller "
         "value)",
         "holds no wall to drive round (closing wall gaps also narrows the track by that much on each side: try a "
         "smaller value)"},
        {"the start 1.00,2.00 m lies closer to a wall than --close-gaps lets the search pass",
         "the start 1.00,2.00 m lies closer to a wall than closing wall gaps lets the search pass"},
        {"line 6: expected \"key: value\", not \"- -15.89\"", "line 6: expected \"key: value\", not \"- -15.89\""},
    };
    for (const auto& [core, editor] : cases)
        EXPECT_EQ(InEditorWords(core), editor);
}

// Runs the event loop until `jobs` is idle; how often a timer of the
// window's thread fired meanwhile.
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
    tick.start(1);
    QTimer::singleShot(120000, &loop, &QEventLoop::quit); // never for ever
    loop.exec();
    return turns;
}

// A 2,000 x 2,000 map is read and its track found on the worker: the
// command returns at once, the window goes on turning, picture commands
// wait, and the map comes in at the end with its canvas.
TEST(MapImportJob, RunsInTheBackgroundWhileTheWindowTurns)
{
    ShellHarness h(Small());
    Shell& shell = h.shell();
    DrawLoop(h);
    const std::string drawn = h.ws().editor.model.TrackPath;
    h.answerOpen = [] { return QString(VELMORA_TEST_DATA "/f1tenth/Spa_map.yaml"); };
    shell.HandleMenu(kCmdImportMap);
    ASSERT_TRUE(shell.imageJobs->Busy());
    EXPECT_EQ(shell.statusFields[1]->text(), "reading the map \u2026 0 s");
    EXPECT_EQ(h.ws().editor.model.TrackPath, drawn);
    h.answerSave = [] { return QString("never asked"); };
    shell.HandleMenu(kCmdExport);
    EXPECT_EQ(h.ws().editor.view.status1, "still importing a map; try again when it is done");

    EXPECT_GE(TurnsUntilIdle(*shell.imageJobs), 2);
    EXPECT_TRUE(h.boxes.isEmpty()) << h.boxes.join('\n').toStdString();
    EXPECT_TRUE(h.ws().editor.view.status1.starts_with("map imported: 2000 x 2000 cells"))
        << h.ws().editor.view.status1;
    EXPECT_NE(h.ws().editor.model.TrackPath, drawn);
    EXPECT_EQ(shell.canvas->size(), QSize(2000, 2000));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A map that cannot be imported is told in a box, in the editor's words,
// and leaves the editor as it was and free for the next command.
TEST(MapImportJob, AFailingMapIsToldAndTheEditorGoesOn)
{
    struct Case {
        const char* name;
        QByteArray yaml;
        QByteArray picture; // written as map.pgm
        std::optional<MapImportChoice> choice;
        const char* told;
    };
    QByteArray walls = "P5\n40 30\n255\n" + QByteArray(40 * 30, '\0');
    MapImportChoice far;
    far.startGiven = true;
    far.startX = 500;
    const QByteArray yaml = "image: map.pgm\nresolution: 0.05\norigin: [-1, -1, 0]\nnegate: 0\n"
                            "occupied_thresh: 0.65\nfree_thresh: 0.196\n";
    QByteArray gone = yaml;
    gone.replace("map.pgm", "gone.pgm");
    const Case cases[] = {
        {"no picture", gone, {}, {}, "gone.pgm"},
        {"no track", yaml, walls, {}, "click the track's start on the map"},
        {"start off the map", yaml, walls, far, "the start 500.00,0.00 m lies outside the map"},
        {"not a picture", yaml, "P5\n40 30\n255\nshort", {}, "map.pgm"},
    };
    ShellHarness h(Small());
    Shell& shell = h.shell();
    DrawLoop(h);
    const std::string drawn = h.ws().editor.model.TrackPath;
    for (const Case& c : cases) {
        const QString path = h.work.filePath("map.yaml");
        WriteAll(path, c.yaml);
        if (!c.picture.isEmpty())
            WriteAll(h.work.filePath("map.pgm"), c.picture);
        h.answerOpen = [path] { return path; };
        shell.prompts.chooseMapImport = [&c](const QImage&, const WorldFrame&, const MapImportChoice& initial) {
            return c.choice ? c.choice : std::optional<MapImportChoice>(initial);
        };
        h.boxes.clear();
        shell.HandleMenu(kCmdImportMap);
        h.WaitForPictures();
        ASSERT_EQ(h.boxes.size(), 1) << c.name;
        EXPECT_TRUE(h.boxes[0].contains("could not import map: " + path + ": ")) << h.boxes[0].toStdString();
        EXPECT_TRUE(h.boxes[0].contains(c.told)) << h.boxes[0].toStdString();
        EXPECT_FALSE(h.boxes[0].contains("--")) << h.boxes[0].toStdString();
        EXPECT_EQ(h.ws().editor.view.status1, "map not imported") << c.name;
        EXPECT_EQ(h.ws().editor.model.TrackPath, drawn) << c.name;
        EXPECT_TRUE(h.ws().templateImage.isNull()) << c.name;
        EXPECT_FALSE(shell.imageJobs->Busy()) << c.name;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << c.name;
    }
    // Still the editor's: a click undone, a map that can be read taken in.
    h.ClickCanvas({400, 300}, Qt::RightButton);
    EXPECT_NE(h.ws().editor.model.TrackPath, drawn);
    h.answerOpen = [] { return QString(VELMORA_TEST_DATA "/f1tenth/BrandsHatch_map.yaml"); };
    shell.prompts.chooseMapImport = nullptr;
    shell.HandleMenu(kCmdImportMap);
    h.WaitForPictures();
    EXPECT_TRUE(h.boxes.size() == 1) << h.boxes.join('\n').toStdString();
    EXPECT_TRUE(h.ws().editor.view.status1.starts_with("map imported: ")) << h.ws().editor.view.status1;
}

} // namespace
} // namespace velmora
