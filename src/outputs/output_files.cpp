#include "outputs/output_files.h"

#include "core/gazebo/gazebo_model.h"
#include "core/track/one_line.h"
#include "outputs/output_table.h"
#include "render/image/atomic_save.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
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

QStringList ExistingOutputFiles(const OutputChoices& choices, const QString& folder, const QString& name)
{
    QStringList existing;
    for (const OutputEntry* output : Outputs()) {
        if (!choices.Wants(output->flag))
            continue;
        // The table's own list of what each output writes, NAME standing
        // for the track's name; a folder (ending in "/") is the model's.
        for (QString file : QString::fromLatin1(output->files).split(", ")) {
            file.replace("NAME", file.endsWith('/') ? QString::fromStdString(GazeboModelName(Utf8(name))) : name);
            if (QFileInfo::exists(QDir(folder).filePath(file)))
                existing << file;
        }
    }
    return existing;
}

namespace {

std::filesystem::path Native(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// A new empty folder in `parent` named `prefix` and a random tail, made with
// the user's usual permissions.
Result<QString> MakeFreshFolder(const QString& parent, const QString& prefix)
{
    std::error_code error;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path =
            QDir(parent).filePath(prefix + QString::number(QRandomGenerator::global()->generate(), 36));
        if (std::filesystem::create_directory(Native(path), error))
            return path;
        if (error)
            break;
    }
    return Fail("could not create a folder in " + Utf8(parent) + ": " +
                (error ? error.message() : std::string("every name tried is taken")));
}

Status NoFileInPlaceOfFolder(const QString& folder)
{
    const QFileInfo target(folder);
    if (target.exists() && !target.isDir())
        return Fail("could not create the folder " + Utf8(folder) + ": " +
                    std::make_error_code(std::errc::not_a_directory).message());
    return {};
}

} // namespace

struct StagedFiles::Folder {
    QString target;
    QString staged; // emptied once it has taken the target's place
};

StagedFiles::StagedFiles() = default;

StagedFiles::~StagedFiles()
{
    files_.clear(); // an uncommitted QSaveFile removes its temporary file
    for (const Folder& folder : folders_)
        if (!folder.staged.isEmpty())
            QDir(folder.staged).removeRecursively();
}

Status StagedFiles::Add(const QString& path, std::string_view bytes)
{
    auto file = std::make_unique<QSaveFile>(path);
    if (Status written = WriteUncommitted(*file, bytes); !written)
        return Fail("could not write " + Utf8(path) + ": " + written.error());
    files_.push_back(std::move(file));
    return {};
}

Result<QString> StagedFiles::AddFolder(const QString& folder)
{
    if (Status placed = NoFileInPlaceOfFolder(folder); !placed)
        return Fail(placed.error());
    const QFileInfo target(folder);
    Result<QString> staged = MakeFreshFolder(target.absolutePath(), "." + target.fileName() + "-");
    if (staged)
        folders_.push_back({target.absoluteFilePath(), *staged});
    return staged;
}

namespace {

// Puts the filled folder where `target` is; the old one is first moved
// aside, so that a failed rename can put it back, and removed after.
Status SwapIn(const QString& staged, const QString& target)
{
    std::error_code error, ignored;
    QString aside;
    if (QFileInfo::exists(target)) {
        const Result<QString> made = MakeFreshFolder(QFileInfo(target).absolutePath(), "." + QFileInfo(target).fileName() + "-old-");
        if (!made)
            return Fail("could not replace " + Utf8(target) + ": " + made.error());
        aside = QDir(*made).filePath("old");
        std::filesystem::rename(Native(target), Native(aside), error);
        if (error) {
            QDir(*made).removeRecursively();
            return Fail("could not replace " + Utf8(target) + ": " + error.message());
        }
    }
    std::filesystem::rename(Native(staged), Native(target), error);
    if (error && !aside.isEmpty())
        std::filesystem::rename(Native(aside), Native(target), ignored);
    if (!aside.isEmpty())
        std::filesystem::remove_all(Native(QFileInfo(aside).absolutePath()), ignored);
    if (error)
        return Fail("could not write " + Utf8(target) + ": " + error.message());
    return {};
}

} // namespace

Status StagedFiles::Commit()
{
    // Everything that can be known to fail is looked at before the first
    // target is touched.
    for (const Folder& folder : folders_)
        if (Status placed = NoFileInPlaceOfFolder(folder.target); !placed)
            return placed;
    for (const auto& file : files_)
        if (QFileInfo(file->fileName()).isDir())
            return Fail("could not write " + Utf8(file->fileName()) + ": " +
                        std::make_error_code(std::errc::is_a_directory).message());
    for (Folder& folder : folders_) {
        if (Status swapped = SwapIn(folder.staged, folder.target); !swapped)
            return swapped;
        folder.staged.clear();
    }
    for (const auto& file : files_)
        if (!file->commit())
            return Fail("could not write " + Utf8(file->fileName()) + ": " + Utf8(file->errorString()));
    files_.clear();
    return {};
}

QStringList StagedFiles::Targets() const
{
    QStringList targets;
    for (const auto& file : files_)
        targets << file->fileName();
    for (const Folder& folder : folders_)
        targets << folder.target;
    return targets;
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
    return staged.Add(Path(ending), bytes);
}

} // namespace velmora
