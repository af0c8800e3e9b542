#include "comma_locale.h"
#include "core/inputs/centreline_import.h"
#include "core/formats/track_file.h"
#include "core/settings/prefs_file.h"
#include "export_tool/batch_export.h"
#include "export_tool/man_page.h"
#include "hang_guard.h"
#include "outputs/output_table.h"
#include "render/image/image_load.h"
#include "ui/file_commands.h"
#include "ui/workspace.h"
#include "file_bytes.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sstream>

namespace velmora {

namespace {

const char kOvalTrack[] =
    "M 300 300 L 700 300 L 800 400 L 800 600 L 700 700 L 300 700 L 200 600 L 200 400 Z\r\n"
    "*text*\r\n"
    "Hairpin, 720, 260, 3\r\n"
    "Pit lane, 320, 330, 1\r\n"
    "*cursor*\r\n"
    "0, 0, 0, 0, Z\r\n"
    "StartAngle = 0\r\n"
    "*markers*\r\n"
    "1, 500, 300, \r\n"
    "3, 800, 500, \r\n";

QString ImagesDir()
{
    return QString(VELMORA_ASSETS) + "/Images";
}

// Writes the settings as p.ini in `dir`; returns its path.
QString PrefsFile(const QTemporaryDir& dir, const Settings& s)
{
    const QString path = dir.filePath("p.ini");
    WriteAll(path, QByteArray::fromStdString(WritePrefs(s)));
    return path;
}

// The editor as the user has it right after start-up, with a small canvas.
void StartEditor(Workspace& ws, const Settings& s)
{
    ws.settings = ws.prefs = s;
    ws.assets.surface = LoadImg(ImagesDir() + "/surface.png").image;
    ws.assets.start = LoadImg(ImagesDir() + "/start.png").image;
    ws.assets.marker = LoadImg(ImagesDir() + "/marker.png").image;
    LoadFonts(ws.assets, ws.settings, 96);
    ws.canvas = QImage(CanvasSide(s.CanvasWidth), CanvasSide(s.CanvasHeight), QImage::Format_RGB32);
    RequestRedraw(ws.editor, ws.settings);
    SyncCanvas(ws);
}

Prompts AnswerWith(const QString& file)
{
    Prompts p;
    p.openFile = [file](const QString&, const QString&, const QString&) { return file; };
    p.saveFile = [file](const QString&, const QString&, const QString&) { return file; };
    p.confirm = [](const QString&) { return true; };
    p.message = [](const QString& title, const QString& text) {
        ADD_FAILURE() << title.toStdString() << ": " << text.toStdString();
    };
    p.toClipboard = [](const QImage&, const QByteArray&) {};
    return p;
}

// The text less the progress line's updates, each "\r" up to "\033[K".
std::string WithoutProgress(std::string text)
{
    for (std::size_t at = text.find('\r'); at != std::string::npos; at = text.find('\r')) {
        const std::size_t end = text.find("\033[K", at);
        if (end == std::string::npos)
            break;
        text.erase(at, end + 3 - at);
    }
    return text;
}

ExportOptions ToolOptions(const QString& outDir, const QString& prefs)
{
    ExportOptions o;
    o.prefsFile = prefs.toStdString();
    o.imagesDir = ImagesDir().toStdString();
    o.outDir = outDir.toStdString();
    return o;
}

} // namespace

TEST(ExportTool, PictureAndRLDataMatchTheEditorByteForByte)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Settings s;
    s.CanvasWidth = 1000;
    s.CanvasHeight = 900;
    s.RedWhite = 1;
    const QString prefs = dir.filePath("Preferences.ini");
    WriteAll(prefs, QByteArray::fromStdString(WritePrefs(s)));
    const QString track = dir.filePath("oval.trk");
    WriteAll(track, kOvalTrack);

    for (const char* format : {"png", "bmp"}) {
        Workspace ws;
        StartEditor(ws, s);
        Load(ws, AnswerWith(track));
        SyncCanvas(ws);
        const QString editorPicture = dir.filePath(QString("editor.") + format);
        Export(ws, AnswerWith(editorPicture));
        const QString editorRL = dir.filePath("editor_rl.txt");
        SaveRLData(ws, AnswerWith(editorRL));

        ExportOptions o = ToolOptions(dir.filePath("out"), prefs);
        o.outputs = {format, "rl"};
        o.tracks = {track.toStdString()};
        std::ostringstream facts, err;
        ASSERT_EQ(RunBatchExport(o, dir.path(), facts, err, false), 0) << err.str();

        const QByteArray picture = ReadAll(dir.filePath(QString("out/oval.") + format));
        ASSERT_FALSE(picture.isEmpty());
        EXPECT_TRUE(picture == ReadAll(editorPicture)) << format;
        EXPECT_EQ(ReadAll(dir.filePath("out/oval_rl.txt")), ReadAll(editorRL));
    }
}

TEST(ExportTool, BadTracksAreReportedAndTheOthersWritten)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteAll(dir.filePath("good.trk"), kOvalTrack);
    WriteAll(dir.filePath("empty.trk"), "");
    WriteAll(dir.filePath("garbage.trk"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11));
    WriteAll(dir.filePath("LICENSE"), "MIT License\n\nCopyright (c) 2024\n");
    ExportOptions o = ToolOptions(dir.filePath("out"), "");
    o.outputs = {"rl", "centreline"};
    o.tracks = {dir.filePath("missing.trk").toStdString(), dir.filePath("empty.trk").toStdString(),
                dir.filePath("garbage.trk").toStdString(), dir.filePath("LICENSE").toStdString(),
                dir.filePath("good.trk").toStdString()};
    std::ostringstream facts, err;
    EXPECT_EQ(RunBatchExport(o, dir.path(), facts, err, false), 1);
    const std::string text = err.str();
    EXPECT_NE(text.find("missing.trk: could not find file"), std::string::npos) << text;
    EXPECT_NE(text.find("empty.trk: could not find file"), std::string::npos) << text;
    EXPECT_NE(text.find("garbage.trk: not a track file"), std::string::npos) << text;
    EXPECT_NE(text.find("LICENSE: not a track file"), std::string::npos) << text;
    EXPECT_FALSE(QFile::exists(dir.filePath("out/garbage_rl.txt")));
    EXPECT_FALSE(QFile::exists(dir.filePath("out/LICENSE_rl.txt")));
    EXPECT_TRUE(QFile::exists(dir.filePath("out/good_rl.txt")));
    EXPECT_TRUE(QFile::exists(dir.filePath("out/good_centreline.csv")));
    EXPECT_FALSE(QFile::exists(dir.filePath("out/missing_rl.txt")));
}

TEST(ExportTool, JobsWriteTheSameFilesAndReportInTheGivenOrder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString prefs = dir.filePath("p.ini");
    Settings s;
    s.CanvasWidth = 600;
    s.CanvasHeight = 500;
    WriteAll(prefs, QByteArray::fromStdString(WritePrefs(s)));
    std::vector<std::string> tracks;
    for (const char* name : {"a.trk", "gone1.trk", "b.trk", "c.trk", "gone2.trk", "d.trk", "e.trk"}) {
        if (!QByteArray(name).startsWith("gone"))
            WriteAll(dir.filePath(name), kOvalTrack);
        tracks.push_back(dir.filePath(name).toStdString());
    }
    const auto run = [&](int jobs, bool progress, std::string& err) {
        ExportOptions o = ToolOptions(dir.filePath(QString("out%1").arg(jobs)), prefs);
        o.outputs = {"png", "rl"};
        o.jobs = jobs;
        o.tracks = tracks;
        std::ostringstream facts, text;
        EXPECT_EQ(RunBatchExport(o, dir.path(), facts, text, progress), 1);
        err = text.str();
    };
    std::string one, four;
    run(1, false, one);
    run(4, true, four);
    for (const QString name : {"a.png", "a_rl.txt", "c.png", "e.png", "e_rl.txt"}) {
        const QByteArray bytes = ReadAll(dir.filePath("out1/" + name));
        EXPECT_FALSE(bytes.isEmpty()) << name.toStdString();
        EXPECT_TRUE(bytes == ReadAll(dir.filePath("out4/" + name))) << name.toStdString();
    }
    EXPECT_EQ(one, "velmora-export: " + tracks[1] + ": could not find file\n" +
                       "velmora-export: " + tracks[4] + ": could not find file\n");
    // On a terminal the progress line is cleared before each message and
    // drawn again after it; without it the messages are the same lines.
    EXPECT_NE(four.find("\r7/7 tracks, "), std::string::npos) << four;
    EXPECT_EQ(WithoutProgress(four), one + "\n");
}

TEST(ExportTool, GeneratedTracksDependOnlyOnSeedAndIndex)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString prefs = PrefsFile(dir, Settings());
    const auto run = [&](const QString& out, std::uint64_t count, std::uint64_t seed, int jobs) {
        ExportOptions o = ToolOptions(dir.filePath(out), prefs);
        o.outputs = {"trk", "rl", "centreline"};
        o.generate = count;
        o.seed = seed;
        o.markers = 2;
        o.jobs = jobs;
        std::ostringstream facts, err;
        EXPECT_EQ(RunBatchExport(o, dir.path(), facts, err, false), 0) << err.str();
    };
    run("few", 4, 7, 1);
    run("many", 12, 7, 2);
    run("other", 4, 8, 2);
    for (const QString name : {"track_0001", "track_0004"}) {
        for (const QString suffix : {".trk", "_rl.txt", "_centreline.csv"}) {
            const QByteArray bytes = ReadAll(dir.filePath("few/" + name + suffix));
            EXPECT_FALSE(bytes.isEmpty());
            EXPECT_TRUE(bytes == ReadAll(dir.filePath("many/" + name + suffix)))
                << (name + suffix).toStdString();
        }
        EXPECT_FALSE(ReadAll(dir.filePath("few/" + name + ".trk")) ==
                     ReadAll(dir.filePath("other/" + name + ".trk")));
    }
    // A generated track file is one the editor loads as it is.
    TrackModel m;
    const QByteArray trk = ReadAll(dir.filePath("many/track_0012.trk"));
    ReadTrackFile(std::string_view(trk.constData(), static_cast<std::size_t>(trk.size())), m);
    EXPECT_EQ(WriteTrackFile(m), trk.toStdString());
    EXPECT_EQ(m.markers.size(), 2u);
    EXPECT_EQ(m.TrackPath.back(), 'Z');
}

TEST(ExportTool, SettingsThatAllowNoTrackAreNamed)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Settings s;
    s.AngleLimit = 1;
    const QString prefs = PrefsFile(dir, s);
    ExportOptions o = ToolOptions(dir.filePath("out"), prefs);
    o.outputs = {"trk"};
    o.generate = 1000;
    std::ostringstream facts, err;
    EXPECT_EQ(RunBatchExport(o, dir.path(), facts, err, false), 1);
    EXPECT_EQ(err.str(), "velmora-export: cannot generate tracks: AngleLimit 1 is too small to close a loop "
                         "(it needs at least 4)\n");
    EXPECT_FALSE(QFile::exists(dir.filePath("out/track_0001.trk")));
}

TEST(ExportTool, HostileGapIsRefusedWithAReason)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Settings s;
    s.MarkerGap = 0;
    const QString prefs = PrefsFile(dir, s);
    WriteAll(dir.filePath("t.trk"), kOvalTrack);
    ExportOptions o = ToolOptions(dir.path(), prefs);
    o.outputs = {"rl"};
    o.tracks = {dir.filePath("t.trk").toStdString()};
    std::ostringstream facts, err;
    EXPECT_EQ(RunBatchExport(o, dir.path(), facts, err, false), 1);
    EXPECT_NE(err.str().find("could not export RL data"), std::string::npos) << err.str();
    EXPECT_FALSE(QFile::exists(dir.filePath("t_rl.txt")));
}

// Settings and inputs the tool cannot use as asked: each is told in one line
// on stderr, and whatever can still be written is.
TEST(ExportTool, UnusableInputsAreToldAndTheRestWritten)
{
    const char kSmall[] = "CanvasWidth=400\r\nCanvasHeight=300\r\n";
    const char kRLWidth[] =
        "TRACK: could not export RL data: the track width must be a number from 0 to 1000000 pixels, not ";
    const struct {
        std::string prefs; // the settings file's lines
        const char* output;
        bool damagedTemplate;
        int code;
        std::string told;    // all of stderr, less "velmora-export: "; TRACK and TEMPLATE stand for paths
        const char* written; // in the output folder, or nothing
    } cases[] = {
        {"TrackWidth=1e12\r\n", "rl", false, 1, kRLWidth + std::string("1000000000000"), nullptr},
        {"TrackWidth=NaN\r\n", "rl", false, 1, kRLWidth + std::string("NaN"), nullptr},
        {"TrackWidth=+Infinity\r\n", "rl", false, 1, kRLWidth + std::string("+Infinity"), nullptr},
        {"TrackWidth=1000000\r\n", "rl", false, 0, "", "oval_rl.txt"},
        {"CanvasWidth=0\r\n", "rl", false, 0, "CanvasWidth 0 is out of range (1 to 16384); using 1",
         "oval_rl.txt"},
        {"CanvasWidth=-5\r\n", "rl", false, 0, "CanvasWidth -5 is out of range (1 to 16384); using 1",
         "oval_rl.txt"},
        {"CanvasHeight=NaN\r\n", "rl", false, 0, "CanvasHeight NaN is out of range (1 to 16384); using 1",
         "oval_rl.txt"},
        {"CanvasWidth=+Infinity\r\n", "trk", false, 0,
         "CanvasWidth +Infinity is out of range (1 to 16384); using 16384", "oval.trk"},
        {"CanvasWidth=20000\r\n", "trk", false, 0,
         "CanvasWidth 20000 is out of range (1 to 16384); using 16384", "oval.trk"},
        {kSmall, "png", true, 1, "TEMPLATE: could not load image; drawing without it", "oval.png"},
        // The oval reaches (800, 700): on a 600 x 500 canvas its map is open.
        {"CanvasWidth=600\r\nCanvasHeight=500\r\n", "ros-map", false, 0,
         "TRACK: warning: the track runs off the canvas, so the map is open at its edge", "oval_map.yaml"},
        {"", "ros-map", false, 0, "", "oval_map.yaml"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.prefs + c.output);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        WriteAll(dir.filePath("p.ini"), QByteArray::fromStdString(c.prefs));
        const QString track = dir.filePath("oval.trk");
        WriteAll(track, kOvalTrack);
        ExportOptions o = ToolOptions(dir.filePath("out"), dir.filePath("p.ini"));
        o.outputs = {c.output};
        o.tracks = {track.toStdString()};
        if (c.damagedTemplate) {
            o.templateImage = dir.filePath("template.png").toStdString();
            WriteAll(dir.filePath("template.png"), QByteArray("\x89PNG\r\n\x1a\nnot a picture"));
        }
        std::ostringstream facts, err;
        EXPECT_EQ(RunBatchExport(o, dir.path(), facts, err, false), c.code);
        QString told = c.told.empty() ? "" : "velmora-export: " + QString::fromStdString(c.told) + "\n";
        told.replace("TRACK", track).replace("TEMPLATE", QString::fromStdString(o.templateImage));
        EXPECT_EQ(err.str(), told.toStdString());
        if (c.written)
            EXPECT_TRUE(QFile::exists(dir.filePath("out/") + c.written));
        else
            EXPECT_TRUE(QDir(dir.filePath("out")).isEmpty());
    }
}

// NAME_map.yaml as the map server reads it, keys in their order.
struct RosMap {
    QImage image;
    double resolution = 0;
    double originX = 0;
    double originY = 0;
};

void ReadRosMap(const QString& dir, const QString& name, RosMap& map)
{
    const QStringList lines = QString::fromUtf8(ReadAll(dir + "/" + name + "_map.yaml")).split('\n');
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[0], "image: " + name + "_map.png");
    ASSERT_TRUE(lines[1].startsWith("resolution: "));
    map.resolution = lines[1].mid(12).toDouble();
    ASSERT_TRUE(lines[2].startsWith("origin: [") && lines[2].endsWith(", 0.0]"));
    const QStringList origin = lines[2].mid(9).chopped(1).split(", ");
    map.originX = origin[0].toDouble();
    map.originY = origin[1].toDouble();
    EXPECT_EQ(lines.mid(3), (QStringList{"negate: 0", "occupied_thresh: 0.65", "free_thresh: 0.196", ""}));
    map.image = QImage(dir + "/" + name + "_map.png");
    ASSERT_EQ(map.image.format(), QImage::Format_Grayscale8);
}

// Distance from p to the centre of the nearest occupied pixel within reach.
double NearestWall(const QImage& map, QPointF p, int reach)
{
    double best = HUGE_VAL;
    for (int y = int(p.y()) - reach; y <= int(p.y()) + reach; ++y)
        for (int x = int(p.x()) - reach; x <= int(p.x()) + reach; ++x)
            if (x >= 0 && y >= 0 && x < map.width() && y < map.height() && map.constScanLine(y)[x] == 0)
                best = std::min(best, std::hypot(x + 0.5 - p.x(), y + 0.5 - p.y()));
    return best;
}

// How many free pixels a robot starting at p can reach, 8-connected; -1 when
// it gets out to the picture's border.
long FreeArea(const QImage& map, QPoint p)
{
    std::vector<char> seen(size_t(map.width()) * size_t(map.height()), 0);
    std::vector<QPoint> todo{p};
    long area = 0;
    while (!todo.empty()) {
        const QPoint q = todo.back();
        todo.pop_back();
        if (q.x() <= 0 || q.y() <= 0 || q.x() >= map.width() - 1 || q.y() >= map.height() - 1)
            return -1;
        char& s = seen[size_t(q.y()) * size_t(map.width()) + size_t(q.x())];
        if (s || map.constScanLine(q.y())[q.x()] == 0)
            continue;
        s = 1;
        ++area;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                todo.push_back(q + QPoint(dx, dy));
    }
    return area;
}

// The three real circuits, imported at the scale that fills the canvas with
// the width from their files: the exported centreline runs through free
// space halfway between the walls everywhere, in the map's own frame, and
// the walls hold a robot on the track.
TEST(ExportTool, RealCircuitsRunHalfwayBetweenTheirMapWalls)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Settings s;
    s.MarkerGap = 4; // a centreline row every 4 px
    const QString prefs = dir.filePath("Preferences.ini");
    WriteAll(prefs, QByteArray::fromStdString(WritePrefs(s)));
    ExportOptions o = ToolOptions(dir.filePath("out"), prefs);
    o.outputs = {"centreline", "ros-map", "trk"};
    o.trackWidthFromCsv = true;
    for (const char* name : {"BrandsHatch", "Monza", "Spa"})
        o.tracks.push_back(std::string(VELMORA_TEST_DATA) + "/circuits/" + name + ".csv");
    std::ostringstream facts, err;
    ASSERT_EQ(RunBatchExport(o, dir.path(), facts, err, false), 0) << err.str();

    for (const QString name : {"BrandsHatch", "Monza", "Spa"}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_NE(facts.str().find(name.toStdString() + ".csv: scale "), std::string::npos) << facts.str();
        RosMap map;
        ReadRosMap(dir.filePath("out"), name, map);
        ASSERT_EQ(map.image.size(), QSize(2048, 2048));
        const Result<std::vector<CentrelineRow>> read =
            ReadCentrelineRows(ReadAll(dir.filePath("out/" + name + "_centreline.csv")).toStdString());
        ASSERT_TRUE(read.ok()) << read.error();
        const std::vector<CentrelineRow>& rows = *read;
        ASSERT_GT(rows.size(), 1000u);
        const double half = rows[0].widthRight / map.resolution; // TrackWidth / 2
        ASSERT_GT(half, 3);
        for (const CentrelineRow& r : rows) {
            const QPointF p((r.x - map.originX) / map.resolution,
                            map.image.height() - (r.y - map.originY) / map.resolution);
            ASSERT_EQ(map.image.pixelColor(p.toPoint()).value(), 255) << r.line;
            ASSERT_NEAR(NearestWall(map.image, p, int(half) + 3), half, 1.0) << r.line;
        }
        const QPointF start((rows[0].x - map.originX) / map.resolution,
                            map.image.height() - (rows[0].y - map.originY) / map.resolution);
        const long area = FreeArea(map.image, start.toPoint());
        EXPECT_GT(area, 0);
        EXPECT_LT(area, long(rows.size()) * 4 * (2 * half + 2));
    }
}

TEST(ExportTool, BadCircuitsAreReportedByFileAndLineAndTheOthersWritten)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const char kGood[] = "scale 1 m per pixel, origin -974.0,1074.0 m, track width 42 px";
    const struct {
        const char* file;
        QByteArray bytes;
        const char* error; // empty: good
    } inputs[] = {
        {"word.csv", "# x_m,y_m\n0,0\n100,0\nabc,5\n", "line 4: x_m is not a number: \"abc\""},
        {"nan.csv", "0,0\n100,NaN\n", "line 2: y_m is not a number: \"NaN\""},
        {"inf.csv", "0,0\n1e400,0\n", "line 2: x_m is too large: \"1e400\""},
        {"two.csv", "0,0\n10,0\n0,0\n", "fewer than 3 distinct points"},
        {"same.csv", "3,3\n3,3\n3,3\n", "all points are the same"},
        {"far.csv", "0,0\n1e300,0\n0,100\n",
         "the points span more than a million km, and a circuit in metres spans 1 m to 50 km: are the "
         "numbers "
         "metres, written with a decimal point?"},
        {"mm.csv", "0,0,2,2\n100000,0,2,2\n0,100000,2,2\n",
         "the points span 100 km, and a circuit in metres spans 1 m to 50 km: are the numbers metres, "
         "written "
         "with a decimal point?"},
        {"comma.csv", "-0,320123,1,087714\n0,168262,6,062191\n",
         "line 1: decimal commas in \"-0,320123,1,087714\": write the numbers with a decimal point (1.5, not "
         "1,5)"},
        {"xy.csv", "0,0\n100,0\n100,100\n0,100\n",
         "the file has no track widths (w_tr_right_m, w_tr_left_m): give the track width (--track-width 8m, "
         "say)"},
        {"empty.csv", "", "the file holds no points"},
        {"binary.csv", QByteArray("\x89PNG\r\n\x1a\n\0\0", 10), "line 1: x_m is not a number: \"?PNG\""},
        {"good.csv", "0,0,21,21\n100,0,21,21\n100,100,21,21\n0,100,21,21\n", ""},
        {"named.csv", "x;y;w_tr_left_m;w_tr_right_m\n0;0;21;21\n100;0;21;21\n100;100;21;21\n0;100;21;21\n",
         ""},
    };
    ExportOptions o = ToolOptions(dir.filePath("out"), "");
    o.outputs = {"trk", "ros-map"};
    o.scaleGiven = true;
    o.metresPerPixel = 1;
    for (const auto& in : inputs) {
        WriteAll(dir.filePath(in.file), in.bytes);
        o.tracks.push_back(dir.filePath(in.file).toStdString());
    }
    std::ostringstream facts, err;
    EXPECT_EQ(RunBatchExport(o, dir.path(), facts, err, false), 1);
    QString failures, told;
    for (const auto& in : inputs) {
        if (*in.error)
            failures += "velmora-export: " + dir.filePath(in.file) + ": " + in.error + "\n";
        else
            told += dir.filePath(in.file) + ": " + kGood + "\n";
        const QString base = dir.filePath(QString("out/") + in.file).chopped(4);
        EXPECT_EQ(QFile::exists(base + ".trk"), !*in.error) << in.file;
        EXPECT_EQ(QFile::exists(base + "_map.yaml"), !*in.error) << in.file;
    }
    EXPECT_EQ(err.str(), failures.toStdString());
    EXPECT_EQ(facts.str(), told.toStdString());
}

// --track-width 8m is the same width in metres at any scale: a file of x
// and y alone takes it, and a track file's pixels follow its scale.
TEST(ExportTool, TrackWidthInMetresFollowsTheScale)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteAll(dir.filePath("xy.csv"), "0,0\n100,0\n100,100\n0,100\n");
    WriteAll(dir.filePath("oval.trk"), kOvalTrack);
    ExportOptions o = ToolOptions(dir.filePath("out"), "");
    o.outputs = {"centreline"};
    o.scaleGiven = true;
    o.metresPerPixel = 0.5;
    o.trackWidthMetres = 8;
    o.tracks = {dir.filePath("xy.csv").toStdString(), dir.filePath("oval.trk").toStdString()};
    std::ostringstream facts, err;
    EXPECT_EQ(RunBatchExport(o, dir.path(), facts, err, false), 0) << err.str();
    EXPECT_NE(facts.str().find("xy.csv: scale 0.5 m per pixel, origin "), std::string::npos) << facts.str();
    EXPECT_NE(facts.str().find(" m, track width 16 px\n"), std::string::npos) << facts.str();
    for (const char* name : {"out/xy_centreline.csv", "out/oval_centreline.csv"}) {
        const QList<QByteArray> rows = ReadAll(dir.filePath(name)).split('\n');
        ASSERT_GT(rows.size(), 2) << name;
        EXPECT_TRUE(rows[1].endsWith(",4,4")) << name << " " << rows[1].toStdString();
    }
}

TEST(ExportTool, TrkIsTheEditorsSaveAndNeverOverwritesItsInput)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString track = dir.filePath("oval.trk");
    WriteAll(track, kOvalTrack);
    ExportOptions o = ToolOptions("", "");
    o.outputs = {"trk"};
    o.tracks = {track.toStdString()};
    std::ostringstream facts, err;
    EXPECT_EQ(RunBatchExport(o, dir.path(), facts, err, false), 1);
    EXPECT_EQ(err.str(), "velmora-export: " + track.toStdString() +
                             ": the track file would be written over itself; give --out-dir\n");
    EXPECT_EQ(ReadAll(track), QByteArray(kOvalTrack));

    o.outDir = dir.filePath("out").toStdString();
    ASSERT_EQ(RunBatchExport(o, dir.path(), facts, err, false), 0);
    TrackModel model;
    ReadTrackFile(kOvalTrack, model);
    EXPECT_EQ(ReadAll(dir.filePath("out/oval.trk")).toStdString(), WriteTrackFile(model));
}

// A track that goes on after its loop is closed cannot be followed along one
// line: the outputs that do so are refused, naming where in the path, and
// the others are written.
TEST(ExportTool, ATrackThatGoesOnAfterItsLoopIsOneLineOnlyForThePictures)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString track = dir.filePath("spur.trk");
    WriteAll(track, "M 300 300 L 700 300 L 700 700 L 300 700 Z L 1000 500\r\n");
    const struct {
        const char* output;
        const char* refused; // the failure's start, or nothing when written
        const char* file;
    } outputs[] = {
        {"centreline", "could not write the centreline: ", "spur_centreline.csv"},
        {"waypoints", "could not write the waypoints: ", "spur_waypoints.csv"},
        {"deepracer", "could not write the DeepRacer track: ", "spur.npy"},
        {"raceline", "could not make the race line: ", "spur_raceline.csv"},
        {"gazebo", "could not make the Gazebo world: ", "spur_world.sdf"},
        {"png", nullptr, "spur.png"},
        {"rl", nullptr, "spur_rl.txt"},
        {"trk", nullptr, "spur.trk"},
        {"ros-map", nullptr, "spur_map.yaml"},
    };
    for (const auto& out : outputs) {
        SCOPED_TRACE(out.output);
        ExportOptions o = ToolOptions(dir.filePath(out.output), "");
        o.outputs = {out.output};
        o.tracks = {track.toStdString()};
        std::ostringstream facts, err;
        EXPECT_EQ(RunBatchExport(o, dir.path(), facts, err, false), out.refused ? 1 : 0);
        EXPECT_EQ(QFile::exists(dir.filePath(out.output) + "/" + out.file), !out.refused);
        const std::string refused = out.refused
                                        ? "velmora-export: " + track.toStdString() + ": " + out.refused +
                                              "the track goes on after its loop is closed (at character 43 "
                                              "of its path): only one line can be followed; remove what "
                                              "comes after the Z\n"
                                        : "";
        EXPECT_EQ(err.str(), refused);
    }
}

// Each track's facts go to standard output and only what went wrong to
// standard error; quiet, the facts are left out.
TEST(ExportTool, FactsGoToStandardOutputAndFailuresToStandardError)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteAll(dir.filePath("oval.trk"), kOvalTrack);
    ExportOptions o = ToolOptions(dir.filePath("out"), "");
    o.outputs = {"gazebo", "raceline"};
    o.tracks = {dir.filePath("oval.trk").toStdString(), dir.filePath("gone.trk").toStdString()};
    for (const bool quiet : {false, true}) {
        o.quiet = quiet;
        std::ostringstream facts, err;
        EXPECT_EQ(RunBatchExport(o, dir.path(), facts, err, false), 1);
        EXPECT_EQ(err.str(), "velmora-export: " + o.tracks[1] + ": could not find file\n");
        const QStringList lines = QString::fromStdString(facts.str()).split('\n', Qt::SkipEmptyParts);
        if (quiet) {
            EXPECT_TRUE(lines.isEmpty()) << facts.str();
            continue;
        }
        ASSERT_EQ(lines.size(), 2) << facts.str();
        const QString prefix = QString::fromStdString(o.tracks[0]) + ": ";
        EXPECT_TRUE(lines[0].startsWith(prefix + "race line ") && lines[0].endsWith(" with f1tenth"))
            << lines[0].toStdString();
        EXPECT_TRUE(lines[1].startsWith(prefix + "start pose x ")) << lines[1].toStdString();
    }
}

// A vehicle file given with --vehicle is the car the race line is for, named
// after the file.
TEST(ExportTool, RaceLineForAVehicleFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteAll(dir.filePath("oval.trk"), kOvalTrack);
    const char kCar[] = "width_m = 0.3\nsafety_margin_m = 0.1\nmax_lateral_acceleration_mps2 = 8\n"
                        "max_acceleration_mps2 = 3\nmax_braking_mps2 = 6\ntop_speed_mps = %1\n";
    std::string lapTimes[2];
    for (const int top : {5, 10}) {
        WriteAll(dir.filePath("slow.car"), QString(kCar).arg(top).toUtf8());
        const Result<ExportOptions> parsed =
            ParseExportArgs({"--raceline", "--vehicle", dir.filePath("slow.car").toStdString(),
                             dir.filePath("oval.trk").toStdString()});
        ASSERT_TRUE(parsed.ok()) << parsed.error();
        ExportOptions o = *parsed;
        o.imagesDir = ImagesDir().toStdString();
        o.outDir = dir.filePath("out").toStdString();
        std::ostringstream facts, err;
        ASSERT_EQ(RunBatchExport(o, dir.path(), facts, err, false), 0) << err.str();
        EXPECT_TRUE(QString::fromStdString(facts.str()).trimmed().endsWith(" with slow")) << facts.str();
        lapTimes[top / 10] = facts.str();
        const QByteArray csv = ReadAll(dir.filePath("out/oval_raceline.csv"));
        double fastest = 0;
        for (const QByteArray& row : csv.split('\n'))
            if (!row.isEmpty() && !row.startsWith('#'))
                fastest = std::max(fastest, row.split(';').value(5).trimmed().toDouble());
        EXPECT_GT(fastest, 0.5 * top);
        EXPECT_LE(fastest, top + 1e-6);
    }
    EXPECT_NE(lapTimes[0], lapTimes[1]);
}

// The Gazebo model folder is written over only when this program wrote it:
// a folder of the same name holding something else is left as it is.
TEST(ExportTool, GazeboLeavesAForeignModelFolderAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteAll(dir.filePath("oval.trk"), kOvalTrack);
    ExportOptions o = ToolOptions(dir.filePath("out"), "");
    o.outputs = {"gazebo"};
    o.outputOptions.wallHeight = 0.75;
    o.tracks = {dir.filePath("oval.trk").toStdString()};
    std::ostringstream facts, err;
    ASSERT_EQ(RunBatchExport(o, dir.path(), facts, err, false), 0) << err.str();
    EXPECT_TRUE(ReadAll(dir.filePath("out/oval_gazebo/model.config")).contains("0.75 m high"));
    // Ours: written again.
    ASSERT_EQ(RunBatchExport(o, dir.path(), facts, err, false), 0) << err.str();

    const QString foreign = dir.filePath("out/oval_gazebo");
    ASSERT_TRUE(QDir(foreign).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(foreign));
    WriteAll(foreign + "/model.config", "<model><name>Someone else's</name></model>");
    std::ostringstream facts2, err2;
    EXPECT_EQ(RunBatchExport(o, dir.path(), facts2, err2, false), 1);
    EXPECT_EQ(err2.str(), "velmora-export: " + o.tracks[0] + ": " + foreign.toStdString() +
                              " is there and holds no model this program wrote; move it or give --out-dir\n");
    EXPECT_EQ(QDir(foreign).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{"model.config"});
    EXPECT_EQ(ReadAll(foreign + "/model.config"), "<model><name>Someone else's</name></model>");
}

// An output folder that cannot be made is named with the system's reason,
// and nothing is exported.
TEST(ExportTool, AnOutputFolderThatCannotBeMadeSaysWhy)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteAll(dir.filePath("oval.trk"), kOvalTrack);
    WriteAll(dir.filePath("afile"), "x");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("locked")));
    QFile::setPermissions(dir.filePath("locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool canWriteAnywhere = QFileInfo(dir.filePath("locked")).isWritable(); // root
    const struct {
        QString folder;
        const char* reason;
    } cases[] = {
        {dir.filePath("afile"), "Not a directory"},
        {dir.filePath("afile/sub"), "Not a directory"},
        {dir.filePath("locked/sub"), "Permission denied"},
    };
    for (const auto& c : cases) {
        if (canWriteAnywhere && QString(c.reason) == "Permission denied")
            continue;
        ExportOptions o = ToolOptions(c.folder, "");
        o.outputs = {"rl"};
        o.tracks = {dir.filePath("oval.trk").toStdString()};
        std::ostringstream facts, err;
        EXPECT_EQ(RunBatchExport(o, dir.path(), facts, err, false), 1);
        EXPECT_EQ(err.str(), "velmora-export: could not create the folder " + c.folder.toStdString() + ": " +
                                 c.reason + "\n");
    }
    QFile::setPermissions(dir.filePath("locked"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// The program itself, started the way a script on a headless machine would.
class ExportProgram : public ::testing::Test {
protected:
    int Run(const QStringList& args, QByteArray* out = nullptr, QByteArray* err = nullptr,
            const QProcessEnvironment& extra = {})
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& key : extra.keys())
            env.insert(key, extra.value(key));
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        p.setProcessEnvironment(env);
        p.start(VELMORA_EXPORT_PROGRAM, args);
        EXPECT_TRUE(p.waitForFinished(kHangGuardMs));
        if (out)
            *out = p.readAllStandardOutput();
        if (err)
            *err = p.readAllStandardError();
        return p.exitCode();
    }
};

TEST_F(ExportProgram, RunsWithoutADisplay)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteAll(dir.filePath("oval.trk"), kOvalTrack);
    QByteArray err;
    EXPECT_EQ(Run({"--images", ImagesDir(), "--png", "--rl", "--centreline", dir.filePath("oval.trk")},
                  nullptr, &err),
              0)
        << err.toStdString();
    const QImage picture(dir.filePath("oval.png"));
    EXPECT_FALSE(picture.isNull());
    EXPECT_TRUE(
        ReadAll(dir.filePath("oval_centreline.csv")).startsWith("# x_m,y_m,w_tr_right_m,w_tr_left_m\n"));
}

TEST_F(ExportProgram, HelpAndUsageErrors)
{
    QByteArray out, err;
    EXPECT_EQ(Run({"--help"}, &out), 0);
    EXPECT_TRUE(out.startsWith("usage: velmora-export"));
    EXPECT_TRUE(out.contains("--ros-map"));
    // A usage error is its line and where to look, as GNU tools have it.
    const QByteArray kTry = "Try 'velmora-export --help' for more information.\n";
    EXPECT_EQ(Run({"--png"}, &out, &err), 2);
    EXPECT_EQ(err, "velmora-export: no track file given\n" + kTry);
    EXPECT_EQ(out, "");
    EXPECT_EQ(Run({"--bogus"}, &out, &err), 2);
    EXPECT_EQ(err, "velmora-export: unknown option --bogus\n" + kTry);

    const struct {
        QStringList args;
        const char* told; // the first line of stderr, less "velmora-export: "
    } usage[] = {
        {{"--origin", "1"}, "--origin needs two numbers X,Y of metres, each within 1000000000 of 0, not \"1\""},
        {{"--origin", "a,b"}, "--origin needs two numbers X,Y of metres, each within 1000000000 of 0, not \"a,b\""},
        {{"--origin", "1,nan"}, "--origin needs two numbers X,Y of metres, each within 1000000000 of 0, not \"1,nan\""},
        {{"--origin", "1,2,3"}, "--origin needs two numbers X,Y of metres, each within 1000000000 of 0, not \"1,2,3\""},
        {{"--spacing", "0"}, "--spacing needs a number of metres greater than 0, not \"0\""},
        {{"--spacing", "-1"}, "--spacing needs a number of metres greater than 0, not \"-1\""},
        {{"--spacing", "x"}, "--spacing needs a number of metres greater than 0, not \"x\""},
        {{"--png", "--png-level", "0"}, "--png-level needs a whole number from 1 to 9, not \"0\""},
        {{"--png", "--png-level", "10"}, "--png-level needs a whole number from 1 to 9, not \"10\""},
        {{"--gazebo", "--wall-height", "0"},
         "--wall-height needs a number of metres greater than 0 and at most 1000, not \"0\""},
        {{"--origin", "1,2", "c.csv"},
         "--origin is for track files: a circuit keeps the coordinates of its own file"},
    };
    for (const auto& u : usage) {
        const QStringList args = QStringList{"--rl"} + u.args + QStringList{"a.trk"};
        EXPECT_EQ(Run(args, nullptr, &err), 2) << args.join(' ').toStdString();
        EXPECT_EQ(err, "velmora-export: " + QByteArray(u.told) + "\n" + kTry);
    }
}

// A vehicle that cannot be read is one usage error before any track: none
// is exported, however many are given.
TEST_F(ExportProgram, ABadVehicleIsOneUsageError)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteAll(dir.filePath("car.txt"), "width_m = 0.3\nspeed = 3\n");
    QStringList args{"--images",  ImagesDir(),         "--raceline", "--png",
                     "--out-dir", dir.filePath("out"), "--vehicle",  dir.filePath("car.txt")};
    for (int i = 0; i < 20; ++i) {
        WriteAll(dir.filePath(QString("t%1.trk").arg(i)), kOvalTrack);
        args << dir.filePath(QString("t%1.trk").arg(i));
    }
    QByteArray out, err;
    EXPECT_EQ(Run(args, &out, &err), 2);
    EXPECT_EQ(err,
              "velmora-export: --vehicle " + dir.filePath("car.txt").toUtf8() +
                  ": line 2: unknown key \"speed\"\nTry 'velmora-export --help' for more information.\n");
    EXPECT_FALSE(QDir(dir.filePath("out")).exists());
}

// A circuit file that cannot be read as one ends the run with 1, its line
// named, and leaves nothing behind.
TEST_F(ExportProgram, ACircuitThatCannotBeReadWritesNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteAll(dir.filePath("monza.csv"),
             "# x_m;y_m;w_tr_right_m;w_tr_left_m\n-0,320123;1,087714;5,739;5,932\n");
    QByteArray out, err;
    EXPECT_EQ(Run({"--images", ImagesDir(), "--trk", "--png", "--centreline", "--out-dir",
                   dir.filePath("out"), dir.filePath("monza.csv")},
                  &out, &err),
              1);
    EXPECT_EQ(err,
              "velmora-export: " + dir.filePath("monza.csv").toUtf8() +
                  ": line 2: decimal commas in \"-0,320123;1,087714;5,739;5,932\": write the numbers with a "
                  "decimal point (1.5, not 1,5)\n");
    EXPECT_EQ(out, "");
    EXPECT_TRUE(QDir(dir.filePath("out")).isEmpty());
}

// The manual page has the sections a manual page has, every output in its
// description, and fits a terminal of 80 columns.
TEST(ExportManual, HasItsSectionsAndFitsEightyColumns)
{
    const std::string page = ExportManPage("9.9");
    for (const char* section : {".SH NAME", ".SH SYNOPSIS", ".SH DESCRIPTION", ".SH OPTIONS",
                                ".SH EXIT STATUS", ".SH EXAMPLES", ".SH FILES"})
        EXPECT_NE(page.find(std::string("\n") + section + "\n"), std::string::npos) << section;
    for (const OutputEntry* output : Outputs())
        EXPECT_NE(
            page.find("\\fB\\-\\-" + QString(output->flag).replace("-", "\\-").toStdString() + "\\fR\n"),
            std::string::npos)
            << output->flag;

    if (QStandardPaths::findExecutable("man").isEmpty())
        GTEST_SKIP() << "man is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteAll(dir.filePath("velmora-export.1"), QByteArray::fromStdString(page));
    QProcess man;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("MANWIDTH", "80");
    env.insert("MANPAGER", "cat");
    env.insert("PAGER", "cat");
    env.insert("LC_ALL", "C");
    man.setProcessEnvironment(env);
    man.start("man", {"-l", dir.filePath("velmora-export.1")});
    ASSERT_TRUE(man.waitForFinished(kHangGuardMs));
    const QString text = QString::fromUtf8(man.readAllStandardOutput());
    ASSERT_EQ(man.exitCode(), 0) << man.readAllStandardError().toStdString();
    // Bold and underline come as overstrikes: a character, a backspace, another.
    static const QRegularExpression overstrike(".\b");
    int lines = 0;
    for (QString line : text.split('\n')) {
        line.remove(overstrike);
        EXPECT_LE(line.size(), 80) << line.toStdString();
        ++lines;
    }
    EXPECT_GT(lines, 100);
    for (const char* heading : {"SYNOPSIS", "EXIT STATUS", "EXAMPLES", "FILES"})
        EXPECT_TRUE(text.contains(
            QRegularExpression(QString("^") + heading + "$", QRegularExpression::MultilineOption)))
            << heading;
}

// Every number the tool reads or writes is the same bytes in a locale whose
// decimal separator is a comma, as in most of Europe.
TEST_F(ExportProgram, EveryOutputIsTheSameInACommaDecimalLocale)
{
    CommaLocale comma;
    const std::optional<std::string> locpath = comma.Prepare();
    if (!locpath)
        GTEST_SKIP() << "no de_DE.UTF-8 locale and localedef could not build one";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteAll(dir.filePath("start.trk"), "M 400.75 400.25 L 700 400 L 700 700 L 400 700 Z\r\n"
                                        "*text*\r\nBend 1, 720, 360, 2\r\n*cursor*\r\n0, 0, 0, 0, Z\r\n"
                                        "StartAngle = 0\r\n*markers*\r\n1, 560, 420, \r\n");
    const QStringList outputs = {"--png",      "--rl",  "--centreline", "--waypoints", "--deepracer",
                                 "--raceline", "--trk", "--ros-map",    "--gazebo"};
    const QString circuit = QString(VELMORA_TEST_DATA) + "/circuits/BrandsHatch.csv";
    const auto run = [&](const QString& locale, const QString& out) {
        QProcessEnvironment env;
        env.insert("LC_ALL", locale);
        if (!locpath->empty())
            env.insert("LOCPATH", QString::fromStdString(*locpath));
        QByteArray log, err;
        const QStringList common =
            QStringList{"--images", ImagesDir(), "--out-dir", dir.filePath(out)} + outputs;
        EXPECT_EQ(Run(common + QStringList{circuit}, nullptr, &err, env), 0) << err.toStdString();
        log += err;
        EXPECT_EQ(Run(common + QStringList{"--scale", "0.05", "--origin", "12.5,-3.25", "--spacing", "0.5",
                                           "--png-level", "3", dir.filePath("start.trk")},
                      nullptr, &err, env),
                  0)
            << err.toStdString();
        log += err;
        return log.replace(dir.filePath(out).toUtf8(), "OUT");
    };
    const QByteArray inC = run("C", "c");
    EXPECT_EQ(run(CommaLocale::kName, "de"), inC);
    QDirIterator files(dir.filePath("c"), QDir::Files, QDirIterator::Subdirectories);
    int compared = 0;
    while (files.hasNext()) {
        const QString c = files.next();
        const QString de = dir.filePath("de") + c.mid(dir.filePath("c").size());
        EXPECT_TRUE(ReadAll(c) == ReadAll(de)) << c.toStdString();
        ++compared;
    }
    EXPECT_GE(compared, 2 * 12);
}

namespace {

// Every file and folder under `folder`, hidden ones too, by relative path.
QStringList EverythingUnder(const QString& folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(folder).relativeFilePath(it.next());
    found.sort();
    return found;
}

} // namespace

// A track's export writes all its files or none: whichever output fails, and
// whether it fails before anything is made, while it is made or after the
// others are, no file of the track is left behind by that run, nor a
// temporary one.
TEST(ExportTool, AFailingOutputLeavesNoFileOfItsTrack)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Settings normal, narrow;
    normal.CanvasWidth = normal.CanvasHeight = narrow.CanvasWidth = narrow.CanvasHeight = 1000;
    narrow.TrackWidth = 2; // 0.1 m at the default scale: narrower than the car
    const QString normalPrefs = dir.filePath("normal.ini"), narrowPrefs = dir.filePath("narrow.ini");
    WriteAll(normalPrefs, QByteArray::fromStdString(WritePrefs(normal)));
    WriteAll(narrowPrefs, QByteArray::fromStdString(WritePrefs(narrow)));
    const struct {
        const char* name;
        const char* output; // the output that fails
        const QString* prefs;
        bool besideSource;   // no --out-dir: the outputs go beside the track
        const char* blocked; // a folder put where a file of the track goes
        const char* failure; // how the failure begins
    } failures[] = {
        {"race line narrower than the car", "raceline", &narrowPrefs, false, nullptr,
         "could not make the race line: "},
        {"--trk onto its own source", "trk", &normalPrefs, true, nullptr, "the track file would be written over itself"},
        {"the world file is a folder", "gazebo", &normalPrefs, false, "oval_world.sdf", "could not write "},
    };
    int folderIndex = 0;
    for (const OutputEntry* output : Outputs()) {
        for (const auto& failure : failures) {
            const bool itself = output->flag == std::string(failure.output);
            if (itself && !failure.blocked)
                continue;
            SCOPED_TRACE(std::string(output->flag) + " with " + failure.name);
            const QString folder = dir.filePath(QString::number(folderIndex++));
            const QString out = failure.besideSource ? folder : folder + "/out";
            ASSERT_TRUE(QDir().mkpath(out));
            WriteAll(folder + "/oval.trk", kOvalTrack);
            if (failure.blocked) {
                ASSERT_TRUE(QDir().mkpath(out + "/" + failure.blocked));
            }
            const QStringList before = EverythingUnder(folder);

            ExportOptions o = ToolOptions(failure.besideSource ? QString() : out, *failure.prefs);
            o.outputs = {output->flag, failure.output};
            o.tracks = {(folder + "/oval.trk").toStdString()};
            std::ostringstream facts, err;
            EXPECT_EQ(RunBatchExport(o, dir.path(), facts, err, false), 1);
            EXPECT_NE(err.str().find(failure.failure), std::string::npos) << err.str();
            EXPECT_EQ(facts.str(), "");
            EXPECT_EQ(EverythingUnder(folder), before);

            // Alone, the same output writes its files there.
            if (itself)
                continue;
            o.outputs = {output->flag};
            std::ostringstream facts2, err2;
            EXPECT_EQ(RunBatchExport(o, dir.path(), facts2, err2, false), 0) << err2.str();
            EXPECT_GT(EverythingUnder(folder).size(), before.size());
        }
    }
}

} // namespace velmora
