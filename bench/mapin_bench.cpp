#include "core/inputs/centreline_import.h"
#include "core/formats/pgm_read.h"
#include "core/mapin/distance_transform.h"
#include "core/mapin/free_cells.h"
#include "core/mapin/map_centreline.h"
#include "core/mapin/map_import.h"
#include "core/raceline/track_raceline.h"
#include "core/raceline/vehicle.h"
#include "inputs/ros_map_load.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <sstream>

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

// The race line of the map's track for the f1tenth car, its corridor
// measured on the map's walls: sampling, the corridor's fit to the walls
// (their distance field over the track's rectangle, the marches along the
// rows' normals, the stretches' edges) and the line. The track is found
// once, outside.
void BM_MapRaceline(benchmark::State& state)
{
    const LoadedMap map = F1tenthMap("BrandsHatch");
    const Result<MapCentreline> line = ExtractMapCentreline(map.image, map.info, {});
    CentrelineImportOptions o;
    o.trackWidthFromFile = true;
    const Result<ImportedCentreline> track =
        line ? ImportMapCentreline(*line, o) : Result<ImportedCentreline>(Fail(line.error()));
    const Result<Vehicle> car = BuiltInVehicle("f1tenth");
    if (!track || !car) {
        state.SkipWithError("the map gave no track");
        return;
    }
    for (auto _ : state) {
        const Result<Raceline> raceline = RacelineOfTrack(track->model.TrackPath, track->trackWidth,
                                                          track->frame, *car, &track->sourceEdges);
        if (!raceline) {
            state.SkipWithError(raceline.error().c_str());
            break;
        }
        benchmark::DoNotOptimize(raceline->rows.size());
    }
}
BENCHMARK(BM_MapRaceline)->Unit(benchmark::kMillisecond);

// A SLAM map of the tests scaled up by nearest neighbour to `side` cells
// across its longer side, on a square of unknown grey: a map as a finer
// scan of the same place would give it, walls and gaps as many cells wider.
LoadedMap ScaledSlamMap(const char* name, double originX, double originY, int side)
{
    std::ifstream in(std::string(VELMORA_TEST_DATA) + "/slam_cells/" + name + ".pgm", std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const Result<GreyImage> small = ReadPgm(bytes.str(), 1 << 14);
    if (!small)
        return {};
    const double scale = double(side) / std::max(small->width, small->height);
    LoadedMap map;
    map.image = {side, side, std::vector<std::uint8_t>(std::size_t(side) * std::size_t(side), 205)};
    const int w = std::min(side, int(small->width * scale)), h = std::min(side, int(small->height * scale));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            map.image.values[std::size_t(y) * std::size_t(side) + std::size_t(x)] =
                small->At(std::min(small->width - 1, int(x / scale)), std::min(small->height - 1, int(y / scale)));
    map.info.resolution = 0.05 / scale;
    map.info.originX = originX;
    map.info.originY = originY - (side - h) * map.info.resolution; // the picture's lower-left corner stays
    map.info.occupiedThresh = 0.65;
    map.info.freeThresh = 0.196;
    return map;
}

// The SLAM maps at 2,000 x 2,000 to their centre line: hangar clean,
// colombia round an inner wall of pieces, so with the gaps narrower than
// the car closed after the first search finds no one loop.
void BM_SlamMapCentreline(benchmark::State& state, const char* name, double originX, double originY)
{
    const LoadedMap map = ScaledSlamMap(name, originX, originY, int(state.range(0)));
    std::size_t points = 0;
    for (auto _ : state) {
        const Result<MapCentreline> line = ExtractMapCentreline(map.image, map.info, {});
        if (!line) {
            state.SkipWithError(line.error().c_str());
            break;
        }
        points = line->points.size();
        benchmark::DoNotOptimize(points);
    }
    state.counters["points"] = double(points);
}
BENCHMARK_CAPTURE(BM_SlamMapCentreline, hangar, "hangar", -15.896772766113282, -14.073823547363283)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SlamMapCentreline, colombia, "colombia", -5.706540, -2.020793)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond);

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
