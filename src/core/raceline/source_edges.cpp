#include "core/raceline/source_edges.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>

namespace velmora {

namespace {

WorldPoint Minus(WorldPoint a, WorldPoint b)
{
    return {a.x - b.x, a.y - b.y};
}

double Dot(WorldPoint a, WorldPoint b)
{
    return a.x * b.x + a.y * b.y;
}

double Cross(WorldPoint a, WorldPoint b)
{
    return a.x * b.y - a.y * b.x;
}

// The unit normal to the left of travel at each point, from its neighbours
// either side, so that it is smooth across a kink; (0, 0) where they meet.
std::vector<WorldPoint> LeftNormals(const std::vector<WorldPoint>& p, bool closed)
{
    const std::size_t n = p.size();
    std::vector<WorldPoint> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        const WorldPoint prev = closed ? p[(i + n - 1) % n] : p[i == 0 ? 0 : i - 1];
        const WorldPoint next = closed ? p[(i + 1) % n] : p[std::min(i + 1, n - 1)];
        const WorldPoint d = Minus(next, prev);
        const double length = std::hypot(d.x, d.y);
        if (length > 0)
            out[i] = {-d.y / length, d.x / length};
    }
    return out;
}

// Where on the source's centre line a point is nearest: segment and the
// share of the way along it.
struct Nearest {
    std::size_t segment = 0;
    double t = 0;
    WorldPoint at;
};

Nearest NearestOn(const std::vector<WorldPoint>& line, std::size_t segments, WorldPoint p)
{
    Nearest best;
    double bestDistance = HUGE_VAL;
    for (std::size_t k = 0; k < segments; ++k) {
        const WorldPoint a = line[k], b = line[(k + 1) % line.size()];
        const WorldPoint d = Minus(b, a);
        const double dd = Dot(d, d);
        const double t = dd > 0 ? std::clamp(Dot(Minus(p, a), d) / dd, 0.0, 1.0) : 0;
        const WorldPoint q{a.x + t * d.x, a.y + t * d.y};
        const double distance = std::hypot(p.x - q.x, p.y - q.y);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = {k, t, q};
        }
    }
    return best;
}

// How far from p along the unit direction u the ray first crosses segment ab.
std::optional<double> RayHits(WorldPoint p, WorldPoint u, WorldPoint a, WorldPoint b)
{
    const WorldPoint d = Minus(b, a);
    const double denominator = Cross(u, d);
    if (denominator == 0)
        return std::nullopt;
    const WorldPoint ap = Minus(a, p);
    const double lambda = Cross(ap, d) / denominator;
    const double t = Cross(ap, u) / denominator;
    if (lambda < 0 || t < 0 || t > 1)
        return std::nullopt;
    return lambda;
}

struct Side {
    std::vector<WorldPoint> edge; // the source's edge on this side
    const std::vector<double>* width;
    double sign; // +1 left, -1 right
};

Side EdgeOf(const SourceEdges& e, const std::vector<WorldPoint>& normals, const std::vector<double>& width,
            double sign)
{
    Side side{{}, &width, sign};
    for (std::size_t j = 0; j < e.centre.size(); ++j)
        side.edge.push_back(
            {e.centre[j].x + sign * width[j] * normals[j].x, e.centre[j].y + sign * width[j] * normals[j].y});
    return side;
}

// The distance from p along its normal to the source's edge on one side:
// the first crossing of the edge's segments near the nearest source row
// (as far along the source as the track is wide either way, so that the
// other leg of a hairpin is never taken for this one), else the source's
// width there less how far p lies off the source's centre.
double ReachOnSide(const SourceEdges& e, const Side& side, std::size_t segments, const Nearest& at,
                   WorldPoint p, WorldPoint normal)
{
    const std::size_t n = e.centre.size();
    const std::vector<double>& w = *side.width;
    const double widthHere = w[at.segment] + at.t * (w[(at.segment + 1) % n] - w[at.segment]);
    const WorldPoint u{side.sign * normal.x, side.sign * normal.y};
    double reach = 3 * widthHere;
    std::optional<double> best;
    const auto tryAt = [&](std::size_t k) {
        if (const std::optional<double> hit = RayHits(p, u, side.edge[k], side.edge[(k + 1) % n]))
            best = best ? std::min(*best, *hit) : *hit;
    };
    tryAt(at.segment);
    double along = 0;
    for (std::size_t step = 1; step < segments && along < reach; ++step) {
        const bool forward = e.closed || at.segment + step < segments;
        const bool backward = e.closed || at.segment >= step;
        const std::size_t ahead = (at.segment + step) % segments;
        const std::size_t behind = (at.segment + segments - step) % segments;
        if (forward)
            tryAt(ahead);
        if (backward)
            tryAt(behind);
        const WorldPoint d = Minus(e.centre[(ahead + 1) % n], e.centre[ahead]);
        along += std::hypot(d.x, d.y);
        if (!forward && !backward)
            break;
    }
    if (best)
        return *best;
    return widthHere - side.sign * Dot(Minus(p, at.at), normal);
}

} // namespace

void NarrowToSourceEdges(RacelineInput& corridor, const SourceEdges& e)
{
    if (e.empty() || e.widthLeft.size() != e.centre.size() || e.widthRight.size() != e.centre.size())
        return;
    const std::size_t segments = e.closed ? e.centre.size() : e.centre.size() - 1;
    const std::vector<WorldPoint> sourceNormals = LeftNormals(e.centre, e.closed);
    const Side left = EdgeOf(e, sourceNormals, e.widthLeft, 1);
    const Side right = EdgeOf(e, sourceNormals, e.widthRight, -1);
    const std::vector<WorldPoint> normals = LeftNormals(corridor.centre, corridor.closed);
    for (std::size_t i = 0; i < corridor.centre.size(); ++i) {
        const WorldPoint p = corridor.centre[i];
        const Nearest at = NearestOn(e.centre, segments, p);
        const double l = ReachOnSide(e, left, segments, at, p, normals[i]);
        const double r = ReachOnSide(e, right, segments, at, p, normals[i]);
        corridor.widthLeft[i] = std::max(0.0, std::min(corridor.widthLeft[i], l));
        corridor.widthRight[i] = std::max(0.0, std::min(corridor.widthRight[i], r));
    }
}

} // namespace velmora
