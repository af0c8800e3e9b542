#include "core/mapin/map_import.h"

#include "core/formats/number_text.h"
#include "core/settings/settings.h"
#include "core/track/click_track.h"
#include "core/track/path.h"
#include "core/track/rounding.h"

#include <cmath>
#include <memory>

namespace velmora {

namespace {

// Room around the map for the kerbs the import allows for: the ring lies
// inside the map's walls, and whatever of a kerb falls beyond the picture
// is simply not drawn.
constexpr int kKerbRoom = 8;

double Hundredths(double v)
{
    return RoundHalfEven(v * 100) / 100;
}

std::string Where(const WorldFrame& f, double px, double py)
{
    return FormatFixed(f.X(px), 2) + "," + FormatFixed(f.Y(py), 2) + " m";
}

// The import names its rows by line; a map's rows are the line's points.
std::string InMetres(const std::string& error, const MapCentreline& line)
{
    if (error.rfind("line ", 0) != 0)
        return error;
    const std::size_t colon = error.find(": ");
    const std::size_t row = std::size_t(std::atol(error.c_str() + 5));
    if (colon == std::string::npos || row < 1 || row > line.points.size())
        return error;
    const MapLinePoint& p = line.points[row - 1];
    return "at " + Where(line.frame, p.x, p.y) + ": " + error.substr(colon + 2);
}

// The import centres the line on its canvas with an origin it rounds to a
// tenth of a unit; in pixel units that is a move by whole tenths of a pixel,
// which this takes back exactly before clicking the points again where the
// map has them.
Result<TrackModel> OnMapGrid(const ImportedCentreline& imported, double dx, double dy,
                             const MapCentreline& line, std::int32_t angleLimit)
{
    std::vector<CanvasPoint> points;
    for (const PathFigure& figure : ParsePathText(imported.model.TrackPath))
        for (const PathPoint& p : figure.points)
            points.push_back({Hundredths(Hundredths(p.x) + dx), Hundredths(Hundredths(p.y) + dy)});
    Settings editor;
    editor.AngleLimit = angleLimit;
    ClickedTrack clicked = ClickTrack(points, true, editor);
    if (!clicked.ok()) {
        const CanvasPoint& at = points[std::min(clicked.corner, points.size() - 1)];
        return Fail("at " + Where(line.frame, at.x, at.y) + ": the track turns " +
                    std::to_string(std::abs(clicked.turn)) + " degrees, more than the angle limit of " +
                    std::to_string(angleLimit));
    }
    clicked.model.PointerX = clicked.model.PointerY = 0;
    return std::move(clicked.model);
}

// The map's centre line in its world, the widths measured on the map at
// each point, and the map's walls, which the race line keeps off.
SourceEdges MapEdges(const MapCentreline& line, bool rowWidths)
{
    const WorldFrame& f = line.frame;
    SourceEdges e;
    for (const MapLinePoint& p : line.points) {
        e.centre.push_back({f.X(p.x), f.Y(p.y)});
        e.widthRight.push_back(f.Metres(p.right));
        e.widthLeft.push_back(f.Metres(p.left));
    }
    if (!line.freeCells.cells.empty())
        e.walls = std::make_shared<const MapWalls>(MapWalls{line.freeCells, f, line.minObstacleCells});
    e.rowWidths = rowWidths;
    return e;
}

} // namespace

std::shared_ptr<const MapWalls> MapWallsOf(const GreyImage& image, const RosMapInfo& info, int minObstacleCells)
{
    return std::make_shared<const MapWalls>(
        MapWalls{MapFreeCells(image, info, minObstacleCells), MapFrame(info, image.height), minObstacleCells});
}

Result<ImportedCentreline> ImportMapCentreline(const MapCentreline& line,
                                               const CentrelineImportOptions& options)
{
    // Rows in pixel units, y up, at one unit per pixel: the import's rounding
    // then works in hundredths of a map cell.
    std::vector<CentrelineRow> rows;
    rows.reserve(line.points.size());
    for (std::size_t i = 0; i < line.points.size(); ++i) {
        const MapLinePoint& p = line.points[i];
        rows.push_back({p.x, -p.y, p.right, p.left, true, i + 1});
    }
    CentrelineImportOptions o = options;
    o.canvasWidth = line.width + 2 * kKerbRoom;
    o.canvasHeight = line.height + 2 * kKerbRoom;
    o.metresPerPixel = 1;
    o.open = false;
    // A width in metres is a width in cells in these units.
    if (o.trackWidthMetres > 0)
        o.trackWidthMetres /= line.frame.metresPerPixel;
    Result<ImportedCentreline> imported = ImportCentreline(rows, o);
    if (!imported)
        return Fail(InMetres(imported.error(), line));
    // Canvas pixel = row x - origin x = map x - origin x, so map x = pixel +
    // origin x; likewise map y = pixel - origin y.
    const double dx = imported->frame.originX, dy = -imported->frame.originY;
    Result<TrackModel> model = OnMapGrid(*imported, dx, dy, line, options.angleLimit);
    if (!model)
        return Fail(model.error());
    imported->model = std::move(*model);
    for (CanvasPoint& p : imported->sourceLine)
        p = {p.x + dx, p.y + dy};
    imported->frame = line.frame;
    imported->sourceEdges = MapEdges(line, options.trackWidthFromFile);
    return imported;
}

} // namespace velmora
