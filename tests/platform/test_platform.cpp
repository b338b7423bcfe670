#include "Codec1252.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "FormatSettings.h"
#include "Guards.h"
#include "IniFile.h"
#include "Registry.h"
#include "TestSupport.h"
#include "VersionInfo.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QApplication>
#include <gtest/gtest.h>

using namespace testing_support;

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { freshRegistry(); }
};

TEST_F(RegistryTest, KeysAndValueNamesAreCaseInsensitiveAndCasePreserving) {
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("\\Software\\VelTRA2000", true));
        reg.WriteString("DBPWD", "geheim");
        reg.WriteInteger("Breite", 42);
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\software\\veltra2000"));
    EXPECT_EQ(reg.ReadString("dbpwd"), "geheim");
    EXPECT_EQ(reg.ReadInteger("BREITE"), 42);
    EXPECT_EQ(reg.GetValueNames(), QStringList({"Breite", "DBPWD"}));
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKey("\\Software", false));
    EXPECT_EQ(reg.GetKeyNames(), QStringList{"VelTRA2000"});
    // Writing with other case keeps the first spelling.
    ASSERT_TRUE(reg.OpenKey("VELTRA2000", false));
    reg.WriteString("dbPwd", "neu");
    EXPECT_EQ(reg.GetValueNames(), QStringList({"Breite", "DBPWD"}));
    EXPECT_EQ(reg.CurrentPath(), "Software\\VELTRA2000");  // as opened, like the registry class
}

TEST_F(RegistryTest, WrongTypeAndMissingValuesFailLikeTheRegistryClass) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\X", true));
    reg.WriteInteger("Zahl", 7);
    reg.WriteString("Text", "a");
    EXPECT_THROW(reg.ReadString("Zahl"), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("Text"), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("Fehlt"), ERegistryException);
    EXPECT_THROW(reg.ReadBinaryData("Text"), ERegistryException);
    EXPECT_EQ(reg.ReadString("Fehlt"), "");  // a missing text reads as empty
    EXPECT_FALSE(reg.OpenKey("\\Software\\Nirgends", false));
    EXPECT_FALSE(reg.OpenKeyReadOnly("\\Software\\Nirgends"));
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\X"));
    EXPECT_THROW(reg.WriteString("Text", "b"), ERegistryException);
}

TEST_F(RegistryTest, BinaryValuesRoundTripAndKeysDelete) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\A\\B\\C", true));
    const QByteArray blob("\x00\x01\xFF\x7F", 4);
    reg.WriteBinaryData("Blob", blob);
    EXPECT_EQ(reg.ReadBinaryData("blob"), blob);
    EXPECT_EQ(reg.GetDataType("BLOB"), TRegDataType::rdBinary);
    reg.CloseKey();
    EXPECT_TRUE(reg.DeleteKey("\\a\\b"));
    EXPECT_FALSE(reg.KeyExists("\\A\\B\\C"));
    EXPECT_TRUE(reg.KeyExists("\\A"));
}

TEST_F(RegistryTest, SeesWritesOfAnotherProcessAndNeverLeavesAHalfWrittenStore) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\K", true));
    reg.WriteString("Wert", "alt");
    // Another process (another library copy in real use) replaces the file.
    const QString file = TRegistry::StoreFileName();
    QByteArray json = readFile(file);
    json.replace("\"alt\"", "\"neu\"");
    writeFile(file + ".tmp", json);
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QFile::rename(file + ".tmp", file));
    EXPECT_EQ(reg.ReadString("Wert"), "neu");

    // A writer killed in the middle of many writes leaves a complete store.
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({"--gtest_filter=RegistryChild.WriteForever", "--gtest_also_run_disabled_tests"});
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELTRA_REGISTRY", file);
    env.insert("VELTRA_REGISTRY_CHILD", "1");
    child.setProcessEnvironment(env);
    child.start();
    ASSERT_TRUE(child.waitForStarted());
    QThread::msleep(400);
    child.kill();
    child.waitForFinished();
    TRegistry after;
    ASSERT_TRUE(after.OpenKeyReadOnly("\\K"));  // parses, so the file is whole
    EXPECT_FALSE(QFile::exists(file + ".defekt"));
}

TEST(RegistryChild, WriteForever) {
    if (qEnvironmentVariableIsEmpty("VELTRA_REGISTRY_CHILD")) GTEST_SKIP() << "helper of the crash test";
    TRegistry reg;
    reg.OpenKey("\\K", true);
    for (int i = 0;; ++i) reg.WriteString(QString("Wert%1").arg(i % 200), QString(500, QChar('x' + i % 3)));
}

TEST_F(RegistryTest, AnUnreadableStoreIsKeptAsideNotOverwritten) {
    const QString file = TRegistry::StoreFileName();
    writeFile(file, "{ kaputt");
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists("\\K"));
    EXPECT_EQ(readFile(file + ".defekt"), QByteArray("{ kaputt"));
}

TEST(Codec1252, RoundTripsTheCodePageAndReplacesTheRest) {
    const QString text = QString::fromUtf8("Äöü ß € „x“ – ™");
    const QByteArray bytes = Codec1252::encode(text);
    EXPECT_EQ(bytes, QByteArray("\xC4\xF6\xFC \xDF \x80 \x84x\x93 \x96 \x99"));
    EXPECT_EQ(Codec1252::decode(bytes), text);
    EXPECT_EQ(Codec1252::encode(QString::fromUtf8("Жx😀")), QByteArray("?x?"));
    EXPECT_EQ(Codec1252::decode(QByteArray("\x81\x8D", 2)), QString::fromUtf16(u"\u0081\u008D"));
    for (int b = 0; b < 256; ++b) {
        const QByteArray one(1, char(b));
        EXPECT_EQ(Codec1252::encode(Codec1252::decode(one)), one) << b;
    }
}

TEST(IniFileTest, WindowsSemanticsAndAtomicAnsiFile) {
    const QString path = tempDir() + "/test.ini";
    writeFile(path, "[Allgemein]\r\nName=Gr\xFC\xDF" "e\r\nZahl=$1F\r\n[Zweite]\r\nB=2\r\nA=1\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.ReadString("allgemein", "NAME", "x"), QString::fromUtf8("Grüße"));
    EXPECT_EQ(ini.ReadInteger("Allgemein", "Zahl", 0), 31);
    EXPECT_EQ(ini.ReadInteger("Allgemein", "Name", -1), -1);
    EXPECT_EQ(ini.ReadString("Allgemein", "Fehlt", "vorgabe"), "vorgabe");
    EXPECT_EQ(ini.ReadSections(), QStringList({"Allgemein", "Zweite"}));
    EXPECT_EQ(ini.ReadSection("ZWEITE"), QStringList({"B", "A"}));
    EXPECT_TRUE(ini.ReadBool("Zweite", "A", false));
    ini.WriteString("Neu", "Text", QString::fromUtf8("€"));
    ini.UpdateFile();
    const QByteArray bytes = readFile(path);
    EXPECT_TRUE(bytes.contains("[Neu]\r\nText=\x80\r\n")) << bytes.constData();
    EXPECT_TRUE(bytes.contains("Name=Gr\xFC\xDF" "e\r\n"));
}

TEST(DialogsTest, FakeRecordsTextsAndAnswersFromItsQueue) {
    FakeDialogs fake;
    fake.answer(mrNo);
    EXPECT_EQ(Dialogs::instance().MessageDlg("Speichern?", TMsgDlgType::mtConfirmation, mbYesNo), mrNo);
    EXPECT_EQ(Dialogs::instance().MessageDlg("Fertig", TMsgDlgType::mtInformation, mbOK), mrOk);
    EXPECT_THROW(Dialogs::instance().MessageDlg("Noch einmal?", TMsgDlgType::mtConfirmation, mbYesNo),
                 std::logic_error);
    ASSERT_EQ(fake.shown.size(), 3);
    EXPECT_EQ(fake.shown[0].caption, "Bestätigen");
    EXPECT_EQ(fake.texts(), QStringList({"Speichern?", "Fertig", "Noch einmal?"}));
}

TEST(GuardsTest, ActionGuardShowsTheMessageAndRestoresTheCursor) {
    FakeDialogs fake;
    EXPECT_FALSE(RunAction([] {
        HourglassGuard hourglass;
        throw EDatabaseError("Tabelle fehlt", "SELECT 1");
    }));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(RunAction([] { throw EAbort("still"); }));
    EXPECT_TRUE(RunAction([] {}));
    ASSERT_EQ(fake.shown.size(), 1);
    EXPECT_EQ(fake.shown[0].text, "Tabelle fehlt");
    EXPECT_EQ(fake.shown[0].type, TMsgDlgType::mtError);
}

TEST(FormatSettingsTest, GermanLocaleAndBooleanTexts) {
    const TFormatSettings& fs = FormatSettings();
    EXPECT_EQ(fs.LongDayNames.first(), "Montag");
    EXPECT_EQ(fs.LongMonthNames.at(2), QString::fromUtf8("März"));
    EXPECT_EQ(fs.DecimalSeparator, QChar(','));
    TrueBoolStrs() = {"True", "ja", "Wahr", "+"};
    FalseBoolStrs() = {"False", "nein", "Falsch", "-"};
    EXPECT_TRUE(StrToBool("wahr"));
    EXPECT_FALSE(StrToBool("-"));
    EXPECT_EQ(BoolToStr(true), "True");
    EXPECT_THROW(StrToBool("vielleicht"), EConvertError);
    TrueBoolStrs() = {"True"};
    FalseBoolStrs() = {"False"};
}

TEST(VersionInfoTest, ReadsTheRecordOfThisBinaryAndNothingFromOtherFiles) {
    const TVersionRecord rec = ReadVersionRecord(QCoreApplication::applicationFilePath());
    EXPECT_EQ(rec.value("ProductName"), "Veltra Tests");
    EXPECT_EQ(rec.value("InternalName"), "test_platform");
    EXPECT_FALSE(rec.value("FileVersion").isEmpty());
    const QString junk = tempDir() + "/junk.so";
    writeFile(junk, QByteArray("\x7F" "ELF\x02\x01\x01") + QByteArray(100, '\xFF'));
    EXPECT_TRUE(ReadVersionRecord(junk).isEmpty());
    EXPECT_TRUE(ReadVersionRecord(tempDir() + "/fehlt").isEmpty());
}
