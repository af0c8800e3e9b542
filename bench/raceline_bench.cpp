#include "core/formats/centreline_import.h"
#include "core/raceline/raceline.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <iterator>
#include <string>

namespace velmora {
namespace {

RacelineInput Circuit(const char* name)
{
    std::ifstream in(std::string(VELMORA_TEST_DATA) + "/circuits/" + name + ".csv", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<CentrelineRow> rows;
    std::string error;
    ReadCentrelineRows(bytes, rows, error);
    RacelineInput track;
    for (const CentrelineRow& r : rows) {
        track.centre.push_back({r.x, r.y});
        track.widthRight.push_back(r.widthRight);
        track.widthLeft.push_back(r.widthLeft);
    }
    return track;
}

// The whole line: corridor, solver, sampling and speed profile. Monza every
// 5 m is a circuit of about 1,160 rows, Spa about 1,400; every 1 m Monza has
// 5,800.
void BM_Raceline(benchmark::State& state, const char* name, double spacing)
{
    const RacelineInput track = Circuit(name);
    const Vehicle car = RacecarVehicle();
    std::size_t rows = 0;
    for (auto _ : state) {
        const Result<Raceline> line = ComputeRaceline(track, car, spacing);
        rows = line.ok() ? line->rows.size() : 0;
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK_CAPTURE(BM_Raceline, Monza5m, "Monza", 5.0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Raceline, Spa5m, "Spa", 5.0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Raceline, Monza1m, "Monza", 1.0)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velmora
