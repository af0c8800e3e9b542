#include "inputs/ros_map_load.h"

#include "core/formats/pgm_read.h"
#include "core/mapin/free_cells.h"
#include "core/mapin/map_import.h"
#include "core/settings/settings.h"
#include "inputs/file_read.h"
#include "render/image/png_decode.h"

#include <QDir>
#include <QFileInfo>
#include <array>

namespace velmora {

namespace {

std::string_view View(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// How the map server folds a PNG's channels for this map's mode. Trinary
// averages alpha in with the colours where the file has it (both ROS map
// servers do, "to preserve existing behaviour"); scale leaves every pixel
// not fully opaque unknown (as ROS 2 does; ROS 1 only fully transparent ones
// between the thresholds, which maps saved for ROS 2 do not expect); raw
// ignores alpha. A palette picture counts by its colours, as ROS 2 has it
// (ROS 1 took the palette index for the shade, which no painter meant).
PngGreyFold FoldFor(const RosMapInfo& info)
{
    PngGreyFold fold;
    fold.alphaInMean = info.mode == RosMapMode::Trinary;
    if (info.mode == RosMapMode::Scale)
        fold.notOpaque = UnknownValue(info);
    return fold;
}

Result<GreyImage> DecodeMapPicture(const QByteArray& bytes, const RosMapInfo& info)
{
    if (LooksLikePgm(View(bytes)))
        return ReadPgm(View(bytes), kMaxCanvasSide);
    if (LooksLikePng(bytes))
        return DecodePngGrey(bytes, FoldFor(info), kMaxCanvasSide);
    return Fail("not a PGM or PNG picture");
}

} // namespace

Result<LoadedMap> LoadRosMap(const QString& yamlPath)
{
    const Result<QByteArray> yaml = ReadWholeFile(yamlPath);
    if (!yaml)
        return Fail(yaml.error());
    Result<RosMapInfo> info = ReadRosMapYaml(View(*yaml));
    if (!info)
        return Fail(info.error());
    LoadedMap map;
    map.yamlPath = yamlPath;
    map.info = std::move(*info);
    map.imagePath = QFileInfo(yamlPath).dir().filePath(QString::fromStdString(map.info.image));
    const std::string picture = map.imagePath.toStdString();
    Result<GreyImage> image = Fail(std::string());
    {
        // The file's bytes go as soon as the picture is read from them.
        const Result<QByteArray> bytes = ReadWholeFile(map.imagePath);
        if (!bytes)
            return Fail(picture + ": " + bytes.error());
        image = DecodeMapPicture(*bytes, map.info);
    }
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

QImage MapPicture(const GreyImage& image, const RosMapInfo& info)
{
    std::array<std::uint8_t, 256> shade{};
    const std::array<MapCell, 256> reading = CellReading(info);
    for (std::size_t v = 0; v < shade.size(); ++v)
        shade[v] = info.mode != RosMapMode::Raw            ? std::uint8_t(v)
                   : reading[v] == MapCell::Free     ? 254
                   : reading[v] == MapCell::Occupied ? 0
                                                     : 205;
    QImage picture(image.width, image.height, QImage::Format_Grayscale8);
    if (picture.isNull())
        return picture;
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* in = image.values.data() + std::size_t(y) * std::size_t(image.width);
        uchar* out = picture.scanLine(y);
        for (int x = 0; x < image.width; ++x)
            out[x] = shade[in[x]];
    }
    return picture;
}

QImage MapUnderTrack(const LoadedMap& map)
{
    const QImage grey = MapPicture(map.image, map.info);
    return grey.isNull() ? grey : grey.convertToFormat(QImage::Format_RGB32);
}

Result<MapUnderlay> UnderlayOf(const LoadedMap& map)
{
    MapUnderlay under{QFileInfo(map.yamlPath).absoluteFilePath(), map.imagePath, MapUnderTrack(map)};
    if (under.picture.isNull())
        return Fail("out of memory for the map's picture");
    return under;
}

Result<MapReadBack> LoadMapUnderlay(const QString& yamlPath, std::optional<int> wallsMinObstacleCells)
{
    const Result<LoadedMap> map = LoadRosMap(yamlPath);
    if (!map)
        return Fail(yamlPath.toStdString() + ": " + map.error());
    Result<MapUnderlay> under = UnderlayOf(*map);
    if (!under)
        return Fail(under.error());
    MapReadBack back{std::move(*under), nullptr};
    if (wallsMinObstacleCells)
        back.walls = MapWallsOf(map->image, map->info, *wallsMinObstacleCells);
    return back;
}

} // namespace velmora
