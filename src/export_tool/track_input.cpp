#include "export_tool/track_input.h"

#include "core/formats/centreline_import.h"
#include "core/formats/number_text.h"
#include "core/formats/track_file.h"
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

bool ImportCircuit(const ExportOptions& o, const QString& path, TrackJob& job, std::string& error)
{
    if (QFileInfo(path).isFile() && QFileInfo(path).size() == 0) {
        error = "the file holds no points";
        return false;
    }
    QByteArray bytes;
    std::vector<CentrelineRow> rows;
    if (!ReadWholeFile(path, bytes, error) || !ReadCentrelineRows(View(bytes), rows, error))
        return false;
    CentrelineImportOptions io;
    io.canvasWidth = CanvasSide(job.settings.CanvasWidth);
    io.canvasHeight = CanvasSide(job.settings.CanvasHeight);
    io.metresPerPixel = o.scaleGiven ? o.metresPerPixel : 0;
    io.open = o.open;
    io.angleLimit = job.settings.AngleLimit;
    io.trackWidth = job.settings.TrackWidth;
    io.trackWidthFromFile = o.trackWidthFromCsv;
    Result<ImportedCentreline> imported = ImportCentreline(rows, io);
    if (!imported) {
        error = imported.error();
        return false;
    }
    job.model = std::move(imported->model);
    job.settings.TrackWidth = imported->trackWidth;
    job.metresPerPixel = imported->frame.metresPerPixel;
    job.note = "scale " + FormatShortest(imported->frame.metresPerPixel) + " m per pixel, track width " +
               FormatShortest(imported->trackWidth) + " px";
    return true;
}

} // namespace

bool ReadWholeFile(const QString& path, QByteArray& bytes, std::string& error)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir() || info.size() < 1) {
        error = "could not find file";
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = "could not read file: " + Utf8(file.errorString());
        return false;
    }
    bytes = file.readAll();
    return true;
}

bool IsCentrelineInput(const QString& path)
{
    return path.endsWith(".csv", Qt::CaseInsensitive);
}

bool ReadTrackInput(const ExportOptions& o, const Settings& base, const QString& path, TrackJob& job,
                    std::string& error)
{
    job.settings = RunSettings(o, base);
    job.metresPerPixel = o.metresPerPixel;
    if (IsCentrelineInput(path))
        return ImportCircuit(o, path, job, error);
    QByteArray bytes;
    if (!ReadWholeFile(path, bytes, error))
        return false;
    // As the editor's Load has it: bytes that are no track file are not
    // drawn as if they were one.
    if (!LooksLikeTrackFile(View(bytes))) {
        error = "not a track file";
        return false;
    }
    ReadTrackFile(View(bytes), job.model);
    return true;
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

bool GenerateTrackInput(const ExportOptions& o, const Settings& base, std::uint64_t index, TrackJob& job,
                        std::string& error)
{
    job.settings = RunSettings(o, base);
    job.metresPerPixel = o.metresPerPixel;
    GeneratedTrack made = GenerateTrack(job.settings, GeneratorOptionsFor(o, job.settings), o.seed, index);
    if (made.model.TrackPath.empty()) {
        error = made.error;
        return false;
    }
    job.model = std::move(made.model);
    return true;
}

} // namespace velmora
