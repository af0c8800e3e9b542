#include "export_tool/track_input.h"

#include "core/formats/centreline_import.h"
#include "core/formats/number_text.h"
#include "core/formats/track_file.h"
#include "export_tool/map_input.h"
#include "export_tool/output_files.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace velmora {

namespace {

std::string_view View(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

Status ImportCircuit(const ExportOptions& o, const QString& path, TrackJob& job)
{
    const Result<QByteArray> bytes = ReadWholeFile(path);
    if (!bytes)
        return Fail(bytes.error());
    const Result<std::vector<CentrelineRow>> rows = ReadCentrelineRows(View(*bytes));
    if (!rows)
        return Fail(rows.error());
    CentrelineImportOptions io;
    io.canvasWidth = CanvasSide(job.settings.CanvasWidth);
    io.canvasHeight = CanvasSide(job.settings.CanvasHeight);
    io.metresPerPixel = o.scaleGiven ? o.metresPerPixel : 0;
    io.open = o.open;
    io.angleLimit = job.settings.AngleLimit;
    io.trackWidth = job.settings.TrackWidth;
    // Without --track-width a circuit takes its file's widths: the settings'
    // width in pixels says nothing of a circuit scaled to fit the canvas.
    io.trackWidthFromFile = o.trackWidthFromCsv || o.trackWidth <= 0;
    Result<ImportedCentreline> imported = ImportCentreline(*rows, io);
    if (!imported)
        return Fail(imported.error());
    job.model = std::move(imported->model);
    job.settings.TrackWidth = imported->trackWidth;
    job.frame = imported->frame;
    job.note = "scale " + FormatShortest(imported->frame.metresPerPixel) + " m per pixel, origin " +
               OriginText(imported->frame) + " m, track width " + FormatShortest(imported->trackWidth) +
               " px";
    return {};
}

} // namespace

bool IsCentrelineInput(const QString& path)
{
    return path.endsWith(".csv", Qt::CaseInsensitive);
}

Result<TrackJob> ReadTrackInput(const ExportOptions& o, const Settings& base, const QString& path)
{
    TrackJob job;
    job.settings = RunSettings(o, base);
    job.frame = RunFrame(o);
    if (IsCentrelineInput(path) || IsMapInput(path)) {
        const Status s = IsMapInput(path) ? ImportMap(o, path, job) : ImportCircuit(o, path, job);
        if (!s)
            return Fail(s.error());
        return job;
    }
    const Result<QByteArray> bytes = ReadWholeFile(path);
    if (!bytes)
        return Fail(bytes.error());
    if (bytes->isEmpty())
        return Fail("could not find file"); // an empty track file, as the editor's Load has it
    // As the editor's Load has it: bytes that are no track file are not
    // drawn as if they were one.
    if (!LooksLikeTrackFile(View(*bytes)))
        return Fail("not a track file");
    ReadTrackFile(View(*bytes), job.model);
    return job;
}

WorldFrame RunFrame(const ExportOptions& o)
{
    return {o.metresPerPixel, o.originX, o.originY};
}

Settings RunSettings(const ExportOptions& o, const Settings& base)
{
    Settings s = base;
    if (o.trackWidth > 0)
        s.TrackWidth = o.trackWidth;
    return s;
}

GeneratorOptions GeneratorOptionsFor(const ExportOptions& o, const Settings& s)
{
    GeneratorOptions g = DefaultGeneratorOptions(s);
    if (o.minLength > 0)
        g.minLength = o.minLength;
    if (o.maxLength > 0)
        g.maxLength = o.maxLength;
    // One length given beyond the other's default: the range moves with it
    // rather than turning upside down.
    if (o.minLength > 0 && o.maxLength <= 0)
        g.maxLength = std::max(g.maxLength, g.minLength * 1.5);
    if (o.maxLength > 0 && o.minLength <= 0)
        g.minLength = std::min(g.minLength, g.maxLength / 1.5);
    g.markers = o.markers;
    return g;
}

Result<TrackJob> GenerateTrackInput(const ExportOptions& o, const Settings& base, std::uint64_t index)
{
    TrackJob job;
    job.settings = RunSettings(o, base);
    job.frame = RunFrame(o);
    Result<TrackModel> made = GenerateTrack(job.settings, GeneratorOptionsFor(o, job.settings), o.seed, index);
    if (!made)
        return Fail(made.error());
    job.model = std::move(*made);
    return job;
}

} // namespace velmora
