#include "core/mapin/track_ring.h"

#include "core/formats/number_text.h"
#include "core/mapin/cell_regions.h"
#include "core/mapin/distance_transform.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace velmora {

namespace {

// How many of the largest free areas are tried when the track is looked
// for without a start.
constexpr std::size_t kLoopCandidates = 8;

std::string Metres(double v)
{
    return FormatFixed(v, 2);
}

std::string CellAt(const WorldFrame& f, std::size_t i, int width)
{
    const double x = double(i % std::size_t(width)) + 0.5, y = double(i / std::size_t(width)) + 0.5;
    return Metres(f.X(x)) + "," + Metres(f.Y(y)) + " m";
}

// A length in metres rounded up to the centimetre, as an option's value.
std::string OptionMetres(double metres)
{
    return FormatShortest(std::ceil(metres * 100 - 1e-9) / 100);
}

CellMask Inverted(const CellMask& m)
{
    CellMask out(m.width, m.height);
    for (std::size_t i = 0; i < m.cells.size(); ++i)
        out.cells[i] = m.cells[i] ? 0 : 1;
    return out;
}

// The search's view of the map: the free cells, with those within reach of
// a wall's gap taken out when gaps are closed, and each cell's squared
// distance to the nearest non-free cell when that was needed.
struct Passage {
    CellMask cells;
    std::vector<float> clearance;
    double radius = 0; // cells

    const std::vector<float>& Clearance(const CellMask& freeCells)
    {
        if (clearance.empty())
            clearance = SquaredDistances(Inverted(freeCells));
        return clearance;
    }
};

// A gap of g cells leaves a cell in its middle (g + 1) / 2 from the wall
// cells on either side; every cell that near a wall is not passed, so no
// way leads through the gap.
Passage MakePassage(const CellMask& freeCells, double closeGaps)
{
    Passage p;
    if (!(closeGaps > 0)) {
        p.cells = freeCells;
        return p;
    }
    // A hair more, so that a gap exactly as wide as asked is closed whatever
    // the rounding of metres to cells.
    p.radius = (closeGaps + 1) / 2 + 1e-6;
    const std::vector<float>& d = p.Clearance(freeCells);
    p.cells = CellMask(freeCells.width, freeCells.height);
    const float r2 = float(p.radius * p.radius);
    for (std::size_t i = 0; i < d.size(); ++i)
        p.cells.cells[i] = freeCells.cells[i] && d[i] > r2 ? 1 : 0;
    return p;
}

// The free cells within the closing radius of the region: the ring with the
// strip along its walls back that the closing took out.
CellMask GrownBack(const CellRegion& region, const CellMask& freeCells, double radius)
{
    CellMask ring(freeCells.width, freeCells.height);
    for (const std::size_t i : region.cells)
        ring.cells[i] = 1;
    if (radius <= 0)
        return ring;
    const std::vector<float> d = SquaredDistances(ring);
    const float r2 = float(radius * radius);
    for (std::size_t i = 0; i < d.size(); ++i)
        ring.cells[i] = freeCells.cells[i] && d[i] <= r2 ? 1 : 0;
    return ring;
}

CellBox BoxOf(const CellMask& m)
{
    CellBox box;
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x)
            if (m.At(x, y))
                box.Add(x, y);
    return box;
}

// Union-find over cell indices, with one more entry for the map's edge.
struct Joins {
    std::vector<std::size_t> parent;
    explicit Joins(std::size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), std::size_t(0)); }
    std::size_t Find(std::size_t i)
    {
        while (parent[i] != i)
            i = parent[i] = parent[parent[i]];
        return i;
    }
    void Join(std::size_t a, std::size_t b) { parent[Find(a)] = Find(b); }
};

// The narrowest place on the widest way from the start to the map's edge:
// cells are let in from the widest clearance down until the start and the
// edge are joined; the last cell let in is the narrowest of that way, the
// gap the free space leaks through.
std::size_t Bottleneck(const CellRegion& region, std::size_t start, const std::vector<float>& clearance,
                       const CellMask& m)
{
    std::vector<std::size_t> order = region.cells;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return clearance[a] > clearance[b]; });
    const std::size_t edge = m.cells.size();
    Joins joins(edge + 1);
    std::vector<std::uint8_t> in(m.cells.size(), 0);
    const int w = m.width;
    for (const std::size_t i : order) {
        in[i] = 1;
        const int x = int(i % std::size_t(w)), y = int(i / std::size_t(w));
        if (x == 0 || y == 0 || x == w - 1 || y == m.height - 1)
            joins.Join(i, edge);
        for (const auto& d : kSides)
            if (m.Inside(x + d[0], y + d[1]) && in[m.Index(x + d[0], y + d[1])])
                joins.Join(i, m.Index(x + d[0], y + d[1]));
        if (in[start] && joins.Find(start) == joins.Find(edge))
            return i;
    }
    return start;
}

std::string LeakMessage(const CellRegion& region, std::size_t start, Passage& passage, const CellMask& freeCells,
                        const WorldFrame& frame, const std::string& where)
{
    const std::vector<float>& clearance = passage.Clearance(freeCells);
    const std::size_t narrow = Bottleneck(region, start, clearance, freeCells);
    // No narrowing on the way out: the start is in the open, not on a
    // track with a gap in its wall.
    if (clearance[narrow] >= clearance[start])
        return "the free space around " + where + " runs out to the map's edge: is the start on the track?";
    const double d = std::sqrt(double(clearance[narrow]));
    // The cells across the narrowest place, as the closing counts them.
    const double wide = frame.Metres(std::max(1.0, 2 * d - 1));
    return "the free space around " + where + " leaks to the map's edge; its narrowest way out is " + Metres(wide) +
           " m wide at " + CellAt(frame, narrow, freeCells.width) + " (a gap in a wall?): --close-gaps " +
           OptionMetres(wide) + " closes it";
}

TrackRing Window(const CellMask& ring, const CellBox& box)
{
    TrackRing t;
    t.window = {box.minX - 1, box.minY - 1, box.maxX + 1, box.maxY + 1};
    const int w = t.window.maxX - t.window.minX + 1, h = t.window.maxY - t.window.minY + 1;
    t.ring = t.inner = t.outer = CellMask(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            t.ring.cells[t.ring.Index(x, y)] = ring.cells[ring.Index(x + t.window.minX, y + t.window.minY)];
    return t;
}

std::string LoopHint(double radius)
{
    return radius > 0 ? " (--close-gaps also narrows the track by that much on each side: try a smaller value)"
                      : "";
}

// The middle of a region of the window, in the world.
std::string Middle(const TrackRing& t, const RegionSummary& r, const WorldFrame& frame)
{
    const double x = t.window.minX + (r.box.minX + r.box.maxX) / 2.0 + 0.5;
    const double y = t.window.minY + (r.box.minY + r.box.maxY) / 2.0 + 0.5;
    return Metres(frame.X(x)) + "," + Metres(frame.Y(y)) + " m";
}

// The ring's holes: exactly one wall or area inside it to go round. The
// window's edge is all outside the ring, so the one group touching it is
// what lies outside.
Status SplitRing(TrackRing& t, const WorldFrame& frame, const std::string& where, double radius)
{
    const ComplementLabels parts = LabelComplement(t.ring);
    std::vector<std::uint32_t> holes;
    for (std::uint32_t k = 0; k < parts.regions.size(); ++k)
        if (!parts.regions[k].touchesEdge)
            holes.push_back(k + 1);
    if (holes.empty())
        return Fail("the free space around " + where +
                    " does not close into a loop: it holds no wall to drive round" + LoopHint(radius));
    const auto size = [&parts](std::uint32_t k) { return parts.regions[k - 1].size; };
    std::stable_sort(holes.begin(), holes.end(), [&](std::uint32_t a, std::uint32_t b) { return size(a) > size(b); });
    if (holes.size() == 1) {
        for (std::size_t i = 0; i < parts.label.size(); ++i) {
            t.inner.cells[i] = parts.label[i] == holes[0] ? 1 : 0;
            t.outer.cells[i] = parts.label[i] && parts.label[i] != holes[0] ? 1 : 0;
        }
        return {};
    }
    const RegionSummary &first = parts.regions[holes[0] - 1], &second = parts.regions[holes[1] - 1];
    const double across = frame.Metres(second.box.Across());
    if (second.box.Across() * 4 < first.box.Across())
        return Fail("an obstacle " + Metres(across) + " m across at " + Middle(t, second, frame) +
                    " stands in the track, so the free space around " + where +
                    " makes more than one loop: --min-obstacle " + OptionMetres(across + frame.Metres(1)) +
                    " ignores it");
    return Fail("the free space around " + where + " goes round more than one wall (at " + Middle(t, first, frame) +
                " and " + Middle(t, second, frame) + "): a gap in a wall? --close-gaps M closes gaps up to M metres wide");
}

Result<TrackRing> RingOf(const CellRegion& region, std::size_t start, Passage& passage, const CellMask& freeCells,
                         const WorldFrame& frame, const std::string& where)
{
    if (region.touchesEdge)
        return Fail(LeakMessage(region, start, passage, freeCells, frame, where));
    const CellMask ring = GrownBack(region, freeCells, passage.radius);
    const CellBox box = passage.radius > 0 ? BoxOf(ring) : region.box;
    if (box.minX < 1 || box.minY < 1 || box.maxX > ring.width - 2 || box.maxY > ring.height - 2)
        return Fail(LeakMessage(region, start, passage, freeCells, frame, where));
    TrackRing t = Window(ring, box);
    if (Status s = SplitRing(t, frame, where, passage.radius); !s)
        return Fail(s.error());
    return t;
}

Result<TrackRing> LargestLoop(Passage& passage, const CellMask& freeCells, const WorldFrame& frame,
                              const std::string& why)
{
    std::vector<CellRegion> areas = SideRegions(passage.cells);
    std::size_t tried = 0;
    for (const CellRegion& area : areas) {
        if (area.touchesEdge)
            continue;
        if (++tried > kLoopCandidates)
            break;
        Result<TrackRing> ring = RingOf(area, area.cells.front(), passage, freeCells, frame, "it");
        if (ring) {
            ring->largestLoop = why;
            return ring;
        }
    }
    return Fail("no start given, " + why + ", and no free area of the map closes into a loop round a wall: "
                "give the track's start with --start X,Y");
}

} // namespace

Result<TrackRing> FindTrackRing(const CellMask& freeCells, const RingSearch& search, const WorldFrame& frame)
{
    Passage passage = MakePassage(freeCells, search.closeGaps);
    // Inside is asked of the cells before they become whole numbers: a start
    // far off the map would not fit one.
    const bool inside = search.startX >= 0 && search.startY >= 0 && search.startX < freeCells.width &&
                        search.startY < freeCells.height;
    const int x = inside ? int(search.startX) : -1, y = inside ? int(search.startY) : -1;
    const std::string where = Metres(frame.X(search.startX)) + "," + Metres(frame.Y(search.startY)) + " m";
    const std::size_t start = inside ? freeCells.Index(x, y) : 0;
    if (!inside || !passage.cells.cells[start]) {
        if (!search.startGiven)
            return LargestLoop(passage, freeCells, frame, "0,0 m is not in free space");
        if (!inside)
            return Fail("the start " + where + " lies outside the map");
        if (freeCells.cells[start])
            return Fail("the start " + where + " lies closer to a wall than --close-gaps lets the search pass");
        return Fail("the start " + where + " is not in free space");
    }
    Result<TrackRing> ring = RingOf(SideRegion(passage.cells, start), start, passage, freeCells, frame, where);
    if (ring || search.startGiven)
        return ring;
    // The map frame's origin is only where simulators put the car; a map
    // whose origin is elsewhere (a room's corner, the infield) still has its
    // track. When there is none, why the origin failed says most.
    Result<TrackRing> largest = LargestLoop(passage, freeCells, frame, "0,0 m is not on a free loop");
    return largest ? std::move(largest) : std::move(ring);
}

} // namespace velmora
