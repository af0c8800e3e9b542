#include "inputs/map_input.h"

#include "core/formats/number_text.h"
#include "core/mapin/map_import.h"
#include "core/settings/settings.h"
#include "inputs/track_input.h"
#include "outputs/output_files.h"
#include "outputs/output_table.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

namespace {

// Every file the run writes for this track lies beside the others in one
// folder; none may be the map's own picture (a "map.yaml" naming "map.png"
// beside it is common, and --png would write "map.png").
Status SparesPicture(const ExportOptions& o, const QFileInfo& track, const QString& imagePath)
{
    const QDir dir(o.outDir.empty() ? track.absolutePath() : QString::fromStdString(o.outDir));
    const QString picture = QFileInfo(imagePath).absoluteFilePath();
    for (const OutputEntry* output : Outputs()) {
        if (!o.Wants(output->flag))
            continue;
        for (QString file : QString::fromUtf8(output->files).split(", ")) {
            file.replace("NAME", track.completeBaseName());
            if (QFileInfo(dir.filePath(file)).absoluteFilePath() == picture)
                return Fail("--" + std::string(output->flag) + " would write " + Utf8(file) +
                            " over the map's picture: give --out-dir");
        }
    }
    return {};
}

} // namespace

bool IsMapInput(const QString& path)
{
    return path.endsWith(".yaml", Qt::CaseInsensitive) || path.endsWith(".yml", Qt::CaseInsensitive);
}

Status ImportMap(const ExportOptions& o, const QString& path, TrackJob& job)
{
    const Result<LoadedMap> map = LoadRosMap(path);
    if (!map)
        return Fail(map.error());
    if (Status s = SparesPicture(o, QFileInfo(path), map->imagePath); !s)
        return s;
    const Result<MapCentreline> line = ExtractMapCentreline(map->image, map->info, o.map);
    if (!line)
        return Fail(line.error());
    CentrelineImportOptions io;
    io.angleLimit = job.settings.AngleLimit;
    io.trackWidth = job.settings.TrackWidth;
    io.trackWidthMetres = o.trackWidthMetres;
    io.trackWidthFromFile = o.trackWidthFromCsv;
    Result<ImportedCentreline> imported = ImportMapCentreline(*line, io);
    if (!imported)
        return Fail(imported.error());
    job.model = std::move(imported->model);
    job.settings.TrackWidth = imported->trackWidth;
    job.settings.CanvasWidth = line->width;
    job.settings.CanvasHeight = line->height;
    job.frame = imported->frame;
    job.note = (line->note.empty() ? "" : line->note + "; ") + "map " + std::to_string(line->width) + " x " +
               std::to_string(line->height) + " cells of " + FormatShortest(job.frame.metresPerPixel) +
               " m, track width " + FormatShortest(imported->trackWidth) + " px";
    return {};
}

} // namespace velmora
