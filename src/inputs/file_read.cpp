#include "inputs/file_read.h"

#include <QFile>
#include <QFileInfo>
#include <new>

namespace velmora {

Result<QByteArray> ReadWholeFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return Fail("could not find file");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail("could not read file: " + file.errorString().toStdString());
    try {
        QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return Fail("could not read file: " + file.errorString().toStdString());
        return bytes;
    } catch (const std::bad_alloc&) {
        return Fail("could not read file: too large to hold");
    }
}

} // namespace velmora
