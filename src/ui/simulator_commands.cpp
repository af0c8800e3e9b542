#include "ui/simulator_commands.h"

#include "core/inputs/circuit_import.h"
#include "core/formats/number_text.h"
#include "core/formats/track_file.h"
#include "core/mapin/map_import.h"
#include "core/track/track_loading.h"
#include "inputs/file_read.h"
#include "inputs/ros_map_load.h"
#include "ui/failure_report.h"

#include <new>
#include <string>

namespace velmora {

namespace {

const QString kCircuitFilter = "centreline|*.csv";
const QString kMapFilter = "ROS map|*.yaml;*.yml";

Result<ImportedCentreline> ImportFile(const Workspace& ws, const QString& path)
{
    try {
        const Result<QByteArray> bytes = ReadWholeFile(path);
        if (!bytes)
            return Fail(bytes.error());
        return ImportCircuitText(std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())),
                                 CircuitImportOptions(ws.settings), true);
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    }
}

struct PlacedMap {
    LoadedMap map;
    MapCentreline line;
    ImportedCentreline imported;
};

// The map's track as velmora-export reads MAP.yaml with its defaults: the
// ring around the map's origin, at the settings' angle limit and width.
Result<PlacedMap> PlaceMap(const Workspace& ws, const QString& path)
{
    try {
        Result<LoadedMap> map = LoadRosMap(path);
        if (!map)
            return Fail(map.error());
        Result<MapCentreline> line = ExtractMapCentreline(map->image, map->info, MapTrackOptions{});
        if (!line)
            return Fail(line.error());
        CentrelineImportOptions io;
        io.angleLimit = ws.settings.AngleLimit;
        io.trackWidth = ws.settings.TrackWidth;
        Result<ImportedCentreline> imported = ImportMapCentreline(*line, io);
        if (!imported)
            return Fail(imported.error());
        return PlacedMap{std::move(*map), std::move(*line), std::move(*imported)};
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    }
}

} // namespace

void ImportCircuit(Workspace& ws, const Prompts& prompts)
{
    const QString path = prompts.openFile("Import Circuit", kCircuitFilter, ws.tracksFolder);
    if (path.isEmpty()) {
        ws.editor.view.status1 = "cancelled";
        return;
    }
    const Result<ImportedCentreline> imported = ImportFile(ws, path);
    if (!imported) {
        ReportError(prompts, "could not import circuit: " + path + ": " + QString::fromStdString(imported.error()));
        return;
    }
    // Taken in as a loaded track is, so the editor's state after it is the
    // same; it has no file yet, so Save asks for one rather than writing
    // beside the circuit unasked.
    if (ApplyLoadedTrack(ws.editor, ws.settings, WriteTrackFile(imported->model), {}) == LoadOutcome::NotTrackFile) {
        ReportError(prompts, "could not import circuit: " + path);
        return;
    }
    ws.settings.TrackWidth = imported->trackWidth; // drawn by the redraw the load asked for
    ws.frame = imported->frame;
    ws.circuitEdges.reset();
    if (!imported->sourceEdges.empty())
        ws.circuitEdges = Workspace::CircuitEdges{std::make_shared<const SourceEdges>(imported->sourceEdges),
                                                  ws.editor.model.TrackPath};
    ws.editor.view.status1 = "circuit imported: " + CircuitNote(*imported);
}

void ImportMap(Workspace& ws, const Prompts& prompts)
{
    const QString path = prompts.openFile("Import Map", kMapFilter, ws.tracksFolder);
    if (path.isEmpty()) {
        ws.editor.view.status1 = "cancelled";
        return;
    }
    const Result<PlacedMap> placed = PlaceMap(ws, path);
    if (!placed) {
        ReportError(prompts, "could not import map: " + path + ": " + QString::fromStdString(placed.error()));
        return;
    }
    const QImage template_ = MapPicture(placed->map.image);
    QImage canvas(placed->line.width, placed->line.height, QImage::Format_RGB32);
    if (template_.isNull() || canvas.isNull()) {
        ReportError(prompts, "could not import map: " + path + ": out of memory");
        return;
    }
    // The map's own canvas: a canvas pixel is a map cell, so the track lies
    // on the picture under it and every output on the map's world.
    Settings settings = ws.settings;
    settings.CanvasWidth = placed->line.width;
    settings.CanvasHeight = placed->line.height;
    if (ApplyLoadedTrack(ws.editor, settings, WriteTrackFile(placed->imported.model), {}) ==
        LoadOutcome::NotTrackFile) {
        ReportError(prompts, "could not import map: " + path);
        return;
    }
    ws.settings = settings;
    ws.settings.TrackWidth = placed->imported.trackWidth;
    ws.canvas = std::move(canvas);
    ws.templateImage = template_;
    ws.templateCache = TemplateCache{};
    ws.frame = placed->imported.frame;
    ws.editor.view.status1 = "map imported: " + (placed->line.note.empty() ? "" : placed->line.note + "; ") +
                             std::to_string(placed->line.width) + " x " + std::to_string(placed->line.height) +
                             " cells of " + FormatShortest(ws.frame->metresPerPixel) + " m, track width " +
                             FormatShortest(ws.settings.TrackWidth) + " px";
}

void EditWorldFrame(Workspace& ws, const Prompts& prompts)
{
    if (!prompts.chooseFrame)
        return;
    const std::optional<WorldFrame> chosen =
        prompts.chooseFrame(ws.frame.value_or(WorldFrame{}), ws.canvas.size(), ws.settings.TrackWidth);
    if (!chosen || !CheckFrame(*chosen)) {
        ws.editor.view.status1 = "cancelled";
        return;
    }
    ws.frame = *chosen;
    ws.editor.view.status1 = "world frame: scale " + FormatShortest(chosen->metresPerPixel) + " m per pixel, origin " +
                             OriginText(*chosen) + " m";
}

} // namespace velmora
