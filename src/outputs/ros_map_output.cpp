#include "core/formats/ros_map_yaml.h"
#include "core/track/path.h"
#include "outputs/output_files.h"
#include "outputs/output_table.h"
#include "outputs/track_products.h"
#include "render/image/grey_png_write.h"
#include "render/occupancy_map.h"

#include <cmath>

namespace velmora {

namespace {

double Micrometres(double metres)
{
    return std::round(metres * 1e6) / 1e6;
}

// Whether the surface and its walls reach beyond the canvas. The outline of
// a polyline stroked with round corners lies within `reach` of its points.
bool RunsOffCanvas(std::string_view trackPath, double reach, int w, int h)
{
    for (const PathFigure& figure : ParsePathText(trackPath))
        for (const PathPoint& p : figure.points)
            if (p.x - reach < 0 || p.y - reach < 0 || p.x + reach > w || p.y + reach > h)
                return true;
    return false;
}

// The occupancy map written as ROS's picture and description.
Status WriteRosMap(const OutputContext& c)
{
    const Result<RosMap> map = TrackRosMap(c);
    if (!map)
        return Fail(map.error());
    const Result<std::string> png = EncodeGreyPng(map->cells);
    if (!png)
        return Fail(png.error());
    if (map->openAtEdge)
        c.warnings.push_back(kOpenMapWarning);
    if (Status s = c.Write("_map.png", *png); !s)
        return s;
    const std::string image = Utf8(c.names.name + "_map.png");
    return c.Write("_map.yaml", RosMapYaml(image, map->resolution, map->originX, map->originY));
}

} // namespace

// The occupancy map of the track for ROS and the F1TENTH gym, in the world
// frame of the other outputs in metres.
Result<RosMap> TrackRosMap(const OutputContext& c)
{
    const double width = c.settings.TrackWidth;
    if (!(width > 0) || !std::isfinite(width))
        return Fail("could not make the map: the track width must be a number greater than 0");
    const int w = CanvasSide(c.settings.CanvasWidth), h = CanvasSide(c.settings.CanvasHeight);
    RosMap map;
    map.cells = OccupancyMap(c.model.TrackPath, width, w, h);
    map.openAtEdge = RunsOffCanvas(c.model.TrackPath, width / 2 + kMapWallWidth, w, h);
    map.resolution = c.frame.metresPerPixel;
    // The picture's lower-left corner is pixel (0, h) of the canvas, written
    // to the micrometre as the other outputs in metres are.
    map.originX = Micrometres(c.frame.X(0));
    map.originY = Micrometres(c.frame.Y(h));
    return map;
}

extern const OutputEntry kRosMapOutput = {"ros-map", "ROS map", "NAME_map.png, NAME_map.yaml",
                                          "an occupancy map for ROS and F1TENTH", OutputPicture::None, WriteRosMap};

} // namespace velmora
