#pragma once

#include "core/result.h"
#include "core/track/track_samples.h"
#include "core/track/world_frame.h"

#include <string>

namespace velmora {

// Waypoints as the F1TENTH and TUM planners read them, one row per sample,
// in the world frame: distance along the track, the centre point, heading
// (radians, 0 along +x, counter-clockwise), curvature (1/m, positive to the
// left), the distances to the edges along the normal and the edges
// themselves, on the outline of the drawn surface (see FindEdges). A loop
// does not repeat its first row. LF line ends.
Result<std::string> WaypointsCsv(const TrackSamples& samples, const WorldFrame& frame);

} // namespace velmora
