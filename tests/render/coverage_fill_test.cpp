#include "render/coverage_fill.h"
#include "render/stroke_geometry.h"

#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>

namespace velmora {
namespace {

QImage Black(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 0));
    return image;
}

std::vector<QPointF> Rect(double x0, double y0, double x1, double y1)
{
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

TEST(CoverageFill, PixelsGetTheShareOfTheirAreaThatIsCovered)
{
    QImage canvas = Black(20, 20);
    const QBrush white(Qt::white);
    ASSERT_TRUE(CanFillContours(canvas, white));
    FillContours(canvas, {Rect(2, 2, 10.5, 8.25)}, white);
    EXPECT_EQ(qRed(canvas.pixel(5, 5)), 255);
    EXPECT_NEAR(qRed(canvas.pixel(10, 5)), 128, 1); // half the pixel
    EXPECT_NEAR(qRed(canvas.pixel(5, 8)), 64, 1);   // a quarter
    EXPECT_NEAR(qRed(canvas.pixel(10, 8)), 32, 1);  // an eighth
    EXPECT_EQ(qRed(canvas.pixel(11, 5)), 0);
    EXPECT_EQ(qRed(canvas.pixel(1, 5)), 0);
    // A diagonal edge through pixel centres halves the pixels it crosses.
    canvas = Black(20, 20);
    FillContours(canvas, {{{0, 0}, {20, 20}, {0, 20}}}, white);
    EXPECT_NEAR(qRed(canvas.pixel(7, 7)), 128, 1);
    EXPECT_EQ(qRed(canvas.pixel(3, 12)), 255);
    EXPECT_EQ(qRed(canvas.pixel(12, 3)), 0);
}

TEST(CoverageFill, PiecesOfOneFillJoinWithoutASeamAndOverlapsInkOnce)
{
    QImage canvas = Black(20, 20);
    const QBrush half(QColor(255, 255, 255, 128));
    // Two halves meeting inside a pixel column, and a third piece lying over
    // both: all of it is inked exactly once.
    FillContours(canvas, {Rect(2, 2, 9.3, 12), Rect(9.3, 2, 16, 12), Rect(4, 4, 14, 8)}, half);
    for (int x = 3; x < 16; ++x)
        for (int y : {3, 5, 10})
            EXPECT_NEAR(qRed(canvas.pixel(x, y)), 128, 1) << x << "," << y;
}

TEST(CoverageFill, OpposedContoursCancel)
{
    QImage canvas = Black(20, 20);
    std::vector<QPointF> hole = Rect(6, 6, 12, 12);
    std::reverse(hole.begin(), hole.end());
    FillContours(canvas, {Rect(2, 2, 16, 16), hole}, QBrush(Qt::white));
    EXPECT_EQ(qRed(canvas.pixel(4, 4)), 255);
    EXPECT_EQ(qRed(canvas.pixel(9, 9)), 0);
}

TEST(CoverageFill, WhatLiesOffTheCanvasIsClipped)
{
    QImage canvas = Black(64, 200);
    // Far beyond every border, and spanning several bands of rows.
    FillContours(canvas, {Rect(-1e30, -1e30, 30.5, 1e30), Rect(1e7, 10, 2e7, 20)}, QBrush(Qt::white));
    for (int y : {0, 63, 64, 150, 199}) {
        EXPECT_EQ(qRed(canvas.pixel(0, y)), 255) << y;
        EXPECT_EQ(qRed(canvas.pixel(29, y)), 255) << y;
        EXPECT_NEAR(qRed(canvas.pixel(30, y)), 128, 1) << y;
        EXPECT_EQ(qRed(canvas.pixel(31, y)), 0) << y;
        EXPECT_EQ(qRed(canvas.pixel(63, y)), 0) << y;
    }
    FillContours(canvas, {{{0, 0}, {std::nan(""), 5}, {10, 10}}}, QBrush(Qt::white)); // must not crash
}

TEST(CoverageFill, TextureIsLaidFromItsWholePixelOffset)
{
    QImage texture(3, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            texture.setPixel(x, y, qRgb(80 * x, 100 * y, 7));
    QBrush brush(texture);
    brush.setTransform(QTransform::fromTranslate(-1, 5));
    QImage canvas = Black(20, 20);
    ASSERT_TRUE(CanFillContours(canvas, brush));
    FillContours(canvas, {Rect(0, 0, 20, 20)}, brush);
    for (int y = 0; y < 20; y += 3)
        for (int x = 0; x < 20; x += 2)
            EXPECT_EQ(canvas.pixel(x, y), texture.pixel((x + 1) % 3, (y + 1) % 2)) << x << "," << y;
    brush.setTransform(QTransform::fromScale(2, 2));
    EXPECT_FALSE(CanFillContours(canvas, brush));
    EXPECT_FALSE(CanFillContours(QImage(4, 4, QImage::Format_RGB888), QBrush(Qt::red)));
}

// The band outlines against what the pen stroker covers: shallow and sharp
// turns both ways, and a segment shorter than the corner cut.
TEST(CoverageFill, BandOutlineCoversWhatARoundCorneredPenDoes)
{
    const std::vector<QPointF> line{{20, 20}, {80, 20}, {80, 30}, {50, 80}, {48, 81}, {20, 75}};
    QImage ours = Black(100, 100), pen = Black(100, 100);
    FillContours(ours, {BandOutline(line, -8, 8)}, QBrush(Qt::white));
    QPainter p(&pen);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 16, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.drawPolyline(line.data(), int(line.size()));
    p.end();
    int differ = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            differ += std::abs(qRed(ours.pixel(x, y)) - qRed(pen.pixel(x, y))) > 40;
    EXPECT_LT(differ, 10);
    EXPECT_TRUE(BandOutline({{5, 5}, {5, 5}}, -3, 3).empty());
    // Turning straight back: a half disc round the front of the corner.
    QImage back = Black(100, 100);
    FillContours(back, {BandOutline({{20, 50}, {60, 50}, {30, 50}}, -8, 8)}, QBrush(Qt::white));
    EXPECT_EQ(qRed(back.pixel(66, 49)), 255);
    EXPECT_EQ(qRed(back.pixel(62, 43)), 255);
    EXPECT_EQ(qRed(back.pixel(68, 50)), 0);
    EXPECT_EQ(qRed(back.pixel(66, 43)), 0);
}

TEST(CoverageFill, SideBandsLeaveTheMiddleAlone)
{
    QImage canvas = Black(100, 100);
    const std::vector<QPointF> line{{10, 50}, {50, 50}, {70, 30}};
    FillContours(canvas, {BandOutline(line, 5, 9), BandOutline(line, -9, -5)}, QBrush(Qt::white));
    EXPECT_EQ(qRed(canvas.pixel(30, 50)), 0);
    EXPECT_EQ(qRed(canvas.pixel(30, 43)), 255);
    EXPECT_EQ(qRed(canvas.pixel(30, 56)), 255);
    EXPECT_EQ(qRed(canvas.pixel(30, 40)), 0);
    // Round on the outside of the turn: 7 px from the corner, straight below-right.
    const QPointF corner(50, 50), out = corner + QPointF(1, 1) / std::sqrt(2.0) * 7 + QPointF(-0.5, -0.5);
    EXPECT_EQ(qRed(canvas.pixel(out.toPoint())), 255);
}

} // namespace
} // namespace velmora
