// Text utilities against the cost of merely walking the same input once.
#include "BenchRatio.h"
#include "KvUtils.h"
#include "kvStrUtils.h"

#include <QString>

namespace {
QString remarkDocument() {
    QString body;
    for (int i = 0; i < 40; ++i) body += QStringLiteral("Sie arbeitet im Unterricht stets aufmerksam mit\\'e4\\par ");
    return QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl ;\\red0\\green0\\blue0;}"
                          "\\f0\\fs20 ") + body + QLatin1Char('}');
}

void Rtf_Baseline(benchmark::State& state) {
    const QString doc = remarkDocument();
    for (auto _ : state) {
        // One pass copying every character: the least a converter must do.
        QString out;
        out.reserve(doc.size());
        for (QChar c : doc)
            if (c != QLatin1Char('{')) out += c;
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(Rtf_Baseline)->Name("Rtf/Baseline");

void Rtf_RtfToText(benchmark::State& state) {
    const QString doc = remarkDocument();
    for (auto _ : state) benchmark::DoNotOptimize(RtfToText(doc));
}
BENCHMARK(Rtf_RtfToText)->Name("Rtf/RtfToText");

void Grades_Baseline(benchmark::State& state) {
    // A direct 26-entry table walk, the least a reverse lookup can cost.
    static const char* grades[] = {" ", "1+", "1", "1-", "2+", "2", "2-", "3+", "3", "3-", "4+", "4", "4-",
                                   "5+", "5", "5-", "6"};
    const QStringList values = [] {
        QStringList l;
        for (const char* g : grades) l << QString::fromLatin1(g);
        return l;
    }();
    for (auto _ : state)
        for (const QString& g : values) benchmark::DoNotOptimize(values.indexOf(g));
}
BENCHMARK(Grades_Baseline)->Name("Grades/Baseline");

void Grades_GradeToPoints(benchmark::State& state) {
    InitKvUtils(TKvUtilsFlavor::Classic);
    static const char* grades[] = {" ", "1+", "1", "1-", "2+", "2", "2-", "3+", "3", "3-", "4+", "4", "4-",
                                   "5+", "5", "5-", "6"};
    QStringList values;
    for (const char* g : grades) values << QString::fromLatin1(g);
    for (auto _ : state)
        for (const QString& g : values) benchmark::DoNotOptimize(GradeToPoints(g));
}
BENCHMARK(Grades_GradeToPoints)->Name("Grades/GradeToPoints");
}  // namespace

VELTRA_BENCH_MAIN()
