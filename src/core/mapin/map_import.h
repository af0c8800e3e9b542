#pragma once

#include "core/inputs/centreline_import.h"
#include "core/mapin/map_centreline.h"
#include "core/raceline/map_walls.h"

#include <memory>

namespace velmora {

// Puts a map's centre line on a canvas the map's size through the same
// sub-pixel import as a centreline file, at the map's resolution and in its
// frame: a canvas pixel is a map cell, so the track lies on the map's
// picture and every output in metres on the map's world. Of `options` the
// angle limit and the track width (or the median of its measured widths)
// are used. Its source edges are the map's: the line with the widths
// measured at each point, which are the track's own with trackWidthFromFile,
// and the map's walls.
Result<ImportedCentreline> ImportMapCentreline(const MapCentreline& line, const CentrelineImportOptions& options);

// The walls the import gives the track it finds on this map, specks fewer
// than `minObstacleCells` across left out, as a track file read back has
// them.
std::shared_ptr<const MapWalls> MapWallsOf(const GreyImage& image, const RosMapInfo& info, int minObstacleCells);

} // namespace velmora
