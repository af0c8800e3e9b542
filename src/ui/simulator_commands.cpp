#include "ui/simulator_commands.h"

#include "core/formats/number_text.h"
#include "core/formats/track_file.h"
#include "core/track/track_loading.h"
#include "inputs/ros_map_load.h"
#include "inputs/track_input.h"
#include "ui/failure_report.h"
#include "ui/image_jobs.h"
#include "ui/map_import_choice.h"
#include "ui/status_fields.h"

#include <memory>
#include <new>
#include <string>

namespace velmora {

namespace {

const QString kCircuitFilter = "centreline|*.csv";
const QString kMapFilter = "ROS map|*.yaml;*.yml";

// The circuit as velmora-export reads it with nothing given but the
// editor's own track width.
Result<TrackJob> ReadCircuit(const Settings& settings, const QString& path)
{
    try {
        return InputNamed("circuit")->read(EditorInputOptions(settings), settings, path);
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    }
}

// One map import, handed between the window's thread and the worker: each
// side touches it only while the other does not (the job's start and end
// hand it over).
struct MapJob {
    QString path;
    LoadedMap map;
    QImage picture; // the map's picture, a pixel a cell, for the dialog
    InputOptions options;
    Settings settings;
    TrackJob placed;
};

const QString kMapBusy = "still importing a map; try again when it is done";

// On the worker: the map and its picture.
Status ReadMap(MapJob& job)
{
    Result<LoadedMap> map = LoadRosMap(job.path);
    if (!map)
        return Fail(map.error());
    job.picture = MapPicture(map->image, map->info);
    if (job.picture.isNull())
        return Fail("out of memory");
    job.map = std::move(*map);
    return {};
}

// On the worker: the track on the map as velmora-export finds it with the
// same choices, at the settings' angle limit and width.
Status PlaceMap(MapJob& job)
{
    Result<TrackJob> placed = PlaceMapTrack(job.options, job.settings, job.map);
    if (!placed)
        return Fail(placed.error());
    job.placed = std::move(*placed);
    return {};
}

void MapFailed(Workspace& ws, const Prompts& prompts, const QString& path, const std::string& why)
{
    ReportError(prompts, "could not import map: " + path + ": " + QString::fromStdString(why));
    ws.editor.view.status1 = "map not imported";
}

// On the window's thread: the map's canvas, picture and frame, and its
// track. Nothing changes when it cannot be taken.
void TakeMap(Workspace& ws, const Prompts& prompts, const MapJob& job)
{
    const TrackJob& placed = job.placed;
    QImage canvas(placed.settings.CanvasWidth, placed.settings.CanvasHeight, QImage::Format_RGB32);
    if (canvas.isNull()) {
        MapFailed(ws, prompts, job.path, "out of memory");
        return;
    }
    // The map's own canvas: a canvas pixel is a map cell, so the track lies
    // on the picture under it and every output on the map's world.
    if (ApplyLoadedTrack(ws.editor, placed.settings, WriteTrackFile(placed.model), {}) == LoadOutcome::NotTrackFile) {
        MapFailed(ws, prompts, job.path, "the track found is no track the editor can take");
        return;
    }
    ws.settings = placed.settings;
    ws.canvas = std::move(canvas);
    // The map's picture under the track, where its walls are; a template
    // shown for the track before would only hide it.
    ws.map = placed.map;
    ws.templateImage = QImage();
    ws.templateCache = TemplateCache{};
    ws.frame = placed.frame;
    // The map's walls and measured widths, which the race line keeps to.
    KeepCircuitEdges(ws, placed.sourceEdges);
    ws.editor.view.status1 = "map imported: " + placed.note;
}

// The choices for this map: asked in the dialog over the map when there is
// one, else those of last time. False when the user cancels.
bool ChooseMapImport(Workspace& ws, const Prompts& prompts, MapJob& job)
{
    const Workspace::MapImport last = ws.lastMapImport.value_or(Workspace::MapImport{job.path, {}});
    MapImportChoice choice = ChoiceForMap(last.choice, last.path, job.path);
    if (prompts.chooseMapImport) {
        const std::optional<MapImportChoice> chosen =
            prompts.chooseMapImport(job.picture, MapFrame(job.map.info, job.map.image.height), choice);
        if (!chosen)
            return false;
        choice = *chosen;
    }
    ws.lastMapImport = Workspace::MapImport{job.path, choice};
    job.options.map = TrackOptions(choice);
    // Not measured on the map: the editor's own width, as if given.
    if (!choice.measuredWidth)
        job.options.trackWidth = ws.settings.TrackWidth;
    job.settings = ws.settings;
    return true;
}

ImageJob MapStep(const QString& text, std::function<Status(MapJob&)> step, const std::shared_ptr<MapJob>& job)
{
    ImageJob work;
    work.progressText = text;
    work.counted = false;
    work.refusal = kMapBusy;
    work.work = [step = std::move(step), job](EncodeProgress&) -> Result<std::string> {
        if (Status done = step(*job); !done)
            return Fail(done.error());
        return std::string();
    };
    return work;
}

void FindMapTrack(Workspace& ws, const Prompts& prompts, const std::shared_ptr<MapJob>& job,
                  const std::function<void()>& placed)
{
    if (!ChooseMapImport(ws, prompts, *job)) {
        ws.editor.view.status1 = "cancelled";
        return;
    }
    ImageJob find = MapStep("finding the track on the map", PlaceMap, job);
    find.done = [&ws, prompts, job, placed](const Result<std::string>& result) {
        if (!result) {
            MapFailed(ws, prompts, job->path, result.error());
            return;
        }
        TakeMap(ws, prompts, *job);
        if (placed)
            placed();
    };
    RunImageJob(ws.imageJobs, std::move(find));
}

} // namespace

void ImportCircuit(Workspace& ws, const Prompts& prompts)
{
    const QString path = prompts.openFile("Import Circuit", kCircuitFilter, ws.tracksFolder);
    if (path.isEmpty()) {
        ws.editor.view.status1 = "cancelled";
        return;
    }
    // Placed on the preferred canvas, not on one the track before brought.
    Settings settings = ws.settings;
    UsePreferredTrackSettings(settings, ws.prefs);
    const Result<TrackJob> imported = ReadCircuit(settings, path);
    if (!imported) {
        ReportError(prompts, "could not import circuit: " + path + ": " + QString::fromStdString(imported.error()));
        return;
    }
    // Taken in as a loaded track is, so the editor's state after it is the
    // same; it has no file yet, so Save asks for one rather than writing
    // beside the circuit unasked.
    if (ApplyLoadedTrack(ws.editor, settings, WriteTrackFile(imported->model), {}) == LoadOutcome::NotTrackFile) {
        ReportError(prompts, "could not import circuit: " + path);
        return;
    }
    ws.settings = settings;
    ws.settings.TrackWidth = imported->settings.TrackWidth; // drawn by the redraw the load asked for
    if (!FitCanvasPicture(ws))
        ReportError(prompts, "could not create canvas: the circuit is drawn on the old one");
    ws.frame = imported->frame;
    ws.map.reset(); // the circuit lies on no map
    KeepCircuitEdges(ws, imported->sourceEdges);
    ws.editor.view.status1 = "circuit imported: " + imported->note;
}

void ImportMap(Workspace& ws, const Prompts& prompts, std::function<void()> placed)
{
    if (RefusedWhileBusy(ws))
        return;
    const QString path = prompts.openFile("Import Map", kMapFilter, ws.tracksFolder);
    if (path.isEmpty()) {
        ws.editor.view.status1 = "cancelled";
        return;
    }
    // Read on the worker, asked about over its picture here, its track found
    // on the worker again: a map thousands of cells across takes a while.
    auto job = std::make_shared<MapJob>();
    job->path = path;
    ImageJob read = MapStep("reading the map", ReadMap, job);
    read.done = [&ws, prompts, job, placed = std::move(placed)](const Result<std::string>& result) {
        if (!result) {
            MapFailed(ws, prompts, job->path, result.error());
            return;
        }
        FindMapTrack(ws, prompts, job, placed);
    };
    RunImageJob(ws.imageJobs, std::move(read));
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
    // A circuit's own edges lie where its frame put the track: in another
    // frame the track no longer lies on them.
    if (!ws.frame || ws.frame->metresPerPixel != chosen->metresPerPixel || ws.frame->originX != chosen->originX ||
        ws.frame->originY != chosen->originY)
        KeepCircuitEdges(ws, {});
    ws.frame = *chosen;
    ws.editor.view.status1 = "world frame: scale " + FormatSignificant(chosen->metresPerPixel, kShownDigits) +
                             " m per pixel, origin " + FormatSignificant(chosen->originX, kShownDigits) + "," +
                             FormatSignificant(chosen->originY, kShownDigits) + " m";
}

} // namespace velmora
