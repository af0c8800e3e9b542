#pragma once

#include "core/gazebo/wall_strip.h"

#include <QImage>
#include <string_view>
#include <vector>

namespace velmora {

// How far a simplified wall may stray from the traced one, in pixels.
inline constexpr double kWallTolerance = 0.3;

// The walls of `map` (as OccupancyMap draws it for trackPath and trackWidth)
// that face the track surface. The map says where walls are and which parts
// of the track they enclose together; the points traced along its pixels'
// edges are then put back on the exact edge of the surface and simplified
// with kWallTolerance, so a straight stretch is one segment. Empty when no
// pixel of the surface is on the map.
std::vector<WallStrip> TraceWalls(const QImage& map, std::string_view trackPath, double trackWidth);

} // namespace velmora
