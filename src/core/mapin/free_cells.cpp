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

} // namespace velmora
