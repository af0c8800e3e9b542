// Any bytes must read as a map description, or as a PGM picture whose track
// is found or refused with a one-line reason; a track found lies on the map,
// a closed loop with both walls at a distance.
#include "core/formats/pgm_read.h"
#include "core/formats/ros_map_yaml_read.h"
#include "core/mapin/map_centreline.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void CheckReason(const std::string& error)
{
    if (error.empty() || error.find('\n') != std::string::npos)
        __builtin_trap();
}

void CheckLine(const velmora::MapCentreline& line)
{
    if (line.points.size() < 3)
        __builtin_trap();
    for (const velmora::MapLinePoint& p : line.points)
        if (!(p.x >= 0 && p.y >= 0 && p.x <= line.width && p.y <= line.height) || !(p.left >= -0.5) ||
            !(p.right >= -0.5))
            __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const velmora::Result<velmora::RosMapInfo> info = velmora::ReadRosMapYaml(bytes);
    if (!info)
        CheckReason(info.error());
    const velmora::Result<velmora::GreyImage> image = velmora::ReadPgm(bytes, 96);
    if (!image) {
        CheckReason(image.error());
        return 0;
    }
    // The picture's first bytes choose the start and the options, so that
    // the fuzzer reaches every way through the search.
    velmora::RosMapInfo map;
    map.resolution = 0.1;
    velmora::MapTrackOptions o;
    const std::uint8_t* v = image->values.data();
    const std::size_t n = image->values.size();
    o.startGiven = n > 0 && v[0] % 2;
    o.startX = n > 1 ? v[1] % 100 * 0.1 : 0;
    o.startY = n > 2 ? -(v[2] % 100) * 0.1 : 0;
    o.closeGaps = n > 3 ? v[3] % 4 * 0.1 : 0;
    o.reverse = n > 4 && v[4] % 2;
    const velmora::Result<velmora::MapCentreline> line = velmora::ExtractMapCentreline(*image, map, o);
    if (line)
        CheckLine(*line);
    else
        CheckReason(line.error());
    return 0;
}
