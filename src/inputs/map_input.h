#pragma once

#include "core/mapin/map_centreline.h"
#include "core/result.h"
#include "export_tool/export_options.h"
#include "inputs/ros_map_load.h"

#include <QString>

namespace velmora {

struct TrackJob;

// A track argument ending in ".yaml" or ".yml", in any letter case, is an
// occupancy map's description.
bool IsMapInput(const QString& path);

// Reads the map, finds its track and puts it on a canvas the map's size in
// the map's frame, with the run's angle limit and --track-width. Refuses,
// before anything is written, a run that would write over the map's picture.
Status ImportMap(const ExportOptions& o, const QString& path, TrackJob& job);

} // namespace velmora
