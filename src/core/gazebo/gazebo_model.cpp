#include "core/gazebo/gazebo_model.h"

#include "core/formats/number_text.h"
#include "core/gazebo/collada_mesh.h"
#include "core/gazebo/sdf_files.h"

#include <cmath>

namespace velmora {

namespace {

constexpr std::string_view kPngSignature("\x89PNG\r\n\x1a\n", 8);

Failure Refuse(const std::string& why)
{
    return Fail("could not make the Gazebo world: " + why);
}

// Why the input cannot make a world, or empty text.
std::string Problem(const GazeboInput& in)
{
    if (!(in.trackWidth > 0) || !std::isfinite(in.trackWidth))
        return "the track has no surface (track width " + FormatShortest(in.trackWidth) + " px)";
    if (!TrackStartPose(in.trackPath, in.frame))
        return "the track has no surface (its path has no stretch to follow)";
    if (in.canvasWidth < 1 || in.canvasHeight < 1)
        return "the canvas of " + std::to_string(in.canvasWidth) + " x " + std::to_string(in.canvasHeight) +
               " px is empty";
    const WorldFrame& f = in.frame;
    if (!(f.metresPerPixel > 0) || !std::isfinite(f.metresPerPixel) || !std::isfinite(f.originX) ||
        !std::isfinite(f.originY))
        return "the scale of " + FormatShortest(f.metresPerPixel) + " m per pixel or the origin is no use";
    if (!(in.wallHeight > 0) || !std::isfinite(in.wallHeight))
        return "the wall height must be a number above 0 m, not " + FormatShortest(in.wallHeight);
    if (in.texturePng.compare(0, kPngSignature.size(), kPngSignature) != 0)
        return "the picture for the ground is not a PNG";
    return {};
}

std::string Description(const GazeboInput& in, const StartPose& start)
{
    return "The race track " + in.name + " made with Velmora: a ground plate of " +
           FormatTrimmed(in.frame.Metres(in.canvasWidth), 2) + " x " +
           FormatTrimmed(in.frame.Metres(in.canvasHeight), 2) + " m showing the track, with walls " +
           FormatTrimmed(in.wallHeight, 3) + " m high along both edges. Spawn a car at the " +
           StartPoseText(start) + " (metres, radians).";
}

} // namespace

std::string GazeboModelName(std::string_view trackName)
{
    std::string name;
    for (const char c : trackName) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '_' || c == '-';
        name += keep ? c : '_';
    }
    return name.empty() ? "track" : name;
}

Status CheckGazeboInput(const GazeboInput& in)
{
    if (const std::string why = Problem(in); !why.empty())
        return Refuse(why);
    return {};
}

Result<GazeboWorld> GazeboWorldFiles(const GazeboInput& in, std::vector<WallStrip> walls)
{
    if (Status usable = CheckGazeboInput(in); !usable)
        return Fail(usable.error());
    GazeboWorld world;
    world.name = GazeboModelName(in.name);
    world.start = *TrackStartPose(in.trackPath, in.frame);
    const std::string& name = world.name;
    const std::string folder = name + "_gazebo";

    TrackMeshInput mesh{in.frame, in.canvasWidth, in.canvasHeight,
                        walls,    in.wallHeight,  "../materials/textures/" + name + ".png"};
    ModelSdfInput sdf{name,
                      "model://" + folder + "/meshes/" + name + ".dae",
                      in.frame,
                      in.canvasWidth,
                      in.canvasHeight,
                      std::move(walls),
                      in.wallHeight};
    world.files.push_back({folder + "/model.config", ModelConfig(name, Description(in, world.start))});
    world.files.push_back({folder + "/model.sdf", ModelSdf(sdf)});
    world.files.push_back({folder + "/meshes/" + name + ".dae", TrackCollada(mesh)});
    world.files.push_back({folder + "/materials/textures/" + name + ".png", in.texturePng});
    world.files.push_back({name + "_world.sdf", WorldSdf(name, "model://" + folder)});
    return world;
}

} // namespace velmora
