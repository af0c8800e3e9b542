#include "core/inputs/frame_sidecar.h"
#include "core/mapin/free_cells.h"
#include "core/settings/prefs_file.h"
#include "export_tool/batch_export.h"
#include "inputs/track_input.h"
#include "render/drawing.h"
#include "ui/file_commands.h"
#include "ui/simulator_commands.h"
#include "ui/workspace.h"
#include "file_bytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace velmora {
namespace {

QString Circuit(const char* name)
{
    return QString(VELMORA_TEST_DATA "/circuits/") + name + ".csv";
}

// A run of the tool over one track, with the same settings as the editor.
struct ToolRun {
    int code = -1;
    std::string facts;
    std::string errors;
};

class TrackWorldExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        settings.CanvasWidth = 1600;
        settings.CanvasHeight = 1200;
        prefs = dir.filePath("p.ini");
        WriteAll(prefs, QByteArray::fromStdString(WritePrefs(settings)));
        QDir(dir.path()).mkpath("csv");
        QDir(dir.path()).mkpath("trk");
    }

    ToolRun RunTool(std::set<std::string> outputs, const QString& track, const QString& outDir,
                    const std::vector<std::string>& extra = {})
    {
        std::vector<std::string> args{"--prefs",   prefs.toStdString(),  "--images", VELMORA_ASSETS "/Images",
                                      "--out-dir", outDir.toStdString(), "--jobs",   "1"};
        for (const std::string& o : outputs)
            args.push_back("--" + o);
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(track.toStdString());
        Result<ExportOptions> o = ParseExportArgs(args);
        EXPECT_TRUE(o) << o.error();
        std::ostringstream out, err;
        ToolRun r;
        r.code = o ? RunBatchExport(*o, dir.path(), out, err, false) : 2;
        r.facts = out.str();
        r.errors = err.str();
        return r;
    }

public:
    // The editor's Import Circuit (Import Map for a .yaml), redrawn, then
    // Save under `trk`, with the vehicle file `vehicle` chosen when one is given.
    Workspace ImportAndSave(const QString& source, const QString& trk, const QString& vehicle = {})
    {
        Workspace ws;
        ws.settings = ws.prefs = settings;
        ws.canvas = QImage(1600, 1200, QImage::Format_RGB32);
        ws.tracksFolder = dir.path() + "/";
        Prompts p;
        p.openFile = [&](const QString&, const QString&, const QString&) { return source; };
        p.saveFile = [&](const QString&, const QString&, const QString&) { return trk; };
        p.confirm = [](const QString&) { return true; };
        p.message = [](const QString& title, const QString& text) {
            ADD_FAILURE() << title.toStdString() << ": " << text.toStdString();
        };
        IsMapInput(source) ? ImportMap(ws, p) : ImportCircuit(ws, p); // no worker: in when it returns
        EXPECT_TRUE(ws.frame.has_value()) << ws.editor.view.status1;
        if (!vehicle.isEmpty())
            ws.vehicle = vehicle.toStdString();
        SyncCanvas(ws);
        SaveTrack(ws, p);
        return ws;
    }

    // A track only drawn, which has no world, saved as `trk`.
    void SaveDrawn(const QString& trk)
    {
        Workspace ws;
        ws.settings = ws.prefs = settings;
        ws.editor.model.TrackPath = "M 300 300 L 700 300 L 700 700 L 300 700 Z";
        Prompts p;
        p.saveFile = [&](const QString&, const QString&, const QString&) { return trk; };
        p.confirm = [](const QString&) { return true; };
        SaveTrack(ws, p);
    }

    // The editor's Load of `trk`, redrawn; the boxes it showed go to `boxes`.
    Workspace Loaded(const QString& trk, QStringList& boxes)
    {
        Workspace ws;
        ws.settings = ws.prefs = settings;
        Prompts p;
        p.openFile = [&](const QString&, const QString&, const QString&) { return trk; };
        p.message = [&](const QString&, const QString& text) { boxes << text; };
        p.warning = p.message;
        Load(ws, p);
        SyncCanvas(ws);
        return ws;
    }

    QTemporaryDir dir;
    Settings settings;
    QString prefs;
};

// The editor's Import Circuit and Save give a track whose world comes with
// it: the tool, given nothing but the track file, writes the very
// centreline it writes from the circuit's CSV.
TEST_F(TrackWorldExport, AnImportedCircuitExportsInItsOwnMetres)
{
    const QString trk = dir.filePath("Monza.trk");
    ImportAndSave(Circuit("Monza"), trk);
    ASSERT_TRUE(QFile::exists(trk));
    ASSERT_TRUE(QFile::exists(dir.filePath("Monza_frame.yaml")));

    const ToolRun fromCsv = RunTool({"centreline"}, Circuit("Monza"), dir.filePath("csv"));
    ASSERT_EQ(fromCsv.code, 0) << fromCsv.errors;
    const ToolRun fromTrk = RunTool({"centreline"}, trk, dir.filePath("trk"));
    ASSERT_EQ(fromTrk.code, 0) << fromTrk.errors;
    const QByteArray a = ReadAll(dir.filePath("csv/Monza_centreline.csv"));
    EXPECT_FALSE(a.isEmpty());
    EXPECT_EQ(a, ReadAll(dir.filePath("trk/Monza_centreline.csv")));
    EXPECT_NE(fromTrk.facts.find("world frame from Monza_frame.yaml"), std::string::npos) << fromTrk.facts;
}

// The tool's own --trk of a circuit carries the frame too, as the editor
// writes it, and a track file read back with it exports alike.
TEST_F(TrackWorldExport, TheToolsTrackOfACircuitCarriesItsFrame)
{
    ASSERT_EQ(RunTool({"trk", "centreline"}, Circuit("Monza"), dir.filePath("csv")).code, 0);
    const QByteArray written = ReadAll(dir.filePath("csv/Monza_frame.yaml"));
    ImportAndSave(Circuit("Monza"), dir.filePath("Monza.trk"));
    EXPECT_EQ(written, ReadAll(dir.filePath("Monza_frame.yaml")));
    EXPECT_EQ(ReadAll(dir.filePath("csv/Monza.trk")), ReadAll(dir.filePath("Monza.trk")));

    const ToolRun again = RunTool({"centreline"}, dir.filePath("csv/Monza.trk"), dir.filePath("trk"));
    ASSERT_EQ(again.code, 0) << again.errors;
    EXPECT_EQ(ReadAll(dir.filePath("csv/Monza_centreline.csv")),
              ReadAll(dir.filePath("trk/Monza_centreline.csv")));
}

// What the command line gives wins over the file, and the fact line says so;
// a file that cannot be read fails the track, naming the file and the line.
TEST_F(TrackWorldExport, OptionsWinAndABadFileFailsTheTrack)
{
    ImportAndSave(Circuit("Monza"), dir.filePath("Monza.trk"));
    const ToolRun given = RunTool({"centreline"}, dir.filePath("Monza.trk"), dir.filePath("trk"),
                                  {"--scale", "0.5", "--origin", "10,20"});
    ASSERT_EQ(given.code, 0) << given.errors;
    EXPECT_NE(given.facts.find("scale 0.5 m per pixel, origin 10.0,20.0 m"), std::string::npos)
        << given.facts;
    EXPECT_NE(given.facts.find("(--scale, --origin as given, over the file's)"), std::string::npos)
        << given.facts;

    const QString yaml = dir.filePath("Monza_frame.yaml");
    QByteArray bytes = ReadAll(yaml);
    bytes.replace("resolution: ", "resolution: -");
    WriteAll(yaml, bytes);
    QFile::remove(dir.filePath("trk/Monza_centreline.csv"));
    const ToolRun bad = RunTool({"centreline"}, dir.filePath("Monza.trk"), dir.filePath("trk"));
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.errors.find("Monza_frame.yaml: line 2: resolution must be greater than 0"),
              std::string::npos)
        << bad.errors;
    EXPECT_FALSE(QFile::exists(dir.filePath("trk/Monza_centreline.csv")));
}

// The car the frame file names makes the race line, unless --vehicle names
// another, which the fact line then says; a vehicle file is found beside the
// frame file, and one that cannot be read fails the track.
TEST_F(TrackWorldExport, TheFramesVehicleMakesTheRaceLine)
{
    const QString trk = dir.filePath("oval.trk");
    WriteAll(trk, "M 300 300 L 1300 300 L 1300 900 L 300 900 Z\r\n");
    const QString yaml = dir.filePath("oval_frame.yaml");
    const auto frameWith = [&](const char* vehicle) {
        WriteAll(yaml,
                 QByteArray("resolution: 0.5\norigin: [0.0, 600.0, 0.0]\ntrack_width_m: 30\nvehicle: ") +
                     vehicle + "\n");
    };
    const auto lineVehicle = [&] {
        const QList<QByteArray> lines = ReadAll(dir.filePath("trk/oval_raceline.csv")).split('\n');
        return lines.size() > 1 ? lines[1].toStdString() : std::string();
    };
    frameWith("racecar");
    ToolRun r = RunTool({"raceline"}, trk, dir.filePath("trk"));
    ASSERT_EQ(r.code, 0) << r.errors;
    EXPECT_NE(lineVehicle().find("racecar"), std::string::npos) << lineVehicle();

    r = RunTool({"raceline"}, trk, dir.filePath("trk"), {"--vehicle", "f1tenth"});
    ASSERT_EQ(r.code, 0) << r.errors;
    EXPECT_NE(lineVehicle().find("f1tenth"), std::string::npos) << lineVehicle();
    EXPECT_NE(r.facts.find("(--vehicle as given, over the file's)"), std::string::npos) << r.facts;

    WriteAll(dir.filePath("kart.txt"),
             "width_m = 1.2\nsafety_margin_m = 0.3\nmax_lateral_acceleration_mps2 = 8\n"
             "max_acceleration_mps2 = 4\nmax_braking_mps2 = 6\ntop_speed_mps = 25\n");
    frameWith("kart.txt");
    r = RunTool({"raceline"}, trk, dir.filePath("trk"));
    ASSERT_EQ(r.code, 0) << r.errors;
    EXPECT_NE(lineVehicle().find("kart"), std::string::npos) << lineVehicle();

    frameWith("bus.txt");
    r = RunTool({"raceline"}, trk, dir.filePath("trk"));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.errors.find("oval_frame.yaml: vehicle: "), std::string::npos) << r.errors;
}

// The frame file goes where its track goes and is never taken for another
// track's. Each case leaves folder "a" with track.trk and whatever frame
// file the case makes beside it; the editor's Load and the tool then read
// it through the same code.
struct FrameCase {
    const char* name;
    std::function<void(TrackWorldExport&, const QString& folder)> make;
    bool world;         // the track comes back with its world
    const char* reason; // why the frame file is refused; nullptr: it is not
};

const FrameCase kFrameCases[] = {
    {"a circuit with its vehicle file, moved with its folder",
     [](TrackWorldExport& t, const QString& a) {
         const QString before = t.dir.filePath("before");
         QDir().mkpath(before);
         WriteAll(before + "/kart.txt", "width_m = 1.2\nsafety_margin_m = 0.3\nmax_lateral_acceleration_mps2 = 8\n"
                                         "max_acceleration_mps2 = 4\nmax_braking_mps2 = 6\ntop_speed_mps = 25\n");
         t.ImportAndSave(Circuit("Monza"), before + "/track.trk", before + "/kart.txt");
         QDir(a).removeRecursively();
         ASSERT_TRUE(QDir().rename(before, a));
     },
     true, nullptr},
    {"a frame file left from another track",
     [](TrackWorldExport& t, const QString& a) {
         t.ImportAndSave(Circuit("Monza"), a + "/track.trk");
         WriteAll(a + "/track.trk", "M 300 300 L 700 300 L 700 700 L 300 700 Z\r\n");
     },
     false, "was written for another track"},
    {"an empty frame file",
     [](TrackWorldExport& t, const QString& a) {
         t.ImportAndSave(Circuit("Monza"), a + "/track.trk");
         WriteAll(a + "/track_frame.yaml", "");
     },
     false, "the file is empty"},
    {"a track saved without a frame over one with a frame",
     [](TrackWorldExport& t, const QString& a) {
         t.ImportAndSave(Circuit("Monza"), a + "/track.trk");
         t.SaveDrawn(a + "/track.trk");
     },
     false, nullptr},
};

TEST_F(TrackWorldExport, FrameFilesRoundTripAndAreNeverAnotherTracks)
{
    for (const FrameCase& c : kFrameCases) {
        SCOPED_TRACE(c.name);
        const QString a = dir.filePath(QString("a_%1").arg(&c - kFrameCases));
        QDir().mkpath(a);
        c.make(*this, a);
        if (HasFailure())
            return;
        const QString trk = a + "/track.trk";
        QStringList boxes;
        const Workspace ws = Loaded(trk, boxes);
        EXPECT_EQ(ws.frame.has_value(), c.world);
        EXPECT_EQ(CircuitEdgesNow(ws) != nullptr, c.world);
        EXPECT_EQ(boxes.join("\n").contains(c.reason ? c.reason : "\x01"), c.reason != nullptr)
            << boxes.join("\n").toStdString();
        const ToolRun r = RunTool({"raceline", "trk"}, trk, a + "/out");
        EXPECT_EQ(r.code, c.reason ? 1 : 0) << r.errors;
        if (c.reason) {
            EXPECT_NE(r.errors.find(c.reason), std::string::npos) << r.errors;
        }
        // Written again elsewhere, the track takes its world along, the car
        // still found where it is.
        EXPECT_EQ(QFile::exists(a + "/out/track_frame.yaml"), c.world);
        if (!c.world)
            continue;
        const Workspace again = Loaded(a + "/out/track.trk", boxes);
        for (const Workspace* w : {&ws, &again}) {
            EXPECT_EQ(QFileInfo(QString::fromStdString(w->vehicle)).absoluteFilePath(), a + "/kart.txt");
            ASSERT_NE(CircuitEdgesNow(*w), nullptr);
            EXPECT_EQ(CircuitEdgesNow(*w)->widthLeft, CircuitEdgesNow(ws)->widthLeft);
        }
        EXPECT_NE(ReadAll(a + "/out/track_raceline.csv").indexOf("kart"), -1);
    }
}

// Every cell of the map that the track leaves bare (drawn alone, it leaves
// the background there and round it) shows on the canvas as the map reads
// it, at its row and column: an occupied cell dark, a free one light.
void ExpectMapUnderTrack(const Workspace& ws, const LoadedMap& map)
{
    QImage alone(ws.canvas.size(), QImage::Format_RGB32);
    RedrawCanvas(alone, ws.editor.model, ws.settings, ws.assets, QImage());
    const auto bare = [&alone, background = ToQColor(ws.settings.BGColor).rgb()](int x, int y) {
        for (int i = 0; i < 9; ++i)
            if (alone.pixel(std::clamp(x + i % 3 - 1, 0, alone.width() - 1),
                            std::clamp(y + i / 3 - 1, 0, alone.height() - 1)) != background)
                return false;
        return true;
    };
    const std::array<MapCell, 256> reading = CellReading(map.info);
    std::size_t walls = 0, bareWalls = 0, wrong = 0;
    for (int y = 0; y < map.image.height; ++y)
        for (int x = 0; x < map.image.width; ++x) {
            const MapCell cell = reading[map.image.values[std::size_t(y) * std::size_t(map.image.width) + x]];
            walls += cell == MapCell::Occupied;
            if (cell == MapCell::Unknown || !bare(x, y))
                continue;
            bareWalls += cell == MapCell::Occupied;
            const int grey = qGray(ws.canvas.pixel(x, y));
            wrong += cell == MapCell::Occupied ? grey >= 100 : grey <= 200;
        }
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(bareWalls, walls * 9 / 10); // the track lies between the walls
}

// Import Map puts the map's picture under its track; Save names the map
// beside the frame's other files, so that Load, from wherever the folders
// are moved together, shows the same canvas. A map gone by then is told:
// the editor loads the track without it, the tool refuses the track.
TEST_F(TrackWorldExport, AMapsPictureLiesUnderItsTrackAndComesBackWithIt)
{
    for (const char* map : {"hangar/hangar", "berlin/berlin", "colombia/columbia"}) {
        SCOPED_TRACE(map);
        const QString name = QFileInfo(map).fileName(), before = dir.filePath("b_" + name), after = dir.filePath(name);
        const QString source = QString(VELMORA_TEST_DATA "/slam/") + map + ".yaml";
        const Result<LoadedMap> loaded = LoadRosMap(source);
        ASSERT_TRUE(loaded && QDir().mkpath(before + "/maps")) << loaded.error();
        const QString picture = "/maps/" + QFileInfo(loaded->imagePath).fileName();
        ASSERT_TRUE(QFile::copy(source, before + "/maps/m.yaml") && QFile::copy(loaded->imagePath, before + picture));

        const Workspace imported = ImportAndSave(before + "/maps/m.yaml", before + "/t.trk");
        ExpectMapUnderTrack(imported, *loaded);
        EXPECT_TRUE(ReadAll(before + "/t_frame.yaml").contains("\nmap: \"maps/m.yaml\"\n"));
        ASSERT_TRUE(QDir().rename(before, after));
        QStringList boxes;
        const Workspace back = Loaded(after + "/t.trk", boxes);
        EXPECT_TRUE(back.canvas == imported.canvas);
        EXPECT_TRUE(boxes.isEmpty()) << boxes.join('\n').toStdString();
        // The map track's own edges come back whole: the line and widths the
        // import measured, and the walls it found on the map.
        const std::shared_ptr<const SourceEdges> edges = CircuitEdgesNow(imported), again = CircuitEdgesNow(back);
        ASSERT_TRUE(edges && edges->walls && again && again->walls);
        EXPECT_TRUE(again->rowWidths && again->closed);
        EXPECT_EQ(again->widthRight, edges->widthRight);
        EXPECT_EQ(again->widthLeft, edges->widthLeft);
        EXPECT_TRUE(std::equal(again->centre.begin(), again->centre.end(), edges->centre.begin(), edges->centre.end(),
                               [](WorldPoint a, WorldPoint b) { return a.x == b.x && a.y == b.y; }));
        EXPECT_TRUE(again->walls->freeCells.cells == edges->walls->freeCells.cells);
        EXPECT_EQ(again->walls->minObstacleCells, edges->walls->minObstacleCells);

        ASSERT_TRUE(QFile::remove(after + picture));
        const Workspace without = Loaded(after + "/t.trk", boxes);
        EXPECT_EQ(without.editor.model.TrackPath, imported.editor.model.TrackPath);
        EXPECT_TRUE(without.frame && !without.map && without.canvas.size() == QSize(1600, 1200));
        EXPECT_EQ(CircuitEdgesNow(without), nullptr); // without its walls, a drawn track
        EXPECT_TRUE(boxes.size() == 1 && boxes[0].startsWith("the track is loaded without its map's picture: ") &&
                    boxes[0].endsWith(picture + ": could not find file"))
            << boxes.join('\n').toStdString();
        const ToolRun tool = RunTool({"png"}, after + "/t.trk", dir.filePath("out"));
        EXPECT_EQ(tool.code, 1);
        EXPECT_NE(tool.errors.find("t_frame.yaml: the map it names could not be read: "), std::string::npos);
    }
}

} // namespace
} // namespace velmora
