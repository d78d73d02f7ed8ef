#!/usr/bin/env bash
# Creates the project's own Wine prefix (once) with the CJK font linked in, so that the
# Chinese captions of the interactive program render.
set -euo pipefail
prefix=${1:?prefix path}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ! -f "$prefix/.vantrel-ready" ]]; then
  mkdir -p "$prefix"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
  key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
  for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" System; do
    wine reg add "$key" /v "$face" /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f >/dev/null 2>&1 || true
  done
  wineserver -w || true
  touch "$prefix/.vantrel-ready"
fi
