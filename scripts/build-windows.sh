#!/usr/bin/env bash
# Cross-builds the Windows program (dud.exe) with MinGW-w64 against the system's own Win32 and
# OpenGL headers and libraries; platform/ is not compiled. Installs the cross compiler with apt-get
# when it is missing. Any warning, from the compiler, the linker or CMake, fails the build.
# Usage: scripts/build-windows.sh [build-folder] [i686|x86_64]
#   i686 (the default) is the 32-bit reference target; x86_64 is the 64-bit one.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-windows}
arch=${2:-i686}
jobs=${JOBS:-2}

case "$arch" in
  i686) package=g++-mingw-w64-i686 ;;
  x86_64) package=g++-mingw-w64-x86-64 ;;
  *) echo "unknown target '$arch' (i686 or x86_64)" >&2; exit 2 ;;
esac
compiler=$arch-w64-mingw32-g++

if ! command -v "$compiler" >/dev/null 2>&1; then
  echo "Installing: $package"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  # A fresh machine's package lists may not know the package yet.
  if ! $sudo apt-get install -o DPkg::Lock::Timeout=300 -y -qq --no-install-recommends "$package" >/dev/null 2>&1; then
    $sudo apt-get -o DPkg::Lock::Timeout=300 update -qq
    $sudo apt-get install -o DPkg::Lock::Timeout=300 -y -qq --no-install-recommends "$package" >/dev/null
  fi
fi

toolchain="$PWD/cmake/mingw-w64-$arch.cmake"
# A build folder made for another target (or natively) cannot switch compilers: start it afresh.
if [ -f "$build/CMakeCache.txt" ] && ! grep -qx "CMAKE_TOOLCHAIN_FILE:[A-Z]*=$toolchain" "$build/CMakeCache.txt"; then
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
{
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DDUD_TESTS=OFF >/dev/null &&
    cmake --build "$build" -j "$jobs"
} >"$log" 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
  cat "$log"
  echo "the Windows build ($arch) failed" >&2
  exit 1
fi
# Warnings of files compiled in this run, of the linker and of CMake itself.
if grep -qiE 'warning[: ]' "$log"; then
  grep -iE -B2 -A4 'warning[: ]' "$log"
  echo "the Windows build ($arch) shows warnings" >&2
  exit 1
fi
echo "built $build/dud.exe ($arch)"
