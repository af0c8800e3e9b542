#pragma once

#include "core/result.h"
#include "core/track/track_samples.h"
#include "core/track/world_frame.h"

#include <string>

namespace velmora {

// A track as AWS DeepRacer's tools load it with numpy.load: NumPy format 1.0,
// an N x 6 array of little-endian float64, each row the centre, the inner
// edge and the outer edge (x, y in metres, world frame), the first row
// repeated at the end. Inner is the side towards the inside of the loop.
// DeepRacer tracks are loops: an open track is refused.
Result<std::string> DeepRacerNpy(const TrackSamples& samples, const WorldFrame& frame);

} // namespace velmora
