#pragma once

#include <QString>
#include <string_view>

#include "app/workspace.h"

namespace velmora {

// The two-line text of a failure report: what failed, CR LF, then
// "Velmora in <procedure> @ <line>" (procedure empty for the main program).
QString ReportText(std::string_view what, std::string_view procedure, int line);

// Start-up failures: a "Fatal Error" box, then the program ends (exit code 0).
[[noreturn]] void ReportFatal(const QString& text);

// Failures after start-up: the same text in an "Error" box; the program goes
// on with its state unchanged, so the user's track is never lost.
void ReportError(const Prompts& prompts, const QString& text);

}  // namespace velmora
