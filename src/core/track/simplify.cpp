#include "core/track/simplify.h"

#include <cmath>
#include <utility>

namespace velmora {

namespace {

// A range longer than this is cut at its middle before it is searched, which
// bounds the quadratic worst case of Douglas-Peucker (a spiral of thousands
// of points). Real circuits have far fewer points and are never cut.
constexpr std::size_t kLongestSearch = 4096;

} // namespace

double DistanceToSegment(CanvasPoint p, CanvasPoint a, CanvasPoint b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

std::vector<std::size_t> SimplifyLine(const std::vector<CanvasPoint>& source,
                                      const std::vector<CanvasPoint>& vertices, bool closed, double tolerance)
{
    const std::size_t n = source.size();
    if (n == 0 || vertices.size() != n)
        return {};
    std::vector<bool> keep(n, false);
    keep[0] = true;
    keep[n - 1] = keep[n - 1] || !closed;
    // A closed line is searched from point 0 round to point 0 again (index n).
    const auto at = [n](std::size_t k) { return k == n ? 0 : k; };
    std::vector<std::pair<std::size_t, std::size_t>> ranges{{0, closed ? n : n - 1}};
    while (!ranges.empty()) {
        const auto [a, b] = ranges.back();
        ranges.pop_back();
        if (b < a + 2)
            continue;
        std::size_t split = a + (b - a) / 2;
        if (b - a <= kLongestSearch) {
            double farthest = -1;
            for (std::size_t k = a + 1; k < b; ++k) {
                const double d = DistanceToSegment(source[k], vertices[at(a)], vertices[at(b)]);
                if (d > farthest) {
                    farthest = d;
                    split = k;
                }
            }
            if (farthest <= tolerance)
                continue;
        }
        keep[split] = true;
        ranges.push_back({a, split});
        ranges.push_back({split, b});
    }
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < n; ++i)
        if (keep[i])
            kept.push_back(i);
    return kept;
}

} // namespace velmora
