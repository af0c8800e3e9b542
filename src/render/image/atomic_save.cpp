#include "render/image/atomic_save.h"

#include <QSaveFile>

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
    // the target, so the flush is checked here.
    if (file.write(bytes.data(), size) != size || !file.flush()) {
        if (error)
            *error = file.errorString();
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
