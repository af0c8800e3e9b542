#pragma once

#include "core/result.h"
#include "core/track/simplify.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace velmora {

// One row of a track sampled along its length, in canvas terms.
struct TrackSample {
    double s = 0; // pixels along the track from the start
    double x = 0; // canvas pixels
    double y = 0;
    double heading = 0;   // radians from +x, clockwise on the screen as atan2 of canvas steps
    double curvature = 0; // change of heading per pixel along the track
    // Where the surface ends left and right of the direction of travel as
    // the screen shows it, and how far along the row's normal that is.
    CanvasPoint left;
    CanvasPoint right;
    double widthLeft = 0;
    double widthRight = 0;
};

struct TrackSamples {
    std::vector<TrackSample> rows;
    bool closed = false;  // a loop: the last row runs on into the first
    double length = 0;    // pixels round the whole track
    double halfWidth = 0; // pixels from the centre line to either edge
    // The rows' widths and edges are the track's own, measured on the map
    // it came from, rather than the drawn surface's: what the centreline
    // writes in place of the half width.
    bool rowWidths = false;
};

inline constexpr std::size_t kMaxTrackSamples = 10000000;

// Samples the track at exact multiples of `spacing` pixels from the start,
// and at the end of an open track; a loop does not repeat its start. Heading
// and curvature are worked out from the samples themselves, by central
// differences of the neighbours (wrapping round a loop, one-sided at the
// ends of an open track), as racing-line tools compute them from a
// centreline file, so they agree with what those tools read back; the
// shorter step before a loop's start and to an open track's end is weighed
// as such. Each row's edges lie on the outline of the surface the picture
// draws at trackWidth (see FindEdges). Refuses
// a spacing that is no positive number, a track without a stretch, a width
// that is negative or no number, and more than kMaxTrackSamples rows.
Result<TrackSamples> SampleTrack(std::string_view trackPath, double spacing, double trackWidth);

// The spacing, in pixels, when none is asked for: the shorter of 1 m and
// 4 px, so a circuit keeps its detail at any scale.
double DefaultSpacing(double metresPerPixel);

} // namespace velmora
