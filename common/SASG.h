#pragma once
// TSortAStringGrid: sorts a block of rows (or columns) of a string grid by one
// key column (or key row) as text, numbers or dates, moving whole rows with the
// data in the cells' object slots. Settings are validated first; problems are
// reported by a numbered code and an English text.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTableWidget>

enum class ToSortType { Character, Numeric, Date };
enum class SortDirType { Ascending, Descending };
// Row: rows are the items, the key is a column. Column: columns are the items, the key is a row.
enum class SortType { Column, Row };

class TSortAStringGrid : public QObject {
    Q_OBJECT
public:
    explicit TSortAStringGrid(QObject* AOwner = nullptr);

    QTableWidget* GridToSort() const { return FGridToSort; }
    // Cleared automatically when the grid is destroyed.
    void SetGridToSort(QTableWidget* value) { FGridToSort = value; }
    int StartIndex() const { return FStartIndex; }
    void SetStartIndex(int value) { FStartIndex = value; }
    int EndIndex() const { return FEndIndex; }
    void SetEndIndex(int value) { FEndIndex = value; }
    int SortIndex() const { return FSortIndex; }
    void SetSortIndex(int value) { FSortIndex = value; }
    ToSortType GetSortType() const { return FSortType; }
    void SetSortType(ToSortType value) { FSortType = value; }
    bool CaseSensitiv() const { return FCaseSensitiv; }
    void SetCaseSensitiv(bool value) { FCaseSensitiv = value; }
    SortDirType SortDirection() const { return FSortDirection; }
    void SetSortDirection(SortDirType value) { FSortDirection = value; }
    SortType HowToSort() const { return FHowToSort; }
    void SetHowToSort(SortType value) { FHowToSort = value; }
    bool ShowMessageOnError() const { return FShowMessageOnError; }
    void SetShowMessageOnError(bool value) { FShowMessageOnError = value; }

    // Result of the last Execute.
    int ErrorCode = 0;
    QString ErrorText;

    // Validates and sorts; false on an error code (nothing sorted).
    bool Execute();

    static QString TextOfCode(int code);

private:
    QString Key(int item) const;
    void Sort();

    QPointer<QTableWidget> FGridToSort;
    int FStartIndex = 0;
    int FEndIndex = 0;
    int FSortIndex = 0;
    ToSortType FSortType = ToSortType::Character;
    bool FCaseSensitiv = false;
    SortDirType FSortDirection = SortDirType::Ascending;
    SortType FHowToSort = SortType::Row;
    bool FShowMessageOnError = false;
};

// Sorts the grid's data rows (below its fixed rows) by one column; kind "D"
// sorts as dates, "N" as numbers, anything else as text. Silent.
void SortStringGrid(QTableWidget* grid, int column, QChar kind);
