#include "export_tool/batch_export.h"
#include "export_tool/export_options.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <iostream>
#include <unistd.h>

namespace {

// Scripts read stderr for our one-line failures; Qt's own chatter about the
// headless environment would only get in the way.
void DropQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg)
        std::cerr << message.toStdString() << "\n";
}

} // namespace

int main(int argc, char** argv)
{
    // Scripts run this on machines without a display: never ask for one.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(DropQtMessages);
    // The arguments are all ours: Qt is shown none of them, since it takes
    // its own out of the list (-reverse, -platform, -style, ...), and with
    // them --reverse, the map option.
    std::vector<std::string> args(argv + 1, argv + argc);
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);

    const velmora::Result<velmora::ExportOptions> parsed = velmora::ParseExportArgs(args);
    if (!parsed) {
        std::cerr << "velmora-export: " << parsed.error() << "\n" << velmora::kTryHelp << "\n";
        return 2;
    }
    if (parsed->help) {
        std::cout << velmora::ExportUsage();
        return 0;
    }
    if (parsed->version) {
        std::cout << "velmora-export " << VELMORA_VERSION << "\n";
        return 0;
    }
    return velmora::RunBatchExport(*parsed, QCoreApplication::applicationDirPath(), std::cout, std::cerr,
                                   isatty(STDERR_FILENO) != 0);
}
