#include "ui/canvas_widget.h"
#include "ui/image_jobs.h"
#include "ui/map_import_dialog.h"
#include "ui/shell_harness.h"
#include "file_bytes.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineF>
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
// map's frame, at a centimetre.
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
        EXPECT_LT(QLineF(back, c.click).length(), 1e-9); // the mark lands where the click was
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
        EXPECT_EQ(dialog.ok->isEnabled(), c.problem == nullptr) << c.x.toStdString() << c.heading.toStdString();
        EXPECT_EQ(dialog.Chosen().ok(), c.problem == nullptr) << c.x.toStdString() << c.heading.toStdString();
        if (c.problem) {
            EXPECT_TRUE(dialog.problem->text().startsWith(c.problem)) << dialog.problem->text().toStdString();
        }
        EXPECT_FALSE(dialog.problem->text().contains("--")) << c.x.toStdString() << c.heading.toStdString();
    }
    MapImportDialog dialog(map, WorldFrame{}, MapImportChoice{}, nullptr);
    dialog.direction->setCurrentIndex(2);
    dialog.heading->setText("90");
    const MapTrackOptions o = TrackOptions(*dialog.Chosen());
    EXPECT_TRUE(o.yawGiven && !o.reverse);
    EXPECT_DOUBLE_EQ(o.startYaw, std::acos(-1.0) / 2);
}

// A map that cannot be imported is told in a box, in the editor's words,
// and leaves the editor as it was and free for the next command. A 2,000 x
// 2,000 map is read and its track found on the worker: the command returns
// at once, the window goes on turning, picture commands wait, and the map
// comes in at the end with its canvas.
TEST(MapImportJob, RunsInTheBackgroundAndAFailingMapChangesNothing)
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
        {"no track", yaml, walls, {}, "no free area of the map closes into a loop"},
        {"start off the map", yaml, walls, far, "the start 500.00,0.00 m lies outside the map"},
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
    h.answerOpen = [] { return QString(VELMORA_TEST_DATA "/f1tenth/Spa_map.yaml"); };
    shell.prompts.chooseMapImport = nullptr;
    shell.HandleMenu(kCmdImportMap);
    ASSERT_TRUE(shell.imageJobs->Busy());
    EXPECT_EQ(shell.statusFields[1]->text(), "reading the map \u2026 0 s");
    EXPECT_EQ(h.ws().editor.model.TrackPath, drawn);
    shell.HandleMenu(kCmdExport);
    EXPECT_EQ(h.ws().editor.view.status1, "still importing a map; try again when it is done");
    int turns = 0; // of a timer of the window's thread while the map comes in
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&turns] { ++turns; });
    tick.start(1);
    h.boxes.clear();
    h.WaitForPictures();
    EXPECT_GE(turns, 2);
    EXPECT_TRUE(h.boxes.isEmpty()) << h.boxes.join('\n').toStdString();
    EXPECT_TRUE(h.ws().editor.view.status1.starts_with("map imported: map 2000 x 2000 cells"))
        << h.ws().editor.view.status1;
    EXPECT_EQ(shell.canvas->size(), QSize(2000, 2000));
}

} // namespace
} // namespace velmora
