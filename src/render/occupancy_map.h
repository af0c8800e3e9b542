#pragma once

#include "core/formats/ros_map_yaml.h"

#include <QImage>
#include <string_view>

namespace velmora {

// The track as the occupancy map a driving simulator loads: an 8-bit grey
// picture of the canvas's size and pixel grid, 255 (free) everywhere except
// the walls, 0 (occupied). The walls are a band kMapWallWidth wide laid just
// outside the outline of the track surface (the stroke of trackWidth with
// round corners and flat ends, the ends of an open track walled too). They
// follow the outline of everything the surface covers, so they stay closed
// where the edges of a tight turn meet and where two parts of the track come
// close. A pixel counts as covered when its centre is. Null when the width is
// not a positive number or the picture cannot be made.
QImage OccupancyMap(std::string_view trackPath, double trackWidth, int width, int height);

} // namespace velmora
