#!/usr/bin/env bash
# The main job: builds lattool and shows what a sample lattice holds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh dev lattool >&2  # lattool brings the plug-in module it loads
build/dev/bin/lattool info examples/uniform-3x2.lat
