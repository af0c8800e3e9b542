#include "core/formats/rl_data.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace velmora {

namespace {

std::string Export(std::string_view path, const std::vector<RLMarker>& markers, double gap = 64,
                   double width = 42)
{
    return BuildRLExport(PathMeasure(path), markers, gap, width).text;
}

std::string Rows(std::initializer_list<const char*> rows)
{
    std::string s;
    for (const char* r : rows) {
        s += r;
        s += "\r\n";
    }
    return s;
}

const char* const kLineHeader = "; angle, x1, y1, x2, y2, ";
const char* const kMarkerHeader = "; position.i, type.i, x.i, y.i, ";

} // namespace

TEST(RLExport, StraightTrackGivesTheWorkedRows)
{
    const std::string text = Export("M 100 100 L 300 100 ", {{2, 200, 95}});
    EXPECT_EQ(text, Rows({kLineHeader, "90, 132, 90, 132, 110, ", "90, 196, 90, 196, 110, ",
                          "90, 260, 90, 260, 110, ", "*markers*", kMarkerHeader, "1, 2, 200, 95, "}));
}

TEST(RLExport, WithoutSegmentsOneLineAtTheOrigin)
{
    const std::vector<RLMarker> markers{{1, 500, 500}, {3, -20, 7}};
    const std::string expected = Rows({kLineHeader, "90, 0, -10, 0, 10, ", "*markers*", kMarkerHeader,
                                       "0, 1, 500, 500, ", "0, 3, -20, 7, "});
    EXPECT_EQ(Export("", markers), expected);
    EXPECT_EQ(Export("M 100 100 ", markers), expected);
}

TEST(RLExport, MarkerSectionHasItsHeadersWithoutMarkers)
{
    EXPECT_EQ(Export("", {}), Rows({kLineHeader, "90, 0, -10, 0, 10, ", "*markers*", kMarkerHeader}));
}

TEST(RLLines, SpacingAndEnd)
{
    // Shorter than half a gap: one line at the end point.
    std::vector<RLLine> lines = ComputeRLLines(PathMeasure("M 0 0 L 10 0 "), 64, 42);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_DOUBLE_EQ(lines[0].x1, 10);
    EXPECT_DOUBLE_EQ(lines[0].y1, -10.5);

    // Exactly two gaps long: lines at 32 and 96; the one at 160 is not made.
    lines = ComputeRLLines(PathMeasure("M 0 0 L 128 0 "), 64, 42);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_DOUBLE_EQ(lines[0].x1, 32);
    EXPECT_DOUBLE_EQ(lines[1].x1, 96);
    EXPECT_EQ(lines[1].index, 1);

    // Going down the screen the first end lies to the right on screen (+x)
    // and the bearing is 180.
    lines = ComputeRLLines(PathMeasure("M 50 0 L 50 100 "), 64, 40);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].angle, 180);
    EXPECT_NEAR(lines[0].x1, 60, 1e-9);
    EXPECT_NEAR(lines[0].y1, 32, 1e-9);
    EXPECT_NEAR(lines[0].x2, 40, 1e-9);
}

TEST(RLLines, ClosedTrackIsMeasuredRoundTheLoop)
{
    // 100 + 100 + the closing diagonal of 141.4: lines at 32 ... 288, the last
    // one on the closing segment heading up and left (bearing 315).
    const std::vector<RLLine> lines = ComputeRLLines(PathMeasure("M 0 0 L 100 0 L 100 100 Z"), 64, 42);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].angle, 90);
    EXPECT_EQ(lines[2].angle, 180);
    EXPECT_EQ(lines[4].angle, 315);
}

TEST(RLAngle, BearingsFromDirections)
{
    EXPECT_EQ(RLAngle(0), 90);
    EXPECT_EQ(RLAngle(90), 180);
    EXPECT_EQ(RLAngle(180), 270);
    EXPECT_EQ(RLAngle(-180), 270);
    EXPECT_EQ(RLAngle(-90), 0);
    EXPECT_EQ(RLAngle(-90.5), 0); // t rounds to -90
    EXPECT_EQ(RLAngle(-91), 359);
    EXPECT_EQ(RLAngle(-90.6), 359);
    EXPECT_EQ(RLAngle(-0.4), 90);
    EXPECT_EQ(RLAngle(179.6), 270);
    EXPECT_EQ(RLAngle(-179.6), 270);
    EXPECT_EQ(RLAngle(0.5), 90); // 90.5 rounds to the even 90
}

TEST(NearestLine, TiesGoToCreationOrderForTheFirstMarker)
{
    // Ends of two lines on one row: (0,0) (10,0) | (20,0) (30,0).
    std::vector<RLEndpoint> ends = {{0, 0, 0, 0}, {10, 0, 0, 0}, {20, 0, 1, 0}, {30, 0, 1, 0}};
    EXPECT_EQ(NearestLine(15, 0, ends), 0); // (10,0) and (20,0) both 5 away
    EXPECT_EQ(ends[0].x, 10);
    EXPECT_EQ(ends[1].x, 20);
    EXPECT_EQ(ends[0].distance, 5);
}

TEST(NearestLine, MeasuresManhattanDistance)
{
    // (3,3) is nearer in a straight line (4.2 against 5), (5,0) by the sum of
    // the differences (5 against 6).
    std::vector<RLEndpoint> ends = {{3, 3, 0, 0}, {5, 0, 1, 0}};
    EXPECT_EQ(NearestLine(0, 0, ends), 1);
    EXPECT_EQ(ends[1].distance, 6);
}

TEST(NearestLine, LaterTiesFollowThePreviousSort)
{
    std::vector<RLEndpoint> ends = {{0, 0, 0, 0}, {10, 0, 1, 0}};
    EXPECT_EQ(NearestLine(9, 0, ends), 1);
    // Both ends are 5 away now; the first sort put line 1 in front.
    EXPECT_EQ(NearestLine(5, 0, ends), 1);
    EXPECT_EQ(ends[0].index, 1);

    // The same through the file: the second marker ties and keeps line 1.
    // Ends (32,-10) (32,10) | (96,-10) (96,10); the first marker sorts line
    // 1's ends to the front, then (32,-10) and (96,-10) tie for the second.
    const std::string text = Export("M 0 0 L 128 0 ", {{1, 90, -10}, {2, 64, -10}}, 64, 40);
    EXPECT_NE(text.find("\r\n1, 1, 90, -10, \r\n1, 2, 64, -10, \r\n"), std::string::npos) << text;
}

TEST(NearestLine, OrderMatchesAPlainStableSortOverManyMarkers)
{
    // Near and far spreads of distance, with plenty of ties.
    for (const int reach : {50, 4000, 2000000}) {
        SCOPED_TRACE(reach);
        std::mt19937 random(reach);
        std::uniform_int_distribution<int> coord(-reach, reach);
        std::vector<RLEndpoint> ends;
        for (int i = 0; i < 600; ++i)
            ends.push_back({coord(random), coord(random), i / 2, 0});
        std::vector<RLEndpoint> expected = ends;
        for (int marker = 0; marker < 40; ++marker) {
            const std::int32_t x = coord(random);
            const std::int32_t y = coord(random);
            for (RLEndpoint& e : expected)
                e.distance = std::abs(std::int64_t{x} - e.x) + std::abs(std::int64_t{y} - e.y);
            std::stable_sort(expected.begin(), expected.end(), [](const RLEndpoint& a, const RLEndpoint& b) {
                return a.distance < b.distance;
            });
            ASSERT_EQ(NearestLine(x, y, ends), expected.front().index);
            for (std::size_t i = 0; i < ends.size(); ++i) {
                ASSERT_EQ(ends[i].x, expected[i].x);
                ASSERT_EQ(ends[i].y, expected[i].y);
                ASSERT_EQ(ends[i].index, expected[i].index);
            }
        }
    }
}

TEST(NearestLine, EmptyListGivesLineZero)
{
    std::vector<RLEndpoint> ends;
    EXPECT_EQ(NearestLine(1, 2, ends), 0);
}

TEST(RLExport, EndMarksAreEveryRoundedEndInOrder)
{
    const RLExport data = BuildRLExport(PathMeasure("M 100 100 L 300 100 "), {}, 64, 42);
    ASSERT_EQ(data.endMarks.size(), 6u);
    EXPECT_EQ(data.endMarks[0].x, 132);
    EXPECT_EQ(data.endMarks[0].y, 90);
    EXPECT_EQ(data.endMarks[1].y, 110);
    EXPECT_EQ(data.endMarks[5].x, 260);
}

// The editor and the tool both ask this before writing: a gap that cannot
// end, or a width whose line ends leave the file's whole numbers.
TEST(RLExportProblem, RefusesGapsThatCannotEndAndWidthsThatDoNotFit)
{
    const PathMeasure track("M 0 0 L 1000000 0 ");
    const std::string gapReason = "the marker gap must be greater than 0";
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double gap, width;
        std::string error; // empty: accepted
    } cases[] = {
        {0, 42, gapReason},
        {-64, 42, gapReason},
        {std::nan(""), 42, gapReason},
        {inf, 42, "the track length or marker gap is not a finite number"},
        {64, 42, ""},
        {1, 42, ""}, // exactly 1,000,000 lines
        {0.999, 42, "the track would need more than 1000000 lines at this marker gap"},
        {64, 0, ""},
        {64, 1e6, ""},
        {64, 1e6 + 1, "the track width must be a number from 0 to 1000000 pixels, not 1000001"},
        {64, -1, "the track width must be a number from 0 to 1000000 pixels, not -1"},
        {64, std::nan(""), "the track width must be a number from 0 to 1000000 pixels, not NaN"},
        {64, inf, "the track width must be a number from 0 to 1000000 pixels, not +Infinity"},
    };
    for (const auto& c : cases) {
        const Status s = RLExportProblem(track, c.gap, c.width);
        EXPECT_EQ(s.ok(), c.error.empty()) << c.gap << " " << c.width;
        EXPECT_EQ(s.error(), c.error) << c.gap << " " << c.width;
    }
    EXPECT_TRUE(RLExportProblem(PathMeasure(""), 1e-300, 42));
}

TEST(RLExport, NonFiniteWidthStillWritesWholeNumbers)
{
    const std::string text = Export("M 0 0 L 10 0 ", {}, 64, std::nan(""));
    EXPECT_NE(text.find("90, 0, 0, 0, 0, \r\n"), std::string::npos) << text;
}

} // namespace velmora

namespace velmora {
namespace {

// The position written for each marker, read back from the file text.
std::vector<int> MarkerPositions(const std::string& text)
{
    const std::string header = "*markers*\r\n; position.i, type.i, x.i, y.i, \r\n";
    std::vector<int> positions;
    std::size_t at = text.find(header);
    if (at == std::string::npos)
        return positions;
    for (at += header.size(); at < text.size(); at = text.find("\r\n", at) + 2)
        positions.push_back(std::stoi(text.substr(at, 12)));
    return positions;
}

TEST(RLExport, MarkerPositionsMatchSuccessiveNearestLineCalls)
{
    // A tiny gap piles many line ends onto each pixel, so ties are the rule.
    const PathMeasure path("M 0 0 L 60 0 L 60 40 L 10 30 ");
    std::mt19937 random(7);
    std::uniform_int_distribution<int> coord(-10, 70);
    for (const double gap : {0.25, 3.0, 20.0}) {
        SCOPED_TRACE(gap);
        std::vector<RLMarker> markers;
        for (int i = 0; i < 60; ++i)
            markers.push_back({1 + i % 3, coord(random), coord(random)});
        std::vector<RLEndpoint> ends = RLEndpoints(ComputeRLLines(path, gap, 6));
        std::vector<int> expected;
        for (const RLMarker& m : markers)
            expected.push_back(NearestLine(m.x, m.y, ends));
        EXPECT_EQ(MarkerPositions(BuildRLExport(path, markers, gap, 6).text), expected);
    }
}

// Inputs the fuzzer found, in its layout: gap and width codes, markers, path.
// A long track with a marker once took many seconds to place the marker.
TEST(RLExport, FuzzFindingsEndQuickly)
{
    std::ifstream in(std::string(VELMORA_TEST_DATA) + "/fuzz/rl_data_many_lines_and_markers.bin", std::ios::binary);
    ASSERT_TRUE(in);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 14u);
    // Gap 11, width 80 and one marker, as the fuzzer read them.
    const PathMeasure path(std::string_view(bytes).substr(14));
    ASSERT_TRUE(RLExportProblem(path, 11, 80));
    const RLExport out = BuildRLExport(path, {{3, 889192448, 33816735}}, 11, 80);
    EXPECT_GT(out.endMarks.size(), 1'000'000u);
    EXPECT_EQ(MarkerPositions(out.text).size(), 1u);
}

} // namespace
} // namespace velmora
