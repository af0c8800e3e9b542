#!/usr/bin/env bash
# Builds the libFuzzer targets in build/fuzz and runs each for the given
# number of seconds (default 60), starting from the seed corpus in
# fuzz/corpus/<target>. Name targets after the seconds to run only those
# (e.g. ./fuzz.sh 600 image rl_data). New inputs go to
# build/fuzz/corpus/<target>; a crash leaves its input in build/fuzz/ as
# crash-*, a hang as timeout-*.
set -euo pipefail
cd "$(dirname "$0")"
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(track_file path prefs rl_data centreline_import ros_map image)

build=build/fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
    -DVELMORA_FUZZ=ON -DVELMORA_CORE_ONLY=OFF -DVELMORA_TESTS=OFF >/dev/null
cmake --build "$build" --target "${targets[@]/#/fuzz_}"

# Leaks inside system libraries (Qt's image plugins, glib) are theirs.
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export QT_QPA_PLATFORM=offscreen

# The RL data of a track near the line cap runs to a million rows; with the
# fuzzer's instrumentation that honestly takes seconds.
timeout_for() { [ "$1" = rl_data ] && echo 30 || echo 10; }

status=0
for target in "${targets[@]}"; do
    work="$build/corpus/$target"
    mkdir -p "$work"
    echo "== fuzz_$target for ${seconds}s"
    (cd "$build" && "./bin/fuzz_$target" -max_total_time="$seconds" -max_len=65536 -timeout="$(timeout_for "$target")" \
        -rss_limit_mb=2048 -print_final_stats=1 "corpus/$target" "../../fuzz/corpus/$target") || status=1
done
exit $status
