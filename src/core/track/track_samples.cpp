#include "core/track/track_samples.h"

#include "core/geometry/angles.h"
#include "core/track/path.h"
#include "core/track/track_edges.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace velmora {

namespace {

// A neighbour's steps from row i: along the track (positive, a lap added
// or taken off where a loop wraps) and on the canvas.
struct Step {
    double along = 0;
    double dx = 0;
    double dy = 0;
    std::size_t index = 0;
};

// The neighbour `direction` (-1 before, +1 after) of row i, wrapping round a
// loop; none at the ends of an open track.
std::optional<Step> Neighbour(const TrackSamples& t, std::size_t i, int direction)
{
    const std::size_t n = t.rows.size();
    double lap = 0;
    std::size_t j = 0;
    if (direction < 0) {
        if (i == 0 && !t.closed)
            return std::nullopt;
        j = i == 0 ? n - 1 : i - 1;
        lap = i == 0 ? t.length : 0;
    } else {
        if (i + 1 == n && !t.closed)
            return std::nullopt;
        j = i + 1 == n ? 0 : i + 1;
        lap = i + 1 == n ? t.length : 0;
    }
    const TrackSample& a = t.rows[i];
    const TrackSample& b = t.rows[j];
    return Step{direction < 0 ? a.s - b.s + lap : b.s - a.s + lap, b.x - a.x, b.y - a.y, j};
}

// The slope at a row from the change to the row before (`back`, h1 behind)
// and to the row after (`ahead`, h2 on): the second-order difference for
// uneven steps, which for even steps is the plain central difference the
// racing-line tools use. It keeps the row before the seam of a loop, and the
// end of an open track, as true as the rest. A step too short to tell
// anything by (the end a hair beyond a multiple) is passed over.
double Slope(std::optional<double> back, double h1, std::optional<double> ahead, double h2)
{
    constexpr double kTooShort = 1e-6;
    if (back && ahead && h1 > kTooShort * h2 && h2 > kTooShort * h1)
        return (h1 * h1 * *ahead - h2 * h2 * *back) / (h1 * h2 * (h1 + h2));
    if (ahead && (!back || h2 >= h1) && h2 > 0)
        return *ahead / h2;
    if (back && h1 > 0)
        return -*back / h1;
    return 0;
}

void Differentiate(TrackSamples& t, const PathMeasure& measure)
{
    const std::size_t n = t.rows.size();
    const auto slope = [&](std::size_t i, auto value) {
        const std::optional<Step> b = Neighbour(t, i, -1), a = Neighbour(t, i, 1);
        return Slope(b ? std::optional(value(*b)) : std::nullopt, b ? b->along : 0,
                     a ? std::optional(value(*a)) : std::nullopt, a ? a->along : 0);
    };
    // Headings first, from the positions alone.
    for (std::size_t i = 0; i < n; ++i) {
        const double dx = slope(i, [](const Step& s) { return s.dx; });
        const double dy = slope(i, [](const Step& s) { return s.dy; });
        // Neighbours that coincide (one row round a loop): the path's own.
        t.rows[i].heading =
            dx == 0 && dy == 0 ? Radians(measure.At(t.rows[i].s).degrees) : std::atan2(dy, dx);
    }
    for (std::size_t i = 0; i < n; ++i) {
        const double here = t.rows[i].heading;
        t.rows[i].curvature =
            slope(i, [&](const Step& s) { return WrapAngle(t.rows[s.index].heading - here); });
    }
}

} // namespace

Result<TrackSamples> SampleTrack(std::string_view trackPath, double spacing, double trackWidth)
{
    if (!(spacing > 0) || !std::isfinite(spacing))
        return Fail("the spacing must be a number greater than 0");
    if (!(trackWidth >= 0) || !std::isfinite(trackWidth))
        return Fail("the track width must be a number of at least 0");
    const std::vector<PathFigure> figures = ParsePathText(trackPath);
    const PathMeasure measure(figures);
    TrackSamples t;
    t.length = measure.TotalLength();
    t.closed = !figures.empty() && figures.back().closed;
    t.halfWidth = trackWidth / 2;
    if (!measure.HasSegments() || !(t.length > 0))
        return Fail("the track has no stretch to sample");
    const double rows = std::ceil(t.length / spacing) + (t.closed ? 0 : 1);
    if (!(rows <= static_cast<double>(kMaxTrackSamples)))
        return Fail("at this spacing the track would need more than " + std::to_string(kMaxTrackSamples) +
                    " rows");

    t.rows.reserve(static_cast<std::size_t>(rows) + 1);
    const auto add = [&](double s) {
        const PathSample p = measure.At(s);
        t.rows.push_back({s, p.x, p.y, 0, 0, {}, {}, 0, 0});
    };
    // Multiples of the spacing, not a running sum, so rows far along the
    // track do not drift.
    std::size_t k = 0;
    for (double s = 0; s < t.length; s = static_cast<double>(++k) * spacing)
        add(s);
    if (!t.closed)
        add(t.length);
    Differentiate(t, measure);
    FindEdges(t, TrackSurface(figures, t.halfWidth));
    return t;
}

double DefaultSpacing(double metresPerPixel)
{
    constexpr double kMostPixels = 4;
    if (!(metresPerPixel > 0) || !std::isfinite(metresPerPixel))
        return kMostPixels;
    return std::min(1 / metresPerPixel, kMostPixels);
}

} // namespace velmora
