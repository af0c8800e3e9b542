#include "core/formats/centreline_csv.h"
#include "core/inputs/centreline_import.h"
#include "core/formats/deepracer_npy.h"
#include "core/formats/track_file.h"
#include "core/formats/waypoints_csv.h"
#include "core/track/track_generator.h"
#include "core/track/track_model.h"
#include "core/track/track_samples.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <iterator>
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

#ifdef VELMORA_TEST_DATA
// A real circuit from its CSV to every file in metres: read, import, sample
// at the default spacing, then the track file, the centreline, the
// waypoints and the DeepRacer array.
void BM_CircuitToWorldOutputs(benchmark::State& state, const char* name)
{
    std::ifstream in(std::string(VELMORA_TEST_DATA) + "/circuits/" + name + ".csv", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    CentrelineImportOptions options;
    options.trackWidthFromFile = true;
    std::size_t written = 0;
    for (auto _ : state) {
        const Result<std::vector<CentrelineRow>> rows = ReadCentrelineRows(bytes);
        if (!rows)
            return state.SkipWithError(rows.error().c_str());
        const Result<ImportedCentreline> circuit = ImportCentreline(*rows, options);
        if (!circuit)
            return state.SkipWithError(circuit.error().c_str());
        const Result<TrackSamples> samples = SampleTrack(
            circuit->model.TrackPath, DefaultSpacing(circuit->frame.metresPerPixel), circuit->trackWidth);
        if (!samples)
            return state.SkipWithError(samples.error().c_str());
        written = WriteTrackFile(circuit->model).size() + CentrelineCsv(*samples, circuit->frame)->size() +
                  WaypointsCsv(*samples, circuit->frame)->size() +
                  DeepRacerNpy(*samples, circuit->frame)->size();
        benchmark::DoNotOptimize(written);
    }
    state.counters["bytes"] = static_cast<double>(written);
}
BENCHMARK_CAPTURE(BM_CircuitToWorldOutputs, Monza, "Monza")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CircuitToWorldOutputs, Spa, "Spa")->Unit(benchmark::kMillisecond);
#endif

} // namespace
} // namespace velmora
