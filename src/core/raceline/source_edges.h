#pragma once

#include "core/raceline/cubic_spline.h"
#include "core/raceline/map_walls.h"
#include "core/raceline/track_corridor.h"
#include "core/track/track_samples.h"
#include "core/track/world_frame.h"

#include <memory>
#include <vector>

namespace velmora {

// A track's own edges as its source gives them: a circuit file's centre
// line in world metres and, at each of its rows, the widths to the right and
// to the left of the direction of travel (empty when the file gives no
// widths); or the centre line found on an occupancy map, the widths measured
// on the map at each point, and the map's walls.
struct SourceEdges {
    std::vector<WorldPoint> centre;
    std::vector<double> widthRight;
    std::vector<double> widthLeft;
    bool closed = true;
    // The walls of the map the track was found on: the race line keeps off
    // them rather than off the edges the widths give.
    std::shared_ptr<const MapWalls> walls = nullptr;
    // The widths are the track's width (measured on a map, and no other
    // width asked for): the sampled outputs write them at each row, and the
    // race line's corridor reaches as far as the map's free space.
    bool rowWidths = false;

    bool empty() const { return centre.size() < 2; }
};

// The unit normal to the left of travel at each point, from its neighbours
// either side, so that it is smooth across a kink; (0, 0) where they meet.
std::vector<WorldPoint> LeftNormals(const std::vector<WorldPoint>& p, bool closed);

// The samples (canvas pixels of `frame`) take the source's widths where the
// source's centre line passes nearest them, their edges moved out to match:
// what the sampled outputs write when the source's widths are the track's.
// Nothing changes when the source gives no widths.
void TakeRowWidths(TrackSamples& samples, const SourceEdges& edges, const WorldFrame& frame);

// Narrows the corridor to the source's edges where they are nearer than the
// surface's: at each row, along the row's normal, as far as the edge each
// side (the source's centre plus its width along its own normal) is reached.
// A circuit drawn at one width is wider than the real track where the real
// one is narrow, and a line that keeps its clearance from the drawn edges
// alone would leave the real track there. With a clearance (metres: the
// car's half width and margin), the rows either side of each stretch are
// narrowed further until a car that far inside the stretch's edges keeps
// the clearance from every point of the source's edges, which come nearer
// than straight across where a corner of theirs juts out between two rows
// or the inside edge closes round a tight turn. Widths never grow, and
// never go below 0; empty edges leave the corridor as it is. A map's walls
// take the place of the edges (FitToMapWalls, reaching as far as the free
// space when its widths are the track's, no row further out than twice the
// widest measured width).
void NarrowToSourceEdges(RacelineInput& corridor, const SourceEdges& edges, double clearance = 0);

} // namespace velmora
