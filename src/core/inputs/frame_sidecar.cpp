#include "core/inputs/frame_sidecar.h"

#include "core/formats/field_text.h"
#include "core/formats/file_names.h"
#include "core/formats/number_text.h"
#include "core/formats/yaml_text.h"
#include "core/raceline/vehicle.h"
#include "core/settings/settings.h"
#include "core/track/rounding.h"

#include <array>
#include <cmath>
#include <optional>
#include <vector>

namespace velmora {

namespace {

constexpr std::array<std::string_view, 4> kKeys = {"resolution", "origin", "track_width_m", "vehicle"};

std::string AtLine(std::size_t line)
{
    return "line " + std::to_string(line) + ": ";
}

// A plain value ends where a comment begins: " #" or a tab before "#".
std::string_view WithoutComment(std::string_view value)
{
    for (std::size_t i = 1; i < value.size(); ++i)
        if (value[i] == '#' && (value[i - 1] == ' ' || value[i - 1] == '\t'))
            return TrimBlanks(value.substr(0, i));
    return value;
}

std::optional<double> WholeNumber(std::string_view text)
{
    text = TrimBlanks(text);
    const DecimalScan scan = ScanDecimal(text);
    if (scan.length == 0 || scan.length != text.size() || !std::isfinite(scan.value))
        return std::nullopt;
    return scan.value;
}

Result<double> NumberOf(std::string_view key, std::string_view value)
{
    if (const std::optional<double> v = WholeNumber(value))
        return *v;
    return Fail(std::string(key) + " must be a plain decimal number, not " + QuotedField(value));
}

Status ReadOrigin(std::string_view value, WorldFrame& frame)
{
    const std::string problem = "origin must be [x, y, 0.0] in metres, not " + QuotedField(value);
    if (value.size() < 2 || value.front() != '[' || value.back() != ']')
        return Fail(problem);
    std::vector<double> numbers;
    std::string_view rest = value.substr(1, value.size() - 2);
    while (true) {
        const std::size_t comma = rest.find(',');
        const std::optional<double> v = WholeNumber(rest.substr(0, comma));
        if (!v)
            return Fail(problem);
        numbers.push_back(*v);
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    if (numbers.size() != 3)
        return Fail(problem);
    if (numbers[2] != 0)
        return Fail("the origin's third value turns the canvas, which no output follows: it must be 0.0");
    frame.originX = numbers[0];
    frame.originY = numbers[1];
    return {};
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// A double-quoted name as YamlText writes it: "\"", "\\" and "\xHH".
Result<std::string> QuotedText(std::string_view value)
{
    std::string out;
    for (std::size_t i = 1; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '"') {
            const std::string_view after = TrimBlanks(value.substr(i + 1));
            if (!after.empty() && after.front() != '#')
                return Fail("vehicle has text after its closing quote");
            return out;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i + 1 < value.size() && (value[i + 1] == '"' || value[i + 1] == '\\')) {
            out += value[++i];
        } else if (i + 3 < value.size() && value[i + 1] == 'x' && HexDigit(value[i + 2]) >= 0 &&
                   HexDigit(value[i + 3]) >= 0) {
            out += static_cast<char>(HexDigit(value[i + 2]) * 16 + HexDigit(value[i + 3]));
            i += 3;
        } else {
            return Fail("vehicle has an escape other than \\\", \\\\ or \\xHH");
        }
    }
    return Fail("vehicle's quotes are not closed");
}

Result<std::string> VehicleName(std::string_view value)
{
    Result<std::string> name = !value.empty() && value.front() == '"'
                                   ? QuotedText(value)
                                   : Result<std::string>(std::string(WithoutComment(value)));
    if (name && name->empty())
        return Fail("vehicle must name a vehicle (" + KnownVehicleNames() + ") or a vehicle file");
    return name;
}

Status ReadValue(std::string_view key, std::string_view value, TrackWorld& world)
{
    if (key == "vehicle") {
        Result<std::string> name = VehicleName(value);
        if (!name)
            return Fail(name.error());
        world.vehicle = std::move(*name);
        return {};
    }
    value = WithoutComment(value);
    if (key == "origin")
        return ReadOrigin(value, world.frame);
    const Result<double> number = NumberOf(key, value);
    if (!number)
        return Fail(number.error());
    if (!(*number > 0))
        return Fail(std::string(key) + " must be greater than 0, not " + QuotedField(value));
    (key == "resolution" ? world.frame.metresPerPixel : world.trackWidthM) = *number;
    return {};
}

// One "key: value" line into the world; `seen` marks the keys read so far.
Status ReadLine(std::string_view line, std::array<bool, kKeys.size()>& seen, TrackWorld& world)
{
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return Fail("expected \"key: value\", found " + QuotedField(line));
    const std::string_view key = TrimBlanks(line.substr(0, colon));
    std::size_t k = 0;
    while (k < kKeys.size() && kKeys[k] != key)
        ++k;
    if (k == kKeys.size())
        return Fail("unknown key " + QuotedField(key) +
                    " (resolution, origin, track_width_m and vehicle are read)");
    if (seen[k])
        return Fail(std::string(key) + " is given twice");
    seen[k] = true;
    return ReadValue(key, TrimBlanks(line.substr(colon + 1)), world);
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
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    TrackWorld world;
    std::array<bool, kKeys.size()> seen{};
    std::size_t lineNumber = 0;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view line = TrimBlanks(bytes.substr(0, end));
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        ++lineNumber;
        if (line.empty() || line.front() == '#')
            continue;
        if (Status s = ReadLine(line, seen, world); !s)
            return Fail(AtLine(lineNumber) + s.error());
    }
    for (std::size_t k = 0; k < kKeys.size(); ++k)
        if (!seen[k])
            return Fail("no " + std::string(kKeys[k]) + " is given");
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
