#include "Dialogs.h"
#include "Exceptions.h"
#include "HostWindow.h"
#include "PluginLoader.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {
QString logFile() { return tempDir() + "/plugin.log"; }

QStringList takeLog() {
    QFile f(logFile());
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    f.close();
    f.remove();
    return lines;
}

class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        freshRegistry();
        qputenv("VELTRA_TESTPLUGIN_LOG", QFile::encodeName(logFile()));
        takeLog();
    }
};
}  // namespace

TEST_F(HostTest, LoaderPassesUtf16StringsToTheEntries) {
    TPluginLoader loader("libveltra_testplugin_classic.so", TESTPLUGIN_DIR);
    const QString odd = QString::fromUtf8("Grüße 😀 ß");
    loader.CallZareduvadDialog("Data Source=/x/schule.db", odd, "", 4711);
    loader.CallKlassenPlanZeigen("/pläne/plan.wpl", "5a", true);
    EXPECT_EQ(takeLog(), QStringList({"ZareduvadDialog|Data Source=/x/schule.db|" + odd + "||4711",
                                      QString::fromUtf8("KlassenPlanZeigen|/pläne/plan.wpl|5a|1")}));
}

TEST_F(HostTest, MissingLibraryOrEntryGiveGermanMessages) {
    TPluginLoader loader("libveltra_testplugin_classic.so", TESTPLUGIN_DIR);
    try {
        loader.CallExportEQ10("x", "y", 1);
        FAIL() << "expected an exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Die Funktion ExportEQ10 fehlt in der Bibliothek libveltra_testplugin_classic.so.");
    }
    TPluginLoader missing("libgibtsnicht.so", tempDir());
    try {
        missing.Load();
        FAIL() << "expected an exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Die Bibliothek " + tempDir() + "/libgibtsnicht.so wurde nicht gefunden.");
    }
    writeFile(tempDir() + "/libkaputt.so", "kein ELF");
    TPluginLoader broken("libkaputt.so", tempDir());
    try {
        broken.Load();
        FAIL() << "expected an exception";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().startsWith("Die Bibliothek " + tempDir() + "/libkaputt.so kann nicht geladen werden:"));
    }
}

TEST_F(HostTest, EachLibraryRunsItsOwnStartUpSideBySide) {
    TPluginLoader classic("libveltra_testplugin_classic.so", TESTPLUGIN_DIR);
    TPluginLoader tavex("libveltra_testplugin_tavex.so", TESTPLUGIN_DIR);
    QByteArray a0 = "x", a1 = "state";
    char* argv[] = {a0.data(), a1.data()};
    EXPECT_EQ(classic.CallPluginCommand(2, argv), 0);
    EXPECT_EQ(tavex.CallPluginCommand(2, argv), 0);
    EXPECT_EQ(classic.CallPluginCommand(2, argv), 0);
    EXPECT_EQ(takeLog(), QStringList({"state|14|True|;|testplugin_classic", "state||True|;|testplugin_tavex",
                                      "state|14|True|;|testplugin_classic"}));
}

TEST_F(HostTest, CommandLineLoadsTheLibraryThatOwnsTheCommand) {
    // An installation: the host with a "timetable library" beside it.
    const QString inst = tempDir() + "/installation";
    QDir().mkpath(inst);
    QFile::remove(inst + "/veltra");
    QFile::remove(inst + "/libhoravia.so");
    ASSERT_TRUE(QFile::copy(VELTRA_BIN_DIR "/veltra", inst + "/veltra"));
    ASSERT_TRUE(QFile::copy(TESTPLUGIN_DIR "/libveltra_testplugin_classic.so", inst + "/libhoravia.so"));
    auto run = [&](const QStringList& args, QString* err = nullptr) {
        QProcess p;
        p.start(inst + "/veltra", args);
        p.waitForFinished(60000);
        if (err) *err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitCode();
    };
    EXPECT_EQ(run({"plan", "export", QString::fromUtf8("Müller")}), 0);
    EXPECT_EQ(takeLog(), QStringList{QString::fromUtf8("PluginCommand|plan|export|Müller")});
    EXPECT_EQ(run({"plan", "fail"}), 1);
    QString err;
    EXPECT_EQ(run({"eq10", "export"}, &err), 1);
    EXPECT_EQ(err.trimmed(), "Die Bibliothek " + inst + "/libtavex.so wurde nicht gefunden.");
    EXPECT_EQ(run({"unbekannt"}, &err), 2);
    EXPECT_TRUE(err.startsWith(QString::fromUtf8("Unbekannter Befehl \"unbekannt\".")));
    EXPECT_EQ(run({"--help"}), 0);
}

TEST_F(HostTest, WindowFieldsPersistAndAMissingPluginIsReported) {
    {
        THostWindow w;
        EXPECT_EQ(w.windowTitle(), "Veltra");
        w.edtDatenbank->setText("Data Source=/tmp/schule.db");
        w.edtIntern->setText("Data Source=/tmp/intern.db");
        w.edtGruppenDir->setText("/tmp/gruppe");
        w.edtSchulnr->setValue(123456);
        w.edtPlandatei->setText("/tmp/plan.wpl");
        w.edtKlasse->setText("5a");
        w.show();
        w.grab().save(tempDir() + "/host.png");
        if (!qEnvironmentVariableIsEmpty("VELTRA_SCREENSHOTS"))
            w.grab().save(qEnvironmentVariable("VELTRA_SCREENSHOTS") + "/host.png");
    }
    THostWindow w;
    EXPECT_EQ(w.edtDatenbank->text(), "Data Source=/tmp/schule.db");
    EXPECT_EQ(w.edtIntern->text(), "Data Source=/tmp/intern.db");
    EXPECT_EQ(w.edtGruppenDir->text(), "/tmp/gruppe");
    EXPECT_EQ(w.edtSchulnr->value(), 123456);
    EXPECT_EQ(w.edtPlandatei->text(), "/tmp/plan.wpl");
    EXPECT_EQ(w.edtKlasse->text(), "5a");
    // The test binary's folder holds no plug-ins.
    FakeDialogs fake;
    w.btnEQ10->click();
    ASSERT_EQ(fake.shown.size(), 1);
    EXPECT_TRUE(fake.shown[0].text.endsWith("/libtavex.so wurde nicht gefunden.")) << fake.shown[0].text.toStdString();
    EXPECT_EQ(fake.shown[0].type, TMsgDlgType::mtError);
}

TEST_F(HostTest, DemoCommandPointsTheHostWindowAtTheInstallation) {
    const QString dir = tempDir() + "/demo";
    QProcess p;
    p.start(VELTRA_BIN_DIR "/veltra", {"demo", "--install", "--host", "--dir", dir, "--pupils", "40"});
    ASSERT_TRUE(p.waitForFinished(120000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    THostWindow w;
    EXPECT_EQ(w.edtDatenbank->text(), "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dir + "/veltra.db");
    EXPECT_TRUE(w.edtIntern->text().endsWith("Data Source=" + dir + "/intern.db"));
    EXPECT_EQ(w.edtGruppenDir->text(), dir + "/gruppe");
    EXPECT_GT(w.edtSchulnr->value(), 0);
    EXPECT_FALSE(w.edtKlasse->text().isEmpty());
    EXPECT_EQ(w.edtPlandatei->text(), dir + "/stundenplan.wpl");
    EXPECT_TRUE(QFileInfo(w.edtPlandatei->text()).isFile());
}
