// Opening a plan file, loading the abbreviation index and reading every plan of
// every teacher, class and room, against reading the whole file once.
#include "BenchRatio.h"
#include "Wpdb.h"
#include "uPlandatei.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>

namespace {
QString planFile() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.path() + QStringLiteral("/bench.wpl");
        TWplFile f(p, 2);
        // A school of 60 teachers, 30 classes and 40 rooms, every class planned 5 x 8.
        for (int n = 1; n <= 60; ++n) f.WriteKuerzel(leh, int16_t(n), tKueStr::fromString(QStringLiteral("L%1").arg(n, 2, 10, QLatin1Char('0'))));
        for (int n = 1; n <= 30; ++n) f.WriteKuerzel(kla, int16_t(n), tKueStr::fromString(QStringLiteral("K%1").arg(n)));
        for (int n = 1; n <= 40; ++n) f.WriteKuerzel(rau, int16_t(n), tKueStr::fromString(QStringLiteral("R%1").arg(n)));
        for (int n = 1; n <= 30; ++n) {
            TStdPlan plan;
            plan.Kuerzel = int16_t(KueFirst[kla] + n);
            for (int p = 1; p <= 8; ++p)
                for (int d = 1; d <= 5; ++d)
                    plan.cell(p, d) = TPlanCell{0, 0, 0, {int16_t(1 + (n + p + d) % 60), int16_t(KueFirst[fac]), int16_t(KueFirst[rau] + 1 + (n + d) % 40), 0}};
            for (int v = 1; v <= 2; ++v) f.PutPlanVar(kla, n, plan, v);
        }
        return p;
    }();
    return path;
}

void BM_ReadWholeFile(benchmark::State& state) {
    const QString p = planFile();
    for (auto _ : state) {
        QFile f(p);
        f.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(f.readAll());
    }
}
BENCHMARK(BM_ReadWholeFile)->Unit(benchmark::kMillisecond);

void BM_OpenLoadAndReadAllPlans(benchmark::State& state) {
    const QString p = planFile();
    for (auto _ : state) {
        SetCurrentPlanFile(std::make_unique<TWplFile>(p, 1));
        LoadAllKuerzel();
        TStdPlan plan;
        int cells = 0;
        for (TKueart art : {leh, kla, rau})
            for (int i = FirstKuerzel(art); !IsFreeKuerzel(i); i = NextKuerzel(i))
                cells += CurrentPlanFile()->GetPlan(art, i - KueFirst[art], &plan, false);
        benchmark::DoNotOptimize(cells);
        SetCurrentPlanFile(nullptr);
    }
}
BENCHMARK(BM_OpenLoadAndReadAllPlans)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return RunRatioBenchmarks(argc, argv, {{"BM_OpenLoadAndReadAllPlans", "BM_ReadWholeFile"}});
}
