#pragma once

#include "core/track/track_samples.h"
#include "core/track/track_surface.h"

namespace velmora {

// Puts each row's left and right edge on the surface's outline. A row's edge
// is where the way out along its normal first leaves the surface: on a
// straight its half width away, round an outer corner on the round join.
// Where the surface of a later (or earlier) stretch hides that point, as on
// the inside of a corner too tight for the width, the rows whose edges would
// run back along the outline all take the corner point where the visible
// outline before and after them meets. So each edge keeps one point per row,
// each on the outline, in order along it, and never crosses itself. The
// widths are how far along the normal the edge lies.
void FindEdges(TrackSamples& samples, const TrackSurface& surface);

} // namespace velmora
