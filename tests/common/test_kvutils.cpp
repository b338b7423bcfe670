#include "Dialogs.h"
#include "Exceptions.h"
#include "FormatSettings.h"
#include "KvUtils.h"
#include "Registry.h"
#include "TestSupport.h"

#include <QApplication>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace testing_support;

class KvUtilsTest : public ::testing::Test {
protected:
    void SetUp() override {
        freshRegistry();
        InitKvUtils(TKvUtilsFlavor::Classic);
    }
    void TearDown() override { FinalizeKvUtils(); }
};

TEST_F(KvUtilsTest, GradeScaleConversions) {
    struct Case {
        const char* grade;
        const char* points;
    };
    const Case toPoints[] = {{"1+", "15"}, {"1", "14"}, {"2", "11"}, {"4", "5"}, {"4-", "4"}, {"6", "0"},
                             {"E1", "E1"}, {"e1", ""}, {" ", " "}, {"7", ""},  {"", ""}};
    for (const Case& c : toPoints) EXPECT_EQ(GradeToPoints(c.grade), c.points) << c.grade;
    const Case toGrade[] = {{"1+", "15"}, {"6", "0"}, {"E1", "e1"}, {" ", " "}, {"", "16"}, {"3-", "7"}};
    for (const Case& c : toGrade) EXPECT_EQ(PointsToGrade(c.points), c.grade) << c.points;
    EXPECT_EQ(PointsTable->Count(), 26);
}

TEST_F(KvUtilsTest, DeficitGrades) {
    for (const char* g : {"4-", "5+", "5", "5-", "6"}) EXPECT_TRUE(IsDeficitGrade(g)) << g;
    for (const char* g : {"4", "4+", "1", "NT", "", " ", "E1", "x"}) EXPECT_FALSE(IsDeficitGrade(g)) << g;
    EXPECT_TRUE(IsEven(-4));
    EXPECT_FALSE(IsEven(-3));
}

TEST_F(KvUtilsTest, SchoolYearTexts) {
    EXPECT_EQ(SchoolYearText(2015, 1), "2015/16.1");
    EXPECT_EQ(SchoolYearText(2009, 0), "2009/10");
    EXPECT_EQ(SchoolYearText(1999, 2), "1999/00.2");
    EXPECT_EQ(SchoolYearText(1999, 0), "1999/00");
    struct Case {
        const char* text;
        int year, section;
    };
    const Case cases[] = {{"2015/16.1", 2015, 1}, {"2015/16.12", 2015, 1}, {"2009/10", 2009, 0}, {"2009/10.x", 2009, 0}};
    for (const Case& c : cases) {
        int y = -1, s = -1;
        ParseSchoolYearText(c.text, y, s);
        EXPECT_EQ(y, c.year) << c.text;
        EXPECT_EQ(s, c.section) << c.text;
    }
    int y, s;
    EXPECT_THROW(ParseSchoolYearText("2015", y, s), EConvertError);
    EXPECT_THROW(ParseSchoolYearText("ab/cd.1", y, s), EConvertError);
}

TEST_F(KvUtilsTest, CurrentSchoolYearByMonth) {
    struct Case {
        int month, year, section;
    };
    const Case cases[] = {{1, 2025, 1}, {2, 2025, 1}, {3, 2025, 2}, {7, 2025, 2}, {8, 2026, 1}, {12, 2026, 1}};
    for (const Case& c : cases) {
        int y, s;
        CurrentSchoolYear(y, s, QDate(2026, c.month, 15));
        EXPECT_EQ(y, c.year) << c.month;
        EXPECT_EQ(s, c.section) << c.month;
    }
}

TEST_F(KvUtilsTest, ConfirmDlgShowsTheArrowAndRestoresTheCursor) {
    struct CursorSpy : FakeDialogs {
        Qt::CursorShape seen = Qt::BlankCursor;
        int MessageDlg(const QString& m, TMsgDlgType t, TMsgDlgButtons b, const QString& c, TDlgPosition p) override {
            seen = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::BlankCursor;
            return FakeDialogs::MessageDlg(m, t, b, c, p);
        }
    } spy;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    spy.answer(mrYes);
    EXPECT_TRUE(ConfirmDlg("Wirklich?"));
    EXPECT_EQ(spy.seen, Qt::ArrowCursor);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    // A box that raises still restores the cursor.
    EXPECT_THROW(ConfirmDlg("Ohne Antwort"), std::logic_error);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    spy.answer(mrNo);
    EXPECT_FALSE(ConfirmDlg("Nein?"));
    ErrorDlg("Fehler!");
    EXPECT_EQ(spy.shown.last().type, TMsgDlgType::mtError);
    EXPECT_EQ(spy.shown.first().type, TMsgDlgType::mtConfirmation);

    // The export library leaves the cursor alone.
    InitKvUtils(TKvUtilsFlavor::Tavex);
    spy.answer(mrYes);
    EXPECT_TRUE(ConfirmDlg("Tavex?"));
    EXPECT_EQ(spy.seen, Qt::WaitCursor);
    QApplication::restoreOverrideCursor();
}

TEST_F(KvUtilsTest, GridToCsvQuotesLikeDelimitedText) {
    QTableWidget grid(3, 3);
    const char* cells[3][3] = {{"Name", "Note", "Bemerkung"}, {"Anna", "1+", "sagt \"hallo\""}, {"B, C", "", "a b"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) grid.setItem(r, c, new QTableWidgetItem(QString::fromUtf8(cells[r][c])));
    grid.item(1, 0)->setText(QString::fromUtf8("Jürgen"));
    const QString path = tempDir() + "/grid.csv";
    SaveGridToCsv(grid, path);
    EXPECT_EQ(readFile(path), QByteArray("Name,Note,Bemerkung\r\nJ\xFCrgen,1+,\"sagt \"\"hallo\"\"\"\r\n\"B, C\",,\"a b\"\r\n"));
    EXPECT_THROW(SaveGridToCsv(grid, tempDir() + "/fehlt/grid.csv"), EInOutError);
}

TEST_F(KvUtilsTest, ColumnWidthsInTheRegistry) {
    QCoreApplication::setApplicationName("Veltra");
    QTableWidget grid(1, 3);
    grid.setColumnWidth(0, 64);
    grid.setColumnWidth(1, 120);
    grid.setColumnWidth(2, 40);
    SaveColWidths(grid, "Spalten", "Konferenz");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Veltra\\Spalten"));
    EXPECT_EQ(reg.ReadString("Konferenz"), "3;64;120;40");

    QTableWidget two(1, 2);
    LoadColWidths(two, "Spalten", "Konferenz");  // stored count larger: only existing columns
    EXPECT_EQ(two.columnWidth(0), 64);
    EXPECT_EQ(two.columnWidth(1), 120);

    // A key naming "Software" is taken as it is.
    SaveColWidths(two, "Software\\Eigen", "W");
    EXPECT_TRUE(reg.KeyExists("\\Software\\Eigen"));
    QTableWidget untouched(1, 2);
    const int before = untouched.columnWidth(0);
    LoadColWidths(untouched, "Software\\GibtEsNicht", "W");
    EXPECT_EQ(untouched.columnWidth(0), before);
    EXPECT_FALSE(reg.KeyExists("\\Software\\GibtEsNicht"));

    ASSERT_TRUE(reg.OpenKey("\\Software\\Veltra\\Spalten", false));
    reg.WriteString("Kaputt", "2;x;5");
    reg.WriteInteger("Zahl", 5);
    EXPECT_THROW(LoadColWidths(two, "Spalten", "Kaputt"), EConvertError);
    EXPECT_NO_THROW(LoadColWidths(two, "Spalten", "Zahl"));  // registry errors are swallowed
}

TEST_F(KvUtilsTest, SafeFileNamesAndUnixSeconds) {
    EXPECT_EQ(SafeFileName("5a/b c"), "5a_b_c");
    EXPECT_EQ(SafeFileName("a\\b:c*d?e\"f<g>h|i,j"), "a_b_c_d_e_f_g_h_i_j");
    EXPECT_EQ(UnixSecondsToDateTime(0), QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC));
    EXPECT_EQ(UnixSecondsToDateTime(86400 + 61), QDateTime(QDate(1970, 1, 2), QTime(0, 1, 1), Qt::UTC));
    EXPECT_EQ(UnixSecondsToDateTime(0xFFFFFFFFu).date(), QDate(2106, 2, 7));
}

TEST_F(KvUtilsTest, ListSeparatorIsReadAndDefaultWrittenBack) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Control Panel\\International"));
    EXPECT_EQ(reg.ReadString("sList"), ";");
    EXPECT_EQ(ListSeparatorChar, QChar(';'));
    ASSERT_TRUE(reg.OpenKey("\\Control Panel\\International", false));
    reg.WriteString("sList", ",x");
    ReadListSeparator();
    EXPECT_EQ(ListSeparatorChar, QChar(','));
}

TEST_F(KvUtilsTest, TavexStartUpHasNoPointsTableAndItsOwnBooleanTexts) {
    InitKvUtils(TKvUtilsFlavor::Tavex);
    EXPECT_EQ(PointsTable, nullptr);
    EXPECT_EQ(GradeToPoints("1"), "");
    EXPECT_EQ(TrueBoolStrs(), QStringList({"True", "ja", "Wahr", "+"}));
    EXPECT_EQ(FalseBoolStrs(), QStringList({"False", "nein", "Falsch", "-"}));
    EXPECT_EQ(ListSeparatorChar, FormatSettings().ListSeparator);
    InitKvUtils(TKvUtilsFlavor::Classic);
    EXPECT_EQ(GradeToPoints("1"), "14");
}
