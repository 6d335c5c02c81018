#!/usr/bin/env bash
# Installs what building, running and testing ostrel needs on Debian 12.
# Safe to run again: it only calls apt when a package is missing.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config git
  # libraries
  qt6-base-dev libgl-dev
  # tests
  libgtest-dev libgmock-dev xvfb xauth python3
  # internet services: the upload sender and the loopback mail server of the tests
  libcurl4-openssl-dev python3-aiosmtpd
  # fonts for Latin and CJK texts
  fonts-dejavu-core fonts-wqy-microhei
  # fuzzing and sanitizers with clang
  clang libclang-rt-14-dev
  # the Debian package and its checks (scripts/package-check.sh)
  dpkg-dev file man-db lintian appstream desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages present"
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then
    sudo_cmd=(sudo)
  else
    echo "setup: need root (or sudo) to install: ${missing[*]}" >&2
    exit 1
  fi
fi

echo "setup: installing ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"
