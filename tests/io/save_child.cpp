// Saves two versions of a file over one target in turn, for ever, so that
// the crash-safety test can kill it at any moment of a save.
//   velmora_save_child TARGET VERSION_A VERSION_B
// Prints "ready" once both versions are in memory.
#include "io/save_file.h"

#include <QFile>
#include <QString>
#include <cstdio>
#include <string>

namespace {

bool ReadAll(const char* path, std::string& out)
{
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    out.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::string versions[2];
    if (argc != 4 || !ReadAll(argv[2], versions[0]) || !ReadAll(argv[3], versions[1])) {
        std::fprintf(stderr, "usage: velmora_save_child TARGET VERSION_A VERSION_B\n");
        return 2;
    }
    const QString target = QString::fromLocal8Bit(argv[1]);
    std::printf("ready\n");
    std::fflush(stdout);
    for (unsigned n = 1;; ++n) {
        QString error;
        if (!velmora::SaveBytes(target, versions[n % 2], &error)) {
            std::fprintf(stderr, "save failed: %s\n", qPrintable(error));
            return 1;
        }
    }
}
