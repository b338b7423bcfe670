#pragma once
// Benchmarks report ratios, not seconds: every benchmark "Group/Name" is
// printed against "Group/Baseline" measured in the same run, so the figure
// stays comparable on a shared, noisy machine.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench_ratio {

class Reporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                times[r.benchmark_name()] = r.GetAdjustedCPUTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nVerhältnis zur Basislinie derselben Messung:\n");
        for (const auto& [name, t] : times) {
            const auto slash = name.find('/');
            if (slash == std::string::npos) continue;
            const std::string group = name.substr(0, slash);
            if (name.substr(slash + 1) == "Baseline") continue;
            const auto base = times.find(group + "/Baseline");
            if (base == times.end() || base->second <= 0) continue;
            std::printf("  %-40s %8.2f x Basislinie\n", name.c_str(), t / base->second);
        }
    }
    std::map<std::string, double> times;
};

}  // namespace bench_ratio

// Explicit pairs (benchmark name, baseline name) for benchmarks whose names
// do not follow the "Group/Baseline" pattern.
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

// Runs all benchmarks with an offscreen QApplication and the German locale,
// printing each pair's ratio at the end.
#include <QApplication>
#include <QLocale>
inline int RunRatioBenchmarks(int argc, char** argv, std::vector<std::pair<std::string, std::string>> pairs) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(std::move(pairs));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

#define VELTRA_BENCH_MAIN()                                      \
    int main(int argc, char** argv) {                            \
        QCoreApplication app(argc, argv);                        \
        benchmark::Initialize(&argc, argv);                      \
        bench_ratio::Reporter reporter;                          \
        benchmark::RunSpecifiedBenchmarks(&reporter);            \
        benchmark::Shutdown();                                   \
        return 0;                                                \
    }
