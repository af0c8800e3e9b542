#include "core/gazebo/sdf_files.h"

#include "core/formats/number_text.h"
#include "core/formats/ros_map_yaml.h"
#include "core/gazebo/xml_text.h"

#include <cmath>

namespace velmora {

namespace {

constexpr int kPlaces = 4; // metres and radians to a tenth of a millimetre
// The ground is a slab under the plate, its top at z = 0: a plane is made a
// box of a fixed size by some physics engines (dartsim's is 2,100 m across),
// so a large plate would run out of ground.
constexpr double kGroundThickness = 0.1;

std::string N(double v)
{
    return FormatTrimmed(v, kPlaces);
}

void AppendBox(std::string& out, int index, CanvasPoint a, CanvasPoint b, const ModelSdfInput& in)
{
    const double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
    if (!(len > 0))
        return;
    // The box sits half its thickness to the left of a-b, where the wall is.
    const double half = kMapWallWidth / 2.0;
    const double cx = (a.x + b.x) / 2 + dy / len * half, cy = (a.y + b.y) / 2 - dx / len * half;
    const WorldFrame& f = in.frame;
    const double yaw = WorldFrame::Heading(std::atan2(dy, dx));
    out += "      <collision name=\"wall_" + std::to_string(index) + "\">\n        <pose>" + N(f.X(cx)) +
           " " + N(f.Y(cy)) + " " + N(in.wallHeight / 2) + " 0 0 " + N(yaw) +
           "</pose>\n        <geometry>\n          <box>\n            <size>" + N(f.Metres(len)) + " " +
           N(f.Metres(kMapWallWidth)) + " " + N(in.wallHeight) +
           "</size>\n          </box>\n        </geometry>\n      </collision>\n";
}

} // namespace

std::string ModelSdf(const ModelSdfInput& in)
{
    const WorldFrame& f = in.frame;
    const double w = f.Metres(in.canvasWidth), h = f.Metres(in.canvasHeight);
    std::string out =
        "<?xml version=\"1.0\"?>\n<sdf version=\"1.7\">\n  <model name=\"" + XmlEscaped(in.name) +
        "\">\n    <static>true</static>\n    <link name=\"track\">\n"
        "      <collision name=\"ground\">\n        <pose>" +
        N(f.X(in.canvasWidth / 2.0)) + " " + N(f.Y(in.canvasHeight / 2.0)) + " " + N(-kGroundThickness / 2) +
        " 0 0 0</pose>\n        <geometry>\n          <box>\n            <size>" + N(w) + " " + N(h) + " " +
        N(kGroundThickness) +
        "</size>\n          </box>\n        </geometry>\n      </collision>\n"
        "      <visual name=\"visual\">\n        <geometry>\n          <mesh>\n            <uri>" +
        XmlEscaped(in.meshUri) + "</uri>\n          </mesh>\n        </geometry>\n      </visual>\n";
    int index = 0;
    for (const WallStrip& strip : in.walls) {
        const std::size_t n = strip.inner.size();
        for (std::size_t i = 0; i + 1 < n; ++i)
            AppendBox(out, index++, strip.inner[i], strip.inner[i + 1], in);
        if (strip.closed && n > 2)
            AppendBox(out, index++, strip.inner[n - 1], strip.inner[0], in);
    }
    out += "    </link>\n  </model>\n</sdf>\n";
    return out;
}

std::string ModelConfig(std::string_view name, std::string_view description)
{
    return "<?xml version=\"1.0\"?>\n<model>\n  <name>" + XmlEscaped(name) +
           "</name>\n  <version>1.0</version>\n  <sdf version=\"1.7\">model.sdf</sdf>\n"
           "  <author>\n    <name>Velmora</name>\n  </author>\n  <description>" +
           XmlEscaped(description) + "</description>\n</model>\n";
}

std::string WorldSdf(std::string_view name, std::string_view modelUri)
{
    return "<?xml version=\"1.0\"?>\n<sdf version=\"1.7\">\n  <world name=\"" + XmlEscaped(name) +
           "\">\n"
           "    <physics name=\"1ms\" type=\"ode\">\n      <max_step_size>0.001</max_step_size>\n"
           "      <real_time_factor>1</real_time_factor>\n"
           "      <real_time_update_rate>1000</real_time_update_rate>\n    </physics>\n"
           "    <gravity>0 0 -9.8</gravity>\n"
           "    <scene>\n      <ambient>0.4 0.4 0.4 1</ambient>\n      <background>0.7 0.7 0.7 "
           "1</background>\n"
           "      <shadows>true</shadows>\n    </scene>\n"
           "    <light type=\"directional\" name=\"sun\">\n      <cast_shadows>true</cast_shadows>\n"
           "      <pose>0 0 10 0 0 0</pose>\n      <diffuse>0.8 0.8 0.8 1</diffuse>\n"
           "      <specular>0.2 0.2 0.2 1</specular>\n      <attenuation>\n        <range>1000</range>\n"
           "        <constant>0.9</constant>\n        <linear>0.01</linear>\n"
           "        <quadratic>0.001</quadratic>\n      </attenuation>\n"
           "      <direction>-0.5 0.1 -0.9</direction>\n    </light>\n"
           "    <include>\n      <uri>" +
           XmlEscaped(modelUri) + "</uri>\n      <name>" + XmlEscaped(name) +
           "</name>\n      <pose>0 0 0 0 0 0</pose>\n    </include>\n  </world>\n</sdf>\n";
}

} // namespace velmora
