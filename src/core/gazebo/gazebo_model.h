#pragma once

#include "core/gazebo/start_pose.h"
#include "core/gazebo/wall_strip.h"
#include "core/result.h"
#include "core/track/world_frame.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

inline constexpr double kDefaultWallHeight = 0.3; // metres

// What a Gazebo world of a track is made from.
struct GazeboInput {
    std::string name; // the track's name
    WorldFrame frame;
    int canvasWidth = 0; // pixels
    int canvasHeight = 0;
    std::string trackPath; // TrackModel::TrackPath
    double trackWidth = 0; // pixels
    double wallHeight = kDefaultWallHeight;
    std::string texturePng; // the exported picture of the canvas, as PNG
};

// One file of the world, its path relative to the output folder.
struct ModelFile {
    std::string path;
    std::string bytes;
};

struct GazeboWorld {
    std::string name; // the model's name, as the paths use it
    std::vector<ModelFile> files;
    StartPose start;
};

// The track's name as Gazebo's model:// addresses and world names can carry
// it: letters, digits, "_" and "-" kept, anything else "_"; "track" for none.
std::string GazeboModelName(std::string_view trackName);

// Why `in` cannot make a world ("could not make the Gazebo world: ..."),
// else success.
Status CheckGazeboInput(const GazeboInput& in);

// The files of the Gazebo model of the track in its standard layout,
// NAME_gazebo/ with model.config, model.sdf, meshes/NAME.dae and
// materials/textures/NAME.png, and NAME_world.sdf beside it, which includes
// the model as model://NAME_gazebo: Gazebo Classic finds it through
// GAZEBO_MODEL_PATH, Gazebo Sim through GZ_SIM_RESOURCE_PATH, set to the
// output folder. The ground plate is the canvas in the world frame, the walls
// are `walls` (canvas pixels). Fails as CheckGazeboInput does.
Result<GazeboWorld> GazeboWorldFiles(const GazeboInput& in, std::vector<WallStrip> walls);

} // namespace velmora
