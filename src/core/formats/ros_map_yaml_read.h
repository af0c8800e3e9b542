#pragma once

#include "core/result.h"

#include <string>
#include <string_view>

namespace velmora {

// How the values of an occupancy map picture are read, as the map server
// defines its `mode`.
enum class RosMapMode {
    Trinary, // a grey level: free, occupied or unknown by the two thresholds
    Scale,   // the same free and occupied cells; levels between are kept
             // graded by ROS, which for a track is still "not free"; a pixel
             // not fully opaque is unknown
    Raw,     // the value is the cell's occupancy itself: 0 (free) to 100
             // (occupied), anything above unknown
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

// Metres per cell a map may have, and how far from zero its origin may lie:
// beyond them no map was ever drawn, and the numbers would overflow the
// cell arithmetic downstream.
inline constexpr double kMinMapResolution = 1e-6;
inline constexpr double kMaxMapResolution = 1e4;
inline constexpr double kMaxMapOrigin = 1e8;

// Reads the map server's YAML with a YAML library, so every form its own
// loader takes reads here: block or flow lists, comments, quotes, CR LF, a
// byte order mark; keys it does not use are ignored. `image`, `resolution`,
// `origin` (three numbers), `occupied_thresh` and `free_thresh` are
// required; `negate` (an integer, non-zero negates, or true/false) and
// `mode` (trinary, scale or raw, in any letter case) are optional, as 0 and
// trinary. Numbers are read whatever the locale. Fails in one line naming
// the key and its line on anything it cannot take: a key given twice, a
// number out of range, thresholds outside 0..1 or a free threshold above
// the occupied one.
Result<RosMapInfo> ReadRosMapYaml(std::string_view text);

} // namespace velmora
