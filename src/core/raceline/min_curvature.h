#pragma once

#include "core/raceline/cubic_spline.h"

#include <vector>

namespace velmora {

// Where the line may go: reference points along the track with a unit normal
// pointing left of the direction of travel, and for each the range of
// lateral offsets (metres, left positive) that keeps the car on the track.
struct Corridor {
    std::vector<WorldPoint> centre;
    std::vector<WorldPoint> normal;
    std::vector<double> lower; // lower <= 0 <= upper where the centre is drivable
    std::vector<double> upper;
    bool closed = true;
};

struct CurvatureOptions {
    int maxIterations = 40;    // outer (linearisation) steps
    double settledStep = 1e-3; // metres: a step no larger than this ends the search
    // Per square metre: what a metre of line costs beside its bending, for
    // a car that spends most of a lap at a speed cap, where time is length.
    // 0: the line of least curvature alone.
    double lengthWeight = 0;
};

struct OffsetSolution {
    std::vector<double> offsets; // always within the corridor
    double objective = 0;        // summed squared curvature at the reference points, with the length's cost
    int iterations = 0;
    bool converged = false;
};

WorldPoint Shifted(const Corridor& corridor, std::size_t i, double offset);

// The discrete curvature at every point (0 at the ends of an open line): the
// signed turn there over the mean length of the stretches either side.
std::vector<double> PointCurvatures(const std::vector<WorldPoint>& points, bool closed);

// The offsets whose line has the least summed squared curvature, plus
// lengthWeight times its length (as TUM's shortest-path line has it, the
// sum of the segments' squared lengths, each over twice the centre's: to
// first order the length, and quadratic in the offsets). Gauss-Newton
// with Levenberg damping: the curvatures are linearised in the offsets, the
// resulting box-bounded quadratic programme is solved exactly, and a step is
// kept only if the true objective falls. Bounded in work whatever the input.
// Starts from `start` (clipped into the corridor) when given, else from the
// centre.
OffsetSolution MinimiseCurvature(const Corridor& corridor, const CurvatureOptions& options = {},
                                 const std::vector<double>& start = {});

} // namespace velmora
