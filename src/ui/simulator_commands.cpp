#include "ui/simulator_commands.h"

#include "core/formats/circuit_import.h"
#include "core/formats/number_text.h"
#include "core/formats/track_file.h"
#include "core/track/track_loading.h"
#include "render/image/file_read.h"
#include "ui/failure_report.h"

#include <new>
#include <string>

namespace velmora {

namespace {

const QString kCircuitFilter = "centreline|*.csv";

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
    ws.editor.view.status1 = "circuit imported: " + CircuitNote(*imported);
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
