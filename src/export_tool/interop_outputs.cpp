#include "export_tool/interop_outputs.h"

#include "core/formats/ros_map_yaml.h"
#include "core/formats/track_file.h"
#include "export_tool/output_files.h"
#include "render/image/grey_png_write.h"
#include "render/occupancy_map.h"

namespace velmora {

namespace {

bool SameFile(const QFileInfo& a, const QFileInfo& b)
{
    if (a.exists() && b.exists())
        return a.canonicalFilePath() == b.canonicalFilePath();
    return a.absoluteFilePath() == b.absoluteFilePath();
}

} // namespace

bool WriteTrk(const ExportOptions& o, const TrackJob& job, const QFileInfo& track, std::string& error)
{
    const QString path = OutputPath(o, track, ".trk");
    if (SameFile(QFileInfo(path), track)) {
        error = "--trk would write over the track file itself; give --out-dir";
        return false;
    }
    return Write(path, WriteTrackFile(job.model), error);
}

bool WriteRosMap(const ExportOptions& o, const TrackJob& job, const QFileInfo& track, std::string& error)
{
    const double width = job.settings.TrackWidth;
    if (!(width > 0) || !std::isfinite(width)) {
        error = "could not make the map: the track width must be a number greater than 0";
        return false;
    }
    const int w = CanvasSide(job.settings.CanvasWidth), h = CanvasSide(job.settings.CanvasHeight);
    const QImage map = OccupancyMap(job.model.TrackPath, width, w, h);
    const std::optional<std::string> png = map.isNull() ? std::nullopt : EncodeGreyPng(map);
    if (!png) {
        error = "could not make the map picture";
        return false;
    }
    const QString image = track.completeBaseName() + "_map.png";
    if (!Write(OutputPath(o, track, "_map.png"), *png, error))
        return false;
    // The picture's lower-left corner is pixel (0, h) of the canvas.
    const double s = job.metresPerPixel;
    return Write(OutputPath(o, track, "_map.yaml"), RosMapYaml(Utf8(image), s, 0, -(h * s)), error);
}

} // namespace velmora
