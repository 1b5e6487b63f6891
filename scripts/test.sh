#!/usr/bin/env bash
# Builds everything and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
# What only the tests use: pytest, xarray, VTK's own readers and writers as referee, and
# dpkg-shlibdeps for the package test.
scripts/setup.sh python3-pytest python3-xarray python3-vtk9 dpkg-dev
scripts/build.sh dev
ctest --preset dev
