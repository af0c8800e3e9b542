#pragma once

#include "core/formats/ros_map_yaml_read.h"
#include "core/mapin/cell_grid.h"
#include "core/mapin/grey_image.h"
#include "core/result.h"
#include "core/track/world_frame.h"

#include <string>
#include <vector>

namespace velmora {

// How a track is taken from an occupancy map.
struct MapTrackOptions {
    bool startGiven = false; // else the map frame's origin, else the largest free loop
    double startX = 0;       // metres in the map's frame
    double startY = 0;
    bool yawGiven = false; // else the track runs counter-clockwise
    double startYaw = 0;   // radians, 0 along +x, counter-clockwise
    bool reverse = false;  // run the other way
    double minObstacle = 0; // metres: smaller specks are ignored; 0: three cells
    double closeGaps = 0;   // metres: wall gaps up to this wide are closed; 0: none
    // Metres: a gap in a wall narrower than the car is a wall to it, so when
    // the free space makes no one loop as it is, such gaps are closed (and
    // the note says so). The F1TENTH car's width; 0: never.
    double carWidth = 0.31;
    // Bytes the import may take at its peak: a track that would take more is
    // refused up front, saying how much coarser a map would do. Room for a
    // whole process within 2 GB; 0: no limit.
    double memoryBudget = 1.9e9;
};

// One point of the centre line, on the map's pixel grid.
struct MapLinePoint {
    double x = 0; // canvas pixels: the map's picture, x right, y down
    double y = 0;
    double right = 0; // pixels to the face of the wall on the right, in the direction of travel
    double left = 0;
};

struct MapCentreline {
    std::vector<MapLinePoint> points; // a closed loop, the first point the start
    WorldFrame frame;                 // of the map: its resolution, its top-left corner in the world
    int width = 0;                    // the map's size in cells
    int height = 0;
    std::string note; // how the track was found, when the user should know
    // The map's free cells as the track was found in them (specks smaller
    // than the minimum obstacle made free): every other cell is a wall the
    // race line keeps off.
    CellMask freeCells;
    // The size below which specks were made free, in cells across: the
    // walls are MapFreeCells of the map with it.
    int minObstacleCells = 0;
};

// The world frame of a map `height` cells high: the YAML's origin is the
// picture's lower-left corner.
WorldFrame MapFrame(const RosMapInfo& info, int height);

// The map's free cells by its own thresholds, specks of wall fewer than
// `minObstacleCells` across made free: where the track is found, and
// whatever else is a wall to the race line. A track file's map reads back
// its walls through this, with the size the import used.
CellMask MapFreeCells(const GreyImage& image, const RosMapInfo& info, int minObstacleCells);

// The centre line of the ring of free space round the start: the medial line
// between its walls, resampled to a point per pixel and smoothed over a few
// pixels (moving it far less than a pixel), with the distance to each wall.
// Refuses a map turned by its origin's yaw and a map without a track, with a
// message that says where and which option helps.
Result<MapCentreline> ExtractMapCentreline(const GreyImage& image, const RosMapInfo& info,
                                           const MapTrackOptions& options);

} // namespace velmora
