// Runs the registered benchmarks with the console reporter, then prints each pair's medians, the
// spread of each (smallest to largest repetition) and the ratio to the floor.
#include <stdio.h>
#include <string.h>

#include <map>
#include <string>

#include "bench/bench_pairs.h"

#ifndef DUD_LAUNCH_BENCH
#define DUD_LAUNCH_BENCH 0
#endif

std::vector<BenchPair>& BenchPairs() {
    static std::vector<BenchPair> pairs;
    return pairs;
}

benchmark::internal::Benchmark* Configure(benchmark::internal::Benchmark* b, bool manualTime) {
    auto smallest = [](const std::vector<double>& v) {
        double m = v.empty() ? 0 : v[0];
        for (double x : v) m = x < m ? x : m;
        return m;
    };
    auto largest = [](const std::vector<double>& v) {
        double m = v.empty() ? 0 : v[0];
        for (double x : v) m = x > m ? x : m;
        return m;
    };
    if (manualTime) {
        b->UseManualTime();
    } else {
        b->UseRealTime();
    }
    return b->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond)->ComputeStatistics("min", smallest)->ComputeStatistics(
        "max", largest);
}

namespace {

struct Figures {
    double median = -1, min = -1, max = -1;  // real time
    double cpuMedian = -1;                   // the process's CPU time, the driver's threads included
};

// The console's output, plus the aggregates kept for the table.
class PairReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.error_occurred) continue;
            Figures& f = figures_[run.run_name.function_name];
            const double ms = run.GetAdjustedRealTime();
            if (run.aggregate_name == "median") {
                f.median = ms;
                f.cpuMedian = run.GetAdjustedCPUTime();
            }
            if (run.aggregate_name == "min") f.min = ms;
            if (run.aggregate_name == "max") f.max = ms;
            // An interleaved pair's floor, from the same runs.
            for (const BenchPair& pair : BenchPairs()) {
                if (!pair.interleaved || pair.name != run.run_name.function_name) continue;
                auto counter = run.counters.find("floor_ms");
                if (counter == run.counters.end()) continue;
                Figures& floor = figures_[pair.floor];
                if (run.aggregate_name == "median") floor.median = counter->second.value;
                if (run.aggregate_name == "min") floor.min = counter->second.value;
                if (run.aggregate_name == "max") floor.max = counter->second.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // A markdown table: work, floor, ratio of the real-time medians, goal, and the ratio of the
    // CPU-time medians (steadier when other processes share the cores).
    void PrintTable(FILE* out) const {
        fprintf(out, "| work | median ms (min - max) | floor | median ms (min - max) | ratio | goal | CPU ratio |\n");
        fprintf(out, "|---|---|---|---|---|---|---|\n");
        for (const BenchPair& pair : BenchPairs()) {
            auto w = figures_.find(pair.name), f = figures_.find(pair.floor);
            if (w == figures_.end() || f == figures_.end() || w->second.median < 0 || f->second.median <= 0) continue;
            const double ratio = w->second.median / f->second.median;
            char goal[64] = "-";
            if (pair.goal > 0)
                snprintf(goal, sizeof goal, "%s %.2f", ratio <= pair.goal ? "within" : "OVER", pair.goal);
            char cpuRatio[32] = "-";
            if (!pair.manualTime && f->second.cpuMedian > 0)
                snprintf(cpuRatio, sizeof cpuRatio, "%.2f", w->second.cpuMedian / f->second.cpuMedian);
            fprintf(out, "| %s | %.3f (%.3f - %.3f) | %s | %.3f (%.3f - %.3f) | %.2f | %s | %s |\n",
                    pair.name.c_str(), w->second.median, w->second.min, w->second.max, pair.floor.c_str(),
                    f->second.median, f->second.min, f->second.max, ratio, goal, cpuRatio);
        }
    }

private:
    std::map<std::string, Figures> figures_;
};

}  // namespace

int main(int argc, char** argv) {
    // --table=FILE appends the table to FILE as well as printing it.
    const char* tablePath = nullptr;
    int kept = 1;
    for (int i = 1; i < argc; i++) {
        if (strncmp(argv[i], "--table=", 8) == 0) {
            tablePath = argv[i] + 8;
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;

#if DUD_LAUNCH_BENCH
    RegisterLaunchBenchmarks();
#else
    RegisterFrameBenchmarks();
    RegisterCompositionBenchmarks();
    RegisterStartupBenchmarks();
    RegisterWindowBenchmarks();
#endif

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    PairReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    printf("\n");
    reporter.PrintTable(stdout);
    if (tablePath) {
        if (FILE* out = fopen(tablePath, "a")) {
            reporter.PrintTable(out);
            fclose(out);
        }
    }
    return 0;
}
