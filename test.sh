#!/usr/bin/env bash
# Sets up what is missing, builds the tests with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test under them. The first
# memory error, leak of our own or undefined behaviour fails the run.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
velmora_ensure_packages "${VELMORA_TEST_PACKAGES[@]}"

# Child processes started by the tests inherit these settings too.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:print_stacktrace=1:strict_string_checks=1:detect_stack_use_after_return=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# Leaks inside system libraries (fontconfig, Qt's plugins, glib) are theirs.
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen

build=build/test-asan
velmora_configure "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=ON -DVELMORA_SANITIZE=ON
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"
