#pragma once

#include "core/formats/ros_map_yaml_read.h"
#include "core/mapin/grey_image.h"
#include "core/mapin/map_centreline.h"
#include "core/raceline/map_walls.h"
#include "core/result.h"

#include <QImage>
#include <QString>
#include <memory>
#include <optional>

namespace velmora {

// An occupancy map as the ROS map server loads it: its description and its
// picture, PGM (binary or text, 8 or 16 bit) or PNG (grey, grey+alpha,
// palette or colour, at any depth), one byte a cell: the mean of the
// channels as the map server takes them for the map's mode (see
// CellReading for what the byte means). Only the file's bytes and the
// picture are held while it loads.
struct LoadedMap {
    RosMapInfo info;
    GreyImage image;
    QString imagePath; // the picture's file, found beside the description
    QString yamlPath;  // the description, as it was given
};
Result<LoadedMap> LoadRosMap(const QString& yamlPath);

// The centre line of the track on the map the description names.
Result<MapCentreline> ReadMapCentreline(const QString& yamlPath, const MapTrackOptions& options);

// The map's picture, one grey pixel a cell (to draw the track over): as it
// was read, or for a raw map (whose values are occupancies, not shades) as
// the map saver draws cells: free 254, occupied 0, unknown 205. Null when
// there is no memory for it.
QImage MapPicture(const GreyImage& image, const RosMapInfo& info = {});

// The map's picture as it lies under the track found on it: MapPicture, a
// cell a canvas pixel, the picture's first row (the map's top, its largest
// y) the canvas's top row, as MapFrame places the track; opaque RGB32, so
// that each redraw copies it as it is. Null when there is no memory for it.
QImage MapUnderTrack(const LoadedMap& map);

// An occupancy map as it lies under the track found on it: what a track
// file's frame names, and what its canvas shows.
struct MapUnderlay {
    QString description; // the map's description (YAML), absolute
    QString picturePath; // the picture it names, which no output may write over
    QImage picture;      // MapUnderTrack; the canvas is its size
};
// Fails only when there is no memory for the picture.
Result<MapUnderlay> UnderlayOf(const LoadedMap& map);
// A track file's map read back: its picture, and the walls the import
// found on it, when asked for.
struct MapReadBack {
    MapUnderlay underlay;
    std::shared_ptr<const MapWalls> walls; // null unless asked for
};
// The map at `yamlPath`, read as Import Map reads it, and with
// `wallsMinObstacleCells` its walls as the import finds them with that
// speck size (MapWallsOf); the failure names the file and says why.
Result<MapReadBack> LoadMapUnderlay(const QString& yamlPath, std::optional<int> wallsMinObstacleCells);

} // namespace velmora
