#include "core/mapin/free_cells.h"

#include <array>
#include <cmath>

namespace velmora {

namespace {

MapCell ByThresholds(double p, const RosMapInfo& info)
{
    if (p > info.occupiedThresh)
        return MapCell::Occupied;
    return p < info.freeThresh ? MapCell::Free : MapCell::Unknown;
}

// Floods the group of non-free cells from (x, y), marking it in `seen`,
// until it is known not to be a speck: it reaches the edge, grows
// `minAcross` across, or meets cells an earlier flood saw (those belong to a
// group already found too large: a speck's flood took all of its group, so
// none can be met again). Returns the cells of a speck, or nothing.
std::vector<std::size_t> Speck(const CellMask& freeCells, std::vector<std::uint32_t>& seen, std::uint32_t flood,
                               int x, int y, int minAcross, std::vector<std::size_t>& stack)
{
    std::vector<std::size_t> group;
    CellBox box;
    bool speck = true;
    stack.assign(1, freeCells.Index(x, y));
    seen[stack.back()] = flood;
    while (!stack.empty() && speck) {
        const std::size_t i = stack.back();
        stack.pop_back();
        const int cx = int(i % std::size_t(freeCells.width)), cy = int(i / std::size_t(freeCells.width));
        group.push_back(i);
        box.Add(cx, cy);
        if (box.Across() >= minAcross)
            speck = false;
        for (const auto& d : kSidesAndCorners) {
            const int nx = cx + d[0], ny = cy + d[1];
            if (!freeCells.Inside(nx, ny)) {
                speck = false;
                continue;
            }
            const std::size_t n = freeCells.Index(nx, ny);
            if (freeCells.cells[n])
                continue;
            if (seen[n]) {
                speck = speck && seen[n] == flood;
                continue;
            }
            seen[n] = flood;
            stack.push_back(n);
        }
    }
    return speck ? group : std::vector<std::size_t>{};
}

} // namespace

std::array<MapCell, 256> CellReading(const RosMapInfo& info)
{
    std::array<MapCell, 256> reading{};
    for (int v = 0; v < 256; ++v) {
        // Raw values are occupancies, not shades: negate does not apply to
        // them (the ROS 2 map server, whose map saver writes raw maps, reads
        // them so; ROS 1 negated them, which no raw map's author meant).
        if (info.mode == RosMapMode::Raw)
            reading[std::size_t(v)] = v > 100 ? MapCell::Unknown : ByThresholds(v / 100.0, info);
        else
            reading[std::size_t(v)] = ByThresholds(info.negate ? v / 255.0 : (255 - v) / 255.0, info);
    }
    return reading;
}

std::uint8_t UnknownValue(const RosMapInfo& info)
{
    if (info.mode == RosMapMode::Raw)
        return 255;
    // The level nearest the middle of the band between the thresholds.
    const std::array<MapCell, 256> reading = CellReading(info);
    const double middle = (info.freeThresh + info.occupiedThresh) / 2;
    const double target = (info.negate ? middle : 1 - middle) * 255;
    int best = -1;
    for (int v = 0; v < 256; ++v)
        if (reading[std::size_t(v)] == MapCell::Unknown && (best < 0 || std::abs(v - target) < std::abs(best - target)))
            best = v;
    if (best >= 0)
        return std::uint8_t(best);
    return info.negate ? 255 : 0; // fully occupied, never free
}

CellMask FreeCells(const GreyImage& image, const RosMapInfo& info)
{
    const std::array<MapCell, 256> reading = CellReading(info);
    CellMask mask(image.width, image.height);
    for (std::size_t i = 0; i < mask.cells.size(); ++i)
        mask.cells[i] = reading[image.values[i]] == MapCell::Free ? 1 : 0;
    return mask;
}

void IgnoreSpecks(CellMask& freeCells, int minAcross)
{
    if (minAcross <= 1)
        return;
    // Which flood saw each cell, from 1.
    std::vector<std::uint32_t> seen(freeCells.cells.size(), 0);
    std::uint32_t flood = 0;
    std::vector<std::size_t> stack;
    for (int y = 0; y < freeCells.height; ++y)
        for (int x = 0; x < freeCells.width; ++x) {
            const std::size_t i = freeCells.Index(x, y);
            if (freeCells.cells[i] || seen[i])
                continue;
            for (const std::size_t c : Speck(freeCells, seen, ++flood, x, y, minAcross, stack))
                freeCells.cells[c] = 1;
        }
}

} // namespace velmora
