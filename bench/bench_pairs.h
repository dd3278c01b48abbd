// Benchmarks come in pairs: the program's work and its floor, the least work that does the same
// job. The reporter prints each pair's medians side by side, with the ratio and the goal.
#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

struct BenchPair {
    std::string name;   // the program's work
    std::string floor;  // its floor
    double goal;        // the ratio to stay within; 0 for none
    bool manualTime;    // timed by the benchmark itself: the process's CPU time says nothing
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
    BenchPairs().push_back(BenchPair{name, floor, goal, manualTime});
}

// Each file's benchmarks, registered by main.
void RegisterFrameBenchmarks();
void RegisterCompositionBenchmarks();
void RegisterStartupBenchmarks();
void RegisterWindowBenchmarks();
void RegisterLaunchBenchmarks();
