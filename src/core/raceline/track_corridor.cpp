#include "core/raceline/track_corridor.h"

#include "core/formats/number_text.h"
#include "core/geometry/angles.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace velmora {

namespace {

// Points closer than this to the one before are the same point.
constexpr double kSamePoint = 1e-9;
// The line is optimised at reference points about this share of the track's
// mean width apart: fine enough to follow any corner the car can take and
// the edges between them, and the solver's work grows with their number.
constexpr double kReferenceStepPerWidth = 0.2;
constexpr std::size_t kMaxReferencePoints = 20000;
constexpr std::size_t kMinReferencePoints = 12;
// Where the centre runs straight (turning less than this, in radians) and
// keeps its width (changing less than this share of the mean width) for a
// mean width either way, only every third reference point is kept: the
// line there is nearly straight too, and the solver's work follows the
// number of points.
constexpr double kPlainTurn = 0.035;
constexpr double kPlainWidthChange = 0.05;
constexpr std::size_t kPlainStride = 3;
// Reference points either side that set a normal's direction.
constexpr std::size_t kNormalReach = 2;
// Rows outside the corridor by more than this send the solver round again
// with a narrower corridor; less is only projected back.
constexpr double kTolerableExcess = 0.0005;
// The corridor is narrowed this much beyond what the rows needed, so that
// the next line keeps inside without rows being moved back afterwards:
// moved rows leave kinks that cost more curvature than the spare.
constexpr double kSpare = 0.003;

std::string Metres(double v)
{
    return FormatFixed(v, 2) + " m";
}

struct TrackPlace {
    std::size_t segment = 0;
    double along = 0; // share of the segment, 0..1
};

TrackPlace PlaceAt(const CentreTrack& track, double s)
{
    const std::size_t segments = track.Segments();
    const auto it =
        std::upper_bound(track.start.begin(), track.start.begin() + static_cast<long>(segments), s);
    const std::size_t j =
        it == track.start.begin() ? 0 : static_cast<std::size_t>(it - track.start.begin()) - 1;
    const double begin = track.start[j];
    const double end = j + 1 < track.point.size() ? track.start[j + 1] : track.length;
    const double span = end - begin;
    return {j, span > 0 ? std::clamp((s - begin) / span, 0.0, 1.0) : 0.0};
}

double Lerp(double a, double b, double t)
{
    return a + (b - a) * t;
}

// The nearest point of the track's centre to p among the segments starting
// within [from, to] along the track, and the edges' distances there.
struct Nearest {
    WorldPoint at;
    WorldPoint leftNormal; // of the segment that holds it
    double right = 0;
    double left = 0;
    double distance = INFINITY;
};

Nearest NearestCentre(const CentreTrack& track, WorldPoint p, double from, double to)
{
    const std::size_t segments = track.Segments();
    const std::size_t n = track.point.size();
    std::size_t first = 0;
    std::size_t count = segments;
    if (to - from < track.length) {
        const double lo = track.closed ? std::fmod(from + track.length, track.length) : std::max(from, 0.0);
        first = PlaceAt(track, lo).segment;
        const std::size_t last =
            PlaceAt(track, track.closed ? std::fmod(to, track.length) : std::min(to, track.length)).segment;
        count = (last + segments - first) % segments + 1;
        if (!track.closed)
            count = last >= first ? last - first + 1 : 1;
    }
    Nearest best;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t j = (first + k) % segments;
        const WorldPoint a = track.point[j];
        const WorldPoint b = track.point[(j + 1) % n];
        const double dx = b.x - a.x;
        const double dy = b.y - a.y;
        const double len2 = dx * dx + dy * dy;
        const double t = len2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0) : 0.0;
        const WorldPoint q{a.x + t * dx, a.y + t * dy};
        const double d = std::hypot(p.x - q.x, p.y - q.y);
        if (d < best.distance) {
            const double len = std::sqrt(len2);
            best.at = q;
            best.leftNormal = len > 0 ? WorldPoint{-dy / len, dx / len} : WorldPoint{0, 0};
            best.right = Lerp(track.right[j], track.right[(j + 1) % n], t);
            best.left = Lerp(track.left[j], track.left[(j + 1) % n], t);
            best.distance = d;
        }
    }
    return best;
}

} // namespace

Result<CentreTrack> CleanTrack(const RacelineInput& input)
{
    const std::size_t n = input.centre.size();
    if (input.widthRight.size() != n || input.widthLeft.size() != n)
        return Fail("the centre line has " + std::to_string(n) + " points but not as many track widths");
    CentreTrack track;
    track.closed = input.closed;
    for (std::size_t i = 0; i < n; ++i) {
        const WorldPoint p = input.centre[i];
        const double r = input.widthRight[i];
        const double l = input.widthLeft[i];
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(r) || !std::isfinite(l))
            return Fail("point " + std::to_string(i + 1) + " of the centre line is not a finite number");
        if (r < 0 || l < 0)
            return Fail("point " + std::to_string(i + 1) + " of the centre line has a negative track width");
        if (!track.point.empty() &&
            std::hypot(p.x - track.point.back().x, p.y - track.point.back().y) <= kSamePoint)
            continue;
        track.point.push_back(p);
        track.right.push_back(r);
        track.left.push_back(l);
    }
    while (track.closed && track.point.size() > 1 &&
           std::hypot(track.point.back().x - track.point[0].x, track.point.back().y - track.point[0].y) <=
               kSamePoint) {
        track.point.pop_back();
        track.right.pop_back();
        track.left.pop_back();
    }
    std::vector<std::pair<double, double>> distinct;
    for (const WorldPoint& p : track.point)
        distinct.emplace_back(p.x, p.y);
    std::sort(distinct.begin(), distinct.end());
    if (std::unique(distinct.begin(), distinct.end()) - distinct.begin() < 3)
        return Fail("the track has fewer than 3 distinct points");
    track.start.resize(track.point.size());
    for (std::size_t j = 0; j < track.Segments(); ++j) {
        const WorldPoint a = track.point[j];
        const WorldPoint b = track.point[(j + 1) % track.point.size()];
        track.start[j] = track.length;
        track.length += std::hypot(b.x - a.x, b.y - a.y);
    }
    if (!track.closed)
        track.start.back() = track.length;
    if (!(track.length > 0))
        return Fail("the track has zero length");
    return track;
}

Status CheckFit(const CentreTrack& track, const Vehicle& vehicle)
{
    std::size_t narrowest = 0;
    for (std::size_t i = 1; i < track.point.size(); ++i)
        if (track.right[i] + track.left[i] < track.right[narrowest] + track.left[narrowest])
            narrowest = i;
    const double width = track.right[narrowest] + track.left[narrowest];
    const double needed = 2 * vehicle.Clearance();
    if (width >= needed)
        return {};
    return Fail("the track is " + Metres(width) + " wide " + FormatFixed(track.start[narrowest], 0) +
                " m from the start, narrower than the " + Metres(needed) + " the vehicle needs (" +
                Metres(vehicle.widthM) + " wide and " + Metres(vehicle.Clearance() - vehicle.widthM / 2) +
                " clear of each edge)");
}

void NarrowWithinReach(CentreTrack& track, double reach)
{
    const std::size_t n = track.point.size();
    const std::vector<double> right = track.right, left = track.left;
    // Distance from point i to the point `k` places on, forward or back.
    const auto apart = [&](std::size_t i, std::size_t k, bool forward) {
        const std::size_t j = forward ? (i + k) % n : (i + n - k) % n;
        const double d = forward ? track.start[j] - track.start[i] : track.start[i] - track.start[j];
        return std::make_pair(j, d < 0 ? d + track.length : d);
    };
    for (std::size_t i = 0; i < n; ++i) {
        for (const bool forward : {true, false}) {
            for (std::size_t k = 1; k < n; ++k) {
                if (!track.closed && (forward ? i + k >= n : k > i))
                    break;
                const auto [j, d] = apart(i, k, forward);
                if (d > reach)
                    break;
                track.right[i] = std::min(track.right[i], right[j]);
                track.left[i] = std::min(track.left[i], left[j]);
            }
        }
    }
}

namespace {

// The centre and the widths at evenly spaced places along the track.
struct Places {
    std::vector<double> s;
    std::vector<WorldPoint> centre;
    std::vector<double> right, left, heading; // heading unwrapped along the places
};

Places EvenPlaces(const CentreTrack& track, std::size_t count, std::size_t n)
{
    Places p;
    const double step = track.length / static_cast<double>(count);
    for (std::size_t i = 0; i < n; ++i) {
        const double s = std::min(step * static_cast<double>(i), track.length);
        const TrackPlace place = PlaceAt(track, s);
        const std::size_t a = place.segment;
        const std::size_t b = (a + 1) % track.point.size();
        p.s.push_back(s);
        p.centre.push_back({Lerp(track.point[a].x, track.point[b].x, place.along),
                            Lerp(track.point[a].y, track.point[b].y, place.along)});
        p.right.push_back(Lerp(track.right[a], track.right[b], place.along));
        p.left.push_back(Lerp(track.left[a], track.left[b], place.along));
        const double h = std::atan2(track.point[b].y - track.point[a].y, track.point[b].x - track.point[a].x);
        p.heading.push_back(i == 0 ? h : p.heading.back() + WrapAngle(h - p.heading.back()));
    }
    return p;
}

// The range of v over the places within `reach` of place i; on a loop,
// `turn` is added to a value past its end and taken off one before its start
// (the unwrapped heading gains a whole turn a lap).
double Spread(const std::vector<double>& v, std::size_t i, std::size_t reach, bool closed, double turn)
{
    const std::size_t n = v.size();
    double lo = v[i], hi = v[i];
    for (std::size_t k = 1; k <= reach; ++k) {
        const double ahead = closed ? v[(i + k) % n] + (i + k >= n ? turn : 0) : v[std::min(i + k, n - 1)];
        const double behind = closed ? v[(i + n - k) % n] - (i < k ? turn : 0) : v[i >= k ? i - k : 0];
        lo = std::min({lo, ahead, behind});
        hi = std::max({hi, ahead, behind});
    }
    return hi - lo;
}

// The places worth a reference point: one in kPlainStride where the track
// is plain for `reach` places either way, all the others.
std::vector<std::size_t> KeptPlaces(const Places& p, std::size_t reach, double meanWidth, bool closed)
{
    const std::size_t n = p.s.size();
    const double lap = p.heading.back() + WrapAngle(p.heading.front() - p.heading.back()) - p.heading.front();
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < n; ++i) {
        const bool plain = Spread(p.heading, i, reach, closed, lap) < kPlainTurn &&
                           Spread(p.right, i, reach, closed, 0) < kPlainWidthChange * meanWidth &&
                           Spread(p.left, i, reach, closed, 0) < kPlainWidthChange * meanWidth;
        const bool last = !closed && i + 1 == n;
        if (kept.empty() || !plain || last || i - kept.back() >= kPlainStride)
            kept.push_back(i);
    }
    return kept;
}

} // namespace

// Reference points along the track, closer where it turns or changes
// width, normals from their neighbours (smooth even where the polyline has
// a kink), and the offsets that keep the car's clearance from both edges.
Corridor BuildCorridor(const CentreTrack& track, double clearance, std::vector<double>& referenceS)
{
    double meanWidth = 0;
    for (std::size_t i = 0; i < track.point.size(); ++i)
        meanWidth += track.right[i] + track.left[i];
    meanWidth /= static_cast<double>(track.point.size());
    const double wanted = std::max(kReferenceStepPerWidth * meanWidth, track.length / kMaxReferencePoints);
    const std::size_t count = std::max<std::size_t>(
        kMinReferencePoints, static_cast<std::size_t>(std::ceil(track.length / wanted)));
    const Places places = EvenPlaces(track, count, track.closed ? count : count + 1);
    const auto window = static_cast<std::size_t>(std::ceil(meanWidth / (track.length / static_cast<double>(count))));
    const std::vector<std::size_t> kept = count > kMinReferencePoints * kPlainStride
                                              ? KeptPlaces(places, window, meanWidth, track.closed)
                                              : std::vector<std::size_t>();
    const std::size_t n = kept.empty() ? places.s.size() : kept.size();

    Corridor corridor;
    corridor.closed = track.closed;
    std::vector<double> right(n), left(n);
    referenceS.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t k = kept.empty() ? i : kept[i];
        referenceS[i] = places.s[k];
        corridor.centre.push_back(places.centre[k]);
        right[i] = places.right[k];
        left[i] = places.left[k];
    }
    // Normals from neighbours a few points away: where the centre line has a
    // kink they turn over a stretch as long as the track is wide, so the
    // offsets of neighbouring points do not cross.
    const std::size_t reach = kNormalReach;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t prev = track.closed ? (i + n - reach % n) % n : (i < reach ? 0 : i - reach);
        const std::size_t next = track.closed ? (i + reach) % n : std::min(i + reach, n - 1);
        double tx = corridor.centre[next].x - corridor.centre[prev].x;
        double ty = corridor.centre[next].y - corridor.centre[prev].y;
        if (std::hypot(tx, ty) <= kSamePoint) { // the track turns back on itself here
            const TrackPlace place = PlaceAt(track, referenceS[i]);
            const WorldPoint a = track.point[place.segment];
            const WorldPoint b = track.point[(place.segment + 1) % track.point.size()];
            tx = b.x - a.x;
            ty = b.y - a.y;
        }
        const double len = std::hypot(tx, ty);
        corridor.normal.push_back({-ty / len, tx / len});
        corridor.lower.push_back(clearance - right[i]);
        corridor.upper.push_back(left[i] - clearance);
    }
    if (!track.closed) { // an open line starts and ends on the centre, or as near as it may
        for (const std::size_t end : {std::size_t{0}, n - 1}) {
            const double kept = std::clamp(0.0, corridor.lower[end], corridor.upper[end]);
            corridor.lower[end] = corridor.upper[end] = kept;
        }
    }
    return corridor;
}

// How far each row lies outside the corridor: positive on the left,
// negative on the right, 0 inside. Rows outside are moved back onto its edge.
std::vector<double> KeepInside(const CentreTrack& track, double clearance,
                               const std::vector<double>& referenceS, const std::vector<std::size_t>& segment,
                               std::vector<WorldPoint>& points)
{
    double widest = 0;
    for (std::size_t i = 0; i < track.point.size(); ++i)
        widest = std::max({widest, track.right[i], track.left[i]});
    const double reach = 2 * widest + 1;
    const std::size_t refs = referenceS.size();
    std::vector<double> excess(points.size(), 0.0);
    for (std::size_t r = 0; r < points.size(); ++r) {
        WorldPoint& row = points[r];
        const std::size_t i = segment[r];
        const double from = referenceS[i] - reach;
        const double to = (i + 1 < refs ? referenceS[i + 1] : track.length) + reach;
        const WorldPoint p = row;
        const Nearest near = NearestCentre(track, p, from, to);
        if (!std::isfinite(near.distance))
            continue;
        const double side = (p.x - near.at.x) * near.leftNormal.x + (p.y - near.at.y) * near.leftNormal.y;
        const double offset = side >= 0 ? near.distance : -near.distance;
        const double kept = std::clamp(offset, clearance - near.right, near.left - clearance);
        if (kept == offset)
            continue;
        excess[r] = offset - kept;
        if (offset != 0 && (kept > 0) == (offset > 0)) {
            row.x = near.at.x + (p.x - near.at.x) * kept / offset;
            row.y = near.at.y + (p.y - near.at.y) * kept / offset;
        } else {
            row.x = near.at.x + near.leftNormal.x * kept;
            row.y = near.at.y + near.leftNormal.y * kept;
        }
    }
    return excess;
}

// Narrows the corridor at the reference points either side of rows that
// left it, so that the next solution keeps the whole line inside. True when
// something was narrowed.
bool Tighten(const std::vector<std::size_t>& segment, const std::vector<double>& excess,
             const std::vector<double>& offsets, Corridor& corridor)
{
    bool changed = false;
    const std::size_t n = corridor.centre.size();
    for (std::size_t r = 0; r < excess.size(); ++r) {
        if (std::abs(excess[r]) <= kTolerableExcess)
            continue;
        for (const std::size_t i : {segment[r], (segment[r] + 1) % n}) {
            double& lower = corridor.lower[i];
            double& upper = corridor.upper[i];
            const double was = excess[r] > 0 ? upper : lower;
            if (excess[r] > 0)
                upper = std::max(lower, std::min(upper, offsets[i] - excess[r] - kSpare));
            else
                lower = std::min(upper, std::max(lower, offsets[i] - excess[r] + kSpare));
            changed = changed || (excess[r] > 0 ? upper : lower) != was;
        }
    }
    return changed;
}

} // namespace velmora
