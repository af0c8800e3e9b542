#include "core/formats/ros_map_yaml_read.h"

#include "core/formats/field_text.h"
#include "core/formats/number_text.h"

#include <cmath>
#include <set>
#include <vector>

namespace velmora {

namespace {

struct Entry {
    std::string_view key;
    std::string_view value;
    std::size_t line = 0;
};

std::string At(const Entry& e)
{
    return "line " + std::to_string(e.line) + ": ";
}

// The value without a trailing comment; a "#" inside quotes is text.
std::string_view WithoutComment(std::string_view value)
{
    char quote = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '#' && (i == 0 || value[i - 1] == ' ' || value[i - 1] == '\t')) {
            return TrimBlanks(value.substr(0, i));
        }
    }
    return TrimBlanks(value);
}

Result<std::vector<Entry>> Entries(std::string_view text)
{
    std::vector<Entry> entries;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::size_t line = 0;
    while (!text.empty()) {
        ++line;
        const std::size_t end = text.find_first_of("\r\n");
        const std::string_view row = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::string_view trimmed = TrimBlanks(row);
        if (trimmed.empty() || trimmed.front() == '#' || trimmed == "---" || trimmed == "...")
            continue;
        const std::size_t colon = trimmed.find(':');
        if (colon == std::string_view::npos)
            return Fail("line " + std::to_string(line) + ": expected \"key: value\", not " + QuotedField(trimmed));
        entries.push_back({TrimBlanks(trimmed.substr(0, colon)), WithoutComment(trimmed.substr(colon + 1)), line});
    }
    return entries;
}

Result<double> Number(const Entry& e, std::string_view text)
{
    const DecimalScan scan = ScanDecimal(text);
    if (scan.length == 0 || scan.length != text.size() || !std::isfinite(scan.value))
        return Fail(At(e) + std::string(e.key) + " needs a number, not " + QuotedField(text));
    return scan.value;
}

std::string Unquoted(std::string_view v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return std::string(v.substr(1, v.size() - 2));
    return std::string(v);
}

Status ReadOrigin(const Entry& e, RosMapInfo& info)
{
    std::string_view v = e.value;
    if (v.size() < 2 || v.front() != '[' || v.back() != ']')
        return Fail(At(e) + "origin needs [x, y, yaw], not " + QuotedField(v));
    v = v.substr(1, v.size() - 2);
    double values[3];
    for (int i = 0; i < 3; ++i) {
        const std::size_t comma = v.find(',');
        if ((i < 2) == (comma == std::string_view::npos))
            return Fail(At(e) + "origin needs three numbers [x, y, yaw], not " + QuotedField(e.value));
        const Result<double> n = Number(e, TrimBlanks(v.substr(0, comma)));
        if (!n)
            return Fail(n.error());
        values[i] = *n;
        v.remove_prefix(comma == std::string_view::npos ? v.size() : comma + 1);
    }
    info.originX = values[0];
    info.originY = values[1];
    info.originYaw = values[2];
    return {};
}

Status ReadNegate(const Entry& e, RosMapInfo& info)
{
    const std::string v = Unquoted(e.value);
    if (v == "0" || EqualsIgnoringAsciiCase(v, "false"))
        info.negate = false;
    else if (v == "1" || EqualsIgnoringAsciiCase(v, "true"))
        info.negate = true;
    else
        return Fail(At(e) + "negate needs 0 or 1, not " + QuotedField(e.value));
    return {};
}

Status ReadMode(const Entry& e, RosMapInfo& info)
{
    const std::string v = Unquoted(e.value);
    if (EqualsIgnoringAsciiCase(v, "trinary"))
        info.mode = RosMapMode::Trinary;
    else if (EqualsIgnoringAsciiCase(v, "scale"))
        info.mode = RosMapMode::Scale;
    else if (EqualsIgnoringAsciiCase(v, "raw"))
        return Fail(At(e) + "mode raw holds occupancy values, not grey levels; only trinary and scale maps are read");
    else
        return Fail(At(e) + "mode needs trinary or scale, not " + QuotedField(e.value));
    return {};
}

Status ReadEntry(const Entry& e, RosMapInfo& info)
{
    const auto number = [&e](double& out) -> Status {
        const Result<double> n = Number(e, Unquoted(e.value));
        if (!n)
            return Fail(n.error());
        out = *n;
        return {};
    };
    if (e.key == "image") {
        info.image = Unquoted(e.value);
        if (info.image.empty())
            return Fail(At(e) + "image names no file");
        return {};
    }
    if (e.key == "resolution")
        return number(info.resolution);
    if (e.key == "occupied_thresh")
        return number(info.occupiedThresh);
    if (e.key == "free_thresh")
        return number(info.freeThresh);
    if (e.key == "origin")
        return ReadOrigin(e, info);
    if (e.key == "negate")
        return ReadNegate(e, info);
    if (e.key == "mode")
        return ReadMode(e, info);
    return {};
}

Status CheckValues(const RosMapInfo& info)
{
    if (!(info.resolution > 0))
        return Fail("resolution must be a number of metres greater than 0");
    const auto unit = [](double v) { return v >= 0 && v <= 1; };
    if (!unit(info.occupiedThresh) || !unit(info.freeThresh))
        return Fail("occupied_thresh and free_thresh must lie between 0 and 1");
    if (info.freeThresh > info.occupiedThresh)
        return Fail("free_thresh (" + FormatShortest(info.freeThresh) + ") is above occupied_thresh (" +
                    FormatShortest(info.occupiedThresh) + ")");
    return {};
}

} // namespace

Result<RosMapInfo> ReadRosMapYaml(std::string_view text)
{
    const Result<std::vector<Entry>> entries = Entries(text);
    if (!entries)
        return Fail(entries.error());
    RosMapInfo info;
    std::set<std::string_view> seen;
    for (const Entry& e : *entries) {
        if (!seen.insert(e.key).second)
            return Fail(At(e) + std::string(e.key) + " is given twice");
        if (Status s = ReadEntry(e, info); !s)
            return Fail(s.error());
    }
    for (const char* key : {"image", "resolution", "origin", "occupied_thresh", "free_thresh"})
        if (!seen.count(key))
            return Fail(std::string("the map description has no ") + key);
    if (Status s = CheckValues(info); !s)
        return Fail(s.error());
    return info;
}

} // namespace velmora
