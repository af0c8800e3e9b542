#include "ui/failure_report.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstring>

#include "ui/fault_handler.h"
#include "ui/shutdown.h"

namespace velmora {
namespace {

QString FromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void WriteToStderr(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void ShowBox(const QString& text)
{
    if (BoxesGoToStderr() || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    QMessageBox box(QMessageBox::NoIcon, "Fatal Error", text, QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

}  // namespace

bool BoxesGoToStderr() { return qEnvironmentVariableIntValue("VELMORA_TEST_BOX_TO_STDERR") == 1; }

QString ReportText(std::string_view what, std::string_view procedure, int line)
{
    return FromView(what) + "\r\nVelmora in " + FromView(procedure) + " @ " + QString::number(line);
}

void ShowFatalBox(const QString& text)
{
    WriteToStderr(text);
    ShowBox(text);
}

void ReportFatal(const QString& text)
{
    ShowFatalBox(text);
    Shutdown();
}

void ReportError(const Prompts& prompts, const QString& text)
{
    if (prompts.message)
        prompts.message("Error", text);
}

void ReportNotSaved(Workspace& ws, const Prompts& prompts, const NotSaved& kind, const QString& path,
                    const QString& reason)
{
    QString what = QString::fromUtf8(kind.what) + ": " + path;
    if (!reason.isEmpty())
        what += " (" + reason + ")";
    ReportError(prompts, ReportText(what.toStdString(), kind.procedure, kind.line));
    ws.editor.view.status1 = kind.status;
}

bool RunFaultBoxIfAsked(int argc, char** argv)
{
    if (argc < 3 || std::strcmp(argv[1], kFaultBoxArgument) != 0)
        return false;
    // The text goes out first: without a display the toolkit cannot start.
    const QString text = QString::fromUtf8(argv[2]);
    WriteToStderr(text);
    if (BoxesGoToStderr())
        return true;
    int appArgc = 1;
    QApplication app(appArgc, argv);
    ShowBox(text);
    return true;
}

}  // namespace velmora
