#include "core/formats/rl_data.h"

#include "core/formats/number_text.h"
#include "core/geometry/angles.h"
#include "core/track/rounding.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr double kHalfPi = kPi / 2;

std::int32_t Pixel(double v)
{
    return ToInt32Saturated(RoundHalfEven(v));
}

// Stable sort by distance. Distances between canvas points span a few
// thousand values, so a counting sort does it in linear time; a wide spread
// falls back to the comparison sort. Both give the same order.
void StableSortByDistance(std::vector<RLEndpoint>& ends)
{
    const auto [lowest, highest] =
        std::minmax_element(ends.begin(), ends.end(),
                            [](const RLEndpoint& a, const RLEndpoint& b) { return a.distance < b.distance; });
    const std::int64_t low = lowest->distance;
    const std::uint64_t spread = static_cast<std::uint64_t>(highest->distance - low);
    if (spread > 4 * ends.size() + 4096) {
        std::stable_sort(ends.begin(), ends.end(),
                         [](const RLEndpoint& a, const RLEndpoint& b) { return a.distance < b.distance; });
        return;
    }
    std::vector<std::size_t> next(spread + 2, 0);
    for (const RLEndpoint& e : ends)
        ++next[static_cast<std::size_t>(e.distance - low) + 1];
    for (std::size_t i = 1; i < next.size(); ++i)
        next[i] += next[i - 1];
    std::vector<RLEndpoint> sorted(ends.size());
    for (const RLEndpoint& e : ends)
        sorted[next[static_cast<std::size_t>(e.distance - low)]++] = e;
    ends.swap(sorted);
}

std::int64_t Manhattan(const RLEndpoint& e, const RLMarker& m)
{
    return std::abs(std::int64_t{m.x} - e.x) + std::abs(std::int64_t{m.y} - e.y);
}

// The lines NearestLine would name for the markers in turn, without sorting.
// After stable sorts by the distances to markers 0..k, the ends stand in
// order of (distance to marker k, to marker k-1, ..., to marker 0, creation
// order), so the first end is found by narrowing the closest ends marker by
// marker backwards. Sorting every end once per marker took seconds on long
// tracks with many markers.
std::vector<int> NearestLines(const std::vector<RLEndpoint>& ends, const std::vector<RLMarker>& markers)
{
    std::vector<int> nearest;
    nearest.reserve(markers.size());
    std::vector<std::size_t> closest;
    std::vector<std::size_t> narrowed;
    for (std::size_t k = 0; k < markers.size(); ++k) {
        if (ends.empty()) {
            nearest.push_back(0);
            continue;
        }
        closest.assign(1, 0);
        std::int64_t best = Manhattan(ends[0], markers[k]);
        for (std::size_t i = 1; i < ends.size(); ++i) {
            const std::int64_t d = Manhattan(ends[i], markers[k]);
            if (d < best) {
                best = d;
                closest.assign(1, i);
            } else if (d == best) {
                closest.push_back(i);
            }
        }
        for (std::size_t j = k; j-- > 0 && closest.size() > 1;) {
            std::int64_t least = Manhattan(ends[closest[0]], markers[j]);
            for (std::size_t i : closest)
                least = std::min(least, Manhattan(ends[i], markers[j]));
            narrowed.clear();
            for (std::size_t i : closest)
                if (Manhattan(ends[i], markers[j]) == least)
                    narrowed.push_back(i);
            closest.swap(narrowed);
        }
        nearest.push_back(ends[closest.front()].index);
    }
    return nearest;
}

void AppendValue(std::string& out, std::int64_t v)
{
    out += std::to_string(v);
    out += ", ";
}

} // namespace

int RLAngle(double theta)
{
    const double t = RoundHalfEven(theta);
    double angle = 0;
    if ((t >= 0 && t <= 180) || (t >= -90 && t <= -1))
        angle = theta + 90;
    else if (t >= -180 && t <= -91)
        angle = theta + 450;
    return ToInt32Saturated(RoundHalfEven(angle));
}

Status RLExportProblem(const PathMeasure& path, double markerGap, double trackWidth)
{
    if (!(trackWidth >= 0 && trackWidth <= kWidestRLTrack))
        return Fail("the track width must be a number from 0 to " + FormatShortest(kWidestRLTrack) +
                    " pixels, not " + FormatShortest(trackWidth));
    if (!(markerGap > 0))
        return Fail("the marker gap must be greater than 0");
    const double length = path.TotalLength();
    if (!std::isfinite(length) || !std::isfinite(markerGap))
        return Fail("the track length or marker gap is not a finite number");
    // Lines stand at gap/2 + k gap while that is below the length.
    const double lines = std::ceil((length - markerGap / 2) / markerGap);
    if (lines > static_cast<double>(kMaxRLLines))
        return Fail("the track would need more than 1000000 lines at this marker gap");
    return {};
}

std::vector<RLLine> ComputeRLLines(const PathMeasure& path, double markerGap, double trackWidth)
{
    std::vector<RLLine> lines;
    const double length = path.TotalLength();
    const double q = trackWidth * 0.25;
    double d = markerGap / 2;
    // The cap only guards against a caller that skipped RLExportProblem: the
    // loop must end even when d + gap no longer grows.
    for (int k = 0; k < kMaxRLLines; ++k) {
        const PathSample p = path.At(d);
        const double theta = p.degrees;
        double a = Radians(theta) - kHalfPi;
        RLLine line;
        line.index = k;
        line.angle = RLAngle(theta);
        line.x1 = p.x + q * std::cos(a);
        line.y1 = p.y + q * std::sin(a);
        a += kPi;
        line.x2 = p.x + q * std::cos(a);
        line.y2 = p.y + q * std::sin(a);
        lines.push_back(line);
        d += markerGap;
        if (!(d < length))
            break;
    }
    return lines;
}

std::vector<RLEndpoint> RLEndpoints(const std::vector<RLLine>& lines)
{
    std::vector<RLEndpoint> ends;
    ends.reserve(lines.size() * 2);
    for (const RLLine& line : lines) {
        ends.push_back({Pixel(line.x1), Pixel(line.y1), line.index, 0});
        ends.push_back({Pixel(line.x2), Pixel(line.y2), line.index, 0});
    }
    return ends;
}

int NearestLine(std::int32_t x, std::int32_t y, std::vector<RLEndpoint>& endpoints)
{
    if (endpoints.empty())
        return 0;
    for (RLEndpoint& e : endpoints) {
        e.distance = std::abs(std::int64_t{x} - e.x) + std::abs(std::int64_t{y} - e.y);
    }
    StableSortByDistance(endpoints);
    return endpoints.front().index;
}

RLExport BuildRLExport(const PathMeasure& path, const std::vector<RLMarker>& markers, double markerGap,
                       double trackWidth)
{
    const std::vector<RLLine> lines = ComputeRLLines(path, markerGap, trackWidth);
    std::vector<RLEndpoint> ends = RLEndpoints(lines);

    RLExport out;
    out.endMarks.reserve(ends.size());
    for (const RLEndpoint& e : ends)
        out.endMarks.push_back({e.x, e.y});

    out.text.reserve(32 * (lines.size() + markers.size()) + 96);
    out.text += "; angle, x1, y1, x2, y2, \r\n";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        AppendValue(out.text, lines[i].angle);
        AppendValue(out.text, ends[2 * i].x);
        AppendValue(out.text, ends[2 * i].y);
        AppendValue(out.text, ends[2 * i + 1].x);
        AppendValue(out.text, ends[2 * i + 1].y);
        out.text += "\r\n";
    }
    out.text += "*markers*\r\n; position.i, type.i, x.i, y.i, \r\n";
    const std::vector<int> nearest = NearestLines(ends, markers);
    for (std::size_t k = 0; k < markers.size(); ++k) {
        const RLMarker& m = markers[k];
        AppendValue(out.text, nearest[k]);
        AppendValue(out.text, m.type);
        AppendValue(out.text, m.x);
        AppendValue(out.text, m.y);
        out.text += "\r\n";
    }
    return out;
}

} // namespace velmora
