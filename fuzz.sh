#!/usr/bin/env bash
# Builds the libFuzzer targets in build/fuzz and runs each for the given
# number of seconds (default 60), starting from the seed corpus in
# fuzz/corpus/<target>. New inputs go to build/fuzz/corpus/<target>; a crash
# leaves its input in build/fuzz/ as crash-*.
set -euo pipefail
cd "$(dirname "$0")"
seconds=${1:-60}

build=build/fuzz
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
        -DVELMORA_FUZZ=ON -DVELMORA_CORE_ONLY=ON -DVELMORA_TESTS=OFF
fi
cmake --build "$build"

status=0
for target in track_file path prefs; do
    work="$build/corpus/$target"
    mkdir -p "$work"
    echo "== fuzz_$target for ${seconds}s"
    (cd "$build" && "./bin/fuzz_$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 "corpus/$target" "../../fuzz/corpus/$target") || status=1
done
exit $status
