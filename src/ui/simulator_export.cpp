#include "ui/simulator_export.h"

#include "outputs/export_picture.h"
#include "outputs/output_files.h"
#include "outputs/track_export.h"
#include "ui/failure_report.h"
#include "ui/image_jobs.h"

#include <QDir>
#include <QFileInfo>
#include <memory>
#include <new>

namespace velmora {

namespace {

// Everything the export reads, copied on the window's thread so that the
// worker touches nothing the window goes on changing.
struct SimulatorJob {
    OutputChoices choices;
    OutputNames names;
    TrackJob track;
    RenderAssets assets; // fonts of their own, at the export's resolution
    QImage templateImage;
};

// The open track as the outputs take it: the record a Load of its file
// would give, so that the editor writes what the tool writes from it.
TrackJob WorkspaceTrack(const Workspace& ws)
{
    TrackJob track;
    track.model = ws.editor.model;
    track.settings = ws.settings;
    track.frame = ws.frame.value_or(WorldFrame{});
    track.hasWorld = ws.frame.has_value();
    track.vehicleName = ws.vehicle;
    if (const std::shared_ptr<const SourceEdges> edges = CircuitEdgesNow(ws))
        track.sourceEdges = *edges;
    track.map = ws.map;
    return track;
}

// The last export's choices, named after the track's file; a track never
// saved has no name until the user gives it one.
SimulatorExport InitialChoice(const Workspace& ws)
{
    const QString file = QString::fromStdString(ws.editor.TrackFileName);
    SimulatorExport initial;
    if (ws.simulatorExport) {
        initial = *ws.simulatorExport;
    } else {
        initial.choices.outputs = {"png", "centreline", "waypoints", "raceline", "ros-map"};
        initial.folder = file.isEmpty() ? ws.tracksFolder : QFileInfo(file).absolutePath();
    }
    initial.name = file.isEmpty() ? QString() : QFileInfo(file).completeBaseName();
    return initial;
}

// On the worker thread: the picture when an output needs it, then every
// output. The facts come back as the result's text.
Result<std::string> RunExport(const SimulatorJob& job, EncodeProgress& progress)
{
    try {
        TemplateCache cache;
        std::vector<std::string> notes, warnings;
        const Status written =
            ExportTrack(job.choices, job.track, job.names, {job.assets, job.templateImage, &cache}, 0, notes,
                        warnings, &progress);
        std::string facts;
        for (const std::string& line : warnings)
            facts += (facts.empty() ? "" : "; ") + line;
        for (const std::string& line : notes)
            facts += (facts.empty() ? "" : "; ") + line;
        if (!written)
            return Fail(written.error());
        return facts;
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    }
}

std::shared_ptr<const SimulatorJob> MakeJob(const Workspace& ws, const SimulatorExport& chosen)
{
    auto job = std::make_shared<SimulatorJob>();
    job->choices = chosen.choices;
    job->track = WorkspaceTrack(ws);
    job->names =
        ExportNames(job->track, chosen.folder, chosen.name, QString::fromStdString(ws.editor.TrackFileName));
    job->assets = ws.assets;
    LoadFonts(job->assets, job->track.settings, kExportDpi);
    job->templateImage = ws.templateImage;
    return job;
}

// Asks before an export writes over files of the track, as Save As does;
// true when there are none or the user agrees.
bool ConfirmOverwriting(const SimulatorExport& chosen, const Prompts& prompts)
{
    const QStringList existing = ExistingOutputFiles(chosen.choices, chosen.folder, chosen.name);
    if (existing.isEmpty())
        return true;
    if (existing.size() == 1)
        return prompts.confirm(existing[0] + " already exists in " + chosen.folder + "; overwrite?");
    constexpr qsizetype kNamed = 4;
    QString names = existing.mid(0, kNamed).join(", ");
    if (existing.size() > kNamed)
        names += QString(" and %1 more").arg(existing.size() - kNamed);
    return prompts.confirm(QString("%1 files of this track already exist in %2 (%3); overwrite?")
                               .arg(existing.size())
                               .arg(chosen.folder, names));
}

} // namespace

void ExportForSimulators(Workspace& ws, const Prompts& prompts)
{
    if (RefusedWhileBusy(ws))
        return;
    if (ws.editor.model.TrackPath.empty()) {
        ReportError(prompts, "nothing to export: draw, load or import a track first");
        return;
    }
    const std::optional<SimulatorExport> chosen =
        prompts.chooseSimulatorExport ? prompts.chooseSimulatorExport(InitialChoice(ws), ws.vehicle)
                                      : std::nullopt;
    if (!chosen) {
        ws.editor.view.status1 = "cancelled";
        return;
    }
    if (chosen->name.isEmpty()) {
        ReportError(prompts, "could not export for simulators: the files have no name");
        return;
    }
    ws.simulatorExport = *chosen;
    if (!ConfirmOverwriting(*chosen, prompts)) {
        ws.editor.view.status1 = "cancelled";
        return;
    }
    if (chosen->choices.options.vehicle)
        ws.vehicle = chosen->choices.options.vehicle->given; // the race line shown follows the car chosen
    if (Status made = MakeFolder(chosen->folder); !made) {
        ReportError(prompts, "could not export for simulators: " + QString::fromStdString(made.error()));
        return;
    }
    const auto job = MakeJob(ws, *chosen);
    ImageJob work;
    work.progressText = "exporting for simulators";
    work.work = [job](EncodeProgress& progress) { return RunExport(*job, progress); };
    const QString folder = chosen->folder;
    work.done = [&ws, prompts, folder](const Result<std::string>& result) {
        if (!result) {
            ReportError(prompts,
                        "could not export for simulators: " + QString::fromStdString(result.error()));
            ws.editor.view.status1 = "export for simulators failed";
            return;
        }
        ws.editor.view.status1 =
            "exported for simulators to " + folder.toStdString() + (result->empty() ? "" : ": " + *result);
    };
    RunImageJob(ws.imageJobs, std::move(work));
}

} // namespace velmora
