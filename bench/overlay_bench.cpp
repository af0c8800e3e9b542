#include "bench_support.h"
#include "core/inputs/circuit_import.h"
#include "core/formats/number_text.h"
#include "core/track/editor.h"
#include "ui/raceline_overlay.h"
#include "ui/workspace.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>

namespace velmora {
namespace {

// A closed circuit of `points` rows, about 3 km round, with bends of every
// kind, and 6 m either side of its centre.
std::string CircuitCsv(int points)
{
    std::string csv = "# x_m,y_m,w_tr_right_m,w_tr_left_m\n";
    for (int i = 0; i < points; ++i) {
        const double t = 2 * std::numbers::pi * i / points;
        const double r = 450 + 60 * std::sin(3 * t) + 30 * std::cos(5 * t);
        csv += FormatFixed(r * std::cos(t), 3) + "," + FormatFixed(0.8 * r * std::sin(t), 3) + ",6.0,6.0\n";
    }
    return csv;
}

// The longest gap between timer ticks until the overlay has the line of its
// track.
double LongestGapUntilShown(const RacelineOverlay& overlay)
{
    return LongestGapUntil([&] { return !overlay.Waiting(); });
}

void SpinUntilShown(const RacelineOverlay& overlay)
{
    for (int round = 0; round < 100000 && overlay.Waiting(); ++round)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// The race line of an imported 1,000-point circuit worked out while the
// window's thread runs its event loop: gap_ms is the longest the window went
// without handling a timer.
void BM_WindowGapWhileRacelineIsWorkedOut(benchmark::State& state)
{
    EnsureGuiApp();
    Workspace ws;
    ws.settings.CanvasWidth = 2048;
    ws.settings.CanvasHeight = 2048;
    const Result<ImportedCentreline> circuit =
        ImportCircuitText(CircuitCsv(1000), CircuitImportOptions(ws.settings), true);
    if (!circuit) {
        state.SkipWithError(circuit.error().c_str());
        return;
    }
    ws.editor.model = circuit->model;
    ws.settings.TrackWidth = circuit->trackWidth;
    ws.frame = circuit->frame;
    double longest = 0;
    for (auto _ : state) {
        RacelineOverlay overlay([] {});
        overlay.SetShown(true, ws);
        longest = std::max(longest, LongestGapUntilShown(overlay));
        if (!overlay.Line())
            state.SkipWithError("no race line");
    }
    state.counters["gap_ms"] = longest;
}
BENCHMARK(BM_WindowGapWhileRacelineIsWorkedOut)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// A click that adds the 50th point of a track, to the race line drawn over
// the canvas: the editor's click, the line worked out on the pool and
// handed back, and the overlay painted.
void BM_ClickToRacelineShown(benchmark::State& state)
{
    EnsureGuiApp();
    Workspace ws;
    ws.editor.model.StartAngle = -1;
    const auto at = [](int i) {
        const double t = 2 * std::numbers::pi * i / 50;
        return CanvasPoint{1024 + 700 * std::cos(t) + 40 * std::sin(4 * t), 1024 + 600 * std::sin(t)};
    };
    for (int i = 0; i < 49; ++i)
        ClickAt(ws.editor, ws.settings, at(i));
    const Editor before = ws.editor;
    QImage canvas(2048, 2048, QImage::Format_RGB32);
    RacelineOverlay overlay([] {});
    overlay.SetShown(true, ws);
    SpinUntilShown(overlay);
    for (auto _ : state) {
        ws.editor = before;
        ClickAt(ws.editor, ws.settings, at(49));
        overlay.Follow(ws);
        SpinUntilShown(overlay);
        QPainter painter(&canvas);
        overlay.Paint(painter, QRectF(0, 0, 2048, 2048));
        painter.end();
        if (!overlay.Line())
            state.SkipWithError("no race line");
        // The next round's click must change the track again.
        state.PauseTiming();
        ws.editor = before;
        overlay.Follow(ws);
        SpinUntilShown(overlay);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ClickToRacelineShown)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace velmora
