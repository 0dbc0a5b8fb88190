#pragma once

#include <string>
#include <vector>

namespace kyrel::bench {

// What a benchmark may cost: at most maxRatio times its floor (a benchmark of the least the same work could
// cost, run in the same program), or at most maxSeconds per iteration when the floor is only for reference.
struct Budget {
    std::string subject;
    std::string floor;
    double maxRatio = 0;   // 0: no ratio budget
    double maxSeconds = 0; // 0: no time budget
};

// Reads Google Benchmark's flags out of the command line; false when an unknown argument is left.
[[nodiscard]] bool InitializeBenchmarks(int* argc, char** argv);

// The fastest of the repetitions, as an extra statistic beside Google Benchmark's mean, median and deviation.
double Fastest(const std::vector<double>& times);

// Runs the selected benchmarks with the console output and, after them, prints for every budget the medians
// of real time of the subject and of its floor, their ratio, and whether the budget is met. With
// --benchmark_repetitions=N the medians are those of the N repetitions; without it, the single runs.
int RunBenchmarks(const std::vector<Budget>& budgets);

} // namespace kyrel::bench
