#include "../tests/ui/busy_canvas.h"
#include "bench_support.h"
#include "ui/image_jobs.h"
#include "ui/workspace.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>

namespace velmora {
namespace {

// The longest gap between timer ticks until `jobs` is idle.
double LongestGapUntilIdle(const ImageJobs& jobs)
{
    return LongestGapUntil([&] { return !jobs.Busy(); });
}

// The largest canvas saved as PNG in the background while the window's
// thread runs its event loop: gap_ms is the longest the window went without
// handling a timer, which the user sees as a stall.
void BM_WindowGapWhileSaving(benchmark::State& state)
{
    EnsureGuiApp();
    QTemporaryDir dir;
    Workspace ws;
    ws.canvas = QImage(8192, 8192, QImage::Format_RGB32);
    ws.canvas.fill(QColor(40, 158, 58));
    PaintLines(ws.canvas);
    ImageJobs jobs(ws, nullptr);
    ws.imageJobs = &jobs;
    double longest = 0;
    for (auto _ : state) {
        bool saved = false;
        jobs.Start(SaveImageJob(ws.canvas, ImageFormat::Png, dir.filePath("huge.png"),
                                [&](const Result<std::string>& r) { saved = r.ok(); }));
        longest = std::max(longest, LongestGapUntilIdle(jobs));
        if (!saved)
            state.SkipWithError("the picture was not saved");
    }
    state.counters["gap_ms"] = longest;
}
BENCHMARK(BM_WindowGapWhileSaving)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
} // namespace velmora
