#include "export_tool/batch_export.h"

#include "core/formats/number_text.h"
#include "core/settings/prefs_file.h"
#include "core/settings/user_folder.h"
#include "export_tool/generate_options.h"
#include "export_tool/track_pool.h"
#include "inputs/file_read.h"
#include "inputs/track_input.h"
#include "outputs/export_picture.h"
#include "outputs/output_files.h"
#include "outputs/track_export.h"
#include "render/image/image_load.h"
#include "render/redraw.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <memory>

namespace velmora {

namespace {

// Everything that stays the same for all tracks of one call. Workers export
// tracks at the same time and only read it.
struct ExportScene {
    Settings settings;
    RenderAssets assets;
    QImage templateImage;
    int encodeThreads = 1;       // for each PNG
    bool damagedPicture = false; // a picture could not be decoded: drawn without it, but the run fails
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
    const Result<QByteArray> bytes = ReadWholeFile(path);
    if (!bytes) {
        err << "velmora-export: " << Utf8(path) << ": "
            << (bytes.error() == "could not find file" ? "could not find the settings file" : bytes.error())
            << "\n";
        return false;
    }
    // An empty file holds no keys: the defaults.
    settings = ReadPrefs(std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
    return true;
}

// Loads one picture the way the editor does: a missing file is an error,
// one that cannot be decoded is reported and left out, and the run then
// fails, so that a batch can tell its pictures are not what was asked for.
bool LoadPicture(const QString& path, QImage& into, bool& damaged, std::ostream& err)
{
    const LoadedImage loaded = LoadImg(path);
    switch (loaded.status) {
    case ImageLoadStatus::Loaded:
        into = loaded.image;
        return true;
    case ImageLoadStatus::Undecodable:
        err << "velmora-export: " << Utf8(path) << ": could not load image; drawing without it\n";
        into = QImage();
        damaged = true;
        return true;
    case ImageLoadStatus::Missing:
        break;
    }
    err << "velmora-export: " << Utf8(path) << ": could not find image\n";
    return false;
}

// A canvas side the settings ask for that no canvas can have is drawn at
// the nearest one that can; the user hears of it.
void WarnOfCanvasSide(const char* key, double asked, std::ostream& err)
{
    if (asked >= 1 && asked <= kMaxCanvasSide)
        return;
    err << "velmora-export: " << key << " " << FormatShortest(asked) << " is out of range (1 to "
        << kMaxCanvasSide << "); using " << CanvasSide(asked) << "\n";
}

bool LoadScene(const ExportOptions& o, const QString& programDir, ExportScene& scene, std::ostream& err)
{
    if (!LoadSettings(o, programDir, scene.settings, err))
        return false;
    const QDir images(o.imagesDir.empty() ? QDir(programDir).filePath("Images")
                                          : QString::fromStdString(o.imagesDir));
    bool& damaged = scene.damagedPicture;
    if (!LoadPicture(images.filePath("surface.png"), scene.assets.surface, damaged, err) ||
        !LoadPicture(images.filePath("start.png"), scene.assets.start, damaged, err) ||
        !LoadPicture(images.filePath("marker.png"), scene.assets.marker, damaged, err))
        return false;
    if (!o.templateImage.empty() &&
        !LoadPicture(QString::fromStdString(o.templateImage), scene.templateImage, damaged, err))
        return false;
    WarnOfCanvasSide("CanvasWidth", scene.settings.CanvasWidth, err);
    WarnOfCanvasSide("CanvasHeight", scene.settings.CanvasHeight, err);
    LoadFonts(scene.assets, scene.settings, kExportDpi);
    return true;
}

// How the tracks of the run come in, as its command line says.
InputOptions InputsOf(const ExportOptions& o)
{
    InputOptions in;
    in.frame = {o.metresPerPixel, o.originX, o.originY};
    in.scaleGiven = o.scaleGiven;
    in.originGiven = o.originGiven;
    in.open = o.open;
    in.trackWidth = o.trackWidth;
    in.trackWidthMetres = o.trackWidthMetres;
    in.trackWidthFromCsv = o.trackWidthFromCsv;
    in.map = o.map;
    in.vehicle = o.outputOptions.vehicle;
    in.loadVehicle = o.Wants("raceline");
    in.seed = o.seed;
    in.minLength = o.minLength;
    in.maxLength = o.maxLength;
    in.markers = o.markers;
    return in;
}

// Writes every output the options ask for into the output folder, else the
// track's own. `source` is the file the track was read from; empty for a
// generated one.
Status WriteOutputs(const ExportOptions& o, const ExportScene& scene, const TrackJob& job,
                    const QFileInfo& track, const QString& source, TrackReport& report)
{
    // Each worker thread scales the template once, for all its tracks.
    thread_local TemplateCache templateCache;
    const QString folder = o.outDir.empty() ? track.absolutePath() : QString::fromStdString(o.outDir);
    return ExportTrack(o.Choices(), job, ExportNames(job, folder, track.completeBaseName(), source),
                       {scene.assets, scene.templateImage, &templateCache}, scene.encodeThreads, report.facts,
                       report.warnings);
}

// One track from reading to its last output. The scene is shared by all
// tracks and stays as it is; what differs per track lives in the job.
Status ExportTrackFile(const ExportOptions& o, const ExportScene& scene, const QString& path, TrackReport& report)
{
    const Result<TrackJob> job = ReadTrackInput(InputsOf(o), scene.settings, path);
    if (!job)
        return Fail(job.error());
    if (!job->note.empty())
        report.facts.push_back(job->note);
    return WriteOutputs(o, scene, *job, QFileInfo(path), path, report);
}

// Generated track `index`: its outputs are named after it in the output
// folder (else the current one). `made` tells a track that could not be
// made from one whose outputs could not be written.
Status ExportGeneratedTrack(const ExportOptions& o, const ExportScene& scene, std::size_t index,
                            const std::string& name, bool& made, TrackReport& report)
{
    const Result<TrackJob> job = GenerateTrackInput(InputsOf(o), scene.settings, index);
    made = job.ok();
    if (!job)
        return Fail(job.error());
    const QDir folder(o.outDir.empty() ? QDir::currentPath() : QString::fromStdString(o.outDir));
    return WriteOutputs(o, scene, *job, QFileInfo(folder.filePath(QString::fromStdString(name))), {}, report);
}

// Settings that no generated track can be made with are refused before the
// run starts, with the reason.
bool CanGenerate(const ExportOptions& o, const Settings& base, std::ostream& err)
{
    const InputOptions in = InputsOf(o);
    const Settings s = InputSettings(in, base);
    const Status usable = GeneratorProblem(s, GeneratorOptionsFor(in, s));
    if (usable)
        return true;
    err << "velmora-export: cannot generate tracks: " << usable.error() << "\n";
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

// Settings that defeat the generator defeat it for every track: after a few
// failures the rest of the run is given up rather than ground out.
constexpr int kGiveUpAfter = 10;

// The work of one thread of the pool, with its own copy of the scene: a
// font must not be drawn with on two threads at once.
TrackWork MakeWorker(const ExportOptions& options, const ExportScene& scene,
                     const std::shared_ptr<std::atomic<int>>& failedToMake)
{
    auto own = std::make_shared<ExportScene>(scene);
    LoadFonts(own->assets, own->settings, kExportDpi);
    return [&options, own, failedToMake](std::size_t index, const std::string& track,
                                         TrackReport& report) -> Status {
        if (options.generate == 0)
            return ExportTrackFile(options, *own, QString::fromStdString(track), report);
        if (failedToMake->load() >= kGiveUpAfter)
            return Fail("not made: " + std::to_string(kGiveUpAfter) +
                        " tracks of this run could not be made");
        bool made = true;
        Status exported = ExportGeneratedTrack(options, *own, index, track, made, report);
        if (!made)
            ++*failedToMake;
        return exported;
    };
}

// What every track needs, made and checked before the first: the scene,
// settings the generator can work with, the output folder.
bool PrepareRun(const ExportOptions& options, const QString& programDir, ExportScene& scene,
                std::ostream& err)
{
    if (!LoadScene(options, programDir, scene, err))
        return false;
    if (options.generate > 0 && !CanGenerate(options, scene.settings, err))
        return false;
    if (options.outDir.empty())
        return true;
    const Status made = MakeFolder(QString::fromStdString(options.outDir));
    if (!made)
        err << "velmora-export: " << made.error() << "\n";
    return made.ok();
}

} // namespace

int RunBatchExport(const ExportOptions& options, const QString& programDir, std::ostream& out,
                   std::ostream& err, bool showProgress)
{
    ExportScene scene;
    if (!PrepareRun(options, programDir, scene, err))
        return 1;
    // The cores this process may run on, which a cluster's scheduler may
    // hold below the machine's.
    const int jobs = options.jobs > 0 ? options.jobs : std::max(1, QThread::idealThreadCount());
    // Every core the jobs leave idle goes to the PNG encoder: all of them for
    // a single track, none when there are tracks enough to keep them busy.
    const std::size_t trackCount = options.generate > 0 ? options.generate : options.tracks.size();
    const auto workers = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(jobs), trackCount));
    scene.encodeThreads = std::max(1, jobs / std::max(1, workers));
    const auto failedToMake = std::make_shared<std::atomic<int>>(0);
    const auto makeWorker = [&] { return MakeWorker(options, scene, failedToMake); };
    const std::vector<std::string> tracks =
        options.generate > 0 ? GeneratedNames(static_cast<std::size_t>(options.generate)) : options.tracks;
    const std::size_t failed =
        RunTrackPool(tracks, jobs, makeWorker, {options.quiet ? nullptr : &out, err, showProgress});
    return failed == 0 && !scene.damagedPicture ? 0 : 1;
}

} // namespace velmora
