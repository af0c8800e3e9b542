// Faults in the way named by its argument, after printing the source line
// the fault handler is expected to report (the line of VELMORA_HERE).
#include <cfenv>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "ui/fault_handler.h"
#include "ui/failure_report.h"
#include "ui/source_position.h"

namespace {

volatile int gZero = 0;
volatile double gZeroF = 0;
int* volatile gNull = nullptr;

// Recurses until the stack runs out; the flag keeps the compiler from
// seeing that it never ends.
volatile bool gDeeper = true;
int Recurse(int depth)
{
    volatile char pad[4096];
    pad[0] = static_cast<char>(depth);
    return gDeeper ? Recurse(depth + 1) + pad[0] : 0;
}

void Mark(int line)
{
    std::printf("%d\n", line);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    if (velmora::RunFaultBoxIfAsked(argc, argv))
        return 0;
    velmora::InstallFaultHandler();
    const char* kind = argc > 1 ? argv[1] : "";
    if (!std::strcmp(kind, "intdiv")) {
        VELMORA_HERE();
        Mark(__LINE__ - 1);
        return 100 / gZero;
    }
    if (!std::strcmp(kind, "segv")) {
        VELMORA_HERE();
        Mark(__LINE__ - 1);
        return *gNull;
    }
    if (!std::strcmp(kind, "stack")) {
        VELMORA_HERE();
        Mark(__LINE__ - 1);
        return Recurse(0);
    }
    if (!std::strcmp(kind, "fltdiv")) {
        feenableexcept(FE_DIVBYZERO);
        VELMORA_HERE();
        Mark(__LINE__ - 1);
        return static_cast<int>(1.0 / gZeroF);
    }
    if (!std::strcmp(kind, "illegal")) {
        VELMORA_HERE();
        Mark(__LINE__ - 1);
        __builtin_trap();
    }
    if (!std::strcmp(kind, "abort")) {
        VELMORA_HERE();
        Mark(__LINE__ - 1);
        std::raise(SIGABRT);
    }
    return 3;
}
