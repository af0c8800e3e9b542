#pragma once

#include <QString>
#include <string_view>

#include "ui/workspace.h"

namespace velmora {

// The two-line text of a failure report: what failed, CR LF, then
// "Velmora in <procedure> @ <line>" (procedure empty for the main program).
QString ReportText(std::string_view what, std::string_view procedure, int line);

// Start-up failures: a "Fatal Error" box, then the program ends (exit code 0).
[[noreturn]] void ReportFatal(const QString& text);

// Failures after start-up: the same text in an "Error" box; the program goes
// on with its state unchanged, so the user's track is never lost.
void ReportError(const Prompts& prompts, const QString& text);

// How a file that could not be saved is reported.
struct NotSaved {
    const char* what;       // "could not save image"
    const char* procedure;  // for the box's second line
    int line;
    const char* status;     // for status field 1: "image not saved"
};

// A file the user asked for that could not be created or written: an "Error"
// box "<what>: <path> (<reason>)" in the two-line form, then the status text
// in field 1, so that a failed save never reads as saved or as cancelled.
void ReportNotSaved(Workspace& ws, const Prompts& prompts, const NotSaved& kind, const QString& path,
                    const QString& reason);

// Shows the "Fatal Error" box (OK, no icon) and returns when it is closed.
// The text also goes to stderr. With VELMORA_TEST_BOX_TO_STDERR set to 1 only
// stderr gets it: tests run without anyone to close a box.
void ShowFatalBox(const QString& text);

// True when VELMORA_TEST_BOX_TO_STDERR is 1: boxes of the start-up write
// their text to stderr and do not wait for an answer.
bool BoxesGoToStderr();

// When the program was started by the fault handler to show its box
// (argv[1] is kFaultBoxArgument), shows it and returns true.
bool RunFaultBoxIfAsked(int argc, char** argv);

}  // namespace velmora
