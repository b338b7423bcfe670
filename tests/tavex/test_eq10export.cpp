// The export run without a window: whole output files for the selections that
// matter, the refusals, and what a failing run leaves behind.
#include "DebugViewServer.h"
#include "EQ10Export.h"
#include "Eq10Fixture.h"
#include "Exceptions.h"
#include "FormatSettings.h"
#include "KvUtils.h"
#include "Registry.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace testing_support;
using namespace eq10_testing;

namespace {
const QString kHeader = QString::fromLatin1(kEQ10HeaderLine);
const QString kVersion = QStringLiteral("Erzeugt mit Version 1.1.1.6");

// The record lines of the demo school 100, Aktiv, 2023/24.2, grade level 10.
const QStringList kSchool100 = {
    "100;10a;10;R02;1;m;;;APO-SI/10A;D;2;2;;2;E;;;HSA",
    "100;10a;10;R02;1;m;;;APO-SI/10A;E;3;3;2;3;G;;;HSA",
    "100;10a;10;R02;1;m;;;APO-SI/10A;F;3;;3;3;;;J;HSA",
    "100;10a;10;R02;2;w;LE;;APO-SI/10B;D;2;3;;3;E;;;HSB",
    "100;10a;10;R02;2;w;LE;;APO-SI/10B;M;4;4;3;4;G;;;HSB",
    "100;10a;10;R02;2;w;LE;;APO-SI/10B;BI;1;;;1;;J;;HSB",
    QString::fromUtf8("100;10b;10;H02;1;m;;;apo-si/10a;E;;3;;3;E;;;"),
    "100;10b;10;H02;2;;ES;LE;APO-SI/10A/10B;M;5;5;4;5;G;;;HSA",
};

QStringList with(const QString& first, const QStringList& records) { return QStringList{first, kHeader} + records; }

class Eq10ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = PrepareEq10Case("out_", db);
        file = ExportFileName(dir);
    }
    void TearDown() override {
        freshRegistry();
        ReloadFormatSettings();
    }

    static TEQ10Selection selection(const QString& grades = "10", int status = kStatusAktiv, int year = 2023,
                                    int section = 2) {
        TEQ10Selection s;
        s.Status = status;
        s.Schuljahr = year;
        s.Abschnitt = section;
        s.Jahrgang = JahrgangText(grades);
        s.Schulform = "10";
        return s;
    }

    QString dir, db, file;
};

TEST_F(Eq10ExportTest, WritesVersionHeaderAndOneLinePerPupilAndSubject) {
    TEQ10Export exp(db, 100);
    EXPECT_EQ(exp.WriteExportFile(file, selection()), 8);
    EXPECT_EQ(readFile(file), AnsiLines(with(kVersion, kSchool100)));
}

TEST_F(Eq10ExportTest, DiagnosticVariantAddsTrimmedNamesButKeepsTheHeader) {
    TEQ10Export exp(db, 100);
    TEQ10Selection sel = selection();
    sel.Debug = true;
    EXPECT_EQ(exp.WriteExportFile(file, sel), 8);
    const QStringList names = {"Adler;Ben", "Adler;Ben", "Adler;Ben", "Becker;Anna", "Becker;Anna",
                               "Becker;Anna", QString::fromUtf8("Müller;Jürgen"), "Yilmaz;Cem"};
    QStringList records;
    for (int i = 0; i < kSchool100.size(); ++i) records << kSchool100[i] + ";" + names[i];
    EXPECT_EQ(readFile(file), AnsiLines(with("Tavex, Diagnoseausgabe", records)));
}

TEST_F(Eq10ExportTest, ListSeparatorOfTheUserSeparatesRecordsButNotTheHeader) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Control Panel\\International", true));
    reg.WriteString("sList", ",");
    ReloadFormatSettings();
    TEQ10Export exp(db, 100);
    exp.WriteExportFile(file, selection());
    QStringList records;
    for (QString r : kSchool100) records << r.replace(';', ',');
    EXPECT_EQ(readFile(file), AnsiLines(with(kVersion, records)));
}

TEST_F(Eq10ExportTest, SelectionsChooseTheRows) {
    struct Case {
        const char* name;
        int schulnr;
        TEQ10Selection sel;
        QStringList records;
    };
    TEQ10Selection formR = selection();
    formR.Schulform = "25";
    const QStringList none;
    const QString finn = "100;EF;EF;G01;1;m;;;APO-GOSt;D;3;3;;3;GK;;;";
    const Case cases[] = {
        {"two grade levels", 100, selection("10,EF"), kSchool100 + QStringList{finn}},
        {"left school", 100, selection("10", kStatusAbgaenger), {"100;10a;10;R02;1;m;;;APO-SI;D;2;2;;2;E;;;"}},
        {"graduates", 100, selection("10", kStatusAbschluesse), none},
        {"form 25 keeps R02 pupils", 100, formR, kSchool100.mid(0, 6)},
        {"first section", 100, selection("10", kStatusAktiv, 2023, 1), {"100;10a;10;R02;1;w;LE;;APO-SI/10B;D;2;3;;3;E;;;HSB"}},
        {"empty year", 100, selection("10", kStatusAktiv, 2022, 2), none},
        {"other school", 200, selection(), {"200;10a;10;R02;1;w;GG;;APO-SI/10B;PH;2;2;;2;;J;;HSB"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TEQ10Export exp(db, c.schulnr);
        EXPECT_EQ(exp.WriteExportFile(file, c.sel), c.records.size());
        EXPECT_EQ(readFile(file), AnsiLines(with(kVersion, c.records)));
    }
}

// Without a school number nothing is restricted: the look-ups of focuses and
// subjects find the other school's rows too, and field 1 is the school's number.
TEST_F(Eq10ExportTest, WithoutSchoolNumberNothingIsRestricted) {
    TEQ10Export exp(db, 0);
    EXPECT_EQ(exp.WriteExportFile(file, selection()), 9);
    QStringList records;
    for (QString r : kSchool100) records << r.replace(0, 3, "165432");
    records.insert(6, "165432;10a;10;R02;3;w;GG;;APO-SI/10B;PH;2;2;;2;;J;;HSB");
    EXPECT_EQ(readFile(file), AnsiLines(with(kVersion, records)));
}

TEST_F(Eq10ExportTest, ProgressRunsOverTheRecordsAndBackToZero) {
    TEQ10Export exp(db, 100);
    QList<QPair<int, int>> calls;
    exp.WriteExportFile(file, selection(), [&](int pos, int max) { calls.append({pos, max}); });
    QList<QPair<int, int>> expected{{0, 8}};
    for (int i = 1; i <= 8; ++i) expected.append({i, 8});
    expected.append({0, 8});
    EXPECT_EQ(calls, expected);
}

TEST_F(Eq10ExportTest, FailingOrRefusedRunLeavesTheEarlierFileUntouched) {
    writeFile(file, "vorige Datei\r\n");
    TEQ10Export exp(db, 100);
    TEQ10Selection unknownStatus = selection();
    unknownStatus.Status = kStatusUnknown;
    EXPECT_THROW(exp.WriteExportFile(file, selection("")), EConvertError);
    EXPECT_THROW(exp.WriteExportFile(file, unknownStatus), EConvertError);
    EXPECT_EQ(readFile(file), QByteArray("vorige Datei\r\n"));

    // The language-sequence look-up fails after the first lines were written.
    Exec(db, {"DROP TABLE SchuelerSprachenfolge"});
    EXPECT_THROW(exp.WriteExportFile(file, selection()), EDatabaseError);
    EXPECT_EQ(readFile(file), QByteArray("vorige Datei\r\n"));
    EXPECT_EQ(QDir(dir).entryList({"EQ10Export*"}, QDir::Files | QDir::Hidden), QStringList{"EQ10Export.txt"});

    // The queries were closed: the next run works again.
    Exec(db, {"CREATE TABLE SchuelerSprachenfolge (Schueler_ID INTEGER, Fach_ID INTEGER, Reihenfolge VARCHAR(2))"});
    EXPECT_EQ(exp.WriteExportFile(file, selection()), 8);
}

TEST_F(Eq10ExportTest, StatementTraceReachesTheViewerOncePerRun) {
    qputenv("VELTRA_DEBUGVIEW_NAME", QFile::encodeName(tempDir() + "/trace-viewer"));
    TDebugViewServer server;
    ASSERT_TRUE(server.Listen(nullptr));
    QStringList received;
    QObject::connect(&server, &TDebugViewServer::MessageReceived,
                     [&](const TDebugMessage& m) { received << m.Text; });
    TEQ10Export exp(db, 100);
    TEQ10Selection sel = selection("10,EF", kStatusAbgaenger);
    exp.WriteExportFile(file, sel);
    QDeadlineTimer deadline(5000);
    while (received.isEmpty() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received[0], exp.MainStatement(sel));
    EXPECT_TRUE(received[0].contains(
        "WHERE S.SchulnrEigner=100 AND S.Status=9 AND S.Geloescht<>'+' AND S.ASDJahrgang in ('10','EF') AND "
        "S.ID = LA.Schueler_ID AND LA.Jahr = 2023 AND LA.Abschnitt = 2 AND"));
}

TEST(Eq10Texts, SchoolYearSectionsAndLevels) {
    EXPECT_EQ(SchuljahrText(2023, 2), "2023/24.2");
    EXPECT_EQ(SchuljahrText(1999, 1), "1999/00.1");
    EXPECT_EQ(SchuljahrText(2008, 3), "2008/09.3");
    struct Split {
        const char* text;
        int year, section;
    };
    for (const Split& s : {Split{"2023/24.2", 2023, 2}, Split{"2023/24", 2023, 4}, Split{"2023/24.x", 2023, 1},
                           Split{"2023", 2023, 3}}) {
        int y = 0, a = 0;
        SplitSchuljahr(s.text, y, a);
        EXPECT_EQ(QPair(y, a), QPair(s.year, s.section)) << s.text;
    }
    for (const char* bad : {"", "23/24.2", "abcd/ef.1"}) {
        int y = 0, a = 0;
        EXPECT_THROW(SplitSchuljahr(bad, y, a), EConvertError) << bad;
    }
    EXPECT_EQ(JahrgangText("10,EF"), "'10','EF'");
    EXPECT_EQ(JahrgangText("O'1"), "'O''1'");
    EXPECT_EQ(JahrgangText(""), "");
    EXPECT_EQ(StatusCode("Aktiv"), 2);
    EXPECT_EQ(StatusCode(QString::fromUtf8("Abgänger")), 9);
    EXPECT_EQ(StatusCode(QString::fromUtf8("Abschlüsse")), 8);
    EXPECT_EQ(StatusCode("aktiv"), kStatusUnknown);
    EXPECT_EQ(GeschlechtText(3), "m");
    EXPECT_EQ(GeschlechtText(4), "w");
    EXPECT_EQ(GeschlechtText(0), "");
}
}  // namespace
