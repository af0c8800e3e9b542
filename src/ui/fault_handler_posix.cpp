// Everything the fault handler needs from the operating system lives here.
#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "ui/fault_handler.h"
#include "ui/source_position.h"

extern char** environ;

namespace velmora {
namespace {

// All of this is prepared at install time: the handler itself may only use
// async-signal-safe calls, since the process may be corrupted when it runs.
char gSelfPath[4096];
char gText[8192];
volatile sig_atomic_t gInHandler = 0;
std::uintptr_t gStackLow = 0;  // lowest address the main stack may grow to
constexpr std::uintptr_t kStackSlack = 1 << 20;
constexpr std::size_t kAltStackSize = 1 << 16;

const int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGABRT};

std::size_t Append(std::size_t at, const char* s)
{
    while (*s && at + 1 < sizeof gText)
        gText[at++] = *s++;
    gText[at] = '\0';
    return at;
}

std::size_t AppendNumber(std::size_t at, int value)
{
    char digits[16];
    int n = 0;
    unsigned v = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v);
    if (value < 0)
        digits[n++] = '-';
    char text[17];
    for (int i = 0; i < n; ++i)
        text[i] = digits[n - 1 - i];
    text[n] = '\0';
    return Append(at, text);
}

bool AtStackLimit(const siginfo_t* info)
{
    const auto addr = reinterpret_cast<std::uintptr_t>(info->si_addr);
    return gStackLow && addr + kStackSlack >= gStackLow && addr < gStackLow + kStackSlack;
}

void OnFatalError(int signal, siginfo_t* info, void*)
{
    if (gInHandler)
        _exit(0);  // a fault while reporting a fault: end at once
    gInHandler = 1;

    const bool stack = (signal == SIGSEGV || signal == SIGBUS) && AtStackLimit(info);
    std::size_t n = Append(0, FaultDescription(signal, info->si_code, stack));
    n = Append(n, "\r\n");
    n = Append(n, gSourceFile);
    n = Append(n, " @ ");
    AppendNumber(n, gSourceLine);

    // The box is shown by a fresh copy of the program: this one may not be
    // able to run the toolkit any more.
    const pid_t child = gSelfPath[0] ? fork() : -1;
    if (child == 0) {
        char arg[sizeof kFaultBoxArgument];
        for (std::size_t i = 0; i < sizeof arg; ++i)
            arg[i] = kFaultBoxArgument[i];
        char* argv[] = {gSelfPath, arg, gText, nullptr};
        execve(gSelfPath, argv, environ);
        _exit(0);
    }
    if (child > 0) {
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    } else {
        std::size_t len = 0;
        while (gText[len])
            ++len;
        [[maybe_unused]] ssize_t written = write(STDERR_FILENO, gText, len);
    }
    _exit(0);
}

void NoteStackLimit()
{
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0)
        return;
    void* low = nullptr;
    std::size_t size = 0;
    if (pthread_attr_getstack(&attr, &low, &size) == 0)
        gStackLow = reinterpret_cast<std::uintptr_t>(low);
    pthread_attr_destroy(&attr);
}

}  // namespace

void InstallFaultHandler()
{
    const ssize_t len = readlink("/proc/self/exe", gSelfPath, sizeof gSelfPath - 1);
    gSelfPath[len > 0 ? len : 0] = '\0';
    NoteStackLimit();

    // A stack overflow leaves no stack to run the handler on.
    static void* altStack = std::malloc(kAltStackSize);
    if (altStack) {
        stack_t ss{};
        ss.ss_sp = altStack;
        ss.ss_size = kAltStackSize;
        sigaltstack(&ss, nullptr);
    }

    struct sigaction sa {};
    sa.sa_sigaction = OnFatalError;
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
    sigemptyset(&sa.sa_mask);
    for (int s : kSignals)
        sigaction(s, &sa, nullptr);
}

const char* FaultDescription(int signal, int code, bool atStackLimit)
{
    switch (signal) {
    case SIGSEGV:
        return atStackLimit ? "Stack overflow" : "Invalid memory access";
    case SIGBUS:
        if (atStackLimit)
            return "Stack overflow";
        return code == BUS_ADRALN ? "Misaligned data access" : "Memory page error";
    case SIGFPE:
        switch (code) {
        case FPE_INTDIV: return "Division by zero ";
        case FPE_INTOVF: return "Integer overflow";
        case FPE_FLTDIV: return "Division by zero (floating-point)";
        case FPE_FLTOVF: return "Floating-point overflow (exponent to great)";
        case FPE_FLTUND: return "Floating-point underflow (exponent too small)";
        case FPE_FLTRES: return "Inexact floating-point result";
        case FPE_FLTINV: return "Invalid floating-point operation";
        case FPE_FLTSUB: return "Array bounds exceeded";
        default: return "Unknown error code";
        }
    case SIGILL:
        return code == ILL_PRVOPC || code == ILL_PRVREG ? "Privileged instruction" : "Illegal instruction";
    case SIGTRAP:
        return code == TRAP_TRACE ? "Single step trap" : "Debugger breakpoint reached";
    default:
        return "Unknown error code";
    }
}

}  // namespace velmora
