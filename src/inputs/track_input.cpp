#include "inputs/track_input.h"

#include "core/inputs/circuit_import.h"
#include "core/inputs/frame_sidecar.h"
#include "core/formats/number_text.h"
#include "core/formats/track_file.h"
#include "inputs/map_input.h"
#include "outputs/output_files.h"

#include <QDir>
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
    CentrelineImportOptions io = CircuitImportOptions(job.settings);
    io.metresPerPixel = o.scaleGiven ? o.metresPerPixel : 0;
    io.open = o.open;
    // Without --track-width a circuit takes its file's widths: the settings'
    // width in pixels says nothing of a circuit scaled to fit the canvas.
    io.trackWidthMetres = o.trackWidthMetres;
    io.trackWidthFromFile = o.trackWidthFromCsv || (o.trackWidth <= 0 && o.trackWidthMetres <= 0);
    Result<ImportedCentreline> imported = ImportCircuitText(View(*bytes), io);
    if (!imported)
        return Fail(imported.error());
    job.model = std::move(imported->model);
    job.settings.TrackWidth = imported->trackWidth;
    job.frame = imported->frame;
    job.note = CircuitNote(*imported);
    job.sourceEdges = std::move(imported->sourceEdges);
    return {};
}

// A track file's world comes with it in NAME_frame.yaml, so that a circuit
// imported once exports in its own metres; what the command line gives
// wins, and the fact line says which.
Status ApplyTrackWorld(const ExportOptions& o, const QString& path, TrackJob& job)
{
    const QString file = QString::fromStdString(TrackWorldPath(Utf8(path)));
    if (!QFileInfo(file).isFile())
        return {};
    const Result<QByteArray> bytes = ReadWholeFile(file);
    const Result<TrackWorld> world =
        bytes ? ReadTrackWorld(View(*bytes)) : Result<TrackWorld>(Fail(bytes.error()));
    if (!world)
        return Fail(Utf8(file) + ": " + world.error());
    std::string given; // the options that win over the file
    const auto wins = [&given](const char* option) {
        given += (given.empty() ? "" : ", ") + std::string(option);
    };
    if (o.scaleGiven)
        wins("--scale");
    else
        job.frame.metresPerPixel = world->frame.metresPerPixel;
    if (o.originGiven) {
        wins("--origin");
    } else {
        job.frame.originX = world->frame.originX;
        job.frame.originY = world->frame.originY;
    }
    if (o.trackWidth > 0 || o.trackWidthMetres > 0)
        wins("--track-width");
    else
        job.settings.TrackWidth = TrackWidthPixels(*world);
    if (o.Wants("raceline") && o.outputOptions.vehicle) {
        wins("--vehicle");
    } else if (o.Wants("raceline")) {
        // A vehicle file is named as the editor saved it: relative to the
        // frame file's folder.
        const bool shipped = BuiltInVehicle(world->vehicle).ok();
        const QString named = QString::fromStdString(world->vehicle);
        const std::string given = shipped || QFileInfo(named).isAbsolute()
                                      ? world->vehicle
                                      : Utf8(QFileInfo(file).dir().filePath(named));
        Result<NamedVehicle> car = LoadVehicle(given);
        if (!car)
            return Fail(Utf8(file) + ": vehicle: " + car.error());
        job.vehicle = std::move(*car);
    }
    job.note = "world frame from " + Utf8(QFileInfo(file).fileName()) + ": scale " +
               FormatShortest(job.frame.metresPerPixel) + " m per pixel, origin " + OriginText(job.frame) +
               " m, track width " + FormatShortest(job.settings.TrackWidth) + " px" +
               (given.empty() ? "" : " (" + given + " as given, over the file's)");
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
    if (Status s = ApplyTrackWorld(o, path, job); !s)
        return Fail(s.error());
    // Metres become pixels at the scale the track has now, its own frame's.
    if (o.trackWidthMetres > 0)
        job.settings.TrackWidth = o.trackWidthMetres / job.frame.metresPerPixel;
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
    if (o.trackWidthMetres > 0)
        s.TrackWidth = o.trackWidthMetres / o.metresPerPixel;
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
    Result<TrackModel> made =
        GenerateTrack(job.settings, GeneratorOptionsFor(o, job.settings), o.seed, index);
    if (!made)
        return Fail(made.error());
    job.model = std::move(*made);
    return job;
}

} // namespace velmora
