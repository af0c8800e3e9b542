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
#include <cstdint>
#include <optional>
#include <vector>

namespace velmora {

namespace {

constexpr std::array<std::string_view, 4> kKeys = {"resolution", "origin", "track_width_m", "vehicle"};
constexpr std::array<std::string_view, 3> kOptionalKeys = {"track_fnv1a64", "map", "edges"};

bool Known(const std::string& key)
{
    return std::find(kKeys.begin(), kKeys.end(), key) != kKeys.end() ||
           std::find(kOptionalKeys.begin(), kOptionalKeys.end(), key) != kOptionalKeys.end();
}

// One row of the edges: x, y, width right, width left.
Status ReadEdgeRow(const YAML::Node& row, SourceEdges& edges)
{
    const Result<std::vector<double>> numbers =
        YamlNumbers(row, 4, "edges", "an edge row must be [x, y, width right, width left] in metres");
    if (!numbers)
        return Fail(numbers.error());
    const std::vector<double>& v = *numbers;
    if (v[2] < 0 || v[3] < 0)
        return Fail(YamlAt(row) + "an edge's widths cannot be below 0");
    edges.centre.push_back({v[0], v[1]});
    edges.widthRight.push_back(v[2]);
    edges.widthLeft.push_back(v[3]);
    return {};
}

Status ReadEdges(const YAML::Node& value, SourceEdges& edges)
{
    const YAML::Node closed = value.IsMap() ? value["closed"] : YAML::Node();
    const YAML::Node rows = value.IsMap() ? value["rows"] : YAML::Node();
    if (!closed || !rows || !rows.IsSequence() || value.size() != 2)
        return Fail(YamlAt(value) + "edges must give closed (true or false) and rows");
    const Result<std::string> flag = YamlString(closed, "closed");
    if (!flag || (*flag != "true" && *flag != "false"))
        return Fail(YamlAt(closed) + "closed must be true or false");
    edges.closed = *flag == "true";
    for (const YAML::Node& row : rows)
        if (Status s = ReadEdgeRow(row, edges); !s)
            return s;
    if (edges.empty())
        return Fail(YamlAt(rows) + "edges need at least 2 rows");
    return {};
}

std::string EdgesYaml(const SourceEdges& edges)
{
    if (edges.empty())
        return {};
    std::string text = std::string("edges:\n  closed: ") + (edges.closed ? "true" : "false") +
                       "\n  # x, y, width right, width left, in metres\n  rows:\n";
    for (std::size_t i = 0; i < edges.centre.size(); ++i)
        text += "  - [" + YamlFloat(edges.centre[i].x) + ", " + YamlFloat(edges.centre[i].y) + ", " +
                YamlFloat(edges.widthRight[i]) + ", " + YamlFloat(edges.widthLeft[i]) + "]\n";
    return text;
}

Result<double> Positive(const YAML::Node& value, std::string_view key)
{
    const Result<double> number = YamlNumber(value, key);
    if (number && !(*number > 0))
        return Fail(YamlAt(value) + std::string(key) + " must be greater than 0, not " + QuotedField(value.Scalar()));
    return number;
}

Status ReadOrigin(const YAML::Node& value, WorldFrame& frame)
{
    const Result<std::vector<double>> read = YamlNumbers(value, 3, "origin", "origin must be [x, y, 0.0] in metres");
    if (!read)
        return Fail(read.error());
    const std::vector<double>& numbers = *read;
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
    if (key == "edges")
        return ReadEdges(value, world.edges);
    if (key == "track_fnv1a64") {
        Result<std::string> sum = YamlString(value, key);
        if (!sum)
            return Fail(sum.error());
        world.trackChecksum = std::move(*sum);
        return {};
    }
    if (key == "map") {
        Result<std::string> name = YamlString(value, key);
        if (name && name->empty())
            return Fail(at + "map must name a map's description (its .yaml file)");
        if (!name)
            return Fail(name.error());
        world.map = std::move(*name);
        return {};
    }
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
           "vehicle: " + YamlText(w.vehicle) + "\n" +
           (w.trackChecksum.empty() ? "" : "track_fnv1a64: \"" + w.trackChecksum + "\"\n") +
           (w.map.empty() ? "" : "map: " + YamlText(w.map) + "\n") + EdgesYaml(w.edges);
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
        if (!Known(key))
            return Fail(YamlAt(entry.first) + "unknown key " + QuotedField(key) +
                        " (resolution, origin, track_width_m, vehicle, track_fnv1a64, map and edges are read)");
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

std::string TrackChecksum(std::string_view trackBytes)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : trackBytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        text[static_cast<std::size_t>(i)] = kDigits[hash & 0xF];
    return text;
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
