#include "circuit_data.h"
#include "core/raceline/raceline.h"
#include "core/raceline/source_edges.h"
#include "core/raceline/track_raceline.h"
#include "core/track/track_samples.h"
#include "source_edge_checks.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>

namespace velmora {
namespace {

// A straight corridor along +x, 5 m to either side, every metre.
RacelineInput Straight()
{
    RacelineInput in;
    in.closed = false;
    for (int i = 0; i <= 100; ++i) {
        in.centre.push_back({double(i), 0});
        in.widthLeft.push_back(5);
        in.widthRight.push_back(5);
    }
    return in;
}

SourceEdges OpenSource(double y, double rightAtStart, double leftAtStart, double rightAtEnd, double leftAtEnd)
{
    SourceEdges edges;
    edges.centre = {{-10, y}, {110, y}};
    edges.widthRight = {rightAtStart, rightAtEnd};
    edges.widthLeft = {leftAtStart, leftAtEnd};
    edges.closed = false;
    return edges;
}

TEST(SourceEdges, NarrowsTheCorridorToTheSourcesEdgesAlongTheNormal)
{
    const struct {
        const char* what;
        SourceEdges source;
        double right, left; // the corridor's widths at x = 50
    } cases[] = {
        {"narrower, same centre", OpenSource(0, 3, 4, 3, 4), 3, 4},
        {"wider: the surface stays the limit", OpenSource(0, 6, 7, 6, 7), 5, 5},
        {"centre 1 m to the left", OpenSource(1, 3, 3, 3, 3), 2, 4},
        {"centre 4 m to the right, one edge wider", OpenSource(-4, 3, 12, 3, 12), 5, 5},
        {"widths between the rows are interpolated", OpenSource(0, 1, 2, 5, 6), 3, 4},
        {"a centre off the real track has no width on that side", OpenSource(-6, 0.5, 0.5, 0.5, 0.5), 5, 0},
        {"no widths in the file", SourceEdges{}, 5, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RacelineInput in = Straight();
        NarrowToSourceEdges(in, c.source);
        EXPECT_NEAR(in.widthRight[50], c.right, 1e-9);
        EXPECT_NEAR(in.widthLeft[50], c.left, 1e-9);
    }
}

TEST(SourceEdges, FollowsTheSourcesOwnNormalsRoundALoop)
{
    // A circle of radius 50 run counter-clockwise, sampled finely, against
    // the same circle given by its file every 10 degrees with 2 m to the
    // left (inside) and 3 m to the right.
    RacelineInput in;
    SourceEdges source;
    for (int i = 0; i < 360; ++i) {
        const double a = i * M_PI / 180;
        in.centre.push_back({50 * std::cos(a), 50 * std::sin(a)});
        in.widthLeft.push_back(5);
        in.widthRight.push_back(5);
        if (i % 10 == 0) {
            source.centre.push_back({50 * std::cos(a), 50 * std::sin(a)});
            source.widthLeft.push_back(2);
            source.widthRight.push_back(3);
        }
    }
    NarrowToSourceEdges(in, source);
    for (std::size_t i = 0; i < in.centre.size(); ++i) {
        // Between the file's rows its edges are chords a little inside the
        // circles of radius 48 and 53.
        EXPECT_NEAR(in.widthLeft[i], 2, 0.25) << i;
        EXPECT_NEAR(in.widthRight[i], 3, 0.25) << i;
    }
}

// The least distance from the race line of each circuit, with the car that
// needs 1.7 m either side, to the circuit's own edges.
double LeastToSourceEdges(const char* name, bool narrowed)
{
    const Result<ImportedCentreline> c = circuits::Import(name);
    EXPECT_TRUE(c) << c.error();
    const Result<Vehicle> car = BuiltInVehicle("racecar");
    const double spacing = DefaultSpacing(c->frame.metresPerPixel);
    const Result<TrackSamples> samples = SampleTrack(c->model.TrackPath, spacing, c->trackWidth);
    EXPECT_TRUE(samples) << samples.error();
    Result<RacelineInput> corridor = CorridorOf(*samples, c->frame);
    EXPECT_TRUE(corridor) << corridor.error();
    if (narrowed)
        NarrowToSourceEdges(*corridor, c->sourceEdges, car->Clearance());
    const Result<Raceline> line = ComputeRaceline(*corridor, *car, c->frame.Metres(spacing));
    EXPECT_TRUE(line) << line.error();
    if (!line)
        return 0;
    std::vector<CanvasPoint> rows;
    for (const RacelineRow& r : line->rows)
        rows.push_back({r.x, r.y});
    return checks::LeastToSourceEdges(c->sourceEdges, rows);
}

TEST(SourceEdges, TheRaceLineKeepsItsClearanceFromTheCircuitsOwnEdges)
{
    const double clearance = BuiltInVehicle("racecar")->Clearance();
    for (const char* name : circuits::kNames) {
        SCOPED_TRACE(name);
        const double before = LeastToSourceEdges(name, false);
        const double after = LeastToSourceEdges(name, true);
        std::printf(
            "%-12s least distance to the file's edges: %.3f m drawn width only, %.4f m with the file's "
            "widths (clearance %.3f m)\n",
            name, before, after, clearance);
        EXPECT_GE(after, clearance - 1e-3);
    }
}

} // namespace
} // namespace velmora
