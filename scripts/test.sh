#!/usr/bin/env bash
# The whole test suite:
#   1. the normal build's tests through CTest;
#   2. the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer (every report is
#      fatal) in <build>-asan, leaks checked at every test's exit;
#   3. the fuzz targets built with clang in <build>-fuzz, each run over its corpus and then briefly
#      fuzzed from it.
# Usage: scripts/test.sh [build-folder]   (the normal build must exist; `make test` builds it)
set -euo pipefail
build=${1:-build}
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

echo "== tests"
ctest --test-dir "$build" --output-on-failure -j "$jobs"

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
asan="${build}-asan"
cmake -S . -B "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDUD_SANITIZE=ON >/dev/null
cmake --build "$asan" -j "$jobs" >/dev/null
# Libraries stay loaded to the end (tests/support/hardening_keep_loaded.c says why), so the
# preloaded helper need not follow the sanitizer runtime. Suppressions name third-party libraries
# only (see the file); our own code has none.
cc -shared -fPIC -O2 -Wall -Wextra -o "$asan/keep_loaded.so" tests/support/hardening_keep_loaded.c
(
  export LD_PRELOAD="$root/$asan/keep_loaded.so"
  export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:verify_asan_link_order=0"
  export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  ctest --test-dir "$asan" --output-on-failure -j "$jobs"
)

echo "== fuzz targets, briefly"
fuzz="${build}-fuzz"
cmake -S . -B "$fuzz" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DDUD_FUZZ=ON -DDUD_SANITIZE=ON -DDUD_TESTS=OFF >/dev/null
cmake --build "$fuzz" -j "$jobs" --target fuzz_all >/dev/null
passed=0
failed=0
for corpus in fuzz/corpus/*/; do
  target=$(basename "$corpus")
  work=$(mktemp -d)
  cp "$corpus"* "$work/"
  # The targets that draw frames run Mesa's rasteriser threads, under which LeakSanitizer's
  # mid-run check has crashed in its own thread tracer; their leaks are checked by the sanitizer
  # test run above and the soak instead.
  leaks=1
  case "$target" in fuzz_map_loader|fuzz_window_proc) leaks=0 ;; esac
  # Every stored input once (seeds and past findings), then ten seconds of new inputs from them;
  # the new inputs go to the scratch copy, the stored corpus stays as it is.
  if "$fuzz/fuzz/$target" -runs=0 -detect_leaks=$leaks "$root/$corpus" >"$work.log" 2>&1 &&
     "$fuzz/fuzz/$target" -max_total_time=10 -timeout=30 -rss_limit_mb=3000 -detect_leaks=$leaks -artifact_prefix="$work/" \
       "$work" >>"$work.log" 2>&1; then
    echo "fuzz $target: $(grep -c '' <(ls "$corpus")) stored inputs, $(grep -o 'Done [0-9]* runs' "$work.log" | tail -n 1)"
    passed=$((passed + 1))
  else
    echo "fuzz $target FAILED:"; tail -n 40 "$work.log"
    failed=$((failed + 1))
  fi
  rm -rf "$work" "$work.log"
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
