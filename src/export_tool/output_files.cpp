#include "export_tool/output_files.h"

#include "render/image/atomic_save.h"

#include <QDir>

namespace velmora {

std::string Utf8(const QString& s)
{
    return s.toUtf8().toStdString();
}

QString OutputPath(const ExportOptions& o, const QFileInfo& track, const QString& suffix)
{
    const QDir dir(o.outDir.empty() ? track.absolutePath() : QString::fromStdString(o.outDir));
    return dir.filePath(track.completeBaseName() + suffix);
}

bool Write(const QString& path, std::string_view bytes, std::string& error)
{
    QString why;
    if (SaveBytes(path, bytes, &why))
        return true;
    error = "could not write " + Utf8(path) + ": " + Utf8(why);
    return false;
}

} // namespace velmora
