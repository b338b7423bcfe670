#include "PlanFileWriter.h"
#include "PlanTestSupport.h"
#include "uKlasse.h"
#include "uKopplung.h"
#include "uLehrer.h"
#include "uRaumgruppe.h"

using namespace testing_support;
using namespace planwriter;

namespace {
QList<int> alphabetical(TKueart k) {
    QList<int> order;
    for (int i = FirstKuerzel(k); !IsFreeKuerzel(i); i = NextKuerzel(i)) order << i;
    return order;
}
}  // namespace

TEST_F(PlanTest, AbbreviationIndexSortsCountsAndNames) {
    Writer w(30);
    w.setKue(Le, 1, "MUE");
    w.setKue(Le, 2, ".alt");
    w.setKue(Le, 3, "#12");
    w.setKue(Le, 4, "ABC");
    w.setKue(Le, 5, "   ");        // blank: free, not counted
    w.setKue(Le, 6, "AB");
    w.setKue(Le, 7, "\xc4RZ");     // "ÄRZ" sorts by its byte value behind the ASCII letters
    w.setKue(Ab, 1, "Deutsch");
    w.save(path());
    openCurrent(path());
    EXPECT_EQ(KueCount[leh], 5);
    EXPECT_EQ(KueNames[3].bytes(), "X12");
    EXPECT_EQ(alphabetical(leh), (QList<int>{6, 4, 1, 3, 7}));
    EXPECT_TRUE(IsFreeKuerzel(2));
    EXPECT_TRUE(IsFreeKuerzel(5));
    EXPECT_EQ(NextKuerzel(7), 0);                  // after the last: the none entry
    EXPECT_EQ(PrevKuerzel(0), 7);                  // from the none entry: the last
    EXPECT_EQ(PrevKuerzel(6), 0);
    EXPECT_EQ(LastKuerzel(leh), 7);
    EXPECT_EQ(FirstKuerzel(kla), KueFirst[kla]);   // an empty kind ends at once
    EXPECT_EQ(KueWidth, 7);                        // "Deutsch"
    EXPECT_EQ(KuerzelName(2), "...");
    EXPECT_EQ(KuerzelName(7), "ÄRZ");
    EXPECT_EQ(QuotedKuerzelName(2), "''");
    KueNames[8] = tKueStr::fromBytes("O'Neil");
    EXPECT_EQ(QuotedKuerzelName(8), "'O''Neil'");
    EXPECT_EQ(FindKuerzel(leh, "ABC"), 4);
    EXPECT_EQ(FindKuerzel(leh, "ABCD"), 0);
    EXPECT_EQ(KueArtOfName("Deutsch"), abt);
    EXPECT_EQ(KueArtOfName("nix"), err);
    EXPECT_TRUE(KuerzelExists(leh, " MUE "));
    EXPECT_FALSE(KuerzelExists(kla, "MUE"));
    // Kinds, markers and the pseudo-entries.
    EXPECT_EQ(KueArtOf(513), kop);
    EXPECT_EQ(KueArtOf(1329), num0);
    EXPECT_TRUE(IsBlockKuerzel(256));
    EXPECT_FALSE(IsFreeKuerzel(1331));
    EXPECT_FALSE(IsFreeKuerzel(-1));
    EXPECT_EQ(KueNames[1329].len, 10);
    EXPECT_EQ(KueNames[1329].bytes().left(6), "Ber.  ");
    EXPECT_EQ(KueNames[1330].bytes(), "frei  ....");
    EXPECT_EQ(KuerzelName(1329), "Bereitschaft");
    EXPECT_EQ(KuerzelName(1333), "Merker_2");
    EXPECT_EQ(KueNames[1333].bytes(), "M2");
    EXPECT_TRUE(IsMarkerIndex(1336));
    EXPECT_FALSE(IsMarkerIndex(1331));
}

namespace {
// A teacher record with assignments (class or coupling, subject, hours) at the given positions.
QByteArray teacherWith(const std::vector<std::tuple<int, int, int, int>>& entries) {
    QByteArray r(LehrerLayout::Size, '\0');
    auto* p = reinterpret_cast<uint8_t*>(r.data());
    Lehrer::NewRecord(p, 3);
    for (auto [pos, klass, subject, hours] : entries) {
        uint8_t* e = p + LehrerLayout::Deputat + (pos - 1) * DeputatLayout::Size;
        put16(e, DeputatLayout::Klasse, klass);
        put16(e, DeputatLayout::Fach, subject);
        e[DeputatLayout::Stunden] = uint8_t(hours);
    }
    return r;
}
int classAt(const QByteArray& r, int pos) {
    return get16(reinterpret_cast<const uint8_t*>(r.constData()) + LehrerLayout::Deputat + (pos - 1) * DeputatLayout::Size, 0);
}
}  // namespace

TEST_F(PlanTest, TeacherAssignmentsArePackedAndSorted) {
    Writer w(30);
    w.setKue(Kl, 1, "7A"); w.setKue(Kl, 2, "5B"); w.setKue(Ko, 1, "REL");
    w.setKue(Fa, 1, "M"); w.setKue(Fa, 2, "D");
    const QByteArray rec = teacherWith({{3, 515, 772, 4}, {7, 258, 773, 2}, {9, 516, 773, 3}});
    memcpy(w.data(Le, 3), rec.constData(), size_t(rec.size()));
    w.save(path());
    openCurrent(path());
    QByteArray t(LehrerLayout::Size, '\0');
    auto* p = reinterpret_cast<uint8_t*>(t.data());

    Lehrer::Load(p, 3);  // without sorting: packed in their order, defaults behind
    EXPECT_EQ((QList<int>{classAt(t, 1), classAt(t, 2), classAt(t, 3), classAt(t, 4)}), (QList<int>{515, 258, 516, 514}));
    EXPECT_EQ(p[LehrerLayout::Deputat + 35 * DeputatLayout::Size + DeputatLayout::IstKopplung], 0);
    EXPECT_EQ(p[LehrerLayout::Deputat + 1 * DeputatLayout::Size + DeputatLayout::IstKopplung], 1);

    struct { bool koppFirst, fachSort; QList<int> order; } cases[] = {
        {false, false, {516, 515, 258}},  // classes first, "5B" before "7A"
        {true, false, {258, 516, 515}},   // couplings first
        {false, true, {516, 515, 258}},   // by subject: "D" (773) before "M" (772)
    };
    for (const auto& c : cases) {
        VeltraplanOptions().SortDepu = true;
        VeltraplanOptions().KoppFirst = c.koppFirst;
        VeltraplanOptions().FachSort = c.fachSort;
        Lehrer::Load(p, 3);
        EXPECT_EQ((QList<int>{classAt(t, 1), classAt(t, 2), classAt(t, 3)}), c.order) << c.koppFirst << c.fachSort;
    }
    EXPECT_THROW(Lehrer::Load(p, 300), EAssertionFailed);
    try { Klasse::Load(p, 3); FAIL(); } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Text(), "Klasse Load: Unzulässiges Kürzel!");
        EXPECT_EQ(e.Unit(), "Stundenplan\\Common\\uKlasse");
    }
}

TEST_F(PlanTest, CouplingClassesAndTeachersArePackedIndependently) {
    Writer w(30);
    w.setKue(Kl, 1, "5A");
    w.setKue(Le, 1, "MUE");
    uint8_t* r = w.data(Ko, 1);
    Kopplung::NewRecord(r, 258);
    uint8_t* m1 = r + KopplungLayout::Mitglieder;
    uint8_t* m2 = m1 + KopMitgliedLayout::Size;
    put16(m1, KopMitgliedLayout::Lehrer, 1);     // member 1: teacher, no class
    put16(m2, KopMitgliedLayout::Klasse, 515);   // member 2: class, no teacher
    w.save(path());
    openCurrent(path());
    uint8_t k[KopplungLayout::Size];
    Kopplung::Load(k, 258);
    m1 = k + KopplungLayout::Mitglieder;
    m2 = m1 + KopMitgliedLayout::Size;
    EXPECT_EQ(get16(m1, KopMitgliedLayout::Klasse), 515);
    EXPECT_EQ(get16(m1, KopMitgliedLayout::Lehrer), 1);
    EXPECT_EQ(get16(m2, KopMitgliedLayout::Klasse), 514);
    EXPECT_EQ(get16(m2, KopMitgliedLayout::Lehrer), 0);
    EXPECT_EQ(CouplingClassCount(k), 1);
}

TEST_F(PlanTest, RoomGroupWithTooManyRoomsRaises) {
    Writer w(30);
    put16(w.data(Rq, 2), 27, 21);
    put16(w.data(Rq, 3), 27, 20);
    w.save(path());
    openCurrent(path());
    uint8_t g[RaumgruppeLayout::Size];
    EXPECT_NO_THROW(Raumgruppe::Load(g, 1310));
    try { Raumgruppe::Load(g, 1309); FAIL(); } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Text(), "Bereichsüberschreitung 21");
    }
}

TEST_F(PlanTest, ClonePlanCopiesCataloguesAndPlansIntoANewFile) {
    Writer w(24);
    w.setKue(Le, 1, "MUE");
    w.setKue(Kl, 1, "5A");
    uint8_t* t = w.data(Le, 1);
    put16(t, 4, 1);
    putStr(t, 8, "Schmidt, Eva");
    uint8_t* plan = w.plan(Le, 1);
    put16(plan, 4, 1);
    plan[78] = 3;  // day 1, period 3
    put16(plan, 79, 515);
    w.save(path());
    TWplFile* src = openCurrent(path());
    const QString copy = path() + ".neu";
    {
        TWplFile dest(copy, 2);
        ASSERT_EQ(dest.Status(), 0);
        src->ClonePlan(dest);
    }
    SetCurrentPlanFile(nullptr);
    TWplFile* f = openCurrent(copy);
    ASSERT_EQ(f->FileVersion(), 30);
    EXPECT_EQ(FindKuerzel(leh, "MUE"), 1);
    uint8_t rec[LehrerLayout::Size];
    Lehrer::Load(rec, 1);
    EXPECT_EQ(getStr(rec, LehrerLayout::Vorname), "Eva");
    TStdPlan p;
    f->GetPlanVar(leh, 1, p, 1);
    EXPECT_EQ(p.cell(3, 1).partner[0], 515);
    EXPECT_EQ(p.cell(3, 1).partner[3], 0);
}
