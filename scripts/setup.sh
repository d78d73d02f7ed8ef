#!/usr/bin/env bash
# Installs, with apt-get, whatever the builds and tests need and this machine lacks.
set -euo pipefail

packages=(
  cmake ninja-build g++ make ccache
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64
  xvfb xauth x11-utils imagemagick iproute2
  fonts-wqy-microhei
  wixl msitools
  python3 openssl
  fp-utils
  prometheus nlohmann-json3-dev
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q
  # Packages with a daemon (prometheus) must not start one: the tests start their own on a
  # free port. Where no policy says so already, one does for the time of the install.
  policy=/usr/sbin/policy-rc.d
  own_policy=
  if [[ ! -e "$policy" ]]; then
    printf '#!/bin/sh\nexit 101\n' | "${sudo_cmd[@]}" tee "$policy" >/dev/null
    "${sudo_cmd[@]}" chmod +x "$policy"
    own_policy=1
  fi
  status=0
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" || status=$?
  if [[ -n "$own_policy" ]]; then "${sudo_cmd[@]}" rm -f "$policy"; fi
  [[ $status -eq 0 ]] || exit "$status"
fi
