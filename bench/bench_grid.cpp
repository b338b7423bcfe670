// Painting a data grid of 60 columns x 40 rows with pick lists, colours,
// alignments and display masks, against a plain QTableWidget of the same size.
#include "BenchRatio.h"
#include "DataGridkv.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QHeaderView>
#include <QTableWidget>

namespace {

constexpr int kCols = 60;
constexpr int kRows = 40;

QString cellText(int c, int r) {
    switch (c % 4) {
    case 0: return QStringLiteral("Text %1/%2").arg(c).arg(r);
    case 1: return QString::number((c * 7 + r) % 6 + 1);
    case 2: return QStringLiteral("%1,%2").arg(r).arg(c % 10);
    default: return QStringLiteral("%1.03.2015").arg(r % 28 + 1, 2, 10, QLatin1Char('0'));
    }
}

void sizeForAllCells(QTableWidget& w) {
    w.resize(kCols * 64 + 20, kRows * 20 + 20);
    w.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    w.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void paintLoop(benchmark::State& state, QWidget& w) {
    QImage image(w.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter p(&image);
        w.render(&p);
        p.end();
        benchmark::DoNotOptimize(image.bits());
    }
}

void BM_PlainTableWidget(benchmark::State& state) {
    QTableWidget w(kRows, kCols);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) w.setItem(r, c, new QTableWidgetItem(cellText(c, r)));
    for (int c = 0; c < kCols; ++c) w.setColumnWidth(c, 64);
    for (int r = 0; r < kRows; ++r) w.setRowHeight(r, 20);
    w.horizontalHeader()->hide();
    w.verticalHeader()->hide();
    sizeForAllCells(w);
    w.show();
    paintLoop(state, w);
}

void BM_kvDataGrid(benchmark::State& state) {
    TkvDataGrid g;
    g.SetColCount(kCols);
    g.SetRowCount(kRows);
    const QStringList grades{"1=sehr gut", "2=gut", "3=befriedigend", "4=ausreichend", "5=mangelhaft", "6=ungenügend"};
    for (int c = 0; c < kCols; ++c) {
        TColumn* col = g.Columns()->GetColumn(c);
        col->Title()->SetCaption(QStringLiteral("Spalte %1").arg(c));
        switch (c % 4) {
        case 1:
            col->SetPickList(grades);
            col->SetAlignment(taCenter);
            col->SetColor(QColor("#fff8dc"));
            break;
        case 2:
            col->SetFormat(cfNumber);
            col->SetDisplayMask("0.00");
            col->SetAlignment(taRightJustify);
            break;
        case 3:
            col->SetFormat(cfDate);
            col->SetDisplayMask("dd.mm.yy");
            col->SetColor(QColor("#e0f0ff"));
            break;
        default: break;
        }
    }
    for (int r = 1; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) g.SetCells(c, r, cellText(c, r));
    sizeForAllCells(g);
    g.show();
    paintLoop(state, g);
}

BENCHMARK(BM_PlainTableWidget)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_kvDataGrid)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunRatioBenchmarks(argc, argv, {std::make_pair(std::string("BM_kvDataGrid"), std::string("BM_PlainTableWidget"))}); }
