#include "core/formats/number_text.h"
#include "core/mapin/map_import.h"
#include "core/settings/settings.h"
#include "inputs/ros_map_load.h"
#include "inputs/track_input.h"

namespace velmora {

namespace {

// Reads the map and finds its track (PlaceMapTrack).
Result<TrackJob> ReadMapInput(const InputOptions& o, const Settings& base, const QString& path)
{
    const Result<LoadedMap> map = LoadRosMap(path);
    if (!map)
        return Fail(map.error());
    return PlaceMapTrack(o, base, *map);
}

} // namespace

// The track on a canvas the map's size in the map's frame, with the angle
// limit of the settings and the width given (without one, the widths
// measured on the map); its source edges are the map's line, widths and
// walls. The map comes along, its picture under the track, named so that
// no output is written over it.
Result<TrackJob> PlaceMapTrack(const InputOptions& o, const Settings& base, const LoadedMap& map)
{
    TrackJob job;
    job.settings = InputSettings(o, base);
    const Result<MapCentreline> line = ExtractMapCentreline(map.image, map.info, o.map);
    if (!line)
        return Fail(line.error());
    CentrelineImportOptions io;
    io.angleLimit = job.settings.AngleLimit;
    io.trackWidth = job.settings.TrackWidth;
    io.trackWidthMetres = o.trackWidthMetres;
    // Without a width given the track is as wide as the map measures it.
    io.trackWidthFromFile = o.trackWidthFromCsv || (o.trackWidth <= 0 && o.trackWidthMetres <= 0);
    Result<ImportedCentreline> imported = ImportMapCentreline(*line, io);
    if (!imported)
        return Fail(imported.error());
    Result<MapUnderlay> under = UnderlayOf(map);
    if (!under)
        return Fail(under.error());
    job.map = std::move(*under);
    job.model = std::move(imported->model);
    job.settings.TrackWidth = imported->trackWidth;
    job.settings.CanvasWidth = line->width;
    job.settings.CanvasHeight = line->height;
    job.frame = imported->frame;
    job.hasWorld = true;
    job.sourceEdges = std::move(imported->sourceEdges);
    job.note = (line->note.empty() ? "" : line->note + "; ") + "map " + std::to_string(line->width) + " x " +
               std::to_string(line->height) + " cells of " +
               FormatSignificant(job.frame.metresPerPixel, kShownDigits) + " m, track width " +
               FormatSignificant(imported->trackWidth, kShownDigits) + " px" +
               (io.trackWidthFromFile ? " (the median measured on the map)" : "");
    return job;
}

bool IsMapInput(const QString& path)
{
    return path.endsWith(".yaml", Qt::CaseInsensitive) || path.endsWith(".yml", Qt::CaseInsensitive);
}

extern const InputEntry kMapInput = {"map", IsMapInput, ReadMapInput};

} // namespace velmora
