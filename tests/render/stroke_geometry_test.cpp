#include "render/stroke_geometry.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

const QRectF kView(0, 0, 100, 100);

std::vector<Figure> Line(QPointF a, QPointF b, bool closed = false)
{
    return {{{a, b}, closed}};
}

TEST(StrokeGeometry, DashesFollowThePhaseFromTheFigureStart)
{
    // On while (s + 4) mod 8 < 4: [4, 8), [12, 16) ...
    const QPainterPath p = InkedCentreLines(Line({0, 50}, {20, 50}), 1, kView, {4, 8, 4});
    ASSERT_EQ(p.elementCount(), 4);
    EXPECT_DOUBLE_EQ(p.elementAt(0).x, 4);
    EXPECT_DOUBLE_EQ(p.elementAt(1).x, 8);
    EXPECT_DOUBLE_EQ(p.elementAt(2).x, 12);
    EXPECT_DOUBLE_EQ(p.elementAt(3).x, 16);
}

TEST(StrokeGeometry, InkRunningThroughACornerStaysOnePolyline)
{
    const std::vector<Figure> f{{{{10, 10}, {50, 10}, {50, 50}}, false}};
    const QPainterPath solid = InkedCentreLines(f, 3, kView, {});
    EXPECT_EQ(solid.elementCount(), 3);
    // A dash across the corner at s = 40: on for [36, 42).
    const QPainterPath dashed = InkedCentreLines(f, 3, kView, {6, 12, 0});
    bool cornerJoined = false;
    for (int i = 1; i + 1 < dashed.elementCount(); ++i)
        cornerJoined |= dashed.elementAt(i).isLineTo() && QPointF(dashed.elementAt(i)) == QPointF(50, 10) &&
                        dashed.elementAt(i + 1).isLineTo();
    EXPECT_TRUE(cornerJoined);
}

TEST(StrokeGeometry, OnlyWhatCanReachTheViewIsKept)
{
    // 1e30 long: only the stretch across the view may come out, in few pieces.
    const QPainterPath p = InkedCentreLines(Line({-1e30, 50}, {1e30, 50}), 3, kView, {6, 12, 0});
    EXPECT_LT(p.elementCount(), 100);
    const QPainterPath off = InkedCentreLines(Line({0, 500}, {100, 500}), 3, kView, {});
    EXPECT_TRUE(off.isEmpty());
    // A wide enough band reaches the view from afar.
    const QPainterPath wide = InkedCentreLines(Line({0, 500}, {100, 500}), 450, kView, {});
    EXPECT_FALSE(wide.isEmpty());
}

TEST(StrokeGeometry, DotsAtEveryMultipleUpToTheEnd)
{
    const QPainterPath dots = DotDiscs(Line({0, 50}, {95, 50}), 1, 20, 20, kView);
    // Discs at 0, 20, 40, 60, 80: five closed ellipses.
    int starts = 0;
    for (int i = 0; i < dots.elementCount(); ++i)
        starts += dots.elementAt(i).isMoveTo();
    EXPECT_EQ(starts, 5);
    EXPECT_TRUE(DotDiscs(Line({0, 500}, {95, 500}), 1, 20, 20, kView).isEmpty());
}

TEST(StrokeGeometry, ClosedFigureJoinsAtItsStart)
{
    const std::vector<Figure> square{{{{10, 10}, {60, 10}, {60, 60}, {10, 60}}, true}};
    const QPainterPath p = InkedCentreLines(square, 2, kView, {});
    // One polyline round the loop, with stubs so the start gets a corner.
    EXPECT_EQ(p.elementCount(), 7);
    EXPECT_EQ(QPointF(p.elementAt(1)), QPointF(10, 10));
    EXPECT_EQ(QPointF(p.elementAt(5)), QPointF(10, 10));
}

TEST(StrokeGeometry, HelpersAtTheirEdges)
{
    EXPECT_DOUBLE_EQ(PositiveMod(-1, 12), 11);
    EXPECT_DOUBLE_EQ(PositiveMod(24, 12), 0);
    EXPECT_DOUBLE_EQ(DistanceToRect({50, 50}, kView), 0);
    EXPECT_DOUBLE_EQ(DistanceToRect({103, 104}, kView), 5);
    QPointF a(-50, 50), b(150, 50);
    ASSERT_TRUE(ClipSegment(a, b, kView));
    EXPECT_EQ(a, QPointF(0, 50));
    EXPECT_EQ(b, QPointF(100, 50));
    QPointF c(-50, -5), d(150, -5);
    EXPECT_FALSE(ClipSegment(c, d, kView));
}

} // namespace
} // namespace velmora
