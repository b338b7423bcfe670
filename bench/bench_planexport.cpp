// HTML export of every class plan of the demo timetable, against copying the plan file once.
#include "BenchRatio.h"
#include "DemoSchool.h"
#include "Wpdb.h"
#include "uOptions.h"
#include "uPlandatei.h"
#include "uStdPlan.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {
QTemporaryDir& workDir() {
    static QTemporaryDir dir;
    return dir;
}

const QString& demoPlan() {
    static const QString path = [] {
        const TDemoInstallation inst = InstallDemo(workDir().path() + QStringLiteral("/demo"), {}, true);
        return inst.PlanFile;
    }();
    return path;
}

void PlanExport_Baseline(benchmark::State& state) {
    const QString copy = workDir().path() + QStringLiteral("/copy.wpl");
    const QString plan = demoPlan();  // built once, outside the measurement
    for (auto _ : state) {
        QFile::remove(copy);
        benchmark::DoNotOptimize(QFile::copy(plan, copy));
    }
}
BENCHMARK(PlanExport_Baseline)->Name("PlanExport/Baseline")->Unit(benchmark::kMillisecond);

void PlanExport_AllClassesHtml(benchmark::State& state) {
    const QString out = workDir().path() + QStringLiteral("/html");
    QDir().mkpath(out);
    ResetVeltraplanOptions();
    SetCurrentPlanFile(std::make_unique<TWplFile>(demoPlan(), 1));
    LoadAllKuerzel();
    int pages = 0;
    for (auto _ : state) {
        for (int i = FirstKuerzel(kla); !IsFreeKuerzel(i); i = NextKuerzel(i)) {
            TStdPlan p;
            p.Load(i);
            p.ExportToHTML(out);
            ++pages;
        }
    }
    benchmark::DoNotOptimize(pages);
    SetCurrentPlanFile(nullptr);
}
BENCHMARK(PlanExport_AllClassesHtml)->Name("PlanExport/AllClassesHtml")->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench_ratio::Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
