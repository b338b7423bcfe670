// The data grid: columns, row operations, the editor's commit rules, the
// drop-down list and what a user does with keyboard and mouse.
#include "DataGridkv.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "GridConversions.h"
#include "TestSupport.h"

#include <QApplication>
#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Exposes the display text for the mask tests.
class TestGrid : public TkvDataGrid {
public:
    using TkvDataGrid::DisplayText;
};

class GridTest : public ::testing::Test {
protected:
    void SetUp() override {
        grid = std::make_unique<TestGrid>();
        grid->resize(520, 260);
        grid->show();
        QApplication::setActiveWindow(grid.get());
        grid->setFocus();
        QApplication::processEvents();
    }
    void TearDown() override {
        grid.reset();
        QApplication::processEvents();
    }
    QWidget* focus() const {
        QWidget* w = QApplication::focusWidget();
        return w ? w : grid.get();
    }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(focus(), k, m);
        QApplication::processEvents();
    }
    void type(const QString& s) {
        for (const QChar c : s) {
            QTest::keyClicks(focus(), QString(c));
            QApplication::processEvents();
        }
    }
    // Data rows 1..n in column 1, with an object tag per row in column 0.
    void fillRows(int n) {
        grid->SetRowCount(n + 1);
        for (int r = 1; r <= n; ++r) {
            grid->SetCells(1, r, QStringLiteral("r%1").arg(r));
            grid->SetObjects(0, r, r * 10);
        }
    }
    QStringList column(int c) const {
        QStringList l;
        for (int r = grid->FixedRows(); r < grid->RowCount(); ++r) l << grid->Cells(c, r);
        return l;
    }
    std::unique_ptr<TestGrid> grid;
};

TEST_F(GridTest, ColumnsFollowColCountBothWays) {
    EXPECT_EQ(grid->Columns()->Count(), 5);
    grid->SetColCount(3);
    EXPECT_EQ(grid->Columns()->Count(), 3);
    grid->Columns()->Add();
    EXPECT_EQ(grid->ColCount(), 4);
    EXPECT_EQ(grid->Columns()->GetColumn(3)->InternalCol(), 3);
    grid->insertColumn(1);  // a column inserted by Qt's own call gets its description in place
    EXPECT_EQ(grid->Columns()->Count(), 5);
    grid->Columns()->Delete(1);
    EXPECT_EQ(grid->ColCount(), 4);
}

TEST_F(GridTest, DeletingAColumnDescriptionRemovesItsCells) {
    grid->SetCells(1, 1, "eins");
    grid->SetCells(2, 1, "zwei");
    grid->SetCells(4, 1, "vier");
    grid->Columns()->Delete(2);
    EXPECT_EQ(grid->Cells(1, 1), "eins");
    EXPECT_EQ(grid->Cells(2, 1), "");
    EXPECT_EQ(grid->Cells(3, 1), "vier");
}

TEST_F(GridTest, MoveColumnKeepsDescriptionCellsAndInternalAddress) {
    grid->Columns()->GetColumn(1)->Title()->SetCaption("Name");
    grid->SetCells(1, 1, "Anna");
    grid->SetObjects(1, 1, 7);
    grid->SetColWidths(1, 99);
    grid->MoveColumn(1, 3);
    EXPECT_EQ(grid->Columns()->GetColumn(3)->Title()->Caption(), "Name");
    EXPECT_EQ(grid->Cells(3, 1), "Anna");
    EXPECT_EQ(grid->Objects(3, 1).toInt(), 7);
    EXPECT_EQ(grid->ColWidths(3), 99);
    EXPECT_EQ(grid->Columns()->GetColIndex(1), 3);
    EXPECT_EQ(grid->GetIntCell(1, 1), "Anna");
    grid->SetIntCell(1, 2, "Ben");
    EXPECT_EQ(grid->Cells(3, 2), "Ben");
    EXPECT_EQ(grid->Columns()->GetColIndex(42), -1);
}

TEST_F(GridTest, ColumnValuesDefaultsAssignAndRestore) {
    TColumn* c = grid->Columns()->GetColumn(1);
    EXPECT_FALSE(c->ReadOnly());  // the grid edits by default
    grid->SetOptions(grid->Options() & ~goEditing);
    EXPECT_TRUE(c->ReadOnly());
    EXPECT_EQ(c->AssignedValues(), 0u);
    grid->SetColor(QColor("#fafad2"));
    EXPECT_EQ(c->Color(), QColor("#fafad2"));  // unassigned: follows the grid
    c->SetColor(Qt::yellow);
    c->SetAlignment(taRightJustify);
    c->Title()->SetCaption("Note");
    c->SetButtonStyle(cbsEllipsis);
    c->SetEditMask("99");
    c->PickList() << "1=sehr gut";
    EXPECT_EQ(c->AssignedValues(), unsigned(cvColor | cvAlignment | cvTitleCaption));

    TColumn* d = grid->Columns()->GetColumn(2);
    d->SetFont(QFont("DejaVu Sans", 15));
    d->Assign(*c);
    EXPECT_EQ(d->Color(), QColor(Qt::yellow));
    EXPECT_EQ(d->Alignment(), taRightJustify);
    EXPECT_EQ(d->Title()->Caption(), "Note");
    EXPECT_EQ(d->ButtonStyle(), cbsEllipsis);
    EXPECT_EQ(d->PickList(), QStringList{"1=sehr gut"});
    EXPECT_EQ(d->EditMask(), "");                // not copied
    EXPECT_FALSE(d->AssignedValues() & cvFont);  // defaults restored first
    EXPECT_EQ(d->Font(), grid->font());

    c->SetFormat(cfNumber);
    c->SetDisplayMask("0.00");
    c->SetFormat(cfDate);
    EXPECT_EQ(c->DisplayMask(), "");
    c->RestoreDefaults();
    EXPECT_EQ(c->AssignedValues(), 0u);
    EXPECT_FALSE(c->HasPickList());
    EXPECT_EQ(c->ButtonStyle(), cbsAuto);
    EXPECT_EQ(c->Title()->Caption(), "");
}

TEST_F(GridTest, ColumnStreamRoundTripKeepsEverySetting) {
    grid->SetColCount(3);
    TColumn* c = grid->Columns()->GetColumn(2);
    c->SetFormat(cfNumber);
    c->SetDisplayMask("#,##0.00");
    c->SetEditMask("999");
    c->SetMaxLength(5);
    c->SetLimitToList(true);
    c->SetColor(Qt::cyan);
    c->SetAlignment(taCenter);
    c->SetReadOnly(true);
    c->SetFont(QFont("DejaVu Sans", 13, QFont::Bold));
    c->PickList() << "a=b" << "c=d";
    c->SetDropDownRows(3);
    c->SetDropdownWidth(120);
    c->Title()->SetCaption("Preis");
    c->Title()->SetAlignment(taRightJustify);
    const QString file = testing_support::tempDir() + "/spalten.json";
    grid->Columns()->SaveToFile(file);

    TkvDataGrid other;
    other.SetCells(1, 1, "bleibt");
    other.Columns()->LoadFromFile(file);
    ASSERT_EQ(other.ColCount(), 3);
    EXPECT_EQ(other.Cells(1, 1), "bleibt");
    const TColumn* o = other.Columns()->GetColumn(2);
    EXPECT_EQ(o->Format(), cfNumber);
    EXPECT_EQ(o->DisplayMask(), "#,##0.00");
    EXPECT_EQ(o->EditMask(), "999");
    EXPECT_EQ(o->MaxLength(), 5);
    EXPECT_TRUE(o->LimitToList());
    EXPECT_EQ(o->Color(), QColor(Qt::cyan));
    EXPECT_EQ(o->Alignment(), taCenter);
    EXPECT_TRUE(o->ReadOnly());
    EXPECT_TRUE(o->Font().bold());
    EXPECT_EQ(o->DropDownRows(), 3u);
    EXPECT_EQ(o->DropdownWidth(), 120);
    EXPECT_EQ(const_cast<TColumn*>(o)->PickList(), (QStringList{"a=b", "c=d"}));
    EXPECT_EQ(o->Title()->Caption(), "Preis");
    EXPECT_EQ(o->Title()->Alignment(), taRightJustify);
    EXPECT_EQ(o->AssignedValues(), c->AssignedValues());
}

TEST_F(GridTest, BrokenColumnStreamLeavesColumnsAlone) {
    grid->Columns()->GetColumn(1)->Title()->SetCaption("Name");
    for (const QByteArray& bad : {QByteArray("kein json"), QByteArray(R"({"Class":"Anderes","Columns":[]})"),
                                  QByteArray(R"({"Class":"TColumnsWrapper","Columns":[{"Format":"cfKaputt"}]})")}) {
        QBuffer buf;
        buf.setData(bad);
        buf.open(QIODevice::ReadOnly);
        EXPECT_THROW(grid->Columns()->LoadFromStream(buf), EReadError) << bad.constData();
    }
    EXPECT_EQ(grid->ColCount(), 5);
    EXPECT_EQ(grid->Columns()->GetColumn(1)->Title()->Caption(), "Name");
    EXPECT_THROW(grid->Columns()->LoadFromFile(testing_support::tempDir() + "/fehlt.json"), EInOutError);
}

TEST_F(GridTest, DeleteRowEmptiesInsteadOfShrinkingBelowTheLimits) {
    struct Case { int rows; int rowCountMin; int deleteRow; int rowsAfter; QStringList colAfter; };
    const Case cases[] = {
        {2, 0, 1, 2, {""}},                 // the only data row is emptied
        {4, 4, 2, 4, {"r1", "", "r3"}},     // at the minimum: emptied in place
        {4, 0, 2, 3, {"r1", "r3"}},         // else removed and the rest moves up
        {4, 3, 1, 3, {"r2", "r3"}},         // above the minimum it may still shrink to it
    };
    for (const Case& c : cases) {
        grid->SetRowCountMin(0);
        fillRows(c.rows - 1);
        grid->SetCells(0, 2 < c.rows ? 2 : 1, "fix");
        grid->SetRowCountMin(c.rowCountMin);
        int before = 0;
        grid->BeforeDelete = [&](QObject*) { ++before; };
        grid->DeleteRow(c.deleteRow);
        EXPECT_EQ(before, 1);
        EXPECT_EQ(grid->RowCount(), c.rowsAfter) << c.rows << "/" << c.rowCountMin;
        EXPECT_EQ(column(1), c.colAfter) << c.rows << "/" << c.rowCountMin;
    }
    // The fixed column of an emptied row keeps its text; a removed row takes its fixed cells along.
    fillRows(1);
    grid->SetCells(0, 1, "Kopf");
    grid->DeleteRow(1);
    EXPECT_EQ(grid->Cells(0, 1), "Kopf");
    grid->DeleteRow(0);  // fixed rows are never deleted
    EXPECT_EQ(grid->RowCount(), 2);
}

TEST_F(GridTest, InsertRowShiftsContentsAndObjectsDown) {
    fillRows(3);
    grid->SetRow(2);
    int before = 0;
    grid->BeforeInsert = [&](QObject*) { ++before; };
    grid->InsertRow(grid->Row());
    EXPECT_EQ(before, 1);
    EXPECT_EQ(grid->RowCount(), 5);
    EXPECT_EQ(column(1), (QStringList{"r1", "", "r2", "r3"}));
    EXPECT_FALSE(grid->Objects(0, 2).isValid());
    EXPECT_EQ(grid->Objects(0, 3).toInt(), 20);
}

TEST_F(GridTest, ExchangeRowsSwapsEveryCell) {
    fillRows(3);
    grid->ExchangeRows(1, 3);
    EXPECT_EQ(column(1), (QStringList{"r3", "r2", "r1"}));
    EXPECT_EQ(grid->Objects(0, 1).toInt(), 30);
    EXPECT_EQ(grid->Objects(0, 3).toInt(), 10);
}

TEST_F(GridTest, RowCountMinRaisesTheRowCount) {
    grid->SetRowCountMin(-3);
    EXPECT_EQ(grid->RowCountMin(), 0);
    grid->SetRowCountMin(9);
    EXPECT_EQ(grid->RowCount(), 9);
    grid->SetRowCountMin(2);
    EXPECT_EQ(grid->RowCount(), 9);
}

TEST_F(GridTest, DownInTheLastRowAppendsOnlyWithTheOption) {
    fillRows(2);
    grid->SetCurrentCell(1, 2);
    key(Qt::Key_Down);
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->Row(), 2);

    grid->SetDataGridOptions(dgoAppendRow);
    int before = 0;
    grid->BeforeInsert = [&](QObject*) { ++before; };
    key(Qt::Key_Down);
    EXPECT_EQ(before, 1);
    EXPECT_EQ(grid->RowCount(), 4);
    EXPECT_EQ(grid->Row(), 3);
}

TEST_F(GridTest, TabInTheLastCellAppendsARowWithTabNavigation) {
    grid->SetOptions(grid->Options() | goTabs);
    grid->SetDataGridOptions(dgoAppendRow);
    fillRows(1);
    grid->SetCurrentCell(4, 1);
    key(Qt::Key_Tab);
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Col(), 1);  // past the fixed column
}

TEST_F(GridTest, CtrlInsertAndCtrlDeleteWorkOnTheCurrentRow) {
    fillRows(3);
    grid->SetCurrentCell(1, 2);
    key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(grid->RowCount(), 4);  // option not set
    grid->SetDataGridOptions(dgoInsertRow | dgoDeleteRow);
    key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(column(1), (QStringList{"r1", "", "r2", "r3"}));
    key(Qt::Key_Delete, Qt::ControlModifier);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(column(1), (QStringList{"r1", "r3"}));
    // The same keys work while the editor is open.
    type("x");
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(column(1), (QStringList{"r1", "", "x"}));
}

TEST_F(GridTest, CursorStaysOutOfFixedCellsAndAsksTheOwner) {
    fillRows(3);
    grid->SetCurrentCell(1, 1);
    key(Qt::Key_Up);
    key(Qt::Key_Left);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->Col(), 1);
    grid->OnSelectCell = [](TkvDataGrid*, int, int ARow, bool& can) { can = ARow != 2; };
    key(Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(2, 3).center());
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(grid->Col(), 2);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(2, 0).center());
    EXPECT_EQ(grid->Row(), 3);  // a click on a title does not select it
}

TEST_F(GridTest, TypingAppendsAndLeavingTheCellCommits) {
    fillRows(2);
    grid->SetCells(1, 1, "Ab");
    int changed = 0;
    QObject* sender = nullptr;
    grid->OnUserChanged = [&](QObject* s) { ++changed; sender = s; };
    grid->SetCurrentCell(1, 1);
    key(Qt::Key_F2);
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    grid->InplaceEditor()->setCursorPosition(0);
    type("c");  // typed characters go to the end of the text
    EXPECT_EQ(grid->Cells(1, 1), "Abc");  // the cell follows every keystroke
    key(Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(changed, 1);
    EXPECT_NE(dynamic_cast<TDataGridInplaceEdit*>(sender), nullptr);
    // Typing into a cell without an editor replaces its text.
    type("neu");
    key(Qt::Key_Up);
    EXPECT_EQ(grid->Cells(1, 2), "neu");
    EXPECT_EQ(changed, 2);
}

TEST_F(GridTest, EscapeGoesBackToTheCommittedText) {
    fillRows(1);
    grid->SetCells(1, 1, "alt");
    grid->SetCurrentCell(1, 1);
    type("neu");
    EXPECT_EQ(grid->Cells(1, 1), "neu");
    key(Qt::Key_Escape);
    EXPECT_EQ(grid->Cells(1, 1), "alt");
    EXPECT_EQ(grid->InplaceEditor(), nullptr);
}

TEST_F(GridTest, CommitRulesOfNumberAndDateColumns) {
    struct Case { TColumnFormat format; QString before; QString typed; QString after; };
    const QString today = QDate::currentDate().toString("dd.MM.yyyy");
    const Case cases[] = {
        {cfNumber, "7", "1,50", "1,5"},
        {cfNumber, "7", "003", "3"},
        {cfNumber, "7", "1.5", "7"},            // not a German number: back to the old text
        {cfNumber, "7", "x", "7"},
        {cfDate, "01.01.2015", "h", today},     // heute
        {cfDate, "01.01.2015", "N", today},
        {cfDate, "01.01.2015", "d", today},
        {cfDate, "01.01.2015", "1.2.15", "01.02.2015"},
        {cfDate, "01.01.2015", "31.02.2015", "01.01.2015"},
        {cfDate, "01.01.2015", "xyz", "01.01.2015"},
        {cfString, "a", "1.5", "1.5"},
    };
    fillRows(2);
    for (const Case& c : cases) {
        grid->Columns()->GetColumn(1)->SetFormat(c.format);
        grid->SetCells(1, 1, c.before);
        grid->SetCurrentCell(1, 2);
        grid->SetCurrentCell(1, 1);
        int changed = 0;
        grid->OnUserChanged = [&](QObject*) { ++changed; };
        type(c.typed);
        key(Qt::Key_Down);
        EXPECT_EQ(grid->Cells(1, 1), c.after) << c.typed.toStdString();
        EXPECT_EQ(changed, 1) << c.typed.toStdString();
    }
}

TEST_F(GridTest, LeavingTheGridCommitsAndHidesTheEditor) {
    QWidget window;
    auto* g = new TkvDataGrid(&window);
    auto* other = new QLineEdit(&window);
    g->setGeometry(0, 0, 300, 150);
    other->setGeometry(0, 160, 100, 20);
    window.show();
    QApplication::setActiveWindow(&window);
    g->setFocus();
    g->Columns()->GetColumn(1)->SetFormat(cfNumber);
    QTest::keyClicks(g, "2");
    ASSERT_NE(g->InplaceEditor(), nullptr);
    QTest::keyClicks(QApplication::focusWidget(), ",250");
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(g->Cells(1, 1), "2,25");
    EXPECT_EQ(g->InplaceEditor(), nullptr);
}

TEST_F(GridTest, EditorStyleFollowsTheColumn) {
    struct Case { TColumnButtonStyle style; QStringList pick; bool readOnly; bool limit; int editStyle; bool editorReadOnly; };
    const Case cases[] = {
        {cbsAuto, {}, false, false, 0, false},
        {cbsAuto, {"a"}, false, false, 2, false},
        {cbsAuto, {"a"}, true, false, 0, true},   // a read-only column with a pick list edits plainly
        {cbsAuto, {"a"}, false, true, 2, true},   // LimitToList: only list entries
        {cbsEllipsis, {"a"}, false, false, 1, false},
        {cbsEllipsis, {}, false, true, 1, false},
        {cbsNone, {"a"}, false, false, 0, false},
    };
    fillRows(1);
    grid->SetCurrentCell(1, 1);
    for (const Case& c : cases) {
        TColumn* col = grid->Columns()->GetColumn(1);
        col->RestoreDefaults();
        col->SetButtonStyle(c.style);
        if (!c.pick.isEmpty()) col->SetPickList(c.pick);
        col->SetReadOnly(c.readOnly);
        col->SetLimitToList(c.limit);
        grid->ShowEditor();
        ASSERT_NE(grid->InplaceEditor(), nullptr);
        EXPECT_EQ(grid->InplaceEditor()->EditStyle(), c.editStyle);
        EXPECT_EQ(grid->InplaceEditor()->isReadOnly(), c.editorReadOnly);
        EXPECT_EQ(grid->InplaceEditor()->ActiveList() != nullptr, c.editStyle == 2);
        grid->HideEditor();
    }
}

TEST_F(GridTest, EditMaskAndMaxLengthReachTheEditor) {
    fillRows(1);
    grid->Columns()->GetColumn(1)->SetMaxLength(3);
    grid->Columns()->GetColumn(2)->SetEditMask("99");
    grid->OnGetEditMask = [](QObject*, int ACol, int, QString& mask) { if (ACol == 3) mask = "AA"; };
    grid->SetCurrentCell(1, 1);
    type("abcdef");
    EXPECT_EQ(grid->Cells(1, 1), "abc");
    EXPECT_EQ(grid->GetEditMask(2, 1), "99");
    EXPECT_EQ(grid->GetEditMask(3, 1), "AA");
    EXPECT_EQ(grid->GetEditMask(9, 1), "");
}

TEST_F(GridTest, EllipsisButtonByKeyAndMouse) {
    fillRows(1);
    grid->Columns()->GetColumn(1)->SetButtonStyle(cbsEllipsis);
    int clicks = 0;
    grid->OnEditButtonClick = [&](QObject* s) { ++clicks; EXPECT_EQ(s, grid.get()); };
    grid->SetCurrentCell(1, 1);
    key(Qt::Key_F2);
    key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(clicks, 1);
    TDataGridInplaceEdit* e = grid->InplaceEditor();
    ASSERT_NE(e, nullptr);
    QTest::mouseClick(e, Qt::LeftButton, {}, e->ButtonRect().center());
    EXPECT_EQ(clicks, 2);
    QTest::mouseClick(e, Qt::LeftButton, {}, QPoint(3, e->height() / 2));  // the text area is no button
    EXPECT_EQ(clicks, 2);
}

class DropDownTest : public GridTest {
protected:
    void SetUp() override {
        GridTest::SetUp();
        fillRows(3);
        TColumn* c = grid->Columns()->GetColumn(2);
        c->SetPickList({"1=sehr gut", "2=gut", "3=befriedigend", "4=ausreichend", "5=mangelhaft", "6=ungenügend"});
        grid->SetColWidths(2, 50);
        grid->SetCurrentCell(2, 1);
        key(Qt::Key_F2);
        editor = grid->InplaceEditor();
    }
    TDropListbox* list() const { return editor->DropList(); }
    TDataGridInplaceEdit* editor = nullptr;
};

TEST_F(DropDownTest, ChoosingFromATwoColumnListWritesTheName) {
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->EditStyle(), 2);
    key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(editor->ListVisible());
    EXPECT_TRUE(list()->isVisible());
    EXPECT_EQ(list()->ColumnCount(), 2);
    EXPECT_EQ(QApplication::focusWidget(), editor);  // the list never takes the focus
    EXPECT_EQ(list()->currentRow(), 0);  // the first entry that starts with the (empty) text
    key(Qt::Key_Down);
    EXPECT_EQ(list()->currentRow(), 1);
    key(Qt::Key_Return);
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_EQ(grid->Cells(2, 1), "2");
    EXPECT_TRUE(editor->isModified());
}

TEST_F(DropDownTest, ClickingAnEntryChoosesIt) {
    ASSERT_NE(editor, nullptr);
    QTest::mouseClick(editor, Qt::LeftButton, {}, editor->ButtonRect().center());
    ASSERT_TRUE(editor->ListVisible());
    const QRect r = list()->visualItemRect(list()->item(3));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_EQ(grid->Cells(2, 1), "4");
    // Escape closes without taking anything.
    key(Qt::Key_Down, Qt::AltModifier);
    key(Qt::Key_Down);
    key(Qt::Key_Escape);
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_EQ(grid->Cells(2, 1), "4");
}

TEST_F(DropDownTest, ListGeometryFollowsRowsWidthAndScreen) {
    ASSERT_NE(editor, nullptr);
    TColumn* c = grid->Columns()->GetColumn(2);
    c->SetDropDownRows(4);
    key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(editor->ListVisible());
    EXPECT_EQ(list()->height(), 4 * list()->ItemHeight() + 4);
    EXPECT_GT(c->DropdownWidth(), 0);  // measured on the first drop-down
    EXPECT_GE(list()->width(), c->DropdownWidth());
    EXPECT_GE(list()->width(), grid->ColWidths(2));
    EXPECT_EQ(list()->geometry().top(), editor->mapToGlobal(QPoint(0, editor->height())).y());
    const QFontMetrics fm(list()->font());
    EXPECT_EQ(list()->ColumnWidth(0), fm.horizontalAdvance("1") + 10);
    key(Qt::Key_Escape);

    // Near the bottom of the screen the list opens above the editor.
    const QRect screen = grid->screen()->availableGeometry();
    const int editorBottom = editor->mapTo(grid.get(), QPoint(0, editor->height())).y();
    grid->move(grid->x(), screen.bottom() - editorBottom - 20);
    QApplication::processEvents();
    key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(editor->ListVisible());
    EXPECT_EQ(list()->geometry().bottom() + 1, editor->mapToGlobal(QPoint(0, 0)).y());
}

TEST_F(DropDownTest, LimitToListChoosesByFirstLetterWithoutOpening) {
    grid->HideEditor();
    grid->Columns()->GetColumn(2)->SetLimitToList(true);
    key(Qt::Key_F2);
    editor = grid->InplaceEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->isReadOnly());
    type("2");
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_EQ(grid->Cells(2, 1), "2");
    type("9");  // no entry: nothing changes
    EXPECT_EQ(grid->Cells(2, 1), "2");
    int changed = 0;
    grid->OnUserChanged = [&](QObject*) { ++changed; };
    key(Qt::Key_Down);
    EXPECT_EQ(changed, 1);
}

TEST_F(DropDownTest, IncrementalSearchWithItsTimeout) {
    ASSERT_NE(editor, nullptr);
    FakeDialogs dialogs;
    qint64 now = 100000;
    auto savedClock = TDropListbox::Clock();
    TDropListbox::Clock() = [&now] { return now; };
    key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(editor->ListVisible());
    type("3");
    EXPECT_EQ(list()->currentRow(), 2);
    now += 1999;
    type("=B");  // within 2000 ms: the search goes on ("3=b", case-insensitive)
    EXPECT_EQ(list()->SearchText(), "3=B");
    EXPECT_EQ(list()->currentRow(), 2);
    now += 2001;
    type("5");  // after the pause a new search starts
    EXPECT_EQ(list()->SearchText(), "5");
    EXPECT_EQ(list()->currentRow(), 4);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    type("x");
    EXPECT_EQ(dialogs.lastText(), "Einen Eintrag, der mit \"5x\" beginnt, gibt es nicht");
    EXPECT_EQ(list()->currentRow(), 4);
    key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(2, 1), "5");
    TDropListbox::Clock() = savedClock;
}

TEST(DropListbox, ItemsAndSelectedValue) {
    QWidget host;
    TDropListbox list(&host);
    EXPECT_EQ(list.SetItems(nullptr), 0);
    const QStringList one{"Mathematik", "Deutsch"};
    const QFontMetrics fm(list.font());
    EXPECT_EQ(list.SetItems(&one), fm.horizontalAdvance("Mathematik") + 10);
    EXPECT_EQ(list.ColumnCount(), 1);
    EXPECT_EQ(list.SelectedValue(), "");
    list.setCurrentRow(1);
    EXPECT_EQ(list.SelectedValue(), "Deutsch");
    const QStringList two{"E=Englisch", "LAT=Latein"};
    const int needed = list.SetItems(&two);
    EXPECT_EQ(list.ColumnCount(), 2);
    EXPECT_EQ(needed, fm.horizontalAdvance("LAT=Latein") + 10);
    EXPECT_EQ(list.ColumnWidth(0), fm.horizontalAdvance("LAT") + 10);
    EXPECT_EQ(list.ColumnWidth(1), needed - list.ColumnWidth(0));
    list.setCurrentRow(1);
    EXPECT_EQ(list.SelectedValue(), "LAT");
    list.SetColumnLineWidh(0);
    EXPECT_EQ(list.ColumnLineWidh(), 1);
}

TEST_F(GridTest, RightClickOpensTheColumnsMenuOnly) {
    fillRows(2);
    QMenu menu;
    menu.addAction("Eintrag");
    grid->Columns()->GetColumn(2)->SetPopupMenu(&menu);
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, grid->CellRect(1, 1).center());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, grid->CellRect(2, 2).center());
    EXPECT_EQ(QApplication::activePopupWidget(), &menu);
    EXPECT_EQ(menu.property("PopupComponent").value<QObject*>(), grid.get());
    EXPECT_EQ(grid->Row(), 1);  // the right button does not move the cursor
    menu.close();
}

TEST_F(GridTest, TypedValueAccessors) {
    struct Case { QString text; int intValue; double numValue; };
    const Case cases[] = {
        {"42", 42, 42}, {" -7", -7, -7}, {"1,5", 0, 1.5}, {"abc", 0, 0}, {"", 0, 0}, {"1e3", 0, 1000},
    };
    for (const Case& c : cases) {
        grid->SetCells(1, 1, c.text);
        EXPECT_EQ(grid->GetIntValue(1, 1), c.intValue) << c.text.toStdString();
        EXPECT_DOUBLE_EQ(grid->GetNumValue(1, 1), c.numValue) << c.text.toStdString();
    }
    grid->SetIntValue(1, 1, -12);
    EXPECT_EQ(grid->Cells(1, 1), "-12");
    grid->SetNumValue(1, 1, 0.1 + 0.2);
    EXPECT_EQ(grid->Cells(1, 1), "0,3");
    grid->SetNumValue(1, 1, 2.5);
    EXPECT_EQ(grid->Cells(1, 1), "2,5");
    EXPECT_EQ(grid->Version(), "2.0");
    grid->SetVersion("3.0");
    EXPECT_EQ(grid->Version(), "2.0");
    grid->SetSelectedIndex(3);
    EXPECT_EQ(grid->SelectedIndex(), 3);
}

TEST_F(GridTest, DisplayMasksFormatOnlyReadableTexts) {
    TColumn* num = grid->Columns()->GetColumn(1);
    num->SetFormat(cfNumber);
    num->SetDisplayMask("#,##0.00");
    TColumn* date = grid->Columns()->GetColumn(2);
    date->SetFormat(cfDate);
    date->SetDisplayMask("dddd, d. mmmm yyyy");
    struct Case { int col; QString text; QString shown; };
    const Case cases[] = {
        {1, "1234,5", "1.234,50"}, {1, "-0,004", "0,00"}, {1, "abc", "abc"},
        {2, "01.02.2015", "Sonntag, 1. Februar 2015"}, {2, "31.02.2015", "31.02.2015"},
    };
    for (const Case& c : cases) EXPECT_EQ(grid->DisplayText(c.col, 1, c.text), c.shown) << c.text.toStdString();
    date->SetFormat(cfString);
    EXPECT_EQ(grid->DisplayText(2, 1, "01.02.2015"), "01.02.2015");
}

TEST(GridConversions, NumbersAndDates) {
    using namespace gridconv;
    EXPECT_EQ(FormatFloat("0.0;(0.0);'null'", -2.25), "(2,3)");
    EXPECT_EQ(FormatFloat("0.0;(0.0);'null'", 0), "null");
    EXPECT_EQ(FormatFloat("000", 7), "007");
    EXPECT_EQ(FormatFloat("#.##", 0.5), ",5");
    EXPECT_EQ(FormatFloat("0.## 'EUR'", 3), "3 EUR");
    EXPECT_EQ(FloatToStr(1e20), "1E20");
    EXPECT_EQ(FloatToStr(-0.000001), "-1E-6");
    const QDateTime dt(QDate(2015, 3, 4), QTime(9, 5, 7));
    EXPECT_EQ(FormatDateTime("dd/mm/yy hh:mm:ss", dt), "04.03.15 09:05:07");
    EXPECT_EQ(FormatDateTime("d.m.yyyy h:n 'Uhr'", dt), "4.3.2015 9:5 Uhr");
    QDate d;
    ASSERT_TRUE(TryStrToDate("4.3.", d));
    EXPECT_EQ(d, QDate(QDate::currentDate().year(), 3, 4));
    ASSERT_TRUE(TryStrToDate("4.3.15", d));
    EXPECT_EQ(d.year(), 2015);
    for (const char* bad : {"", "4", "4..2015", "32.1.2015", "4.13.2015", "a.3.2015", "4.3.2015x"})
        EXPECT_FALSE(TryStrToDate(bad, d)) << bad;
    int i = 0;
    EXPECT_TRUE(TryStrToInt("  +12", i));
    EXPECT_FALSE(TryStrToInt("12 ", i));
    EXPECT_FALSE(TryStrToInt("3000000000", i));
}

// Screenshots a user would see; written beside the test binary to be looked at.
QString shotPath(const QString& name) {
    QDir().mkpath("screenshots");
    return QDir::current().absoluteFilePath("screenshots/" + name);
}

TEST_F(GridTest, ScreenshotsOfTheDropDownAndTheEllipsisEditor) {
    grid->resize(560, 250);
    grid->SetColCount(5);
    grid->SetRowCount(7);
    grid->SetColWidths(0, 130);
    grid->SetColWidths(3, 120);
    grid->SetColWidths(4, 90);
    const char* titles[] = {"Schüler", "Note", "Kursart", "Bemerkung", "Datum"};
    for (int c = 0; c < 5; ++c) grid->Columns()->GetColumn(c)->Title()->SetCaption(titles[c]);
    const char* names[] = {"Albers, Jana", "Brandt, Leon", "Çelik, Emre", "Dietrich, Mia", "Engel, Paul", "Fuchs, Lea"};
    const char* grades[] = {"2", "3", "1", "4", "2", "5"};
    for (int r = 1; r <= 6; ++r) {
        grid->SetCells(0, r, names[r - 1]);
        grid->SetCells(1, r, grades[r - 1]);
        grid->SetCells(2, r, r % 2 ? "G" : "E");
        grid->SetCells(3, r, r == 2 ? "Attest liegt vor" : "");
        grid->SetCells(4, r, QStringLiteral("0%1.02.2015").arg(r));
    }
    TColumn* note = grid->Columns()->GetColumn(1);
    note->SetAlignment(taCenter);
    note->SetColor(QColor("#fff8dc"));
    note->SetPickList({"1=sehr gut", "2=gut", "3=befriedigend", "4=ausreichend", "5=mangelhaft", "6=ungenügend"});
    TColumn* bem = grid->Columns()->GetColumn(3);
    bem->SetButtonStyle(cbsEllipsis);
    grid->Columns()->GetColumn(4)->SetAlignment(taRightJustify);

    grid->SetCurrentCell(1, 2);
    key(Qt::Key_F2);
    key(Qt::Key_Down, Qt::AltModifier);
    TDataGridInplaceEdit* e = grid->InplaceEditor();
    ASSERT_NE(e, nullptr);
    ASSERT_TRUE(e->ListVisible());
    QPixmap shot = grid->grab();
    {
        QPainter p(&shot);
        TDropListbox* l = e->DropList();
        p.drawPixmap(l->geometry().topLeft() - grid->mapToGlobal(QPoint(0, 0)), l->grab());
    }
    ASSERT_TRUE(shot.save(shotPath("grid_dropdown.png")));
    key(Qt::Key_Escape);

    grid->SetCurrentCell(3, 2);
    key(Qt::Key_F2);
    ASSERT_EQ(grid->InplaceEditor()->EditStyle(), 1);
    ASSERT_TRUE(grid->grab().save(shotPath("grid_ellipsis.png")));
}

}  // namespace

namespace {

TEST_F(GridTest, FixedCellsStayInPlaceWhileTheRestScrolls) {
    grid->resize(400, 200);
    grid->SetColCount(30);
    grid->SetRowCount(40);
    grid->SetColWidths(0, 110);
    for (int r = 1; r < 40; ++r) grid->SetCells(0, r, QStringLiteral("Schüler %1").arg(r));
    for (int c = 1; c < 30; ++c) grid->Columns()->GetColumn(c)->Title()->SetCaption(QStringLiteral("F%1").arg(c));
    for (int r = 1; r < 40; ++r)
        for (int c = 1; c < 30; ++c) grid->SetCells(c, r, QStringLiteral("%1/%2").arg(c).arg(r));
    grid->SetCurrentCell(1, 1);
    key(Qt::Key_End, Qt::ControlModifier);  // to the last cell
    EXPECT_EQ(grid->Col(), 29);
    EXPECT_EQ(grid->Row(), 39);
    ASSERT_GT(grid->horizontalScrollBar()->value(), 0);
    ASSERT_GT(grid->verticalScrollBar()->value(), 0);
    EXPECT_EQ(grid->CellRect(0, 39).left(), 0);
    EXPECT_EQ(grid->CellRect(29, 0).top(), 0);
    int c = -1, r = -1;
    grid->MouseToCell(5, 5, c, r);
    EXPECT_EQ(c, 0);
    EXPECT_EQ(r, 0);
    const QRect last = grid->CellRect(29, 39);
    grid->MouseToCell(last.center().x(), last.center().y(), c, r);
    EXPECT_EQ(c, 29);
    EXPECT_EQ(r, 39);
    const QPixmap shot = grid->grab();
    shot.save(QDir::current().absoluteFilePath("screenshots/grid_scrolled.png"));
    // Back home: the first data cell is shown beside and below the fixed cells, not under them.
    key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_GE(grid->CellRect(1, 1).left(), grid->ColWidths(0));
    EXPECT_GE(grid->CellRect(1, 1).top(), grid->RowHeights(0));
    // Going left from a data cell partly under the fixed column scrolls it out.
    grid->horizontalScrollBar()->setValue(30);
    grid->SetCurrentCell(2, 1);
    key(Qt::Key_Left);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_GE(grid->CellRect(1, 1).left(), grid->ColWidths(0));
}

}  // namespace

namespace {

TEST_F(GridTest, EnterOpensAndClosesTheEditorOrTogglesTheSelection) {
    fillRows(2);
    grid->Columns()->GetColumn(1)->SetFormat(cfNumber);
    grid->SetCurrentCell(1, 1);
    key(Qt::Key_Return);
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    type("2,50");
    key(Qt::Key_Return);
    EXPECT_EQ(grid->InplaceEditor(), nullptr);
    EXPECT_EQ(grid->Cells(1, 1), "2,5");  // closing commits

    grid->SetOptions(grid->Options() | goAlwaysShowEditor);
    grid->SetCurrentCell(1, 2);
    QApplication::processEvents();
    TDataGridInplaceEdit* e = grid->InplaceEditor();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Row(), 2);
    type("abc");
    key(Qt::Key_Return);
    EXPECT_EQ(e->selectedText(), "abc");
    key(Qt::Key_Return);
    EXPECT_EQ(e->selectedText(), "");
    EXPECT_EQ(e->cursorPosition(), 3);
    key(Qt::Key_Up);  // the editor follows the cursor
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    EXPECT_EQ(grid->InplaceEditor()->Row(), 1);
}

TEST(DropListbox, OwnerColoursEachColumnAndKeepsTheFirstColumnsText) {
    QWidget host;
    TDropListbox list(&host);
    const QStringList entries{"1=sehr gut"};
    list.resize(200, 40);
    list.SetItems(&entries);
    list.OnNewcolor = [](int, int column) { return column == 1 ? QColor(Qt::red) : QColor(Qt::white); };
    list.SetColumnLineColor(Qt::blue);
    list.SetColumnLineWidh(2);
    QImage img(200, 20, QImage::Format_RGB32);
    img.fill(Qt::black);
    {
        QPainter p(&img);
        list.DrawItem(&p, 0, QRect(0, 0, 200, 20), false);
    }
    const int w0 = list.ColumnWidth(0);
    EXPECT_EQ(img.pixelColor(w0 + 30, 1), QColor(Qt::red));     // second column in its colour
    EXPECT_EQ(img.pixelColor(w0 - 2, 10), QColor(Qt::blue));    // the column line
    EXPECT_EQ(img.pixelColor(w0 - 4, 10), QColor(Qt::white));   // the first column stays white
    bool ink = false;  // and the "1" is still drawn in it
    for (int x = 0; x < w0 - 4; ++x)
        for (int y = 0; y < 20; ++y) ink |= img.pixelColor(x, y) != QColor(Qt::white);
    EXPECT_TRUE(ink);
}

TEST_F(GridTest, BackgroundPictureIsTiledFromTheTopLeftCorner) {
    grid->SetRowCount(3);
    grid->SetColCount(2);
    QPixmap tile(4, 4);
    tile.fill(Qt::green);
    {
        QPainter p(&tile);
        p.fillRect(0, 0, 2, 2, Qt::magenta);
    }
    grid->SetBGImage(tile);
    ASSERT_TRUE(grid->BGImageActive());
    const QImage img = grid->viewport()->grab().toImage();
    // Beyond the last column and below the last row, anchored at (0, 0).
    for (const QPoint pt : {QPoint(300, 8), QPoint(301, 9), QPoint(302, 10), QPoint(40, 200), QPoint(42, 200)}) {
        const bool magenta = (pt.x() % 4) < 2 && (pt.y() % 4) < 2;
        EXPECT_EQ(img.pixelColor(pt), magenta ? QColor(Qt::magenta) : QColor(Qt::green)) << pt.x() << "," << pt.y();
    }
    // Behind a data cell's text as well.
    const QPoint inCell = grid->CellRect(1, 2).bottomRight() - QPoint(1, 1);
    const bool magenta = (inCell.x() % 4) < 2 && (inCell.y() % 4) < 2;
    EXPECT_EQ(img.pixelColor(inCell), magenta ? QColor(Qt::magenta) : QColor(Qt::green));
}

}  // namespace

namespace {

TEST_F(GridTest, DraggingTheMouseDoesNotMoveTheCursorPastTheOwner) {
    fillRows(3);
    grid->SetCurrentCell(1, 1);
    int asked = 0;
    grid->OnSelectCell = [&](TkvDataGrid*, int, int, bool& can) { ++asked; can = false; };
    const QPoint from = grid->CellRect(1, 1).center(), to = grid->CellRect(1, 3).center();
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, to, grid->viewport()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &move);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, to);
    EXPECT_EQ(grid->Row(), 1);
    // Typed text without editing does not search the cells either.
    grid->OnSelectCell = nullptr;
    grid->SetOptions(grid->Options() & ~goEditing);
    type("r3");
    EXPECT_EQ(grid->Row(), 1);
}

}  // namespace

namespace {

TEST_F(GridTest, AFailingOwnerHandlerShowsItsMessageAndEndsTheAction) {
    FakeDialogs dialogs;
    fillRows(3);
    grid->SetCurrentCell(1, 1);
    grid->OnSelectCell = [](TkvDataGrid*, int, int, bool&) { throw EConvertError("Unzulässige Note!"); };
    key(Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(dialogs.lastText(), "Unzulässige Note!");
    grid->OnSelectCell = nullptr;
    grid->SetDataGridOptions(dgoAppendRow);
    grid->SetCurrentCell(1, 3);
    grid->BeforeInsert = [](QObject*) { throw EAbort("still"); };
    key(Qt::Key_Down);
    EXPECT_EQ(grid->RowCount(), 4);
    EXPECT_EQ(dialogs.shown.size(), 1);
}

}  // namespace
