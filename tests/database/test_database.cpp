#include "Database.h"
#include "DbTestSupport.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// A small school: two pupils with section records and results, subjects.
class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        VELTRA_REQUIRE_ENGINE();
        conn = std::make_unique<TADOConnection>(db_testing::freshDatabase());
        conn->Open();
        for (const char* sql : {
                 "CREATE TABLE Faecher (ID INTEGER PRIMARY KEY, FachKrz VARCHAR(20), Sortierung INTEGER)",
                 "CREATE TABLE Schueler (ID INTEGER PRIMARY KEY, Name VARCHAR(80), Vorname VARCHAR(80), "
                 "Klasse VARCHAR(20), Status INTEGER, Bemerkung TEXT)",
                 "CREATE TABLE Abschnitte (ID INTEGER PRIMARY KEY, Schueler_ID INTEGER, Jahr INTEGER)",
                 "CREATE TABLE Leistungen (ID INTEGER PRIMARY KEY, Abschnitt_ID INTEGER, Fach_ID INTEGER, "
                 "NotenKrz VARCHAR(2))",
                 "CREATE TABLE OhneSchluessel (A INTEGER)",
                 "INSERT INTO Faecher VALUES (1, 'D', 10), (2, 'M', 20), (3, 'E', 30)",
                 "INSERT INTO Schueler VALUES (1, 'Adler', 'Anna', '5a', 2, NULL), "
                 "(2, 'Berg', 'Ben', '5a', 2, 'x'), (3, 'Conrad', 'Clara', '5''b', 6, NULL)",
                 "INSERT INTO Abschnitte VALUES (10, 1, 2023), (11, 1, 2024), (20, 2, 2024)",
                 "INSERT INTO Leistungen VALUES (100, 11, 1, '2'), (101, 11, 2, '3-'), (102, 20, 3, '1'), "
                 "(103, 10, 1, '4')",
             })
            conn->Execute(QString::fromLatin1(sql));
    }

    QStringList names(TADOQuery& q, const QString& field = QStringLiteral("Name")) {
        QStringList result;
        for (q.First(); !q.Eof(); q.Next()) result.append(q.FieldByName(field).AsString());
        return result;
    }

    std::unique_ptr<TADOConnection> conn;
};

}  // namespace

TEST(SqliteOnlyConnectionString, NamesTheEngineAndItsSettings) {
    struct Case {
        const char* text;
        TDbEngine engine;
        const char* file;
        const char* host;
        int port;
        const char* database;
        const char* user;
        const char* password;
    };
    const Case cases[] = {
        {"Data Source=/x/schule.db", TDbEngine::SQLite, "/x/schule.db", "", 5432, "", "", ""},
        // The Jet provider and its database password are accepted; SQLite ignores the password.
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\daten\\v.mdb;Jet OLEDB:Database Password=geheim;"
         "Persist Security Info=False",
         TDbEngine::SQLite, "C:\\daten\\v.mdb", "", 5432, "", "", ""},
        {"data source = \"/a;b/c.db\" ; Mode=Share Deny None", TDbEngine::SQLite, "/a;b/c.db", "", 5432, "", "", ""},
        {"Provider=PostgreSQL;Host=srv;Port=5433;Database=schild;User ID=lehrer;Password='p;w''x'",
         TDbEngine::PostgreSQL, "", "srv", 5433, "schild", "lehrer", "p;w'x"},
        {"PROVIDER=postgresql;server=/run/pg;database=d", TDbEngine::PostgreSQL, "", "/run/pg", 5432, "d", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TConnectionParams p = ParseConnectionString(QString::fromLatin1(c.text));
        EXPECT_EQ(p.Engine, c.engine);
        EXPECT_EQ(p.FileName, QString::fromLatin1(c.file));
        EXPECT_EQ(p.Host, QString::fromLatin1(c.host));
        EXPECT_EQ(p.Port, c.port);
        EXPECT_EQ(p.Database, QString::fromLatin1(c.database));
        EXPECT_EQ(p.User, QString::fromLatin1(c.user));
        EXPECT_EQ(p.Password, QString::fromLatin1(c.password));
    }
    for (const char* bad : {"Provider=SQLOLEDB;Data Source=x", "Provider=Microsoft.Jet.OLEDB.4.0",
                            "Provider=PostgreSQL;Host=h", "Data Source=\"offen", "Provider=PostgreSQL;Port=x;Database=d"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(ParseConnectionString(QString::fromLatin1(bad)), EDatabaseError);
    }
}

TEST(SqliteOnlyConnection, AMissingFileIsAnErrorAndIsNotCreated) {
    const QString path = QDir(tempDir()).filePath(QStringLiteral("fehlt.db"));
    TADOConnection conn(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path);
    try {
        conn.Open();
        FAIL() << "opened a missing database";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Die Datenbank %1 wurde nicht gefunden.").arg(path));
    }
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(conn.Connected());
}

TEST(SqliteOnlyQuoting, DoublesSingleQuotes) {
    EXPECT_EQ(QuotedStr(QStringLiteral("5'a")), QStringLiteral("'5''a'"));
    EXPECT_EQ(QuotedStr(QString()), QStringLiteral("''"));
    EXPECT_EQ(QuotedStr(QStringLiteral("''")), QStringLiteral("''''''"));
}

TEST(SqliteOnlyParameters, ParsesNamesOutsideQuotesOnly) {
    const TParsedStatement p = ParseParameters(
        QStringLiteral("SELECT ':nein', \"a:b\" FROM T WHERE X=:Id AND Y = :id2 AND Z=:Id AND t::text='x''s:y'"));
    EXPECT_EQ(p.Occurrences, QStringList({"Id", "id2", "Id"}));
    EXPECT_EQ(p.Sql, QStringLiteral("SELECT ':nein', \"a:b\" FROM T WHERE X=? AND Y = ? AND Z=? AND t::text='x''s:y'"));
}

TEST_F(DatabaseTest, NavigatesAStaticCursor) {
    TADOQuery q(conn.get());
    q.SetSQL(QStringLiteral("SELECT * FROM Schueler ORDER BY Name"));
    q.Open();
    EXPECT_EQ(q.RecordCount(), 3);
    EXPECT_TRUE(q.Bof());
    EXPECT_FALSE(q.Eof());
    EXPECT_EQ(q.RecNo(), 1);
    q.Last();
    EXPECT_TRUE(q.Eof());
    EXPECT_EQ(q.RecNo(), 3);
    EXPECT_EQ(q.FieldByName(QStringLiteral("name")).AsString(), QStringLiteral("Conrad"));
    q.Next();  // at the end: stays on the last row
    EXPECT_EQ(q.FieldByName(QStringLiteral("NAME")).AsString(), QStringLiteral("Conrad"));
    q.Prior();
    EXPECT_FALSE(q.Eof());
    EXPECT_EQ(q.RecNo(), 2);
    q.Prior();
    q.Prior();
    EXPECT_TRUE(q.Bof());
    EXPECT_EQ(q.RecNo(), 1);
    EXPECT_EQ(names(q), QStringList({"Adler", "Berg", "Conrad"}));

    q.Close();
    q.SetSQL(QStringLiteral("SELECT * FROM Schueler WHERE ID < 0"));
    q.Open();
    EXPECT_TRUE(q.Eof());
    EXPECT_TRUE(q.Bof());
    EXPECT_TRUE(q.IsEmpty());
    EXPECT_EQ(q.RecNo(), 0);
    // The fields of an empty query read as null.
    EXPECT_TRUE(q.FieldByName(QStringLiteral("Name")).IsNull());
    EXPECT_EQ(q.FieldByName(QStringLiteral("ID")).AsInteger(), 0);
}

TEST_F(DatabaseTest, ReadsFieldsAsTextIntegerFloatAndNull) {
    TADOQuery q(conn.get());
    q.SetSQL(QStringLiteral("SELECT ID, Name, Bemerkung, Status * 1.5 AS Faktor, Klasse FROM Schueler WHERE ID = 2"));
    q.Open();
    EXPECT_EQ(q.FieldByName(QStringLiteral("id")).AsInteger(), 2);
    EXPECT_EQ(q.FieldByName(QStringLiteral("ID")).AsString(), QStringLiteral("2"));
    EXPECT_FALSE(q.FieldByName(QStringLiteral("Bemerkung")).IsNull());
    EXPECT_DOUBLE_EQ(q.FieldByName(QStringLiteral("Faktor")).AsFloat(), 3.0);
    EXPECT_EQ(q.FieldNames().size(), 5);
    EXPECT_THROW(q.FieldByName(QStringLiteral("Klasse")).AsInteger(), EConvertError);  // "5a"
    EXPECT_THROW(q.FieldByName(QStringLiteral("Gibtsnicht")), EDatabaseError);
    EXPECT_FALSE(q.FindField(QStringLiteral("Gibtsnicht")).IsValid());
    q.Close();
    q.SetSQL(QStringLiteral("SELECT Bemerkung FROM Schueler WHERE ID = 1"));
    q.Open();
    EXPECT_TRUE(q.FieldByName(QStringLiteral("Bemerkung")).IsNull());
    EXPECT_EQ(q.FieldByName(QStringLiteral("Bemerkung")).AsString(), QString());
}

TEST_F(DatabaseTest, BindsNamedParametersAndKeepsQuotesIntact) {
    TADOQuery q(conn.get());
    q.SetSQL(QStringLiteral("SELECT Name FROM Schueler WHERE Klasse = :Klasse AND (Status = :St OR :St = 0) "
                            "AND Name <> ':Klasse' ORDER BY Name"));
    EXPECT_EQ(q.ParamNames(), QStringList({"Klasse", "St"}));
    q.ParamByName(QStringLiteral("klasse")).SetValue(QStringLiteral("5'b"));
    q.ParamByName(QStringLiteral("St")).SetValue(6);
    q.Open();
    EXPECT_EQ(names(q), QStringList{"Conrad"});
    // A new text keeps the values of parameters of the same name.
    q.SetSQL(QStringLiteral("SELECT Name FROM Schueler WHERE Klasse = :Klasse"));
    q.Open();
    EXPECT_EQ(names(q), QStringList{"Conrad"});
    EXPECT_THROW(q.ParamByName(QStringLiteral("St")), EDatabaseError);
    // The same class as a literal through the quoting helper.
    q.SetSQL(QStringLiteral("SELECT Name FROM Schueler WHERE Klasse = %1").arg(QuotedStr(QStringLiteral("5'b"))));
    q.Open();
    EXPECT_EQ(names(q), QStringList{"Conrad"});
}

TEST_F(DatabaseTest, LocatesByOneOrTwoFields) {
    TADOQuery q(conn.get());
    q.SetSQL(QStringLiteral("SELECT * FROM Leistungen ORDER BY ID"));
    q.Open();
    EXPECT_TRUE(q.Locate(QStringLiteral("ID"), 102));
    EXPECT_EQ(q.FieldByName(QStringLiteral("NotenKrz")).AsString(), QStringLiteral("1"));
    EXPECT_TRUE(q.Locate(QStringLiteral("Abschnitt_ID;Fach_ID"), QVariantList{11, 2}));
    EXPECT_EQ(q.FieldByName(QStringLiteral("ID")).AsInteger(), 101);
    // A number given as text finds the number.
    EXPECT_TRUE(q.Locate(QStringLiteral("id"), QStringLiteral("100")));
    EXPECT_EQ(q.RecNo(), 1);
    EXPECT_FALSE(q.Locate(QStringLiteral("Abschnitt_ID;Fach_ID"), QVariantList{20, 1}));
    EXPECT_EQ(q.RecNo(), 1);  // stays where it was
    EXPECT_FALSE(q.Locate(QStringLiteral("NotenKrz"), QStringLiteral("3")));  // "3-" is not "3"
    EXPECT_THROW(q.Locate(QStringLiteral("ID;Fach_ID"), QVariantList{1}), EDatabaseError);
}

TEST_F(DatabaseTest, FiltersTheOpenStatementInItsOrder) {
    TADOQuery q(conn.get());
    q.SetSQL(QStringLiteral("SELECT * FROM Schueler ORDER BY Name DESC"));
    q.Open();
    q.SetFilter(QStringLiteral("Klasse LIKE %1 OR Klasse=%2").arg(QuotedStr(QStringLiteral("5a%")), QuotedStr(QStringLiteral("5'b"))));
    q.SetFiltered(true);
    EXPECT_EQ(names(q), QStringList({"Conrad", "Berg", "Adler"}));
    q.SetFilter(QStringLiteral("Status=2 AND Name <> 'Berg'"));
    EXPECT_EQ(names(q), QStringList({"Adler"}));
    EXPECT_EQ(q.RecordCount(), 1);
    q.SetFiltered(false);
    EXPECT_EQ(q.RecordCount(), 3);
    // A broken expression raises, and the query stays unfiltered.
    q.SetFilter(QStringLiteral("Gibtsnicht = 1"));
    EXPECT_THROW(q.SetFiltered(true), EDatabaseError);
    EXPECT_FALSE(q.Filtered());
    EXPECT_EQ(q.RecordCount(), 3);
    // A filter set before opening applies on open.
    q.Close();
    q.SetFilter(QStringLiteral("Vorname = 'Ben'"));
    q.SetFiltered(true);
    q.Open();
    EXPECT_EQ(names(q), QStringList({"Berg"}));
}

TEST_F(DatabaseTest, DetailsFollowTheirMaster) {
    TADOQuery pupils(conn.get()), sections(conn.get()), results(conn.get());
    pupils.SetSQL(QStringLiteral("SELECT * FROM Schueler WHERE Status=2 ORDER BY Name"));
    sections.SetSQL(QStringLiteral("SELECT * FROM Abschnitte WHERE Schueler_ID=:ID AND Jahr=2024"));
    results.SetSQL(QStringLiteral("SELECT * FROM Leistungen WHERE Abschnitt_ID=:Id ORDER BY ID"));
    sections.SetMasterSource(&pupils);
    results.SetMasterSource(&sections);
    int resultOpens = 0;
    QObject::connect(&results, &TADOQuery::AfterOpen, [&] { ++resultOpens; });
    // Opened before its master, a detail uses its own parameter values (null: no rows).
    sections.Open();
    results.Open();
    EXPECT_TRUE(sections.IsEmpty());
    pupils.Open();
    EXPECT_EQ(sections.FieldByName(QStringLiteral("ID")).AsInteger(), 11);
    EXPECT_EQ(names(results, QStringLiteral("NotenKrz")), QStringList({"2", "3-"}));
    resultOpens = 0;
    pupils.Next();
    EXPECT_EQ(resultOpens, 1);  // the grandchild re-opens once per move
    EXPECT_EQ(sections.FieldByName(QStringLiteral("ID")).AsInteger(), 20);
    EXPECT_EQ(names(results, QStringLiteral("NotenKrz")), QStringList({"1"}));
    EXPECT_TRUE(pupils.Locate(QStringLiteral("Name"), QStringLiteral("Adler")));
    EXPECT_EQ(results.RecordCount(), 2);
    // A master without rows, or closed, leaves its details empty.
    pupils.SetFilter(QStringLiteral("Name = 'Niemand'"));
    pupils.SetFiltered(true);
    EXPECT_TRUE(sections.IsEmpty());
    EXPECT_TRUE(results.IsEmpty());
    pupils.SetFiltered(false);
    EXPECT_EQ(results.RecordCount(), 2);
    pupils.Close();
    EXPECT_TRUE(sections.Active());
    EXPECT_TRUE(sections.IsEmpty());
    EXPECT_TRUE(results.IsEmpty());
    // A detail cannot be its own master's master.
    EXPECT_THROW(pupils.SetMasterSource(&results), EDatabaseError);
}

TEST_F(DatabaseTest, LookupFieldsReadFromAnotherQuery) {
    TADOQuery subjects(conn.get()), results(conn.get());
    subjects.SetSQL(QStringLiteral("SELECT * FROM Faecher"));
    subjects.Open();
    subjects.Last();
    results.SetSQL(QStringLiteral("SELECT * FROM Leistungen ORDER BY ID"));
    results.AddLookupField(QStringLiteral("Fachkrz"), &subjects, QStringLiteral("Fach_ID"), QStringLiteral("ID"),
                           QStringLiteral("FachKrz"));
    results.Open();
    EXPECT_EQ(names(results, QStringLiteral("FACHKRZ")), QStringList({"D", "M", "E", "D"}));
    EXPECT_EQ(subjects.RecNo(), 3);  // the lookup does not move the other query
    // Lookup fields take part in filters.
    results.SetFilter(QStringLiteral("Fachkrz = 'D'"));
    results.SetFiltered(true);
    EXPECT_EQ(names(results, QStringLiteral("ID")), QStringList({"100", "103"}));
    results.Edit();
    EXPECT_THROW(results.FieldByName(QStringLiteral("Fachkrz")).SetAsString(QStringLiteral("X")), EDatabaseError);
    results.Cancel();
}

TEST_F(DatabaseTest, CommandsReturnTheAffectedRows) {
    TADOCommand cmd(conn.get());
    cmd.SetCommandText(QStringLiteral("UPDATE Leistungen SET NotenKrz=:Note WHERE Abschnitt_ID=:A"));
    cmd.ParamByName(QStringLiteral("Note")).SetValue(QStringLiteral("5"));
    cmd.ParamByName(QStringLiteral("A")).SetValue(11);
    EXPECT_EQ(cmd.Execute(), 2);
    EXPECT_EQ(conn->Execute(QStringLiteral("DELETE FROM Leistungen WHERE ID=999")), 0);
    EXPECT_EQ(conn->Execute(QStringLiteral("UPDATE Schueler SET Bemerkung=%1 WHERE ID=1")
                                .arg(QuotedStr(QStringLiteral("Sagt: \"Geht's?\"")))),
              1);
    TADOQuery q(conn.get());
    q.SetSQL(QStringLiteral("SELECT Bemerkung FROM Schueler WHERE ID=1"));
    q.Open();
    EXPECT_EQ(q.FieldByName(QStringLiteral("Bemerkung")).AsString(), QStringLiteral("Sagt: \"Geht's?\""));
}

TEST_F(DatabaseTest, ErrorsCarryTheEngineMessageAndTheStatement) {
    const QString bad = QStringLiteral("SELECT Nichtda FROM Schueler");
    TADOQuery q(conn.get());
    q.SetSQL(bad);
    try {
        q.Open();
        FAIL() << "opened a broken statement";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Statement(), bad);
        EXPECT_TRUE(e.Message().contains(QStringLiteral("nichtda"), Qt::CaseInsensitive)) << e.what();
    }
    EXPECT_FALSE(q.Active());
    const QString dup = QStringLiteral("INSERT INTO Faecher VALUES (1, 'X', 1)");
    try {
        conn->Execute(dup);
        FAIL() << "inserted a duplicate key";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Statement(), dup);
        EXPECT_FALSE(e.Message().isEmpty());
    }
    TADOQuery noConnection;
    noConnection.SetSQL(QStringLiteral("SELECT 1"));
    EXPECT_THROW(noConnection.Open(), EDatabaseError);
}

TEST_F(DatabaseTest, EditAndPostWriteTheCurrentRow) {
    TADOQuery q(conn.get());
    q.SetSQL(QStringLiteral("SELECT * FROM Leistungen L WHERE Abschnitt_ID = 11 ORDER BY ID"));
    q.Open();
    q.Next();
    q.Edit();
    q.FieldByName(QStringLiteral("notenkrz")).SetAsString(QStringLiteral("1'"));
    EXPECT_EQ(q.FieldByName(QStringLiteral("NotenKrz")).AsString(), QStringLiteral("1'"));
    q.Post();
    EXPECT_EQ(q.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(q.FieldByName(QStringLiteral("NotenKrz")).AsString(), QStringLiteral("1'"));
    // Cancel forgets the change; moving cancels as well.
    q.First();
    q.Edit();
    q.FieldByName(QStringLiteral("NotenKrz")).SetAsString(QStringLiteral("6"));
    q.Cancel();
    q.Edit();
    q.FieldByName(QStringLiteral("NotenKrz")).Clear();
    q.Next();
    TADOQuery check(conn.get());
    check.SetSQL(QStringLiteral("SELECT ID, NotenKrz FROM Leistungen ORDER BY ID"));
    check.Open();
    EXPECT_EQ(names(check, QStringLiteral("NotenKrz")), QStringList({"2", "1'", "1", "4"}));
    // Setting a field outside edit mode, and posting a join, fail.
    EXPECT_THROW(q.FieldByName(QStringLiteral("NotenKrz")).SetAsString(QStringLiteral("1")), EDatabaseError);
    TADOQuery join(conn.get());
    join.SetSQL(QStringLiteral("SELECT L.ID, L.NotenKrz FROM Leistungen L, Faecher F WHERE L.Fach_ID = F.ID"));
    join.Open();
    join.Edit();
    join.FieldByName(QStringLiteral("NotenKrz")).SetAsString(QStringLiteral("1"));
    EXPECT_THROW(join.Post(), EDatabaseError);
    TADOQuery noKey(conn.get());
    conn->Execute(QStringLiteral("INSERT INTO OhneSchluessel VALUES (1)"));
    noKey.SetSQL(QStringLiteral("SELECT * FROM OhneSchluessel"));
    noKey.Open();
    noKey.Edit();
    noKey.FieldByName(QStringLiteral("A")).SetAsInteger(2);
    EXPECT_THROW(noKey.Post(), EDatabaseError);
}

TEST_F(DatabaseTest, PostOfARowThatVanishedFails) {
    TADOQuery q(conn.get());
    q.SetSQL(QStringLiteral("SELECT * FROM Faecher WHERE ID = 3"));
    q.Open();
    conn->Execute(QStringLiteral("DELETE FROM Faecher WHERE ID = 3"));
    q.Edit();
    q.FieldByName(QStringLiteral("FachKrz")).SetAsString(QStringLiteral("EN"));
    EXPECT_THROW(q.Post(), EDatabaseError);
}

TEST_F(DatabaseTest, TransactionsCommitAndRollBack) {
    conn->BeginTrans();
    conn->Execute(QStringLiteral("UPDATE Faecher SET Sortierung = 99"));
    conn->RollbackTrans();
    conn->BeginTrans();
    conn->Execute(QStringLiteral("UPDATE Faecher SET Sortierung = 5 WHERE ID = 1"));
    conn->CommitTrans();
    TADOQuery q(conn.get());
    q.SetSQL(QStringLiteral("SELECT Sortierung FROM Faecher ORDER BY ID"));
    q.Open();
    EXPECT_EQ(names(q, QStringLiteral("Sortierung")), QStringList({"5", "20", "30"}));
    EXPECT_THROW(conn->CommitTrans(), EDatabaseError);
}

TEST_F(DatabaseTest, AQueryWithAConnectionStringOfItsOwn) {
    TADOQuery q;
    q.SetConnectionString(conn->ConnectionString());
    q.SetSQL(QStringLiteral("SELECT COUNT(*) AS N FROM Schueler"));
    q.Open();
    EXPECT_EQ(q.FieldByName(QStringLiteral("N")).AsInteger(), 3);
}

// A forward-only cursor reads the same rows in the same order, one at a time,
// while other statements keep running on the connection.
TEST_F(DatabaseTest, AForwardOnlyCursorReadsEveryRowOnceWhileOthersUseTheConnection) {
    TADOQuery q(conn.get());
    q.SetForwardOnly(true);
    q.SetSQL(QStringLiteral("SELECT S.Name, S.Bemerkung, L.NotenKrz FROM Schueler S, Abschnitte A, Leistungen L "
                            "WHERE S.ID = A.Schueler_ID AND A.ID = L.Abschnitt_ID AND S.Status = :Status ORDER BY L.ID"));
    q.ParamByName(QStringLiteral("Status")).SetValue(2);
    q.Open();
    EXPECT_EQ(q.RecordCount(), -1);  // unknown until the end
    EXPECT_FALSE(q.IsEmpty());
    q.First();  // still on the first row: allowed
    const TField name = q.FieldByName(QStringLiteral("Name"));
    const TField note = q.FieldByName(QStringLiteral("NotenKrz"));
    const TField bemerkung = q.FieldByName(QStringLiteral("Bemerkung"));
    QStringList rows;
    for (; !q.Eof(); q.Next()) {
        rows << name.AsString() + QLatin1Char('/') + note.AsString() + QLatin1Char('/') +
                    (bemerkung.IsNull() ? QStringLiteral("null") : bemerkung.AsString());
        EXPECT_EQ(q.RecNo(), rows.size());
        // Reads and writes of other statements in the middle of the run cut nothing off.
        TADOQuery other(conn.get());
        other.SetSQL(QStringLiteral("SELECT * FROM Faecher ORDER BY ID"));
        other.Open();
        EXPECT_EQ(other.RecordCount(), 3);
        EXPECT_EQ(conn->Execute(QStringLiteral("UPDATE Faecher SET Sortierung = Sortierung + 1 WHERE ID = 1")), 1);
    }
    EXPECT_EQ(rows, QStringList({"Adler/2/null", "Adler/3-/null", "Berg/1/x", "Adler/4/null"}));
    q.Next();  // at the end: stays there
    EXPECT_TRUE(q.Eof());

    // The statement runs again from its start.
    q.Requery();
    EXPECT_EQ(note.AsString(), QStringLiteral("2"));
    q.Close();
    q.SetSQL(QStringLiteral("SELECT * FROM Schueler WHERE ID < 0"));
    q.Open();
    EXPECT_TRUE(q.Eof());
    EXPECT_TRUE(q.IsEmpty());
    EXPECT_EQ(q.RecNo(), 0);
    EXPECT_TRUE(q.FieldByName(QStringLiteral("Name")).IsNull());
}

TEST_F(DatabaseTest, AForwardOnlyCursorRefusesToGoBack) {
    TADOQuery q(conn.get());
    q.SetForwardOnly(true);
    q.SetSQL(QStringLiteral("SELECT * FROM Schueler ORDER BY ID"));
    q.Open();
    q.Next();
    ASSERT_EQ(q.FieldByName(QStringLiteral("Name")).AsString(), QStringLiteral("Berg"));
    EXPECT_THROW(q.First(), EDatabaseError);
    EXPECT_THROW(q.Prior(), EDatabaseError);
    EXPECT_THROW(q.Last(), EDatabaseError);
    EXPECT_THROW(q.Locate(QStringLiteral("ID"), 1), EDatabaseError);
    EXPECT_THROW(q.Edit(), EDatabaseError);
    q.SetFilter(QStringLiteral("Status = 2"));
    EXPECT_THROW(q.SetFiltered(true), EDatabaseError);
    // Nothing of that moved the cursor.
    EXPECT_EQ(q.FieldByName(QStringLiteral("Name")).AsString(), QStringLiteral("Berg"));
    // A filter set before Open is refused at Open.
    q.Close();
    q.SetFiltered(true);
    EXPECT_THROW(q.Open(), EDatabaseError);
    EXPECT_FALSE(q.Active());
}

TEST_F(DatabaseTest, AForwardOnlyCursorClosesWithItsConnection) {
    TADOQuery q(conn.get());
    q.SetForwardOnly(true);
    q.SetSQL(QStringLiteral("SELECT * FROM Schueler ORDER BY ID"));
    q.Open();
    conn->Close();
    EXPECT_FALSE(q.Active());
    // Opening again opens the connection again.
    q.Open();
    EXPECT_EQ(q.FieldByName(QStringLiteral("Name")).AsString(), QStringLiteral("Adler"));
}

// Both cursors give the same values of the same types, parameters bound alike.
TEST_F(DatabaseTest, AForwardOnlyCursorReadsTheValuesTheStaticOneReads) {
    conn->Execute(QStringLiteral("CREATE TABLE Werte (ID INTEGER PRIMARY KEY, T VARCHAR(40), I INTEGER, R DOUBLE PRECISION, "
                                 "N VARCHAR(10), B BYTEA, E VARCHAR(10))"));
    TADOCommand insert(conn.get());
    insert.SetCommandText(QStringLiteral("INSERT INTO Werte VALUES (:id, :t, :i, :r, :n, :b, :e)"));
    const QList<QVariantList> rows{
        {1, QString::fromUtf8(" Müßig-Ærø € 😀 "), -42, 2.5, QVariant(), QByteArray("\x00\xFFz", 3), QString()},
        {2, QStringLiteral("ascii"), 7, -0.125, QStringLiteral("n"), QByteArray(), QStringLiteral("x")},
    };
    for (const QVariantList& r : rows) {
        const char* names[] = {"id", "t", "i", "r", "n", "b", "e"};
        for (int k = 0; k < r.size(); ++k) insert.ParamByName(QString::fromLatin1(names[k])).SetValue(r[k]);
        insert.Execute();
    }
    auto read = [&](bool forwardOnly) {
        TADOQuery q(conn.get());
        q.SetForwardOnly(forwardOnly);
        // A null text parameter matches the empty text stored for it.
        q.SetSQL(QStringLiteral("SELECT * FROM Werte WHERE E = :e OR ID = :id ORDER BY ID"));
        q.ParamByName(QStringLiteral("e")).SetValue(QString());
        q.ParamByName(QStringLiteral("id")).SetValue(2);
        q.Open();
        QList<QVariantList> values;
        for (q.First(); !q.Eof(); q.Next()) {
            QVariantList v;
            for (int i = 0; i < q.FieldCount(); ++i) v << (q.Fields(i).IsNull() ? QVariant() : q.Fields(i).Value());
            values << v;
        }
        return values;
    };
    const QList<QVariantList> full = read(false);
    const QList<QVariantList> streamed = read(true);
    ASSERT_EQ(full.size(), 2);
    ASSERT_EQ(streamed.size(), 2);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < full[r].size(); ++c) {
            SCOPED_TRACE(testing::Message() << "Zeile " << r << ", Spalte " << c);
            EXPECT_EQ(streamed[r][c].typeId(), full[r][c].typeId());
            EXPECT_EQ(streamed[r][c], full[r][c]);
        }
    EXPECT_EQ(streamed[0][1].toString(), QString::fromUtf8(" Müßig-Ærø € 😀 "));
    EXPECT_EQ(streamed[0][5].toByteArray(), QByteArray("\x00\xFFz", 3));
}
