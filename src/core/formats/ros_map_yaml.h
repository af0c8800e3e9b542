#pragma once

#include <string>
#include <string_view>

namespace velmora {

// How thick the walls of an occupancy map are, in pixels: the map's own
// walls, and the walls of the Gazebo world traced along them.
inline constexpr int kMapWallWidth = 2;

// The description that the ROS map server and the F1TENTH gym read beside an
// occupancy map picture: the picture's file name, metres per pixel and the
// world position (x, y) of the picture's lower-left corner, then the fixed
// reading of the grey values (dark is occupied). Numbers are written in their
// shortest form that reads back exactly, always as YAML floats; LF line ends.
std::string RosMapYaml(std::string_view imageName, double resolution, double originX, double originY);

} // namespace velmora
