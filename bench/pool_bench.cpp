#include "render/worker_pool.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <thread>
#include <vector>

namespace velmora {
namespace {

// One parallel step of 64 small tasks (a few microseconds each) taken from a
// shared counter, as the PNG encoder takes its slices: on the shared pool, and
// on threads started and joined for each step as the batch and the encoder
// once did. The difference is what a step costs beyond its work; a picture
// is one step, a batch one per track.
struct Step {
    std::atomic<int> next{0};
    std::atomic<std::uint64_t> sum{0};

    void Work()
    {
        for (int task; (task = next++) < 64;) {
            std::uint64_t x = static_cast<std::uint64_t>(task);
            for (int i = 0; i < 2000; ++i)
                x = x * 6364136223846793005u + 1442695040888963407u;
            sum += x;
        }
    }
};

void BM_PoolRunShared(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Step step;
        RunShared(threads, [&] { step.Work(); });
        benchmark::DoNotOptimize(step.sum.load());
    }
}
BENCHMARK(BM_PoolRunShared)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ThreadsStartedEachStep(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Step step;
        std::vector<std::thread> helpers;
        for (int i = 1; i < threads; ++i)
            helpers.emplace_back([&] { step.Work(); });
        step.Work();
        for (std::thread& t : helpers)
            t.join();
        benchmark::DoNotOptimize(step.sum.load());
    }
}
BENCHMARK(BM_ThreadsStartedEachStep)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
} // namespace velmora
