#include "core/inputs/centreline_import.h"
#include "core/mapin/distance_transform.h"
#include "core/mapin/free_cells.h"
#include "core/mapin/map_centreline.h"
#include "core/mapin/map_import.h"
#include "inputs/ros_map_load.h"

#include <benchmark/benchmark.h>

namespace velmora {
namespace {

LoadedMap F1tenthMap(const char* name)
{
    Result<LoadedMap> map = LoadRosMap(QString(VELMORA_TEST_DATA) + "/f1tenth/" + name + "_map.yaml");
    return map ? std::move(*map) : LoadedMap{};
}

// A 2,000 x 2,000 map to its centre line: thresholds, specks, the ring,
// two exact distance fields over the ring's rectangle, the medial line,
// resampling and smoothing. The picture is decoded once, outside.
void BM_MapCentreline(benchmark::State& state, const char* name)
{
    const LoadedMap map = F1tenthMap(name);
    std::size_t points = 0;
    for (auto _ : state) {
        const Result<MapCentreline> line = ExtractMapCentreline(map.image, map.info, {});
        points = line ? line->points.size() : 0;
        benchmark::DoNotOptimize(points);
    }
    if (points == 0)
        state.SkipWithError("the map gave no centre line");
    state.counters["points"] = double(points);
}
BENCHMARK_CAPTURE(BM_MapCentreline, Monza, "Monza")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MapCentreline, Spa, "Spa")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MapCentreline, BrandsHatch, "BrandsHatch")->Unit(benchmark::kMillisecond);

// And on to the track on the map's canvas, as velmora-export takes it.
void BM_MapToTrack(benchmark::State& state)
{
    const LoadedMap map = F1tenthMap("BrandsHatch");
    CentrelineImportOptions o;
    o.trackWidthFromFile = true;
    for (auto _ : state) {
        const Result<MapCentreline> line = ExtractMapCentreline(map.image, map.info, {});
        if (!line) {
            state.SkipWithError(line.error().c_str());
            break;
        }
        const Result<ImportedCentreline> track = ImportMapCentreline(*line, o);
        benchmark::DoNotOptimize(track.ok());
    }
}
BENCHMARK(BM_MapToTrack)->Unit(benchmark::kMillisecond);

// The exact distance transform alone over the whole 2,000 x 2,000 map.
void BM_DistanceTransform(benchmark::State& state)
{
    const LoadedMap map = F1tenthMap("BrandsHatch");
    CellMask walls = FreeCells(map.image, map.info);
    for (auto& c : walls.cells)
        c = c ? 0 : 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(SquaredDistances(walls).data());
}
BENCHMARK(BM_DistanceTransform)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velmora
