#pragma once

#include "core/gazebo/gazebo_model.h"
#include "core/result.h"

namespace velmora {

// The Gazebo world of the track (GazeboWorldFiles) with the walls of its
// occupancy map. Fails, saying why, for a track without a surface or input
// that cannot make a world.
Result<GazeboWorld> BuildGazeboWorld(const GazeboInput& in);

} // namespace velmora
