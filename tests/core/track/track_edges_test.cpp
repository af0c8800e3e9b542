#include "circuit_data.h"
#include "core/settings/settings.h"
#include "core/track/path.h"
#include "core/track/track_generator.h"
#include "core/track/track_samples.h"
#include "polyline_checks.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace velmora {
namespace {

struct Edges {
    std::vector<CanvasPoint> left, right;
};

Edges EdgesOf(const TrackSamples& t)
{
    Edges e;
    for (const TrackSample& r : t.rows) {
        e.left.push_back(r.left);
        e.right.push_back(r.right);
    }
    return e;
}

// How far p lies from the centre line: the whole path, closing stretches
// included.
double FromCentre(const std::vector<PathFigure>& figures, CanvasPoint p)
{
    double best = HUGE_VAL;
    const PathMeasure measure(figures);
    for (const PathMeasure::Segment& s : measure.Segments())
        best = std::min(best, checks::ToSegment(p, {s.a.x, s.a.y}, {s.b.x, s.b.y}));
    return best;
}

// The outline of a loop's surface is where the distance to the centre line
// is half the width: each edge point lies there, each edge is simple, one
// point per row, and the widths reach no further than the edge.
void ExpectEdgesOnTheOutline(const std::string& path, double spacing, double width)
{
    SCOPED_TRACE(path.substr(0, 60));
    const Result<TrackSamples> t = SampleTrack(path, spacing, width);
    ASSERT_TRUE(t.ok()) << t.error();
    const std::vector<PathFigure> figures = ParsePathText(path);
    const Edges e = EdgesOf(*t);
    ASSERT_EQ(e.left.size(), t->rows.size());
    for (const auto& [line, name] : {std::pair{&e.left, "left"}, std::pair{&e.right, "right"}}) {
        SCOPED_TRACE(name);
        const auto crossing = checks::SelfCrossing(*line, t->closed);
        EXPECT_FALSE(crossing) << "segments " << crossing->first << " and " << crossing->second;
        if (t->closed) {
            for (std::size_t i = 0; i < line->size(); ++i)
                ASSERT_NEAR(FromCentre(figures, (*line)[i]), width / 2, 1e-6 * width) << "row " << i;
        }
    }
    for (const TrackSample& r : t->rows) {
        // A corner point off the row's normal lies further than its width.
        EXPECT_LE(r.widthLeft, std::hypot(r.left.x - r.x, r.left.y - r.y) + 1e-9 * width);
        EXPECT_LE(r.widthRight, std::hypot(r.right.x - r.x, r.right.y - r.y) + 1e-9 * width);
        EXPECT_GE(r.widthLeft, 0);
        EXPECT_GE(r.widthRight, 0);
    }
}

TEST(TrackEdges, CornersOfEveryKind)
{
    const struct {
        const char* path;
        double spacing, width;
    } cases[] = {
        // A square, clockwise on the screen: the inside is on the right.
        {"M 100 100 L 300 100 L 300 300 L 100 300 Z", 10, 40},
        // The same the other way round, and rows that miss the corners.
        {"M 100 100 L 100 300 L 300 300 L 300 100 Z", 7, 40},
        // A hairpin far tighter than the width, and a 123-degree turn.
        {"M 100 100 L 500 100 L 500 160 L 100 130 Z", 3, 42},
        {"M 100 100 L 600 100 L 100 372 Z", 4, 42},
        // Stretches shorter than the width round a bend.
        {"M 100 100 L 110 100 L 118 106 L 122 115 L 122 125 L 300 300 L 80 300 Z", 2, 42},
    };
    for (const auto& c : cases)
        ExpectEdgesOnTheOutline(c.path, c.spacing, c.width);
}

// On the inside of a corner the edges meet at the corner of the outline:
// where the two stretches' edges cross, not half the width off the centre.
TEST(TrackEdges, InnerCornerRowsMeetAtTheCornerPoint)
{
    const Result<TrackSamples> t = SampleTrack("M 100 100 L 300 100 L 300 300 L 100 300 Z", 5, 40);
    ASSERT_TRUE(t.ok());
    int atCorner = 0;
    for (const TrackSample& r : t->rows) {
        // Inside on the right; no row's edge lies beyond the inner square.
        EXPECT_GE(r.right.x, 120 - 1e-9);
        EXPECT_LE(r.right.x, 280 + 1e-9);
        EXPECT_GE(r.right.y, 120 - 1e-9);
        EXPECT_LE(r.right.y, 280 + 1e-9);
        atCorner += std::hypot(r.right.x - 280, r.right.y - 120) < 1e-9;
        // Outside: on the straights or round the corner's arc.
        const double out = std::max({100 - r.left.x, r.left.x - 300, 100 - r.left.y, r.left.y - 300});
        EXPECT_NEAR(
            std::max(out, FromCentre(ParsePathText("M 100 100 L 300 100 L 300 300 L 100 300 Z"), r.left)), 20,
            1e-9);
    }
    EXPECT_GE(atCorner, 3); // the rows from 20 px before the corner to 20 px after
    // The row on the corner itself looks along the bisector, at the corner.
    EXPECT_NEAR(t->rows[40].widthRight, 20 * std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(t->rows[40].right.x, 280, 1e-9);
}

TEST(TrackEdges, OpenTrackEndsAcrossTheFlatEnd)
{
    const Result<TrackSamples> t = SampleTrack("M 50 100 L 50 0 ", 3, 4);
    ASSERT_TRUE(t.ok());
    for (const TrackSample& r : t->rows) {
        EXPECT_NEAR(r.left.x, 48, 1e-9);
        EXPECT_NEAR(r.right.x, 52, 1e-9);
        EXPECT_NEAR(r.left.y, r.y, 1e-9);
        EXPECT_NEAR(r.widthLeft, 2, 1e-9);
    }
    const Result<TrackSamples> none = SampleTrack("M 0 0 L 100 0 ", 10, 0);
    ASSERT_TRUE(none.ok());
    for (const TrackSample& r : none->rows)
        EXPECT_EQ(r.left, (CanvasPoint{r.x, r.y}));
}

TEST(TrackEdges, RealCircuitsAndGeneratedTracks)
{
    for (const std::string name : circuits::kNames) {
        const Result<ImportedCentreline> c = circuits::Import(name);
        ASSERT_TRUE(c.ok()) << c.error();
        ExpectEdgesOnTheOutline(c->model.TrackPath, DefaultSpacing(c->frame.metresPerPixel), c->trackWidth);
    }
    const Settings s;
    const GeneratorOptions o = DefaultGeneratorOptions(s);
    // Two runs the tool makes: --generate 20 --seed 1 and --generate 50 --seed 9.
    for (const auto& [seed, count] : {std::pair{1, 20}, std::pair{9, 50}})
        for (int i = 0; i < count; ++i) {
            SCOPED_TRACE("seed " + std::to_string(seed) + " track " + std::to_string(i));
            const Result<TrackModel> g = GenerateTrack(s, o, std::uint64_t(seed), std::uint64_t(i));
            ASSERT_TRUE(g) << g.error();
            ExpectEdgesOnTheOutline(g->TrackPath, DefaultSpacing(0.05), s.TrackWidth);
        }
}

} // namespace
} // namespace velmora
