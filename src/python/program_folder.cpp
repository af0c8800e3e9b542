#include "python/program_folder.h"

#include <QDir>
#include <QFileInfo>
#include <dlfcn.h>

namespace velmora {

QString ProgramFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&ProgramFolder), &info) == 0 || !info.dli_fname)
        return QDir::currentPath();
    // Through any link to the module (./run.sh puts one in the checkout's
    // top folder) to the file itself, which lies where the programs do.
    const QFileInfo file(QFile::decodeName(info.dli_fname));
    const QString module = QFileInfo(file.canonicalFilePath()).absolutePath();
    // VELMORA_PROGRAMS_FROM_MODULE: the programs' folder, relative to the module's.
    return QDir::cleanPath(QDir(module).filePath(QStringLiteral(VELMORA_PROGRAMS_FROM_MODULE)));
}

} // namespace velmora
