#include "core/mapin/track_ring.h"

#include "core/formats/number_text.h"
#include "core/mapin/cell_regions.h"
#include "core/mapin/distance_transform.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>

namespace velmora {

namespace {

// How many of the largest free areas are tried when the track is looked
// for without a start.
constexpr std::size_t kLoopCandidates = 8;

// How much wider than the car's width the gaps closed to find a value that
// works may be, in turn.
constexpr double kWiderClosings[] = {1.5, 2, 3};

// Bytes a map cell takes while a ring is looked for: the picture, the free
// cells and those clear of the closing; a cell of the window a ring is traced
// in: its four masks and the two walls' column runs; and a map cell while the
// narrowest way out of a leaking free space is found.
constexpr double kMapCellBytes = 3;
constexpr double kWindowCellBytes = 8;
constexpr double kLeakCellBytes = 16;

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

// What one search found: the ring, or why not: `remedied` when the message
// already names what to do with a value that helps, `startFault` when the
// start given is not on free space at all.
struct Outcome {
    std::optional<TrackRing> ring;
    std::string error;
    bool remedied = false;
    bool startFault = false;
    bool tooLarge = false; // the memory it would take is more than the budget
};

Outcome Missed(std::string error, bool remedied = false)
{
    return {std::nullopt, std::move(error), remedied, false};
}

Outcome StartFault(std::string error)
{
    return {std::nullopt, std::move(error), true, true};
}

// The search's view of the map: the free cells, or with gaps closed those
// farther than the closing's radius from every wall: no way leads through a
// gap, since a gap of g cells leaves a cell in its middle (g + 1) / 2 from
// the wall cells on either side.
struct Passage {
    const CellMask* free = nullptr;
    CellMask closed;
    double radius = 0; // cells
    std::vector<CellStretch> stretches; // of its cells' groups, numbered as the search's areas

    const CellMask& Cells() const { return radius > 0 ? closed : *free; }
};

Passage MakePassage(const CellMask& freeCells, double closeGaps)
{
    Passage p;
    p.free = &freeCells;
    if (closeGaps > 0) {
        // A hair more, so that a gap exactly as wide as asked is closed
        // whatever the rounding of metres to cells.
        p.radius = (closeGaps + 1) / 2 + 1e-6;
        p.closed = HeldBeyond(freeCells, p.radius);
    }
    return p;
}

struct Context {
    const CellMask& free;
    const WorldFrame& frame;
    const RingSearch& search;
};

CellMask Crop(const CellMask& m, const CellBox& box, int dx = 0, int dy = 0)
{
    CellMask out(box.maxX - box.minX + 1, box.maxY - box.minY + 1);
    for (int y = 0; y < out.height; ++y)
        std::copy_n(m.cells.begin() + long(m.Index(box.minX - dx, y + box.minY - dy)), out.width,
                    out.cells.begin() + long(out.Index(0, y)));
    return out;
}

// The free cells within the closing radius of the passage's region: the
// ring with the strip along its walls back that the closing took out.
CellMask GrownBack(const CellMask& region, const CellMask& freeCells, double radius)
{
    if (radius <= 0)
        return region;
    CellMask ring(region.width, region.height);
    DistanceRows rows(region, 1);
    const float r2 = float(radius * radius);
    for (int y = 0; y < region.height; ++y) {
        const float* d = rows.Row(y);
        const std::size_t at = region.Index(0, y);
        for (int x = 0; x < region.width; ++x)
            ring.cells[at + std::size_t(x)] = freeCells.cells[at + std::size_t(x)] && d[x] <= r2 ? 1 : 0;
    }
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
// Four bytes an entry: a map has at most 16,384 x 16,384 cells.
struct Joins {
    std::vector<std::uint32_t> parent;
    explicit Joins(std::size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), std::uint32_t(0)); }
    std::uint32_t Find(std::uint32_t i)
    {
        while (parent[i] != i)
            i = parent[i] = parent[parent[i]];
        return i;
    }
    void Join(std::uint32_t a, std::uint32_t b) { parent[Find(a)] = Find(b); }
};

// The narrowest place on the widest way from the start to the map's edge:
// cells are let in from the widest clearance down until the start and the
// edge are joined; the last cell let in is the narrowest of that way, the
// gap the free space leaks through.
std::size_t Bottleneck(std::vector<std::uint32_t> order, std::size_t start, const std::vector<float>& clearance,
                       const CellMask& m)
{
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return clearance[a] > clearance[b]; });
    const auto edge = std::uint32_t(m.cells.size());
    Joins joins(std::size_t(edge) + 1);
    std::vector<std::uint8_t> in(m.cells.size(), 0);
    const int w = m.width;
    for (const std::uint32_t i : order) {
        in[i] = 1;
        const int x = int(i % std::uint32_t(w)), y = int(i / std::uint32_t(w));
        if (x == 0 || y == 0 || x == w - 1 || y == m.height - 1)
            joins.Join(i, edge);
        for (const auto& d : kSides)
            if (m.Inside(x + d[0], y + d[1]) && in[m.Index(x + d[0], y + d[1])])
                joins.Join(i, std::uint32_t(m.Index(x + d[0], y + d[1])));
        if (in[start] && joins.Find(std::uint32_t(start)) == joins.Find(edge))
            return i;
    }
    return start;
}

// A search that would take more memory than the budget: how many times
// coarser a map would not.
Outcome TooLarge(const std::string& where, const std::string& size, double bytes, const Context& c)
{
    const double budget = c.search.memoryBudget;
    const int k = std::max(2, int(std::ceil(std::sqrt(bytes / budget))));
    Outcome o = Missed("the free space at " + where + " is " + size + ", more than can be traced in " +
                           FormatShortest(std::round(budget / 1e5) / 10) + " MB of memory: scale the map's picture down " +
                           std::to_string(k) + " times (to " + FormatShortest(std::round(c.frame.Metres(k) * 1e6) / 1e6) +
                           " m a cell)",
                       true);
    o.tooLarge = true;
    return o;
}

Outcome Leak(std::uint32_t number, std::size_t start, const Passage& passage, const Context& c,
             const std::string& where)
{
    // Too large a map to find the narrowest way out within the budget: the
    // leak is told without it, and closings that help are looked for.
    if (c.search.memoryBudget > 0 && kLeakCellBytes * double(c.free.cells.size()) > c.search.memoryBudget)
        return Missed("the free space around " + where + " leaks to the map's edge (a gap in a wall?)");
    std::vector<float> clearance(c.free.cells.size());
    {
        DistanceRows rows(c.free, 0);
        for (int y = 0; y < c.free.height; ++y)
            std::copy_n(rows.Row(y), c.free.width, clearance.begin() + long(c.free.Index(0, y)));
    }
    std::vector<std::uint32_t> region;
    for (const CellStretch& s : passage.stretches)
        if (s.group == number)
            for (int x = s.x0; x <= s.x1; ++x)
                region.push_back(std::uint32_t(c.free.Index(x, s.y)));
    const std::size_t narrow = Bottleneck(std::move(region), start, clearance, c.free);
    // No narrowing on the way out: the start is in the open, not on a
    // track with a gap in its wall.
    if (clearance[narrow] >= clearance[start])
        return Missed("the free space around " + where + " runs out to the map's edge: is the start on the track?");
    const double d = std::sqrt(double(clearance[narrow]));
    // The cells across the narrowest place, as the closing counts them.
    const double wide = c.frame.Metres(std::max(1.0, 2 * d - 1));
    return Missed("the free space around " + where + " leaks to the map's edge; its narrowest way out is " +
                      Metres(wide) + " m wide at " + CellAt(c.frame, narrow, c.free.width) +
                      " (a gap in a wall?): closing wall gaps up to " + OptionMetres(wide) + " m closes it",
                  true);
}

std::string LoopHint(double radius)
{
    return radius > 0 ? " (closing wall gaps also narrows the track by that much on each side: try a smaller value)"
                      : "";
}

// The middle of a region of the window, in the world.
std::string Middle(const TrackRing& t, const RegionSummary& r, const WorldFrame& frame)
{
    const double x = t.window.minX + (r.box.minX + r.box.maxX) / 2.0 + 0.5;
    const double y = t.window.minY + (r.box.minY + r.box.maxY) / 2.0 + 0.5;
    return Metres(frame.X(x)) + "," + Metres(frame.Y(y)) + " m";
}

// What the ring goes round: exactly one hole in the passage's region (its
// window's edge is all outside, so the one group touching that edge is what
// lies outside). The passage's region, not the ring grown back, decides:
// growing back reaches into a closed gap from both of its sides.
Outcome SplitRing(TrackRing& t, const CellMask& region, const Context& c, const std::string& where, double radius)
{
    const ComplementLabels parts = LabelComplement(region);
    std::vector<std::uint32_t> holes;
    for (std::uint32_t k = 0; k < parts.regions.size(); ++k)
        if (!parts.regions[k].touchesEdge)
            holes.push_back(k + 1);
    if (holes.empty())
        return Missed("the free space around " + where +
                      " does not close into a loop: it holds no wall to drive round" + LoopHint(radius));
    const auto size = [&parts](std::uint32_t k) { return parts.regions[k - 1].size; };
    std::stable_sort(holes.begin(), holes.end(), [&](std::uint32_t a, std::uint32_t b) { return size(a) > size(b); });
    if (holes.size() == 1) {
        for (const CellStretch& s : parts.stretches) {
            CellMask& side = s.group == holes[0] ? t.inner : t.outer;
            for (std::size_t i = t.ring.Index(s.x0, s.y), end = i + std::size_t(s.x1 - s.x0); i <= end; ++i)
                side.cells[i] = t.ring.cells[i] ? 0 : 1;
        }
        return {std::move(t), {}, false, false};
    }
    const RegionSummary &first = parts.regions[holes[0] - 1], &second = parts.regions[holes[1] - 1];
    // A hole in the passage is the obstacle with the closing's strip round it.
    const int acrossCells = std::max(1, second.box.Across() - 2 * int(radius));
    const double across = c.frame.Metres(acrossCells);
    if (second.box.Across() * 4 < first.box.Across())
        return Missed("an obstacle " + Metres(across) + " m across at " + Middle(t, second, c.frame) +
                          " stands in the track, so the free space around " + where +
                          " makes more than one loop: ignoring obstacles up to " +
                          OptionMetres(across + c.frame.Metres(1)) + " m ignores it",
                      true);
    return Missed("the free space around " + where + " goes round more than one wall (at " +
                  Middle(t, first, c.frame) + " and " + Middle(t, second, c.frame) + "), through gaps in a wall");
}

int SpaceAcross(const RegionSummary& group, const Passage& passage, const Context& c)
{
    if (passage.radius <= 0)
        return group.touchesEdge ? 0 : group.box.Across();
    // The free space holding the passage's region holds its first cell.
    std::size_t k = kNoGroup;
    const std::vector<RegionSummary> spaces = SideSummaries(c.free, group.first, &k);
    return k == kNoGroup || spaces[k].touchesEdge ? 0 : spaces[k].box.Across();
}

// The ring of the search's area `number` (its place in the list plus one).
Outcome RingOf(const RegionSummary& group, std::uint32_t number, std::size_t start, const Passage& passage,
               const Context& c, const std::string& where)
{
    const CellMask& free = c.free;
    if (group.touchesEdge)
        return Leak(number, start, passage, c, where);
    // The rectangle the ring grown back can reach, and a cell more.
    const int reach = int(std::ceil(passage.radius)) + 2;
    const CellBox reachBox{std::max(0, group.box.minX - reach), std::max(0, group.box.minY - reach),
                           std::min(free.width - 1, group.box.maxX + reach),
                           std::min(free.height - 1, group.box.maxY + reach)};
    const double wide = reachBox.maxX - reachBox.minX + 1, high = reachBox.maxY - reachBox.minY + 1;
    const double bytes = kMapCellBytes * double(free.cells.size()) + kWindowCellBytes * wide * high;
    if (c.search.memoryBudget > 0 && bytes > c.search.memoryBudget)
        return TooLarge(CellAt(c.frame, group.first, free.width),
                        std::to_string(int(wide)) + " x " + std::to_string(int(high)) + " cells", bytes, c);
    TrackRing t;
    CellMask region; // in the window; the larger masks go before the ring is traced
    {
        CellMask reached = StretchesIn(passage.stretches, number, reachBox);
        const CellMask grown = GrownBack(reached, Crop(free, reachBox), passage.radius);
        CellBox box = BoxOf(grown);
        box = {box.minX + reachBox.minX, box.minY + reachBox.minY, box.maxX + reachBox.minX, box.maxY + reachBox.minY};
        if (box.minX < 1 || box.minY < 1 || box.maxX > free.width - 2 || box.maxY > free.height - 2)
            return Leak(number, start, passage, c, where);
        t.window = {box.minX - 1, box.minY - 1, box.maxX + 1, box.maxY + 1};
        t.ring = Crop(grown, t.window, reachBox.minX, reachBox.minY);
        region = Crop(reached, t.window, reachBox.minX, reachBox.minY);
    }
    t.inner = t.outer = CellMask(t.ring.width, t.ring.height);
    t.free = Crop(free, t.window);
    t.spaceAcross = SpaceAcross(group, passage, c);
    t.closing = passage.radius;
    Outcome split = SplitRing(t, region, c, where, passage.radius);
    region = {};
    if (split.ring && c.search.check)
        if (Status s = c.search.check(*split.ring); !s)
            return Missed(s.error());
    return split;
}

// The middle of a group of map cells, in the world.
std::string MiddleOf(const CellBox& box, const WorldFrame& frame)
{
    return Metres(frame.X((box.minX + box.maxX) / 2.0 + 0.5)) + "," + Metres(frame.Y((box.minY + box.maxY) / 2.0 + 0.5)) +
           " m";
}

// An area a quarter the size of the largest free area or less is no track
// to take without being told: a loop there is a room or a pocket of the map.
bool Minor(const RegionSummary& area, const RegionSummary* largest)
{
    return largest && area.size * 4 < largest->size;
}

const RegionSummary* LargestInside(const std::vector<RegionSummary>& areas)
{
    for (const RegionSummary& a : areas)
        if (!a.touchesEdge)
            return &a;
    return nullptr;
}

// Whether the free area lies in what the ring goes round: the infield of a
// track is often the largest free area of its map, and no rival to it.
bool Encloses(const TrackRing& t, const RegionSummary& area, int mapWidth)
{
    const int x = int(area.first % std::size_t(mapWidth)) - t.window.minX;
    const int y = int(area.first / std::size_t(mapWidth)) - t.window.minY;
    return t.inner.Inside(x, y) && t.inner.At(x, y);
}

// The largest free area off the map's edge, outside the ring, that the
// ring's own area is minor beside; none when there is none.
const RegionSummary* Dwarfing(const RegionSummary& area, const TrackRing& t, const std::vector<RegionSummary>& areas,
                              int mapWidth)
{
    for (const RegionSummary& a : areas) {
        if (!Minor(area, &a))
            return nullptr; // largest first: no later one is larger
        if (!a.touchesEdge && !Encloses(t, a, mapWidth))
            return &a;
    }
    return nullptr;
}

Outcome DwarfedLoop(const RegionSummary& area, const RegionSummary& larger, std::size_t start, const Context& c)
{
    return Missed("the only loop found, round " + MiddleOf(area.box, c.frame) + ", is far smaller than the free area at " +
                      MiddleOf(larger.box, c.frame) + ", so it is not taken without a start: if it is the track, give the start " +
                      CellAt(c.frame, start, c.free.width),
                  true);
}

Outcome LargestLoop(const std::vector<RegionSummary>& areas, const Passage& passage, const Context& c,
                    const std::string& why, std::size_t triedAlready = kNoGroup)
{
    std::size_t tried = 0;
    std::optional<Outcome> firstMiss;
    for (std::size_t k = 0; k < areas.size(); ++k) {
        const RegionSummary& area = areas[k];
        if (area.touchesEdge || k == triedAlready)
            continue;
        if (++tried > kLoopCandidates)
            break;
        Outcome o = RingOf(area, std::uint32_t(k + 1), area.first, passage, c, "it");
        if (o.tooLarge)
            return o;
        if (o.ring) {
            if (const RegionSummary* larger = Dwarfing(area, *o.ring, areas, c.free.width))
                return DwarfedLoop(area, *larger, area.first, c);
            o.ring->largestLoop = why;
            return o;
        }
        // A candidate that is a loop but not taken says why better than the
        // rest.
        if (!firstMiss && o.error.find("loop found") != std::string::npos)
            firstMiss = std::move(o);
    }
    if (firstMiss)
        return std::move(*firstMiss);
    return Missed("no start given, " + why + ", and no free area of the map closes into a loop round a wall");
}

// The passage's cell nearest the start within the closing's radius: a
// start on the strip along a wall that the closing took out still names
// the ring beside it. The start itself when none is.
std::size_t NearestPassage(const CellMask& cells, int x, int y, double radius)
{
    const int reach = int(std::ceil(radius)) + 1;
    std::size_t best = cells.Index(x, y);
    int bestD = reach * reach + 1;
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx)
            if (cells.Inside(x + dx, y + dy) && cells.At(x + dx, y + dy) && dx * dx + dy * dy < bestD) {
                bestD = dx * dx + dy * dy;
                best = cells.Index(x + dx, y + dy);
            }
    return best;
}

Outcome Attempt(const CellMask& freeCells, const RingSearch& search, const WorldFrame& frame, double closeGaps)
{
    const Context c{freeCells, frame, search};
    Passage passage = MakePassage(freeCells, closeGaps);
    const CellMask& cells = passage.Cells();
    // Inside is asked of the cells before they become whole numbers: a start
    // far off the map would not fit one.
    const bool inside = search.startX >= 0 && search.startY >= 0 && search.startX < freeCells.width &&
                        search.startY < freeCells.height;
    const int x = inside ? int(search.startX) : -1, y = inside ? int(search.startY) : -1;
    const std::string where = Metres(frame.X(search.startX)) + "," + Metres(frame.Y(search.startY)) + " m";
    const std::size_t start = inside && freeCells.cells[freeCells.Index(x, y)]
                                  ? NearestPassage(cells, x, y, passage.radius)
                                  : inside ? freeCells.Index(x, y) : 0;
    std::size_t startGroup = kNoGroup;
    const std::vector<RegionSummary> areas = SideSummaries(cells, start, &startGroup, &passage.stretches);
    if (!inside || !cells.cells[start]) {
        if (!search.startGiven)
            return LargestLoop(areas, passage, c, "0,0 m is not in free space");
        if (!inside)
            return StartFault("the start " + where + " lies outside the map");
        if (freeCells.cells[start])
            return Missed("the start " + where + " lies closer to a wall than closing wall gaps lets the search pass");
        return StartFault("the start " + where + " is not in free space");
    }
    Outcome ring = RingOf(areas[startGroup], std::uint32_t(startGroup + 1), start, passage, c, where);
    if (search.startGiven)
        return ring;
    // Without a start, a loop round the map frame's origin is not taken for
    // the track while a far larger free area lies beside it: that is a room
    // or a pocket of the map.
    if (ring.ring) {
        const RegionSummary* larger = Dwarfing(areas[startGroup], *ring.ring, areas, freeCells.width);
        if (!larger)
            return ring;
        Outcome other = LargestLoop(areas, passage, c, "0,0 m is in a small pocket", startGroup);
        return other.ring ? std::move(other) : DwarfedLoop(areas[startGroup], *larger, start, c);
    }
    // The map frame's origin is only where simulators put the car; a map
    // whose origin is elsewhere (a room's corner, the infield) still has its
    // track. When there is none, why the origin failed says most, unless it
    // lies in a small pocket.
    const bool minor = Minor(areas[startGroup], LargestInside(areas));
    Outcome largest = LargestLoop(areas, passage, c, minor ? "0,0 m is in a small pocket" : "0,0 m is not on a free loop",
                                  startGroup);
    return largest.ring || minor ? std::move(largest) : std::move(ring);
}

// When nothing said what helps, the first wider closing of wall gaps that
// does find a loop, for the user to try; else the picture is to mend.
std::string Remedy(const CellMask& freeCells, const RingSearch& search, const WorldFrame& frame)
{
    const double base = std::max({search.closeGaps, search.autoCloseGaps, 2.0});
    for (const double k : kWiderClosings)
        if (Attempt(freeCells, search, frame, base * k).ring)
            return ": closing wall gaps up to " + OptionMetres(frame.Metres(base * k)) +
                   " m makes one loop of it (wider than the car: check it is the track)";
    return ": mend the walls in the map's picture (closing wall gaps up to " +
           OptionMetres(frame.Metres(base * kWiderClosings[std::size(kWiderClosings) - 1])) + " m does not help)";
}

} // namespace

Result<TrackRing> FindTrackRing(const CellMask& freeCells, const RingSearch& search, const WorldFrame& frame)
{
    Outcome first = Attempt(freeCells, search, frame, search.closeGaps);
    if (first.ring)
        return std::move(*first.ring);
    if (!(search.closeGaps > 0) && search.autoCloseGaps > 0 && !first.startFault) {
        Outcome closed = Attempt(freeCells, search, frame, search.autoCloseGaps);
        if (closed.ring) {
            closed.ring->closedGaps = search.autoCloseGaps;
            return std::move(*closed.ring);
        }
    }
    if (first.remedied)
        return Fail(first.error);
    return Fail(first.error + Remedy(freeCells, search, frame));
}

} // namespace velmora
