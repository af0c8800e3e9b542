#include "ui/simulator_commands.h"

#include "core/formats/number_text.h"
#include "core/formats/track_file.h"
#include "core/track/track_loading.h"
#include "inputs/ros_map_load.h"
#include "inputs/track_input.h"
#include "ui/failure_report.h"

#include <new>
#include <string>

namespace velmora {

namespace {

const QString kCircuitFilter = "centreline|*.csv";
const QString kMapFilter = "ROS map|*.yaml;*.yml";

// The file through the editor's way in of this name, as velmora-export
// reads it with nothing given but the editor's own track width.
Result<TrackJob> ReadInput(const Workspace& ws, const char* input, const QString& path)
{
    try {
        return InputNamed(input)->read(EditorInputOptions(ws.settings), ws.settings, path);
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
    const Result<TrackJob> imported = ReadInput(ws, "circuit", path);
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
    ws.settings.TrackWidth = imported->settings.TrackWidth; // drawn by the redraw the load asked for
    ws.frame = imported->frame;
    KeepCircuitEdges(ws, imported->sourceEdges);
    ws.editor.view.status1 = "circuit imported: " + imported->note;
}

void ImportMap(Workspace& ws, const Prompts& prompts)
{
    const QString path = prompts.openFile("Import Map", kMapFilter, ws.tracksFolder);
    if (path.isEmpty()) {
        ws.editor.view.status1 = "cancelled";
        return;
    }
    const Result<TrackJob> placed = ReadInput(ws, "map", path);
    if (!placed) {
        ReportError(prompts, "could not import map: " + path + ": " + QString::fromStdString(placed.error()));
        return;
    }
    const QImage template_ = MapPicture(*placed->mapImage);
    QImage canvas(placed->settings.CanvasWidth, placed->settings.CanvasHeight, QImage::Format_RGB32);
    if (template_.isNull() || canvas.isNull()) {
        ReportError(prompts, "could not import map: " + path + ": out of memory");
        return;
    }
    // The map's own canvas: a canvas pixel is a map cell, so the track lies
    // on the picture under it and every output on the map's world.
    if (ApplyLoadedTrack(ws.editor, placed->settings, WriteTrackFile(placed->model), {}) ==
        LoadOutcome::NotTrackFile) {
        ReportError(prompts, "could not import map: " + path);
        return;
    }
    ws.settings = placed->settings;
    ws.canvas = std::move(canvas);
    ws.templateImage = template_;
    ws.templateCache = TemplateCache{};
    ws.frame = placed->frame;
    KeepCircuitEdges(ws, {});
    ws.editor.view.status1 = "map imported: " + placed->note;
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
