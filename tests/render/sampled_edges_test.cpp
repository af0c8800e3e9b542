#include "circuit_data.h"
#include "core/formats/deepracer_npy.h"
#include "core/formats/number_text.h"
#include "core/formats/waypoints_csv.h"
#include "core/track/track_generator.h"
#include "core/track/track_samples.h"
#include "polyline_checks.h"
#include "render/occupancy_map.h"
#include "map_cells.h"

#include <QImage>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <sstream>

namespace velmora {
namespace {

using circuits::Track;

// The three circuits as the tool imports them and generated tracks at the
// default scale.
std::vector<Track> Tracks()
{
    return circuits::CircuitsAndGenerated({9}, 8);
}

// The rendered surface's edge: the occupancy map lays its walls just
// outside the surface, so a map of the track 4 px narrower has them just
// inside it. A point of the edge is within a pixel of both.
class RenderedEdge {
public:
    explicit RenderedEdge(const Track& t)
        : outside_(OccupancyMap(t.path, t.width, 2048, 2048)),
          inside_(OccupancyMap(t.path, t.width - 2 * kMapWallWidth, 2048, 2048))
    {
    }
    bool On(CanvasPoint p) const { return NearWall(outside_, p.x, p.y) && NearWall(inside_, p.x, p.y); }

private:
    QImage outside_;
    QImage inside_;
};

std::vector<double> Numbers(const std::string& line)
{
    std::vector<double> out;
    std::istringstream fields(line);
    for (std::string f; std::getline(fields, f, ',');)
        out.push_back(ScanDecimal(f).length == f.size() ? ScanDecimal(f).value : NAN);
    return out;
}

CanvasPoint OnCanvas(const WorldFrame& f, double x, double y)
{
    return {(x - f.originX) / f.metresPerPixel, (f.originY - y) / f.metresPerPixel};
}

// Every written edge point, read back from the file, lies on the edge of
// the surface as the map draws it, and each edge is a simple line.
TEST(SampledEdges, WaypointEdgesLieOnTheRenderedSurfacesEdge)
{
    for (const Track& t : Tracks()) {
        SCOPED_TRACE(t.name);
        const RenderedEdge surface(t);
        const Result<TrackSamples> samples =
            SampleTrack(t.path, DefaultSpacing(t.frame.metresPerPixel), t.width);
        ASSERT_TRUE(samples.ok()) << samples.error();
        const Result<std::string> csv = WaypointsCsv(*samples, t.frame);
        ASSERT_TRUE(csv.ok()) << csv.error();
        std::istringstream lines(*csv);
        std::vector<CanvasPoint> right, left;
        for (std::string line; std::getline(lines, line);) {
            if (line[0] == '#')
                continue;
            const std::vector<double> v = Numbers(line);
            ASSERT_EQ(v.size(), 11u);
            right.push_back(OnCanvas(t.frame, v[7], v[8]));
            left.push_back(OnCanvas(t.frame, v[9], v[10]));
        }
        ASSERT_EQ(right.size(), samples->rows.size());
        for (const auto* edge : {&right, &left}) {
            for (std::size_t i = 0; i < edge->size(); ++i)
                ASSERT_TRUE(surface.On((*edge)[i]))
                    << "row " << i << " at " << (*edge)[i].x << ", " << (*edge)[i].y;
            const auto crossing = checks::SelfCrossing(*edge, true);
            EXPECT_FALSE(crossing) << crossing->first << " and " << crossing->second;
        }
    }
}

// The DeepRacer file: inner and outer borders on the rendered edge, simple,
// the inner one enclosing less than the centre line and the outer more,
// whichever way the track runs.
TEST(SampledEdges, DeepRacerBordersLieOnTheRenderedSurfacesEdge)
{
    for (const Track& t : Tracks()) {
        SCOPED_TRACE(t.name);
        const RenderedEdge surface(t);
        const Result<TrackSamples> samples =
            SampleTrack(t.path, DefaultSpacing(t.frame.metresPerPixel), t.width);
        ASSERT_TRUE(samples.ok());
        const Result<std::string> npy = DeepRacerNpy(*samples, t.frame);
        ASSERT_TRUE(npy.ok()) << npy.error();
        const std::size_t header = 10 + std::size_t(static_cast<unsigned char>((*npy)[8])) +
                                   256 * std::size_t(static_cast<unsigned char>((*npy)[9]));
        const std::size_t rows = (npy->size() - header) / 48;
        ASSERT_EQ(rows, samples->rows.size() + 1);
        std::vector<CanvasPoint> columns[3];
        for (std::size_t r = 0; r + 1 < rows; ++r) {
            double v[6];
            std::memcpy(v, npy->data() + header + r * 48, 48);
            for (int c = 0; c < 3; ++c)
                columns[c].push_back(OnCanvas(t.frame, v[2 * c], v[2 * c + 1]));
        }
        for (int c = 1; c < 3; ++c) {
            for (std::size_t i = 0; i < columns[c].size(); ++i)
                ASSERT_TRUE(surface.On(columns[c][i])) << "column " << 2 * c << " row " << i;
            const auto crossing = checks::SelfCrossing(columns[c], true);
            EXPECT_FALSE(crossing) << "column " << 2 * c << ": " << crossing->first << " and "
                                   << crossing->second;
        }
        const double inner = std::abs(checks::Area2(columns[1])),
                     centre = std::abs(checks::Area2(columns[0])),
                     outer = std::abs(checks::Area2(columns[2]));
        EXPECT_LT(inner, centre);
        EXPECT_LT(centre, outer);
    }
}

} // namespace
} // namespace velmora
