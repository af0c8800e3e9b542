#!/usr/bin/env bash
# Sets up what is missing, then builds and runs every test twice: under
# AddressSanitizer and UndefinedBehaviorSanitizer, where the first memory
# error, leak of our own or undefined behaviour fails the run, and in the
# plain optimised build that ./run.sh makes, so the program users run is
# the one that passes. Arguments go to both ctest runs (-R PATTERN, say).
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
velmora_ensure_packages "${VELMORA_TEST_PACKAGES[@]}"

export QT_QPA_PLATFORM=offscreen

run_suite() {
    local build=$1; shift
    velmora_configure "$build" "$@"
    cmake --build "$build"
    ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "${CTEST_ARGS[@]}"
}
CTEST_ARGS=("$@")

echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
(
    # Child processes started by the tests inherit these settings too.
    export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:print_stacktrace=1:strict_string_checks=1:detect_stack_use_after_return=0"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
    # Leaks inside system libraries (fontconfig, Qt's plugins, glib) are theirs.
    export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
    run_suite build/test-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=ON -DVELMORA_SANITIZE=ON
)

echo "== Tests in the optimised build that ./run.sh makes"
run_suite build/test-release -DCMAKE_BUILD_TYPE=Release
