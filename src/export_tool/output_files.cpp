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
        samplesMade =
            SampleTrack(model.TrackPath, SpacingMetres() / frame.metresPerPixel, settings.TrackWidth);
    return *samplesMade;
}

Status OutputContext::WriteSampled(const QString& ending, const std::string& what, SampledWriter writer) const
{
    const Result<TrackSamples>& samples = Samples();
    const Result<std::string> bytes = samples ? writer(*samples, frame) : Fail(samples.error());
    if (!bytes)
        return Fail("could not write " + what + ": " + bytes.error());
    return Write(ending, *bytes);
}

Status OutputContext::Write(const QString& ending, std::string_view bytes) const
{
    return velmora::Write(Path(ending), bytes);
}

} // namespace velmora
