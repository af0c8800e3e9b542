#include "core/mapin/loop_check.h"

#include "core/formats/number_text.h"
#include "core/mapin/distance_transform.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// How much farther (cells) the map's walls may be than the ring's along the
// middle of the loop: the ring's walls lie on a cell's edge, the loop
// between them finer than that.
constexpr double kWiderThanRing = 2;

std::string Metres(double v)
{
    return FormatFixed(v, 2);
}

std::string MiddleOf(const std::vector<MedialPoint>& loop, const WorldFrame& frame)
{
    CellBox box;
    for (const MedialPoint& p : loop)
        box.Add(int(p.x), int(p.y));
    const double x = (box.minX + box.maxX) / 2.0 + 0.5, y = (box.minY + box.maxY) / 2.0 + 0.5;
    return Metres(frame.X(x)) + "," + Metres(frame.Y(y)) + " m";
}

// Along the loop, how much farther the nearest non-free cell is than the
// nearer of the ring's walls, the median: 0 when the ring's walls are the
// map's. The distances are taken a row at a time, at the loop's cells only.
double MedianRoomBeyond(const std::vector<MedialPoint>& loop, const TrackRing& ring)
{
    const CellMask& free = ring.free;
    std::vector<std::pair<std::size_t, std::size_t>> at; // cell, point; in row order
    at.reserve(loop.size());
    for (std::size_t k = 0; k < loop.size(); ++k) {
        const int x = std::clamp(int(loop[k].x) - ring.window.minX, 0, free.width - 1);
        const int y = std::clamp(int(loop[k].y) - ring.window.minY, 0, free.height - 1);
        at.emplace_back(free.Index(x, y), k);
    }
    std::sort(at.begin(), at.end());
    DistanceRows rows(free, 0);
    std::vector<double> beyond;
    beyond.reserve(loop.size());
    const float* d = nullptr;
    int rowY = -1;
    for (const auto& [cell, k] : at) {
        const int y = int(cell / std::size_t(free.width));
        while (rowY < y)
            d = rows.Row(++rowY);
        const float d2 = d[cell % std::size_t(free.width)];
        const double map = d2 >= kNoCell ? free.width + free.height : std::sqrt(double(d2));
        beyond.push_back(map - 0.5 - std::min(loop[k].inner, loop[k].outer));
    }
    std::nth_element(beyond.begin(), beyond.begin() + long(beyond.size() / 2), beyond.end());
    return beyond[beyond.size() / 2];
}

} // namespace

double LoopLength(const std::vector<MedialPoint>& loop)
{
    double length = 0;
    for (std::size_t i = 0; i < loop.size(); ++i) {
        const MedialPoint &a = loop[i], &b = loop[(i + 1) % loop.size()];
        length += std::hypot(b.x - a.x, b.y - a.y);
    }
    return length;
}

Status CheckLoop(const std::vector<MedialPoint>& loop, const TrackRing& ring, const WorldFrame& frame)
{
    if (loop.size() < 3)
        return Fail("the track round " + MiddleOf(loop, frame) + " is too narrow to find its centre line");
    const double length = LoopLength(loop);
    if (ring.spaceAcross > 0 && length < ring.spaceAcross)
        return Fail("the loop found round " + MiddleOf(loop, frame) + " is only " + Metres(frame.Metres(length)) +
                    " m long, in free space " + Metres(frame.Metres(ring.spaceAcross)) +
                    " m across: it is not the track");
    // Without gaps closed the ring is a whole free area and its walls are
    // the map's (a free cell beyond them touches the ring at a corner only,
    // a wall cell beside it): nothing to measure.
    const double beyond = ring.closing > 0 ? MedianRoomBeyond(loop, ring) : 0;
    if (beyond > kWiderThanRing)
        return Fail("the loop found round " + MiddleOf(loop, frame) +
                    " is narrower than the free space it lies in (its walls are mostly " +
                    Metres(frame.Metres(beyond)) + " m short of the map's): it is not the track");
    return {};
}

} // namespace velmora
