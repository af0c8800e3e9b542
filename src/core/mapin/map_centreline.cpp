#include "core/mapin/map_centreline.h"

#include "core/formats/number_text.h"
#include "core/geometry/polygon_area.h"
#include "core/mapin/cell_regions.h"
#include "core/mapin/free_cells.h"
#include "core/mapin/loop_check.h"
#include "core/mapin/medial_loop.h"
#include "core/mapin/track_ring.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace velmora {

namespace {

constexpr int kDefaultMinObstacleCells = 3;
constexpr double kSpacing = 1.0; // pixels between the points of the line
constexpr int kSmoothPasses = 3; // of a five-point moving average: about +-3 px
constexpr int kSmoothReach = 2;

// Points every kSpacing along the loop: the crossings of marching squares
// lie from a hair to a cell and a half apart.
std::vector<MapLinePoint> Resampled(const std::vector<MedialPoint>& loop)
{
    std::vector<MapLinePoint> out;
    const std::size_t n = loop.size();
    double at = 0, next = 0; // along the loop: where this stretch starts, where the next point goes
    for (std::size_t i = 0; i < n; ++i) {
        const MedialPoint& a = loop[i];
        const MedialPoint& b = loop[(i + 1) % n];
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        for (; next < at + len; next += kSpacing) {
            const double t = (next - at) / len;
            out.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.outer + t * (b.outer - a.outer),
                           a.inner + t * (b.inner - a.inner)});
        }
        at += len;
    }
    return out;
}

// A moving average round the loop: the wobble of the wall cells' steps
// goes, a bend a few pixels long stays.
void Smooth(std::vector<MapLinePoint>& line)
{
    const long n = long(line.size());
    std::vector<MapLinePoint> from;
    for (int pass = 0; pass < kSmoothPasses; ++pass) {
        from = line;
        for (long i = 0; i < n; ++i) {
            MapLinePoint sum{};
            for (long k = -kSmoothReach; k <= kSmoothReach; ++k) {
                const MapLinePoint& p = from[std::size_t(((i + k) % n + n) % n)];
                sum.x += p.x;
                sum.y += p.y;
                sum.right += p.right;
                sum.left += p.left;
            }
            const double count = 2 * kSmoothReach + 1;
            line[std::size_t(i)] = {sum.x / count, sum.y / count, sum.right / count, sum.left / count};
        }
    }
}

// Reverses the loop; the wall on the right is then on the left.
void Reverse(std::vector<MapLinePoint>& line)
{
    std::reverse(line.begin(), line.end());
    for (MapLinePoint& p : line)
        std::swap(p.left, p.right);
}

void StartNearest(std::vector<MapLinePoint>& line, double x, double y)
{
    std::size_t best = 0;
    double bestD = HUGE_VAL;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const double d = std::hypot(line[i].x - x, line[i].y - y);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    std::rotate(line.begin(), line.begin() + long(best), line.end());
}

// Resampled from the medial loop: its inner wall is on the left of the way
// the loop runs on the canvas when that is counter-clockwise in the world.
std::vector<MapLinePoint> Directed(const std::vector<MedialPoint>& loop, const MapTrackOptions& o, double sx,
                                   double sy)
{
    std::vector<MapLinePoint> line = Resampled(loop);
    Smooth(line);
    // Above 0 on the canvas (y down): clockwise, the inner wall on the right,
    // where Resampled put the outer one.
    if (TwiceSignedArea(line) > 0)
        Reverse(line);
    StartNearest(line, sx, sy);
    if (o.yawGiven && line.size() > 1) {
        const double heading = WorldFrame::Heading(std::atan2(line[1].y - line[0].y, line[1].x - line[0].x));
        if (std::cos(heading - o.startYaw) < 0)
            Reverse(line);
    }
    if (o.reverse)
        Reverse(line);
    StartNearest(line, sx, sy);
    return line;
}

// What the user should know of how the track was found.
std::string Note(const TrackRing& ring, const MapCentreline& line, double resolution)
{
    std::string note;
    if (ring.closedGaps > 0)
        note = "closed wall gaps up to " + FormatFixed(ring.closedGaps * resolution, 2) +
               " m (narrower than the car) to make one loop";
    if (!ring.largestLoop.empty()) {
        const WorldFrame& f = line.frame;
        note += (note.empty() ? "" : "; ") + ring.largestLoop + ": took the largest free loop, starting at " +
                FormatFixed(f.X(line.points[0].x), 2) + "," + FormatFixed(f.Y(line.points[0].y), 2) + " m";
    }
    return note;
}

} // namespace

WorldFrame MapFrame(const RosMapInfo& info, int height)
{
    return {info.resolution, info.originX, info.originY + height * info.resolution};
}

CellMask MapFreeCells(const GreyImage& image, const RosMapInfo& info, int minObstacleCells)
{
    CellMask freeCells = FreeCells(image, info);
    FillSmallGroups(freeCells, minObstacleCells);
    return freeCells;
}

Result<MapCentreline> ExtractMapCentreline(const GreyImage& image, const RosMapInfo& info,
                                           const MapTrackOptions& o)
{
    if (info.originYaw != 0)
        return Fail("the map is turned (origin yaw " + FormatShortest(info.originYaw) +
                    " rad); only maps with yaw 0 are read: rotate the picture and set the yaw to 0");
    MapCentreline out;
    out.frame = MapFrame(info, image.height);
    out.width = image.width;
    out.height = image.height;
    const WorldFrame& f = out.frame;
    // Held to the map's size before it becomes a whole number of cells: a
    // speck wider than the map is no speck, and a fine resolution must not
    // make the count overflow.
    const double across = o.minObstacle > 0 ? std::ceil(o.minObstacle / info.resolution - 1e-9)
                                            : double(kDefaultMinObstacleCells);
    const int minAcross = int(std::min(across, double(std::max(image.width, image.height)) + 1));
    CellMask freeCells = MapFreeCells(image, info, minAcross);
    RingSearch search;
    search.startGiven = o.startGiven;
    search.startX = (o.startX - f.originX) / f.metresPerPixel;
    search.startY = (f.originY - o.startY) / f.metresPerPixel;
    search.closeGaps = o.closeGaps / info.resolution;
    search.autoCloseGaps = o.carWidth > 0 ? o.carWidth / info.resolution : 0;
    search.memoryBudget = o.memoryBudget;
    // The loop of the ring last judged: of the one taken, when one is.
    std::vector<MedialPoint> loop;
    search.check = [&loop, &f](const TrackRing& r) {
        loop = MedialLoop(r);
        return CheckLoop(loop, r, f);
    };
    const Result<TrackRing> ring = FindTrackRing(freeCells, search, f);
    if (!ring)
        return Fail(ring.error());
    out.points = Directed(loop, o, search.startX, search.startY);
    out.note = Note(*ring, out, info.resolution);
    out.freeCells = std::move(freeCells);
    out.minObstacleCells = minAcross;
    return out;
}

} // namespace velmora
