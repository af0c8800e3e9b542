#include "circuit_data.h"
#include "core/formats/centreline_csv.h"
#include "core/inputs/centreline_import.h"
#include "core/formats/number_text.h"
#include "core/formats/ros_map_yaml.h"
#include "core/formats/track_file.h"
#include "core/track/editor.h"
#include "core/track/path.h"
#include "core/track/track_loading.h"
#include "core/track/track_samples.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace velmora {
namespace {

std::vector<CentrelineRow> Rows(std::string_view csv)
{
    Result<std::vector<CentrelineRow>> rows = ReadCentrelineRows(csv);
    EXPECT_TRUE(rows.ok()) << rows.error();
    return rows ? std::move(*rows) : std::vector<CentrelineRow>();
}

std::string ImportError(std::string_view csv, CentrelineImportOptions o = {})
{
    const Result<ImportedCentreline> out = ImportCentreline(Rows(csv), o);
    EXPECT_FALSE(out.ok()) << csv;
    return out.error();
}

// The track's corner points, as the path holds them.
std::vector<CanvasPoint> Corners(const TrackModel& m)
{
    std::vector<CanvasPoint> out;
    for (const PathFigure& f : ParsePathText(m.TrackPath))
        for (const PathPoint& p : f.points)
            out.push_back({p.x, p.y});
    return out;
}

double DistanceToLine(CanvasPoint p, const std::vector<CanvasPoint>& line, bool closed)
{
    double best = HUGE_VAL;
    for (std::size_t i = 0; i + 1 < line.size() + (closed ? 1 : 0); ++i)
        best = std::min(best, DistanceToSegment(p, line[i], line[(i + 1) % line.size()]));
    return best;
}

TEST(CentrelineRows, ReadsThePublishedForms)
{
    const std::string csv = "\xEF\xBB\xBF# x_m,y_m,w_tr_right_m,w_tr_left_m\r\n"
                            "1.5,2,3,4\r\n"
                            "\r\n"
                            "  # a remark\n"
                            "-1.5, 2e1 ,\t3 , 4, extra, columns\n"
                            "7,8\r"
                            "9,10";
    const std::vector<CentrelineRow> rows = Rows(csv);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].x, 1.5);
    EXPECT_EQ(rows[0].line, 2u);
    EXPECT_TRUE(rows[0].hasWidths);
    EXPECT_EQ(rows[1].y, 20);
    EXPECT_EQ(rows[1].widthLeft, 4);
    EXPECT_EQ(rows[1].line, 5u);
    EXPECT_FALSE(rows[2].hasWidths);
    EXPECT_EQ(rows[3].x, 9);
    EXPECT_EQ(rows[3].line, 7u);
}

TEST(CentrelineRows, BadFieldsNameTheirLine)
{
    const struct {
        const char* csv;
        const char* error;
    } cases[] = {
        {"# head\n1,2\n1,x\n", "line 3: y_m is not a number: \"x\""},
        {"1,2\nnan,2\n", "line 2: x_m is not a number: \"nan\""},
        {"1,2\n1,inf\n", "line 2: y_m is not a number: \"inf\""},
        {"1,2\n1,1e999\n", "line 2: y_m is too large: \"1e999\""},
        {"1,2\n1,2,3,zz\n", "line 2: w_tr_left_m is not a number: \"zz\""},
        {"1,2\n1;2\n", "line 2: fields separated by semicolons where line 1 has commas"},
        {"1.5 2\n1.5,2\n", "line 2: fields separated by commas where line 1 has tabs or blanks"},
        {"1.5 2\n1.5\n", "line 2: needs x_m and y_m separated by tabs or blanks"},
        {"1\n", "line 1: needs x_m and y_m separated by commas, semicolons, tabs or blanks"},
        {"1,\n", "line 1: y_m is not a number: \"\""},
        {"1,2\n1\x01,2\n", "line 2: x_m is not a number: \"1?\""},
        {"1 2,3\n",
         "line 1: decimal commas in \"1 2,3\": write the numbers with a decimal point (1.5, not 1,5)"},
        {"# s_m,x_m,y_m\n0,1.5,2\n1,3\n", "line 3: no y_m (field 3 of the header on line 1)"},
        {"x_m,y_m\n\x89PNG\n", "line 2: x_m is not a number: \"?PNG\""},
        {"x_m,y_m\n1.5\n", "line 2: no y_m (field 2 of the header on line 1)"},
    };
    for (const auto& c : cases) {
        const Result<std::vector<CentrelineRow>> rows = ReadCentrelineRows(c.csv);
        EXPECT_FALSE(rows.ok()) << c.csv;
        EXPECT_EQ(rows.error(), c.error) << c.csv;
    }
}

// A small circuit, 70 x 30 m, starting near (0, 0) as the databases' do, in
// rows of (x, y, right width, left width).
std::vector<CentrelineRow> Stadium()
{
    std::vector<CentrelineRow> rows;
    for (int i = 0; i < 24; ++i) {
        const double a = 2 * 3.141592653589793 * i / 24;
        const double x = 20 * std::cos(a) + (std::cos(a) > 0 ? 15.125 : -15.125) - 35.0625;
        rows.push_back({x, 15 * std::sin(a) + 0.046875, 2.75 + (i % 3) * 0.25, 3.5 - (i % 2) * 0.5, true, 0});
    }
    return rows;
}

// The circuit as a table: each field one of x, y, r(ight), l(eft) or a
// number of some other column (-), numbers shown times `unit`.
std::string Table(const std::vector<CentrelineRow>& rows, std::string_view before, std::string_view columns,
                  std::string_view separator, bool decimalComma, double unit)
{
    std::string text(before);
    for (const CentrelineRow& r : rows) {
        for (std::size_t k = 0; k < columns.size(); ++k) {
            const char c = columns[k];
            const double v = c == 'x'   ? r.x
                             : c == 'y' ? r.y
                             : c == 'r' ? r.widthRight
                             : c == 'l' ? r.widthLeft
                                        : 7.25;
            std::string number = FormatShortest(v * unit);
            if (decimalComma)
                std::replace(number.begin(), number.end(), '.', ',');
            text += (k == 0 ? "" : std::string(separator)) + number;
        }
        text += "\n";
    }
    return text;
}

// The forms centreline tables come in import to the same track as the plain
// file, or fail naming the line and the fix: columns by the header's names
// in any order, with or without "#", our own waypoints and race-line files,
// every separator; decimal commas, two columns without a width and a file in
// millimetres are refused.
TEST(CentrelineImport, TableFormsImportAsThePlainFile)
{
    const std::vector<CentrelineRow> stadium = Stadium();
    const std::string kWaypoints =
        "# s_m,x_m,y_m,psi_rad,kappa_radpm,w_tr_right_m,w_tr_left_m,x_right_m,y_right_m,x_left_m,y_left_m\n";
    const struct {
        const char* name;
        std::string before; // header and comment lines
        const char* columns;
        const char* separator;
        bool decimalComma;
        double unit;
        const char* error; // of reading, else of the import with the file's widths; "": as the plain file
    } forms[] = {
        {"plain", "# x_m,y_m,w_tr_right_m,w_tr_left_m\n", "xyrl", ",", false, 1, ""},
        {"no header", "", "xyrl", ",", false, 1, ""},
        {"reordered", "# w_tr_left_m,w_tr_right_m,y_m,x_m\n", "lryx", ",", false, 1, ""},
        {"without #", "x,y,w_tr_right_m,w_tr_left_m\n", "xyrl", ",", false, 1, ""},
        {"quoted, any case", "\"X_M\",\"Y_M\",\"W_TR_RIGHT_M\",\"W_TR_LEFT_M\"\n", "xyrl", ",", false, 1, ""},
        {"waypoints", kWaypoints, "-xy--rl----", ",", false, 1, ""},
        {"race line", "# s_m; x_m; y_m; psi_rad; kappa_radpm; vx_mps; ax_mps2\n", "-xy----", "; ", false, 1,
         "the file has no track widths (w_tr_right_m, w_tr_left_m): give the track width (8 m, say)"},
        {"race line with notes", "# made by velmora\n# vehicle x y\n# s_m; x_m; y_m; psi_rad\n", "-xy-", ";",
         false, 1,
         "the file has no track widths (w_tr_right_m, w_tr_left_m): give the track width (8 m, say)"},
        {"semicolons", "x_m;y_m;w_tr_right_m;w_tr_left_m\n", "xyrl", ";", false, 1, ""},
        {"tabs", "# x_m\ty_m\tw_tr_right_m\tw_tr_left_m\n", "xyrl", "\t", false, 1, ""},
        {"blanks", "", "xyrl", "   ", false, 1, ""},
        {"two columns", "x_m,y_m\n", "xy", ",", false, 1,
         "the file has no track widths (w_tr_right_m, w_tr_left_m): give the track width (8 m, say)"},
        {"decimal commas", "", "xyrl", ",", true, 1,
         "line 1: decimal commas in \"0,0625,0,046875,2,75,3,5\": write the numbers with a decimal point "
         "(1.5, "
         "not 1,5)"},
        {"decimal commas, named", "x_m,y_m\n", "xy", ",", true, 1,
         "line 2: decimal commas in \"0,0625,0,046875\": write the numbers with a decimal point (1.5, not "
         "1,5)"},
        {"decimal commas and semicolons", "# x_m;y_m\n", "xy", ";", true, 1,
         "line 2: decimal commas in \"0,0625;0,046875\": write the numbers with a decimal point (1.5, not "
         "1,5)"},
        {"millimetres", "", "xyrl", ",", false, 1000,
         "the points span 70.2 km, and a circuit in metres spans 1 m to 50 km: are the numbers metres, "
         "written "
         "with a decimal point?"},
    };
    CentrelineImportOptions given;
    given.metresPerPixel = 0.125;
    CentrelineImportOptions fromFile = given;
    fromFile.trackWidthFromFile = true;
    const std::string plainText = Table(stadium, forms[0].before, forms[0].columns, ",", false, 1);
    const Result<ImportedCentreline> plainGiven = ImportCentreline(Rows(plainText), given);
    const Result<ImportedCentreline> plainFromFile = ImportCentreline(Rows(plainText), fromFile);
    ASSERT_TRUE(plainGiven.ok() && plainFromFile.ok()) << plainGiven.error() << plainFromFile.error();
    EXPECT_EQ(plainFromFile->trackWidth, 50); // (3 + 3.25) m, the median, at 0.125 m per pixel

    for (const auto& f : forms) {
        SCOPED_TRACE(f.name);
        const std::string text = Table(stadium, f.before, f.columns, f.separator, f.decimalComma, f.unit);
        const Result<std::vector<CentrelineRow>> rows = ReadCentrelineRows(text);
        if (!rows) {
            EXPECT_EQ(rows.error(), f.error);
            continue;
        }
        const Result<ImportedCentreline> withWidths = ImportCentreline(*rows, fromFile);
        EXPECT_EQ(withWidths.error(), f.error);
        if (*f.error && f.unit != 1)
            continue;
        const Result<ImportedCentreline> out = ImportCentreline(*rows, given);
        ASSERT_TRUE(out.ok()) << out.error();
        EXPECT_EQ(out->model.TrackPath, plainGiven->model.TrackPath);
        EXPECT_EQ(out->frame.originX, plainGiven->frame.originX);
        EXPECT_EQ(out->frame.originY, plainGiven->frame.originY);
        if (withWidths) {
            EXPECT_EQ(withWidths->trackWidth, plainFromFile->trackWidth);
        }
    }
}

TEST(CentrelineImport, RefusesWhatCannotBeATrack)
{
    CentrelineImportOptions scaled;
    scaled.metresPerPixel = 1;
    CentrelineImportOptions tiny;
    tiny.metresPerPixel = 1000;
    CentrelineImportOptions strict;
    strict.angleLimit = 45;
    CentrelineImportOptions strictScaled = strict;
    strictScaled.metresPerPixel = 1;
    const struct {
        const char* csv;
        CentrelineImportOptions options;
        const char* error;
    } cases[] = {
        {"# nothing\n", {}, "the file holds no points"},
        {"5,5\n5,5\n5,5\n", {}, "all points are the same"},
        {"0,0\n1,1\n0,0\n1,1\n", {}, "fewer than 3 distinct points"},
        {"-1e308,0\n1e308,0\n0,1\n", {}, "the points lie too far apart for any canvas"},
        {"0,0\n3000,0\n0,100\n", scaled,
         "at 1 m per pixel the circuit needs a canvas of at least 3049 x 149 pixels; the canvas is 2048 x "
         "2048"},
        {"0,0\n30000,0\n0,100\n", scaled,
         "at 1 m per pixel the circuit needs a canvas of 30049 x 149 pixels, more than the largest canvas "
         "(16384 x 16384)"},
        {"0,0\n1e12,0\n0,100\n",
         {},
         "the points span more than a million km, and a circuit in metres spans 1 m to 50 km: are the "
         "numbers metres, written with a decimal point?"},
        {"0,0\n0.5,0\n0,0.5\n",
         {},
         "the points span 0.5 m, and a circuit in metres spans 1 m to 50 km: are the numbers metres, written "
         "with a decimal point?"},
        {"0,0\n2,0\n0,2\n", tiny, "at 1000 m per pixel the circuit shrinks to fewer than 3 distinct points"},
        // A triangle whose corners are all within 45 degrees but where it
        // closes: into the closing stretch (line 3) and out of it (line 1).
        {"0,0\n100,10\n200,0\n", strictScaled,
         "line 3: the track turns 174 degrees here, more than the angle limit "
         "of 45"},
        {"0,0\n100,0\n100,100\n0,100\n", strict,
         "line 2: the track turns 90 degrees here, more than the angle limit of 45"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ImportError(c.csv, c.options), c.error) << c.csv;

    // The editor measures the very first stretch from the canvas's corner:
    // a start low on the canvas heading down-left turns too far for it.
    CentrelineImportOptions open = strict;
    open.open = true;
    open.metresPerPixel = 1;
    EXPECT_EQ(
        ImportError("0,0\n-100,-900\n-150,-1000\n", open),
        "line 2: the editor refuses the first stretch towards this point with the angle limit of 45 (it "
        "measures the first turn, 55 degrees, from the canvas's top-left corner)");
    // Open, the square has no corner at its start and none at its end.
    EXPECT_EQ(ImportError("0,0\n100,0\n100,100\n0,100\n", open),
              "line 2: the track turns 90 degrees here, more than the angle limit of 45");
    strict.angleLimit = 90;
    EXPECT_TRUE(ImportCentreline(Rows("0,0\n100,0\n100,100\n0,100\n"), strict).ok());
}

TEST(CentrelineImport, ScalesCentresAndClosesLikeClicks)
{
    // A 100 x 50 m rectangle at 0.5 m per pixel: 200 x 100 px around the
    // centre (1024, 1024) of the canvas, y turned down, points on the
    // straights left out, the first row the start.
    CentrelineImportOptions o;
    o.metresPerPixel = 0.5;
    Result<ImportedCentreline> out = ImportCentreline(Rows("0,0\n50,0\n100,0\n100,50\n0,50\n"), o);
    ASSERT_TRUE(out.ok()) << out.error();
    EXPECT_EQ(out->model.TrackPath, "M 924 1074 L 1124 1074 L 1124 974 L 924 974 Z");
    EXPECT_EQ(out->frame.metresPerPixel, 0.5);
    EXPECT_EQ(out->frame.originX, -462); // so (0, 0) m is pixel (924, 1074)
    EXPECT_EQ(out->frame.originY, 537);
    EXPECT_EQ(out->trackWidth, 42);

    // The file the editor saves after clicking the same points and closing
    // the loop; the first stretch here heads at -1 degree, which leaves the
    // start angle unset until the next click.
    for (const bool closed : {false, true}) {
        o.open = !closed;
        out = ImportCentreline(Rows("0,0\n100,2\n200,-30\n150,-200\n"), o);
        ASSERT_TRUE(out.ok()) << out.error();
        Editor ed;
        const Settings s;
        for (const CanvasPoint& p : Corners(out->model)) {
            SamplePointer(ed, int(p.x), int(p.y));
            HandleLeftClick(ed, s);
        }
        if (closed)
            CloseLoop(ed, s);
        EXPECT_EQ(WriteTrackFile(out->model), WriteTrackFile(ed.model));
        EXPECT_EQ(ed.model.StartAngle, 9);
    }
}

TEST(CentrelineImport, TrackWidthFromTheFileIsTheMedianInPixels)
{
    CentrelineImportOptions o;
    o.metresPerPixel = 0.5;
    o.trackWidthFromFile = true;
    EXPECT_EQ(ImportCentreline(Rows("0,0,2,3\n100,0,3,3\n100,50,10,10\n"), o)->trackWidth, 12); // 6 m
    EXPECT_EQ(ImportCentreline(Rows("0,0,2,3\n100,0,3,3\n100,50,10,10\n0,50,3,4\n"), o)->trackWidth,
              13); // (6 + 7) / 2 m
    EXPECT_EQ(ImportError("0,0\n100,0\n100,50\n", o),
              "the file has no track widths (w_tr_right_m, w_tr_left_m): give the track width (8 m, "
              "say)");
    EXPECT_EQ(
        ImportError("0,0,60,61\n100,0,60,61\n100,50,60,61\n", o),
        "the widths in the file make the track 121 m wide on a circuit 100 m across: are the columns in "
        "their places?");
    EXPECT_EQ(ImportError("0,0,0.1,0.1\n100,0,0.1,0.1\n100,50,0.1,0.1\n", o),
              "the track widths in the file make the track 0 pixels wide at 0.5 m per pixel");
}

// A width in metres is the same track whatever scale the circuit gets; a
// file of x and y alone takes it.
TEST(CentrelineImport, TrackWidthInMetresAtAnyScale)
{
    CentrelineImportOptions o;
    o.trackWidthMetres = 6;
    for (const double scale : {0.5, 0.25, 0.1}) {
        o.metresPerPixel = scale;
        const Result<ImportedCentreline> in = ImportCentreline(Rows("0,0\n100,0\n100,50\n"), o);
        ASSERT_TRUE(in) << in.error();
        EXPECT_DOUBLE_EQ(in->frame.Metres(in->trackWidth), 6) << scale;
    }
    o.metresPerPixel = 0.5;
    o.trackWidthMetres = 121;
    EXPECT_EQ(ImportError("0,0\n100,0\n100,50\n", o),
              "a track 121 m wide does not fit a circuit 100 m across");
}

TEST(CentrelineImport, FitLeavesAMarginOfFivePercentInThreeDigits)
{
    EXPECT_EQ(FitScale(1843.2, 10, 2048, 2048), 1); // 2048 less 2 x 102.4
    EXPECT_EQ(FitScale(0.343 * 1843.2, 10, 2048, 2048), 0.343);
    EXPECT_EQ(FitScale(1000, 10, 2048, 2048), 0.543); // 0.5425..., up
    EXPECT_EQ(FitScale(10, 2000, 4000, 2000), 1.12);  // 2000 / 1800
    EXPECT_EQ(FitScale(5e6, 0, 2048, 2048), 2720);
    EXPECT_EQ(FitScale(0, 0, 2048, 2048), 0);
}

// The three real circuits go to the canvas and come back as our centreline
// CSV in their own coordinates, within a tenth of a pixel of the line they
// were read from, as they are, with no shift.
TEST(CentrelineImport, RealCircuitsRoundTripInTheirOwnCoordinates)
{
    for (const std::string name : circuits::kNames) {
        SCOPED_TRACE(name);
        const std::vector<CentrelineRow> rows = circuits::Rows(name);
        ASSERT_GT(rows.size(), 700u);
        const Result<ImportedCentreline> out = circuits::Import(name);
        ASSERT_TRUE(out.ok()) << out.error();
        const double s = out->frame.metresPerPixel;
        std::vector<CanvasPoint> source; // in metres, as the file has them
        for (const CentrelineRow& r : rows)
            source.push_back({r.x, r.y});

        const std::vector<CanvasPoint> track = Corners(out->model);
        EXPECT_LT(track.size(), rows.size());
        for (std::size_t i = 0; i < track.size(); ++i)
            EXPECT_FALSE(track[i] == track[(i + 1) % track.size()]);
        // Hundredths at most: no point has a third decimal.
        const std::string& path = out->model.TrackPath;
        for (std::size_t dot = path.find('.'); dot != std::string::npos; dot = path.find('.', dot + 1))
            ASSERT_LE(path.find(' ', dot) - dot, 3u) << path.substr(dot - 4, 10);

        const Result<TrackSamples> samples = SampleTrack(out->model.TrackPath, 1, out->trackWidth);
        ASSERT_TRUE(samples.ok()) << samples.error();
        const Result<std::string> csv = CentrelineCsv(*samples, out->frame);
        ASSERT_TRUE(csv.ok()) << csv.error();
        const Result<std::vector<CentrelineRow>> back = ReadCentrelineRows(*csv);
        ASSERT_TRUE(back.ok()) << back.error();
        EXPECT_EQ(back->size(), samples->rows.size());
        double worst = 0;
        for (const CentrelineRow& r : *back)
            worst = std::max(worst, DistanceToLine({r.x, r.y}, source, true));
        EXPECT_LE(worst, 0.1 * s);
        // And the other way: no corner of the file is cut.
        std::vector<CanvasPoint> trackInMetres;
        for (const CanvasPoint& p : track)
            trackInMetres.push_back({out->frame.X(p.x), out->frame.Y(p.y)});
        for (const CanvasPoint& p : source)
            ASSERT_LE(DistanceToLine(p, trackInMetres, true), 0.1 * s);
    }
}

// An imported circuit is a track like any other: its file loads, the path
// keeps its hundredths, a click appends whole pixels, Undo and Redo work on
// it and it saves back as it loaded.
TEST(CentrelineImport, ImportedTrackLoadsEditsAndSavesInTheEditor)
{
    const Result<ImportedCentreline> monza = circuits::Import("Monza");
    ASSERT_TRUE(monza.ok()) << monza.error();
    const std::string path = monza->model.TrackPath;
    EXPECT_NE(path.find('.'), std::string::npos) << "points keep their hundredths";

    Editor ed;
    Settings s;
    ASSERT_EQ(ApplyLoadedTrack(ed, s, WriteTrackFile(monza->model), "Monza.trk"), LoadOutcome::Loaded);
    EXPECT_EQ(ed.model.TrackPath, path);
    EXPECT_TRUE(ed.view.closeLoopEnabled);
    EXPECT_EQ(ed.model.cursor.lastSegment, "Z");

    // After Close Loop the track continues from the start.
    const CanvasPoint start = StartPosition(path);
    SamplePointer(ed, int(start.x) + 30, int(start.y));
    ShowReadout(ed, s);
    HandleLeftClick(ed, s);
    const std::string added = PointCommand('L', int(start.x) + 30, int(start.y));
    EXPECT_EQ(added.find('.'), std::string::npos);
    ASSERT_EQ(ed.model.TrackPath, path + added);
    EXPECT_NEAR(ed.model.cursor.x, int(start.x) + 30, 1e-3);

    Undo(ed, s);
    EXPECT_EQ(ed.model.TrackPath, path);
    Redo(ed, s);
    EXPECT_EQ(ed.model.TrackPath, path + added);

    TrackModel reloaded;
    ReadTrackFile(WriteTrackFile(ed.model), reloaded);
    EXPECT_EQ(reloaded.TrackPath, ed.model.TrackPath);
    EXPECT_EQ(reloaded.cursor.lastSegment, added);
    EXPECT_EQ(reloaded.StartAngle, monza->model.StartAngle);
}

TEST(RosMapYaml, KeysInOrderAndNumbersThatReadBack)
{
    EXPECT_EQ(RosMapYaml("Monza_map.png", 0.05, 0, -102.4), "image: Monza_map.png\n"
                                                            "resolution: 0.05\n"
                                                            "origin: [0.0, -102.4, 0.0]\n"
                                                            "negate: 0\n"
                                                            "occupied_thresh: 0.65\n"
                                                            "free_thresh: 0.196\n");
    EXPECT_EQ(RosMapYaml("a_map.png", 2, 0, 0.1 + 0.2),
              "image: a_map.png\nresolution: 2.0\norigin: [0.0, 0.30000000000000004, 0.0]\n"
              "negate: 0\noccupied_thresh: 0.65\nfree_thresh: 0.196\n");
    EXPECT_EQ(RosMapYaml("my track: 2_map.png", 1, 0, 0).substr(0, 30), "image: \"my track: 2_map.png\"\nr");
}

} // namespace
} // namespace velmora
