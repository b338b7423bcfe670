#include "HostSettings.h"
#include "Registry.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace testing_support;

class HostSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { freshRegistry(); }
    void TearDown() override {
        QFile::remove(QCoreApplication::applicationDirPath() + "/Admin.ini");
        FinalizeHostSettings();
    }
};

TEST_F(HostSettingsTest, ScrambleIsSymmetricAndBytewise) {
    for (const QString& s : {QString("mirtol"), QString("x"), QString::fromUtf8("Paßwort€"), QString(40, 'a'), QString()})
        EXPECT_EQ(ScrambleText(ScrambleText(s)), s) << s.toStdString();
    const QString one = ScrambleText("a");
    const QString two = ScrambleText("ab");
    EXPECT_EQ(one.size(), 1);
    EXPECT_NE(one, "a");
    EXPECT_EQ(two.left(1), one);  // each position depends on itself only
    EXPECT_EQ(ScrambleText(QString(300, 'z')).size(), 255);
}

TEST_F(HostSettingsTest, PasswordDefaultIsCreatedForANewUserAndForAnEmptyValue) {
    EXPECT_EQ(GetDBPassword(), "mirtol");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\VelTRA2000", false));
    EXPECT_EQ(reg.ReadString("DBPWD"), ScrambleText("mirtol"));
    reg.WriteString("DBPWD", "");
    EXPECT_EQ(GetDBPassword(), "mirtol");
    reg.WriteString("DBPWD", ScrambleText("geheim"));
    EXPECT_EQ(GetDBPassword(), "geheim");
    reg.WriteInteger("DBPWD", 3);  // wrong type: treated like a missing value
    EXPECT_EQ(GetDBPassword(), "mirtol");
}

TEST_F(HostSettingsTest, InstallationRecordWithAndWithoutAdminIni) {
    QCoreApplication::setApplicationName("Veltra");
    InitHostSettings();
    const THostSettings& s = HostSettings();
    const QString host = QCoreApplication::applicationDirPath() + "/";
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/";
    EXPECT_EQ(s.HostDir, host);
    EXPECT_EQ(s.AdminDir, host);
    EXPECT_EQ(s.ReportRegBase, "Software\\Veltra\\Reporting_Neu\\");
    EXPECT_EQ(s.ReportsConn, "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + docs +
                                 "keytabs/reports.mdb;Persist Security Info=False;");
    EXPECT_EQ(s.ImpExpConn, "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + host +
                                "keytabs/impexp.mdb;Persist Security Info=False;");
    EXPECT_TRUE(s.StatKueConn.contains("Data Source=" + host + "keytabs/statkue.mdb;"));
    EXPECT_EQ(s.InternConn, "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + host +
                                "keytabs/veltraintern.mdb;Persist Security Info=False;Jet OLEDB:Database Password=mirtol");

    writeFile(host + "Admin.ini", "[Administration]\r\nAdminDir=/srv/veltra\r\n");
    InitHostSettings();
    EXPECT_EQ(HostSettings().AdminDir, "/srv/veltra/");
    EXPECT_TRUE(HostSettings().ImpExpConn.contains("Data Source=/srv/veltra/keytabs/impexp.mdb;"));
    EXPECT_TRUE(HostSettings().ReportsConn.contains("Data Source=" + docs));
}
