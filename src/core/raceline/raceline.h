#pragma once

#include "core/raceline/cubic_spline.h"
#include "core/raceline/min_curvature.h"
#include "core/raceline/track_corridor.h"
#include "core/raceline/vehicle.h"
#include "core/result.h"

#include <cstddef>
#include <string>
#include <vector>

namespace velmora {

// One row of the line: distance along it, position, heading (radians from +x,
// counter-clockwise), signed curvature (positive turning left), speed and
// the acceleration from this row to the next.
struct RacelineRow {
    double s = 0;
    double x = 0;
    double y = 0;
    double psi = 0;
    double kappa = 0;
    double vx = 0;
    double ax = 0;
};

struct Raceline {
    std::vector<RacelineRow> rows; // every `spacing` metres; a loop does not repeat its first row
    double length = 0;             // metres, a loop's closing stretch included
    double lapTime = 0;            // seconds
    bool closed = true;
    bool converged = true;
    std::string note;   // when not converged: what that means for the line
    int iterations = 0; // linearisation steps of the solver, all rounds
};

// The minimum-curvature line of the track for this vehicle and its speed
// profile; for a vehicle whose controller caps its speed, its length weighs
// too (Vehicle::LengthWeight). A loop's line starts (s = 0) at the centre line's first point's
// gate; an open line runs from the first to the last centre point, both kept
// on the centre. Refuses, with one line saying why, a track the vehicle does
// not fit (naming both widths), fewer than 3 distinct points, a bad spacing.
Result<Raceline> ComputeRaceline(const RacelineInput& input, const Vehicle& vehicle, double spacing,
                                 const CurvatureOptions& options = {});

// A smooth line (the C2 spline) through points, sampled every `spacing`
// metres from points[0]: s, x, y, psi and kappa of each row; vx and ax are 0.
// An open line's last row is its end point.
struct SampledLine {
    std::vector<RacelineRow> rows;
    double length = 0;
};
SampledLine SampleLine(const std::vector<WorldPoint>& points, bool closed, double spacing);

// The distance from each row to the next, as the speed profile takes them.
std::vector<double> RowGaps(const std::vector<RacelineRow>& rows, double length, bool closed);

} // namespace velmora
