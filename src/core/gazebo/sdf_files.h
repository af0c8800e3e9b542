#pragma once

#include "core/track/world_frame.h"
#include "core/gazebo/wall_strip.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The model's SDF: one static link whose visual is the mesh at meshUri and
// whose collisions are a thin box under the whole canvas, its top at z = 0,
// and one box per stretch of wall, its inner face along the surface's edge.
// Boxes, not planes or the mesh, because every physics engine of Gazebo Classic and Gazebo Sim
// collides with them reliably, where thin triangle meshes let wheels through.
struct ModelSdfInput {
    std::string name;
    std::string meshUri;
    WorldFrame frame;
    int canvasWidth = 0; // pixels
    int canvasHeight = 0;
    std::vector<WallStrip> walls; // canvas pixels
    double wallHeight = 0;        // metres
};
std::string ModelSdf(const ModelSdfInput& in);

// model.config: what Gazebo's model path lists, with the SDF file's name.
std::string ModelConfig(std::string_view name, std::string_view description);

// A world holding the model at modelUri, with physics, a sun and the scene's
// light; Gazebo Sim adds its default systems to a world that names none.
std::string WorldSdf(std::string_view name, std::string_view modelUri);

} // namespace velmora
