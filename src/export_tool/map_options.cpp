#include "export_tool/map_options.h"

#include "core/formats/number_text.h"
#include "core/track/world_frame.h"
#include "inputs/track_input.h"

#include <QString>
#include <cmath>

namespace velmora {

namespace {

// Two or three finite numbers "X,Y[,YAW]", whatever the locale.
Status ReadStart(const std::string& v, ExportOptions& o)
{
    double values[3] = {0, 0, 0};
    std::string_view text(v);
    int count = 0;
    for (; count < 3; ++count) {
        const std::size_t comma = text.find(',');
        const std::string_view field = text.substr(0, comma);
        const DecimalScan scan = ScanDecimal(field);
        if (scan.length == 0 || scan.length != field.size() || !WithinWorld(scan.value))
            break;
        values[count] = scan.value;
        if (comma == std::string_view::npos) {
            ++count;
            text = {};
            break;
        }
        text.remove_prefix(comma + 1);
    }
    if (count < 2 || !text.empty())
        return Fail("--start needs X,Y or X,Y,YAW (metres, radians), each within " +
                    FormatShortest(kMaxWorldMetres) + " of 0, not \"" + v + "\"");
    o.map.startGiven = true;
    o.map.startX = values[0];
    o.map.startY = values[1];
    o.map.yawGiven = count == 3;
    o.map.startYaw = values[2];
    return {};
}

Status ReadReverse(const std::string&, ExportOptions& o)
{
    o.map.reverse = true;
    return {};
}

// Wider than any speck or gap a map of a race track holds: a larger number
// is a typing error, and made into map cells would not fit a whole number.
constexpr double kMaxMapFeature = 1000;

Status ReadMapMetres(const char* option, const std::string& v, double& out)
{
    if (!ReadPositive(v, out, kMaxMapFeature))
        return Fail(std::string(option) + " needs a number of metres greater than 0 and at most " +
                    FormatShortest(kMaxMapFeature) + ", not \"" + v + "\"");
    return {};
}

Status ReadMinObstacle(const std::string& v, ExportOptions& o)
{
    return ReadMapMetres("--min-obstacle", v, o.map.minObstacle);
}

Status ReadCloseGaps(const std::string& v, ExportOptions& o)
{
    return ReadMapMetres("--close-gaps", v, o.map.closeGaps);
}

Status Check(const ExportOptions& o)
{
    bool anyMap = false;
    for (const std::string& track : o.tracks)
        anyMap = anyMap || IsMapInput(QString::fromStdString(track));
    const MapTrackOptions& m = o.map;
    const bool mapOptions = m.startGiven || m.reverse || m.minObstacle > 0 || m.closeGaps > 0;
    if (mapOptions && !anyMap)
        return Fail("--start, --reverse, --min-obstacle and --close-gaps are for occupancy maps (MAP.yaml)");
    if (anyMap && (o.scaleGiven || o.originGiven || o.fit || o.open))
        return Fail("a map keeps its own resolution and origin and makes a closed track: --scale, --origin, "
                    "--fit and --open are not for MAP.yaml");
    return {};
}

constexpr ToolOption kOptions[] = {
    {"start", "X,Y[,YAW]",
     "where on the map the track is, metres in its frame (default 0,0, else the\n"
     "largest free loop), and the way to drive, radians (default counter-clockwise)",
     ReadStart},
    {"reverse", nullptr, "drive the map's track the other way", ReadReverse},
    {"min-obstacle", "M", "ignore specks on the map smaller than M metres (default 3 cells)", ReadMinObstacle},
    {"close-gaps", "M", "close gaps in the map's walls up to M metres wide (default none)", ReadCloseGaps},
};

} // namespace

const OptionSection kMapSection = {
    "occupancy maps:\n"
    "  MAP.yaml            a track argument ending in .yaml is a ROS map (map_server's YAML with a\n"
    "                      PGM or PNG picture): the track is the ring of free space round the start,\n"
    "                      its centre line the ring's medial line, in the map's frame and resolution",
    kOptions, Check};

} // namespace velmora
