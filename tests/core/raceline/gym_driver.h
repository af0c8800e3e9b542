#pragma once

#include "core/track/world_frame.h"
#include "single_track.h"

#include <cmath>
#include <string>
#include <vector>

namespace velmora::sim {

// A row of a race-line file as the F1TENTH gym example's planner reads it:
// the position and the speed planned there. A loop's rows end with the
// first one again, as the files have it.
struct Waypoint {
    double x = 0;
    double y = 0;
    double speed = 0;
};

// The wall cells of an occupancy map where the world has them: cell (px, py)
// covers canvas pixels px to px + 1 and py to py + 1 in the frame.
struct WallCells {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> wall; // row by row from the top, non-zero a wall
    WorldFrame frame;

    bool At(int px, int py) const
    {
        return px >= 0 && py >= 0 && px < width && py < height && wall[std::size_t(py) * width + px] != 0;
    }
};

struct GymOptions {
    int laps = 2;
    double lookahead = 0.82; // metres, the example's tuned look-ahead
    double speedGain = 1.0;  // the planned speed is multiplied by this
    double dt = 0.01;        // seconds, the gym's step
    // The length of the body that must not touch a wall; 0: the car's. The
    // gym's own check sees a box the wheelbase long from its lidar.
    double bodyLengthM = 0;
};

struct GymRun {
    bool finished = false;         // every lap driven without the body touching a wall
    std::string why;               // when not
    std::vector<double> lapTimes;  // seconds, the first from standstill
    double worstOffPath = 0;       // metres from the rows' polyline
    double offPath95 = 0;          // 95th percentile over the run
    double closestWall = INFINITY; // metres between the body and a wall cell
};

// Drives the rows as F1TENTH users first do: the gym example's pure pursuit
// (examples/waypoint_follow.py) steers the gym's car (its steering delay of
// two steps, its controller turning the wheels at the full steering rate
// and accelerating in proportion to the speed error, its dynamics by RK4)
// from standstill at the first row. Any contact between the car's body and
// a wall cell ends the run: the gym's own check, the time to collision from
// its lidar under 5 ms, fires when the body all but touches a wall.
GymRun DriveGym(const SingleTrackCar& car, const std::vector<Waypoint>& rows, const WallCells& walls,
                const GymOptions& options);

} // namespace velmora::sim
