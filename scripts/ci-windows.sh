#!/usr/bin/env bash
# CI stage: cross-builds the Windows module, host DLLs and lattool.exe with mingw-w64
# (preset windows) and runs the test suite under Wine, dialogs included (under Xvfb).
#   LAT_CI_BUILD_PREFIX  where the build goes: <prefix>windows (default build/windows;
#                        relative to the repository or absolute)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 fonts-wine xvfb xauth
          libgtest-dev googletest nlohmann-json3-dev libz-mingw-w64-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "ci-windows: installing ${missing[*]}" >&2
  SUDO=""
  [[ $(id -u) -ne 0 ]] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build="$(realpath -m "${LAT_CI_BUILD_PREFIX:-build/}windows")"
if [[ ! -f "$build/build.ninja" ]]; then
  cmake --preset windows -B "$build" >/dev/null
fi
cmake --build "$build"

# A private, quiet 64-bit Wine prefix in the build tree, with a persistent server so that
# Wine's helper processes do not hold CTest's output pipes.
wine_bin=/usr/lib/wine
export PATH="$wine_bin:$PATH"
export WINEPREFIX="$build/wineprefix"
export WINEARCH=win64
export WINEDEBUG="-all,err+module"
export WINEDLLOVERRIDES="mscoree,mshtml="

# The dialogs need a display: a private Xvfb on a free display number, which it reports
# once it accepts connections.
display_file="$build/xvfb-display"
rm -f "$display_file"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() {
  kill "$xvfb_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do
  [[ -s "$display_file" ]] && break
  sleep 0.1
done
[[ -s "$display_file" ]] || { echo "ci-windows: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$display_file")"

wineserver -k 2>/dev/null || true  # a server left over from an earlier run
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  wine64 wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  # No window manager under Xvfb: unmanaged windows, or each one waits for one.
  wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wineserver -w
fi
wineserver -p
wine64 cmd /c exit </dev/null >/dev/null 2>&1 || true  # warms the server up once

ctest --test-dir "$build" -j 2 --output-on-failure </dev/null
