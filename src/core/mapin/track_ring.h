#pragma once

#include "core/mapin/cell_grid.h"
#include "core/result.h"
#include "core/track/world_frame.h"

#include <functional>
#include <string>

namespace velmora {

struct TrackRing;

// Where to look for the track on a map.
struct RingSearch {
    double startX = 0; // canvas pixels: map cell (i, j) covers [i, i + 1) x [j, j + 1)
    double startY = 0;
    // Without a start the map frame's origin is tried, else the largest free
    // loop is taken.
    bool startGiven = false;
    double closeGaps = 0; // the widest gap in a wall to close, in cells; 0 closes none
    // When no gap is to be closed and the free space makes no one loop as it
    // is, gaps up to this many cells (the car's width: a gap it cannot pass
    // is a wall to it) are closed to make one; 0 never.
    double autoCloseGaps = 0;
    // Bytes the search may take at its peak, the map's picture counted in: a
    // ring whose tracing would take more is refused before the work, with
    // how much coarser a map would do; 0: no limit.
    double memoryBudget = 0;
    // Judges a ring found; a ring it refuses is not taken, and its message
    // is the search's when nothing better is found. None: every ring is taken.
    std::function<Status(const TrackRing&)> check;
};

// The ring of free space a track runs in, and the wall (or area) it goes
// round, in the rectangle of cells around the ring one cell wider on each
// side: the rectangle's edge lies wholly outside the ring.
struct TrackRing {
    CellBox window; // in map cells
    CellMask ring;  // the window's size, as are the others
    CellMask inner; // what the ring goes round
    CellMask outer; // the rest of what is not the ring
    CellMask free;  // the map's free cells in the window
    // How far across (cells) the free space the ring lies in is, gaps not
    // closed; 0 when that free space runs out to the map's edge.
    int spaceAcross = 0;
    // Why the ring was taken as the largest free loop rather than found from
    // the start; empty when it was not.
    std::string largestLoop;
    double closedGaps = 0; // cells: gaps closed without being asked to; 0 none
    // Cells: how far from the walls the search passed when it found the
    // ring, gaps closed; 0 when none were, and the ring's walls are the map's.
    double closing = 0;
};

// Finds the ring: the free cells joined to the start through their sides,
// after wall gaps up to `closeGaps` cells are closed. It must neither reach
// the map's edge nor go round more than one wall. Failures say where, in
// metres of `frame`, and what helps, with a value that does where one is
// found.
Result<TrackRing> FindTrackRing(const CellMask& freeCells, const RingSearch& search, const WorldFrame& frame);

} // namespace velmora
