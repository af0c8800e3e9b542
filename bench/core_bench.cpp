#include <benchmark/benchmark.h>

#include "settings/settings.h"

static void BM_CanvasSide(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(velmora::CanvasSide(2048.4));
}
BENCHMARK(BM_CanvasSide);
