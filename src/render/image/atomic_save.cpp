#include "render/image/atomic_save.h"

#include <QSaveFile>
#include <cerrno>

namespace velmora {

Status WriteUncommitted(QSaveFile& file, std::string_view bytes)
{
    if (!file.open(QIODevice::WriteOnly))
        return Fail(file.errorString().toStdString());
    const qint64 size = static_cast<qint64>(bytes.size());
    // commit() does not notice a failure of the final flush of its buffer (a
    // full disk, a file size limit) and would rename a truncated file over
    // the target, so the flush is checked here. A short write or a failed
    // flush reaches the toolkit's error text without the system's reason, so
    // that is taken from errno.
    errno = 0;
    const bool written = file.write(bytes.data(), size) == size && file.flush();
    const int code = errno;
    if (!written) {
        const QString why = code != 0 ? qt_error_string(code) : file.errorString();
        file.cancelWriting();
        return Fail(why.toStdString());
    }
    return {};
}

Status SaveBytes(const QString& path, std::string_view bytes)
{
    QSaveFile file(path);
    if (Status written = WriteUncommitted(file, bytes); !written)
        return written;
    if (!file.commit())
        return Fail(file.errorString().toStdString());
    return {};
}

}  // namespace velmora
