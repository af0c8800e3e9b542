#pragma once

#include "core/mapin/medial_loop.h"
#include "core/result.h"
#include "core/track/world_frame.h"

#include <vector>

namespace velmora {

// Whether a ring's medial loop is the track of the free space it lies in,
// rather than a small loop somewhere in it: refused when the loop is shorter
// than that free space is across, or when along most of it the map's walls
// are more than two cells farther than the ring's (the ring is then cut out
// of wider free space, not bounded by walls). The message says where, in
// metres of `frame`.
Status CheckLoop(const std::vector<MedialPoint>& loop, const TrackRing& ring, const WorldFrame& frame);

// The loop's length, in cells.
double LoopLength(const std::vector<MedialPoint>& loop);

} // namespace velmora
