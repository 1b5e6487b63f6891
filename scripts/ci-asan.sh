#!/usr/bin/env bash
# CI stage: builds everything with AddressSanitizer and UndefinedBehaviorSanitizer (preset
# asan) and runs the whole test suite; any sanitizer report or leak fails a test.
#   LAT_CI_BUILD_PREFIX  where the build goes: <prefix>asan (default build/asan)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

build="${LAT_CI_BUILD_PREFIX:-build/}asan"
if [[ ! -f "$build/build.ninja" ]]; then
  cmake --preset asan -B "$build" >/dev/null
fi
cmake --build "$build"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "$build" -j 2 --output-on-failure
