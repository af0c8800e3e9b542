#pragma once

#include "core/mapin/track_ring.h"

#include <vector>

namespace velmora {

// A point of a track's centre line on the map, and how far the walls are.
struct MedialPoint {
    double x = 0; // canvas pixels
    double y = 0;
    double inner = 0; // pixels from the point to the face of the wall the ring goes round
    double outer = 0; // and to the face of the wall outside it
};

// The ring's medial line between its two walls: the closed line of points
// equally far from the wall it goes round and from the one outside, found
// where the difference of the two exact distance fields changes sign
// (marching squares over the cell centres, crossings placed by linear
// interpolation, so the line is finer than a cell). Unlike a skeleton it has
// no branches into corners and pockets; nooks of free space off the ring
// give small loops of their own, and the longest loop is the one round the
// ring. Empty when there is none.
std::vector<MedialPoint> MedialLoop(const TrackRing& ring);

} // namespace velmora
