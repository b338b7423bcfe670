// Sorting a phrase table of 2000 rows by its key column with SortStringGrid,
// against std::sort of the same keys with the same collation.
#include "BenchRatio.h"
#include "FormatSettings.h"
#include "SASG.h"

#include <QApplication>
#include <QCollator>
#include <QRandomGenerator>
#include <QTableWidget>
#include <algorithm>

namespace {

constexpr int kRows = 2000;

QStringList makeKeys() {
    QRandomGenerator rng(17);
    QStringList keys;
    for (int i = 0; i < kRows; ++i) {
        QString k = QStringLiteral("#");
        const int len = 3 + int(rng.bounded(8));
        for (int j = 0; j < len; ++j) k += QChar('a' + int(rng.bounded(26)));
        keys << k;
    }
    return keys;
}

void BM_StdSortKeys(benchmark::State& state) {
    const QStringList keys = makeKeys();
    QCollator collator(FormatSettings().Locale);
    collator.setCaseSensitivity(Qt::CaseSensitive);
    for (auto _ : state) {
        QStringList k = keys;
        for (QString& s : k) s = s.toUpper();
        std::sort(k.begin(), k.end(), [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
        benchmark::DoNotOptimize(k.data());
    }
}

void BM_SortStringGrid(benchmark::State& state) {
    const QStringList keys = makeKeys();
    QTableWidget grid(kRows + 1, 2);
    for (auto _ : state) {
        state.PauseTiming();
        for (int r = 0; r < kRows; ++r) {
            grid.setItem(r + 1, 0, new QTableWidgetItem(keys[r]));
            grid.setItem(r + 1, 1, new QTableWidgetItem(QStringLiteral("Text")));
        }
        state.ResumeTiming();
        SortStringGrid(&grid, 0, QLatin1Char('C'));
    }
}

BENCHMARK(BM_StdSortKeys)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortStringGrid)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunRatioBenchmarks(argc, argv, {std::make_pair(std::string("BM_SortStringGrid"), std::string("BM_StdSortKeys"))}); }
