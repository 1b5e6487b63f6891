#!/usr/bin/env bash
# CI stage: runs the test programs of the dev build (made by scripts/test.sh) under
# valgrind memcheck, two at a time: any memory error or definite leak fails the stage.
# The fuzz regression inputs and seeds are replayed under valgrind too.
#   LAT_CI_BUILD_PREFIX  where the dev build is: <prefix>dev (default build/dev)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

build="${LAT_CI_BUILD_PREFIX:-build/}dev"
bin="$build/bin"
if [[ ! -x "$bin/fuzz_replay" ]]; then
  echo "valgrind: no dev build in $build (run scripts/test.sh first)" >&2
  exit 1
fi
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
"$bin/fuzz_seeds" "$logs/seeds"

# One command per line: a test program, or the replay of a corpus.
commands=()
for program in "$bin"/*_tests; do
  commands+=("$program")
done
for corpus in fuzz/regressions/*/; do
  commands+=("$bin/fuzz_replay $(basename "$corpus") $corpus")
done
commands+=("$bin/fuzz_replay import-complete $logs/seeds/import")
commands+=("$bin/fuzz_replay options $logs/seeds/options")

memcheck() {
  local index=$1 command=$2
  # shellcheck disable=SC2086  # the command's words are meant to split
  valgrind --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite \
    --show-leak-kinds=definite --num-callers=30 $command >"$logs/$index.log" 2>&1
}

failed=()
running=()
start() {
  memcheck "$1" "${commands[$1]}" &
  running+=("$!:$1")
}
finish() {
  local entry=${running[0]}
  running=("${running[@]:1}")
  local index=${entry#*:}
  if wait "${entry%%:*}"; then
    echo "valgrind: clean: ${commands[$index]}"
  else
    failed+=("$index")
  fi
}
for i in "${!commands[@]}"; do
  start "$i"
  ((${#running[@]} < 2)) || finish
done
while ((${#running[@]})); do finish; done

if ((${#failed[@]})); then
  for index in "${failed[@]}"; do
    echo "valgrind: FAILED: ${commands[$index]}" >&2
    grep -E '==[0-9]+==|FAILED|Failure' "$logs/$index.log" | head -n 60 >&2 || true
  done
  exit 1
fi
echo "valgrind: all ${#commands[@]} programs clean"
