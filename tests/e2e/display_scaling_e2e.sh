#!/usr/bin/env bash
# The display-scaling end-to-end test in one fresh Wine prefix of its own, as a new user on a
# screen of each scale would meet the program: the prefix is made once, then for 96, 144 and
# 192 DPI the scale is set (Wine reads it when a session starts), a new session begins and the
# test program runs a first start of the program there. The 96-DPI run measures what the
# others are compared with. The prefix stays in the work folder for a person to look at; the
# next run starts afresh.
# Usage: display_scaling_e2e.sh <work folder> <test program> <OrlixVantrel.exe> <artifact folder>
#                               <measuring DLL> [test arguments...]
set -euo pipefail
work=$1 test_exe=$2 program=$3 artifacts=$4 probe=$5
shift 5
root=$(cd "$(dirname "$0")/../.." && pwd)

rm -rf "$work"
mkdir -p "$work" "$artifacts"

# The prefix's own Wine processes end with the test. Menu entries for the host are not made.
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
xvfb_pid=
end_session() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}
cleanup() {
  end_session
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT
if [[ -z "${DISPLAY:-}" ]]; then
  . "$root/scripts/virtual-display.sh"
  start_virtual_display 150 170 || { echo "no free X display number for Xvfb" >&2; exit 1; }
fi
# The measuring DLL writes its reports beside itself: a copy in the work folder keeps them there.
cp "$probe" "$work/"
probe=$work/$(basename "$probe")
# The same prefix as the project's (the CJK font linked in), made fresh.
"$root/scripts/wineprefix.sh" "$WINEPREFIX" </dev/null

status=0
for dpi in 96 144 192; do
  end_session
  for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 </dev/null
  done
  # Read at a session's start: the test's session is a new one.
  end_session
  # Wine's background processes get no output of ours to hold open.
  wineserver -p >/dev/null 2>&1 </dev/null || true
  wine wineboot >/dev/null 2>&1 </dev/null || true
  echo "== $dpi DPI"
  wine "$test_exe" "$program" "$artifacts" "$work" "$dpi" "$probe" "$@" || status=1
done
exit $status
