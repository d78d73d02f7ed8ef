#!/usr/bin/env bash
# The one test command: installs what is missing, builds the native build (portable core,
# AddressSanitizer + UndefinedBehaviorSanitizer) and the Windows build (MinGW-w64, every
# target), creates the project's own Wine prefix, and runs every test of both builds in one
# CTest run that ends with CTest's summary. Exits non-zero on any failure.
# Arguments go to CTest (for example -R e2e to run only the end-to-end tests).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/setup.sh"

jobs=$(nproc 2>/dev/null || echo 2)
build=$root/build
# Compile through ccache when the machine has it (rebuilds of other checkouts are then quick).
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  # Paths relative to the checkout, so that another clone of the same sources hits the cache.
  export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
fi

cmake -S . -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON "${launcher[@]}"
cmake --build "$build/native" -j "$jobs"

cmake -S . -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" "${launcher[@]}"
cmake --build "$build/win" -j "$jobs"

export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$root/scripts/wineprefix.sh" "$WINEPREFIX"

# A virtual display for the window tests when there is no display.
xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT
if [[ -z "${DISPLAY:-}" ]]; then
  . "$root/scripts/virtual-display.sh"
  start_virtual_display 90 110 || { echo "no free X display number for Xvfb" >&2; exit 1; }
fi
# Keep one wineserver for the whole run, and start Wine's own background processes
# (services.exe and friends) now, with their output going nowhere: started by a test they
# would inherit its output pipe and CTest would wait for them forever.
wineserver -p >/dev/null 2>&1 </dev/null || true
wine wineboot >/dev/null 2>&1 </dev/null || true

# One CTest run over both builds.
cat > "$build/CTestTestfile.cmake" <<CTEST
subdirs("$build/native")
subdirs("$build/win")
CTEST
cd "$build"
ctest --output-on-failure -j "$jobs" --timeout 900 "$@"
