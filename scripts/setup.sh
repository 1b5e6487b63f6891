#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing.
# Idempotent: does nothing (and needs no network) when everything is there. Other
# commands name the further packages they need as arguments (the benchmark's numpy, the
# Windows stage's cross compiler and Wine).
set -euo pipefail

packages=(cmake ninja-build g++ libgtest-dev libcli11-dev nlohmann-json3-dev python3
          clang-14 libclang-rt-14-dev valgrind pybind11-dev python3-dev python3-numpy zlib1g-dev ccache
          help2man
          "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}" >&2
  SUDO=""
  [[ $(id -u) -ne 0 ]] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
