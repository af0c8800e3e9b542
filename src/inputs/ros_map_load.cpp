#include "inputs/ros_map_load.h"

#include "core/formats/pgm_read.h"
#include "core/mapin/map_import.h"
#include "core/settings/settings.h"
#include "inputs/file_read.h"
#include "render/image/png_decode.h"

#include <QDir>
#include <QFileInfo>
#include <cstring>

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
    map.info = std::move(*info);
    map.imagePath = QFileInfo(yamlPath).dir().filePath(QString::fromStdString(map.info.image));
    const Result<QByteArray> bytes = ReadWholeFile(map.imagePath);
    const std::string picture = map.imagePath.toStdString();
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

QImage MapPicture(const GreyImage& image)
{
    QImage picture(image.width, image.height, QImage::Format_Grayscale8);
    if (picture.isNull())
        return picture;
    for (int y = 0; y < image.height; ++y)
        std::memcpy(picture.scanLine(y), image.values.data() + std::size_t(y) * std::size_t(image.width),
                    std::size_t(image.width));
    return picture;
}

} // namespace velmora
