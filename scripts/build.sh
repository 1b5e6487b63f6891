#!/usr/bin/env bash
# Sets up, configures (once) and builds one preset, all of it or the targets named:
#   scripts/build.sh [dev|release|asan] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-dev}"
shift || true
scripts/setup.sh
if [[ ! -f "build/$preset/build.ninja" ]]; then
  cmake --preset "$preset" >/dev/null
fi
if (($#)); then
  cmake --build --preset "$preset" --target "$@"
else
  cmake --build --preset "$preset"
fi
