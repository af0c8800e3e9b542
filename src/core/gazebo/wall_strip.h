#pragma once

#include "core/track/simplify.h"

#include <vector>

namespace velmora {

// One wall seen from above, in canvas pixels. `inner` runs along the edge of
// the track surface with the wall on its left on screen; `outer` is the same
// line moved kMapWallWidth into the wall, point for point. A closed wall runs
// on from its last points back to its first; an open one ends where the
// map's wall leaves the canvas.
struct WallStrip {
    std::vector<CanvasPoint> inner;
    std::vector<CanvasPoint> outer;
    bool closed = false;
};

} // namespace velmora
