#include "core/inputs/centreline_import.h"
#include "core/raceline/envelope_cholesky.h"
#include "core/raceline/raceline.h"
#include "core/track/path.h"
#include "core/track/track_generator.h"
#include "core/track/world_frame.h"

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
    const Result<std::vector<CentrelineRow>> rows = ReadCentrelineRows(bytes);
    RacelineInput track;
    for (const CentrelineRow& r : rows ? *rows : std::vector<CentrelineRow>()) {
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

// Generated tracks with the default settings (0.05 m per pixel, 2.1 m wide)
// and the 1:10 car, the centre every metre; a new track each time.
void BM_RacelineGenerated(benchmark::State& state)
{
    const Settings settings;
    const GeneratorOptions options = DefaultGeneratorOptions(settings);
    const WorldFrame frame;
    std::uint64_t index = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const Result<TrackModel> made = GenerateTrack(settings, options, 3, index++);
        const PathMeasure path(made ? made->TrackPath : std::string());
        RacelineInput track;
        for (double s = 0; s < path.TotalLength() - 10; s += 20) {
            const PathSample p = path.At(s);
            track.centre.push_back({frame.X(p.x), frame.Y(p.y)});
        }
        track.widthRight.assign(track.centre.size(), frame.Metres(settings.TrackWidth / 2));
        track.widthLeft = track.widthRight;
        state.ResumeTiming();
        benchmark::DoNotOptimize(ComputeRaceline(track, F1tenthVehicle(), 1.0).ok());
    }
}
BENCHMARK(BM_RacelineGenerated)->Unit(benchmark::kMillisecond);

// One factorisation and two solves, the work of one interior-point step, on
// a loop of Monza's size at the reference spacing: banded with the corners
// a loop adds.
void BM_EnvelopeCholesky(benchmark::State& state)
{
    const auto n = static_cast<Eigen::Index>(state.range(0));
    std::vector<Eigen::Triplet<double>> entries;
    for (Eigen::Index i = 0; i < n; ++i) {
        entries.emplace_back(i, i, 6.5);
        for (const Eigen::Index d : {1, 2}) {
            const double v = d == 1 ? -4.0 : 1.0;
            entries.emplace_back(i, (i + d) % n, v);
            entries.emplace_back((i + d) % n, i, v);
        }
    }
    Eigen::SparseMatrix<double> matrix(n, n);
    matrix.setFromTriplets(entries.begin(), entries.end());
    EnvelopeCholesky cholesky(matrix);
    const std::vector<char> keep(static_cast<std::size_t>(n), 1);
    Eigen::VectorXd b;
    for (auto _ : state) {
        b = Eigen::VectorXd::Ones(n);
        LoadLowerTriangle(matrix, keep, cholesky);
        benchmark::DoNotOptimize(cholesky.Factorise());
        cholesky.Solve(b);
        cholesky.Solve(b);
        benchmark::DoNotOptimize(b.data());
    }
}
BENCHMARK(BM_EnvelopeCholesky)->Arg(3091)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace velmora
