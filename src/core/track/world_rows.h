#pragma once

#include "core/result.h"
#include "core/track/track_samples.h"
#include "core/track/world_frame.h"

#include <vector>

namespace velmora {

// A sampled row in the world frame: metres, y up, headings counter-clockwise
// from +x in (-pi, pi], curvature positive in left-hand bends.
struct WorldRow {
    double s = 0;
    double x = 0;
    double y = 0;
    double psi = 0;
    double kappa = 0;
    double halfWidth = 0;  // half the track width the surface is drawn at
    double widthLeft = 0;  // from the centre to the edges along the normal,
    double widthRight = 0; // as far as the surface goes there
    double xLeft = 0;      // the surface's edges, left and right of the direction of travel
    double yLeft = 0;
    double xRight = 0;
    double yRight = 0;
};

// Every row of the samples in the frame, in their order: what every sampled
// output writes and the race line's corridor is made of. Refuses a frame
// CheckFrame refuses, and a track so far out in the frame that a value
// leaves the range of double.
Result<std::vector<WorldRow>> WorldRows(const TrackSamples& samples, const WorldFrame& frame);

} // namespace velmora
