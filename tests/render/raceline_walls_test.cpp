#include "circuit_data.h"
#include "core/raceline/track_raceline.h"
#include "core/settings/settings.h"
#include "core/track/track_generator.h"
#include "core/track/track_samples.h"
#include "render/occupancy_map.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>

namespace velmora {
namespace {

constexpr int kCanvas = 2048;

using circuits::Track;

// The three circuits as the tool imports them and generated tracks at the
// default scale.
std::vector<Track> Tracks()
{
    return circuits::CircuitsAndGenerated({9}, 3);
}

struct WallDistance {
    double centre = HUGE_VAL; // to the nearest wall cell's centre
    double cell = HUGE_VAL;   // to the nearest point of a wall cell
};

// How far in metres a point of the world lies from the wall cells of the
// map, placed as a simulator places it by its lower-left corner; searched
// within `reach` metres. A simulator's rays stop where they enter a wall
// cell, so the cell's square is the wall it drives against.
WallDistance FromWalls(const QImage& map, const WorldFrame& f, double x, double y, double reach)
{
    const double cx = f.CanvasX(x), cy = f.CanvasY(y);
    const int r = int(std::ceil(reach / f.metresPerPixel)) + 1;
    WallDistance best;
    for (int py = std::max(0, int(cy) - r); py <= std::min(map.height() - 1, int(cy) + r); ++py)
        for (int px = std::max(0, int(cx) - r); px <= std::min(map.width() - 1, int(cx) + r); ++px) {
            if (map.constScanLine(py)[px] != 0)
                continue;
            const double dx = std::max({px - cx, 0.0, cx - px - 1}),
                         dy = std::max({py - cy, 0.0, cy - py - 1});
            best.centre = std::min(best.centre, std::hypot(f.X(px + 0.5) - x, f.Y(py + 0.5) - y));
            best.cell = std::min(best.cell, f.Metres(std::hypot(dx, dy)));
        }
    return best;
}

// Every row of the race line keeps the car's clearance from the centre of
// every wall cell of the track's own occupancy map: the map the simulator
// drives in, not the surface the corridor was measured on.
TEST(RacelineWalls, EveryRowKeepsTheClearanceFromTheMapsWallCells)
{
    const Result<Vehicle> car = BuiltInVehicle("f1tenth");
    ASSERT_TRUE(car);
    const double clearance = car->Clearance();
    for (const Track& t : Tracks()) {
        SCOPED_TRACE(t.name);
        const QImage map = OccupancyMap(t.path, t.width, kCanvas, kCanvas);
        ASSERT_FALSE(map.isNull());
        const Result<Raceline> line = RacelineOfTrack(t.path, t.width, t.frame, *car);
        ASSERT_TRUE(line) << line.error();
        WallDistance least;
        std::size_t worst = 0;
        for (std::size_t i = 0; i < line->rows.size(); ++i) {
            const RacelineRow& row = line->rows[i];
            const WallDistance d =
                FromWalls(map, t.frame, row.x, row.y, 2 * clearance + t.frame.metresPerPixel);
            least.centre = std::min(least.centre, d.centre);
            if (d.cell < least.cell) {
                least.cell = d.cell;
                worst = i;
            }
        }
        std::printf("%-16s %.2f m/px: nearest wall cell centre %.4f m, wall cell %.4f m (row %zu); clearance "
                    "%.4f m\n",
                    t.name.c_str(), t.frame.metresPerPixel, least.centre, least.cell, worst, clearance);
        EXPECT_GE(least.centre, clearance - 1e-6);
        EXPECT_GE(least.cell, clearance - 1e-6) << "row " << worst;
    }
}

} // namespace
} // namespace velmora
