#!/usr/bin/env bash
# Sets up, configures (once) and builds one preset: scripts/build.sh [dev|release|asan]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-dev}"
scripts/setup.sh
if [[ ! -f "build/$preset/build.ninja" ]]; then
  cmake --preset "$preset" >/dev/null
fi
cmake --build --preset "$preset"
