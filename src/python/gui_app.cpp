#include "python/gui_app.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <clocale>
#include <cstdio>
#include <string>

namespace velmora {

namespace {

// Scripts read our warnings and exceptions; Qt's own chatter about the
// headless platform would only get in the way, as in velmora-export.
void DropQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg)
        std::fputs((message.toStdString() + "\n").c_str(), stderr);
}

} // namespace

bool EnsureGuiApplication()
{
    if (QCoreApplication::instance())
        return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    // The application keeps argc and argv for its life, which is the
    // process's: it is never deleted, as Python never unloads the module.
    static int argc = 1;
    static char name[] = "velmora";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(DropQtMessages);
    // Qt takes the user's locale for the C library as it starts; the
    // interpreter and its other modules keep the one they had.
    const std::string locale = std::setlocale(LC_ALL, nullptr);
    new QGuiApplication(argc, argv);
    std::setlocale(LC_ALL, locale.c_str());
    return true;
}

} // namespace velmora
