#pragma once

#include "core/formats/ros_map_yaml_read.h"
#include "core/mapin/cell_grid.h"
#include "core/mapin/grey_image.h"

namespace velmora {

// The cells a car may drive on, by the map's own reading of its grey values
// (as the map server has it): the occupancy p = (255 - v) / 255, or v / 255
// when negated; occupied above occupied_thresh, free below free_thresh,
// unknown between. Unknown cells are not free: nothing was seen there.
CellMask FreeCells(const GreyImage& image, const RosMapInfo& info);

// Makes free every group of non-free cells (touching at sides or corners)
// that is less than `minAcross` cells across in both directions and does not
// reach the map's edge: the specks of noise a scan leaves on the floor.
void IgnoreSpecks(CellMask& freeCells, int minAcross);

} // namespace velmora
