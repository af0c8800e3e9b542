#include "core/track/path.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <gtest/gtest.h>
#include <numbers>
#include <string>

namespace velmora {
namespace {

std::vector<PathPoint> Points(std::string_view text)
{
    std::vector<PathPoint> all;
    for (const PathFigure& f : ParsePathText(text))
        all.insert(all.end(), f.points.begin(), f.points.end());
    return all;
}

void ExpectPoint(const PathSample& s, double x, double y, double degrees)
{
    EXPECT_NEAR(s.x, x, 1e-9);
    EXPECT_NEAR(s.y, y, 1e-9);
    EXPECT_NEAR(s.degrees, degrees, 1e-9);
}

TEST(ParsePathText, ProgramMadePath)
{
    const auto figures = ParsePathText("M 100 200 L 300 200 L 300 400 Z");
    ASSERT_EQ(figures.size(), 1u);
    EXPECT_TRUE(figures[0].closed);
    ASSERT_EQ(figures[0].points.size(), 3u);
    EXPECT_EQ(figures[0].points[2].x, 300);
    EXPECT_EQ(figures[0].points[2].y, 400);
}

TEST(ParsePathText, SeparatorsNumbersAndRepeats)
{
    // Commas, no blanks where a sign or point ends a number, exponents,
    // further pairs after a moveto as line-tos, H and V, relative forms.
    const auto pts = Points("M1,2 3-4.5.5 1e1 +2E-1,7h5v-1l1 1");
    ASSERT_EQ(pts.size(), 7u);
    EXPECT_EQ(pts[1].x, 3);
    EXPECT_EQ(pts[1].y, -4.5f);
    EXPECT_EQ(pts[2].x, 0.5f);
    EXPECT_EQ(pts[2].y, 10);
    EXPECT_EQ(pts[3].x, 0.2f);
    EXPECT_EQ(pts[3].y, 7);
    EXPECT_FLOAT_EQ(pts[4].x, 5.2f);
    EXPECT_EQ(pts[5].y, 6);
    EXPECT_FLOAT_EQ(pts[6].x, 6.2f);
    EXPECT_EQ(pts[6].y, 7);
}

TEST(ParsePathText, MalformedTokenKeepsWhatWasRead)
{
    EXPECT_EQ(Points("M 0 0 L 10 0 L 20").size(), 2u);                    // incomplete pair dropped
    EXPECT_EQ(Points("M 0 0 L 10 0 A 5 5 0 0 1 20 0 L 30 0").size(), 2u); // arcs stop reading
    EXPECT_EQ(Points("M 0 0 L 10 0 x L 30 0").size(), 2u);
    EXPECT_EQ(Points("M 0 0 L 10 0, L 30 0").size(), 2u); // comma before a command
    EXPECT_EQ(Points("M 0 0 L 1e 2").size(), 1u);         // exponent without digits
    EXPECT_EQ(Points("M 0 0 L 1e39 0").size(), 1u);       // beyond float range
    EXPECT_EQ(Points("M 0 0 Z 5").size(), 1u);
    EXPECT_TRUE(ParsePathText("").empty());
    EXPECT_TRUE(ParsePathText("  12 4").empty());
    EXPECT_EQ(Points(std::string("M 1 2 L 3 4\0L 5 6", 17)).size(), 2u);
}

TEST(ParsePathText, TextWithoutMovetoStartsAtOrigin)
{
    const auto figures = ParsePathText("ZL 350 450 ");
    ASSERT_EQ(figures.size(), 2u);
    EXPECT_TRUE(figures[0].closed);
    ASSERT_EQ(figures[1].points.size(), 2u);
    EXPECT_EQ(figures[1].points[0].x, 0);
    EXPECT_EQ(figures[1].points[1].y, 450);
}

TEST(ParsePathText, CommandsAfterCloseStartFromFigureStart)
{
    const auto figures = ParsePathText("M 100 200 L 300 200 L 300 400 ZL 350 450 ");
    ASSERT_EQ(figures.size(), 2u);
    ASSERT_EQ(figures[1].points.size(), 2u);
    EXPECT_EQ(figures[1].points[0].x, 100);
    EXPECT_EQ(figures[1].points[0].y, 200);
    // Relative commands build on the figure's start as well.
    const auto rel = ParsePathText("M 10 10 l 5 0 z l 0 5");
    EXPECT_EQ(rel.back().points.back().x, 10);
    EXPECT_EQ(rel.back().points.back().y, 15);
}

TEST(ParsePathText, HugeCoordinatesStayBoundedAndFinite)
{
    const auto pts = Points("M 0 0 C 1e30 0 1e30 1e30 0 1e30 Q -3e38 0 3e38 3e38");
    EXPECT_LT(pts.size(), 3000u);
    for (PathPoint p : pts)
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    // A smooth curve mirrors its control point beyond the float range.
    const PathMeasure mirrored("M 3e38 3e38 C -3e38 -3e38 0 -3e38 3e38 3e38 S -3e38 3e38 3e38 -3e38");
    EXPECT_TRUE(std::isfinite(mirrored.TotalLength()));
    // A relative step that leaves the float range ends reading.
    EXPECT_EQ(Points("M 3e38 0 l 3e38 0").size(), 1u);
}

TEST(ParsePathText, LongInputIsReadInLinearTime)
{
    std::string text = "M 0 0";
    for (int i = 0; i < 200000; ++i)
        text += " c 1 2 3 4 5 6";
    const PathMeasure m(text);
    EXPECT_GT(m.TotalLength(), 0);
    std::string digits(1 << 20, '7');
    EXPECT_TRUE(Points("M 0 " + digits).empty()); // 7e1048575 does not fit a float
}

TEST(PathMeasure, CurvesMeasureCloseToTheirTrueLength)
{
    // A quarter circle of radius 1000 as a cubic (about 0.03 % longer than
    // the circle arc); its own length computed by fine sampling.
    const double k = 0.5522847498 * 1000;
    const std::string cubic =
        "M 1000 0 C 1000 " + std::to_string(k) + " " + std::to_string(k) + " 1000 0 1000";
    auto bezier = [k](double t) {
        const double u = 1 - t;
        return std::pair{1000 * u * u * u + 3 * 1000 * u * u * t + 3 * k * u * t * t,
                         3 * k * u * u * t + 3 * 1000 * u * t * t + 1000 * t * t * t};
    };
    double truth = 0;
    auto prev = bezier(0);
    for (int i = 1; i <= 200000; ++i) {
        auto p = bezier(i / 200000.0);
        truth += std::hypot(p.first - prev.first, p.second - prev.second);
        prev = p;
    }
    EXPECT_NEAR(PathMeasure(cubic).TotalLength() / truth, 1.0, 1e-3);

    // A quadratic with its exact length; the same shape smoothed by T.
    const double quad = PathMeasure("M 0 0 Q 50 100 100 0").TotalLength();
    const double exact = 147.894285; // arc length of y = 2x - x^2/50 over 0..100
    EXPECT_NEAR(quad / exact, 1.0, 1e-3);
    EXPECT_NEAR(PathMeasure("M 0 0 Q 50 100 100 0 T 200 0").TotalLength() / (2 * exact), 1.0, 1e-3);
    EXPECT_NEAR(PathMeasure("M 0 0 C 0 0 0 0 0 0").TotalLength(), 0, 0);
}

TEST(PathMeasure, SmoothCubicReflectsPreviousControl)
{
    // S after C mirrors the second control point, giving the mirror-image arc.
    const double one = PathMeasure("M 0 0 C 0 50 50 100 100 100").TotalLength();
    const double two = PathMeasure("M 0 0 C 0 50 50 100 100 100 S 200 150 200 200").TotalLength();
    EXPECT_NEAR(two, 2 * one, 1e-3 * one);
}

TEST(PathMeasure, CursorExamples)
{
    const PathMeasure bare("M 10 20 ");
    EXPECT_EQ(bare.TotalLength(), 0);
    ExpectPoint(bare.At(0), 0, 0, 0);

    const PathMeasure one("M 0 0 L 30 40 ");
    EXPECT_EQ(one.TotalLength(), 50);
    ExpectPoint(one.At(50), 30, 40, std::atan2(40, 30) * 180 / std::numbers::pi);

    const PathMeasure closed("M 0 0 L 30 40 Z");
    EXPECT_EQ(closed.TotalLength(), 100);
    ExpectPoint(closed.At(100), 0, 0, std::atan2(-40, -30) * 180 / std::numbers::pi);
}

TEST(PathMeasure, JointsEndsAndEmptySegments)
{
    const PathMeasure m("M 0 0 L 10 0 L 10 10 M 50 50 L 50 60");
    EXPECT_EQ(m.TotalLength(), 30);
    ExpectPoint(m.At(-5), 0, 0, 0);
    ExpectPoint(m.At(0), 0, 0, 0);
    ExpectPoint(m.At(5), 5, 0, 0);
    ExpectPoint(m.At(10), 10, 0, 0); // the joint belongs to the earlier segment
    ExpectPoint(m.At(10.5), 10, 0.5, 90);
    ExpectPoint(m.At(20), 10, 10, 90); // a moveto in between adds no segment
    ExpectPoint(m.At(25), 50, 55, 90);
    ExpectPoint(m.At(1e9), 50, 60, 90);
    ExpectPoint(m.At(std::nan("")), 0, 0, 0);

    // Z adds its closing segment even when it has no length; here it is the
    // last one and gives the end its direction.
    const PathMeasure zero("M 0 0 L 10 0 L 0 0 Z");
    EXPECT_EQ(zero.Segments().size(), 3u);
    ExpectPoint(zero.At(20), 0, 0, 180);
    ExpectPoint(zero.At(21), 0, 0, 0);
    const PathMeasure twice("M 0 0 L 30 40 ZZ");
    ExpectPoint(twice.At(twice.TotalLength() + 1), 0, 0, 0);
    ExpectPoint(PathMeasure("").At(3), 0, 0, 0);
    // A westward segment reads +180 also when its y values are signed zeros.
    EXPECT_EQ(PathMeasure("M 0 0 L -10 -0").DirectionAt(5), 180);
}

} // namespace
} // namespace velmora

namespace velmora {
namespace {

// Inputs the fuzzer found: they must measure to finite values.
TEST(PathMeasure, FuzzFindingsMeasureFinite)
{
    for (const char* name : {"path_reflected_control.txt"}) {
        std::ifstream in(std::string(VELMORA_TEST_DATA) + "/fuzz/" + name, std::ios::binary);
        ASSERT_TRUE(in) << name;
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const PathMeasure m(text);
        EXPECT_TRUE(std::isfinite(m.TotalLength())) << name;
        const PathSample mid = m.At(m.TotalLength() / 2);
        EXPECT_TRUE(std::isfinite(mid.x) && std::isfinite(mid.y)) << name;
    }
}

}  // namespace
}  // namespace velmora
