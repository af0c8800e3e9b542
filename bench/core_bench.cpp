#include "core/formats/track_file.h"
#include "core/track/track_generator.h"
#include "core/track/track_model.h"

#include <benchmark/benchmark.h>
#include <string>

namespace velmora {
namespace {

// A zig-zag track of n points the way clicking makes it.
std::string ClickedPath(int n)
{
    std::string path = "M 100 100 ";
    for (int i = 1; i < n; ++i)
        path += "L " + std::to_string(100 + i) + " " + std::to_string(100 + (i % 2) * 40) + " ";
    return path;
}

void BM_RebuildCursor(benchmark::State& state)
{
    TrackModel model;
    model.TrackPath = ClickedPath(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        RebuildCursor(model);
        benchmark::DoNotOptimize(model.cursor);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_RebuildCursor)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);

// One generated track with the default settings, a new index each time so
// easy and hard shapes average out.
void BM_GenerateTrack(benchmark::State& state)
{
    const Settings settings;
    const GeneratorOptions options = DefaultGeneratorOptions(settings);
    std::uint64_t index = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(GenerateTrack(settings, options, 7, index++));
}
BENCHMARK(BM_GenerateTrack)->Unit(benchmark::kMillisecond);

void BM_TrackFileRoundTrip(benchmark::State& state)
{
    const int points = static_cast<int>(state.range(0));
    TrackModel model;
    model.TrackPath = ClickedPath(points);
    RebuildCursor(model);
    model.StartAngle = 22;
    for (int i = 0; i < points / 10; ++i) {
        model.labels.push_back({"Turn " + std::to_string(i), i, 2 * i, 1 + i % 3});
        model.markers.push_back({1 + i % 3, 3 * i, 4 * i});
    }
    for (auto _ : state) {
        const std::string bytes = WriteTrackFile(model);
        TrackModel back;
        ReadTrackFile(bytes, back);
        benchmark::DoNotOptimize(back.labels.data());
    }
    state.SetComplexityN(points);
}
BENCHMARK(BM_TrackFileRoundTrip)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

} // namespace
} // namespace velmora
