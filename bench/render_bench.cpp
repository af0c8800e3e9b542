#include "../tests/render/reference_scene.h"
#include "io/image_load.h"
#include "render/redraw.h"

#include <QGuiApplication>
#include <QImage>
#include <benchmark/benchmark.h>
#include <cstring>

namespace velmora {
namespace {

// Fonts need a running QGuiApplication.
void EnsureGuiApp()
{
    static int argc = 1;
    static char name[] = "velmora_bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = QGuiApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    (void)app;
}

RenderAssets BenchAssets(const Settings& s)
{
    RenderAssets assets;
    const QString folder = QStringLiteral(VELMORA_ASSETS "/Images/");
    assets.surface = LoadImg(folder + "surface.png").image;
    assets.start = LoadImg(folder + "start.png").image;
    assets.marker = LoadImg(folder + "marker.png").image;
    LoadFonts(assets, s, 96);
    return assets;
}

void RedrawReference(benchmark::State& state, int points)
{
    EnsureGuiApp();
    const Settings s = reference::KerbSettings();
    const RenderAssets assets = BenchAssets(s);
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

BENCHMARK(BM_RedrawReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawReference10k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CanvasFloor)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velmora
