#include "bench/FloorReporter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <unistd.h>

namespace kyrel::bench {

namespace {

// The console output as usual, and on the side the median real time of every benchmark by its name.
class FloorReporter : public benchmark::ConsoleReporter {
public:
    FloorReporter() : benchmark::ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        benchmark::ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const double seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                m_medians[name] = seconds;
            else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min")
                m_minima[name] = seconds;
            else if (run.run_type == Run::RT_Iteration && run.repetitions <= 1)
                m_medians[name] = m_minima[name] = seconds;
        }
    }

    [[nodiscard]] const double* Median(const std::string& name) const { return Find(m_medians, name); }
    [[nodiscard]] const double* Minimum(const std::string& name) const { return Find(m_minima, name); }

private:
    static const double* Find(const std::map<std::string, double>& times, const std::string& name) {
        const auto found = times.find(name);
        return found == times.end() ? nullptr : &found->second;
    }

    std::map<std::string, double> m_medians;
    std::map<std::string, double> m_minima;
};

// Seconds in the unit that suits them, such as "12.3 us".
std::string Readable(double seconds) {
    char text[32];
    if (seconds >= 1)
        std::snprintf(text, sizeof text, "%.3g s", seconds);
    else if (seconds >= 1e-3)
        std::snprintf(text, sizeof text, "%.3g ms", seconds * 1e3);
    else if (seconds >= 1e-6)
        std::snprintf(text, sizeof text, "%.3g us", seconds * 1e6);
    else
        std::snprintf(text, sizeof text, "%.3g ns", seconds * 1e9);
    return text;
}

} // namespace

double Fastest(const std::vector<double>& times) {
    return times.empty() ? 0.0 : *std::min_element(times.begin(), times.end());
}

bool InitializeBenchmarks(int* argc, char** argv) {
    benchmark::Initialize(argc, argv);
    return !benchmark::ReportUnrecognizedArguments(*argc, argv);
}

int RunBenchmarks(const std::vector<Budget>& budgets) {
    FloorReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nMedians of real time, against the floor:\n");
    for (const Budget& budget : budgets) {
        const double* subject = reporter.Median(budget.subject);
        if (!subject)
            continue; // not selected by --benchmark_filter
        const double* floor = budget.floor.empty() ? nullptr : reporter.Median(budget.floor);
        std::printf("  %-24s %10s", budget.subject.c_str(), Readable(*subject).c_str());
        bool met = true;
        if (floor) {
            const double ratio = *subject / *floor;
            std::printf("   floor %-24s %10s   ratio %6.2f", budget.floor.c_str(), Readable(*floor).c_str(), ratio);
            if (budget.maxRatio > 0) {
                std::printf("   budget %.3gx", budget.maxRatio);
                met = met && ratio <= budget.maxRatio;
            }
        }
        if (budget.maxSeconds > 0) {
            std::printf("   budget %s", Readable(budget.maxSeconds).c_str());
            met = met && *subject <= budget.maxSeconds;
        }
        if (budget.maxRatio > 0 || budget.maxSeconds > 0)
            std::printf("   %s", met ? "met" : "MISSED");
        // The fastest repetitions, the least disturbed by other work on the machine, for comparison.
        const double* fastest = reporter.Minimum(budget.subject);
        const double* fastestFloor = budget.floor.empty() ? nullptr : reporter.Minimum(budget.floor);
        if (fastest && fastestFloor)
            std::printf("   (fastest: ratio %.2f)", *fastest / *fastestFloor);
        std::printf("\n");
    }
    return 0;
}

} // namespace kyrel::bench
