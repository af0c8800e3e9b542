#include "core/formats/ros_map_yaml.h"

#include "core/formats/yaml_text.h"

namespace velmora {

std::string RosMapYaml(std::string_view imageName, double resolution, double originX, double originY)
{
    return "image: " + YamlText(imageName) + "\n" + "resolution: " + YamlFloat(resolution) + "\n" +
           "origin: [" + YamlFloat(originX) + ", " + YamlFloat(originY) + ", 0.0]\n" +
           "negate: 0\n"
           "occupied_thresh: 0.65\n"
           "free_thresh: 0.196\n";
}

} // namespace velmora
