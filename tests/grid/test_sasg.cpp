// The sortable string grid: validation codes, the switch to text sort, the
// order it produces and what travels with a row.
#include "DataGridkv.h"
#include "Dialogs.h"
#include "SASG.h"
#include "TestSupport.h"

#include <QApplication>
#include <QCollator>
#include <QRandomGenerator>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// A plain string grid with one fixed (title) row and the given keys in
// column 1; column 0 carries the original position as text and object.
std::unique_ptr<QTableWidget> makeGrid(const QStringList& keys) {
    auto g = std::make_unique<QTableWidget>(int(keys.size()) + 1, 2);
    g->setItem(0, 0, new QTableWidgetItem("Nr"));
    g->setItem(0, 1, new QTableWidgetItem("Schlüssel"));
    for (int i = 0; i < keys.size(); ++i) {
        auto* tag = new QTableWidgetItem(QString::number(i));
        tag->setData(Qt::UserRole, i * 100);
        g->setItem(i + 1, 0, tag);
        g->setItem(i + 1, 1, new QTableWidgetItem(keys[i]));
    }
    return g;
}

QStringList keysOf(const QTableWidget& g, int col = 1, int from = 1) {
    QStringList l;
    for (int r = from; r < g.rowCount(); ++r) l << (g.item(r, col) ? g.item(r, col)->text() : QString());
    return l;
}

void setBlock(TSortAStringGrid& s, QTableWidget* g, ToSortType type, int sortIndex = 1) {
    s.SetGridToSort(g);
    s.SetStartIndex(1);
    s.SetEndIndex(g->rowCount() - 1);
    s.SetSortIndex(sortIndex);
    s.SetSortType(type);
}

TEST(SortAStringGrid, ValidationCodesInTheirOrder) {
    auto g = makeGrid({"b", "a", "c"});  // 4 rows, 2 columns
    struct Case { bool grid; int start; int end; int sortIndex; int code; const char* text; };
    const Case cases[] = {
        {false, 1, 3, 1, 1, "No StringGrid given"},
        {true, 3, 3, 1, 2, "StartIndex is greater or equal to EndIndex"},
        {true, -1, 3, -5, 3, "StartIndex is less then 0"},
        {true, 4, 5, 1, 4, "StartIndex is greater then number of rows/columns in StringGrid"},
        {true, 1, 4, 1, 5, "EndIndex is greater then number of rows/columns in StringGrid"},
        {true, 1, 3, -1, 6, "Sort Index is less then 0"},
        {true, 1, 3, 2, 7, "Sort Index is greater then number of rows/columns in StringGrid"},
    };
    for (const Case& c : cases) {
        FakeDialogs dialogs;
        TSortAStringGrid s;
        s.SetGridToSort(c.grid ? g.get() : nullptr);
        s.SetStartIndex(c.start);
        s.SetEndIndex(c.end);
        s.SetSortIndex(c.sortIndex);
        EXPECT_FALSE(s.Execute());
        EXPECT_EQ(s.ErrorCode, c.code);
        EXPECT_EQ(s.ErrorText, c.text);
        EXPECT_TRUE(dialogs.shown.isEmpty());  // silent by default
        s.SetShowMessageOnError(true);
        s.Execute();
        ASSERT_EQ(dialogs.shown.size(), 1);
        EXPECT_EQ(dialogs.lastText(), c.text);
        EXPECT_EQ(dialogs.shown.last().type, TMsgDlgType::mtError);
        EXPECT_EQ(keysOf(*g), (QStringList{"b", "a", "c"}));
    }
}

TEST(SortAStringGrid, DefaultsAndTheGridReferenceClearsItself) {
    TSortAStringGrid s;
    EXPECT_EQ(s.StartIndex(), 0);
    EXPECT_EQ(s.GetSortType(), ToSortType::Character);
    EXPECT_EQ(s.SortDirection(), SortDirType::Ascending);
    EXPECT_EQ(s.HowToSort(), SortType::Row);
    EXPECT_FALSE(s.CaseSensitiv());
    EXPECT_FALSE(s.ShowMessageOnError());
    {
        QTableWidget g(3, 2);
        s.SetGridToSort(&g);
        EXPECT_EQ(s.GridToSort(), &g);
    }
    EXPECT_EQ(s.GridToSort(), nullptr);
    s.SetStartIndex(0);
    s.SetEndIndex(1);
    EXPECT_FALSE(s.Execute());
    EXPECT_EQ(s.ErrorCode, 1);
}

TEST(SortAStringGrid, NumericFallsBackToTextOnTheFirstNonNumber) {
    auto g = makeGrid({"x", "10", "9"});
    TSortAStringGrid s;
    setBlock(s, g.get(), ToSortType::Numeric);
    s.SetCaseSensitiv(true);  // the failing key decides the code, not a later number
    EXPECT_TRUE(s.Execute());
    EXPECT_EQ(s.ErrorCode, -1);
    EXPECT_EQ(s.ErrorText, "Column/Row contains non-numerical values for numeric sort. Sorted as Character.");
    EXPECT_EQ(keysOf(*g), (QStringList{"10", "9", "x"}));
    EXPECT_EQ(s.GetSortType(), ToSortType::Character);
}

TEST(SortAStringGrid, WarningsAndResults) {
    struct Case { ToSortType type; bool caseSensitive; QStringList keys; int code; QStringList sorted; };
    const Case cases[] = {
        {ToSortType::Numeric, false, {"10", "9", " -3", "+4"}, 0, {" -3", "+4", "9", "10"}},
        {ToSortType::Numeric, true, {"10", "9"}, -3, {"9", "10"}},
        {ToSortType::Numeric, false, {"1,5", "2"}, -1, {"1,5", "2"}},  // whole numbers only
        {ToSortType::Numeric, false, {"2", ""}, -1, {"", "2"}},
        {ToSortType::Date, false, {"01.02.2015", "31.12.2014", "15.6.2015"}, 0, {"31.12.2014", "01.02.2015", "15.6.2015"}},
        {ToSortType::Date, true, {"01.02.2015", "31.12.2014"}, -4, {"31.12.2014", "01.02.2015"}},
        {ToSortType::Date, false, {"01.02.2015", "31.02.2014", "01.01.2000"}, -2, {"01.01.2000", "01.02.2015", "31.02.2014"}},
        {ToSortType::Character, false, {"Zebra", "Äpfel", "Apfel", "mango"}, 0, {"Apfel", "Äpfel", "mango", "Zebra"}},
    };
    for (const Case& c : cases) {
        FakeDialogs dialogs;
        auto g = makeGrid(c.keys);
        TSortAStringGrid s;
        setBlock(s, g.get(), c.type);
        s.SetCaseSensitiv(c.caseSensitive);
        s.SetShowMessageOnError(true);
        EXPECT_TRUE(s.Execute());
        EXPECT_EQ(s.ErrorCode, c.code) << c.keys.join('|').toStdString();
        EXPECT_EQ(keysOf(*g), c.sorted);
        EXPECT_EQ(dialogs.shown.size(), c.code < 0 ? 1 : 0);
        if (c.code < 0) {
            EXPECT_EQ(dialogs.lastText(), TSortAStringGrid::TextOfCode(c.code));
            EXPECT_EQ(dialogs.shown.last().type, TMsgDlgType::mtWarning);
        }
    }
}

TEST(SortAStringGrid, CaseFoldingTouchesOnlyAsciiLetters) {
    auto g = makeGrid({"b", "A", "a"});
    TSortAStringGrid s;
    setBlock(s, g.get(), ToSortType::Character);
    s.Execute();
    const QStringList k = keysOf(*g);
    EXPECT_EQ(k[2], "b");
    EXPECT_EQ(QStringList({k[0], k[1]}).join("").toUpper(), "AA");
    // "ä" is not folded, so it compares as lower case against a folded "Ä"-free key.
    auto h = makeGrid({"äb", "Äa"});
    setBlock(s, h.get(), ToSortType::Character);
    s.Execute();
    QCollator col(QLocale(QLocale::German, QLocale::Germany));
    col.setCaseSensitivity(Qt::CaseSensitive);
    const bool aeFirst = col.compare("ÄB", "Äa") < 0;  // what folding only a-z yields
    EXPECT_EQ(keysOf(*h), aeFirst ? (QStringList{"äb", "Äa"}) : (QStringList{"Äa", "äb"}));
}

TEST(SortAStringGrid, RowsTravelWithObjectsAndFixedRowsStay) {
    auto g = makeGrid({"c", "a", "b"});
    TSortAStringGrid s;
    setBlock(s, g.get(), ToSortType::Character);
    ASSERT_TRUE(s.Execute());
    EXPECT_EQ(keysOf(*g), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(keysOf(*g, 0), (QStringList{"1", "2", "0"}));
    EXPECT_EQ(g->item(1, 0)->data(Qt::UserRole).toInt(), 100);
    EXPECT_EQ(g->item(3, 0)->data(Qt::UserRole).toInt(), 0);
    EXPECT_EQ(g->item(0, 1)->text(), "Schlüssel");
}

TEST(SortAStringGrid, DescendingReversesTheAscendingResultEqualKeysIncluded) {
    const QStringList keys{"b", "a", "b", "c", "a", "b", "a", "c"};
    auto asc = makeGrid(keys);
    auto desc = makeGrid(keys);
    TSortAStringGrid s;
    setBlock(s, asc.get(), ToSortType::Character);
    s.Execute();
    setBlock(s, desc.get(), ToSortType::Character);
    s.SetSortDirection(SortDirType::Descending);
    s.Execute();
    QStringList ascTags = keysOf(*asc, 0);
    std::reverse(ascTags.begin(), ascTags.end());
    EXPECT_EQ(keysOf(*desc, 0), ascTags);
    EXPECT_EQ(keysOf(*desc), (QStringList{"c", "c", "b", "b", "b", "a", "a", "a"}));
}

TEST(SortAStringGrid, ColumnModeSortsColumnsByAKeyRow) {
    QTableWidget g(2, 4);
    const char* keys[] = {"fix", "30", "4", "100"};
    for (int c = 0; c < 4; ++c) {
        g.setItem(0, c, new QTableWidgetItem(keys[c]));
        g.setItem(1, c, new QTableWidgetItem(QString::number(c)));
    }
    TSortAStringGrid s;
    s.SetGridToSort(&g);
    s.SetHowToSort(SortType::Column);
    s.SetStartIndex(1);
    s.SetEndIndex(3);  // checked against the column count in this mode
    s.SetSortIndex(0);
    s.SetSortType(ToSortType::Numeric);
    ASSERT_TRUE(s.Execute()) << s.ErrorText.toStdString();
    QStringList row0, row1;
    for (int c = 0; c < 4; ++c) { row0 << g.item(0, c)->text(); row1 << g.item(1, c)->text(); }
    EXPECT_EQ(row0, (QStringList{"fix", "4", "30", "100"}));
    EXPECT_EQ(row1, (QStringList{"0", "2", "1", "3"}));
    s.SetSortIndex(2);  // only two rows
    EXPECT_FALSE(s.Execute());
    EXPECT_EQ(s.ErrorCode, 7);
}

// Against std::sort over many random blocks, small ones included (where the
// text sort switches to its bubble sort).
TEST(SortAStringGrid, AgreesWithAReferenceSort) {
    QRandomGenerator rng(4711);
    QCollator col(QLocale(QLocale::German, QLocale::Germany));
    col.setCaseSensitivity(Qt::CaseSensitive);
    for (int round = 0; round < 200; ++round) {
        const int n = 2 + int(rng.bounded(round < 100 ? 8 : 300));
        QStringList keys;
        QList<int> numbers;
        for (int i = 0; i < n; ++i) {
            const int v = int(rng.bounded(-500, 500));
            numbers << v;
            keys << QString::number(v);
        }
        for (const bool numeric : {true, false}) {
            auto g = makeGrid(keys);
            TSortAStringGrid s;
            setBlock(s, g.get(), numeric ? ToSortType::Numeric : ToSortType::Character);
            ASSERT_TRUE(s.Execute());
            ASSERT_EQ(s.ErrorCode, 0);
            QStringList expected = keys;
            if (numeric)
                std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
            else
                std::sort(expected.begin(), expected.end(), [&](const QString& a, const QString& b) { return col.compare(a, b) < 0; });
            ASSERT_EQ(keysOf(*g), expected) << "n=" << n;
            // Every row still carries its own tag.
            for (int r = 1; r <= n; ++r) {
                const int tag = g->item(r, 0)->text().toInt();
                ASSERT_EQ(keys[tag], g->item(r, 1)->text());
                ASSERT_EQ(g->item(r, 0)->data(Qt::UserRole).toInt(), tag * 100);
            }
        }
    }
}

TEST(SortStringGrid, SortsTheDataRowsOfADataGridSilently) {
    FakeDialogs dialogs;
    TkvDataGrid grid;
    grid.SetRowCount(4);
    grid.SetCells(0, 0, "Schlüssel");
    const char* keys[] = {"#b", "#c", "#a"};
    for (int r = 1; r <= 3; ++r) {
        grid.SetCells(0, r, keys[r - 1]);
        grid.SetObjects(0, r, r);
    }
    SortStringGrid(&grid, 0, QLatin1Char('C'));
    EXPECT_EQ(grid.Cells(0, 0), "Schlüssel");
    EXPECT_EQ(grid.Cells(0, 1), "#a");
    EXPECT_EQ(grid.Objects(0, 1).toInt(), 3);
    EXPECT_EQ(grid.Cells(0, 3), "#c");
    // A single data row is no block: nothing happens, nothing is shown.
    grid.SetRowCount(2);
    SortStringGrid(&grid, 0, QLatin1Char('N'));
    EXPECT_EQ(grid.Cells(0, 1), "#a");
    SortStringGrid(&grid, 7, QLatin1Char('D'));
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
