#pragma once

#include "core/result.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QSaveFile;

namespace velmora {

struct OutputChoices;

// Writes one file whole or not at all; the failure names the file.
Status Write(const QString& path, std::string_view bytes);

std::string Utf8(const QString& s);

// Makes a folder and the folders above it that are missing; the failure
// names the folder and the system's reason ("Not a directory").
Status MakeFolder(const QString& path);

// The files and folders of the track named `name` that the outputs chosen
// would write over in `folder`, by their names there ("oval.png",
// "oval_gazebo/"); empty when there are none.
QStringList ExistingOutputFiles(const OutputChoices& choices, const QString& folder, const QString& name);

// The files of one track's export, all of them or none: each is written in
// full under a temporary name beside its target, and only once every output
// has been made do they take their names, together. Dropped before that (a
// failure, a cancel), the temporary files are removed and whatever was
// there before stays as it was.
class StagedFiles {
public:
    StagedFiles();
    ~StagedFiles();
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;

    // Writes the file under a temporary name beside `path`; the failure
    // names `path`.
    Status Add(const QString& path, std::string_view bytes);
    // A folder made whole: an empty temporary folder beside `folder`, to be
    // filled, which takes the place of `folder` (and of all it held) on Commit.
    Result<QString> AddFolder(const QString& folder);
    // Checks that every target can be taken (no folder where a file goes, no
    // file where a folder goes), then puts everything in place. A failure
    // before the first rename leaves every target as it was.
    Status Commit();
    // The paths of the files and folders added so far, in the order added.
    QStringList Targets() const;

private:
    struct Folder;
    std::vector<std::unique_ptr<QSaveFile>> files_;
    std::vector<Folder> folders_;
};

} // namespace velmora
