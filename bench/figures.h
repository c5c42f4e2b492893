#pragma once

#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <vector>

namespace orbisk::bench {

// Keeps each benchmark's seconds per run (and its counters' values, as NAME/COUNTER)
// while it prints Google Benchmark's table as usual.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run>& runs) override;
};

// What the benchmarks worked on, for the figures' rates.
struct BenchSizes {
    double catalogRows = 0;
    double treeFiles = 0;
    double copiedFiles = 0;
    const char* selectiveKey = "";
};

// One line per figure whose benchmarks ran (a filter may leave some out): NAME: FIGURE
// UNIT (RATIO× ANCHOR). The search figures first, then those of the large catalogue (the
// caller's), then the per-item ones.
void PrintFigures(const std::map<std::string, double>& seconds, const BenchSizes& sizes);
void PrintPerItemFigures(const std::map<std::string, double>& seconds);

} // namespace orbisk::bench
