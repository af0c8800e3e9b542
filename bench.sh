#!/usr/bin/env bash
# Builds and runs the benchmarks; extra arguments go to Google Benchmark
# (for example --benchmark_filter=Redraw).
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
velmora_ensure_packages "${VELMORA_BENCH_PACKAGES[@]}"

build=build/bench
velmora_configure "$build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=ON
cmake --build "$build" --target velmora_bench
export QT_QPA_PLATFORM=offscreen
exec "$build/bin/velmora_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
