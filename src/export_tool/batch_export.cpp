#include "export_tool/batch_export.h"

#include "export_tool/export_scene.h"
#include "export_tool/generate_options.h"
#include "export_tool/track_pool.h"
#include "inputs/track_input.h"
#include "outputs/export_picture.h"
#include "outputs/output_files.h"
#include "outputs/track_export.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <memory>

namespace velmora {

namespace {

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
// folder (else the current one).
Status ExportGeneratedTrack(const ExportOptions& o, const ExportScene& scene, std::size_t index,
                            const std::string& name, std::atomic<int>& failedToMake, TrackReport& report)
{
    const Result<TrackJob> job = MakeGeneratedTrack(o, scene.settings, index, failedToMake);
    if (!job)
        return Fail(job.error());
    const QDir folder(o.outDir.empty() ? QDir::currentPath() : QString::fromStdString(o.outDir));
    return WriteOutputs(o, scene, *job, QFileInfo(folder.filePath(QString::fromStdString(name))), {}, report);
}

std::vector<std::string> GeneratedNames(std::size_t count)
{
    std::vector<std::string> names;
    names.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        names.push_back(GeneratedTrackName(i, count));
    return names;
}

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
        return ExportGeneratedTrack(options, *own, index, track, *failedToMake, report);
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
