#pragma once

#include "core/raceline/cubic_spline.h"
#include "core/raceline/min_curvature.h"
#include "core/raceline/vehicle.h"
#include "core/result.h"

#include <cstddef>
#include <vector>

namespace velmora {

// The track as the racing line sees it: its centre line in world metres,
// sampled along the track (a loop does not repeat its first point), and at
// each sample the distance from the centre to the edge of the surface on the
// right and on the left of the direction of travel.
struct RacelineInput {
    std::vector<WorldPoint> centre;
    std::vector<double> widthRight;
    std::vector<double> widthLeft;
    bool closed = true;
};

// The input polyline after cleaning, with the distance along it at each point.
struct CentreTrack {
    std::vector<WorldPoint> point;
    std::vector<double> right;
    std::vector<double> left;
    std::vector<double> start; // distance along the track at each point
    double length = 0;
    bool closed = true;

    std::size_t Segments() const { return closed ? point.size() : point.size() - 1; }
};

// Repeated points dropped (a loop's copy of its first point too); refuses
// non-finite numbers, negative widths, fewer than 3 distinct points.
Result<CentreTrack> CleanTrack(const RacelineInput& input);

// Refuses a track narrower anywhere than the car and its margins, naming both.
Status CheckFit(const CentreTrack& track, const Vehicle& vehicle);

// Each width becomes the narrowest within `reach` metres along the track
// either way. A car that keeps `reach` from the edge straight across also
// keeps it from an edge that closes in ahead or behind: where the track
// narrows, a slanted edge lies nearer than the width across says.
void NarrowWithinReach(CentreTrack& track, double reach);

// Reference points along the track (referenceS: their distances along it),
// closer where it turns or changes width, normals from their neighbours a
// few points away (smooth even where the polyline has a kink), and the
// offsets that keep the car's clearance from both edges. An open line's
// ends stay on the centre.
Corridor BuildCorridor(const CentreTrack& track, double clearance, std::vector<double>& referenceS);

// Points of the line are moved back onto the corridor's edge where they lie
// outside it, judged against the nearest point of the centre line; segment[i]
// is the stretch between reference points that holds points[i]. Returns how
// far each point was outside: positive on the left, negative on the right.
std::vector<double> KeepInside(const CentreTrack& track, double clearance,
                               const std::vector<double>& referenceS, const std::vector<std::size_t>& segment,
                               std::vector<WorldPoint>& points);

// Narrows the corridor at the reference points either side of points found
// outside it by more than a few millimetres, so that the next solution keeps
// the whole line inside. True when something was narrowed.
bool Tighten(const std::vector<std::size_t>& segment, const std::vector<double>& excess,
             const std::vector<double>& offsets, Corridor& corridor);

} // namespace velmora
