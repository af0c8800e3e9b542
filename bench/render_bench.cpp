#include "../tests/render/reference_scene.h"
#include "bench_support.h"
#include "render/image/image_load.h"
#include "render/drawing.h"
#include "render/layers.h"
#include "render/occupancy_map.h"
#include "render/image/grey_png_write.h"
#include "render/redraw.h"

#include <QGuiApplication>
#include <QImage>
#include <benchmark/benchmark.h>
#include <cstring>

namespace velmora {
namespace {

void RedrawReference(benchmark::State& state, int points)
{
    EnsureGuiApp();
    const Settings s = reference::KerbSettings();
    const RenderAssets assets = reference::ShippedAssets(s);
    const TrackModel model = reference::Circuit(points);
    const QImage templ = reference::TemplatePicture();
    TemplateCache cache;
    QImage canvas(2048, 2048, QImage::Format_RGB32);
    for (auto _ : state) {
        benchmark::DoNotOptimize(RedrawCanvas(canvas, model, s, assets, templ, &cache));
        benchmark::ClobberMemory();
    }
}

void BM_RedrawReference(benchmark::State& state)
{
    RedrawReference(state, 1000);
}
void BM_RedrawReference10k(benchmark::State& state)
{
    RedrawReference(state, 10000);
}

// What any full repaint costs at least: fill the canvas once and copy it once.
void BM_CanvasFloor(benchmark::State& state)
{
    QImage canvas(2048, 2048, QImage::Format_RGB32);
    QImage copy(2048, 2048, QImage::Format_RGB32);
    for (auto _ : state) {
        canvas.fill(qRgb(40, 158, 58));
        std::memcpy(copy.bits(), canvas.constBits(), size_t(canvas.sizeInBytes()));
        benchmark::ClobberMemory();
    }
}

// One layer of the reference redraw at a time, to see where a redraw's time
// goes. The canvas is not cleared between rounds: drawing over the same
// picture costs the same.
void DrawLayer(benchmark::State& state, void (*layer)(VectorPass&, const Scene&))
{
    EnsureGuiApp();
    const Settings s = reference::KerbSettings();
    const RenderAssets assets = reference::ShippedAssets(s);
    const TrackModel model = reference::Circuit(1000);
    const std::vector<PathFigure> track = ParsePathText(model.TrackPath);
    const Scene scene{model, s, assets, track};
    QImage canvas(2048, 2048, QImage::Format_RGB32);
    canvas.fill(qRgb(40, 158, 58));
    VectorPass pass(canvas);
    for (auto _ : state) {
        BeginLayer(pass);
        layer(pass, scene);
        EndLayer(pass);
        benchmark::ClobberMemory();
    }
}

void BM_LayerBorder(benchmark::State& state)
{
    DrawLayer(state, DrawBorder);
}
void BM_LayerSurface(benchmark::State& state)
{
    DrawLayer(state, DrawSurface);
}
void BM_LayerCentreLine(benchmark::State& state)
{
    DrawLayer(state, DrawCentreLine);
}
void BM_LayerDistanceMarkers(benchmark::State& state)
{
    DrawLayer(state, DrawDistanceMarkers);
}
void BM_LayerLabels(benchmark::State& state)
{
    DrawLayer(state, DrawLabels);
}
void BM_LayerStartImage(benchmark::State& state)
{
    DrawLayer(state, DrawStartImage);
}

// The pixel steps: background, template copy and RL marker icons.
void BM_LayerPixels(benchmark::State& state)
{
    EnsureGuiApp();
    const Settings s = reference::KerbSettings();
    const RenderAssets assets = reference::ShippedAssets(s);
    TrackModel model = reference::Circuit(1000);
    model.TrackPath.clear();
    model.labels.clear();
    const QImage templ = reference::TemplatePicture();
    TemplateCache cache;
    QImage canvas(2048, 2048, QImage::Format_RGB32);
    for (auto _ : state) {
        benchmark::DoNotOptimize(RedrawCanvas(canvas, model, s, assets, templ, &cache));
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_RedrawReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawReference10k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CanvasFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayerBorder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayerSurface)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayerCentreLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayerDistanceMarkers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayerLabels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayerStartImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayerPixels)->Unit(benchmark::kMillisecond);

// The occupancy map of the 1,000-point reference circuit on the 2048 x 2048
// canvas; arg 1 encodes it as PNG too.
void BM_OccupancyMap(benchmark::State& state)
{
    const std::string path = reference::CircuitPath(1000);
    for (auto _ : state) {
        const QImage map = OccupancyMap(path, 42, 2048, 2048);
        if (state.range(0) != 0)
            benchmark::DoNotOptimize(EncodeGreyPng(map));
        benchmark::DoNotOptimize(map.constBits());
    }
}
BENCHMARK(BM_OccupancyMap)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velmora
