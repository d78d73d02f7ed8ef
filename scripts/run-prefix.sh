#!/usr/bin/env bash
# Prepares a Wine prefix for the run command: the program starts there as after its first start
# (FirstRun 0), because under Wine the help viewer has no HTML engine and the first-run help
# would open as a large blank window over the meter. A FirstRun value already there is kept.
# The program itself still opens its help at a real first start.
#
#   scripts/run-prefix.sh <prefix>
set -euo pipefail
prefix=${1:?prefix path}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
key='HKCU\Software\Orlix Systems\Vantrel\Options'
if ! wine reg query "$key" /v FirstRun >/dev/null 2>&1 </dev/null; then
  wine reg add "$key" /v FirstRun /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null
fi
