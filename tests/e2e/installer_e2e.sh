#!/usr/bin/env bash
# The package's end-to-end test in a fresh Wine prefix of its own, as a new user would try it:
# builds two packages of higher versions from the same source, makes the prefix, and runs the
# test program there. Everything it makes stays in the work folder (the prefix, the packages,
# msiexec's logs) for a person to look at; the next run starts afresh.
# Usage: installer_e2e.sh <work folder> <package> <version> <build_package.cmake> <program folder>
#                         <VantrelSetup.dll> <test program> [test arguments...]
set -euo pipefail
work=$1 package=$2 version=$3 script=$4 programs=$5 setup_dll=$6 test_exe=$7
shift 7
root=$(cd "$(dirname "$0")/../.." && pwd)

rm -rf "$work"
mkdir -p "$work/logs"

# Two newer builds of the same version line: the build number counts up.
IFS=. read -r major minor build <<<"$version"
next=$major.$minor.$((build + 1))
later=$major.$minor.$((build + 2))
for v in "$next" "$later"; do
  cmake -DVERSION="$v" -DPROGRAM_DIR="$programs" -DSETUP_DLL="$setup_dll" \
        -DOUTPUT="$work/Vantrel-$v-x64.msi" -P "$script"
done

# The prefix's own Wine processes end with the test. Menu entries for the host are not made.
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT
if [[ -z "${DISPLAY:-}" ]]; then
  . "$root/scripts/virtual-display.sh"
  start_virtual_display 120 140 || { echo "no free X display number for Xvfb" >&2; exit 1; }
fi
mkdir -p "$WINEPREFIX"
# Wine's background processes get no output of ours to hold open.
wineboot -i >/dev/null 2>&1 </dev/null || true
wineserver -w || true
wineserver -p >/dev/null 2>&1 </dev/null || true
wine wineboot >/dev/null 2>&1 </dev/null || true

wine "$test_exe" "$package" "$version" "$work/Vantrel-$next-x64.msi" "$next" \
     "$work/Vantrel-$later-x64.msi" "$later" "$programs" "$work/logs" "$@"
