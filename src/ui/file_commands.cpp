#include "ui/file_commands.h"

#include "ui/failure_report.h"
#include "ui/image_jobs.h"
#include "render/image/canvas_picture.h"
#include "core/formats/file_names.h"
#include "render/image/image_load.h"
#include "core/formats/rl_data.h"
#include "render/image/atomic_save.h"
#include "inputs/file_read.h"
#include "core/track/track_loading.h"
#include "core/formats/track_file.h"
#include "core/track/path.h"
#include "core/track/editor.h"
#include "inputs/frame_input.h"

#include <QFileInfo>
#include <new>
#include <string>
#include <utility>

namespace velmora {

namespace {

const QString kTrackFilter = "track file|*.trk";
const QString kImageFilter = "image|*.png;*.bmp";
const QString kTextFilter = "text file|*.txt";

const NotSaved kTrackNotSaved{"could not save track file", "SaveTrack", 722, "track not saved"};
const NotSaved kImageNotSaved{"could not save image", "Export", 875, "image not saved"};
const NotSaved kDataNotSaved{"could not create file", "SaveRLData", 1289, "data not saved"};
const NotSaved kFrameNotSaved{"could not save world frame", "SaveTrack", 723, "world frame not saved"};

QString FromStd(const std::string& s)
{
    return QString::fromStdString(s);
}

void ShowStatus(Workspace& ws, const QString& text)
{
    ws.editor.view.status1 = text.toStdString();
}

// Size of a regular file; 0 for a folder or a file that does not exist.
qint64 FileSize(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return 0;
    return info.size();
}

void ReportFailure(const Prompts& prompts, const QString& what, const char* procedure, int line)
{
    ReportError(prompts, ReportText(what.toStdString(), procedure, line));
}

// Asks for a track file name, makes it end in ".trk" and asks before
// overwriting. Empty when no name was chosen.
QString ChooseTrackName(const Workspace& ws, const Prompts& prompts)
{
    const QString chosen = prompts.saveFile("Save File As", kTrackFilter, ws.tracksFolder);
    if (chosen.isEmpty())
        return {};
    const QString path = FromStd(WithTrackExtension(chosen.toStdString()));
    if (!ConfirmOverwrite(path, prompts))
        return {};
    return path;
}

// The name becomes the one the next Save writes only once the file is
// written: after a failure the next Save must not quietly try it again.
void WriteTrackTo(Workspace& ws, const Prompts& prompts, const QString& path)
{
    // The file is replaced in one step, so a failed write keeps the old one.
    const std::string track = WriteTrackFile(ws.editor.model);
    if (const Status saved = SaveBytes(path, track); !saved) {
        ReportNotSaved(ws, prompts, kTrackNotSaved, path, FromStd(saved.error()));
        return;
    }
    ws.editor.TrackFileName = path.toStdString();
    ShowStatus(ws, "track saved to " + path);
    const QString framePath = FramePath(path);
    if (!ws.frame) {
        // A frame file left from a track saved there before is not this
        // track's: the next Load would give this track its world.
        if (const Status removed = RemoveFrameBeside(path); !removed)
            ReportNotSaved(ws, prompts, kFrameNotSaved, framePath, FromStd(removed.error()));
        return;
    }
    TrackWorld world;
    world.frame = *ws.frame;
    world.trackWidthM = ws.frame->Metres(ws.settings.TrackWidth);
    world.vehicle = ws.vehicle;
    if (ws.map)
        world.map = ws.map->description.toStdString();
    const std::shared_ptr<const SourceEdges> edges = CircuitEdgesNow(ws);
    if (const Status saved = SaveBytes(framePath, FrameFileText(world, edges.get(), path, track)); !saved)
        ReportNotSaved(ws, prompts, kFrameNotSaved, framePath, FromStd(saved.error()));
}

// A track that brings no width or canvas of its own is drawn with the
// user's preferred ones, never with those of the track before it.
void UsePreferredTrack(Workspace& ws, const Prompts& prompts)
{
    UsePreferredTrackSettings(ws.settings, ws.prefs);
    if (!FitCanvasPicture(ws))
        ReportError(prompts, "could not create canvas: the track is drawn on the old one");
}

// The map a loaded track's frame file names lies under it again, on the
// map's canvas, as Import Map put it, and a map track's edges get its
// walls back. A map that cannot be read is told; the track stays loaded,
// drawn on the preferred canvas without it, and a map track's edges go
// with it (without the walls they bound, it is a drawn track).
void LoadTrackMap(Workspace& ws, const Prompts& prompts, const TrackWorld& world)
{
    Result<MapReadBack> read = LoadMapUnderlay(FromStd(world.map), world.wallsMinObstacleCells);
    if (!read) {
        ReportError(prompts, "the track is loaded without its map's picture: " + FromStd(read.error()));
        ws.editor.view.status1 += ", without its map's picture";
        KeepCircuitEdges(ws, world.wallsMinObstacleCells ? SourceEdges{} : world.edges);
        return;
    }
    MapUnderlay& under = read->underlay;
    ws.settings.CanvasWidth = under.picture.width();
    ws.settings.CanvasHeight = under.picture.height();
    if (!FitCanvasPicture(ws)) {
        UsePreferredTrack(ws, prompts);
        ReportError(prompts, "the track is loaded without its map's picture: no memory for a canvas that large");
        KeepCircuitEdges(ws, world.wallsMinObstacleCells ? SourceEdges{} : world.edges);
        return;
    }
    ws.map = std::move(under);
    SourceEdges edges = world.edges;
    edges.walls = std::move(read->walls);
    KeepCircuitEdges(ws, edges);
    ws.editor.view.status1 += ", on its map";
}

// A loaded track takes its world from NAME_frame.yaml beside it, or has
// none. A frame file that cannot be read, or is not this track's, is told
// and left as it is; the track stays loaded, without a world.
void LoadTrackWorld(Workspace& ws, const Prompts& prompts, const QString& trackPath, std::string_view track)
{
    ws.frame.reset();
    ws.map.reset();
    KeepCircuitEdges(ws, {});
    const Result<std::optional<FrameInput>> in = ReadFrameBeside(trackPath, track);
    if (!in) {
        ReportError(prompts, "the track is loaded without its world frame: " + FromStd(in.error()));
        return;
    }
    if (!*in)
        return;
    const TrackWorld& world = (*in)->world;
    ws.frame = world.frame;
    ws.vehicle = world.vehicle;
    // The redraw the load asked for is still to come: it draws this width.
    ws.settings.TrackWidth = TrackWidthPixels(world);
    ws.editor.view.status1 += ", with its world frame";
    if (world.map.empty())
        KeepCircuitEdges(ws, world.edges);
    else
        LoadTrackMap(ws, prompts, world);
}

// How an export ends once its picture is written, or could not be.
void ExportDone(Workspace& ws, const Prompts& prompts, const QString& path, const Result<std::string>& result)
{
    if (!result) {
        ReportNotSaved(ws, prompts, kImageNotSaved, path,
                       result.error().empty() ? QString("the picture could not be encoded") : FromStd(result.error()));
        return;
    }
    ShowStatus(ws, "track image saved as " + path);
}

} // namespace

bool ConfirmOverwrite(const QString& path, const Prompts& prompts)
{
    if (FileSize(path) <= 0)
        return true;
    return prompts.confirm("file already exists; overwrite?");
}

void New(Workspace& ws, const Prompts& prompts)
{
    UsePreferredTrack(ws, prompts);
    NewTrack(ws.editor, ws.settings);
    ws.frame.reset(); // a track only drawn lies nowhere in particular
    ws.map.reset();
    ws.templateImage = QImage();
    ws.templateCache = TemplateCache{};
}

void SaveTrack(Workspace& ws, const Prompts& prompts)
{
    QString path = FromStd(ws.editor.TrackFileName);
    if (path.isEmpty())
        path = ChooseTrackName(ws, prompts);
    if (path.isEmpty()) {
        ShowStatus(ws, "cancelled");
        return;
    }
    WriteTrackTo(ws, prompts, path);
}

void SaveTrackAs(Workspace& ws, const Prompts& prompts)
{
    const QString path = ChooseTrackName(ws, prompts);
    if (!path.isEmpty())
        WriteTrackTo(ws, prompts, path);
}

void Load(Workspace& ws, const Prompts& prompts)
{
    const QString path = prompts.openFile("Load File", kTrackFilter, ws.tracksFolder);
    if (path.isEmpty()) {
        ShowStatus(ws, "cancelled");
        return;
    }
    if (FileSize(path) < 1) {
        ReportFailure(prompts, "could not find file: " + path, "Load", 739);
        return;
    }
    try {
        if (const Result<QByteArray> bytes = ReadWholeFile(path)) {
            const std::string_view track(bytes->constData(), static_cast<size_t>(bytes->size()));
            const LoadOutcome outcome = ApplyLoadedTrack(ws.editor, ws.settings, track, path.toStdString());
            // The open track stays: garbage must not become the path that
            // the next Save writes over the user's file.
            if (outcome == LoadOutcome::NotTrackFile) {
                ReportFailure(prompts, "not a track file: " + path, "Load", 745);
                return;
            }
            UsePreferredTrack(ws, prompts);
            LoadTrackWorld(ws, prompts, path, track);
            return;
        }
    } catch (const std::bad_alloc&) {
        // Too large to hold: reported like an unreadable file.
    }
    ReportFailure(prompts, "could not read file: " + path, "Load", 743);
}

void Export(Workspace& ws, const Prompts& prompts)
{
    if (RefusedWhileBusy(ws))
        return;
    const QImage picture = CanvasPicture(ws.canvas);
    if (picture.isNull()) {
        ReportFailure(prompts, "could not creat image", "Export", 851);
        return;
    }
    const QString chosen = prompts.saveFile("Save Image", kImageFilter, ws.tracksFolder);
    if (chosen.isEmpty()) {
        ShowStatus(ws, "cancelled");
        return;
    }
    const ImageTarget target = ChooseImageTarget(chosen.toStdString());
    const QString path = FromStd(target.path);
    if (!ConfirmOverwrite(path, prompts))
        return;
    // Encoding a huge picture takes seconds: the window answers meanwhile.
    const auto done = [&ws, prompts, path](const Result<std::string>& r) { ExportDone(ws, prompts, path, r); };
    RunImageJob(ws.imageJobs, SaveImageJob(picture, target.format, path, done));
}

void CopyImg(Workspace& ws, const Prompts& prompts)
{
    if (RefusedWhileBusy(ws))
        return;
    const QImage picture = CanvasPicture(ws.canvas);
    if (picture.isNull()) {
        ReportFailure(prompts, "could not creat image", "CopyImg", 832);
        return;
    }
    // The PNG is made ahead, off the window's thread, for the programs that
    // paste it; without it they still get the picture.
    const auto done = [&ws, prompts, picture](const Result<std::string>& r) {
        if (prompts.toClipboard)
            prompts.toClipboard(picture, r ? QByteArray::fromStdString(*r) : QByteArray());
        ShowStatus(ws, "track copied to Clipboard");
    };
    RunImageJob(ws.imageJobs, ClipboardImageJob(picture, done));
}

void LoadTemplate(Workspace& ws, const Prompts& prompts)
{
    const QString path = prompts.openFile("Load Template", kImageFilter, ws.tracksFolder);
    if (path.isEmpty()) {
        ShowStatus(ws, "cancelled");
        return;
    }
    LoadedImage loaded = LoadImg(path);
    switch (loaded.status) {
    case ImageLoadStatus::Missing:
        // The template shown so far stays.
        ReportFailure(prompts, "could not find image: " + path, "LoadImg", 490);
        return;
    case ImageLoadStatus::Undecodable:
        ReportError(prompts, "could not load image: " + path);
        ws.templateImage = QImage();
        break;
    case ImageLoadStatus::Loaded:
        ws.templateImage = std::move(loaded.image);
        break;
    }
    ws.templateCache = TemplateCache{}; // the scaled copy of the old template
    RequestRedraw(ws.editor, ws.settings);
    ShowStatus(ws, path + " loaded as template");
}

void SaveRLData(Workspace& ws, const Prompts& prompts)
{
    const PathMeasure path(ws.editor.model.TrackPath);
    // Checked before the dialog so that nothing is asked for in vain.
    if (const Status usable = RLExportProblem(path, ws.settings.MarkerGap, ws.settings.TrackWidth); !usable) {
        ReportError(prompts, FromStd("could not export RL data: " + usable.error()));
        return;
    }
    const QString name = prompts.saveFile("Save RL Data As", kTextFilter, ws.tracksFolder);
    if (name.isEmpty()) {
        ShowStatus(ws, "cancelled");
        return;
    }
    const RLExport data =
        BuildRLExport(path, ws.editor.model.markers, ws.settings.MarkerGap, ws.settings.TrackWidth);
    DrawEndMarks(ws.canvas, data.endMarks);
    if (const Status saved = SaveBytes(name, data.text); !saved) {
        ReportNotSaved(ws, prompts, kDataNotSaved, name, FromStd(saved.error()));
        return;
    }
    ShowStatus(ws, "data saved as " + name);
}

} // namespace velmora
