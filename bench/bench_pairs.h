// Benchmarks come in pairs: the program's work and its floor, the least work that does the same
// job. The reporter prints each pair's medians side by side, with the ratio and the goal.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

struct BenchPair {
    std::string name;   // the program's work
    std::string floor;  // its floor
    double goal;        // the ratio to stay within; 0 for none
    bool manualTime;    // timed by the benchmark itself: the process's CPU time says nothing
    bool interleaved;   // both measured by one benchmark, the floor's time in its "floor_ms" counter
};

std::vector<BenchPair>& BenchPairs();

// Real time (OpenGL's work runs partly on the driver's threads), or the time a benchmark reports
// itself, in milliseconds, with the smallest and largest repetition reported beside the median.
benchmark::internal::Benchmark* Configure(benchmark::internal::Benchmark* b, bool manualTime = false);

// Registers both benchmarks of a pair (any callables taking benchmark::State&). With manualTime,
// each iteration is one measurement that the benchmark times itself. A nonzero `iterations` fixes
// the iterations of every repetition.
template <class Work, class Floor>
void RegisterPair(const std::string& name, Work work, const std::string& floor, Floor floorWork, double goal,
                  bool manualTime = false, int iterations = 0) {
    auto* a = Configure(benchmark::RegisterBenchmark(name.c_str(), work), manualTime);
    auto* b = Configure(benchmark::RegisterBenchmark(floor.c_str(), floorWork), manualTime);
    if (manualTime) iterations = 1;
    if (iterations > 0) {
        a->Iterations(iterations);
        b->Iterations(iterations);
    }
    BenchPairs().push_back(BenchPair{name, floor, goal, manualTime, false});
}

// Runs a pair's work and its floor alternately, one of each an iteration and in turn first,
// timing each on its own: the benchmark's time is the work's and the counter "floor_ms" the
// floor's. A change in the machine's load between two benchmarks then cannot favour either, and
// neither is always the one that follows the other. `warmUp` runs of each come first, untimed.
template <class Work, class Floor>
void RunInterleaved(benchmark::State& state, Work work, Floor floorWork, int warmUp) {
    for (int i = 0; i < warmUp; i++) {
        work();
        floorWork();
    }
    double floorSeconds = 0;
    bool workFirst = true;
    for (auto _ : state) {
        double seconds[2];  // work, floor
        for (int turn = 0; turn < 2; turn++) {
            const bool isWork = (turn == 0) == workFirst;
            const auto start = std::chrono::steady_clock::now();
            if (isWork) {
                work();
            } else {
                floorWork();
            }
            seconds[isWork ? 0 : 1] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        state.SetIterationTime(seconds[0]);
        floorSeconds += seconds[1];
        workFirst = !workFirst;
    }
    state.counters["floor_ms"] = benchmark::Counter(floorSeconds * 1000, benchmark::Counter::kAvgIterations);
}

// Registers one benchmark that measures both of a pair with RunInterleaved (the callable takes
// benchmark::State&, sets up and calls it); the table shows them under their two names.
template <class Both>
void RegisterInterleavedPair(const std::string& name, const std::string& floor, Both both, double goal) {
    Configure(benchmark::RegisterBenchmark(name.c_str(), both), true);
    BenchPairs().push_back(BenchPair{name, floor, goal, true, true});
}

// Each file's benchmarks, registered by main.
void RegisterFrameBenchmarks();
void RegisterCompositionBenchmarks();
void RegisterStartupBenchmarks();
void RegisterWindowBenchmarks();
void RegisterLaunchBenchmarks();
