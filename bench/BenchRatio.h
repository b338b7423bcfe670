#pragma once
// Console output of Google Benchmark plus one line per pair: the CPU time of a
// benchmark divided by its baseline, both measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // pairs: (benchmark name, baseline name)
    explicit RatioReporter(std::vector<std::pair<std::string, std::string>> pairs) : FPairs(std::move(pairs)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                FTimes[r.benchmark_name()] = r.GetAdjustedCPUTime();
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [name, base] : FPairs) {
            const auto a = FTimes.find(name), b = FTimes.find(base);
            if (a == FTimes.end() || b == FTimes.end() || b->second <= 0) continue;
            std::printf("ratio %s / %s = %.2f\n", name.c_str(), base.c_str(), a->second / b->second);
        }
    }

private:
    std::vector<std::pair<std::string, std::string>> FPairs;
    std::map<std::string, double> FTimes;
};
