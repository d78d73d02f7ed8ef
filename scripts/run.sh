#!/usr/bin/env bash
# Runs OrlixVantrel: installs what is missing, builds the Windows build and starts the program
# under Wine in the project's own prefix (build/wineprefix).
#
#   scripts/run.sh [screenshot.png]
#
# With DISPLAY set the program runs on that display until it ends. Without a display it runs
# on a private Xvfb: the script waits (at most 60 s) for the window "Vantrel", lets the graph
# draw a few seconds, saves a screenshot of the screen as PNG (default
# build/vantrel-screenshot.png), stops the program and exits.
#
# The prefix starts as not a first run (scripts/run-prefix.sh): Wine's help viewer shows the
# help blank, so the pages are read from help/ instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
shot=${1:-$root/build/vantrel-screenshot.png}

"$root/scripts/setup.sh"

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build build/win -j "$jobs" --target OrlixVantrel vantrel_driver

export WINEPREFIX=$root/build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$root/scripts/wineprefix.sh" "$WINEPREFIX"
program=$root/build/win/bin/OrlixVantrel.exe
driver=$root/build/win/tests/e2e/vantrel_driver.exe

if [[ -n "${DISPLAY:-}" ]]; then
  "$root/scripts/run-prefix.sh" "$WINEPREFIX"
  exec wine "$program"
fi

xvfb_pid=
program_pid=
cleanup() {
  [[ -n "$program_pid" ]] && kill "$program_pid" >/dev/null 2>&1 || true
  wineserver -k >/dev/null 2>&1 || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT

. "$root/scripts/virtual-display.sh"
start_virtual_display 120 160 || { echo "no free X display number for Xvfb" >&2; exit 1; }

wineserver -p >/dev/null 2>&1 </dev/null || true
wine wineboot >/dev/null 2>&1 </dev/null || true
"$root/scripts/run-prefix.sh" "$WINEPREFIX"
wine "$program" >/dev/null 2>&1 </dev/null &
program_pid=$!

if ! timeout 90 wine "$driver" wait-window Vantrel 60000; then
  echo "the window \"Vantrel\" did not appear within 60 s" >&2
  exit 1
fi
sleep 4  # a few ticks of the graph
mkdir -p "$(dirname "$shot")"
import -window root "$shot"
echo "Screenshot saved: $shot"
timeout 30 wine "$driver" close Vantrel 10000 || true
timeout 20 tail --pid="$program_pid" -f /dev/null || true
