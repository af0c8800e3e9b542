#include "render/gazebo/wall_trace.h"

#include "core/track/path.h"
#include "core/track/track_surface.h"
#include "render/occupancy_map.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace velmora {

namespace {

constexpr uchar kWall = 0;
// Sharper corners than this would throw the outer line far beyond the
// wall; there it is cut short.
constexpr double kMaxMitre = 6;

// Screen directions in clockwise order: east, south, west, north.
constexpr int kDx[4] = {1, 0, -1, 0};
constexpr int kDy[4] = {0, 1, 0, -1};

// A unit edge between a surface pixel and a wall pixel, walked with the wall
// on the left; (x, y) is its starting pixel corner.
struct Edge {
    std::int64_t key = 0; // the corner as one number, to sort and look up by
    int x = 0;
    int y = 0;
    int dir = 0;
};

class Tracer {
public:
    Tracer(const QImage& map, const std::vector<PathFigure>& path, double trackWidth)
        : map_(map), w_(map.width()), h_(map.height()), halfWidth_(trackWidth / 2),
          outline_(path, halfWidth_, w_, h_)
    {
    }

    std::vector<WallStrip> Trace(const std::vector<PathFigure>& path)
    {
        FillSurface(path);
        std::sort(edges_.begin(), edges_.end(), [](const Edge& a, const Edge& b) {
            return a.key != b.key ? a.key < b.key : a.dir < b.dir;
        });
        Link();
        std::vector<WallStrip> out;
        std::vector<char> used(edges_.size(), 0);
        // Chains cut by the canvas's border first, then the closed loops.
        std::vector<char> hasPrev(edges_.size(), 0);
        for (const int n : next_)
            if (n >= 0)
                hasPrev[std::size_t(n)] = 1;
        for (std::size_t e = 0; e < edges_.size(); ++e)
            if (!hasPrev[e])
                Chain(int(e), used, out);
        for (std::size_t e = 0; e < edges_.size(); ++e)
            if (!used[e])
                Chain(int(e), used, out);
        return out;
    }

private:
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
    bool IsWall(int x, int y) const { return Inside(x, y) && map_.constScanLine(y)[x] == kWall; }
    std::int64_t Key(int x, int y) const { return std::int64_t(y) * (w_ + 1) + x; }

    // The surface is every free pixel 4-connected to the centre line: the
    // map's walls are two pixels thick, so nothing outside leaks in.
    void FillSurface(const std::vector<PathFigure>& path)
    {
        surface_.assign(std::size_t(w_) * std::size_t(h_), 0);
        std::vector<int> todo;
        // A pixel under the centre line is surface when its centre is: a
        // track too thin to cover one has no surface to start from.
        const auto seed = [&](const PathMeasure::Segment& s, double t) {
            const CanvasPoint a{s.a.x, s.a.y}, b{s.b.x, s.b.y};
            const double x = a.x + (b.x - a.x) * t, y = a.y + (b.y - a.y) * t;
            if (!(x >= 0 && y >= 0 && x < w_ && y < h_))
                return;
            const int px = int(x), py = int(y);
            if (DistanceToSegment({px + 0.5, py + 0.5}, a, b) <= halfWidth_)
                todo.push_back(py * w_ + px);
        };
        const PathMeasure measure(path);
        for (const PathMeasure::Segment& s : measure.Segments()) {
            seed(s, 0);
            seed(s, 0.5);
        }
        while (!todo.empty()) {
            const int i = todo.back();
            todo.pop_back();
            const int x = i % w_, y = i / w_;
            if (surface_[std::size_t(i)] || map_.constScanLine(y)[x] == kWall)
                continue;
            surface_[std::size_t(i)] = 1;
            for (int d = 0; d < 4; ++d) {
                // The neighbour on the left when walking the pixel's side in
                // direction d.
                const int nx = x + kDx[(d + 3) % 4], ny = y + kDy[(d + 3) % 4];
                if (IsWall(nx, ny))
                    AddEdge(x, y, d);
                else if (Inside(nx, ny) && !surface_[std::size_t(ny) * std::size_t(w_) + std::size_t(nx)])
                    todo.push_back(ny * w_ + nx);
            }
        }
    }

    // The side of pixel (x, y) that has the wall beyond it, walked in
    // direction d with the wall on the left: east along the top, south down
    // the right side, west along the bottom, north up the left side.
    void AddEdge(int x, int y, int d)
    {
        static constexpr int kStartX[4] = {0, 1, 1, 0};
        static constexpr int kStartY[4] = {0, 0, 1, 1};
        const int sx = x + kStartX[d], sy = y + kStartY[d];
        edges_.push_back({Key(sx, sy), sx, sy, d});
    }

    int Find(std::int64_t key, int dir) const
    {
        Edge probe;
        probe.key = key;
        probe.dir = dir;
        const auto it =
            std::lower_bound(edges_.begin(), edges_.end(), probe, [](const Edge& a, const Edge& b) {
                return a.key != b.key ? a.key < b.key : a.dir < b.dir;
            });
        return it != edges_.end() && it->key == key && it->dir == dir ? int(it - edges_.begin()) : -1;
    }

    // Where two surface pixels touch only at a corner, the line turns right
    // and keeps to the pixel it came along, as 4-connected regions are.
    void Link()
    {
        next_.assign(edges_.size(), -1);
        for (std::size_t i = 0; i < edges_.size(); ++i) {
            const Edge& e = edges_[i];
            const std::int64_t end = Key(e.x + kDx[e.dir], e.y + kDy[e.dir]);
            for (const int turn : {1, 0, 3}) {
                const int n = Find(end, (e.dir + turn) % 4);
                if (n >= 0) {
                    next_[i] = n;
                    break;
                }
            }
        }
    }

    void Chain(int first, std::vector<char>& used, std::vector<WallStrip>& out) const
    {
        std::vector<CanvasPoint> line;
        int e = first;
        while (e >= 0 && !used[std::size_t(e)]) {
            used[std::size_t(e)] = 1;
            const Edge& edge = edges_[std::size_t(e)];
            // A pixel's edge lies within a pixel of the surface's true edge.
            // Points that land on one spot (a flat end's corner) count once.
            const CanvasPoint p =
                outline_.Snap({edge.x + kDx[edge.dir] * 0.5, edge.y + kDy[edge.dir] * 0.5}, 1.0);
            if (line.empty() || !Same(p, line.back()))
                line.push_back(p);
            e = next_[std::size_t(e)];
        }
        const bool closed = e == first;
        if (closed && line.size() > 1 && Same(line.front(), line.back()))
            line.pop_back();
        if (line.size() < 2)
            return;
        WallStrip strip;
        strip.closed = closed;
        for (const std::size_t i : SimplifyLine(line, line, closed, kWallTolerance))
            strip.inner.push_back(line[i]);
        if (strip.inner.size() < (closed ? 3u : 2u))
            return;
        strip.outer = OuterLine(strip.inner, closed);
        out.push_back(std::move(strip));
    }

    static bool Same(CanvasPoint a, CanvasPoint b)
    {
        return std::abs(a.x - b.x) + std::abs(a.y - b.y) < 1e-9;
    }

    static CanvasPoint LeftNormal(CanvasPoint a, CanvasPoint b)
    {
        const double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
        return len > 0 ? CanvasPoint{dy / len, -dx / len} : CanvasPoint{};
    }

    // Each point moved out by the wall's width with a mitre, so the outer
    // face keeps the wall's thickness along every stretch.
    static std::vector<CanvasPoint> OuterLine(const std::vector<CanvasPoint>& inner, bool closed)
    {
        const std::size_t n = inner.size();
        const double w = kMapWallWidth;
        std::vector<CanvasPoint> outer(n);
        for (std::size_t i = 0; i < n; ++i) {
            const bool first = i == 0, last = i + 1 == n;
            const CanvasPoint p = inner[i];
            const CanvasPoint before = first ? (closed ? inner[n - 1] : p) : inner[i - 1];
            const CanvasPoint after = last ? (closed ? inner[0] : p) : inner[i + 1];
            CanvasPoint n1 = LeftNormal(before, p), n2 = LeftNormal(p, after);
            if (!closed && first)
                n1 = n2;
            if (!closed && last)
                n2 = n1;
            // n1 + n2 scaled by w / (1 + n1.n2) is the mitre point of two
            // offset lines; a turn back on itself has none.
            const double denom = 1 + n1.x * n2.x + n1.y * n2.y;
            CanvasPoint m = denom > 1e-9 ? CanvasPoint{(n1.x + n2.x) * w / denom, (n1.y + n2.y) * w / denom}
                                         : CanvasPoint{n1.x * w, n1.y * w};
            const double len = std::hypot(m.x, m.y);
            if (len > kMaxMitre * w)
                m = {m.x * kMaxMitre * w / len, m.y * kMaxMitre * w / len};
            outer[i] = {p.x + m.x, p.y + m.y};
        }
        return outer;
    }

    const QImage& map_;
    int w_ = 0;
    int h_ = 0;
    double halfWidth_ = 0;
    TrackSurface outline_;
    std::vector<char> surface_;
    std::vector<Edge> edges_;
    std::vector<int> next_;
};

} // namespace

std::vector<WallStrip> TraceWalls(const QImage& map, std::string_view trackPath, double trackWidth)
{
    if (map.isNull() || map.format() != QImage::Format_Grayscale8)
        return {};
    const std::vector<PathFigure> path = ParsePathText(trackPath);
    return Tracer(map, path, trackWidth).Trace(path);
}

} // namespace velmora
