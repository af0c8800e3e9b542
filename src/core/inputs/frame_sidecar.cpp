#include "core/inputs/frame_sidecar.h"

#include "core/formats/field_text.h"
#include "core/formats/file_names.h"
#include "core/formats/number_text.h"
#include "core/formats/yaml_read.h"
#include "core/formats/yaml_text.h"
#include "core/raceline/vehicle.h"
#include "core/settings/settings.h"
#include "core/track/rounding.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace velmora {

namespace {

constexpr std::array<std::string_view, 4> kKeys = {"resolution", "origin", "track_width_m", "vehicle"};

Result<double> Positive(const YAML::Node& value, std::string_view key)
{
    const Result<double> number = YamlNumber(value, key);
    if (number && !(*number > 0))
        return Fail(YamlAt(value) + std::string(key) + " must be greater than 0, not " + QuotedField(value.Scalar()));
    return number;
}

Status ReadOrigin(const YAML::Node& value, WorldFrame& frame)
{
    if (!value.IsSequence() || value.size() != 3)
        return Fail(YamlAt(value) + "origin must be [x, y, 0.0] in metres");
    double numbers[3];
    for (std::size_t i = 0; i < 3; ++i) {
        const Result<double> v = YamlNumber(value[i], "origin");
        if (!v)
            return Fail(v.error());
        numbers[i] = *v;
    }
    if (numbers[2] != 0)
        return Fail(YamlAt(value) +
                    "the origin's third value turns the canvas, which no output follows: it must be 0.0");
    frame.originX = numbers[0];
    frame.originY = numbers[1];
    return {};
}

// The value of one key; `at` is the key's line.
Status ReadValue(std::string_view key, const YAML::Node& value, const std::string& at, TrackWorld& world)
{
    if (key == "vehicle") {
        Result<std::string> name = YamlString(value, key);
        if (name && name->empty())
            return Fail(at + "vehicle must name a vehicle (" + KnownVehicleNames() + ") or a vehicle file");
        if (!name)
            return Fail(name.error());
        world.vehicle = std::move(*name);
        return {};
    }
    if (value.IsNull())
        return Fail(at + std::string(key) + " has no value");
    if (key == "origin")
        return ReadOrigin(value, world.frame);
    const Result<double> number = Positive(value, key);
    if (!number)
        return Fail(number.error());
    (key == "resolution" ? world.frame.metresPerPixel : world.trackWidthM) = *number;
    return {};
}

} // namespace

std::string TrackWorldYaml(const TrackWorld& w)
{
    return "# canvas pixel (px, py) lies at x = origin[0] + px * resolution, y = origin[1] - py * "
           "resolution\n"
           "resolution: " +
           YamlFloat(w.frame.metresPerPixel) + "\n" + "origin: [" + YamlFloat(w.frame.originX) + ", " +
           YamlFloat(w.frame.originY) + ", 0.0]\n" + "track_width_m: " + YamlFloat(w.trackWidthM) + "\n" +
           "vehicle: " + YamlText(w.vehicle) + "\n";
}

Result<TrackWorld> ReadTrackWorld(std::string_view bytes)
{
    const Result<YAML::Node> doc = LoadYamlMap(bytes);
    if (!doc)
        return Fail(doc.error());
    if (Status s = KeysOnce(*doc); !s)
        return Fail(s.error());
    TrackWorld world;
    for (const auto& entry : *doc) {
        const std::string key = entry.first.IsScalar() ? entry.first.Scalar() : std::string();
        if (std::find(kKeys.begin(), kKeys.end(), key) == kKeys.end())
            return Fail(YamlAt(entry.first) + "unknown key " + QuotedField(key) +
                        " (resolution, origin, track_width_m and vehicle are read)");
        if (Status s = ReadValue(key, entry.second, YamlAt(entry.first), world); !s)
            return Fail(s.error());
    }
    for (const std::string_view key : kKeys)
        if (!(*doc)[std::string(key)])
            return Fail("no " + std::string(key) + " is given");
    const double pixels = TrackWidthPixels(world);
    if (!(pixels >= 1 && pixels <= kMaxCanvasSide))
        return Fail("track_width_m makes the track " + FormatShortest(pixels) + " pixels wide at " +
                    FormatShortest(world.frame.metresPerPixel) + " m per pixel; a track is 1 to " +
                    std::to_string(kMaxCanvasSide) + " pixels wide");
    return world;
}

std::string TrackWorldPath(std::string_view trackPath)
{
    if (const std::optional<std::string_view> ext = PathExtension(trackPath))
        trackPath.remove_suffix(ext->size() + 1);
    return std::string(trackPath) + "_frame.yaml";
}

double TrackWidthPixels(const TrackWorld& w)
{
    const double pixels = w.trackWidthM / w.frame.metresPerPixel;
    const double snapped = RoundHalfEven(pixels * 1e6) / 1e6;
    return std::isfinite(snapped) ? snapped : pixels;
}

} // namespace velmora
