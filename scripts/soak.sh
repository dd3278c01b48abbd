#!/usr/bin/env bash
# The long soak of the real program, run by hand: the sanitizer build's dud on its own Xvfb, the
# window re-created through F1 to F4 in 200 cycles (800 re-creations), F5 to F9, the arrows and mouse
# drags in every step, until at least 10,000 frames were shown; LeakSanitizer checks at the end.
# It prints the X windows, descriptors and VmRSS along the way and the figures at the end.
# Usage: scripts/soak.sh [sanitizer-build-folder] [cycles] [frames]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-asan}
cycles=${2:-200}
frames=${3:-10000}

sanitize=${DUD_SOAK_SANITIZE:-ON}  # OFF: the plain build, for memory figures without ASan's quarantine
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDUD_SANITIZE="$sanitize" >/dev/null
cmake --build "$build" -j "$(nproc)" --target dud e2e_soak_recreation >/dev/null
cc -shared -fPIC -O2 -Wall -Wextra -o "$build/soak_swap_counter.so" scripts/soak_swap_counter.c -ldl

swaps=$(mktemp)
trap 'rm -f "$swaps"' EXIT
export DUD_SOAK_CYCLES=$cycles DUD_SOAK_MIN_FRAMES=$frames DUD_SOAK_SWAP_FILE=$swaps
cc -shared -fPIC -O2 -Wall -Wextra -o "$build/keep_loaded.so" tests/support/hardening_keep_loaded.c
# The frame counter, and the libraries kept loaded so that LeakSanitizer sees all of Mesa's memory.
export DUD_SOAK_PRELOAD="$PWD/$build/soak_swap_counter.so:$PWD/$build/keep_loaded.so"
# The counter library is not instrumented: ASan need not come first in the program's libraries.
export ASAN_OPTIONS="detect_leaks=1:verify_asan_link_order=0"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
start=$(date +%s)
"$build/tests/e2e_soak_recreation" --gtest_color=no
echo "soak: $(( $(date +%s) - start )) s"
