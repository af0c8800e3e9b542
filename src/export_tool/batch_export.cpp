#include "export_tool/batch_export.h"

#include "core/formats/centreline_csv.h"
#include "core/formats/rl_data.h"
#include "core/formats/track_file.h"
#include "core/settings/prefs_file.h"
#include "core/settings/user_folder.h"
#include "core/track/path.h"
#include "export_tool/generate_options.h"
#include "export_tool/interop_outputs.h"
#include "export_tool/output_files.h"
#include "export_tool/track_input.h"
#include "export_tool/track_pool.h"
#include "render/image/atomic_save.h"
#include "render/image/bmp_write.h"
#include "render/image/canvas_picture.h"
#include "render/image/image_load.h"
#include "render/image/png_write.h"
#include "render/redraw.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <memory>

namespace velmora {

namespace {

// Labels are drawn at the editor's reference resolution, so the pictures
// match what the editor exports on a standard display.
constexpr double kExportDpi = 96;

// Everything that stays the same for all tracks of one call. Workers export
// tracks at the same time and only read it.
struct ExportScene {
    Settings settings;
    RenderAssets assets;
    QImage templateImage;
    int encodeThreads = 1; // for each PNG
};

bool LoadSettings(const ExportOptions& o, const QString& programDir, Settings& settings, std::ostream& err)
{
    QString path = QString::fromStdString(o.prefsFile);
    if (path.isEmpty()) {
        // Where the editor keeps them: beside the program, or in the user's
        // own folder when the program is installed read-only.
        path = QDir(SettingsFolderFor(QDir(programDir).filesystemAbsolutePath())).filePath(kPrefsFileName);
        if (!QFileInfo(path).isFile())
            return true; // no preferences there: the defaults
    }
    QByteArray bytes;
    std::string error;
    const QFileInfo info(path);
    if (info.isFile() && info.size() == 0)
        return true; // an empty file holds no keys: the defaults
    if (!ReadWholeFile(path, bytes, error)) {
        err << "velmora-export: " << Utf8(path) << ": "
            << (error == "could not find file" ? "could not find the settings file" : error) << "\n";
        return false;
    }
    settings = ReadPrefs(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return true;
}

// Loads one picture the way the editor does: a missing file is an error,
// one that cannot be decoded is reported and left out.
bool LoadPicture(const QString& path, QImage& into, std::ostream& err)
{
    const LoadedImage loaded = LoadImg(path);
    switch (loaded.status) {
    case ImageLoadStatus::Loaded:
        into = loaded.image;
        return true;
    case ImageLoadStatus::Undecodable:
        err << "velmora-export: " << Utf8(path) << ": could not load image; drawing without it\n";
        into = QImage();
        return true;
    case ImageLoadStatus::Missing:
        break;
    }
    err << "velmora-export: " << Utf8(path) << ": could not find image\n";
    return false;
}

bool LoadScene(const ExportOptions& o, const QString& programDir, ExportScene& scene, std::ostream& err)
{
    if (!LoadSettings(o, programDir, scene.settings, err))
        return false;
    const QDir images(o.imagesDir.empty() ? QDir(programDir).filePath("Images")
                                          : QString::fromStdString(o.imagesDir));
    if (!LoadPicture(images.filePath("surface.png"), scene.assets.surface, err) ||
        !LoadPicture(images.filePath("start.png"), scene.assets.start, err) ||
        !LoadPicture(images.filePath("marker.png"), scene.assets.marker, err))
        return false;
    if (!o.templateImage.empty() &&
        !LoadPicture(QString::fromStdString(o.templateImage), scene.templateImage, err))
        return false;
    LoadFonts(scene.assets, scene.settings, kExportDpi);
    return true;
}

bool WritePicture(const ExportOptions& o, const ExportScene& scene, const TrackJob& job,
                  const QFileInfo& track, std::string& error)
{
    // Each worker thread scales the template once, for all its tracks.
    thread_local TemplateCache templateCache;

    QImage canvas(CanvasSide(job.settings.CanvasWidth), CanvasSide(job.settings.CanvasHeight),
                  QImage::Format_RGB32);
    if (canvas.isNull()) {
        error = "could not create the canvas picture";
        return false;
    }
    RedrawCanvas(canvas, job.model, job.settings, scene.assets, scene.templateImage, &templateCache);
    const QImage picture = CanvasPicture(canvas);
    const std::optional<std::string> bytes =
        o.bmp ? EncodeBmp(picture) : EncodePng(picture, scene.encodeThreads);
    if (picture.isNull() || !bytes) {
        error = "could not encode the picture";
        return false;
    }
    return Write(OutputPath(o, track, o.bmp ? ".bmp" : ".png"), *bytes, error);
}

bool WriteRL(const ExportOptions& o, const TrackJob& job, const QFileInfo& track, std::string& error)
{
    const PathMeasure measure(job.model.TrackPath);
    if (const auto problem = RLExportProblem(measure, job.settings.MarkerGap)) {
        error = "could not export RL data: " + *problem;
        return false;
    }
    const RLExport rl =
        BuildRLExport(measure, job.model.markers, job.settings.MarkerGap, job.settings.TrackWidth);
    return Write(OutputPath(o, track, "_rl.txt"), rl.text, error);
}

bool WriteCentreline(const ExportOptions& o, const TrackJob& job, const QFileInfo& track, std::string& error)
{
    const Result<TrackSamples> samples = SampleTrack(job.model.TrackPath, DefaultSpacing(job.metresPerPixel),
                                                     job.settings.TrackWidth);
    const Result<std::string> csv =
        samples ? CentrelineCsv(*samples, WorldFrame{job.metresPerPixel, 0, 0}) : Fail(samples.error());
    if (!csv) {
        error = "could not write the centreline: " + csv.error();
        return false;
    }
    return Write(OutputPath(o, track, "_centreline.csv"), *csv, error);
}

// Writes every output the options ask for; the first failure is the one
// reported, but the other outputs are still written.
bool WriteOutputs(const ExportOptions& o, const ExportScene& scene, const TrackJob& job,
                  const QFileInfo& track, std::string& error)
{
    bool ok = true;
    std::string first;
    const auto run = [&](bool wanted, auto&& step) {
        std::string why;
        if (wanted && !step(why) && ok) {
            ok = false;
            first = why;
        }
    };
    run(o.png || o.bmp, [&](std::string& why) { return WritePicture(o, scene, job, track, why); });
    run(o.rl, [&](std::string& why) { return WriteRL(o, job, track, why); });
    run(o.centreline, [&](std::string& why) { return WriteCentreline(o, job, track, why); });
    run(o.trk, [&](std::string& why) { return WriteTrk(o, job, track, why); });
    run(o.rosMap, [&](std::string& why) { return WriteRosMap(o, job, track, why); });
    error = first;
    return ok;
}

// One track from reading to its last output. The scene is shared by all
// tracks and stays as it is; what differs per track lives in the job.
bool ExportTrack(const ExportOptions& o, const ExportScene& scene, const QString& path, std::string& error,
                 std::string& note)
{
    TrackJob job;
    if (!ReadTrackInput(o, scene.settings, path, job, error))
        return false;
    note = job.note;
    return WriteOutputs(o, scene, job, QFileInfo(path), error);
}

// Generated track `index`: its outputs are named after it in the output
// folder (else the current one). `made` tells a track that could not be
// made from one whose outputs could not be written.
bool ExportGeneratedTrack(const ExportOptions& o, const ExportScene& scene, std::size_t index,
                          const std::string& name, std::string& error, bool& made)
{
    TrackJob job;
    made = GenerateTrackInput(o, scene.settings, index, job, error);
    if (!made)
        return false;
    const QDir folder(o.outDir.empty() ? QDir::currentPath() : QString::fromStdString(o.outDir));
    return WriteOutputs(o, scene, job, QFileInfo(folder.filePath(QString::fromStdString(name))), error);
}

// Settings that no generated track can be made with are refused before the
// run starts, with the reason.
bool CanGenerate(const ExportOptions& o, const Settings& base, std::ostream& err)
{
    const Settings s = RunSettings(o, base);
    const std::string problem = GeneratorProblem(s, GeneratorOptionsFor(o, s));
    if (problem.empty())
        return true;
    err << "velmora-export: cannot generate tracks: " << problem << "\n";
    return false;
}

std::vector<std::string> GeneratedNames(std::size_t count)
{
    std::vector<std::string> names;
    names.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        names.push_back(GeneratedTrackName(i, count));
    return names;
}

} // namespace

int RunBatchExport(const ExportOptions& options, const QString& programDir, std::ostream& err,
                   bool showProgress)
{
    ExportScene scene;
    if (!LoadScene(options, programDir, scene, err))
        return 1;
    if (options.generate > 0 && !CanGenerate(options, scene.settings, err))
        return 1;
    if (!options.outDir.empty() && !QDir().mkpath(QString::fromStdString(options.outDir))) {
        err << "velmora-export: " << options.outDir << ": could not create the output folder\n";
        return 1;
    }
    // The cores this process may run on, which a cluster's scheduler may
    // hold below the machine's.
    const int jobs = options.jobs > 0 ? options.jobs : std::max(1, QThread::idealThreadCount());
    // Every core the jobs leave idle goes to the PNG encoder: all of them for
    // a single track, none when there are tracks enough to keep them busy.
    const std::size_t trackCount = options.generate > 0 ? options.generate : options.tracks.size();
    const auto workers = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(jobs), trackCount));
    scene.encodeThreads = std::max(1, jobs / std::max(1, workers));
    // Settings that defeat the generator defeat it for every track: after a
    // few failures the rest of the run is given up rather than ground out.
    constexpr int kGiveUpAfter = 10;
    auto failedToMake = std::make_shared<std::atomic<int>>(0);
    const auto makeWorker = [&]() -> TrackWork {
        // A font must not be drawn with on two threads at once: each worker
        // makes its own.
        auto own = std::make_shared<ExportScene>(scene);
        LoadFonts(own->assets, own->settings, kExportDpi);
        return [&options, own, failedToMake](std::size_t index, const std::string& track, std::string& error,
                                             std::string& note) {
            if (options.generate == 0)
                return ExportTrack(options, *own, QString::fromStdString(track), error, note);
            if (failedToMake->load() >= kGiveUpAfter) {
                error = "not made: " + std::to_string(kGiveUpAfter) + " tracks of this run could not be made";
                return false;
            }
            bool made = true;
            const bool exported = ExportGeneratedTrack(options, *own, index, track, error, made);
            if (!made)
                ++*failedToMake;
            return exported;
        };
    };
    const std::vector<std::string> tracks =
        options.generate > 0 ? GeneratedNames(static_cast<std::size_t>(options.generate)) : options.tracks;
    return RunTrackPool(tracks, jobs, makeWorker, err, showProgress) == 0 ? 0 : 1;
}

} // namespace velmora
