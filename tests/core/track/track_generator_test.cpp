#include "core/track/editor.h"
#include "core/track/track_generator.h"

#include <cmath>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace velmora {
namespace {

// The checks below read the finished path text on their own, sharing no
// geometry with the generator, so that a fault there cannot hide itself.
struct Pt {
    double x, y;
};

// "M x y L x y ... Z" with whole numbers, or an empty list.
std::vector<Pt> ReadClicks(const std::string& path)
{
    std::istringstream in(path);
    std::vector<Pt> points;
    std::string word;
    while (in >> word) {
        if (word == "Z")
            return in >> word ? std::vector<Pt>{} : points;
        if (word != (points.empty() ? "M" : "L"))
            return {};
        long long x, y;
        if (!(in >> x >> y))
            return {};
        points.push_back({static_cast<double>(x), static_cast<double>(y)});
    }
    return {}; // never closed
}

double Bearing(Pt a, Pt b)
{
    return std::atan2(b.y - a.y, b.x - a.x) * 180 / M_PI;
}

double Turn(Pt a, Pt b, Pt c)
{
    double t = Bearing(b, c) - Bearing(a, b);
    while (t > 180)
        t -= 360;
    while (t < -180)
        t += 360;
    return t;
}

double ToSegment(Pt p, Pt a, Pt b)
{
    const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
    double t = len2 == 0 ? 0 : ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2;
    t = std::max(0.0, std::min(1.0, t));
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

bool Crossing(Pt a, Pt b, Pt c, Pt d)
{
    auto side = [](Pt p, Pt q, Pt r) { return (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x); };
    return side(a, b, c) * side(a, b, d) < 0 && side(c, d, a) * side(c, d, b) < 0;
}

double Between(Pt a, Pt b, Pt c, Pt d)
{
    if (Crossing(a, b, c, d))
        return 0;
    return std::min(std::min(ToSegment(a, c, d), ToSegment(b, c, d)),
                    std::min(ToSegment(c, a, b), ToSegment(d, a, b)));
}

// Everything a generated track must be; empty text when it is.
std::string Fault(const TrackModel& m, const Settings& s, const GeneratorOptions& o)
{
    const std::vector<Pt> p = ReadClicks(m.TrackPath);
    const std::size_t n = p.size();
    if (n < 3)
        return "not a closed loop of clicks: " + m.TrackPath;
    const double w = s.TrackWidth, margin = w / 2 + 4;
    std::vector<double> start(n + 1, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const Pt a = p[i], b = p[(i + 1) % n];
        if (a.x == b.x && a.y == b.y)
            return "two equal points in a row";
        if (a.x < margin || a.y < margin || a.x > s.CanvasWidth - margin || a.y > s.CanvasHeight - margin)
            return "a point too near the edge";
        if (std::abs(Turn(p[(i + n - 1) % n], a, b)) > s.AngleLimit)
            return "a turn beyond the limit at point " + std::to_string(i);
        start[i + 1] = start[i] + std::hypot(b.x - a.x, b.y - a.y);
    }
    const double total = start[n];
    if (total < o.minLength || total > o.maxLength)
        return "length " + std::to_string(total) + " outside the range";
    if (std::abs(Turn(p[n - 1], p[0], p[1])) > 2)
        return "the start is not on a straight";
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) {
            const double gap = std::min(start[j] - start[i + 1], total - start[j + 1] + start[i]);
            if (gap > 2.5 * w && Between(p[i], p[(i + 1) % n], p[j], p[(j + 1) % n]) < w)
                return "stretches " + std::to_string(i) + " and " + std::to_string(j) + " too close";
        }
    // The editor, clicked point by point, must accept every click.
    Editor ed;
    for (const Pt& q : p) {
        SamplePointer(ed, static_cast<int>(q.x), static_cast<int>(q.y));
        ShowReadout(ed, s);
        HandleLeftClick(ed, s);
    }
    CloseLoop(ed, s);
    if (ed.model.TrackPath != m.TrackPath || ed.model.StartAngle != m.StartAngle)
        return "the editor would not have drawn it";
    return {};
}

Settings With(double w, double h, double width, int limit)
{
    Settings s;
    s.CanvasWidth = w;
    s.CanvasHeight = h;
    s.TrackWidth = width;
    s.AngleLimit = limit;
    return s;
}

TEST(TrackGenerator, EveryTrackKeepsTheRules)
{
    const Settings cases[] = {With(2048, 2048, 42, 180), With(2048, 2048, 42, 45), With(1200, 800, 80, 90),
                              With(1600, 1600, 20, 20), With(640, 480, 30, 60),
                              // Limits that only a loop of many gentle corners can keep.
                              With(2048, 2048, 42, 4), With(1200, 900, 30, 8), With(1000, 2400, 42, 5),
                              With(2048, 1024, 42, 12)};
    for (const Settings& s : cases) {
        GeneratorOptions o = DefaultGeneratorOptions(s);
        o.markers = 3;
        std::set<std::string> seen;
        for (std::uint64_t i = 0; i < 60; ++i) {
            const Result<TrackModel> t = GenerateTrack(s, o, 7, i);
            ASSERT_TRUE(t) << "width " << s.TrackWidth << " limit " << s.AngleLimit << " track " << i << ": "
                           << t.error();
            ASSERT_EQ(Fault(*t, s, o), "") << "width " << s.TrackWidth << " limit " << s.AngleLimit << " track "
                                           << i << ": " << t->TrackPath;
            ASSERT_EQ(t->markers.size(), 3u);
            for (const RLMarker& k : t->markers) {
                EXPECT_TRUE(k.type >= 1 && k.type <= 3);
                EXPECT_TRUE(k.x >= 0 && k.y >= 0 && k.x < s.CanvasWidth && k.y < s.CanvasHeight);
            }
            EXPECT_TRUE(seen.insert(t->TrackPath).second) << "track " << i << " repeats";
        }
    }
}

TEST(TrackGenerator, TrackDependsOnlyOnSeedAndIndex)
{
    const Settings s;
    const GeneratorOptions o = DefaultGeneratorOptions(s);
    const std::string third = GenerateTrack(s, o, 7, 3)->TrackPath;
    (void)GenerateTrack(s, o, 7, 2);
    EXPECT_EQ(GenerateTrack(s, o, 7, 3)->TrackPath, third);
    EXPECT_NE(GenerateTrack(s, o, 8, 3)->TrackPath, third);
}

TEST(TrackGenerator, ImpossibleSettingsFailSoonWithAReason)
{
    struct Case {
        Settings s;
        double minLength, maxLength;
        const char* named;
    } cases[] = {
        {With(100, 100, 42, 180), 0, 0, "TrackWidth 42"},
        {With(2048, 2048, 42, 1), 0, 0, "AngleLimit 1"},
        {With(2048, 2048, 42, 180), 1e6, 2e6, "tracks of 1000000 px"},
        // Passes the first look but defeats every attempt.
        {With(2048, 2048, 42, 5), 8400, 9000,
         "no track found in 300 attempts on a 2048 x 2048 canvas with TrackWidth 42, AngleLimit 5"},
        {With(2048, 2048, 42, 180), 500, 400, "--min-length"},
    };
    for (const Case& c : cases) {
        GeneratorOptions o = DefaultGeneratorOptions(c.s);
        if (c.maxLength > 0)
            o.minLength = c.minLength, o.maxLength = c.maxLength;
        const Result<TrackModel> t = GenerateTrack(c.s, o, 1, 0);
        EXPECT_FALSE(t);
        EXPECT_NE(t.error().find(c.named), std::string::npos) << t.error();
    }
}

} // namespace
} // namespace velmora
