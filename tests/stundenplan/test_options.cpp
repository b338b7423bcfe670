#include "IniFile.h"
#include "PlanTestSupport.h"
#include "Codec1252.h"

using namespace testing_support;

TEST_F(PlanTest, DefaultsWithoutAndWithASettingsFile) {
    TVeltraplanOptions& o = VeltraplanOptions();
    EXPECT_EQ(o.TageProWoche, 5);
    EXPECT_EQ(o.StundenProTag, 8);
    EXPECT_EQ(o.AktStunde(1), 0);
    EXPECT_EQ(o.optSMTP_Port, 25);
    EXPECT_FALSE(o.AutoAnzeige);
    const char* starts[] = {"07:45", "08:30", "09:30", "10:15", "11:15", "12:00", "13:00", "13:45"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(QTime::fromMSecsSinceStartOfDay(int(std::llround(o.optStundenbeginn[size_t(i)] * 86400000.0))).toString("hh:mm"), starts[i]);

    const QString ini = tempDir() + "/plan.ini";
    writeFile(ini, "[SCHULE]\r\nSCHULNAME=Gymnasium\r\n[PLANMERKER]\r\na=Eins\r\nb=Zwei\r\nc=Drei\r\nd=Vier\r\ne=F\xfcnf\r\nf=Sechs\r\ng=Sieben\r\n"
                   "[AUFSICHTSORTE]\r\n1=Hof\r\n2=Halle\r\n[Anfangszeiten]\r\nStunde_2=08:40:00\r\n[DEPUTATE]\r\nGRUPPIERUNG=kopplung_zuerst\r\n");
    o.SetInifilename(ini);
    EXPECT_EQ(o.TageProWoche, 6);
    EXPECT_EQ(o.StundenProTag, 20);
    EXPECT_EQ(o.AktStunde(1), 1);
    EXPECT_EQ(o.optSMTP_Port, 35);
    EXPECT_EQ(o.SchuleBez1, "Gymnasium");
    EXPECT_EQ(o.MerkerStr[1], "Eins");
    EXPECT_EQ(o.MerkerStr[5], "Fünf");
    EXPECT_EQ(o.AufsichtsOrte, (QStringList{"Hof", "Halle"}));
    EXPECT_TRUE(o.KoppFirst);
    EXPECT_EQ(QTime::fromMSecsSinceStartOfDay(int(std::llround(o.optStundenbeginn[1] * 86400000.0))).toString("hh:mm"), "08:40");
    EXPECT_EQ(QTime::fromMSecsSinceStartOfDay(int(std::llround(o.optStundenbeginn[2] * 86400000.0))).toString("hh:mm"), "09:30");
    EXPECT_TRUE(o.VeltraUrlFilename.isEmpty());  // no host functions bound: nothing derived
}

TEST_F(PlanTest, PasswordsAreStoredEncipheredAndSettingsSurviveSaving) {
    const QByteArray cipher = VigenereEncode("geheim");
    EXPECT_NE(cipher, "geheim");
    EXPECT_EQ(uint8_t(cipher[0]), uint8_t(('g' + 'k') % 256));
    EXPECT_EQ(VigenereDecode(cipher), "geheim");

    const QString ini = tempDir() + "/save.ini";
    QFile::remove(ini);
    TVeltraplanOptions& o = VeltraplanOptions();
    o.SetInifilename(ini);
    o.optPasswort = "geheim";
    o.SortDepu = true;  // the grouping is read only with sorting on
    o.KoppFirst = true;
    o.MerkerStr[2] = "Aufsicht";
    o.AufsichtsZeiten = {"1. Pause"};
    o.SaveOptions();
    IniFile check(ini);
    EXPECT_EQ(Codec1252::encode(check.ReadString("E_MAIL", "Passwort", "")), cipher);
    EXPECT_EQ(check.ReadString("DEPUTATE", "GRUPPIERUNG", ""), "KOPPLUNG_ZUERST");
    EXPECT_EQ(check.ReadString("PLANMERKER", "M2", ""), "Aufsicht");
    EXPECT_FALSE(check.ValueExists("AUFSICHT", "MAXAUFSICHT"));

    ResetVeltraplanOptions();
    VeltraplanOptions().SetInifilename(ini);
    EXPECT_EQ(VeltraplanOptions().optPasswort, "geheim");
    EXPECT_EQ(VeltraplanOptions().MerkerStr[2], "Aufsicht");
    EXPECT_EQ(VeltraplanOptions().AufsichtsZeiten, QStringList{"1. Pause"});
    EXPECT_TRUE(VeltraplanOptions().KoppFirst);
}

TEST_F(PlanTest, SchoolDataYearIsClampedToTheCurrentYear) {
    setClock(QDateTime(QDate(2015, 9, 1), QTime(8, 0)));
    struct { int year, section; int wantYear, wantSection; } cases[] = {
        {2016, 2, 2016, 2}, {1990, 1, 2005, 1}, {2100, 2, 2015, 1}, {2015, 7, 2015, 4}};
    for (const auto& c : cases) {
        TSchulDaten d;
        d.Init();
        d.Schulnummer = 4711;
        d.Jahr = c.year;
        d.Abschnitt = c.section;
        VeltraplanOptions().SchuldatenToOptions(d);
        EXPECT_EQ(VeltraplanOptions().SchuleJahr, c.wantYear) << c.year;
        EXPECT_EQ(VeltraplanOptions().SchuleAbschnitt, c.wantSection) << c.year;
    }
    EXPECT_EQ(VeltraplanOptions().OptionsToSchuldaten().Schulnummer, 4711);
}
