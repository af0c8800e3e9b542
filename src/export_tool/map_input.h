#pragma once

#include "core/formats/ros_map_yaml_read.h"
#include "core/mapin/grey_image.h"
#include "core/mapin/map_centreline.h"
#include "core/result.h"
#include "export_tool/export_options.h"

#include <QString>

namespace velmora {

struct TrackJob;

// A track argument ending in ".yaml" or ".yml", in any letter case, is an
// occupancy map's description.
bool IsMapInput(const QString& path);

// An occupancy map as the ROS map server loads it: its description and its
// picture (binary PGM, or PNG through our decoder: colours count by the
// mean of red, green and blue, as the map server takes them).
struct LoadedMap {
    RosMapInfo info;
    GreyImage image;
    QString imagePath; // the picture's file, found beside the description
};
Result<LoadedMap> LoadRosMap(const QString& yamlPath);

// The centre line of the track on the map the description names.
Result<MapCentreline> ReadMapCentreline(const QString& yamlPath, const MapTrackOptions& options);

// Reads the map, finds its track and puts it on a canvas the map's size in
// the map's frame, with the run's angle limit and --track-width. Refuses,
// before anything is written, a run that would write over the map's picture.
Status ImportMap(const ExportOptions& o, const QString& path, TrackJob& job);

} // namespace velmora
