#pragma once

#include "core/track/world_frame.h"
#include "core/gazebo/wall_strip.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// What the track's mesh shows, in the world frame (metres, z up).
struct TrackMeshInput {
    WorldFrame frame;
    int canvasWidth = 0; // pixels
    int canvasHeight = 0;
    std::vector<WallStrip> walls; // canvas pixels
    double wallHeight = 0;        // metres
    std::string textureUri;       // the ground's picture, relative to the mesh file
};

// COLLADA 1.4.1 with two nodes: "ground", a plate the size of the canvas at
// z = 0 showing the picture the right way up (its top row along the
// canvas's top edge), and "walls", each strip raised to wallHeight with its
// inner and outer faces and its top, open strips closed at their ends. Flat
// normals; faces wound counter-clockwise seen from outside.
std::string TrackCollada(const TrackMeshInput& in);

} // namespace velmora
