// "veltra eq10 export": the real host loading the real libtavex.so, as a user
// or a script calls it.
#include "EQ10Export.h"
#include "Eq10Fixture.h"
#include "Registry.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace testing_support;
using namespace eq10_testing;

namespace {
struct Result {
    int code = -1;
    QString out, err;
};

class Eq10CommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        freshRegistry();
        // No debug viewer is started by the runs of these tests.
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("\\Software\\GExperts\\Debug", true));
        reg.WriteString("FilePath", tempDir() + "/kein-viewer");
        dir = tempDir() + "/cmd_" + QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name());
        QDir().mkpath(dir);
        db = CreateSchool(dir + "/schule.db");
        file = dir + "/EQ10Export.txt";
    }

    Result run(const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("VELTRA_DEBUGVIEW_NAME", tempDir() + "/no-viewer");
        p.setProcessEnvironment(env);
        p.start(QString(VELTRA_BIN_DIR) + "/veltra", QStringList{"eq10"} + args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

    QStringList exportArgs(const QStringList& extra = {}) const {
        return QStringList{"export", "--db", db, "--school", "100", "--section", "2023/24.2", "--status", "Aktiv",
                           "--grades", "10", "--out", dir} + extra;
    }

    QString dir, db, file;
};

TEST_F(Eq10CommandTest, ExportsLikeTheDialogAndRefusesToOverwriteUnasked) {
    Result r = run(exportArgs());
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "8 Datensätze in die Datei " + file + " exportiert\n");
    // The same run in-process gives the same bytes.
    const QByteArray written = readFile(file);
    TEQ10Export exp(db, 100);
    TEQ10Selection sel;
    sel.Schuljahr = 2023;
    sel.Abschnitt = 2;
    sel.Jahrgang = "'10'";
    sel.Schulform = "10";
    const QString again = dir + "/inprocess.txt";
    exp.WriteExportFile(again, sel);
    EXPECT_EQ(written, readFile(again));

    writeFile(file, "alt\r\n");
    r = run(exportArgs());
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.startsWith("Die Datei " + file + " existiert bereits.\nSoll die Datei überschrieben werden?\n"))
        << r.err.toStdString();
    EXPECT_EQ(readFile(file), QByteArray("alt\r\n"));

    r = run(exportArgs({"--overwrite", "--diagnostic"}));
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(readFile(file).startsWith("Tavex, Diagnoseausgabe\r\n"));
}

TEST_F(Eq10CommandTest, DefaultsAreTheDialogsPresets) {
    const Result r = run({"export", "--db", db, "--school", "100", "--out", dir});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "8 Datensätze in die Datei " + file + " exportiert\n");
}

TEST_F(Eq10CommandTest, FailuresExitWithOneAndTheirMessage) {
    struct Case {
        const char* name;
        QStringList args;
        QString message;
    };
    QStringList missingDir = exportArgs();
    missingDir.last() = dir + "/fehlt";
    QStringList badStatus = exportArgs();
    badStatus[badStatus.indexOf("Aktiv")] = "Beurlaubt";
    QStringList noGrades = exportArgs();
    noGrades[noGrades.indexOf("--grades") + 1] = "";
    QStringList badSection = exportArgs();
    badSection[badSection.indexOf("--section") + 1] = "24/25.1";
    QStringList badDb = exportArgs();
    badDb[badDb.indexOf("--db") + 1] = "Data Source=" + dir + "/gibtsnicht.db";
    const Case cases[] = {
        {"missing directory", missingDir, "Das Verzeichnis " + dir + "/fehlt existiert nicht!\n"},
        {"unknown status", badStatus, "Unbekannter Status der Schüler"},
        {"no grade level", noGrades, "Es ist kein Jahrgang ausgewählt"},
        {"unreadable section", badSection, "Der Abschnitt \"24/25.1\" kann nicht gelesen werden"},
        {"database", badDb, "Die Datenbank " + dir + "/gibtsnicht.db wurde nicht gefunden."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Result r = run(c.args);
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.startsWith(c.message)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_FALSE(QFile::exists(file));
    }
}

TEST_F(Eq10CommandTest, HelpAndUsageErrors) {
    Result r = run({"--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.startsWith("Aufruf: veltra eq10 export")) << r.out.toStdString();
    r = run({"export", "--help"});
    EXPECT_EQ(r.code, 0);
    for (const QStringList& args : {QStringList{}, QStringList{"import"}, QStringList{"export", "--out", dir},
                                    QStringList{"export", "--db", db, "--out", dir, "--schule", "1"},
                                    QStringList{"export", "--db", db, "--out", dir, "--school", "x"}}) {
        r = run(args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("Aufruf: veltra eq10 export"));
    }
}
}  // namespace
