#include "ui/open_document.h"

#include <QProcess>

namespace velmora {

QStringList DesktopOpener()
{
#ifdef Q_OS_MACOS
    return {"open"};
#else
    return {"xdg-open"};
#endif
}

void OpenDocument(const QStringList& opener, const QString& path, std::function<void()> failed)
{
    if (opener.isEmpty()) {
        failed();
        return;
    }
    // The toolkit's own openUrl() reports success as soon as the opener
    // starts, so a desktop without a PDF viewer would show nothing at all. Its exit
    // code is what tells whether the document opened.
    //
    // No parent: the process object must not be torn down with a window,
    // since that would kill an opener that waits for its viewer. It deletes
    // itself when the opener ends, and is left alone if the program ends first.
    auto* process = new QProcess;
    process->setProgram(opener.front());
    process->setArguments(opener.mid(1) << path);
    // No pipes to us: an opener that writes after we are gone must not die
    // of it. What it says goes where our own output goes.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, failed](QProcess::ProcessError error) {
                         // Otherwise the opener did start: finished() tells how it ended.
                         if (error != QProcess::FailedToStart)
                             return;
                         process->deleteLater();
                         failed();
                     });
    QObject::connect(process, &QProcess::finished, process,
                     [process, failed](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (status != QProcess::NormalExit || code != 0)
                             failed();
                     });
    process->start();
}

} // namespace velmora
