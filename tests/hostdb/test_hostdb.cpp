#include "Codec1252.h"
#include "Database.h"
#include "DbTestSupport.h"
#include "DemoSchool.h"
#include "HostDbCommands.h"
#include "HostSchema.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

int runCommand(int (*command)(int, char**), QStringList args) {
    std::vector<QByteArray> bytes;
    for (const QString& a : args) bytes.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (auto& b : bytes) argv.push_back(b.data());
    return command(int(argv.size()), argv.data());
}

// Every row of every table, ordered, as text: the content of a database.
QStringList dump(TADOConnection& conn, TSchemaKind kind) {
    QStringList lines;
    for (const TTableDef& t : SchemaTables(kind)) {
        QStringList order;
        for (const char* k : t.PrimaryKey) order.append(QString::fromLatin1(k));
        TADOQuery q(&conn);
        q.SetSQL(QStringLiteral("SELECT * FROM %1 ORDER BY %2").arg(QString::fromLatin1(t.Name), order.join(QLatin1Char(','))));
        q.Open();
        for (q.First(); !q.Eof(); q.Next()) {
            QStringList cells;
            for (int i = 0; i < q.FieldCount(); ++i)
                cells.append(q.Fields(i).IsNull() ? QStringLiteral("<null>") : q.Fields(i).AsString());
            lines.append(QString::fromLatin1(t.Name) + QLatin1Char('|') + cells.join(QLatin1Char('|')));
        }
    }
    return lines;
}

class SchemaTest : public ::testing::Test {
protected:
    void SetUp() override { VELTRA_REQUIRE_ENGINE(); }
};

}  // namespace

TEST_F(SchemaTest, CreatesEveryTableOnceWithKeysAndFlagDefaults) {
    TADOConnection conn(db_testing::freshDatabase());
    CreateSchema(conn);
    QStringList tables;
    for (const QString& t : conn.GetTableNames()) tables.append(t.toLower());
    for (const char* name : {"schueler", "schuelerlernabschnittsdaten", "schuelerleistungsdaten", "eigeneschule",
                             "eigeneschule_faecher", "eigeneschule_jahrgaenge", "eigeneschule_kursart", "versetzung",
                             "schuelerld_psfachbem", "schuelerzuweisungen", "kurse", "floskeln", "schuelerbkfaecher",
                             "k_foerderschwerpunkt", "schuelersprachenfolge"})
        EXPECT_TRUE(tables.contains(QString::fromLatin1(name))) << name;
    EXPECT_FALSE(tables.contains(QStringLiteral("prueford_optionen")));
    // A second run names the first table it finds.
    try {
        CreateSchema(conn);
        FAIL() << "created the tables twice";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Die Datenbank enthält bereits die Tabelle EigeneSchule."));
    }
    // Flags default to "-"; the result of a missing subject is refused.
    conn.Execute(QStringLiteral("INSERT INTO Schueler (ID, SchulnrEigner, Name) VALUES (1, 7, 'A')"));
    TADOQuery q(&conn);
    q.SetSQL(QStringLiteral("SELECT Geloescht FROM Schueler"));
    q.Open();
    EXPECT_EQ(q.FieldByName(QStringLiteral("Geloescht")).AsString(), QStringLiteral("-"));
    conn.Execute(QStringLiteral("INSERT INTO SchuelerLernabschnittsdaten (ID, SchulnrEigner, Schueler_ID) VALUES (1, 7, 1)"));
    EXPECT_THROW(conn.Execute(QStringLiteral("INSERT INTO SchuelerLeistungsdaten (ID, SchulnrEigner, Abschnitt_ID, Fach_ID) VALUES (1, 7, 1, 99)")),
                 EDatabaseError);
    EXPECT_THROW(conn.Execute(QStringLiteral("INSERT INTO SchuelerZuweisungen (Abschnitt_ID,Fach_ID,Kursart,SchulnrEigner) VALUES (1,2,'E',7), (1,2,'G',7)")),
                 EDatabaseError);
}

TEST(SqliteOnlyDbCommand, InitCreatesTheTablesOnceAndReportsUsage) {
    const QString dir = QDir(tempDir()).filePath(QStringLiteral("init"));
    QDir().mkpath(dir);
    const QString host = QStringLiteral("Data Source=%1/host.db").arg(dir);
    const QString intern = QStringLiteral("Data Source=%1/intern.db").arg(dir);
    EXPECT_EQ(runCommand(RunDbCommand, {"db", "init", "--db", host, "--intern", intern}), 0);
    TADOConnection conn(intern);
    EXPECT_TRUE(conn.GetTableNames().contains(QStringLiteral("PruefOrd_Optionen"), Qt::CaseInsensitive));
    EXPECT_EQ(runCommand(RunDbCommand, {"db", "init", "--db", host}), 1);  // not empty any more
    EXPECT_EQ(runCommand(RunDbCommand, {"db", "init", "--db", "Provider=Unbekannt;Data Source=x"}), 1);
    EXPECT_FALSE(QFile::exists(QStringLiteral("x")));
    EXPECT_EQ(runCommand(RunDbCommand, {"db", "init"}), 2);
    EXPECT_EQ(runCommand(RunDbCommand, {"db", "drop", "--db", host}), 2);
    EXPECT_EQ(runCommand(RunDbCommand, {"db", "init", "--db", host, "--egal"}), 2);
    EXPECT_EQ(runCommand(RunDbCommand, {"db", "--help"}), 0);
}

TEST(SqliteOnlyDemo, SameSeedSameContentAndAPhraseFileInAnsi) {
    const QString a = QDir(tempDir()).filePath(QStringLiteral("demoA"));
    const QString b = QDir(tempDir()).filePath(QStringLiteral("demoB"));
    const QString c = QDir(tempDir()).filePath(QStringLiteral("demoC"));
    EXPECT_EQ(runCommand(RunDemoCommand, {"demo", "--dir", a, "--seed", "7", "--pupils", "60"}), 0);
    EXPECT_EQ(runCommand(RunDemoCommand, {"demo", "--dir", b, "--seed", "7", "--pupils", "60"}), 0);
    EXPECT_EQ(runCommand(RunDemoCommand, {"demo", "--dir", c, "--seed", "8", "--pupils", "60"}), 0);
    const TDemoInstallation ia = DemoInstallationIn(a), ib = DemoInstallationIn(b), ic = DemoInstallationIn(c);
    TADOConnection ha(ia.HostConnectionString), hb(ib.HostConnectionString), hc(ic.HostConnectionString);
    const QStringList da = dump(ha, TSchemaKind::Host);
    EXPECT_GT(da.size(), 1000);
    EXPECT_EQ(da, dump(hb, TSchemaKind::Host));
    EXPECT_NE(da, dump(hc, TSchemaKind::Host));
    TADOConnection xa(ia.InternConnectionString), xb(ib.InternConnectionString);
    EXPECT_EQ(dump(xa, TSchemaKind::Intern), dump(xb, TSchemaKind::Intern));

    const QByteArray phrases = readFile(QDir(ia.GroupDir).filePath(QStringLiteral("floskeln.txt")));
    EXPECT_TRUE(phrases.contains("#ver=&Er%Sie& wird in die n\xE4" "chste Klasse versetzt.\r\n"));
    EXPECT_TRUE(phrases.contains("$Vorname$"));

    // An existing installation stays unless forced; --install keeps it quietly.
    EXPECT_EQ(runCommand(RunDemoCommand, {"demo", "--dir", a}), 1);
    EXPECT_EQ(runCommand(RunDemoCommand, {"demo", "--dir", a, "--install"}), 0);
    EXPECT_EQ(dump(ha, TSchemaKind::Host), da);
    EXPECT_EQ(runCommand(RunDemoCommand, {"demo", "--dir", a, "--seed", "8", "--pupils", "60", "--force"}), 0);
    ha.Close();
    EXPECT_EQ(dump(ha, TSchemaKind::Host), dump(hc, TSchemaKind::Host));
    EXPECT_EQ(runCommand(RunDemoCommand, {"demo", "--pupils", "0"}), 2);
    EXPECT_EQ(runCommand(RunDemoCommand, {"demo", "--seed"}), 2);
    EXPECT_EQ(runCommand(RunDemoCommand, {"demo", "--help"}), 0);
}
