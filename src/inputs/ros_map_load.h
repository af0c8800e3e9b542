#pragma once

#include "core/formats/ros_map_yaml_read.h"
#include "core/mapin/grey_image.h"
#include "core/mapin/map_centreline.h"
#include "core/result.h"

#include <QImage>
#include <QString>

namespace velmora {

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

// The map's picture as it was read, one grey pixel a cell (a template to
// draw the track over); null when there is no memory for it.
QImage MapPicture(const GreyImage& image);

} // namespace velmora
