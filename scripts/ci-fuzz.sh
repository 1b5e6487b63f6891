#!/usr/bin/env bash
# CI stage: builds the libFuzzer programs (preset fuzz), replays the committed regression
# inputs, writes the seed corpora and runs every target for LAT_FUZZ_SECONDS (default 60)
# from its corpus, two at a time. Any crash, failed check, leak, sanitizer report,
# timeout or runaway allocation fails the stage; the inputs that did it are kept in
# <build>/fuzz-artifacts/.
#   LAT_CI_BUILD_PREFIX  where the build goes: <prefix>fuzz (default build/fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

build="${LAT_CI_BUILD_PREFIX:-build/}fuzz"
seconds="${LAT_FUZZ_SECONDS:-60}"
if [[ ! -f "$build/build.ninja" ]]; then
  cmake --preset fuzz -B "$build" >/dev/null
fi
cmake --build "$build" --target lat_fuzz

# Scratch files of the targets live in memory when the system offers it.
work=$(mktemp -d /dev/shm/lat-fuzz.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/tmp" "$work/artifacts" "$work/logs"
"$build/bin/fuzz_seeds" "$work/seeds"

# name of the program, corpus and regression directory, dictionary, longest input
targets=(
  "import import import.dict 4096"
  "export export export.dict 4096"
  "options options options.dict 512"
  "import_vtk import-vtk vtk.dict 4096"
)

replay() {
  local program=$1 corpus=$2
  local inputs=(fuzz/regressions/"$corpus"/*)
  [[ -e "${inputs[0]}" ]] || return 0
  TMPDIR="$work/tmp" "$build/bin/fuzz_$program" "${inputs[@]}" >"$work/logs/$program-replay.log" 2>&1
}

fuzz() {
  local program=$1 corpus=$2 dict=$3 maxlen=$4
  mkdir -p "$work/corpus/$corpus"
  TMPDIR="$work/tmp" "$build/bin/fuzz_$program" -max_total_time="$seconds" -timeout=10 \
    -malloc_limit_mb=512 -rss_limit_mb=2048 -max_len="$maxlen" -dict="fuzz/dict/$dict" \
    -print_final_stats=1 -artifact_prefix="$work/artifacts/$program-" \
    "$work/corpus/$corpus" "$work/seeds/$corpus" >"$work/logs/$program.log" 2>&1
}

failed=()
for target in "${targets[@]}"; do
  read -r program corpus dict maxlen <<<"$target"
  replay "$program" "$corpus" || failed+=("$program (regression replay)")
done

pids=()
names=()
for target in "${targets[@]}"; do
  read -r program corpus dict maxlen <<<"$target"
  fuzz "$program" "$corpus" "$dict" "$maxlen" &
  pids+=($!)
  names+=("$program")
  if ((${#pids[@]} == 2)); then
    wait "${pids[0]}" || failed+=("${names[0]}")
    pids=("${pids[@]:1}")
    names=("${names[@]:1}")
  fi
done
for i in "${!pids[@]}"; do
  wait "${pids[$i]}" || failed+=("${names[$i]}")
done

for log in "$work"/logs/*.log; do
  [[ $log == *-replay.log ]] && continue
  program=$(basename "$log" .log)
  summary=$(grep -E '^stat::number_of_executed_units|^#[0-9]+ +DONE' "$log" | tail -1 || true)
  echo "fuzz: $program: ${summary:-no summary}"
done
if ((${#failed[@]})); then
  mkdir -p "$build/fuzz-artifacts"
  cp -r "$work"/artifacts/. "$work"/logs "$build/fuzz-artifacts/" 2>/dev/null || true
  for name in "${failed[@]}"; do
    echo "fuzz: FAILED: $name" >&2
    tail -n 40 "$work/logs/${name%% *}"*.log >&2 || true
  done
  echo "fuzz: inputs and logs kept in $build/fuzz-artifacts" >&2
  exit 1
fi
echo "fuzz: all targets clean"
