#include "core/settings/prefs_file.h"
#include "file_bytes.h"
#include "outputs/output_table.h"
#include "render/drawing.h"
#include "ui/canvas_widget.h"
#include "ui/shell_harness.h"
#include "ui/map_import_dialog.h"
#include "ui/simulator_export_dialog.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

namespace velmora {
namespace {

// Every file under `folder`, by its path inside it.
QStringList FilesUnder(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

Settings Small()
{
    Settings s;
    s.CanvasWidth = 800;
    s.CanvasHeight = 700;
    return s;
}

// Every output but the BMP, which cannot go with the PNG.
std::set<std::string> AllOutputs()
{
    std::set<std::string> all;
    for (const OutputEntry* output : Outputs())
        if (std::string(output->flag) != "bmp")
            all.insert(output->flag);
    return all;
}

TEST(SimulatorExportDialogTest, OffersEveryOutputOfTheTableInTheEditorsWords)
{
    SimulatorExport initial;
    initial.choices.outputs = {"png", "raceline"};
    initial.folder = "/tmp/out";
    initial.name = "loop";
    SimulatorExportDialog dialog(initial, "racecar", nullptr);
    ASSERT_EQ(dialog.outputs.size(), Outputs().size());
    for (std::size_t i = 0; i < Outputs().size(); ++i) {
        const std::string flag = Outputs()[i]->flag;
        EXPECT_EQ(dialog.outputs[i]->text().toStdString(), Outputs()[i]->label);
        EXPECT_TRUE(dialog.outputs[i]->toolTip().startsWith(Outputs()[i]->files)) << flag;
        EXPECT_EQ(dialog.outputs[i]->isChecked(), initial.choices.Wants(flag)) << flag;
    }
    // Every option of an output has its control: its own, or a field.
    std::size_t options = 0;
    for (const OutputEntry* output : Outputs())
        options += output->options.size();
    EXPECT_EQ(dialog.otherOptions.size() + 4, options); // PNG level, vehicle, heading, wall height: their own
    EXPECT_EQ(dialog.vehicle->currentText(), "racecar");
    // No command line in the editor: no option names on what the user reads.
    for (const QWidget* w : dialog.findChildren<QWidget*>()) {
        QString text = w->toolTip();
        if (const auto* label = qobject_cast<const QLabel*>(w))
            text += label->text();
        if (const auto* button = qobject_cast<const QAbstractButton*>(w))
            text += button->text();
        if (const auto* field = qobject_cast<const QLineEdit*>(w))
            text += field->placeholderText();
        EXPECT_FALSE(text.contains("--")) << text.toStdString();
    }

    // PNG and BMP exclude each other: the one checked last stays.
    const auto box = [&](const char* flag) {
        for (std::size_t i = 0; i < Outputs().size(); ++i)
            if (Outputs()[i]->flag == std::string(flag))
                return dialog.outputs[i];
        return static_cast<QCheckBox*>(nullptr);
    };
    box("bmp")->setChecked(true);
    EXPECT_FALSE(box("png")->isChecked());
    box("png")->setChecked(true);
    EXPECT_FALSE(box("bmp")->isChecked());

    const Result<SimulatorExport> chosen = dialog.Chosen();
    ASSERT_TRUE(chosen) << chosen.error();
    EXPECT_EQ(chosen->choices.outputs, initial.choices.outputs);
    EXPECT_EQ(chosen->choices.options.vehicle->name, "racecar");
    EXPECT_EQ(chosen->folder, "/tmp/out");
}

// Every choice of the dialog comes back as it was when the dialog opens
// again over what it gave.
TEST(SimulatorExportDialogTest, EveryChoiceSurvivesReopening)
{
    SimulatorExport first;
    first.choices.outputs = {"bmp", "gazebo", "raceline"};
    first.folder = "/tmp/somewhere else/out";
    first.name = "oval";
    SimulatorExportDialog dialog(first, "f1tenth", nullptr);
    dialog.vehicle->setCurrentText("racecar");
    dialog.spacing->setText("0.25");
    dialog.pngLevel->setValue(3);
    dialog.headingZero->setCurrentIndex(1);
    dialog.wallHeight->setText("0.45");
    const Result<SimulatorExport> chosen = dialog.Chosen();
    ASSERT_TRUE(chosen) << chosen.error();
    SimulatorExportDialog again(*chosen, "racecar", nullptr);
    const Result<SimulatorExport> same = again.Chosen();
    ASSERT_TRUE(same) << same.error();
    EXPECT_EQ(same->name, "oval");
    EXPECT_EQ(same->folder, first.folder);
    EXPECT_EQ(same->choices.outputs, first.choices.outputs);
    EXPECT_EQ(same->choices.spacing, 0.25);
    EXPECT_EQ(same->choices.options.pngLevel, 3);
    EXPECT_EQ(same->choices.options.vehicle->name, "racecar");
    EXPECT_EQ(same->choices.options.headingZero, HeadingZero::North);
    EXPECT_EQ(same->choices.options.wallHeight, 0.45);

    // A message takes the room it had from the start: the buttons stay put.
    again.show();
    const QPoint okAt = again.ok->mapTo(&again, QPoint(0, 0));
    const QSize size = again.size();
    again.name->clear();
    again.ok->click();
    EXPECT_EQ(again.problem->text(), "give the files a name");
    EXPECT_EQ(again.ok->mapTo(&again, QPoint(0, 0)), okAt);
    EXPECT_EQ(again.size(), size);
}

TEST(SimulatorExportDialogTest, TellsWhatIsWrongWithWhatWasTyped)
{
    const struct {
        const char* spacing;
        const char* vehicle;
        const char* folder;
        const char* error; // the start of the message; empty: usable
    } cases[] = {
        {"", "f1tenth", "/tmp/out", ""},
        {" 0.5 ", "racecar", "/tmp/out", ""},
        {"0,5", "f1tenth", "/tmp/out", "the spacing needs a number of metres greater than 0"},
        {"-1", "f1tenth", "/tmp/out", "the spacing needs"},
        {"inf", "f1tenth", "/tmp/out", "the spacing needs"},
        {"", "no-such-car", "/tmp/out", "no-such-car: no such vehicle (f1tenth, racecar)"},
        {"", "f1tenth", "  ", "choose the folder"},
    };
    for (const auto& c : cases) {
        SimulatorExport initial;
        initial.choices.outputs = {"centreline"};
        initial.name = "track";
        SimulatorExportDialog dialog(initial, c.vehicle, nullptr);
        dialog.spacing->setText(c.spacing);
        dialog.folder->setText(c.folder);
        const Result<SimulatorExport> chosen = dialog.Chosen();
        EXPECT_EQ(chosen.error().rfind(c.error, 0), 0u) << c.spacing << " " << c.vehicle << ": " << chosen.error();
        EXPECT_EQ(chosen.ok(), std::string(c.error).empty()) << c.spacing << " " << c.vehicle;
    }
    SimulatorExport none;
    none.folder = "/tmp/out";
    SimulatorExportDialog empty(none, "f1tenth", nullptr);
    EXPECT_EQ(empty.Chosen().error(), "give the files a name"); // an unsaved track's
    empty.name->setText("a/b");
    EXPECT_EQ(empty.Chosen().error(), "the name is for the files, not a folder: no / or \\ in it");
    empty.name->setText("oval");
    EXPECT_EQ(empty.Chosen().error(), "nothing to write: check an output");
    empty.outputs[0]->setChecked(true);
    empty.wallHeight->setText("0");
    EXPECT_EQ(empty.Chosen().error(), "Wall height needs a number of metres greater than 0 and at most 1000, not \"0\"");
    empty.wallHeight->setText("0.3");
    for (const auto& [option, field] : empty.otherOptions)
        field->setText("x");
    EXPECT_EQ(empty.Chosen().ok(), empty.otherOptions.empty()); // each option's own reader refuses it
}

class SimulatorExportTest : public ::testing::Test {
protected:
    SimulatorExportTest() : h(Small()) {}

    // Runs velmora-export on the saved track with the editor's settings and
    // images; its exit code.
    int RunTool(const QStringList& args)
    {
        const QString prefs = h.work.filePath("tool_prefs.ini");
        WriteAll(prefs, QByteArray::fromStdString(WritePrefs(h.ws().settings)));
        QProcess p;
        p.start(VELMORA_EXPORT_PROGRAM, QStringList{"--prefs", prefs, "--images", h.ws().imagesFolder} + args);
        EXPECT_TRUE(p.waitForFinished(300000));
        EXPECT_EQ(p.readAllStandardError().toStdString(), "");
        return p.exitCode();
    }

    ShellHarness h;
};

// The editor writes what the tool writes for the same track, settings and
// frame, byte for byte: every file of every output.
TEST_F(SimulatorExportTest, WritesTheFilesTheToolWrites)
{
    DrawLoop(h);
    h.ws().frame = WorldFrame{0.1, -12.5, 40}; // saved beside the track, read by the tool
    const QString trk = h.work.filePath("Tracks/loop.trk");
    h.answerSave = [trk] { return trk; };
    h.shell().HandleMenu(kCmdSave);
    ASSERT_TRUE(QFile::exists(h.work.filePath("Tracks/loop_frame.yaml")));

    SimulatorExport asked;
    SimulatorExport chosen;
    chosen.choices.outputs = AllOutputs();
    chosen.choices.options.vehicle = *LoadVehicle("racecar");
    chosen.choices.options.pngLevel = 6;
    chosen.choices.spacing = 0.5;
    chosen.folder = h.work.filePath("editor");
    chosen.name = "loop";
    h.shell().prompts.chooseSimulatorExport = [&](const SimulatorExport& initial, const std::string&) {
        asked = initial;
        return std::optional<SimulatorExport>(chosen);
    };
    h.shell().HandleMenu(kCmdExportSimulators);
    h.WaitForPictures();
    EXPECT_TRUE(h.boxes.isEmpty()) << h.boxes.join('\n').toStdString();
    EXPECT_EQ(asked.folder, h.work.filePath("Tracks")); // beside the track at first
    EXPECT_EQ(asked.name, "loop");                       // named after it
    EXPECT_TRUE(h.ws().editor.view.status1.starts_with("exported for simulators to ")) << h.ws().editor.view.status1;

    QStringList args;
    for (const std::string& flag : chosen.choices.outputs)
        args << QString::fromStdString("--" + flag);
    args << "--vehicle" << "racecar" << "--png-level" << "6" << "--spacing" << "0.5" << "--out-dir"
         << h.work.filePath("tool") << trk;
    ASSERT_EQ(RunTool(args), 0);

    const QStringList files = FilesUnder(h.work.filePath("tool"));
    EXPECT_EQ(FilesUnder(chosen.folder), files);
    EXPECT_TRUE(files.contains("loop_frame.yaml"));
    EXPECT_TRUE(files.contains("loop_gazebo/model.sdf"));
    for (const QString& file : files)
        EXPECT_EQ(ReadAll(chosen.folder + "/" + file), ReadAll(h.work.filePath("tool/") + file))
            << file.toStdString();

    // Offered again as it was last chosen.
    h.shell().HandleMenu(kCmdExportSimulators);
    h.WaitForPictures();
    EXPECT_EQ(asked.folder, chosen.folder);
    EXPECT_EQ(asked.choices.outputs, chosen.choices.outputs);
    EXPECT_EQ(asked.choices.spacing, 0.5);
    EXPECT_EQ(asked.choices.options.pngLevel, 6);
    EXPECT_EQ(asked.name, "loop");
}

// Files of the track already there are written over only when the user
// agrees, as Save As asks; a folder without them is not asked about.
TEST_F(SimulatorExportTest, AsksBeforeWritingOverTheTracksFiles)
{
    DrawLoop(h);
    SimulatorExport chosen;
    chosen.choices.outputs = {"centreline", "rl"};
    chosen.choices.options.vehicle = DefaultVehicle();
    chosen.folder = h.work.filePath("out");
    chosen.name = "track";
    h.shell().prompts.chooseSimulatorExport = [&](const SimulatorExport&, const std::string&) {
        return std::optional<SimulatorExport>(chosen);
    };
    QStringList questions;
    bool agree = true;
    h.shell().prompts.confirm = [&](const QString& text) {
        questions << text;
        return agree;
    };
    const QString asked = "2 files of this track already exist in " + chosen.folder +
                          " (track_rl.txt, track_centreline.csv); overwrite?";
    // First into an empty folder, then over the files: refused, then agreed.
    for (const int round : {0, 1, 2}) {
        const bool first = round == 0, yes = round != 1;
        if (!first)
            WriteAll(chosen.folder + "/track_rl.txt", "old");
        agree = yes;
        questions.clear();
        h.shell().HandleMenu(kCmdExportSimulators);
        h.WaitForPictures();
        EXPECT_EQ(questions, first ? QStringList{} : QStringList{asked});
        EXPECT_EQ(h.ws().editor.view.status1.substr(0, 9), yes ? "exported " : "cancelled");
        EXPECT_EQ(ReadAll(chosen.folder + "/track_rl.txt") != "old", yes);
    }
}

// A failure is told and nothing of the track is written; an empty canvas
// and Cancel write nothing.
TEST_F(SimulatorExportTest, FailuresAreToldAndCancelWritesNothing)
{
    bool asked = false;
    h.shell().prompts.chooseSimulatorExport = [&](const SimulatorExport&, const std::string&) {
        asked = true;
        return std::optional<SimulatorExport>();
    };
    h.shell().HandleMenu(kCmdExportSimulators);
    EXPECT_FALSE(asked);
    ASSERT_EQ(h.boxes.size(), 1);
    EXPECT_TRUE(h.boxes[0].contains("nothing to export")) << h.boxes[0].toStdString();

    DrawLoop(h);
    h.boxes.clear();
    h.shell().HandleMenu(kCmdExportSimulators);
    EXPECT_TRUE(asked);
    EXPECT_EQ(h.ws().editor.view.status1, "cancelled");

    // A file where the folder should be.
    WriteAll(h.work.filePath("taken"), "x");
    SimulatorExport chosen;
    chosen.choices.outputs = {"centreline"};
    chosen.choices.options.vehicle = DefaultVehicle();
    chosen.folder = h.work.filePath("taken");
    chosen.name = "track";
    h.shell().prompts.chooseSimulatorExport = [&](const SimulatorExport&, const std::string&) {
        return std::optional<SimulatorExport>(chosen);
    };
    h.shell().HandleMenu(kCmdExportSimulators);
    h.WaitForPictures();
    ASSERT_EQ(h.boxes.size(), 1);
    EXPECT_TRUE(h.boxes[0].contains("could not export for simulators: could not create the folder"))
        << h.boxes[0].toStdString();

    // A track that goes on after its loop: the sampled outputs cannot
    // follow it, and the RL data, which could be made, is not written either.
    h.ClickCanvas({400, 300}, Qt::LeftButton);
    chosen.choices.outputs = {"centreline", "rl"};
    chosen.folder = h.work.filePath("out");
    h.boxes.clear();
    h.shell().HandleMenu(kCmdExportSimulators);
    h.WaitForPictures();
    ASSERT_EQ(h.boxes.size(), 1);
    EXPECT_TRUE(h.boxes[0].contains("could not write the centreline: the track goes on after its loop is closed"))
        << h.boxes[0].toStdString();
    EXPECT_EQ(FilesUnder(chosen.folder), QStringList{});
}

// Import Map takes in the map's track as the tool reads the map: saved, the
// track and its frame are the files the tool writes with --trk; the map's
// picture lies under it, a cell a canvas pixel. A map that cannot be read
// changes nothing.
TEST_F(SimulatorExportTest, ImportMapTakesTheMapsTrackAndFrame)
{
    DrawLoop(h);
    const std::string drawn = h.ws().editor.model.TrackPath;
    const QString broken = h.work.filePath("broken.yaml");
    WriteAll(broken, "image: missing.pgm\nresolution: 0.05\norigin: [0, 0, 0]\n");
    h.answerOpen = [broken] { return broken; };
    h.shell().HandleMenu(kCmdImportMap);
    h.WaitForPictures();
    ASSERT_EQ(h.boxes.size(), 1);
    EXPECT_TRUE(h.boxes[0].contains("could not import map: " + broken + ": ")) << h.boxes[0].toStdString();
    EXPECT_EQ(h.ws().editor.model.TrackPath, drawn);
    EXPECT_FALSE(h.ws().frame.has_value());
    EXPECT_FALSE(h.ws().map.has_value());
    EXPECT_EQ(h.ws().canvas.size(), QSize(800, 700));

    const QString yaml = VELMORA_TEST_DATA "/f1tenth/Spa_map.yaml";
    h.answerOpen = [yaml] { return yaml; };
    h.boxes.clear();
    h.shell().HandleMenu(kCmdImportMap);
    h.WaitForPictures();
    EXPECT_TRUE(h.boxes.isEmpty()) << h.boxes.join('\n').toStdString();
    EXPECT_TRUE(h.ws().editor.view.status1.starts_with("map imported: ")) << h.ws().editor.view.status1;
    const QImage map(VELMORA_TEST_DATA "/f1tenth/Spa_map.png");
    ASSERT_FALSE(map.isNull());
    ASSERT_TRUE(h.ws().map.has_value());
    EXPECT_EQ(h.ws().map->picture.size(), map.size());
    EXPECT_TRUE(h.ws().templateImage.isNull());
    EXPECT_EQ(h.ws().canvas.size(), map.size());
    EXPECT_EQ(h.shell().canvas->size(), map.size());
    ASSERT_TRUE(h.ws().frame.has_value());
    EXPECT_NE(h.ws().editor.model.TrackPath, drawn);

    // Undo a point and draw it again: the same track.
    const std::string imported = h.ws().editor.model.TrackPath;
    h.shell().HandleMenu(kCmdRedo); // nothing to redo yet
    EXPECT_EQ(h.ws().editor.model.TrackPath, imported);

    const QString trk = h.work.filePath("Tracks/Spa_map.trk");
    h.answerSave = [trk] { return trk; };
    h.shell().HandleMenu(kCmdSave);
    ASSERT_EQ(RunTool({"--trk", "--out-dir", h.work.filePath("tool"), yaml}), 0);
    EXPECT_EQ(ReadAll(trk), ReadAll(h.work.filePath("tool/Spa_map.trk")));
    // The tool takes the map's frame along with the track, as for a circuit.
    ASSERT_TRUE(QFile::exists(h.work.filePath("tool/Spa_map_frame.yaml")));
    EXPECT_EQ(ReadAll(h.work.filePath("Tracks/Spa_map_frame.yaml")),
              ReadAll(h.work.filePath("tool/Spa_map_frame.yaml")));
}

// The Import Map dialog's choices reach the import as the tool's options
// do: a typed start, the other direction and the measured width give the
// track velmora-export makes with --start, --reverse and --track-width csv,
// not its default one. They are offered
// again when the same map is imported next.
TEST_F(SimulatorExportTest, ImportMapDialogChoicesGiveTheToolsTrackForTheSameOptions)
{
    const QString yaml = VELMORA_TEST_DATA "/f1tenth/Spa_map.yaml";
    h.answerOpen = [yaml] { return yaml; };
    std::vector<MapImportChoice> offered;
    h.shell().prompts.chooseMapImport = [&offered](const QImage& map, const WorldFrame& frame,
                                                   const MapImportChoice& initial) -> std::optional<MapImportChoice> {
        offered.push_back(initial);
        MapImportDialog dialog(map, frame, initial, nullptr);
        dialog.startX->setText("-29.39");
        dialog.startY->setText("-120.58");
        dialog.direction->setCurrentIndex(int(MapImportChoice::Direction::Clockwise));
        dialog.measuredWidth->setChecked(true);
        const Result<MapImportChoice> chosen = dialog.Chosen();
        EXPECT_TRUE(chosen) << dialog.problem->text().toStdString();
        return chosen ? std::optional<MapImportChoice>(*chosen) : std::nullopt;
    };
    h.shell().HandleMenu(kCmdImportMap);
    h.WaitForPictures();
    ASSERT_TRUE(h.boxes.isEmpty()) << h.boxes.join('\n').toStdString();
    const QString trk = h.work.filePath("Tracks/Spa_map.trk");
    h.answerSave = [trk] { return trk; };
    h.shell().HandleMenu(kCmdSave);
    ASSERT_EQ(RunTool({"--trk", "--start", "-29.39,-120.58", "--reverse", "--track-width", "csv", "--out-dir",
                       h.work.filePath("tool"), yaml}),
              0);
    ASSERT_EQ(RunTool({"--trk", "--out-dir", h.work.filePath("default"), yaml}), 0);
    EXPECT_EQ(ReadAll(trk), ReadAll(h.work.filePath("tool/Spa_map.trk")));
    EXPECT_NE(ReadAll(trk), ReadAll(h.work.filePath("default/Spa_map.trk")));
    EXPECT_EQ(ReadAll(h.work.filePath("Tracks/Spa_map_frame.yaml")), ReadAll(h.work.filePath("tool/Spa_map_frame.yaml")));

    h.shell().HandleMenu(kCmdImportMap);
    h.WaitForPictures();
    ASSERT_EQ(offered.size(), 2);
    EXPECT_FALSE(offered[0].startGiven);
    EXPECT_TRUE(offered[1].startGiven);
    EXPECT_EQ(offered[1].startX, -29.39);
    EXPECT_EQ(offered[1].direction, MapImportChoice::Direction::Clockwise);
    EXPECT_TRUE(offered[1].measuredWidth);
}

// An imported circuit is the same track however it comes back: exported
// by the editor right after Import and Save, by the editor after Load, and
// by the tool from the saved track and from the circuit itself, every file
// of every output is the same, the race line (which keeps to the circuit's
// own edges) included. A new track is no longer that circuit, and its edges
// are not used for it.
TEST_F(SimulatorExportTest, AnImportedCircuitExportsTheSameAfterSaveAndLoad)
{
    const QString circuit = VELMORA_TEST_DATA "/circuits/Monza.csv";
    const QString trk = h.work.filePath("Tracks/Monza.trk");
    h.answerOpen = [circuit] { return circuit; };
    h.shell().HandleMenu(kCmdImportCircuit);
    ASSERT_TRUE(h.boxes.isEmpty()) << h.boxes.join('\n').toStdString();
    ASSERT_NE(CircuitEdgesNow(h.ws()), nullptr);
    h.answerSave = [trk] { return trk; };
    h.shell().HandleMenu(kCmdSave);

    SimulatorExport chosen;
    chosen.choices.outputs = AllOutputs();
    chosen.choices.options.vehicle = *LoadVehicle("racecar");
    chosen.name = "Monza";
    h.shell().prompts.chooseSimulatorExport = [&](const SimulatorExport&, const std::string&) {
        return std::optional<SimulatorExport>(chosen);
    };
    const auto exportTo = [&](const char* folder) {
        chosen.folder = h.work.filePath(folder);
        h.shell().HandleMenu(kCmdExportSimulators);
        h.WaitForPictures();
        EXPECT_TRUE(h.boxes.isEmpty()) << folder << ": " << h.boxes.join('\n').toStdString();
    };
    exportTo("imported");
    h.shell().HandleMenu(kCmdNew);
    EXPECT_EQ(CircuitEdgesNow(h.ws()), nullptr);
    h.answerOpen = [trk] { return trk; };
    h.shell().HandleMenu(kCmdLoad);
    ASSERT_NE(CircuitEdgesNow(h.ws()), nullptr) << h.ws().editor.view.status1;
    exportTo("loaded");
    QStringList args;
    for (const std::string& flag : chosen.choices.outputs)
        args << QString::fromStdString("--" + flag);
    args << "--vehicle" << "racecar";
    ASSERT_EQ(RunTool(args + QStringList{"--out-dir", h.work.filePath("tool"), trk}), 0);
    ASSERT_EQ(RunTool(args + QStringList{"--out-dir", h.work.filePath("csv"), circuit}), 0);

    // Moved to another place in the world, the track no longer lies on the
    // circuit's edges.
    h.shell().prompts.chooseFrame = [](const WorldFrame& f, QSize, double) {
        return std::optional<WorldFrame>(WorldFrame{f.metresPerPixel, f.originX + 100, f.originY});
    };
    h.shell().HandleMenu(kCmdWorldFrame);
    EXPECT_EQ(CircuitEdgesNow(h.ws()), nullptr);

    const QStringList files = FilesUnder(h.work.filePath("imported"));
    EXPECT_TRUE(files.contains("Monza_raceline.csv"));
    for (const char* other : {"loaded", "tool", "csv"}) {
        EXPECT_EQ(FilesUnder(h.work.filePath(other)), files) << other;
        for (const QString& file : files)
            EXPECT_EQ(ReadAll(h.work.filePath("imported/") + file), ReadAll(h.work.filePath(other) + "/" + file))
                << other << ": " << file.toStdString();
    }
}

// An imported map's track exports as the tool writes it from the map, and
// after Save and Load as the tool writes it from the track file, byte for
// byte; the picture shows the map under the track, Gazebo's ground the track
// alone. Writing over the map's picture is refused, as the tool refuses it.
TEST_F(SimulatorExportTest, AnImportedMapExportsAsTheToolDoesBeforeAndAfterSaveAndLoad)
{
    const QString maps = h.work.filePath("maps"), yaml = maps + "/hangar.yaml", trk = h.work.filePath("hangar.trk");
    ASSERT_TRUE(QDir().mkpath(maps));
    for (const char* file : {"hangar.yaml", "hangar.png"})
        ASSERT_TRUE(QFile::copy(QString(VELMORA_TEST_DATA "/slam/hangar/") + file, maps + "/" + file));
    SimulatorExport chosen;
    chosen.choices.outputs = AllOutputs();
    chosen.name = "hangar";
    h.shell().prompts.chooseSimulatorExport = [&](const SimulatorExport&, const std::string&) {
        return std::optional<SimulatorExport>(chosen);
    };
    const auto run = [&](int command, const QString& file) {
        h.answerOpen = h.answerSave = [file] { return file; };
        chosen.folder = file;
        h.shell().HandleMenu(command);
        h.WaitForPictures();
    };
    run(kCmdImportMap, yaml);
    run(kCmdExportSimulators, maps);
    ASSERT_EQ(h.boxes.size(), 1);
    EXPECT_TRUE(h.boxes[0].contains("Picture (PNG) would write hangar.png over the map's picture"));
    h.boxes.clear();
    run(kCmdExportSimulators, h.work.filePath("imported"));
    run(kCmdSave, trk);
    run(kCmdNew, {});
    run(kCmdLoad, trk);
    run(kCmdExportSimulators, h.work.filePath("loaded"));
    EXPECT_TRUE(h.boxes.isEmpty()) << h.boxes.join('\n').toStdString();

    QStringList args;
    for (const std::string& flag : chosen.choices.outputs)
        args << QString::fromStdString("--" + flag);
    ASSERT_EQ(RunTool(args + QStringList{"--out-dir", h.work.filePath("yaml"), yaml}), 0);
    ASSERT_EQ(RunTool(args + QStringList{"--out-dir", h.work.filePath("trk"), trk}), 0);
    ASSERT_EQ(RunTool(args + QStringList{"--out-dir", h.work.filePath("trk_of_tool"), h.work.filePath("yaml/hangar.trk")}), 0);
    // A map track saved and read back, by either, is the track the import
    // found: its measured widths and its walls come back with it, so every
    // file (race line and centre line too) is the import's, byte for byte.
    const QStringList files = FilesUnder(h.work.filePath("imported"));
    for (const char* folder : {"yaml", "loaded", "trk", "trk_of_tool"}) {
        EXPECT_EQ(FilesUnder(h.work.filePath(folder)), files) << folder;
        for (const QString& file : files)
            EXPECT_EQ(ReadAll(h.work.filePath("imported/" + file)), ReadAll(h.work.filePath(folder) + "/" + file))
                << folder << ": " << file.toStdString();
    }
    // The map's outside is a wall: black in the picture, the background on the ground.
    EXPECT_EQ(QImage(h.work.filePath("loaded/hangar.png")).pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(QImage(h.work.filePath("loaded/hangar_gazebo/materials/textures/hangar.png")).pixel(0, 0),
              ToQColor(h.ws().settings.BGColor).rgb());
}

// An imported circuit's race line keeps to the circuit's own edges, and an
// imported map's to the map's walls, as the tool's does from the same file:
// the editor writes the tool's rows. A new track is no longer that circuit
// or map, and its edges are not used for it.
TEST_F(SimulatorExportTest, AnImportedTracksRaceLineKeepsToItsOwnEdgesAsTheToolsDoes)
{
    const struct {
        int command;
        QString file;
        const char* vehicle;
        QStringList options; // the tool's, for the same track
    } cases[] = {
        {kCmdImportCircuit,
         VELMORA_TEST_DATA "/circuits/BrandsHatch.csv",
         "racecar",
         {"--track-width", "csv"}},
        {kCmdImportMap, VELMORA_TEST_DATA "/f1tenth/Spa_map.yaml", "f1tenth", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        h.answerOpen = [&c] { return c.file; };
        h.shell().HandleMenu(c.command);
        h.WaitForPictures();
        ASSERT_TRUE(h.boxes.isEmpty()) << h.boxes.join('\n').toStdString();
        ASSERT_NE(CircuitEdgesNow(h.ws()), nullptr);

        SimulatorExport chosen;
        chosen.choices.outputs = {"raceline"};
        chosen.choices.options.vehicle = *LoadVehicle(c.vehicle);
        chosen.folder = h.work.filePath("editor");
        chosen.name = "track";
        h.shell().prompts.chooseSimulatorExport = [&](const SimulatorExport& initial, const std::string&) {
            EXPECT_EQ(initial.name, ""); // never saved: the dialog asks for one
            return std::optional<SimulatorExport>(chosen);
        };
        h.shell().HandleMenu(kCmdExportSimulators);
        h.WaitForPictures();
        EXPECT_TRUE(h.boxes.isEmpty()) << h.boxes.join('\n').toStdString();
        ASSERT_EQ(
            RunTool(QStringList{"--raceline", "--vehicle", c.vehicle, "--out-dir", h.work.filePath("tool")} +
                        c.options
                    << c.file),
            0);
        // The second comment line names the track: "track" in the editor.
        const auto rows = [](const QByteArray& file) {
            return file.mid(file.indexOf('\n', file.indexOf('\n') + 1));
        };
        const QByteArray editor = ReadAll(h.work.filePath("editor/track_raceline.csv"));
        ASSERT_FALSE(editor.isEmpty());
        EXPECT_EQ(rows(editor), rows(ReadAll(h.work.filePath("tool/" + QFileInfo(c.file).completeBaseName() +
                                                             "_raceline.csv"))));

        h.shell().HandleMenu(kCmdNew);
        EXPECT_EQ(CircuitEdgesNow(h.ws()), nullptr);
    }
}

} // namespace
} // namespace velmora
