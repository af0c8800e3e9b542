#include "core/formats/track_file.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <gtest/gtest.h>

namespace velmora {
namespace {

// The cursor in the order of the file's cursor line.
TrackCursor Cursor(double length, double x, double y, double angle, std::string last)
{
    return {x, y, length, angle, std::move(last)};
}

TrackModel Read(std::string_view bytes)
{
    TrackModel m;
    m.StartAngle = 33;
    m.RedoStack = {"L 1 1 "};
    m.labels = {{"old", 1, 1, 1}};
    m.markers = {{1, 2, 3}};
    ReadTrackFile(bytes, m);
    return m;
}

TEST(TrackFile, WritesTheWorkedExample)
{
    TrackModel m;
    m.TrackPath = "M 100 200 L 300 200 ";
    m.labels = {{"Turn 1", 120, 80, 2}};
    m.cursor = Cursor(200, 300, 200, 0, "L 300 200 ");
    m.StartAngle = 0;
    m.markers = {{1, 150, 210}};
    const std::string expected =
        "M 100 200 L 300 200 \r\n*text*\r\nTurn 1, 120, 80, 2\r\n*cursor*\r\n200, 300, 200, 0, L 300 200 \r\n"
        "StartAngle = 0\r\n*markers*\r\n1, 150, 210, \r\n";
    EXPECT_EQ(WriteTrackFile(m), expected);

    const TrackModel back = Read(expected);
    EXPECT_EQ(back.TrackPath, m.TrackPath);
    EXPECT_EQ(back.labels, m.labels);
    EXPECT_EQ(back.markers, m.markers);
    EXPECT_EQ(back.cursor, m.cursor);
    EXPECT_EQ(back.StartAngle, 0);
    EXPECT_TRUE(back.RedoStack.empty());
}

TEST(TrackFile, WritesAnEmptyTrack)
{
    EXPECT_EQ(WriteTrackFile(TrackModel{}),
              "\r\n*text*\r\n*cursor*\r\n0, 0, 0, 0, \r\nStartAngle = -1\r\n*markers*\r\n");
}

TEST(TrackFile, CursorFloatsWithTenDecimals)
{
    TrackModel m;
    m.cursor = Cursor(0.9272952180016122, -2.214297435588181, 1.5, -0.0, "Z");
    EXPECT_NE(WriteTrackFile(m).find("\r\n0.927295218, -2.2142974356, 1.5, 0, Z\r\n"), std::string::npos);
    m.cursor = Cursor(HUGE_VAL, -HUGE_VAL, std::nan(""), 1e20, "");
    EXPECT_NE(WriteTrackFile(m).find("\r\n+Infinity, -Infinity, NaN, 100000000000000000000, \r\n"),
              std::string::npos);
    const TrackModel back = Read(WriteTrackFile(m));
    EXPECT_EQ(back.cursor.length, HUGE_VAL);
    EXPECT_EQ(back.cursor.x, -HUGE_VAL);
    EXPECT_TRUE(std::isnan(back.cursor.y));
}

TEST(TrackFile, RoundTripKeepsEverythingAndStaysByteStable)
{
    TrackModel m;
    m.TrackPath = "M 1 2 L 3,4 ";
    m.cursor = Cursor(2.8284271247, 3, 4, 0.7853981634, "L 3,4 ");
    m.StartAngle = -46;
    m.labels = {{"Bend, left", 10, 20, 3},   // a comma in the text
                {"StartAngle 5", -1, -2, 1}, // looks like the start angle line
                {"*text*", 5, 6, 2},
                {"Caf\xC3\xA9 \xE2\x82\xAC", 7, 8, 2}}; // Café €: both in the code page
    m.markers = {{2, -5, 7}, {3, 0, 0}};
    const std::string once = WriteTrackFile(m);
    EXPECT_NE(once.find("Caf\xE9 \x80, 7, 8, 2\r\n"), std::string::npos);

    const TrackModel back = Read(once);
    EXPECT_EQ(back.TrackPath, m.TrackPath);
    EXPECT_EQ(back.labels, m.labels);
    EXPECT_EQ(back.markers, m.markers);
    EXPECT_EQ(back.cursor, m.cursor);
    EXPECT_EQ(back.StartAngle, -46);
    // Loading and saving again gives the same bytes, cycle after cycle.
    EXPECT_EQ(WriteTrackFile(back), once);
    EXPECT_EQ(WriteTrackFile(Read(WriteTrackFile(back))), once);
}

TEST(TrackFile, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    TrackModel m;
    m.labels = {{"\xE6\x97\xA5 x\xF0\x9F\x98\x80", 1, 2, 2}, {"bad \xFF utf", 1, 2, 2}};
    const std::string bytes = WriteTrackFile(m);
    EXPECT_NE(bytes.find("\r\n? x?, 1, 2, 2\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nbad ? utf, 1, 2, 2\r\n"), std::string::npos);
}

TEST(TrackFile, LineEndsInTextsCannotSplitTheFile)
{
    TrackModel m;
    m.TrackPath = "M 1 1\rL 2 2\n";
    m.labels = {{"two\r\nlines", 0, 0, 1}, {"\nlone\r", 0, 0, 1}, {std::string("n\0l", 3), 0, 0, 1}};
    m.markers = {{1, 2, 3}};
    const TrackModel back = Read(WriteTrackFile(m));
    EXPECT_EQ(back.TrackPath, "M 1 1 L 2 2 ");
    EXPECT_EQ(back.labels,
              (std::vector<TextLabel>{{"two\r lines", 0, 0, 1}, {"\nlone\r", 0, 0, 1}, {"n l", 0, 0, 1}}));
    EXPECT_EQ(back.markers, m.markers);
}

TEST(TrackFile, ReaderRules)
{
    // The last line without CR LF is lost; LF-only files give only the path.
    EXPECT_TRUE(Read("M 0 0 \r\n*markers*\r\n1, 2, 3, ").markers.empty());
    const TrackModel lf = Read("M 0 0 \n*markers*\n1, 2, 3, \n");
    EXPECT_EQ(lf.TrackPath, "M 0 0 ");
    EXPECT_TRUE(lf.markers.empty());
    EXPECT_TRUE(lf.labels.empty());

    // No start angle line: the angle stays; the cursor and lists are reset.
    const TrackModel none = Read("M 0 0 \r\n");
    EXPECT_EQ(none.StartAngle, 33);
    EXPECT_EQ(none.cursor, TrackCursor{});

    // Two blanks around "=" make the third part "=" itself.
    EXPECT_EQ(Read("\r\nStartAngle  =  90\r\n").StartAngle, 0);
    EXPECT_EQ(Read("\r\nStartAngle = 90.5\r\n").StartAngle, 90);
    EXPECT_EQ(Read("\r\n  StartAngle = 1e300\r\n").StartAngle, 2147483647);
    // Without blanks it is no start angle line: in the cursor section it
    // overwrites the cursor with zeros.
    const TrackModel glued = Read("\r\n*cursor*\r\n1, 2, 3, 4, Z\r\nStartAngle=90\r\n");
    EXPECT_EQ(glued.StartAngle, 33);
    EXPECT_EQ(glued.cursor, TrackCursor{});
    EXPECT_EQ(Read("\r\n*cursor*\r\n1, 2, 3, 4, Z\r\n5, 6, 7, 8, L 1 1 \r\n").cursor,
              Cursor(5, 6, 7, 8, "L 1 1 "));

    // A first line that is a section name is the path; labels wait for one.
    const TrackModel shifted = Read("*text*\r\nA, 1, 2, 2\r\n*text*\r\nB, 1, 2, 2\r\n");
    EXPECT_EQ(shifted.TrackPath, "*text*");
    EXPECT_EQ(shifted.labels, std::vector<TextLabel>{(TextLabel{"B", 1, 2, 2})});

    // Marker coordinates round halves to even; label numbers accept "$" and "%".
    const TrackModel numbers =
        Read("\r\n*markers*\r\n3, 150.5, 151.5, \r\n*text*\r\n  lead, $7F, %101, -$10\r\n");
    EXPECT_EQ(numbers.markers, std::vector<RLMarker>{(RLMarker{3, 150, 152})});
    EXPECT_EQ(numbers.labels, std::vector<TextLabel>{(TextLabel{"lead", 127, 5, -16})});

    // Short lines read missing fields as 0.
    const TrackModel shortLines = Read("\r\n*text*\r\nonly\r\n*markers*\r\n2\r\n");
    EXPECT_EQ(shortLines.labels, std::vector<TextLabel>{(TextLabel{"only", 0, 0, 0})});
    EXPECT_EQ(shortLines.markers, std::vector<RLMarker>{(RLMarker{2, 0, 0})});
}

TEST(TrackFile, AnyBytesAreRead)
{
    // NUL ends what is read; bare CR stays inside a line.
    const std::string nul("M 0 0\0 \r\n*markers*\r\n1, 2, 3, \r\n", 31);
    const TrackModel a = Read(nul);
    EXPECT_EQ(a.TrackPath, "M 0 0");
    EXPECT_TRUE(a.markers.empty());
    EXPECT_EQ(Read("M 1\r2\r\n").TrackPath, "M 1");
    EXPECT_EQ(Read("\r\n*markers*\r\n1, 1e39, NaN, \r\n").markers[0].x, 2147483647);
    EXPECT_EQ(Read("\r\n*markers*\r\n1, -1e999, NaN, \r\n").markers[0].x, -2147483648);
    EXPECT_EQ(Read("\r\n*markers*\r\n1, 2, NaN, \r\n").markers[0].y, 0);
    EXPECT_EQ(Read("\r\n*text*\r\nx, 99999999999, 4294967297, 2\r\n").labels[0].y, 1);
    EXPECT_EQ(Read("\xEF\xBB\xBFM 0 0 \r\n").TrackPath, "\xC3\xAF\xC2\xBB\xC2\xBFM 0 0 ");

    std::string big = "M 0 0 \r\n*text*\r\n";
    for (int i = 0; i < 200000; ++i)
        big += "a,b,c,d,e,f,g,h, 1, 2, 3\r\n";
    big += std::string(1 << 22, ',');
    EXPECT_EQ(Read(big).labels.size(), 200000u);
}

} // namespace
} // namespace velmora

namespace velmora {
namespace {

// Inputs the fuzzer found: what the reader makes of them must save and load
// again unchanged.
TEST(TrackFile, FuzzFindingsRewriteStably)
{
    for (const char* name : {"track_file_lone_lf_label.trk"}) {
        std::ifstream in(std::string(VELMORA_TEST_DATA) + "/fuzz/" + name, std::ios::binary);
        ASSERT_TRUE(in) << name;
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string once = WriteTrackFile(Read(bytes));
        EXPECT_EQ(WriteTrackFile(Read(once)), once) << name;
    }
}

}  // namespace
}  // namespace velmora
