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
#include <limits>
#include <optional>
#include <vector>

namespace velmora {

namespace {

// A map track's edges are a row per cell along its loop: some 85 bytes a
// row, so this holds a loop of some 190,000 cells, round the largest map
// canvas; the library's node tree takes many times the file's size.
constexpr std::size_t kFrameFileBytes = 16 << 20;

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

Result<bool> ReadFlag(const YAML::Node& value, std::string_view key)
{
    const Result<std::string> flag = YamlString(value, key);
    if (!flag || (*flag != "true" && *flag != "false"))
        return Fail(YamlAt(value) + std::string(key) + " must be true or false");
    return *flag == "true";
}

// The smallest obstacle the map's walls were found with, in whole cells.
Status ReadWalls(const YAML::Node& value, TrackWorld& world)
{
    const Result<double> cells = YamlNumber(value, "walls_min_obstacle_cells");
    if (!cells)
        return Fail(cells.error());
    if (!(*cells >= 0 && *cells <= std::numeric_limits<int>::max() && *cells == std::floor(*cells)))
        return Fail(YamlAt(value) + "walls_min_obstacle_cells must be a whole number of cells, not " +
                    QuotedField(value.Scalar()));
    world.wallsMinObstacleCells = int(*cells);
    return {};
}

Status ReadEdgeKey(const std::string& key, const YAML::Node& value, TrackWorld& world)
{
    SourceEdges& edges = world.edges;
    if (key == "rows") {
        if (!value.IsSequence())
            return Fail(YamlAt(value) + "rows must be a list of [x, y, width right, width left]");
        for (const YAML::Node& row : value)
            if (Status s = ReadEdgeRow(row, edges); !s)
                return s;
        if (edges.empty())
            return Fail(YamlAt(value) + "edges need at least 2 rows");
        return {};
    }
    if (key == "walls_min_obstacle_cells")
        return ReadWalls(value, world);
    const Result<bool> flag = ReadFlag(value, key);
    if (!flag)
        return Fail(flag.error());
    (key == "closed" ? edges.closed : edges.rowWidths) = *flag;
    return {};
}

Status ReadEdges(const YAML::Node& value, TrackWorld& world)
{
    static constexpr std::array<std::string_view, 4> kEdgeKeys = {"closed", "rows", "row_widths",
                                                                  "walls_min_obstacle_cells"};
    if (!value.IsMap() || !value["closed"] || !value["rows"])
        return Fail(YamlAt(value) + "edges must give closed (true or false) and rows");
    if (Status s = KeysOnce(value); !s)
        return s;
    for (const auto& entry : value) {
        const std::string key = entry.first.IsScalar() ? entry.first.Scalar() : std::string();
        if (std::find(kEdgeKeys.begin(), kEdgeKeys.end(), key) == kEdgeKeys.end())
            return Fail(YamlAt(entry.first) + "unknown key " + QuotedField(key) +
                        " in edges (closed, row_widths, walls_min_obstacle_cells and rows are read)");
        if (Status s = ReadEdgeKey(key, entry.second, world); !s)
            return s;
    }
    return {};
}

std::string EdgesYaml(const TrackWorld& world)
{
    const SourceEdges& edges = world.edges;
    if (edges.empty())
        return {};
    std::string text = std::string("edges:\n  closed: ") + (edges.closed ? "true" : "false") + "\n";
    if (edges.rowWidths)
        text += "  row_widths: true\n";
    if (world.wallsMinObstacleCells)
        text += "  walls_min_obstacle_cells: " + std::to_string(*world.wallsMinObstacleCells) + "\n";
    text += "  # x, y, width right, width left, in metres\n  rows:\n";
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
        return ReadEdges(value, world);
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
           (w.map.empty() ? "" : "map: " + YamlText(w.map) + "\n") + EdgesYaml(w);
}

Result<TrackWorld> ReadTrackWorld(std::string_view bytes)
{
    const Result<YAML::Node> doc = LoadYamlMap(bytes, kFrameFileBytes);
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
    if (world.wallsMinObstacleCells && world.map.empty())
        return Fail("the edges' walls_min_obstacle_cells needs the map the walls are found on: no map is given");
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
