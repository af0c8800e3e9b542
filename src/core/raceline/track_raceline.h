#pragma once

#include "core/raceline/raceline.h"
#include "core/raceline/source_edges.h"
#include "core/raceline/vehicle.h"
#include "core/result.h"
#include "core/track/track_samples.h"
#include "core/track/world_frame.h"

#include <string_view>

namespace velmora {

// How far, in pixels, a wall cell of the occupancy map can reach into the
// surface: a cell is a wall when at least half of it is, so one whose centre
// lies on an edge running at 45 degrees has its corner half its diagonal
// inside. A simulator's rays stop where they enter a wall cell, so that
// corner is where the car meets the wall.
inline constexpr double kMapCellReach = 0.70710678118654752;

// The track's samples as the race line's corridor: the centre in world
// metres, and to either side as far as the surface reaches along each row's
// normal (further than half the width round an outer corner, as far as the
// corner point on the inside of one), less kMapCellReach of a pixel, so that
// the line keeps its clearance from the occupancy map's wall cells too.
// Fails as WorldRows fails.
Result<RacelineInput> CorridorOf(const TrackSamples& samples, const WorldFrame& frame);

// The race line of a track as the editor draws it: sampled every
// DefaultSpacing, the corridor in the frame (narrowed to a circuit's own
// edges when given), the line for the vehicle with rows as close as its
// controller needs them (Vehicle::RowSpacing). Refuses, saying why, a path
// that goes on after its loop is closed and whatever sampling or the race
// line refuses.
Result<Raceline> RacelineOfTrack(std::string_view trackPath, double trackWidth, const WorldFrame& frame,
                                 const Vehicle& vehicle, const SourceEdges* sourceEdges = nullptr);

} // namespace velmora
