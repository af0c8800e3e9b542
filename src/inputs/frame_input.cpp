#include "inputs/frame_input.h"

#include "core/raceline/vehicle.h"
#include "inputs/file_read.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velmora {

namespace {

bool IsFileName(const std::string& vehicle)
{
    return !BuiltInVehicle(vehicle).ok();
}

} // namespace

QString FramePath(const QString& trackPath)
{
    return QString::fromStdString(TrackWorldPath(trackPath.toStdString()));
}

Status RemoveFrameBeside(const QString& trackPath)
{
    QFile file(FramePath(trackPath));
    if (!file.exists() || file.remove())
        return {};
    return Fail("could not remove " + file.fileName().toStdString() + ", left from a track saved there before: " +
                file.errorString().toStdString());
}

Result<std::optional<FrameInput>> ReadFrameBeside(const QString& trackPath, std::string_view trackBytes)
{
    FrameInput in;
    in.path = FramePath(trackPath);
    if (!QFileInfo(in.path).exists())
        return std::optional<FrameInput>();
    const std::string named = in.path.toStdString() + ": ";
    const Result<QByteArray> bytes = ReadWholeFile(in.path);
    if (!bytes)
        return Fail(named + bytes.error());
    if (bytes->isEmpty())
        return Fail(named + "the file is empty");
    Result<TrackWorld> world =
        ReadTrackWorld(std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
    if (!world)
        return Fail(named + world.error());
    in.world = std::move(*world);
    // A frame file written by hand names no track; one that names another
    // was left by a track saved there before, which is no longer there.
    if (!in.world.trackChecksum.empty() && in.world.trackChecksum != TrackChecksum(trackBytes))
        return Fail(named + "was written for another track of that name; the track has no world until it "
                            "is saved with one");
    const QString vehicle = QString::fromStdString(in.world.vehicle);
    if (IsFileName(in.world.vehicle) && QFileInfo(vehicle).isRelative())
        in.world.vehicle = QDir::cleanPath(QFileInfo(in.path).dir().filePath(vehicle)).toStdString();
    return std::optional<FrameInput>(std::move(in));
}

std::string FrameFileText(TrackWorld world, const SourceEdges* edges, const QString& trackPath,
                          std::string_view trackBytes)
{
    world.trackChecksum = TrackChecksum(trackBytes);
    // A map's walls are not kept: a map track read back keeps to its drawn
    // width, as any drawn track does.
    world.edges = edges && !edges->walls ? *edges : SourceEdges{};
    if (IsFileName(world.vehicle)) {
        const QDir folder = QFileInfo(FramePath(trackPath)).absoluteDir();
        world.vehicle =
            QDir::fromNativeSeparators(folder.relativeFilePath(QFileInfo(QString::fromStdString(world.vehicle))
                                                                  .absoluteFilePath()))
                .toStdString();
    }
    return TrackWorldYaml(world);
}

} // namespace velmora
