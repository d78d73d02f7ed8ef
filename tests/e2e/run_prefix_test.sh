#!/usr/bin/env bash
# The run command's prefix starts as not a first run: without a FirstRun value the preparation
# (scripts/run-prefix.sh) writes 0, and a value already there is kept. Works in the test prefix
# and leaves it without the program's settings, as a first start finds it.
#
#   run_prefix_test.sh <scripts/run-prefix.sh>
set -euo pipefail
prepare=${1:?path of run-prefix.sh}
: "${WINEPREFIX:=$(cd "$(dirname "$0")/../.." && pwd)/build/wineprefix}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
root='HKCU\Software\Orlix Systems\Vantrel'
key="$root\\Options"
first_run() {
  wine reg query "$key" /v FirstRun 2>/dev/null </dev/null | tr -d '\r' | awk '$1 == "FirstRun" { print $3 }'
}
forget() { wine reg delete "$root" /f >/dev/null 2>&1 </dev/null || true; }
forget
trap forget EXIT

"$prepare" "$WINEPREFIX"
value=$(first_run)
[[ "$value" == 0x0 ]] || { echo "FirstRun in a prefix without one: '$value', expected 0x0" >&2; exit 1; }

wine reg add "$key" /v FirstRun /t REG_DWORD /d 1 /f >/dev/null 2>&1 </dev/null
"$prepare" "$WINEPREFIX"
value=$(first_run)
[[ "$value" == 0x1 ]] || { echo "FirstRun 1 set before: '$value' afterwards" >&2; exit 1; }
echo "run prefix: not a first run, and a FirstRun already set is kept"
