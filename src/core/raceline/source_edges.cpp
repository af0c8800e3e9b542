#include "core/raceline/source_edges.h"

#include "core/track/simplify.h"

#include <algorithm>
#include <array>
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

// Where on the source's centre line a point is nearest: segment and the
// share of the way along it.
struct Nearest {
    std::size_t segment = 0;
    double t = 0;
    WorldPoint at;
};

// How near stretch k of the line comes to p, if nearer than `best` has it.
void TryStretch(const std::vector<WorldPoint>& line, std::size_t k, WorldPoint p, Nearest& best,
                double& bestDistance)
{
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

Nearest NearestOn(const std::vector<WorldPoint>& line, std::size_t segments, WorldPoint p)
{
    Nearest best;
    double bestDistance = HUGE_VAL;
    for (std::size_t k = 0; k < segments; ++k)
        TryStretch(line, k, p, best, bestDistance);
    return best;
}

// The same among the stretches up to `reach` either way of stretch `around`.
Nearest NearestAround(const std::vector<WorldPoint>& line, std::size_t segments, bool closed, WorldPoint p,
                      std::size_t around, std::size_t reach)
{
    if (2 * reach + 1 >= segments)
        return NearestOn(line, segments, p);
    Nearest best;
    double bestDistance = HUGE_VAL;
    for (std::size_t step = 0; step <= 2 * reach; ++step) {
        const std::size_t k = (around + segments + step - reach) % segments;
        if (closed || (around + step >= reach && around + step - reach < segments))
            TryStretch(line, k, p, best, bestDistance);
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

// Points along the source's edge polygon on one side, a sixteenth of the
// clearance apart, and the source row whose stretch holds each.
struct EdgeSamples {
    std::vector<WorldPoint> at;
    std::vector<std::size_t> row;
};

EdgeSamples SamplesOf(const Side& side, std::size_t segments, double clearance)
{
    const std::size_t n = side.edge.size();
    EdgeSamples out;
    for (std::size_t k = 0; k < segments; ++k) {
        const WorldPoint a = side.edge[k], b = side.edge[(k + 1) % n];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        const int parts = std::clamp(static_cast<int>(std::ceil(16 * length / clearance)), 1, 4096);
        for (int i = 0; i < parts; ++i) {
            const double t = static_cast<double>(i) / parts;
            out.at.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
            out.row.push_back(k);
        }
    }
    if (segments < n) {
        out.at.push_back(side.edge[n - 1]);
        out.row.push_back(n - 1);
    }
    return out;
}

// Where a car's centre may go along one stretch of the corridor, as the
// race line takes it: the stretch moved out along its own normal by the
// widths at its ends less the clearance. A corner of the source's edge that
// juts out between two rows, or the inside edge closing round a tight turn,
// comes nearer to that than the widths straight across say: the stretch's
// rows are narrowed until every point of the edge near it (those of the
// source rows `first` to `last`) keeps the clearance.
void ClearStretch(RacelineInput& corridor, std::size_t i, const EdgeSamples& edge, std::size_t first,
                  std::size_t last, double sign, double clearance)
{
    const std::size_t n = corridor.centre.size();
    const std::size_t j = (i + 1) % n;
    std::vector<double>& width = sign > 0 ? corridor.widthLeft : corridor.widthRight;
    const WorldPoint p = corridor.centre[i], q = corridor.centre[j];
    const double length = std::hypot(q.x - p.x, q.y - p.y);
    if (!(length > 0))
        return;
    const WorldPoint u{-sign * (q.y - p.y) / length, sign * (q.x - p.x) / length};
    const auto begin = std::lower_bound(edge.row.begin(), edge.row.end(), first);
    const auto end = std::upper_bound(edge.row.begin(), edge.row.end(), last);
    for (int round = 0; round < 4; ++round) {
        const double wi = width[i] - clearance, wj = width[j] - clearance;
        if (wi < 0 || wj < 0)
            return;
        const WorldPoint a{p.x + wi * u.x, p.y + wi * u.y}, b{q.x + wj * u.x, q.y + wj * u.y};
        double deficit = 0;
        for (auto it = begin; it != end; ++it) {
            const WorldPoint e = edge.at[static_cast<std::size_t>(it - edge.row.begin())];
            if (Dot(Minus(e, p), u) > 0)
                deficit = std::max(deficit, clearance - DistanceToSegment({e.x, e.y}, {a.x, a.y}, {b.x, b.y}));
        }
        if (deficit <= 1e-9)
            return;
        width[i] = std::max(clearance, width[i] - deficit);
        width[j] = std::max(clearance, width[j] - deficit);
    }
}

// Every stretch of the corridor against the source's edge within reach of
// its nearest source rows, both sides.
void KeepClearance(RacelineInput& corridor, const SourceEdges& e, const std::vector<std::size_t>& nearest,
                   const std::array<Side, 2>& sides, double clearance)
{
    const std::size_t rows = e.centre.size();
    const std::size_t segments = e.closed ? rows : rows - 1;
    const std::size_t n = corridor.centre.size();
    double widest = 0;
    for (std::size_t k = 0; k < rows; ++k)
        widest = std::max({widest, e.widthLeft[k], e.widthRight[k]});
    for (const Side& side : sides) {
        const EdgeSamples edge = SamplesOf(side, segments, clearance);
        for (std::size_t i = 0; i < (corridor.closed ? n : n - 1); ++i) {
            // Source rows either side as far along as the clearance and the
            // widest width reach; a loop's wrapped round in two scans.
            const double reach = clearance + widest;
            std::size_t back = nearest[i], ahead = nearest[(i + 1) % n];
            for (double along = 0; along < reach && (e.closed || back > 0) && back != (ahead + 1) % rows;) {
                const std::size_t prev = (back + rows - 1) % rows;
                along += std::hypot(e.centre[back].x - e.centre[prev].x, e.centre[back].y - e.centre[prev].y);
                back = prev;
            }
            for (double along = 0; along < reach && (e.closed || ahead + 1 < segments) && (ahead + 1) % rows != back;) {
                const std::size_t next = (ahead + 1) % rows;
                along += std::hypot(e.centre[next].x - e.centre[ahead].x, e.centre[next].y - e.centre[ahead].y);
                ahead = next;
            }
            if (back <= ahead) {
                ClearStretch(corridor, i, edge, back, ahead, side.sign, clearance);
            } else {
                ClearStretch(corridor, i, edge, back, rows, side.sign, clearance);
                ClearStretch(corridor, i, edge, 0, ahead, side.sign, clearance);
            }
        }
    }
}

} // namespace

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

void TakeRowWidths(TrackSamples& samples, const SourceEdges& e, const WorldFrame& frame)
{
    const std::size_t n = e.centre.size();
    if (e.empty() || e.widthLeft.size() != n || e.widthRight.size() != n || samples.rows.empty())
        return;
    const std::size_t segments = e.closed ? n : n - 1;
    // The samples run along the source's line in its order: each is looked
    // for near where the one before was found, as far either way as the
    // step between them spans of the source's rows, and more.
    double sourceLength = 0;
    for (std::size_t k = 0; k < segments; ++k)
        sourceLength +=
            std::hypot(e.centre[(k + 1) % n].x - e.centre[k].x, e.centre[(k + 1) % n].y - e.centre[k].y);
    const double sampleLength = frame.Metres(samples.length) / double(samples.rows.size());
    const std::size_t reach =
        sourceLength > 0 ? std::size_t(std::ceil(4 * sampleLength / (sourceLength / double(segments)))) + 8
                         : segments;
    std::size_t at = 0;
    for (std::size_t r = 0; r < samples.rows.size(); ++r) {
        TrackSample& row = samples.rows[r];
        const WorldPoint p{frame.X(row.x), frame.Y(row.y)};
        const Nearest near = r == 0 ? NearestOn(e.centre, segments, p)
                                    : NearestAround(e.centre, segments, e.closed, p, at, reach);
        at = near.segment;
        const std::size_t k = near.segment, k1 = (k + 1) % n;
        row.widthLeft = (e.widthLeft[k] + near.t * (e.widthLeft[k1] - e.widthLeft[k])) / frame.metresPerPixel;
        row.widthRight =
            (e.widthRight[k] + near.t * (e.widthRight[k1] - e.widthRight[k])) / frame.metresPerPixel;
        // Left of travel on the screen, y down.
        const double lx = std::sin(row.heading), ly = -std::cos(row.heading);
        row.left = {row.x + row.widthLeft * lx, row.y + row.widthLeft * ly};
        row.right = {row.x - row.widthRight * lx, row.y - row.widthRight * ly};
    }
    samples.rowWidths = true;
}

void NarrowToSourceEdges(RacelineInput& corridor, const SourceEdges& e, double clearance)
{
    if (e.empty() || e.widthLeft.size() != e.centre.size() || e.widthRight.size() != e.centre.size())
        return;
    if (e.walls) {
        const double widest = std::max(*std::max_element(e.widthLeft.begin(), e.widthLeft.end()),
                                       *std::max_element(e.widthRight.begin(), e.widthRight.end()));
        FitToMapWalls(corridor, *e.walls, clearance, 2 * widest + clearance, e.rowWidths);
        return;
    }
    const std::size_t segments = e.closed ? e.centre.size() : e.centre.size() - 1;
    const std::vector<WorldPoint> sourceNormals = LeftNormals(e.centre, e.closed);
    const Side left = EdgeOf(e, sourceNormals, e.widthLeft, 1);
    const Side right = EdgeOf(e, sourceNormals, e.widthRight, -1);
    const std::vector<WorldPoint> normals = LeftNormals(corridor.centre, corridor.closed);
    std::vector<std::size_t> nearest(corridor.centre.size()); // source stretch nearest each row
    for (std::size_t i = 0; i < corridor.centre.size(); ++i) {
        const WorldPoint p = corridor.centre[i];
        const Nearest at = NearestOn(e.centre, segments, p);
        const double l = ReachOnSide(e, left, segments, at, p, normals[i]);
        const double r = ReachOnSide(e, right, segments, at, p, normals[i]);
        corridor.widthLeft[i] = std::max(0.0, std::min(corridor.widthLeft[i], l));
        corridor.widthRight[i] = std::max(0.0, std::min(corridor.widthRight[i], r));
        nearest[i] = at.segment;
    }
    if (clearance > 0)
        KeepClearance(corridor, e, nearest, {left, right}, clearance);
}

} // namespace velmora
