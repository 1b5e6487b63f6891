#!/usr/bin/env bash
# Benchmarks lattool against the numpy script a user would otherwise write: installs what
# is missing, builds a release build of its own, generates the lattices, prints the tables and
# runs the micro-benchmarks. Sizes and repetitions come from the environment:
#   LAT_BENCH_BINARY=512x512x256  LAT_BENCH_PLAIN=256x256x64  (node counts NXxNYxNZ)
#   LAT_BENCH_RUNS=5  LAT_BENCH_SCALING_RUNS=3  LAT_BENCH_MICRO=1 (0 skips the micro-suite)
#   LAT_BENCH_BUILD=build/bench (the build directory to use)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh python3-numpy libbenchmark-dev python3-vtk9

build="${LAT_BENCH_BUILD:-build/bench}"
if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLAT_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target lattool lat_plugin vtk_plugin lat_bench_data lat_microbench _latio >&2

# Debian's interpreter, which holds Debian's numpy (a python3 earlier on PATH may not).
/usr/bin/python3 bench/bench.py --bin "$build/bin" --work "$build/bench-data"
if [[ "${LAT_BENCH_MICRO:-1}" != 0 ]]; then
  echo
  "$build/bin/lat_microbench" --benchmark_min_time=0.2
fi
