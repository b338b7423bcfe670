#pragma once
// TkvDataGrid: the editable table control of the plug-ins. A string grid on
// QTableWidget (fixed rows and columns are ordinary cells drawn in the fixed
// colour; the object slot of a cell is its Qt::UserRole data) with typed column
// descriptions, an in-place editor with an ellipsis button or a drop-down pick
// list, display masks for numbers and dates, keyboard row operations and a
// tiled background picture.
#include <QColor>
#include <QFont>
#include <QIODevice>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QTableWidget>
#include <functional>
#include <memory>
#include <vector>

class TkvDataGrid;
class TColumn;
class TDataGridColumns;
class TDataGridInplaceEdit;
class TDropListbox;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TColumnButtonStyle { cbsAuto, cbsEllipsis, cbsNone };
enum TColumnFormat { cfString, cfNumber, cfDate };

enum TColumnValue : unsigned {
    cvColor = 1u << 0, cvWidth = 1u << 1, cvFont = 1u << 2, cvAlignment = 1u << 3, cvReadOnly = 1u << 4,
    cvTitleColor = 1u << 5, cvTitleCaption = 1u << 6, cvTitleAlignment = 1u << 7, cvTitleFont = 1u << 8,
};
using TColumnValues = unsigned;

enum TDataGridOption : unsigned { dgoAppendRow = 1u << 0, dgoInsertRow = 1u << 1, dgoDeleteRow = 1u << 2 };
using TDataGridOptions = unsigned;

// The string grid's options.
enum TGridOption : unsigned {
    goFixedVertLine = 1u << 0, goFixedHorzLine = 1u << 1, goVertLine = 1u << 2, goHorzLine = 1u << 3,
    goRangeSelect = 1u << 4, goDrawFocusSelected = 1u << 5, goRowSizing = 1u << 6, goColSizing = 1u << 7,
    goRowMoving = 1u << 8, goColMoving = 1u << 9, goEditing = 1u << 10, goTabs = 1u << 11,
    goRowSelect = 1u << 12, goAlwaysShowEditor = 1u << 13, goThumbTracking = 1u << 14,
};
using TGridOptions = unsigned;

struct TGridDrawState {
    bool Selected = false;
    bool Focused = false;
    bool Fixed = false;
};

// What a draw-cell handler paints with: the painter of the running paint plus
// the brush and font the grid has prepared for the cell.
struct TGridCanvas {
    QPainter* Painter = nullptr;
    QColor Brush;             // background; an invalid colour means "transparent"
    QFont Font;
    QColor FontColor;
    // Fills r with the brush (unless transparent) and writes s clipped to r at (x, y).
    void TextRect(const QRect& r, int x, int y, const QString& s) const;
    void FillRect(const QRect& r) const;
    int TextWidth(const QString& s) const;
    int TextHeight(const QString& s) const;
};

using TNotifyEvent = std::function<void(QObject* Sender)>;
using TGetEditEvent = std::function<void(QObject* Sender, int ACol, int ARow, QString& Value)>;
using TDrawCellEvent = std::function<void(TkvDataGrid* Sender, int ACol, int ARow, const QRect& Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TkvDataGrid* Sender, int ACol, int ARow, bool& CanSelect)>;
using TSetEditEvent = std::function<void(TkvDataGrid* Sender, int ACol, int ARow, const QString& Value)>;
using TKeyPressEvent = std::function<void(QObject* Sender, QChar& Key)>;
using TColorEvent = std::function<QColor(int Index, int HeaderPos)>;

// Header settings of one column.
class TColumnTitle {
public:
    explicit TColumnTitle(TColumn* column);
    virtual ~TColumnTitle() = default;

    TAlignment Alignment() const;
    void SetAlignment(TAlignment value);
    QString Caption() const;
    virtual void SetCaption(const QString& value);
    QFont Font() const;
    void SetFont(const QFont& value);

    TAlignment DefaultAlignment() const { return taLeftJustify; }
    QString DefaultCaption() const { return {}; }
    QColor DefaultColor() const;
    QFont DefaultFont() const;
    // Copies only the values assigned in the source.
    virtual void Assign(const TColumnTitle& source);
    virtual void RestoreDefaults();

private:
    friend class TColumn;
    friend class TDataGridColumns;
    TColumn* FColumn;
    TAlignment FAlignment = taLeftJustify;
    QString FCaption;
    QFont FFont;
};

// One column's settings.
class TColumn {
public:
    explicit TColumn(TDataGridColumns* collection);
    virtual ~TColumn();
    TColumn(const TColumn&) = delete;
    TColumn& operator=(const TColumn&) = delete;

    QString EditMask() const { return FEditMask; }  // QLineEdit input-mask syntax
    void SetEditMask(const QString& value);
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int value);
    bool LimitToList() const { return FLimitToList; }
    void SetLimitToList(bool value);
    TAlignment Alignment() const;
    virtual void SetAlignment(TAlignment value);
    TColumnButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TColumnButtonStyle value);
    TColumnFormat Format() const { return FFormat; }
    void SetFormat(TColumnFormat value);  // clears DisplayMask
    QColor Color() const;
    void SetColor(const QColor& value);
    unsigned DropDownRows() const { return FDropDownRows; }
    void SetDropDownRows(unsigned value);
    QFont Font() const;
    void SetFont(const QFont& value);
    // Text colour of the data cells (part of the font); invalid = the grid's text colour.
    QColor FontColor() const;
    void SetFontColor(const QColor& value);
    // Created on first use; HasPickList() asks without creating.
    QStringList& PickList();
    bool HasPickList() const { return FPickList != nullptr; }
    void SetPickList(const QStringList& value);
    QMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(QMenu* value);
    bool ReadOnly() const;
    virtual void SetReadOnly(bool value);
    TColumnTitle* Title() const { return FTitle.get(); }
    QString DisplayMask() const { return FDisplayMask; }
    virtual void SetDisplayMask(const QString& value);
    int DropdownWidth() const { return FDropdownWidth; }
    void SetDropdownWidth(int value);

    TkvDataGrid* Grid() const;
    TDataGridColumns* Collection() const { return FCollection; }
    TColumnValues AssignedValues() const { return FAssignedValues; }
    int InternalCol() const { return FInternalCol; }
    int Index() const;

    TAlignment DefaultAlignment() const { return taLeftJustify; }
    QColor DefaultColor() const;
    QFont DefaultFont() const;
    bool DefaultReadOnly() const;
    int DefaultWidth() const;
    virtual void RestoreDefaults();
    virtual void Assign(const TColumn& source);

    // Streaming rules: which values a column stream carries.
    bool IsAlignmentStored() const;
    bool IsColorStored() const;
    bool IsReadOnlyStored() const;
    bool IsFontStored() const { return FAssignedValues & cvFont; }

protected:
    virtual TColumnTitle* CreateTitle() { return new TColumnTitle(this); }
    void Changed();

private:
    friend class TColumnTitle;
    friend class TDataGridColumns;
    TDataGridColumns* FCollection;
    QString FEditMask;
    int FMaxLength = 0;
    bool FLimitToList = false;
    TAlignment FAlignment = taLeftJustify;
    TColumnButtonStyle FButtonStyle = cbsAuto;
    TColumnFormat FFormat = cfString;
    QColor FColor;
    unsigned FDropDownRows = 7;
    QFont FFont;
    QColor FFontColor;
    std::unique_ptr<QStringList> FPickList;
    QPointer<QMenu> FPopupMenu;
    bool FReadOnly = false;
    std::unique_ptr<TColumnTitle> FTitle;
    QString FDisplayMask;
    int FDropdownWidth = 0;
    TColumnValues FAssignedValues = 0;
    int FInternalCol = 0;
    int FUpdateCount = 0;
};

// The grid's columns, owned by the grid. Without a grid it is a free-standing
// collection (used to carry columns through a stream).
class TDataGridColumns {
public:
    explicit TDataGridColumns(TkvDataGrid* grid);
    ~TDataGridColumns();
    TDataGridColumns(const TDataGridColumns&) = delete;
    TDataGridColumns& operator=(const TDataGridColumns&) = delete;

    TColumn* Add();
    int Count() const { return int(FItems.size()); }
    TColumn* GetColumn(int index) const;
    TColumn* operator[](int index) const { return GetColumn(index); }
    void SetColumn(int index, const TColumn& value) { GetColumn(index)->Assign(value); }
    // Current index of the column created as aIntCol; -1 if none.
    int GetColIndex(int aIntCol) const;
    void RestoreDefaults();
    // Replaces the columns by copies of the source's columns.
    void Assign(const TDataGridColumns& source);
    void Delete(int index);
    void Clear();
    void Move(int fromIndex, int toIndex);

    void LoadFromFile(const QString& Filename);
    void LoadFromStream(QIODevice& S);
    void SaveToFile(const QString& Filename) const;
    void SaveToStream(QIODevice& S) const;

    TkvDataGrid* Grid() const { return FGrid; }
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    // Change notification of one column (nullptr: all).
    void Update(TColumn* column);

private:
    friend class TColumn;
    TkvDataGrid* FGrid;
    std::vector<std::unique_ptr<TColumn>> FItems;
    int FUpdateCount = 0;
    bool FPendingUpdate = false;
};

// The editor's drop-down list: a top-level pop-up that never takes the focus;
// the editor forwards its keys. One or two columns (name and value split at "=").
class TDropListbox : public QListWidget {
    Q_OBJECT
public:
    explicit TDropListbox(QWidget* parent);

    TColorEvent OnNewcolor;
    bool ColumnLine() const { return FColumnLine; }
    void SetColumnLine(bool value);
    int ColumnLineWidh() const { return FColumnLineWidh; }
    void SetColumnLineWidh(int value);  // values below 1 are ignored
    QColor ColumnLineColor() const { return FColumnLineColor; }
    void SetColumnLineColor(const QColor& value);
    QString SelectedValue() const;

    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int value);
    int ColumnCount() const { return FColumnCount; }
    int ColumnWidth(int i) const { return FColWidths[i]; }
    // Copies the entries and returns the width they need (0 for no list).
    int SetItems(const QStringList* aListe);
    // Selects the first entry beginning with the text; shows a message when none does.
    void FindEntry(const QString& text);
    QString SearchText() const { return FSearchText; }
    // Draws entry Index; used by the list's item painter.
    void DrawItem(QPainter* painter, int Index, const QRect& rect, bool selected);
    void PaintItem(int Index);

    // The clock of the incremental search in milliseconds; replaceable for tests.
    static std::function<qint64()>& Clock();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    int FColumnCount = 1;
    int FColWidths[2] = {0, 0};
    QChar FSeparator = QLatin1Char('=');
    QString FSearchText;
    qint64 FLastSearchTime = 0;
    bool FColumnLine = true;
    int FColumnLineWidh = 1;
    QColor FColumnLineColor = Qt::black;
    int FItemHeight = 16;
};

// The cell editor.
class TDataGridInplaceEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TDataGridInplaceEdit(TkvDataGrid* grid, QWidget* parent);

    TkvDataGrid* Grid() const { return FGrid; }
    int EditStyle() const { return FEditStyle; }  // 0 plain, 1 ellipsis button, 2 pick list
    TDropListbox* ActiveList() const { return FActiveList; }
    TDropListbox* DropList() const { return FPickList; }
    bool ListVisible() const { return FListVisible; }
    int ButtonWidth() const { return FButtonWidth; }
    QString LastCommittedText() const { return FLastText; }
    int Col() const { return FCol; }
    int Row() const { return FRow; }

    // Fills the editor for cell (ACol, ARow): style, read-only, mask, text.
    void UpdateContents(int ACol, int ARow);
    virtual void UpdateCellValue();
    void DropDown();
    void CloseUp(bool Accept);
    QRect ButtonRect() const;

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    void keyPressEventImpl(QKeyEvent* e);
    void focusOutEventImpl(QFocusEvent* e);
    void mousePressEventImpl(QMouseEvent* e);
    void mouseMoveEventImpl(QMouseEvent* e);
    void mouseReleaseEventImpl(QMouseEvent* e);
    void mouseDoubleClickEventImpl(QMouseEvent* e);
    void SetEditStyle(int style);
    bool DoDropDownKeys(QKeyEvent* e);
    // Character handling; false when the character was cleared.
    bool KeyPress(QChar& key);
    void ListMouseUp(QMouseEvent* e);
    void SetCellText(const QString& text);
    bool eventFilter(QObject* watched, QEvent* e) override;
    friend class TkvDataGrid;

    TkvDataGrid* FGrid;
    int FCol = -1;
    int FRow = -1;
    int FButtonWidth;
    int FEditStyle = 0;
    TDropListbox* FPickList = nullptr;
    TDropListbox* FActiveList = nullptr;
    bool FListVisible = false;
    bool FTracking = false;
    bool FPressed = false;
    QString FLastText;
};

class TkvDataGrid : public QTableWidget {
    Q_OBJECT
    Q_PROPERTY(int FixedRows READ FixedRows WRITE SetFixedRows)
    Q_PROPERTY(int FixedCols READ FixedCols WRITE SetFixedCols)
public:
    explicit TkvDataGrid(QWidget* parent = nullptr);
    ~TkvDataGrid() override;

    // --- the string grid ---
    int ColCount() const { return columnCount(); }
    void SetColCount(int value);
    int RowCount() const { return rowCount(); }
    void SetRowCount(int value);
    int FixedCols() const { return FFixedCols; }
    void SetFixedCols(int value);
    int FixedRows() const { return FFixedRows; }
    void SetFixedRows(int value);
    QString Cells(int ACol, int ARow) const;
    void SetCells(int ACol, int ARow, const QString& value);
    QVariant Objects(int ACol, int ARow) const;
    void SetObjects(int ACol, int ARow, const QVariant& value);
    // Width -1 hides a column.
    int ColWidths(int ACol) const;
    void SetColWidths(int ACol, int value);
    int RowHeights(int ARow) const;
    void SetRowHeights(int ARow, int value);
    int DefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(int value);
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int value);
    int Col() const;
    void SetCol(int value);
    int Row() const;
    void SetRow(int value);
    void SetCurrentCell(int ACol, int ARow);
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions value);
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool value) { FDefaultDrawing = value; }
    QColor Color() const;
    void SetColor(const QColor& value);
    QColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(const QColor& value);
    bool EditorMode() const { return FEditor != nullptr; }
    void SetEditorMode(bool value);
    TDataGridInplaceEdit* InplaceEditor() const { return FEditor; }
    QRect CellRect(int ACol, int ARow) const;
    // Cell under a point of the viewport; -1 outside the cells.
    void MouseToCell(int X, int Y, int& ACol, int& ARow) const;
    // The canvas of the cell being drawn (valid inside OnDrawCell).
    TGridCanvas& Canvas() { return FCanvas; }
    void InvalidateCell(int ACol, int ARow);

    // --- the data grid ---
    TDataGridColumns* Columns() const { return FColumns.get(); }
    void SetColumns(const TDataGridColumns& value) { FColumns->Assign(value); }
    TDataGridOptions DataGridOptions() const { return FDataGridOptions; }
    void SetDataGridOptions(TDataGridOptions value) { FDataGridOptions = value; }
    int RowCountMin() const { return FRowCountMin; }
    void SetRowCountMin(int value);
    const QPixmap& BGImage() const { return FBGImage; }
    void SetBGImage(const QPixmap& value);
    bool BGImageActive() const { return FBGImage.width() > 0 && FBGImage.height() > 0; }
    int SelectedIndex() const { return Col(); }
    void SetSelectedIndex(int value) { SetCol(value); }
    QString Version() const { return QStringLiteral("2.0"); }
    void SetVersion(const QString&) {}
    int LayoutLock() const { return FLayoutLock; }

    void AppendRow();
    void InsertRow(int ARow);
    void DeleteRow(int ARow);
    void ExchangeRows(int aRow1, int aRow2);
    void MoveColumn(int FromIndex, int ToIndex);
    void DrawMultiline(const QRect& ARect, const QString& S, TAlignment Align);
    QString GetIntCell(int aIntCol, int aRow) const;
    void SetIntCell(int aIntCol, int aRow, const QString& Value);
    int GetIntValue(int ACol, int ARow) const;
    void SetIntValue(int ACol, int ARow, int Value);
    double GetNumValue(int ACol, int ARow) const;
    void SetNumValue(int ACol, int ARow, double Value);

    // Events.
    TNotifyEvent BeforeInsert;
    TNotifyEvent BeforeDelete;
    TNotifyEvent OnEditButtonClick;
    TGetEditEvent OnGetEditMask;
    TNotifyEvent OnUserChanged;
    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TSetEditEvent OnSetEditText;
    TKeyPressEvent OnKeyPress;
    // Set Key to 0 to swallow the key.
    std::function<void(TkvDataGrid* Sender, int& Key, Qt::KeyboardModifiers Shift)> OnKeyDown;
    std::function<void(TkvDataGrid* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)> OnMouseDown;
    std::function<void(TkvDataGrid* Sender, Qt::KeyboardModifiers Shift, int X, int Y)> OnMouseMove;
    std::function<void(TkvDataGrid* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)> OnMouseUp;
    TNotifyEvent OnDblClick;

    // Overridable behaviour of the string grid.
    virtual bool SelectCell(int ACol, int ARow);
    virtual QString GetEditMask(int ACol, int ARow);
    virtual QString GetEditText(int ACol, int ARow) { return Cells(ACol, ARow); }
    virtual void SetEditText(int ACol, int ARow, const QString& Value);
    virtual bool CanEditAcceptKey(QChar) const { return true; }
    virtual bool CanEditModify() const;
    virtual void EditButtonClick();
    virtual void RowCountMinChanged() {}
    bool IsRowKey(int key, Qt::KeyboardModifiers mods) const;
    // The grid's key handling (row keys, then navigation); the editor hands keys here.
    void KeyDown(QKeyEvent* e);
    void KeyPress(QChar& Key);
    // Hides the editor, committing its text.
    void HideEditor();
    void ShowEditor();
    // Reloads the open editor from its cell.
    void InvalidateEditor();

protected:
    virtual void DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState);
    virtual void CreateColumns();
    virtual TDataGridInplaceEdit* CreateEditor(QWidget* parent);
    virtual void ColumnMoved(int FromIndex, int ToIndex);
    void SizeChanged();
    void WriteCellText(const QRect& ARect, int DX, int DY, const QString& Text, TAlignment Alignment);
    void DrawBGImage(QPainter& p, const QRect& rect, bool inverted);
    // Display text of a cell after the column's display mask.
    QString DisplayText(int ACol, int ARow, const QString& text) const;

    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    // Fixed rows and columns stay in place while the rest scrolls: they are
    // painted over the scrolled cells, and hit tests and cell rectangles know it.
    QModelIndex indexAt(const QPoint& p) const override;
    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void updateEditorGeometries() override;
    // Typing never jumps to a matching cell: keys edit or do nothing.
    void keyboardSearch(const QString&) override {}
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    friend class TDataGridColumns;
    friend class TColumn;
    friend class TDataGridInplaceEdit;
    friend class TkvGridDelegate;
    void mousePressEventImpl(QMouseEvent* e);
    void mouseMoveEventImpl(QMouseEvent* e);
    void mouseReleaseEventImpl(QMouseEvent* e);
    void mouseDoubleClickEventImpl(QMouseEvent* e);
    void focusInEventImpl(QFocusEvent* e);
    void SetColCountGuarded(int value);
    void RemoveColumnGuarded(int index);
    void UpdateEditTriggers();
    void PaintCell(QPainter* painter, const QRect& rect, int ACol, int ARow, bool selected);
    void RegisterEditor(TDataGridInplaceEdit* editor) { FEditor = editor; }
    void UnregisterEditor(TDataGridInplaceEdit* editor);
    int ColSizingEdge(const QPoint& pos) const;
    int FixedWidth() const;   // of the fixed columns
    int FixedHeight() const;  // of the fixed rows
    int CellX(int ACol) const;
    int CellY(int ARow) const;
    int ColumnAtPos(int x) const;
    int RowAtPos(int y) const;
    void PaintFixedBands(QPainter& p);

    std::unique_ptr<TDataGridColumns> FColumns;
    TDataGridOptions FDataGridOptions = 0;
    int FRowCountMin = 0;
    QPixmap FBGImage;
    int FLayoutLock = 0;
    int FFixedCols = 1;
    int FFixedRows = 1;
    int FDefaultColWidth = 64;
    int FDefaultRowHeight = 20;
    TGridOptions FOptions = 0;
    bool FDefaultDrawing = true;
    QColor FFixedColor;
    TGridCanvas FCanvas;
    QPointer<TDataGridInplaceEdit> FEditor;
    bool FDestroying = false;
    int FSizingCol = -1;  // column being resized by the mouse
    int FSizingStartX = 0;
    int FSizingStartWidth = 0;
};
