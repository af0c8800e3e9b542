#include "outputs/output_files.h"

#include "core/track/one_line.h"
#include "outputs/output_table.h"
#include "render/image/atomic_save.h"

#include <QDir>
#include <QFile>
#include <filesystem>
#include <system_error>

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

Status MakeFolder(const QString& path)
{
    const std::filesystem::path folder(QFile::encodeName(path).toStdString());
    std::error_code error;
    if (std::filesystem::is_directory(folder, error))
        return {};
    std::filesystem::create_directories(folder, error);
    // A file where the folder should be is reported by some systems as
    // "File exists"; what the user needs to hear is that it is no folder.
    if (!error && !std::filesystem::is_directory(folder, error))
        error = std::make_error_code(std::errc::not_a_directory);
    if (error == std::errc::file_exists)
        error = std::make_error_code(std::errc::not_a_directory);
    if (error)
        return Fail("could not create the folder " + Utf8(path) + ": " + error.message());
    return {};
}

QString OutputContext::Path(const QString& ending) const
{
    return QDir(names.folder).filePath(names.name + ending);
}

double OutputContext::SpacingMetres() const
{
    return choices.spacing > 0 ? choices.spacing : frame.Metres(DefaultSpacing(frame.metresPerPixel));
}

Status OutputContext::OneLine() const
{
    const std::size_t at = SecondFigureAt(model.TrackPath);
    if (at == std::string::npos)
        return {};
    return Fail("the track goes on after its loop is closed (at character " + std::to_string(at + 1) +
                " of its path): only one line can be followed; remove what comes after the Z");
}

const Result<TrackSamples>& OutputContext::Samples() const
{
    if (samplesMade)
        return *samplesMade;
    if (Status one = OneLine(); !one)
        samplesMade = Fail(one.error());
    else
        samplesMade = SampleTrack(model.TrackPath, SpacingMetres() / frame.metresPerPixel, settings.TrackWidth);
    if (*samplesMade && sourceEdges && sourceEdges->rowWidths)
        TakeRowWidths(**samplesMade, *sourceEdges, frame);
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
