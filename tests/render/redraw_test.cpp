#include "core/track/editor.h"
#include "render/image/image_load.h"
#include "render/redraw.h"
#include "render_support.h"

#include <QFontMetricsF>
#include <cmath>
#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace test;

class Redraw : public ::testing::Test {
protected:
    void SetUp() override { EnsureGuiApp(); }

    std::optional<long long> Draw(const TrackModel& model, const QImage& templ = {})
    {
        return RedrawCanvas(canvas, model, s, assets, templ);
    }
    QRgb At(int x, int y) const { return canvas.pixel(x, y) | 0xFF000000u; }

    QImage canvas = Canvas(800, 400);
    Settings s = PlainSettings();
    RenderAssets assets;
};

TEST_F(Redraw, EmptyTrackShowsOnlyBackgroundAndReportsNoCount)
{
    EXPECT_FALSE(Draw(TrackModel{}).has_value());
    for (QPoint p : {QPoint(0, 0), QPoint(799, 399), QPoint(400, 200)})
        EXPECT_EQ(At(p.x(), p.y()), qRgb(40, 158, 58));
}

TEST_F(Redraw, StartOnlyDrawsNoTrackAndCountsZero)
{
    s.ShowBorder = 1;
    s.Markers = 1;
    s.ShowDots = 0; // the cross-line mode places its line at (0, 0) on such a path
    EXPECT_EQ(Draw(Track("M 300 200 ")), 0);
    for (int x = 250; x < 350; x += 7)
        EXPECT_EQ(At(x, 200), Rgb(s.BGColor)) << x;
}

TEST_F(Redraw, KerbAlternatesRedAndWhiteOutsideTheSurface)
{
    s.ShowBorder = 1;
    s.RedWhite = 1;
    Draw(Track("M 100 200 L 700 200 "));
    // Track 42 wide, kerb 48: 3 px each side, y 176..179 and 221..224.
    for (int y : {176, 223}) {
        EXPECT_EQ(At(103, y), qRgb(255, 0, 0)) << y;
        EXPECT_EQ(At(109, y), qRgb(255, 255, 255)) << y;
        EXPECT_EQ(At(115, y), qRgb(255, 0, 0)) << y;
    }
    EXPECT_EQ(At(103, 175), Rgb(s.BGColor));
    EXPECT_EQ(At(103, 190), kGrey);
    // Flat ends: nothing before the start or past the end.
    EXPECT_EQ(At(98, 176), Rgb(s.BGColor));
    EXPECT_EQ(At(701, 176), Rgb(s.BGColor));
}

TEST_F(Redraw, KerbShowsWholeUnderASeeThroughSurface)
{
    s.ShowBorder = 1;
    s.RedWhite = 1;
    assets.surface = Solid(4, 4, 0x00000000);
    Draw(Track("M 100 200 L 700 200 "));
    EXPECT_EQ(At(103, 200), qRgb(255, 0, 0));
    EXPECT_EQ(At(109, 190), qRgb(255, 255, 255));
    EXPECT_EQ(At(103, 176), qRgb(255, 0, 0));
}

// The outside of every turn is an arc of kerb in the colour of the block that
// holds the corner: the block that begins there when the corner sits on a
// boundary, and red where a loop closes, whatever colour the loop ends in.
TEST_F(Redraw, KerbCornersShowTheirArcInTheColourOfTheirBlock)
{
    canvas = Canvas(520, 520);
    s.ShowBorder = 1;
    s.RedWhite = 1;
    struct Case {
        std::vector<QPointF> points;
        bool closed;
    };
    std::vector<Case> cases;
    for (double d = 53; d <= 67; d += 0.5) {
        cases.push_back({{{100, 120}, {100 + d, 120}, {100 + d, 300}}, false}); // right turn
        cases.push_back({{{100, 300}, {100 + d, 300}, {100 + d, 120}}, false}); // left turn
    }
    // A slanted stretch 60 long (36, 48), then a turn onto the level.
    cases.push_back({{{100, 100}, {136, 148}, {300, 148}}, false});
    cases.push_back({{{100, 100}, {136, 148}, {250, 50}}, false});
    // Loops 700 .. 724 long, every residue of the 12 px pattern in half pixels.
    for (double side = 150; side < 156; side += 0.25)
        cases.push_back({{{120, 120}, {120 + side, 120}, {120 + side, 320}, {120, 320}}, true});
    cases.push_back({{{120, 120}, {420, 120}, {300, 400}}, true}); // a slanted closing stretch

    const QRgb red = qRgb(255, 0, 0), white = qRgb(255, 255, 255);
    for (double width : {42.0, 150.0}) {
        s.TrackWidth = width;
        const double probe = width / 2 + 1.5; // the middle of the kerb's 3 px
        for (const Case& c : cases) {
            std::string path = "M " + std::to_string(c.points[0].x()) + " " + std::to_string(c.points[0].y());
            for (size_t i = 1; i < c.points.size(); ++i)
                path += " L " + std::to_string(c.points[i].x()) + " " + std::to_string(c.points[i].y());
            Draw(Track(path + (c.closed ? " Z" : "")));
            const size_t n = c.points.size();
            double along = 0;
            for (size_t i = 1; i < (c.closed ? n + 1 : n - 1); ++i) {
                const QPointF a = c.points[i - 1], p = c.points[i % n], b = c.points[(i + 1) % n];
                along += std::hypot(p.x() - a.x(), p.y() - a.y());
                const QPointF in = (p - a) / std::hypot(p.x() - a.x(), p.y() - a.y());
                const QPointF out = (b - p) / std::hypot(b.x() - p.x(), b.y() - p.y());
                const QPointF outward = (in - out) / std::hypot(in.x() - out.x(), in.y() - out.y());
                const QPointF at = p + outward * probe;
                const bool closing = i == n;
                const QRgb expected = closing || long(std::floor(along / 6)) % 2 == 0 ? red : white;
                EXPECT_EQ(At(int(std::floor(at.x())), int(std::floor(at.y()))), expected)
                    << path << (c.closed ? " Z" : "") << ", width " << width << ", corner at " << along;
            }
        }
    }
}

TEST_F(Redraw, BlackEdgeIsOneOpaqueAndOneHalfPixel)
{
    s.ShowBorder = 1;
    s.RedWhite = 0;
    Draw(Track("M 100 200 L 700 200 "));
    const QRgb bg = Rgb(s.BGColor);
    auto half = [](int c) { return (c * 127 + 4 * 128 + 127) / 255; };
    for (int y : {178, 221})
        EXPECT_EQ(At(300, y), qRgb(4, 4, 4)) << y;
    for (int y : {177, 222}) {
        const QRgb p = At(300, y);
        EXPECT_NEAR(qRed(p), half(qRed(bg)), 2) << y;
        EXPECT_NEAR(qGreen(p), half(qGreen(bg)), 2) << y;
    }
    EXPECT_EQ(At(300, 176), bg);
    EXPECT_EQ(At(300, 179), kGrey);
    EXPECT_EQ(At(300, 223), bg);
}

TEST_F(Redraw, SurfaceTextureIsAnchoredAtTheCanvasOrigin)
{
    QImage texture(3, 5, QImage::Format_RGB32);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x)
            texture.setPixel(x, y, qRgb(40 * x, 30 * y, 200));
    assets.surface = texture;
    Draw(Track("M 100 200 L 700 200 "));
    for (QPoint p : {QPoint(150, 185), QPoint(401, 190), QPoint(533, 212), QPoint(650, 217)})
        EXPECT_EQ(At(p.x(), p.y()), texture.pixel(p.x() % 3, p.y() % 5)) << p.x() << "," << p.y();
}

TEST_F(Redraw, CentreLineStartsWithAGap)
{
    Draw(Track("M 100 200 L 700 200 "));
    // Blank [0, 4), dash [4, 8), blank [8, 12), dash [12, 16) ...
    EXPECT_EQ(At(101, 199), kGrey);
    EXPECT_EQ(At(105, 199), qRgb(255, 255, 255));
    EXPECT_EQ(At(105, 200), qRgb(255, 255, 255));
    EXPECT_EQ(At(109, 200), kGrey);
    EXPECT_EQ(At(113, 200), qRgb(255, 255, 255));
    EXPECT_EQ(At(105, 202), kGrey);
}

TEST_F(Redraw, DotsSitAtEveryGapFromTheStartAndNotBeyondTheEnd)
{
    s.Markers = 1;
    s.ShowDots = 1;
    Draw(Track("M 100 200 L 400 200 "));
    const QRgb yellow = qRgb(255, 255, 0);
    for (int k = 0; k <= 4; ++k)
        EXPECT_EQ(At(100 + 64 * k, 200), yellow) << k;
    EXPECT_NE(At(100 + 64 * 5, 200), yellow); // 320 is past the end at 300
    EXPECT_NE(At(132, 200), yellow);
}

TEST_F(Redraw, SeeThroughColoursBlendOverTheTrack)
{
    s.Markers = 1;
    s.DotColor = 0x80FF0000; // blue at half opacity, drawn after an opaque centre line
    s.LineColor = 0xFFFFFFFF;
    Draw(Track("M 100 200 L 400 200 "));
    const QRgb dot = At(164, 202); // inside the dot, off the centre line
    EXPECT_NEAR(qRed(dot), 64, 2);
    EXPECT_NEAR(qBlue(dot), 191, 2);
    s.Markers = 0;
    s.LineColor = 0x80FFFFFF;
    Draw(Track("M 100 200 L 400 200 "));
    EXPECT_NEAR(qRed(At(105, 200)), 191, 2);
}

TEST_F(Redraw, CrossLinesStandAtEveryGapUntilOneGapBeforeTheEnd)
{
    s.Markers = 1;
    s.ShowDots = 0;
    Draw(Track("M 50 200 L 690 200 ")); // 640 long: lines at 64 .. 576
    const QRgb white = qRgb(255, 255, 255);
    for (int k = 1; k <= 9; ++k) {
        EXPECT_EQ(At(50 + 64 * k, 210), white) << k;
        EXPECT_EQ(At(49 + 64 * k, 190), white) << k;
        EXPECT_EQ(At(52 + 64 * k, 210), kGrey) << k;
    }
    EXPECT_NE(At(50, 210), white);
    EXPECT_NE(At(689, 210), white);
    // Exactly as long as the track is wide.
    EXPECT_EQ(At(114, 220), white);
    EXPECT_EQ(At(114, 222), Rgb(s.BGColor));
}

// Lines closer than their 2 px thickness overlap, and each is laid over the
// ones before it: a see-through colour builds up where n lines cover a point,
// leaving (1 - a)^n of the surface showing; stripes finer than a pixel at
// their average.
TEST_F(Redraw, CloseCrossLinesBuildUpASeeThroughColour)
{
    s.Markers = 1;
    s.ShowDots = 0;
    // The share of pixel column x left showing through under lines at 50 + k gap.
    auto showing = [](double gap, double a, int x) {
        const int samples = 1000;
        double sum = 0;
        for (int i = 0; i < samples; ++i) {
            const double u = x + (i + 0.5) / samples - 50;
            sum += std::pow(1 - a, std::ceil((u + 1) / gap) - 1 - std::floor((u - 1) / gap));
        }
        return sum / samples;
    };
    struct Case {
        double gap;
        ARGB colour;
    };
    for (const Case& c : {Case{2, 0x80FFFFFF}, Case{1.5, 0x80FFFFFF}, Case{1.25, 0xD0FFFFFF},
                          Case{1, 0x80FFFFFF}, Case{0.5, 0x80FFFFFF}, Case{0.4, 0x20FFFFFF},
                          Case{0.15, 0x20FFFFFF}, Case{0.01, 0x08FFFFFF}, Case{1, 0xFFFFFFFF}}) {
        s.MarkerGap = c.gap;
        s.LineColor = c.colour;
        Draw(Track("M 50 200 L 690 200 "));
        for (int x : {300, 301, 302, 303, 455}) {
            const double clear = showing(c.gap, (c.colour >> 24) / 255.0, x);
            EXPECT_NEAR(qRed(At(x, 210)), 128 * clear + 255 * (1 - clear), 3) << c.gap << " at " << x;
        }
    }
}

TEST_F(Redraw, ShortTrackGetsOneCrossLineAtItsEnd)
{
    s.Markers = 1;
    s.ShowDots = 0;
    Draw(Track("M 100 100 L 100 150 ")); // 50 long, heading down
    EXPECT_EQ(At(110, 149), qRgb(255, 255, 255));
    EXPECT_EQ(At(90, 150), qRgb(255, 255, 255));
    EXPECT_EQ(At(110, 140), kGrey);
}

TEST_F(Redraw, CountIsLengthInGapsHalvesToEven)
{
    const TrackModel model = Track("M 0 0 L 640 0 ");
    EXPECT_EQ(Draw(model), 10);
    TrackModel m = model;
    m.cursor.length = 160; // 2.5 gaps
    EXPECT_EQ(Draw(m), 2);
    m.cursor.length = 224; // 3.5 gaps
    EXPECT_EQ(Draw(m), 4);
    for (double gap : {0.0, -64.0, std::nan("")}) {
        s.MarkerGap = gap;
        EXPECT_EQ(Draw(model), 0) << gap;
    }
}

TEST_F(Redraw, TemplateIsFittedByItsLongerSide)
{
    canvas = Canvas(2048, 2048);
    const QRgb red = qRgb(255, 0, 0);
    struct Case {
        QSize image;
        QSize fitted;
    };
    for (const Case& c : {Case{{1000, 500}, {1948, 974}}, Case{{500, 1000}, {974, 1948}},
                          Case{{800, 800}, {1948, 1948}}, Case{{801, 800}, {1948, 1946}}}) {
        TemplateCache cache;
        // Under it a map's picture, at the corner a cell a pixel.
        RedrawCanvas(canvas, TrackModel{}, s, assets, Solid(c.image.width(), c.image.height(), 0x00FF0000),
                     &cache, Solid(60, 60, qRgb(90, 90, 90)));
        const int right = 50 + c.fitted.width(), bottom = 50 + c.fitted.height();
        EXPECT_EQ(cache.size, c.fitted);
        EXPECT_EQ(At(59, 49), qRgb(90, 90, 90));
        EXPECT_EQ(At(50, 50), red) << c.image.width(); // its alpha 0 is ignored
        EXPECT_EQ(At(right - 1, bottom - 1), red) << c.image.width();
        EXPECT_EQ(At(49, 60), Rgb(s.BGColor));
        if (right < 2048) {
            EXPECT_EQ(At(right, 60), Rgb(s.BGColor)) << c.image.width();
        }
        if (bottom < 2048) {
            EXPECT_EQ(At(60, bottom), Rgb(s.BGColor)) << c.image.width();
        }
    }
}

TEST_F(Redraw, TemplateFittedToNothingIsNotDrawn)
{
    canvas = Canvas(2048, 2048);
    Draw(TrackModel{}, Solid(5000, 1, 0xFFFF0000)); // 1948 x 0.39
    EXPECT_EQ(At(50, 50), Rgb(s.BGColor));
    canvas = Canvas(100, 100); // no room left inside the margin
    Draw(TrackModel{}, Solid(10, 5, 0xFFFF0000));
    EXPECT_EQ(At(50, 50), Rgb(s.BGColor));
}

TEST_F(Redraw, StartStripLiesAlongTheStartAngle)
{
    assets.start = Solid(36, 10, 0xFF0000FF);
    TrackModel model = Track("M 400 200 ");
    const QRgb blue = qRgb(0, 0, 255);
    struct Case {
        int angle;
        QPoint inside, behind, aside;
    };
    for (const Case& c :
         {Case{0, {430, 215}, {395, 200}, {418, 225}}, Case{90, {415, 230}, {400, 195}, {425, 218}},
          Case{180, {370, 185}, {405, 200}, {382, 225}}}) {
        model.StartAngle = c.angle;
        Draw(model);
        EXPECT_EQ(At(c.inside.x(), c.inside.y()), blue) << c.angle;
        EXPECT_EQ(At(c.behind.x(), c.behind.y()), Rgb(s.BGColor)) << c.angle;
        EXPECT_EQ(At(c.aside.x(), c.aside.y()), Rgb(s.BGColor)) << c.angle;
    }
}

TEST_F(Redraw, LabelBoxTopLeftIsAtItsPosition)
{
    LoadFonts(assets, s, 96);
    TrackModel model;
    model.labels.push_back({"H", 200, 100, 3});
    model.labels.push_back({"ignored", 500, 100, 4});
    Draw(model);
    const QRgb bg = Rgb(s.BGColor);
    int minX = 800, minY = 400, count = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 800; ++x)
            if (At(x, y) != bg) {
                minX = std::min(minX, x);
                minY = std::min(minY, y);
                ++count;
            }
    ASSERT_GT(count, 0);
    const QFontMetricsF m(assets.largeFont);
    EXPECT_GE(minX, 199);
    EXPECT_LE(minX, 200 + 8);
    EXPECT_NEAR(minY, 100 + m.ascent() - m.capHeight(), 2.0);
    EXPECT_EQ(assets.largeFont.pixelSize(), 43); // 32 pt at 96 DPI
}

TEST_F(Redraw, FontSizesAreConvertedAndBounded)
{
    s.LgText = 12;
    s.MedText = 0;
    s.SmText = 2000000000;
    LoadFonts(assets, s, 96);
    EXPECT_EQ(assets.largeFont.pixelSize(), 16);
    EXPECT_EQ(assets.mediumFont.pixelSize(), 1); // drawn at 1 point
    EXPECT_GT(assets.smallFont.pixelSize(), 100);
    LoadFonts(assets, s, 144);
    EXPECT_EQ(assets.largeFont.pixelSize(), 24);
}

TEST_F(Redraw, MarkerIconIsCentredOpaqueAndDrawnLast)
{
    QImage sheet = Solid(48, 16, 0x00000000);
    for (int y = 0; y < 16; ++y)
        for (int x = 16; x < 32; ++x)
            sheet.setPixel(x, y, qRgba(10, 200, 30, 0)); // fully transparent icon 2
    assets.marker = sheet;
    LoadFonts(assets, s, 96);
    TrackModel model = Track("M 100 300 L 700 300 ");
    model.labels.push_back({"XXXX", 280, 280, 3});
    model.markers.push_back({2, 300, 300});
    Draw(model);
    EXPECT_EQ(At(292, 292), qRgb(10, 200, 30));
    EXPECT_EQ(At(307, 307), qRgb(10, 200, 30));
    EXPECT_EQ(At(300, 300), qRgb(10, 200, 30));
    EXPECT_NE(At(291, 300), qRgb(10, 200, 30));
    EXPECT_NE(At(308, 300), qRgb(10, 200, 30));
}

TEST_F(Redraw, MarkerWithoutIconGetsASubstituteSquare)
{
    TrackModel model;
    model.markers = {{1, 100, 100}, {7, 200, 100}, {-2147483647, 2147483647, -2147483647}};
    Draw(model); // no sheet at all
    EXPECT_NE(At(100, 100), Rgb(s.BGColor));
    assets.marker = Solid(48, 16, 0xFF0000FF);
    Draw(model);
    EXPECT_EQ(At(100, 100), qRgb(0, 0, 255));
    EXPECT_NE(At(200, 100), qRgb(0, 0, 255));
    EXPECT_NE(At(200, 100), Rgb(s.BGColor));
}

// Numbers a hand-edited file or an Options field can hold must not stall the
// redraw (a stall runs into the test's time-out).
TEST_F(Redraw, AbsurdNumbersEndQuickly)
{
    canvas = Canvas(1024, 1024);
    s.ShowBorder = 1;
    s.Markers = 1;
    const std::string far = "M -1e30 500 L 1e30 500 L 1e30 1e30 L 500 -1e30 Z";
    const std::string near = "M 10 10 L 1000 1000 L 10 1000 Z";
    struct Case {
        double width, gap;
        int redWhite, dots;
        std::string path;
    };
    const std::vector<Case> cases = {
        {42, 1e-9, 1, 1, near},
        {42, 1e-9, 0, 0, near},
        {42, 2.5, 1, 0, near},
        {1e30, 64, 1, 1, near},
        {1e30, 1e-6, 0, 0, near},
        {42, 64, 1, 1, far},
        {1e7, 0.01, 1, 0, far},
        {std::nan(""), 64, 1, 0, near},
        {-5, 64, 1, 1, near},
        {42, std::nan(""), 1, 1, near},
        {42, 64, 1, 1, "M 3e38 3e38 L -3e38 -3e38 L 1e39 0 Z"},
    };
    for (const Case& c : cases) {
        s.TrackWidth = c.width;
        s.MarkerGap = c.gap;
        s.RedWhite = c.redWhite;
        s.ShowDots = c.dots;
        TrackModel model = Track(c.path);
        model.StartAngle = 45;
        assets.start = Solid(36, 10, 0xFF0000FF);
        Draw(model);
        EXPECT_EQ(canvas.size(), QSize(1024, 1024)) << c.width << " " << c.gap << " " << c.path;
    }
}

TEST_F(Redraw, AbsurdLabelsEndQuickly)
{
    canvas = Canvas(1024, 1024);
    s.LgText = 2000000000; // held at the largest pixel size we draw
    LoadFonts(assets, s, 96);
    TrackModel model;
    model.labels.push_back({std::string(300, 'W'), 0, 0, 3});
    model.labels.push_back({"far away", 2147483647, -2147483647, 3});
    model.labels.push_back({"", 10, 10, 1});
    Draw(model);
    EXPECT_EQ(canvas.size(), QSize(1024, 1024));
}

// Only the surface depends on the width alone: at width 0 (an empty Track
// Width field) the kerb is still 6 px and the centre line 2 px wide, so the
// track stays visible; widths no stroke can draw leave only the centre line.
TEST_F(Redraw, TrackWithoutSurfaceWidthKeepsItsBorderCentreLineAndDots)
{
    s.ShowBorder = 1;
    s.Markers = 1;
    s.ShowDots = 1;
    const QRgb bg = Rgb(s.BGColor), red = qRgb(255, 0, 0), white = qRgb(255, 255, 255), edge = qRgb(4, 4, 4),
               yellow = qRgb(255, 255, 0);
    struct Probe {
        int x, y;
        QRgb expected;
    };
    struct Case {
        double width;
        int redWhite;
        std::vector<Probe> probes;
    };
    // Along y = 100, x = 200 is 100 px from the start: kerb block [96, 102)
    // is red, the centre-line dash [100, 104) is inked and [96, 100) is blank.
    const Case cases[] = {
        {0,
         1,
         {{200, 97, red},
          {200, 102, red},
          {200, 99, white},
          {200, 100, white},
          {196, 99, red},
          {200, 96, bg},
          {200, 103, bg},
          {228, 97, yellow}}},
        {0, 0, {{196, 99, edge}, {196, 100, edge}, {200, 100, white}, {196, 97, bg}, {196, 102, bg}}},
        {-42, 1, {{200, 100, white}, {196, 99, bg}, {200, 97, bg}, {228, 97, yellow}}},
        {std::nan(""), 1, {{200, 100, white}, {196, 99, bg}, {200, 97, bg}}},
    };
    for (const Case& c : cases) {
        s.TrackWidth = c.width;
        s.RedWhite = c.redWhite;
        Draw(Track("M 100 100 L 300 100 L 300 300 "));
        for (const Probe& p : c.probes)
            EXPECT_EQ(At(p.x, p.y), p.expected)
                << "width " << c.width << " red/white " << c.redWhite << " at " << p.x << "," << p.y;
    }
}

TEST_F(Redraw, HugeWidthCoversTheCanvas)
{
    s.TrackWidth = 1e30;
    Draw(Track("M 100 200 L 700 200 "));
    EXPECT_EQ(At(400, 0), kGrey);
    EXPECT_EQ(At(400, 399), kGrey);
}

} // namespace
} // namespace velmora
