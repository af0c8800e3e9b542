#include "render/worker_pool.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <thread>
#include <vector>

namespace velmora {
namespace {

// What one parallel step costs beyond its work, on `threads` runs of a
// trivial task: the shared pool, and the threads started and joined for each
// step as the batch and the PNG encoder once did. A PNG picture takes one
// step, a batch of tracks one per track's encoder.
void BM_PoolRunShared(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    std::atomic<int> runs{0};
    for (auto _ : state)
        RunShared(threads, [&] { ++runs; });
    benchmark::DoNotOptimize(runs.load());
}
BENCHMARK(BM_PoolRunShared)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ThreadsStartedEachStep(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    std::atomic<int> runs{0};
    for (auto _ : state) {
        std::vector<std::thread> helpers;
        for (int i = 1; i < threads; ++i)
            helpers.emplace_back([&] { ++runs; });
        ++runs;
        for (std::thread& t : helpers)
            t.join();
    }
    benchmark::DoNotOptimize(runs.load());
}
BENCHMARK(BM_ThreadsStartedEachStep)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
} // namespace velmora
