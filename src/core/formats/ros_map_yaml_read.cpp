#include "core/formats/ros_map_yaml_read.h"

#include "core/formats/field_text.h"
#include "core/formats/number_text.h"
#include "core/formats/yaml_read.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace velmora {

namespace {

// The keys read; the others are the map's users' own.
constexpr std::array<std::string_view, 7> kKeys = {"image",           "resolution",  "origin", "occupied_thresh",
                                                   "free_thresh",     "negate",      "mode"};
constexpr std::array<std::string_view, 5> kRequired = {"image", "resolution", "origin", "occupied_thresh",
                                                       "free_thresh"};

// A number of the description, within [low, high].
Status ReadNumber(const YAML::Node& value, std::string_view key, double low, double high, double& out)
{
    const Result<double> n = YamlNumber(value, key);
    if (!n)
        return Fail(n.error());
    if (!(*n >= low && *n <= high))
        return Fail(YamlAt(value) + std::string(key) + " must lie between " + FormatShortest(low) + " and " +
                    FormatShortest(high) + ", not " + QuotedField(value.Scalar()));
    out = *n;
    return {};
}

Status ReadOrigin(const YAML::Node& value, RosMapInfo& info)
{
    if (!value.IsSequence() || value.size() != 3)
        return Fail(YamlAt(value) + "origin needs three numbers [x, y, yaw]");
    if (Status s = ReadNumber(value[0], "origin x", -kMaxMapOrigin, kMaxMapOrigin, info.originX); !s)
        return s;
    if (Status s = ReadNumber(value[1], "origin y", -kMaxMapOrigin, kMaxMapOrigin, info.originY); !s)
        return s;
    // Any finite yaw reads; whether a turned map can be used is for its user to say.
    const Result<double> yaw = YamlNumber(value[2], "origin yaw");
    if (!yaw)
        return Fail(yaw.error());
    info.originYaw = *yaw;
    return {};
}

// The map server reads negate as an integer first, then as a boolean.
Status ReadNegate(const YAML::Node& value, RosMapInfo& info)
{
    const std::string text = value.IsScalar() ? value.Scalar() : std::string();
    const DecimalScan scan = ScanDecimal(text);
    if (!text.empty() && scan.length == text.size() && scan.value == std::floor(scan.value)) {
        info.negate = scan.value != 0;
        return {};
    }
    for (const char* yes : {"true", "yes", "on"})
        if (EqualsIgnoringAsciiCase(text, yes)) {
            info.negate = true;
            return {};
        }
    for (const char* no : {"false", "no", "off"})
        if (EqualsIgnoringAsciiCase(text, no)) {
            info.negate = false;
            return {};
        }
    return Fail(YamlAt(value) + "negate needs 0 or 1, not " + QuotedField(text));
}

Status ReadMode(const YAML::Node& value, RosMapInfo& info)
{
    const Result<std::string> text = YamlString(value, "mode");
    if (!text)
        return Fail(text.error());
    if (EqualsIgnoringAsciiCase(*text, "trinary"))
        info.mode = RosMapMode::Trinary;
    else if (EqualsIgnoringAsciiCase(*text, "scale"))
        info.mode = RosMapMode::Scale;
    else if (EqualsIgnoringAsciiCase(*text, "raw"))
        info.mode = RosMapMode::Raw;
    else
        return Fail(YamlAt(value) + "mode needs trinary, scale or raw, not " + QuotedField(*text));
    return {};
}

Status ReadImage(const YAML::Node& value, RosMapInfo& info)
{
    Result<std::string> name = YamlString(value, "image");
    if (!name)
        return Fail(name.error());
    if (name->empty())
        return Fail(YamlAt(value) + "image names no file");
    info.image = std::move(*name);
    return {};
}

Status ReadEntry(const std::string& key, const YAML::Node& value, RosMapInfo& info)
{
    if (key == "image")
        return ReadImage(value, info);
    if (key == "resolution")
        return ReadNumber(value, key, kMinMapResolution, kMaxMapResolution, info.resolution);
    if (key == "occupied_thresh")
        return ReadNumber(value, key, 0, 1, info.occupiedThresh);
    if (key == "free_thresh")
        return ReadNumber(value, key, 0, 1, info.freeThresh);
    if (key == "origin")
        return ReadOrigin(value, info);
    if (key == "negate")
        return ReadNegate(value, info);
    if (key == "mode")
        return ReadMode(value, info);
    return {};
}

} // namespace

Result<RosMapInfo> ReadRosMapYaml(std::string_view text)
{
    const Result<YAML::Node> doc = LoadYamlMap(text);
    if (!doc)
        return Fail(doc.error());
    if (Status s = KeysOnce(*doc); !s)
        return Fail(s.error());
    RosMapInfo info;
    for (const auto& entry : *doc) {
        const std::string key = entry.first.IsScalar() ? entry.first.Scalar() : std::string();
        if (entry.second.IsNull() && std::find(kKeys.begin(), kKeys.end(), key) != kKeys.end())
            return Fail(YamlAt(entry.first) + key + " has no value");
        if (Status s = ReadEntry(key, entry.second, info); !s)
            return Fail(s.error());
    }
    for (const std::string_view key : kRequired)
        if (!(*doc)[std::string(key)])
            return Fail("the map description has no " + std::string(key));
    if (info.freeThresh > info.occupiedThresh)
        return Fail("free_thresh (" + FormatShortest(info.freeThresh) + ") is above occupied_thresh (" +
                    FormatShortest(info.occupiedThresh) + ")");
    return info;
}

} // namespace velmora
