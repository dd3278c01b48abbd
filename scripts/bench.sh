#!/usr/bin/env bash
# Runs the benchmarks (built by `make bench`) and prints, for each, its floor measured in the same
# run: the median and spread of several repetitions and the ratio of the medians. Repetitions run
# one after another: with random interleaving, Google Benchmark 1.7 sizes each repetition on its
# own and then aborts when their iteration counts differ, which happens on a loaded machine.
# The frame pairs are measured alternately within one benchmark instead (bench/bench_pairs.h).
# Usage: scripts/bench.sh [build-folder]
#   DUD_BENCH_REPETITIONS  repetitions of each in-process benchmark (default 15)
#   DUD_LAUNCH_REPETITIONS launches of the program and of the bare floor (default 10)
#   DUD_BENCH_FILTER       a regular expression choosing benchmarks (default: all)
#   DUD_LAUNCH_BINARY      another build's dud to launch instead of this build's (for comparisons)
set -euo pipefail
build=${1:-build-bench}
cd "$(dirname "$0")/.."
repetitions=${DUD_BENCH_REPETITIONS:-15}
launches=${DUD_LAUNCH_REPETITIONS:-10}
filter=${DUD_BENCH_FILTER:-.}
table="$build/bench-table.md"
: >"$table"

echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg)"

echo "== in-process benchmarks (offscreen OpenGL context, Mesa llvmpipe)"
SDL_VIDEODRIVER=offscreen "$build/bench/dud_bench" \
  --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
  --benchmark_min_time=0.2 \
  --benchmark_filter="$filter" --table="$table"

echo "== process start to first presented frame (own Xvfb)"
"$build/bench/dud_launch_bench" \
  --benchmark_repetitions="$launches" --benchmark_report_aggregates_only=true \
  --benchmark_filter="$filter" --table="$table"

echo "== load average after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "== all pairs (also in $table)"
cat "$table"
