#pragma once

#include "core/result.h"

#include <string>
#include <string_view>

namespace velmora {

// How the grey values of an occupancy map picture are read.
enum class RosMapMode {
    Trinary, // free, occupied or unknown by the two thresholds
    Scale,   // the same free and occupied cells; values between are kept
             // graded by ROS, which for a track is still "not free"
};

// The description the ROS map server reads beside an occupancy map picture.
struct RosMapInfo {
    std::string image;      // as written: relative to the description's folder unless absolute
    double resolution = 0;  // metres per cell
    double originX = 0;     // world position of the picture's lower-left corner
    double originY = 0;
    double originYaw = 0;   // radians
    bool negate = false;    // white is occupied
    double occupiedThresh = 0.65;
    double freeThresh = 0.196;
    RosMapMode mode = RosMapMode::Trinary;
};

// Reads the map server's YAML: "key: value" lines, "#" comments, `origin` as
// a flow list "[x, y, yaw]", text plain or in quotes. `image`, `resolution`,
// `origin`, `occupied_thresh` and `free_thresh` are required; `negate`
// (0/1, true/false) and `mode` (trinary, scale) are optional. Unknown keys
// are ignored, as the map server ignores them. Numbers are read whatever the
// locale. Fails naming the key (and line) on anything it cannot take,
// including thresholds outside 0..1 or a free threshold above the occupied
// one, and mode "raw", whose values are no grey levels.
Result<RosMapInfo> ReadRosMapYaml(std::string_view text);

} // namespace velmora
