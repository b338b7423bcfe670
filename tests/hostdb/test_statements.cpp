// The statement texts the plug-ins send, with their parameters filled, run
// unchanged against the demo school on each engine.
#include "Database.h"
#include "DbTestSupport.h"
#include "DemoSchool.h"
#include "HostSchema.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr int S = DemoSchulnr;

class StatementTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!db_testing::unavailableReason().isEmpty()) return;
        hostConn = db_testing::freshDatabase();
        internConn = db_testing::freshDatabase();
        TADOConnection host(hostConn), intern(internConn);
        CreateSchema(host);
        FillDemoSchool(host, TDemoOptions{3, 45});
        CreateSchema(intern, TSchemaKind::Intern);
        FillDemoIntern(intern);
    }

    void SetUp() override {
        VELTRA_REQUIRE_ENGINE();
        host = std::make_unique<TADOConnection>(hostConn);
        intern = std::make_unique<TADOConnection>(internConn);
    }

    // Opens a statement and returns the number of rows.
    int rows(const QString& sql, const std::vector<TParameter>& params = {}, TADOConnection* conn = nullptr) {
        TADOQuery q(conn ? conn : host.get());
        q.SetSQL(sql);
        for (const auto& p : params) q.ParamByName(p.Name).SetValue(p.Value);
        q.Open();
        return q.RecordCount();
    }

    QString scalar(const QString& sql) {
        TADOQuery q(host.get());
        q.SetSQL(sql);
        q.Open();
        return q.Fields(0).AsString();
    }

    static QString qrySchueler(const QString& klasse) {
        return QStringLiteral(
                   "SELECT S.Name, S.Vorname, S.Geschlecht, S.Id, S.Status, S.Klasse, S.AktSchuljahr, S.Geloescht, "
                   "S.AktAbschnitt, E.Schuljahr, E.SchuljahrAbschnitt FROM Schueler S, EigeneSchule E WHERE S.Status "
                   "in (2,6) AND S.Klasse=%1 AND S.AktSchuljahr=E.Schuljahr AND S.Geloescht <> '+' AND "
                   "E.SchulnrEigner=S.SchulnrEigner AND S.AktAbschnitt=E.SchuljahrAbschnitt AND S.SchulnrEigner=%2 "
                   "Order by S.Klasse,S.Name,S.Vorname")
            .arg(QuotedStr(klasse))
            .arg(S);
    }
    static QString qryLernabschnitt() {
        return QStringLiteral("Select * from SchuelerLernabschnittsdaten where Schueler_ID=:Id AND SemesterWertung='+' "
                              "AND Jahr=%1 and Abschnitt=%2 AND SchulnrEigner=%3")
            .arg(DemoSchuljahr).arg(DemoAbschnitt).arg(S);
    }

    static inline QString hostConn, internConn;
    std::unique_ptr<TADOConnection> host, intern;
};

}  // namespace

TEST_F(StatementTest, ConferenceQueriesReadTheDemoSchool) {
    // The start of a conference: the school-wide queries.
    EXPECT_GT(rows(QStringLiteral("SELECT ID,KurzBez,Zeugnisbez FROM Kurse WHERE SchulnrEigner=%1").arg(S)), 0);
    EXPECT_GT(rows(QStringLiteral("Select * from EigeneSchule_Faecher WHERE SchulnrEigner=%1 and Sichtbar='+'").arg(S)), 20);
    EXPECT_EQ(rows(QStringLiteral("SELECT klasse, KlassenlehrerKrz, StvKlassenlehrerKrz, Jahrgang_ID from Versetzung where Sichtbar='+' AND SchulnrEigner=%1 order by Klasse").arg(S)), 9);
    EXPECT_EQ(rows(QStringLiteral("Select * from EigeneSchule_Jahrgaenge WHERE SchulnrEigner=%1").arg(S)), 9);
    EXPECT_EQ(rows(QStringLiteral("Select * from EigeneSchule WHERE SchulnrEigner=%1").arg(S)), 1);
    EXPECT_GT(rows(QStringLiteral("SELECT * FROM EigeneSchule_Kursart WHERE SchulnrEigner=%1 ORDER BY Kursart").arg(S)), 5);
    EXPECT_GT(rows(QStringLiteral("SELECT * FROM PruefOrd_Optionen WHERE OP_Schulformen LIKE :SF\nORDER BY OP_Jahrgaenge, OP_Reihenfolge"),
                   {{QStringLiteral("SF"), QStringLiteral("%-GE-%")}}, intern.get()),
              5);

    // One class with its master-detail chain.
    TADOQuery faecher(host.get()), schueler(host.get()), abschnitt(host.get()), leistungen(host.get()), aue(host.get()),
        zuweisungen(host.get()), schlfb(host.get());
    faecher.SetSQL(QStringLiteral("Select * from EigeneSchule_Faecher WHERE SchulnrEigner=%1 and Sichtbar='+'").arg(S));
    faecher.Open();
    schueler.SetSQL(qrySchueler(QStringLiteral("10a")));
    abschnitt.SetSQL(qryLernabschnitt());
    abschnitt.SetMasterSource(&schueler);
    leistungen.SetSQL(QStringLiteral("SELECT * FROM SchuelerLeistungsdaten WHERE Abschnitt_Id=:Id AND SchulnrEigner=%1%2 ORDER BY Sortierung")
                          .arg(S).arg(QStringLiteral(" AND Hochrechnung = 0 AND AufZeugnis = '+'")));
    leistungen.SetMasterSource(&abschnitt);
    leistungen.AddLookupField(QStringLiteral("Fachkrz"), &faecher, QStringLiteral("Fach_ID"), QStringLiteral("ID"), QStringLiteral("FachKrz"));
    leistungen.AddLookupField(QStringLiteral("StatFachkrz"), &faecher, QStringLiteral("Fach_ID"), QStringLiteral("ID"), QStringLiteral("StatistikKrz"));
    aue.SetSQL(QStringLiteral("SELECT * FROM  SchuelerLD_PSFachBem Where Abschnitt_Id=:ID AND SchulnrEigner=%1").arg(S));
    aue.SetMasterSource(&abschnitt);
    zuweisungen.SetSQL(QStringLiteral("SELECT * FROM SchuelerZuweisungen WHERE SchulnrEigner=%1 AND Abschnitt_ID=:Abschnitt_ID").arg(S));
    schlfb.SetSQL(QStringLiteral("SELECT DISTINCT Wiederholung, SemesterWertung, ASDJahrgang FROM SchuelerLernabschnittsdaten WHERE Schueler_ID=:ID AND Wiederholung='+' AND SemesterWertung='+' AND SchulnrEigner=%1").arg(S));
    schlfb.SetMasterSource(&schueler);
    abschnitt.Open();
    leistungen.Open();
    aue.Open();
    schlfb.Open();
    schueler.Open();
    ASSERT_GT(schueler.RecordCount(), 2);
    int results = 0, completedSkipped = 0;
    for (schueler.First(); !schueler.Eof(); schueler.Next()) {
        ASSERT_EQ(abschnitt.RecordCount(), 1) << schueler.FieldByName(QStringLiteral("Name")).AsString().toStdString();
        EXPECT_EQ(abschnitt.FieldByName(QStringLiteral("ASDJahrgang")).AsString(), QStringLiteral("10"));
        for (leistungen.First(); !leistungen.Eof(); leistungen.Next()) {
            ++results;
            EXPECT_FALSE(leistungen.FieldByName(QStringLiteral("Fachkrz")).AsString().isEmpty());
            completedSkipped += leistungen.FieldByName(QStringLiteral("Fachkrz")).AsString() == QLatin1String("KU");
        }
        zuweisungen.ParamByName(QStringLiteral("Abschnitt_ID")).SetValue(abschnitt.FieldByName(QStringLiteral("ID")).Value());
        zuweisungen.Close();
        zuweisungen.Open();
        EXPECT_GE(zuweisungen.RecordCount(), 3);  // D, M, E, CH, PH with levels
    }
    EXPECT_GT(results, 20);
    EXPECT_EQ(completedSkipped, 0);  // art is completed in grade 10

    // The leaving qualifications of a grade-10 pupil, as the conference filters them.
    TADOQuery po(intern.get());
    po.SetSQL(QStringLiteral("SELECT * FROM PruefOrd_Optionen WHERE OP_Schulformen LIKE :SF\nORDER BY OP_Jahrgaenge, OP_Reihenfolge"));
    po.ParamByName(QStringLiteral("SF")).SetValue(QStringLiteral("%-GE-%"));
    po.Open();
    po.SetFilter(QStringLiteral("OP_Art=%1 AND OP_POKrz=%2 AND OP_Bildungsgang=%3 AND OP_Jahrgaenge LIKE %4")
                     .arg(QuotedStr(QStringLiteral("A")), QuotedStr(QStringLiteral("APO-SI/10B")), QuotedStr(QStringLiteral("A")),
                          QuotedStr(QStringLiteral("%-10-%"))));
    po.SetFiltered(true);
    QStringList krz;
    for (po.First(); !po.Eof(); po.Next()) krz.append(po.FieldByName(QStringLiteral("OP_Krz")).AsString());
    EXPECT_EQ(krz, QStringList({"MSA", "MSA-Q", "HA10"}));
    po.SetFilter(po.Filter() + QStringLiteral(" AND OP_BKAnl_Typ LIKE ") + QuotedStr(QStringLiteral("%-A'01-%")));
    EXPECT_TRUE(po.IsEmpty());

    // Repeated sections exist somewhere in the school.
    EXPECT_GT(rows(QStringLiteral("SELECT DISTINCT Wiederholung, SemesterWertung, ASDJahrgang FROM SchuelerLernabschnittsdaten WHERE Wiederholung='+' AND SemesterWertung='+' AND SchulnrEigner=%1").arg(S)), 0);
}

TEST_F(StatementTest, SavingStatementsWriteAndQuotesRoundTrip) {
    // A class whose name carries a single quote.
    host->Execute(QStringLiteral("INSERT INTO Versetzung (ID, SchulnrEigner, Klasse, KlassenlehrerKrz, Jahrgang_ID, Sichtbar) VALUES (900, %1, %2, 'ABE', 1, '+')").arg(S).arg(QuotedStr(QStringLiteral("5'a"))));
    host->Execute(QStringLiteral("INSERT INTO Schueler (ID, SchulnrEigner, Name, Vorname, Geschlecht, Status, Klasse, AktSchuljahr, AktAbschnitt) VALUES (9000, %1, %2, 'Ida', 4, 2, %3, %4, %5)")
                      .arg(S).arg(QuotedStr(QStringLiteral("O'Brien")), QuotedStr(QStringLiteral("5'a"))).arg(DemoSchuljahr).arg(DemoAbschnitt));
    host->Execute(QStringLiteral("INSERT INTO SchuelerLernabschnittsdaten (ID, SchulnrEigner, Schueler_ID, Jahr, Abschnitt, SemesterWertung, Klasse) VALUES (90000, %1, 9000, %2, %3, '+', %4)")
                      .arg(S).arg(DemoSchuljahr).arg(DemoAbschnitt).arg(QuotedStr(QStringLiteral("5'a"))));
    host->Execute(QStringLiteral("INSERT INTO SchuelerLeistungsdaten (ID, SchulnrEigner, Abschnitt_ID, Fach_ID, NotenKrz, Sortierung) VALUES (900000, %1, 90000, 11, '3', 60)").arg(S));
    EXPECT_EQ(rows(qrySchueler(QStringLiteral("5'a"))), 1);
    TADOQuery klassen(host.get());
    klassen.SetSQL(QStringLiteral("SELECT klasse, KlassenlehrerKrz, StvKlassenlehrerKrz, Jahrgang_ID from Versetzung where Sichtbar='+' AND SchulnrEigner=%1 order by Klasse").arg(S));
    klassen.Open();
    EXPECT_TRUE(klassen.Locate(QStringLiteral("Klasse"), QStringLiteral("5'a")));

    const int A = 90000, p = 9000;
    const QString bem = QStringLiteral("Sie sagt: 'Geht's?' – \"ja\"");
    EXPECT_EQ(host->Execute(QStringLiteral("UPDATE SchuelerLernabschnittsdaten SET SumFehlstd=12,SumFehlstdU=3,Gesamtnote_GS=2,Gesamtnote_NW=3,VersetzungKrz=%1,Abschluss=%2,ZeugnisBem=%3 WHERE Schueler_ID=%4 AND SemesterWertung='+' AND Jahr=%5 and Abschnitt=%6 AND SchulnrEigner=%7")
                                .arg(QuotedStr(QStringLiteral("V")), QuotedStr(QStringLiteral("MSA")), QuotedStr(bem))
                                .arg(p).arg(DemoSchuljahr).arg(DemoAbschnitt).arg(S)),
              1);
    const int next = scalar(QStringLiteral("SELECT MAX(ID) FROM SchuelerLD_PSFachBem")).toInt() + 1;
    EXPECT_EQ(host->Execute(QStringLiteral("INSERT INTO SchuelerLD_PSFachBem (ID,Abschnitt_Id,SchulnrEigner) VALUES(%1,%2,%3)").arg(next).arg(A).arg(S)), 1);
    EXPECT_EQ(host->Execute(QStringLiteral("UPDATE SchuelerLD_PSFachBem SET %1 Where Abschnitt_Id=%2").arg(QStringLiteral("LELS=") + QuotedStr(bem) + QLatin1Char(' ')).arg(A)), 1);
    EXPECT_EQ(host->Execute(QStringLiteral("UPDATE SchuelerLD_PSFachBem SET %1 Where Abschnitt_Id=%2").arg(QStringLiteral("ASV=") + QuotedStr(QStringLiteral("'")) + QLatin1Char(' ')).arg(A)), 1);
    EXPECT_EQ(host->Execute(QStringLiteral("UPDATE SchuelerLeistungsdaten SET Notenkrz=%1 WHERE ID=%2").arg(QuotedStr(QStringLiteral("2-"))).arg(900000)), 1);
    EXPECT_EQ(host->Execute(QStringLiteral("UPDATE SchuelerLeistungsdaten SET Notenkrz=%1,FehlStd=%2,uFehlstd=%3 WHERE ID=%4").arg(QuotedStr(QStringLiteral("1"))).arg(4).arg(1).arg(900000)), 1);
    TADOCommand cmdZuweisung(host.get());
    cmdZuweisung.SetCommandText(QStringLiteral("INSERT INTO SchuelerZuweisungen (Abschnitt_ID,Fach_ID,Kursart,SchulnrEigner) VALUES(%1,%2,%3,%4)").arg(A).arg(11).arg(QuotedStr(QStringLiteral("E"))).arg(S));
    EXPECT_EQ(cmdZuweisung.Execute(), 1);
    EXPECT_THROW(cmdZuweisung.Execute(), EDatabaseError);  // the pair exists: the conference reports "Zuweisung: "
    // A course level changed through the open query (edit and post).
    TADOQuery zuweisungen(host.get());
    zuweisungen.SetSQL(QStringLiteral("SELECT * FROM SchuelerZuweisungen WHERE SchulnrEigner=%1 AND Abschnitt_ID=:Abschnitt_ID").arg(S));
    zuweisungen.ParamByName(QStringLiteral("Abschnitt_ID")).SetValue(A);
    zuweisungen.Open();
    ASSERT_TRUE(zuweisungen.Locate(QStringLiteral("Abschnitt_ID;Fach_ID"), QVariantList{A, 11}));
    zuweisungen.Edit();
    zuweisungen.FieldByName(QStringLiteral("Kursart")).SetAsString(QStringLiteral("G"));
    zuweisungen.Post();
    EXPECT_EQ(scalar(QStringLiteral("SELECT Kursart FROM SchuelerZuweisungen WHERE Abschnitt_ID=%1 AND Fach_ID=11").arg(A)), QStringLiteral("G"));

    // Phrases with quotes, new and changed.
    const QString text = QStringLiteral("$Vorname$ meint: 'Das schaffe ich.'");
    EXPECT_EQ(host->Execute(QStringLiteral("INSERT INTO Floskeln (SchulnrEigner, Kuerzel, FloskelText) Values(%1,%2,%3)").arg(S).arg(QuotedStr(QStringLiteral("#o'k")), QuotedStr(text))), 1);
    EXPECT_EQ(host->Execute(QStringLiteral("UPDATE Floskeln SET FloskelText=%1 WHERE Kuerzel=%2 AND SchulnrEigner=%3").arg(QuotedStr(text + QLatin1Char('\'')), QuotedStr(QStringLiteral("#lob"))).arg(S)), 1);

    // Everything reads back as written.
    TADOQuery check(host.get());
    check.SetSQL(QStringLiteral("SELECT * FROM  SchuelerLD_PSFachBem Where Abschnitt_Id=:ID AND SchulnrEigner=%1").arg(S));
    check.ParamByName(QStringLiteral("ID")).SetValue(A);
    check.Open();
    EXPECT_EQ(check.FieldByName(QStringLiteral("LELS")).AsString(), bem);
    EXPECT_EQ(check.FieldByName(QStringLiteral("ASV")).AsString(), QStringLiteral("'"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT ZeugnisBem FROM SchuelerLernabschnittsdaten WHERE ID=%1").arg(A)), bem);
    EXPECT_EQ(scalar(QStringLiteral("SELECT SumFehlstd FROM SchuelerLernabschnittsdaten WHERE ID=%1").arg(A)), QStringLiteral("12"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT NotenKrz FROM SchuelerLeistungsdaten WHERE ID=900000")), QStringLiteral("1"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT FloskelText FROM Floskeln WHERE Kuerzel=%1").arg(QuotedStr(QStringLiteral("#o'k")))), text);
    EXPECT_EQ(scalar(QStringLiteral("SELECT FloskelText FROM Floskeln WHERE Kuerzel='#lob'")), text + QLatin1Char('\''));

    // The single-pupil window: the section's results, and the overviews (joins in parentheses).
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM SchuelerLeistungsdaten WHERE Abschnitt_Id=:Id ORDER BY Sortierung"), {{QStringLiteral("Id"), A}}), 1);
}

TEST_F(StatementTest, SinglePupilOverviewsJoinInParentheses) {
    TADOQuery pupil(host.get());
    pupil.SetSQL(qrySchueler(QStringLiteral("Q2")));
    pupil.Open();
    ASSERT_FALSE(pupil.IsEmpty());
    const int id = pupil.FieldByName(QStringLiteral("Id")).AsInteger();
    const QString subjects = QStringLiteral(
        "SELECT DISTINCT EigeneSchule_Faecher.FachKrz, EigeneSchule_Faecher.SortierungS2 FROM ((SchuelerLeistungsdaten "
        "INNER JOIN SchuelerLernabschnittsdaten ON SchuelerLeistungsdaten.Abschnitt_ID = SchuelerLernabschnittsdaten.ID) "
        "INNER JOIN EigeneSchule_Faecher ON SchuelerLeistungsdaten.Fach_ID = EigeneSchule_Faecher.ID) "
        "INNER JOIN EigeneSchule_Jahrgaenge ON SchuelerLernabschnittsdaten.Jahrgang_ID = EigeneSchule_Jahrgaenge.ID "
        "WHERE SchuelerLernabschnittsdaten.Schueler_ID=%1 AND SchuelerLernabschnittsdaten.Wiederholung='-' AND "
        "EigeneSchule_Jahrgaenge.SekStufe IN ('SII-1','SII-2','SII-3') ORDER BY EigeneSchule_Faecher.SortierungS2").arg(id);
    EXPECT_GE(rows(subjects), 8);
    const QString sections = QStringLiteral(
        "SELECT SchuelerLernabschnittsdaten.Jahr, SchuelerLernabschnittsdaten.Abschnitt, SchuelerLernabschnittsdaten.ASDJahrgang "
        "FROM SchuelerLernabschnittsdaten INNER JOIN EigeneSchule_Jahrgaenge ON SchuelerLernabschnittsdaten.Jahrgang_ID = EigeneSchule_Jahrgaenge.ID "
        "WHERE SchuelerLernabschnittsdaten.Schueler_ID=:Schueler_ID AND SchuelerLernabschnittsdaten.Wiederholung='-' AND "
        "EigeneSchule_Jahrgaenge.SekStufe IN ('SII-1','SII-2','SII-3') ORDER BY SchuelerLernabschnittsdaten.Jahr, SchuelerLernabschnittsdaten.Abschnitt");
    EXPECT_GE(rows(sections, {{QStringLiteral("Schueler_ID"), id}}), 3);
    const QString cells = QStringLiteral(
        "SELECT SchuelerLernabschnittsdaten.Jahr, SchuelerLernabschnittsdaten.Abschnitt, SchuelerLernabschnittsdaten.ASDJahrgang, "
        "SchuelerLeistungsdaten.Kursart, SchuelerLeistungsdaten.FachLehrer, SchuelerLeistungsdaten.NotenKrz FROM "
        "((SchuelerLeistungsdaten INNER JOIN SchuelerLernabschnittsdaten ON SchuelerLeistungsdaten.Abschnitt_ID = SchuelerLernabschnittsdaten.ID) "
        "INNER JOIN EigeneSchule_Faecher ON SchuelerLeistungsdaten.Fach_ID = EigeneSchule_Faecher.ID) "
        "INNER JOIN EigeneSchule_Jahrgaenge ON SchuelerLernabschnittsdaten.Jahrgang_ID = EigeneSchule_Jahrgaenge.ID "
        "WHERE EigeneSchule_Faecher.FachKrz=:Fachkrz AND SchuelerLernabschnittsdaten.Schueler_ID=:Schueler_ID AND "
        "SchuelerLernabschnittsdaten.Wiederholung='-' AND EigeneSchule_Jahrgaenge.SekStufe IN ('SII-1','SII-2','SII-3') "
        "ORDER BY SchuelerLernabschnittsdaten.ASDJahrgang, SchuelerLernabschnittsdaten.Abschnitt");
    EXPECT_GE(rows(cells, {{QStringLiteral("Fachkrz"), QStringLiteral("D")}, {QStringLiteral("Schueler_ID"), id}}), 3);
}

TEST_F(StatementTest, ExamExportQueriesFindTheGradeTenExams) {
    EXPECT_EQ(scalar(QStringLiteral("Select SchulformNr from EigeneSchule WHERE SchulnrEigner = %1").arg(S)), QStringLiteral("15"));
    EXPECT_EQ(rows(QStringLiteral("Select Schuljahr, AnzahlAbschnitte, AnzJGS_Jahr from EigeneSchule WHERE SchulnrEigner = %1").arg(S)), 1);
    EXPECT_EQ(scalar(QStringLiteral("Select SchulNr from EigeneSchule")), QString::number(S));
    EXPECT_EQ(rows(QStringLiteral("Select ASDJahrgang from EigeneSchule_Jahrgaenge WHERE SchulnrEigner = %1").arg(S)), 9);
    EXPECT_EQ(rows(QStringLiteral("Select ASDJahrgang from EigeneSchule_Jahrgaenge")), 9);

    const QString columns = QStringLiteral(
        "SELECT S.SchulnrEigner, S.Name, LA.ASDSchulgliederung, LA.ASDJahrgang, S.Foerderschwerpunkt_ID, "
        "S.Foerderschwerpunkt2_ID, S.Vorname, S.ID, S.Geschlecht, LA.Jahr, LA.Abschnitt, SL.Fach_ID, SBK.FachKrz, "
        "LA.Klasse, SBK.Vornote, SBK.NoteSchriftlich, SBK.NoteMuendlich, SBK.NoteAbschluss, SL.Kursart, SL.NotenKrz, "
        "S.Status, S.Geloescht, LA.PruefOrdnung FROM Schueler S,SchuelerBKFaecher SBK, SchuelerLeistungsdaten SL, "
        "SchuelerLernabschnittsdaten LA WHERE ");
    const QString withSchool = columns + QStringLiteral(
        "S.SchulnrEigner=%1 AND S.Status=%2 AND S.Geloescht<>'+' %3AND S.ASDJahrgang in (%4) AND S.ID = LA.Schueler_ID "
        "AND LA.Jahr = %5 AND LA.Abschnitt = %6 AND S.SchulnrEigner = LA.SchulnrEigner AND SBK.Fach_ID = SL.Fach_ID AND "
        "S.SchulnrEigner = SBK.SchulnrEigner AND LA.ID = SL.Abschnitt_ID AND S.ID = SBK.Schueler_ID ORDER BY S.Klasse, "
        "S.Name, S.Vorname ");
    const QString withoutSchool = columns + QStringLiteral(
        "S.Status=%1 AND S.Geloescht<>'+' %2AND S.ASDJahrgang in (%3) AND S.ID = LA.Schueler_ID AND LA.Jahr = %4 AND "
        "LA.Abschnitt = %5 AND SBK.Fach_ID = SL.Fach_ID AND LA.ID = SL.Abschnitt_ID AND S.ID = SBK.Schueler_ID ORDER BY "
        "S.Klasse, S.Name, S.Vorname ");
    const QString jahrgang = QuotedStr(QStringLiteral("10")) + QLatin1Char(',') + QuotedStr(QStringLiteral("E'F"));
    TADOQuery eq10(host.get());
    eq10.SetSQL(withSchool.arg(S).arg(2).arg(QString(), jahrgang).arg(DemoSchuljahr).arg(DemoAbschnitt));
    eq10.Open();
    const int n = eq10.RecordCount();
    EXPECT_GT(n, 6);
    EXPECT_EQ(n % 3, 0);  // D, M, E per pupil
    for (eq10.First(); !eq10.Eof(); eq10.Next())
        EXPECT_TRUE(eq10.FieldByName(QStringLiteral("PruefOrdnung")).AsString().contains(QStringLiteral("/10")));
    EXPECT_EQ(rows(withoutSchool.arg(2).arg(QString(), jahrgang).arg(DemoSchuljahr).arg(DemoAbschnitt)), n);
    EXPECT_EQ(rows(withSchool.arg(S).arg(2).arg(QStringLiteral("AND S.ASDSchulform='R02' "), jahrgang).arg(DemoSchuljahr).arg(DemoAbschnitt)), 0);

    EXPECT_EQ(rows(QStringLiteral("SELECT ID, StatistikKrz FROM K_Foerderschwerpunkt WHERE SchulnrEigner=%1").arg(S)), 4);
    TADOQuery faecher(host.get());
    faecher.SetSQL(QStringLiteral("SELECT * FROM EigeneSchule_Faecher WHERE SchulnrEigner=%1 and Sichtbar = '+'").arg(S));
    faecher.Open();
    ASSERT_TRUE(faecher.Locate(QStringLiteral("FachKrz"), QStringLiteral("EK")));
    EXPECT_FALSE(faecher.FieldByName(QStringLiteral("Unterichtssprache")).AsString().isEmpty());  // bilingual
    TADOQuery sprachen(host.get());
    sprachen.SetSQL(QStringLiteral("Select * from SchuelerSprachenfolge where Schueler_ID=:Schueler_ID and Fach_ID=:Fach_ID"));
    eq10.First();
    sprachen.ParamByName(QStringLiteral("Schueler_ID")).SetValue(eq10.FieldByName(QStringLiteral("ID")).Value());
    sprachen.ParamByName(QStringLiteral("Fach_ID")).SetValue(2);  // English
    sprachen.Open();
    ASSERT_EQ(sprachen.RecordCount(), 1);
    EXPECT_TRUE(QStringList({"1", "P"}).contains(sprachen.FieldByName(QStringLiteral("Reihenfolge")).AsString()));
    EXPECT_GT(rows(QStringLiteral("SELECT * FROM SchuelerSprachenfolge WHERE Reihenfolge='P'")), 0);
}
