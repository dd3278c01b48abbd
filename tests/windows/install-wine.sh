#!/usr/bin/env bash
# Installs what the Wine check (windows_wine_backdrop) needs: Wine with its 32-bit half, and the
# 32-bit X and OpenGL libraries through which Wine's opengl32 reaches the host's GLX. About 1 GB
# and a few minutes, which is why `make test` does not install it; without it the check skips.
# Usage: tests/windows/install-wine.sh   (as root, or with sudo)
set -euo pipefail
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends \
  wine wine64 wine32:i386 \
  libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386 libglu1-mesa:i386 \
  libxrender1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386 libxinerama1:i386 \
  libxcomposite1:i386 libxfixes3:i386 libxxf86vm1:i386 >/dev/null
wine --version
