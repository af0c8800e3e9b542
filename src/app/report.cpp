#include "app/report.h"

#include <cstdlib>

// Placeholder until fatal reporting lands.
namespace velmora {

QString ReportText(std::string_view what, std::string_view procedure, int line)
{
    return QString::fromUtf8(what.data(), static_cast<qsizetype>(what.size())) + "\r\nVelmora in " +
           QString::fromUtf8(procedure.data(), static_cast<qsizetype>(procedure.size())) + " @ " +
           QString::number(line);
}

void ReportFatal(const QString&) { std::exit(0); }

void ReportError(const Prompts& prompts, const QString& text)
{
    if (prompts.message)
        prompts.message("Error", text);
}

}  // namespace velmora
