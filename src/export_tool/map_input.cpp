#include "export_tool/map_input.h"

#include "core/formats/number_text.h"
#include "core/formats/pgm_read.h"
#include "core/mapin/map_import.h"
#include "core/settings/settings.h"
#include "export_tool/output_files.h"
#include "export_tool/output_table.h"
#include "export_tool/track_input.h"
#include "render/image/png_decode.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

namespace {

std::string_view View(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

Result<GreyImage> GreyFromPng(const QByteArray& bytes)
{
    const QImage decoded = DecodePng(bytes);
    if (decoded.isNull())
        return Fail("the PNG picture is damaged");
    if (decoded.width() > kMaxCanvasSide || decoded.height() > kMaxCanvasSide)
        return Fail("the picture is " + std::to_string(decoded.width()) + " x " + std::to_string(decoded.height()) +
                    " pixels; a map may have up to " + std::to_string(kMaxCanvasSide) + " on each side");
    const QImage rgb = decoded.convertToFormat(QImage::Format_RGB32);
    GreyImage grey{rgb.width(), rgb.height(), std::vector<std::uint8_t>(std::size_t(rgb.width()) * std::size_t(rgb.height()))};
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            grey.values[std::size_t(y) * std::size_t(rgb.width()) + std::size_t(x)] =
                std::uint8_t((qRed(row[x]) + qGreen(row[x]) + qBlue(row[x]) + 1) / 3);
    }
    return grey;
}

Result<GreyImage> DecodeMapPicture(const QByteArray& bytes)
{
    if (LooksLikePgm(View(bytes)))
        return ReadPgm(View(bytes), kMaxCanvasSide);
    if (LooksLikePng(bytes))
        return GreyFromPng(bytes);
    return Fail("not a PGM or PNG picture");
}

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

Result<LoadedMap> LoadRosMap(const QString& yamlPath)
{
    const Result<QByteArray> yaml = ReadWholeFile(yamlPath);
    if (!yaml)
        return Fail(yaml.error());
    Result<RosMapInfo> info = ReadRosMapYaml(View(*yaml));
    if (!info)
        return Fail(info.error());
    LoadedMap map;
    map.info = std::move(*info);
    map.imagePath = QFileInfo(yamlPath).dir().filePath(QString::fromStdString(map.info.image));
    const Result<QByteArray> bytes = ReadWholeFile(map.imagePath);
    const std::string picture = Utf8(map.imagePath);
    if (!bytes)
        return Fail(picture + ": " + bytes.error());
    Result<GreyImage> image = DecodeMapPicture(*bytes);
    if (!image)
        return Fail(picture + ": " + image.error());
    map.image = std::move(*image);
    return map;
}

Result<MapCentreline> ReadMapCentreline(const QString& yamlPath, const MapTrackOptions& options)
{
    const Result<LoadedMap> map = LoadRosMap(yamlPath);
    if (!map)
        return Fail(map.error());
    return ExtractMapCentreline(map->image, map->info, options);
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
