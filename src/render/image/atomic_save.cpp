#include "render/image/atomic_save.h"

#include <QSaveFile>
#include <cerrno>

namespace velmora {

bool SaveBytes(const QString& path, std::string_view bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
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
        if (error)
            *error = code != 0 ? qt_error_string(code) : file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace velmora
