#pragma once

#include "core/raceline/cubic_spline.h"
#include "core/raceline/track_corridor.h"

#include <vector>

namespace velmora {

// A circuit's own edges as its file gives them: the file's centre line in
// world metres and, at each of its rows, the widths to the right and to the
// left of the direction of travel. Empty when the file gives no widths.
struct SourceEdges {
    std::vector<WorldPoint> centre;
    std::vector<double> widthRight;
    std::vector<double> widthLeft;
    bool closed = true;

    bool empty() const { return centre.size() < 2; }
};

// Narrows the corridor to the source's edges where they are nearer than the
// surface's: at each row, along the row's normal, as far as the edge each
// side (the source's centre plus its width along its own normal) is reached.
// A circuit drawn at one width is wider than the real track where the real
// one is narrow, and a line that keeps its clearance from the drawn edges
// alone would leave the real track there. With a clearance (metres: the
// car's half width and margin), the rows either side of each stretch are
// narrowed further until a car that far inside the stretch's edges keeps
// the clearance from every point of the source's edges, which come nearer
// than straight across where a corner of theirs juts out between two rows
// or the inside edge closes round a tight turn. Widths never grow, and
// never go below 0; empty edges leave the corridor as it is.
void NarrowToSourceEdges(RacelineInput& corridor, const SourceEdges& edges, double clearance = 0);

} // namespace velmora
