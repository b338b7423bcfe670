// The weekly plan model and its text exports, on plan files made by the test writer.
#include "PlanFileWriter.h"
#include "PlanTestSupport.h"
#include "uKopplung.h"
#include "uStdPlan.h"

#include <QDir>

using namespace testing_support;
using namespace planwriter;

namespace {
const QString CRLF = QStringLiteral("\r\n");

// A current-layout plan entry: slot of (period, day) and the cell's four indices.
void putEntry(uint8_t* rec, int variant, int n, int period, int day, std::array<int, 4> idx, bool blocked = false) {
    uint8_t* e = rec + 20 + (variant - 1) * 1560 + n * 13;
    e[0] = uint8_t((day - 1) * 20 + period);
    e[1 + 3] = blocked ? 1 : 0;
    for (int i = 0; i < 4; ++i) put16(e + 1, 4 + 2 * i, idx[size_t(i)]);
}

void putOwner(uint8_t* rec, int owner) { put16(rec, 8, owner); }

QByteArray closed(TTextFile& f) {
    f.CloseFile();
    return readFile(f.FileName());
}

QByteArray lines(std::initializer_list<const char*> ls) {
    QByteArray b;
    for (const char* l : ls) b += QByteArray(l) + "\r\n";
    return b;
}

// Indices of the school below.
constexpr int MUE = 1, SCH = 2, K5A = 515, K5B = 516, D = 772, M = 773, R1 = 1029, R2 = 1030, KOP = 258;

class StdPlanTest : public PlanTest {
protected:
    // Two teachers, two classes, subjects D and M, rooms R1 and R2, one coupling of three teachers.
    void makeSchool(int version = 30) {
        Writer w(version);
        w.setKue(Le, 1, "MUE");
        w.setKue(Le, 2, "SCH");
        w.setKue(Le, 3, "ABC");
        w.setKue(Kl, 1, "5a");
        w.setKue(Kl, 2, "5b");
        w.setKue(Fa, 1, "D");
        w.setKue(Fa, 2, "M");
        w.setKue(Fa, 3, "DE");
        w.setKue(Ra, 1, "R1");
        w.setKue(Ra, 2, "R2");
        w.setKue(Ko, 1, "K1");
        if (!w.oldPlans()) {
            uint8_t* kl = w.plan(Kl, 1);
            putOwner(kl, K5A);
            putEntry(kl, 1, 0, 1, 1, {MUE, D, R1, 0});
            putEntry(kl, 1, 1, 4, 1, {SCH, M, R2, 0});
            putEntry(kl, 1, 2, 2, 2, {KOP, D, R1, 0});
            putEntry(kl, 1, 3, 1, 2, {0, 771, 1028, 0}, true);
            putEntry(kl, 2, 0, 3, 1, {MUE, 774, R1, 0});  // variant 2: subject DE
            uint8_t* le = w.plan(Le, 1);
            putOwner(le, MUE);
            putEntry(le, 1, 0, 1, 1, {K5A, D, R1, 0});
        }
        // Coupling K1: three teachers in class 5a.
        uint8_t* ko = w.data(Ko, 1);
        for (int m = 0; m < 3; ++m) {
            uint8_t* mem = ko + KopplungLayout::Mitglieder + m * KopMitgliedLayout::Size;
            put16(mem, KopMitgliedLayout::Lehrer, 1 + m);
            put16(mem, KopMitgliedLayout::Klasse, K5A);
            put16(mem, KopMitgliedLayout::Fach, D);
        }
        w.save(path());
        ASSERT_EQ(openCurrent(path())->Status(), 0);
    }
    TStdPlan loaded(int kue) {
        TStdPlan p;
        p.Load(kue);
        return p;
    }
};
}  // namespace

TEST_F(StdPlanTest, LoadReadsTheVariantAndKeepsTheOwnerForRealEntriesOnly) {
    makeSchool();
    TStdPlan p = loaded(K5A);
    EXPECT_EQ(p.Kuerzel, K5A);
    EXPECT_EQ(p.PlanTyp(), kla);
    EXPECT_EQ(p.KuerzelStr(), "5a");
    EXPECT_EQ(p.cell(1, 1).partner[0], MUE);
    EXPECT_FALSE(p.IstFreieStunde(1, 1));
    EXPECT_TRUE(p.IstFreieStunde(2, 1));
    EXPECT_FALSE(p.IstFreieStunde(1, 2));  // blocked, although its index is free
    EXPECT_TRUE(IsCouplingCell(p.cell(2, 2)));
    EXPECT_FALSE(HasSecondTeacher(p.cell(1, 1)));
    EXPECT_TRUE(IsValidCell(p.cell(1, 1)));
    EXPECT_EQ(CellKey(p.cell(1, 1)), "1-772-1029-0");
    TPlanCell bad = p.cell(1, 1);
    bad.partner[3] = 1330;
    EXPECT_FALSE(IsValidCell(bad));
    // The none entry of the kind is no real entry: the owner stays.
    TStdPlan q;
    q.Kuerzel = K5B;
    q.Load(kla, KueFirst[kla]);
    EXPECT_EQ(q.Kuerzel, 0);  // as stored in the empty record
    EXPECT_EQ(q.Load(K5B), 0);
    EXPECT_EQ(q.Kuerzel, K5B);
}

TEST_F(StdPlanTest, InitFillsTheEmptyCellOfTheKind) {
    TStdPlan p;
    p.cell(3, 2).blocked = 1;
    p.cell(3, 2).marked = 1;
    p.Woche = 5;
    p.Init(leh, false);
    EXPECT_EQ(p.cell(3, 2).blocked, 1);  // kept
    EXPECT_EQ(p.cell(3, 2).marked, 0);
    EXPECT_EQ(p.cell(3, 2).partner, (std::array<int16_t, 4>{514, 771, 1028, 0}));
    EXPECT_EQ(p.Woche, 0u);
    p.Init(rau, true);
    EXPECT_EQ(p.cell(3, 2).blocked, 0);
    EXPECT_EQ(p.cell(1, 1).partner, (std::array<int16_t, 4>{0, 514, 771, 0}));
    p.cell(1, 1).partner = {7, 7, 7, 7};
    p.Init(fac, true);  // other kinds leave the indices alone
    EXPECT_EQ(p.cell(1, 1).partner, (std::array<int16_t, 4>{7, 7, 7, 7}));
}

TEST_F(StdPlanTest, OccupiedPeriodsGapsAndSubjectCounts) {
    makeSchool();
    TStdPlan p = loaded(K5A);
    int s = 0, e = 0;
    p.BerechneBelegteStunden(1, s, e);
    EXPECT_EQ(std::pair(s, e), std::pair(1, 4));
    p.BerechneBelegteStunden(3, s, e);
    EXPECT_EQ(std::pair(s, e), std::pair(9, 9));  // no lessons
    // Day 1: lessons in 1 and 4, gaps 2 and 3. Day 2: blocked 1, coupling 2, no gap.
    // Variant 2 has one lesson only.
    EXPECT_EQ(p.Springstunden(), 2);
    EXPECT_EQ(CurrentVariant, 1);
    EXPECT_EQ(p.cell(4, 1).partner[0], SCH);  // the grid held is back
    // D twice in variant 1; "DE" (variant 2) merely begins with "D" and is not counted.
    EXPECT_EQ(p.FachStunden("D"), 2);
    EXPECT_EQ(p.FachStunden("D,M"), 3);
    EXPECT_EQ(p.FachStunden("M,DE"), 2);
    EXPECT_EQ(p.MaxLines(2), 3);  // the coupling has three teachers
    EXPECT_EQ(p.MaxLines(1), 1);
}

TEST_F(StdPlanTest, StoreWritesTheCurrentVariantAndClearEmptiesIt) {
    makeSchool();
    TStdPlan p = loaded(K5B);
    p.cell(5, 3).partner = {SCH, M, R2, 0};
    CurrentVariant = 2;
    p.Store(K5B);
    EXPECT_EQ(loaded(K5B).cell(5, 3).partner[0], SCH);
    CurrentVariant = 1;
    EXPECT_TRUE(loaded(K5B).IstFreieStunde(5, 3));
    CurrentVariant = 2;
    TStdPlan q = loaded(K5B);
    q.Clear();
    EXPECT_TRUE(loaded(K5B).IstFreieStunde(5, 3));
}

TEST_F(StdPlanTest, PackAndUnpackRoundTripAndOldPlanConversion) {
    makeSchool();
    TStdPlan p = loaded(K5A);
    TPlanBuf buf;
    buf.Init();
    p.PackTo(buf, 2);
    EXPECT_EQ(buf.entry(2, 0)[0], 1);   // period 1 day 1
    EXPECT_EQ(buf.entry(2, 1)[0], 21);  // period 1 day 2
    EXPECT_EQ(buf.entry(2, 40)[0], 0);  // beyond 8 periods x 5 days: untouched
    TStdPlan q;
    q.UnpackFrom(buf, 2, 120);
    EXPECT_EQ(q.Plan[0].partner, p.Plan[0].partner);
    EXPECT_EQ(q.cell(1, 2).blocked, 1);
    EXPECT_EQ(q.Kuerzel, K5A);

    TStdplan_20 old;
    old.Init(0);
    p.cell(4, 1).marked = 1;
    p.CopyTo_20(old);
    EXPECT_EQ(old.plan[0][1][0], KueLast[kla]);  // blocked
    EXPECT_EQ(old.beton[3][0], 1);
    TPlanBuf_20 b20;
    old.PackTo(b20, 1);
    TStdplan_20 back;
    back.UnpackFrom(b20, 1, 60);
    TStdPlan r;
    r.CopyFrom_20(back);
    EXPECT_EQ(r.Kuerzel, K5A);
    EXPECT_EQ(r.cell(4, 1).partner, (std::array<int16_t, 4>{SCH, M, R2, 0}));
    EXPECT_EQ(r.cell(4, 1).marked, 1);
    EXPECT_EQ(r.cell(1, 2).blocked, 1);
    EXPECT_TRUE(r.IstFreieStunde(7, 5));
    EXPECT_THROW(back.UnpackFrom(b20, 1, 61), EAssertionFailed);
}

TEST_F(StdPlanTest, HtmlPageIsByteExact) {
    makeSchool();
    TVeltraplanOptions& o = VeltraplanOptions();
    o.TageProWoche = 2;
    o.StundenProTag = 2;
    TStdPlan p = loaded(K5A);
    p.cell(2, 1).partner[1] = -3;  // outside the name table
    const QString dir = tempDir();
    p.ExportToHTML(dir);
    const QByteArray expected = lines({
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">",
        "<html>", "<head>", "<title>VelTRAPlan - Stundenplan f\xfcr Windows</title>", "</head>",
        "<body bgcolor=\"#FFFFCC\">",
        "<h1>Klassenplan: 5a</h1>",
        "<table border=\"1\" Cellspacing=\"0\">",
        "<thead>", "<td bgcolor=silver> * </td>",
        "<td  width=\"150\" bgcolor=\"silver\"> Montag </td>",
        "<td  width=\"150\" bgcolor=\"silver\"> Dienstag </td>",
        "</thead>",
        "<tr>", "<td bgcolor=\"silver\"> 1</td>",
        "<td > MUE D R1 </td>",
        "<td bgcolor=\"silver\"> .......... .......... .......... </td>",
        "</tr>",
        "<tr>", "<td bgcolor=\"silver\"> 2</td>",
        "<td > .......... ... .......... </td>",
        "<td bgcolor=yellow> K1 D R1 </td>",
        "</tr>",
        "</table>", "<p>", "<table border=\"1\" Cellspacing=\"0\">", "<tr>",
        "<td width=120 bgcolor=yellow>Kopplung</td>", "<td width=120 bgcolor=silver>gesperrte Stunde</td>",
        "</tr>", "</table>", "</p>", "</body>", "</html>"});
    EXPECT_EQ(readFile(dir + "/5a.html"), expected);
}

TEST(StdPlanNames, HtmlFileNamesAreMadeSafe) {
    const struct { const char* kue; const char* file; } cases[] = {
        {"5a", "5a"}, {" 7.b/c,d\\e ", "7_b_c_d_e"}, {"Möl", "Moe;l"}, {"Äßüä", "Ae;ssueae"}, {"ÖÜ", "OeUe"},
    };
    for (const auto& c : cases) EXPECT_EQ(PlanFileName(QString::fromUtf8(c.kue)), QString::fromUtf8(c.file)) << c.kue;
}

TEST_F(StdPlanTest, XmlHasBothVariantsIndentedAndEmptyVariantsLeftOut) {
    makeSchool();
    TVeltraplanOptions& o = VeltraplanOptions();
    o.TageProWoche = 1;
    o.StundenProTag = 3;
    o.ErsteStd = 0;
    const QString outPath = tempDir() + "/out.txt";
    TTextFile f(outPath);
    TStdPlan k = loaded(K5A);
    k.ExportToXML(f, 0);
    TStdPlan l = loaded(MUE);
    l.ExportToXML(f, 2);
    EXPECT_EQ(CurrentVariant, 2);
    EXPECT_EQ(closed(f), lines({
        " <KLASSE Kuerzel='5a'>",
        "  <PLAN Variante='1'>",
        "    <TAG Tag='Montag'>",
        "      <STUNDE Stunde='00' Lehrer='MUE' Fach='D' Raum='R1' />",
        "      <STUNDE Stunde='01' Lehrer='' Fach='' Raum='' />",
        "      <STUNDE Stunde='02' Lehrer='' Fach='' Raum='' />",
        "    </TAG>",
        "  </PLAN>",
        "  <PLAN Variante='2'>",
        "    <TAG Tag='Montag'>",
        "      <STUNDE Stunde='00' Lehrer='' Fach='' Raum='' />",
        "      <STUNDE Stunde='01' Lehrer='' Fach='' Raum='' />",
        "      <STUNDE Stunde='02' Lehrer='MUE' Fach='DE' Raum='R1' />",
        "    </TAG>",
        "  </PLAN>",
        " </KLASSE>",
        "    <LEHRER Kuerzel='MUE'>",
        "      <PLAN Variante='1'>",
        "        <TAG Tag='Montag'>",
        "          <STUNDE Stunde='00' Klasse='5a' Fach='D' Raum='R1' />",
        "          <STUNDE Stunde='01' Klasse='' Fach='' Raum='' />",
        "          <STUNDE Stunde='02' Klasse='' Fach='' Raum='' />",
        "        </TAG>",
        "      </PLAN>",
        "    </LEHRER>"}));
    // A blocked period.
    o.TageProWoche = 2;
    o.StundenProTag = 1;
    TStdPlan k2 = loaded(K5A);
    const QString out2Path = tempDir() + "/out2.txt";
    TTextFile f2(out2Path);
    k2.ExportToXML(f2, 1);
    EXPECT_TRUE(closed(f2).contains("        <STUNDE Stunde='00' Lehrer='Gesperrt' Fach='' Raum='' />\r\n"));
}

TEST_F(StdPlanTest, LinesAndDumpAreByteExact) {
    makeSchool();
    const QString outPath = tempDir() + "/out.txt";
    TTextFile f(outPath);
    loaded(K5A).SaveToFile(f, 7);
    loaded(K5B).SaveToFile(f, 7);  // no lessons: nothing
    EXPECT_EQ(closed(f), lines({"5a;1;1;MUE;D;R1;...;7", "5a;1;4;SCH;M;R2;...;7", "5a;2;2;K1;D;R1;...;7"}));

    VeltraplanOptions().TageProWoche = 2;
    VeltraplanOptions().StundenProTag = 2;
    const QString dumpPath = tempDir() + "/dump.txt";
    TTextFile d(dumpPath);
    SetDiagnosticFile(&d);
    loaded(K5A).Dump();
    SetDiagnosticFile(nullptr);
    loaded(K5A).Dump();  // no diagnostic file: dropped
    const QByteArray sp(33, ' ');
    EXPECT_EQ(closed(d),
              "Stundenplan: 5a\r\n"
              "Std:    " + sp + "1" + sp + "2|\r\n"
              "---------" + QByteArray(68, '-') + "\r\n"
              "Std:  1|      1    772   1029      0 FALSE|      0    771   1028      0  TRUE|\r\n"
              "Std:  2|      0    771   1028      0 FALSE|    258    772   1029      0 FALSE|\r\n");
}

TEST_F(StdPlanTest, ExportsOfAnOlderFileVersion) {
    // Version 24 keeps plans in the older layout: write one class plan by hand.
    Writer w(24);
    w.setKue(Le, 1, "MUE");
    w.setKue(Kl, 1, "5a");
    w.setKue(Fa, 1, "D");
    w.setKue(Ra, 1, "R1");
    uint8_t* rec = w.plan(Kl, 1);
    put16(rec, 4, K5A);
    uint8_t* e = rec + 78;
    e[0] = 20 + 3;  // day 2, period 3
    put16(e, 1, MUE);
    put16(e, 3, D);
    put16(e, 5, R1);
    rec[14 + 1 / 8] |= 1 << 1;  // slot 1 blocked
    w.save(path());
    ASSERT_EQ(openCurrent(path())->Status(), 0);
    const QString outPath = tempDir() + "/out.txt";
    TTextFile f(outPath);
    TStdPlan p = loaded(K5A);
    p.SaveToFile(f, 0);
    EXPECT_EQ(closed(f), lines({"5a;2;3;MUE;D;R1;...;0"}));
    EXPECT_EQ(p.cell(1, 1).blocked, 1);
}

TEST(StdPlanCompanions, GradeLevelsIntegerListAndComparers) {
    EXPECT_EQ(JahrgangIndex("Q1"), 22);
    EXPECT_EQ(JahrgangIndex("q1"), 0);
    EXPECT_EQ(JahrgangIndex("EP"), 1);
    EXPECT_EQ(JahrgangIndex("Q2xx"), 0);  // cut to "Q2x"
    TIntegerList l;
    l.Add(3);
    EXPECT_EQ(l.Add(3), -1);
    l.SetDuplicates(true);
    l.Add(3);
    EXPECT_EQ(l, (QList<int>{3, 3}));
    EXPECT_LT(ValueComparer().Compare(2, 5), 0);
    EXPECT_GT(JahrgangComparer().Compare(1, 7), 0);  // "EP" after "01"
    EXPECT_LT(JahrgangComparer().Compare(22, 23), 0);
    KueNames[10] = tKueStr::fromBytes("abc");
    KueNames[11] = tKueStr::fromBytes("ABD");
    EXPECT_LT(KuerzelComparer().Compare(10, 11), 0);
    EXPECT_EQ(KuerzelComparer().Compare(10, 10), 0);
}

TEST(StdPlanCompanions, ScanListFindsAbbreviationsPerPeriod) {
    TScanList s;
    EXPECT_EQ(s.FStd, -1);
    EXPECT_EQ(s.FPos, 0);
    s.AddRec(3, 2, "MUE");
    s.AddRec(1, 1, "X");
    s.AddRec(3, 2, "SCHMIDTKE");
    s.AddRec(3, 2, "MUE");  // present: nothing added
    EXPECT_EQ(s.Count(), 3);
    QString k;
    ASSERT_TRUE(s.First(3, 2, k));
    EXPECT_EQ(k, "MUE");
    ASSERT_TRUE(s.Next(k));
    EXPECT_EQ(k, "SCHMID");
    EXPECT_FALSE(s.Next(k));
    EXPECT_FALSE(s.First(4, 2, k));
    EXPECT_THROW(s.AddRec(0, 1, "A"), EAssertionFailed);
    s.Reset();
    EXPECT_EQ(s.Count(), 0);
    EXPECT_EQ(UndoList().Username(), "Undo");
}
