#!/usr/bin/env bash
# The whole test suite: the normal build's tests through CTest.
set -euo pipefail
build=${1:-build}
cd "$(dirname "$0")/.."
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
