#!/usr/bin/env bash
# Installs the Debian packages Tavelo needs to build, run and test, and only those that are missing.
# Usage: scripts/install-deps.sh [run|test]
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-svg-dev libqt6svg6
  libjpeg62-turbo-dev libudev-dev
  libavformat-dev libavcodec-dev libavdevice-dev libswscale-dev libswresample-dev libavutil-dev
  fonts-crosextra-carlito
)
if [[ "${1:-run}" == test ]]; then
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev libyuv-dev libx11-dev xvfb xauth clang libclang-rt-14-dev)
  # Building and checking the Debian package (scripts/test-package.sh).
  packages+=(dpkg-dev file desktop-file-utils appstream procps)
  # Capture files are checked with FFmpeg's own prober.
  packages+=(ffmpeg)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}" >&2
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
