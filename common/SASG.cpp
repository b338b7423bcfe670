#include "SASG.h"

#include "Dialogs.h"
#include "FormatSettings.h"
#include "GridConversions.h"
#include "Guards.h"

#include <QApplication>
#include <QCollator>
#include <QDate>
#include <functional>
#include <vector>

using namespace gridconv;

TSortAStringGrid::TSortAStringGrid(QObject* AOwner) : QObject(AOwner) {}

QString TSortAStringGrid::TextOfCode(int code) {
    switch (code) {
    case -4: return QStringLiteral("Case Sensitivity ignored for Date Sort.");
    case -3: return QStringLiteral("Case Sensitivity ignored for Numeical Sort.");
    case -2: return QStringLiteral("Column/Row contains non-date values for date sort. Sorted as Character.");
    case -1: return QStringLiteral("Column/Row contains non-numerical values for numeric sort. Sorted as Character.");
    case 0: return QStringLiteral("Ok");
    case 1: return QStringLiteral("No StringGrid given");
    case 2: return QStringLiteral("StartIndex is greater or equal to EndIndex");
    case 3: return QStringLiteral("StartIndex is less then 0");
    case 4: return QStringLiteral("StartIndex is greater then number of rows/columns in StringGrid");
    case 5: return QStringLiteral("EndIndex is greater then number of rows/columns in StringGrid");
    case 6: return QStringLiteral("Sort Index is less then 0");
    case 7: return QStringLiteral("Sort Index is greater then number of rows/columns in StringGrid");
    default: return {};
    }
}

QString TSortAStringGrid::Key(int item) const {
    const QTableWidgetItem* it = FHowToSort == SortType::Row ? FGridToSort->item(item, FSortIndex)
                                                             : FGridToSort->item(FSortIndex, item);
    return it ? it->text() : QString();
}

bool TSortAStringGrid::Execute() {
    ErrorCode = 0;
    QTableWidget* g = FGridToSort;
    const bool rowMode = FHowToSort == SortType::Row;
    // In column mode the items are columns and the key is a row: the bounds
    // follow what is actually indexed.
    const int itemCount = g ? (rowMode ? g->rowCount() : g->columnCount()) : 0;
    const int keyCount = g ? (rowMode ? g->columnCount() : g->rowCount()) : 0;
    if (!g) ErrorCode = 1;
    else if (FStartIndex >= FEndIndex) ErrorCode = 2;
    else if (FStartIndex < 0) ErrorCode = 3;
    else if (FStartIndex > itemCount - 1) ErrorCode = 4;
    else if (FEndIndex > itemCount - 1) ErrorCode = 5;
    else if (FSortIndex < 0) ErrorCode = 6;
    else if (FSortIndex > keyCount - 1) ErrorCode = 7;

    if (ErrorCode == 0) {
        if (FSortType == ToSortType::Numeric) {
            for (int i = FStartIndex; i <= FEndIndex; ++i) {
                int v = 0;
                if (!TryStrToInt(Key(i), v)) {
                    // The first key that is no number decides: text sort.
                    ErrorCode = -1;
                    FSortType = ToSortType::Character;
                    break;
                }
                if (FCaseSensitiv) ErrorCode = -3;
            }
        } else if (FSortType == ToSortType::Date) {
            if (FCaseSensitiv) ErrorCode = -4;
            for (int i = FStartIndex; i <= FEndIndex; ++i) {
                QDate d;
                if (!TryStrToDate(Key(i), d)) {
                    ErrorCode = -2;
                    FSortType = ToSortType::Character;
                    break;
                }
            }
        }
    }
    ErrorText = TextOfCode(ErrorCode);
    if (ErrorCode > 0) {
        if (FShowMessageOnError) Dialogs::instance().MessageDlg(ErrorText, TMsgDlgType::mtError, mbOK);
        return false;
    }
    Sort();
    if (ErrorCode < 0 && FShowMessageOnError) Dialogs::instance().MessageDlg(ErrorText, TMsgDlgType::mtWarning, mbOK);
    return true;
}

namespace {

// Quicksort on a table of item numbers with the middle element as pivot;
// ranges of at most five items go to a bubble sort when asked for.
void quickSort(std::vector<int>& order, int lo, int hi, const std::function<int(int, int)>& cmp, bool bubbleSmall) {
    while (lo < hi) {
        if (bubbleSmall && hi - lo <= 4) {
            bool swapped = true;
            while (swapped) {
                swapped = false;
                for (int k = lo; k < hi; ++k) {
                    if (cmp(order[size_t(k)], order[size_t(k + 1)]) > 0) {
                        std::swap(order[size_t(k)], order[size_t(k + 1)]);
                        swapped = true;
                    }
                }
            }
            return;
        }
        const int pivot = order[size_t((lo + hi) / 2)];
        int i = lo, j = hi;
        do {
            while (cmp(order[size_t(i)], pivot) < 0) ++i;
            while (cmp(order[size_t(j)], pivot) > 0) --j;
            if (i <= j) {
                std::swap(order[size_t(i)], order[size_t(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        // Recurse into the smaller part so the stack stays shallow.
        if (j - lo < hi - i) {
            quickSort(order, lo, j, cmp, bubbleSmall);
            lo = i;
        } else {
            quickSort(order, i, hi, cmp, bubbleSmall);
            hi = j;
        }
    }
}

QString foldAsciiUpper(QString s) {
    for (QChar& c : s)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 32);
    return s;
}

}  // namespace

void TSortAStringGrid::Sort() {
    QTableWidget* g = FGridToSort;
    const int n = FEndIndex - FStartIndex + 1;
    // Items are numbered 0..n-1 within the block; keys are read once.
    std::vector<int> order(static_cast<size_t>(n));
    for (int p = 0; p < n; ++p) order[size_t(p)] = p;
    std::function<int(int, int)> cmp;
    std::vector<QCollatorSortKey> textKeys;
    std::vector<qint64> numKeys;
    bool bubbleSmall = false;
    switch (FSortType) {
    case ToSortType::Character: {
        QCollator collator(FormatSettings().Locale);
        collator.setCaseSensitivity(Qt::CaseSensitive);
        textKeys.reserve(size_t(n));
        for (int p = 0; p < n; ++p) {
            QString k = Key(FStartIndex + p);
            if (!FCaseSensitiv) k = foldAsciiUpper(k);
            textKeys.push_back(collator.sortKey(k));
        }
        cmp = [&textKeys](int a, int b) { return textKeys[size_t(a)].compare(textKeys[size_t(b)]); };
        bubbleSmall = true;
        break;
    }
    case ToSortType::Numeric: {
        numKeys.reserve(size_t(n));
        for (int p = 0; p < n; ++p) {
            int v = 0;
            TryStrToInt(Key(FStartIndex + p), v);
            numKeys.push_back(v);
        }
        cmp = [&numKeys](int a, int b) { return numKeys[size_t(a)] < numKeys[size_t(b)] ? -1 : numKeys[size_t(a)] > numKeys[size_t(b)] ? 1 : 0; };
        break;
    }
    case ToSortType::Date: {
        numKeys.reserve(size_t(n));
        for (int p = 0; p < n; ++p) {
            QDate d;
            TryStrToDate(Key(FStartIndex + p), d);
            numKeys.push_back(d.toJulianDay());
        }
        cmp = [&numKeys](int a, int b) { return numKeys[size_t(a)] < numKeys[size_t(b)] ? -1 : numKeys[size_t(a)] > numKeys[size_t(b)] ? 1 : 0; };
        break;
    }
    }
    quickSort(order, 0, n - 1, cmp, bubbleSmall);

    // Move whole items: every cell with everything attached to it.
    const bool rowMode = FHowToSort == SortType::Row;
    const int width = rowMode ? g->columnCount() : g->rowCount();
    std::vector<QTableWidgetItem*> taken(size_t(n) * size_t(width), nullptr);
    for (int p = 0; p < n; ++p)
        for (int k = 0; k < width; ++k)
            taken[size_t(p) * size_t(width) + size_t(k)] =
                rowMode ? g->takeItem(FStartIndex + p, k) : g->takeItem(k, FStartIndex + p);
    const bool descending = FSortDirection == SortDirType::Descending;
    for (int p = 0; p < n; ++p) {
        const int src = order[size_t(p)];
        const int dst = FStartIndex + (descending ? n - 1 - p : p);
        for (int k = 0; k < width; ++k) {
            QTableWidgetItem* it = taken[size_t(src) * size_t(width) + size_t(k)];
            if (!it) continue;
            if (rowMode) g->setItem(dst, k, it);
            else g->setItem(k, dst, it);
        }
    }
}

void SortStringGrid(QTableWidget* grid, int column, QChar kind) {
    HourglassGuard hourglass;
    TSortAStringGrid sorter(qApp);
    sorter.SetHowToSort(SortType::Row);
    sorter.SetSortType(kind == QLatin1Char('D')   ? ToSortType::Date
                       : kind == QLatin1Char('N') ? ToSortType::Numeric
                                                  : ToSortType::Character);
    sorter.SetGridToSort(grid);
    const QVariant fixedRows = grid ? grid->property("FixedRows") : QVariant();
    sorter.SetStartIndex(fixedRows.isValid() ? fixedRows.toInt() : 0);
    sorter.SetEndIndex(grid ? grid->rowCount() - 1 : 0);
    sorter.SetSortIndex(column);
    sorter.Execute();
}
