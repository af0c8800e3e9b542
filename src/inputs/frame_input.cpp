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

// A file the frame file names, usable from here: a relative name is taken
// from the frame file's folder.
std::string FromFrameFolder(const QString& framePath, const std::string& name)
{
    const QString file = QString::fromStdString(name);
    if (QFileInfo(file).isAbsolute())
        return name;
    return QDir::cleanPath(QFileInfo(framePath).dir().filePath(file)).toStdString();
}

// The file as the frame file names it: relative to its folder, so that the
// two move together.
std::string ToFrameFolder(const QString& framePath, const std::string& name)
{
    const QDir folder = QFileInfo(framePath).absoluteDir();
    return QDir::fromNativeSeparators(
               folder.relativeFilePath(QFileInfo(QString::fromStdString(name)).absoluteFilePath()))
        .toStdString();
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
    if (IsFileName(in.world.vehicle))
        in.world.vehicle = FromFrameFolder(in.path, in.world.vehicle);
    if (!in.world.map.empty())
        in.world.map = FromFrameFolder(in.path, in.world.map);
    return std::optional<FrameInput>(std::move(in));
}

std::string FrameFileText(TrackWorld world, const SourceEdges* edges, const QString& trackPath,
                          std::string_view trackBytes)
{
    world.trackChecksum = TrackChecksum(trackBytes);
    // A map's walls are found on its map again, as the import found them:
    // the file keeps only the speck size they were found with. Without the
    // map named, a map track's edges are not kept: it reads back as a
    // drawn track.
    const bool keep = edges && (!edges->walls || !world.map.empty());
    world.edges = keep ? *edges : SourceEdges{};
    world.edges.walls = nullptr;
    world.wallsMinObstacleCells.reset();
    if (keep && edges->walls)
        world.wallsMinObstacleCells = edges->walls->minObstacleCells;
    const QString framePath = FramePath(trackPath);
    if (IsFileName(world.vehicle))
        world.vehicle = ToFrameFolder(framePath, world.vehicle);
    if (!world.map.empty())
        world.map = ToFrameFolder(framePath, world.map);
    return TrackWorldYaml(world);
}

} // namespace velmora
