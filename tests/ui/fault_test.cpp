#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <csignal>

#include "ui/fault_handler.h"
#include "ui/failure_report.h"
#include "hang_guard.h"

namespace velmora {
namespace {

struct ProbeRun {
    int exitCode = -1;
    bool crashed = true;
    QString line;  // the source line the probe expects in the report
    QString report;  // what the box would have shown
};

ProbeRun RunProbe(const QString& kind)
{
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELMORA_TEST_BOX_TO_STDERR", "1");
    probe.setProcessEnvironment(env);
    probe.start(VELMORA_FAULT_PROBE, {kind});
    ProbeRun run;
    if (!probe.waitForFinished(kHangGuardMs)) {
        probe.kill();
        probe.waitForFinished();
        return run;
    }
    run.crashed = probe.exitStatus() != QProcess::NormalExit;
    run.exitCode = probe.exitCode();
    run.line = QString::fromUtf8(probe.readAllStandardOutput()).trimmed();
    run.report = QString::fromUtf8(probe.readAllStandardError());
    if (run.report.endsWith('\n'))
        run.report.chop(1);
    return run;
}

void ExpectReport(const QString& kind, const QString& description)
{
    SCOPED_TRACE(kind.toStdString());
    const ProbeRun run = RunProbe(kind);
    EXPECT_FALSE(run.crashed);
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_FALSE(run.line.isEmpty());
    const QString expected = description + "\r\n";
    EXPECT_TRUE(run.report.startsWith(expected)) << run.report.toStdString();
    EXPECT_TRUE(run.report.endsWith("fault_probe.cpp @ " + run.line)) << run.report.toStdString();
    EXPECT_TRUE(run.report.contains('/')) << "the full source path is named";
}

TEST(FaultHandler, RealFaultsShowTheirDescriptionAndPositionAndExitWithZero)
{
    ExpectReport("intdiv", "Division by zero ");  // the trailing blank is part of the text
    ExpectReport("segv", "Invalid memory access");
    ExpectReport("stack", "Stack overflow");
    ExpectReport("fltdiv", "Division by zero (floating-point)");
    ExpectReport("illegal", "Illegal instruction");
    ExpectReport("abort", "Unknown error code");
}

TEST(FaultHandler, DescriptionsFollowTheFaultCode)
{
    EXPECT_STREQ(FaultDescription(SIGFPE, FPE_INTOVF, false), "Integer overflow");
    EXPECT_STREQ(FaultDescription(SIGFPE, FPE_FLTOVF, false), "Floating-point overflow (exponent to great)");
    EXPECT_STREQ(FaultDescription(SIGFPE, FPE_FLTUND, false), "Floating-point underflow (exponent too small)");
    EXPECT_STREQ(FaultDescription(SIGFPE, FPE_FLTRES, false), "Inexact floating-point result");
    EXPECT_STREQ(FaultDescription(SIGFPE, FPE_FLTINV, false), "Invalid floating-point operation");
    EXPECT_STREQ(FaultDescription(SIGFPE, 9999, false), "Unknown error code");
    EXPECT_STREQ(FaultDescription(SIGBUS, BUS_ADRALN, false), "Misaligned data access");
    EXPECT_STREQ(FaultDescription(SIGBUS, BUS_ADRERR, false), "Memory page error");
    EXPECT_STREQ(FaultDescription(SIGILL, ILL_PRVOPC, false), "Privileged instruction");
    EXPECT_STREQ(FaultDescription(SIGTRAP, TRAP_BRKPT, false), "Debugger breakpoint reached");
    EXPECT_STREQ(FaultDescription(SIGTRAP, TRAP_TRACE, false), "Single step trap");
    EXPECT_STREQ(FaultDescription(SIGSEGV, SEGV_MAPERR, true), "Stack overflow");
}

TEST(FatalReport, TextsNameTheCheckAndItsPosition)
{
    EXPECT_EQ(ReportText("could not open window", "", 125), "could not open window\r\nVelmora in  @ 125");
    EXPECT_EQ(ReportText("could not find file: /t/a.trk", "Load", 739),
              "could not find file: /t/a.trk\r\nVelmora in Load @ 739");
}

TEST(FatalReportDeathTest, ShowsTheBoxTextAndEndsWithExitCodeZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    qputenv("VELMORA_TEST_BOX_TO_STDERR", "1");
    EXPECT_EXIT(ReportFatal(ReportText("could not create menu", "", 155)), testing::ExitedWithCode(0),
                "could not create menu\r\nVelmora in  @ 155");
}

}  // namespace
}  // namespace velmora
