#include "outputs/track_export.h"

#include "outputs/export_picture.h"
#include "outputs/output_files.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

namespace {

// Every file of the track lies beside the others in one folder; none may be
// the map's own picture (a "map.yaml" naming "map.png" beside it is common,
// and --png would write "map.png").
Status SparesPicture(const OutputChoices& choices, const OutputNames& names, const QString& picturePath)
{
    if (picturePath.isEmpty())
        return {};
    const QDir dir(names.folder);
    const QString picture = QFileInfo(picturePath).absoluteFilePath();
    for (const OutputEntry* output : Outputs()) {
        if (!choices.Wants(output->flag))
            continue;
        for (QString file : QString::fromUtf8(output->files).split(", ")) {
            file.replace("NAME", names.name);
            if (QFileInfo(dir.filePath(file)).absoluteFilePath() == picture)
                return Fail(std::string(output->label) + " would write " + Utf8(file) +
                            " over the map's picture; " + kChooseAnotherFolder);
        }
    }
    return {};
}

} // namespace

OutputNames ExportNames(const TrackJob& job, const QString& folder, const QString& name,
                        const QString& source)
{
    OutputNames names;
    names.folder = folder;
    names.name = name.isEmpty() ? QString("track") : name;
    names.source = source;
    names.hasWorld = job.hasWorld;
    names.vehicle = job.vehicleName;
    if (job.map)
        names.map = job.map->description;
    return names;
}

Result<QImage> DrawTrackPicture(const TrackJob& job, const ExportLook& look, OutputPicture which)
{
    const bool map = job.map && which == OutputPicture::Canvas;
    return DrawExportPicture(job.model, job.settings, look.assets, look.templateImage, look.cache,
                             map ? job.map->picture : QImage());
}

OutputChoices TrackChoices(OutputChoices choices, const TrackJob& job)
{
    if (job.vehicle && !choices.options.vehicle)
        choices.options.vehicle = job.vehicle;
    return choices;
}

Status ExportTrack(const OutputChoices& asked, const TrackJob& job, const OutputNames& names,
                   const ExportLook& look, int encodeThreads, std::vector<std::string>& facts,
                   std::vector<std::string>& warnings, EncodeProgress* progress, QStringList* written)
{
    const OutputChoices choices = TrackChoices(asked, job);
    if (Status s = SparesPicture(choices, names, job.map ? job.map->picturePath : QString()); !s)
        return s;
    const bool canvas = NeedsPicture(choices, OutputPicture::Canvas);
    const bool ground = NeedsPicture(choices, OutputPicture::Ground);
    const Result<QImage> picture =
        canvas ? DrawTrackPicture(job, look, OutputPicture::Canvas) : Result<QImage>(QImage());
    // Without a map the ground is the canvas picture: drawn once.
    const Result<QImage> groundPicture = !ground ? Result<QImage>(QImage())
                                         : canvas && !job.map
                                             ? picture
                                             : DrawTrackPicture(job, look, OutputPicture::Ground);
    return WriteTrackOutputs(
        choices, {job.model, job.settings, job.frame, names, picture, groundPicture, &job.sourceEdges},
        encodeThreads, facts, warnings, progress, written);
}

} // namespace velmora
