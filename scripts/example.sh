#!/usr/bin/env bash
# The main job: builds lattool and shows what a sample lattice holds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh dev >&2
build/dev/bin/lattool info examples/uniform-3x2.lat
