#include "../tests/circuit_data.h"
#include "render/gazebo/gazebo_world.h"

#include <benchmark/benchmark.h>

namespace velmora {
namespace {

// The Gazebo world of Spa (1,401 centreline rows) on the default 2048 x 2048
// canvas: occupancy map, traced walls, mesh and SDF text. The picture for
// the ground is made by the image export beforehand and only copied here.
void BM_GazeboWorldSpa(benchmark::State& state)
{
    const Result<ImportedCentreline> spa = circuits::Import("Spa");
    if (!spa) {
        state.SkipWithError(spa.error().c_str());
        return;
    }
    GazeboInput in;
    in.name = "Spa";
    in.frame = spa->frame;
    in.canvasWidth = 2048;
    in.canvasHeight = 2048;
    in.trackPath = spa->model.TrackPath;
    in.trackWidth = spa->trackWidth;
    in.texturePng = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(1 << 20, '\0');
    for (auto _ : state) {
        Result<GazeboWorld> world = BuildGazeboWorld(in);
        if (!world) {
            state.SkipWithError(world.error().c_str());
            return;
        }
        benchmark::DoNotOptimize(world->files.data());
    }
}
BENCHMARK(BM_GazeboWorldSpa)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velmora
