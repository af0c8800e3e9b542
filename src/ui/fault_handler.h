#pragma once

namespace velmora {

// The argument with which the fault handler starts the program again to show
// the "Fatal Error" box from a healthy process; followed by the text.
inline constexpr char kFaultBoxArgument[] = "--velmora-fault-box";

// Catches run-time faults (bad memory access, division by zero, illegal
// instruction, stack overflow ...) process-wide. On a fault the handler shows
// the description and the current source position in a "Fatal Error" box and
// ends the process with exit code 0. Install it before anything else runs.
void InstallFaultHandler();

// The description shown for a fault: signal number and its si_code, and
// whether the faulting address lies at the edge of the stack.
const char* FaultDescription(int signal, int code, bool atStackLimit);

}  // namespace velmora
