#include "export_tool/output_files.h"

#include "export_tool/output_table.h"
#include "render/image/atomic_save.h"

#include <QDir>

namespace velmora {

std::string Utf8(const QString& s)
{
    return s.toUtf8().toStdString();
}

Status Write(const QString& path, std::string_view bytes)
{
    if (const Status saved = SaveBytes(path, bytes); !saved)
        return Fail("could not write " + Utf8(path) + ": " + saved.error());
    return {};
}

QString OutputContext::Path(const QString& ending) const
{
    const QDir dir(options.outDir.empty() ? track.absolutePath() : QString::fromStdString(options.outDir));
    return dir.filePath(track.completeBaseName() + ending);
}

double OutputContext::SpacingMetres() const
{
    return options.spacing > 0 ? options.spacing : frame.Metres(DefaultSpacing(frame.metresPerPixel));
}

const Result<TrackSamples>& OutputContext::Samples() const
{
    if (!samplesMade)
        samplesMade = SampleTrack(model.TrackPath, SpacingMetres() / frame.metresPerPixel, settings.TrackWidth);
    return *samplesMade;
}

Status OutputContext::Write(const QString& ending, std::string_view bytes) const
{
    return velmora::Write(Path(ending), bytes);
}

} // namespace velmora
