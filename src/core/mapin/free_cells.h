#pragma once

#include "core/formats/ros_map_yaml_read.h"
#include "core/mapin/cell_grid.h"
#include "core/mapin/grey_image.h"

#include <array>
#include <cstdint>

namespace velmora {

// What a cell of an occupancy map is.
enum class MapCell : std::uint8_t { Free, Occupied, Unknown };

// How the map reads each of the 256 values its picture holds (see
// GreyImage), as the map server reads them. Trinary and scale: the
// occupancy p = (255 - v) / 255, or v / 255 when negated; occupied above
// occupied_thresh, free below free_thresh, unknown between (scale keeps
// those graded, which is still not free). Raw: v is the occupancy in
// percent, read by the same thresholds; above 100 unknown.
std::array<MapCell, 256> CellReading(const RosMapInfo& info);

// A value the map reads as unknown, for a pixel the map server leaves
// unknown whatever its level (one not fully opaque, in scale mode); occupied
// when no value falls between the thresholds.
std::uint8_t UnknownValue(const RosMapInfo& info);

// The cells a car may drive on: the free ones. Unknown cells are not free:
// nothing was seen there.
CellMask FreeCells(const GreyImage& image, const RosMapInfo& info);

} // namespace velmora
