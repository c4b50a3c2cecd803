#!/usr/bin/env bash
# Installs the Debian 12 packages atelo needs when they are missing, then
# configures and builds everything into build/ (or $ATELO_BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(cmake g++ make pkg-config ccache clang-format
          qt6-base-dev qt6-svg-dev libgl-dev
          libopenimageio-dev openimageio-tools
          libzmq3-dev cppzmq-dev
          xvfb xauth
          googletest libgtest-dev libgmock-dev libbenchmark-dev)
missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if ((${#missing[@]})); then
  echo "atelo setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

build=${ATELO_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)"
