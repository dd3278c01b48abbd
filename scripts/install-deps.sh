#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need, if any is missing.
# Usage: scripts/install-deps.sh [extra-package ...]
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  libsdl2-dev libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri libegl-mesa0
  libx11-dev libxtst-dev
  libgtest-dev libbenchmark-dev
  xvfb x11-utils xauth xdotool imagemagick
  clang libclang-rt-14-dev
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null || true)
  [[ "$status" == ii* ]] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
