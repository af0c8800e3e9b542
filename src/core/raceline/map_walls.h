#pragma once

#include "core/mapin/cell_grid.h"
#include "core/raceline/track_corridor.h"
#include "core/track/world_frame.h"

namespace velmora {

// The walls of the occupancy map a track was found on: every cell that is
// not free by the map's own thresholds (specks smaller than the minimum
// obstacle aside), spurs of the walls included. Cell (i, j) covers canvas
// pixels [i, i + 1) x [j, j + 1) of the map's frame.
struct MapWalls {
    CellMask freeCells;
    WorldFrame frame;
    // Specks fewer cells across than this were left out: what a track file
    // keeps, to find the same walls on its map again.
    int minObstacleCells = 0;
};

// Fits the corridor to the map, a wall cell taken as the square it is. At
// each row the corridor reaches, along the row's normal, as far as a car's
// centre keeps `clearance` (metres: the car's half width and margin) from
// every wall cell, plus that clearance, no further than `farthest` metres
// out. With `reachFreeSpace` that is the corridor: the map's free space is
// the track's width; otherwise the corridor is only narrowed to it. Then the
// rows either side of each stretch are narrowed until a car's centre taken
// anywhere along the stretch's edges, as the race line's corridor takes
// them (straight between the rows, round each row's point at a corner),
// keeps the clearance too: a wall's corner that juts out between two rows
// comes nearer than straight across. A row whose centre is nearer a wall
// than the clearance gets its distance to the wall on both sides, which no
// car of this clearance fits.
void FitToMapWalls(RacelineInput& corridor, const MapWalls& walls, double clearance, double farthest,
                   bool reachFreeSpace);

} // namespace velmora
