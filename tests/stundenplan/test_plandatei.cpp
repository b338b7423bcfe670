#include "PlanFileWriter.h"
#include "PlanTestSupport.h"
#include "uStdPlan.h"

#include <QFile>
#include <csignal>
#include <sys/resource.h>

using namespace testing_support;
using namespace planwriter;

namespace {
const uint8_t* raw(const QByteArray& b, int off = 0) { return reinterpret_cast<const uint8_t*>(b.constData()) + off; }
}  // namespace

TEST_F(PlanTest, NewFileIsByteExactToTheFileMap) {
    { TWplFile f(path(), 2); ASSERT_EQ(f.Status(), 0); EXPECT_EQ(f.FileVersion(), 30); }
    const QByteArray b = readFile(path());
    const QByteArray list = QByteArray("\x0f\0\0\0", 4) + "Nicht geladen\r\n";
    ASSERT_EQ(b.size(), 2951675 + 2 * list.size());
    EXPECT_EQ(b.mid(2951675), list + list);
    EXPECT_EQ(b.mid(0, 2), QByteArray("\x1a\0", 2));
    EXPECT_EQ(b.mid(127, 7), QByteArray("KV1115\0", 7));
    struct { int off, size; int64_t value; } fields[] = {
        {32, 1, 128}, {33, 2, 256}, {134, 2, 573}, {136, 2, 768}, {138, 2, 257}, {140, 1, 11},
        {141, 2, 907}, {143, 2, 414}, {145, 2, 582}, {147, 2, 69}, {149, 2, 3144}, {151, 2, 3144}, {153, 2, 3144},
        {155, 4, 768}, {159, 4, 3595}, {163, 4, 6422}, {167, 4, 9249}, {171, 4, 12076}, {175, 4, 14903},
        {179, 4, 15145}, {183, 4, 15387}, {187, 4, 248486}, {191, 4, 398060}, {195, 4, 504458},
        {199, 4, 525331}, {203, 4, 1333339}, {207, 4, 2141347}, {211, 2, 42}, {213, 2, 31}, {215, 4, 513943},
        {219, 4, 505976}, {223, 2, 27}, {225, 4, 524737}, {229, 1, 2}, {230, 1, 120}, {231, 1, 1},
        {232, 1, 10}, {233, 1, 10}};
    for (const auto& f : fields) {
        const int64_t v = f.size == 1 ? raw(b)[f.off] : f.size == 2 ? uint16_t(get16(raw(b), f.off)) : get32(raw(b), f.off);
        EXPECT_EQ(v, f.value) << "header offset " << f.off;
    }
    // Created: 05.03.2015 14:07:08 as DOS date.
    EXPECT_EQ(uint32_t(get32(raw(b), 35)), (uint32_t((35 << 9) | (3 << 5) | 5) << 16) | ((14 << 11) | (7 << 5) | 4));
    // Abbreviations: ten dots, the end markers ten dashes.
    EXPECT_EQ(b.mid(768, 11), QByteArray("\x0a..........", 11));
    EXPECT_EQ(b.mid(768 + 256 * 11, 11), QByteArray("\x0a----------", 11));
    EXPECT_EQ(b.mid(14903 + 21 * 11, 11), QByteArray("\x0a----------", 11));
    // A new room record: global index, name empty, 99 at offset 27.
    const uint8_t* room = raw(b, 505976 + 5 * 31);
    EXPECT_EQ(get16(room, 4), 1033);
    EXPECT_EQ(get16(room, 27), 99);
    // School data: number 0, two sections, year and section from the date (March: section 2 of the previous year).
    EXPECT_EQ(get32(raw(b), 2949355), 0);
    EXPECT_EQ(get32(raw(b), 2949355 + 4), 2014);
    EXPECT_EQ(get32(raw(b), 2949355 + 8), 2);
    EXPECT_EQ(get32(raw(b), 2949355 + 12), 2);
    // The plan tables read as zero bytes.
    EXPECT_EQ(b.mid(525331, 3144 * 3), QByteArray(3144 * 3, '\0'));
}

TEST_F(PlanTest, NewFileReadsBackEmpty) {
    { TWplFile f(path(), 2); }
    TWplFile* f = openCurrent(path());
    ASSERT_EQ(f->Status(), 0);
    for (int k = 0; k < StoredKueArten; ++k) {
        const TKueart art = TKueart(k);
        const int last = KueRecords(art) - 1;
        for (int n = 0; n <= last; ++n)
            ASSERT_EQ(f->ReadKuerzel(art, int16_t(n)).bytes(), QByteArray(10, n == last ? '-' : '.')) << k << "/" << n;
        EXPECT_EQ(KueCount[size_t(k)], 0);
        EXPECT_TRUE(IsFreeKuerzel(FirstKuerzel(art)));
    }
    TStdPlan plan;
    for (TKueart art : {leh, kla, rau})
        for (int n = 0; n < 257; ++n)
            for (int v = 1; v <= 2; ++v) {
                plan.Plan.fill(TPlanCell{7, 1, 1, {9, 9, 9, 9}});
                ASSERT_EQ(f->GetPlanVar(art, n, plan, v), 0);
                for (const TPlanCell& c : plan.Plan) {
                    ASSERT_EQ(c.blocked, 0);
                    ASSERT_EQ(c.marked, 0);
                    ASSERT_TRUE(IsFreeKuerzel(c.partner[0]));
                }
            }
    EXPECT_EQ(f->Kursarten().Strings(), QStringList{"Nicht geladen"});
    EXPECT_EQ(f->GetFileDate(), "23. Nov. 2015");
    EXPECT_EQ(f->GetCreateTime(), "05.03. 2015 um 14:07:08 Uhr");
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(PlanTest, WeekCounterCountsCalendarWeeksOfOpening) {
    { TWplFile f(path(), 2); }
    auto aktWeek = [&] { return uint8_t(readFile(path())[231]); };
    EXPECT_EQ(aktWeek(), 1);
    { TWplFile f(path(), 1); EXPECT_EQ(CurrentWeek, 10); }
    { TWplFile f(path(), 1); }
    EXPECT_EQ(aktWeek(), 1);  // created and opened twice in the same week
    setClock(QDateTime(QDate(2015, 3, 12), QTime(8, 0)));
    { TWplFile f(path(), 1); }
    { TWplFile f(path(), 1); }
    EXPECT_EQ(aktWeek(), 2);
    EXPECT_EQ(uint8_t(readFile(path())[232]), 11);
}

TEST_F(PlanTest, AbbreviationsAreNormalisedOnWriteAndRead) {
    { TWplFile f(path(), 2); }
    TWplFile f(path(), 1);
    struct { const char* written; QByteArray read; } cases[] = {
        {".abc", QByteArray(10, '.')}, {"-x", QByteArray(10, '-')}, {"  MUE ", "MUE"}, {"ABCDEFGHIJ", "ABCDEFGHIJ"}};
    int n = 1;
    for (const auto& c : cases) {
        f.WriteKuerzel(leh, int16_t(n), tKueStr::fromBytes(c.written));
        EXPECT_EQ(f.ReadKuerzel(leh, int16_t(n)).bytes(), c.read) << c.written;
        ++n;
    }
    // Stored padded with blanks up to the widest name: "MUE" and seven blanks.
    EXPECT_EQ(readFile(path()).mid(768 + 3 * 11, 11), QByteArray("\x0aMUE       ", 11));
    // A stored name with blanks on both sides reads trimmed.
    { QFile w(path()); ASSERT_TRUE(w.open(QIODevice::ReadWrite)); w.seek(768 + 9 * 11); w.write(QByteArray("\x06  AB  ", 7)); }
    EXPECT_EQ(f.ReadKuerzel(leh, 9).bytes(), "AB");
}

TEST_F(PlanTest, PlanVariantsAreStoredIndependently) {
    { TWplFile f(path(), 2); }
    TWplFile* f = openCurrent(path());
    f->WriteKuerzel(kla, 3, tKueStr::fromBytes("5A"));
    f->WriteKuerzel(leh, 4, tKueStr::fromBytes("MUE"));
    LoadAllKuerzel();
    TStdPlan plan;
    ASSERT_EQ(f->GetPlanVar(kla, 3, plan, 1), 0);
    plan.Kuerzel = 517;
    plan.cell(2, 3) = TPlanCell{0, 1, 0, {4, 775, 1030, 0}};
    plan.cell(1, 1).blocked = 1;
    ASSERT_EQ(f->PutPlanVar(kla, 3, plan, 1), 3144);
    TStdPlan second = plan;
    second.Plan.fill(plan.Plan[0]);
    second.cell(1, 1) = TPlanCell{0, 0, 0, {4, 780, 1030, 0}};
    second.cell(1, 1).blocked = 0;
    second.Woche = 0b1;
    ASSERT_EQ(f->PutPlanVar(kla, 3, second, 2), 3144);

    TStdPlan back;
    EXPECT_EQ(f->GetPlanVar(kla, 3, back, 1), 40);  // 5 days x 8 periods written
    EXPECT_EQ(back.Kuerzel, 517);
    EXPECT_EQ(back.cell(2, 3).partner, (std::array<int16_t, 4>{4, 775, 1030, 0}));
    EXPECT_EQ(back.cell(2, 3).marked, 1);
    EXPECT_EQ(back.cell(1, 1).blocked, 1);
    EXPECT_EQ(back.cell(9, 1).partner[0], 0);  // beyond the periods of the settings: empty
    f->GetPlanVar(kla, 3, back, 2);
    EXPECT_EQ(back.cell(1, 1).partner[1], 780);

    // Auto choice in week 1: variant 2 exactly when bit 0 of the week set is set.
    setClock(QDateTime(QDate(2015, 1, 2), QTime(8, 0)));
    CurrentWeek = 1;
    CurrentVariant = 1;
    f->GetPlan(kla, 3, &back, true);
    EXPECT_EQ(CurrentVariant, 2);
    EXPECT_EQ(back.PlanVariante, 2);
    EXPECT_EQ(back.cell(1, 1).partner[1], 780);
    second.Woche = 0b10;
    f->PutPlanVar(kla, 3, second, 2);
    f->GetPlan(kla, 3, &back, true);
    EXPECT_EQ(back.PlanVariante, 1);
    EXPECT_EQ(back.cell(1, 1).blocked, 1);
}

TEST_F(PlanTest, CurrentLayoutSlotsOutsideTheGridChangeNoCell) {
    Writer w(30);
    uint8_t* rec = w.plan(Le, 2);
    put16(rec, 8, 2);
    const int entries[][2] = {{0, 1}, {121, 1}, {255, 1}, {21, 5}, {1, 6}};  // slot, class record number
    for (int e = 0; e < 5; ++e) {
        uint8_t* entry = rec + 20 + e * 13;
        entry[0] = uint8_t(entries[e][0]);
        put16(entry, 1 + 4, 514 + entries[e][1]);
    }
    w.save(path());
    TWplFile f(path(), 1);
    ASSERT_EQ(f.Status(), 0);
    TStdPlan plan;
    EXPECT_EQ(f.GetPlanVar(leh, 2, plan, 1), 4);  // every entry with a slot counts
    EXPECT_EQ(plan.cell(1, 2).partner[0], 519);   // slot 21: period 1 of day 2
    EXPECT_EQ(plan.cell(1, 1).partner[0], 520);
    int occupied = 0;
    for (const TPlanCell& c : plan.Plan) occupied += c.partner[0] != 514;
    EXPECT_EQ(occupied, 2);
}

TEST_F(PlanTest, PlanLayoutFollowsTheFileVersion) {
    for (int version : {24, 22, 23, 21}) {
        SCOPED_TRACE(version);
        Writer w(version);
        w.setKue(Kl, 7, "7B");
        w.setKue(Le, 1, "ABC");
        w.save(path());
        TWplFile* f = openCurrent(path());
        ASSERT_EQ(f->Status(), 0);
        KueNames[2] = tKueStr::fromBytes("_BLOCK");  // loading would turn the "_" into "X"
        TStdPlan plan;
        f->GetPlanVar(kla, 7, plan, 1);
        plan.Kuerzel = 521;
        plan.cell(3, 2) = TPlanCell{0, 1, 0, {1, 780, 1040, 0}};   // marked lesson
        plan.cell(4, 2) = TPlanCell{0, 0, 1, {0, 771, 1028, 0}};   // blocked
        plan.cell(5, 2) = TPlanCell{0, 0, 0, {2, 771, 1028, 0}};   // block-marker teacher
        f->PutPlanVar(kla, 7, plan, 2);
        const QByteArray b = readFile(path());
        const uint8_t* rec = raw(b, w.planOffset(Kl) + 7 * w.planSize());
        if (w.oldPlans()) {
            EXPECT_EQ(get16(rec, 4), 521);
            const uint8_t* sperr = rec + 14 + 32;
            EXPECT_TRUE(sperr[24 / 8] & (1 << (24 % 8)));  // day 2 period 4
            EXPECT_TRUE(sperr[25 / 8] & (1 << (25 % 8)));  // day 2 period 5
            const uint8_t* e = rec + 78 + 840;
            EXPECT_EQ(e[0], 23 + 128);
            EXPECT_EQ(get16(e, 1), 1);
            EXPECT_EQ(get16(e, 3), 780);
            EXPECT_EQ(e[7], 0);  // only occupied cells are stored
        } else {
            EXPECT_EQ(get16(rec, 8), 521);
            const uint8_t* e = rec + 20 + 1560 + 1 * 13;  // period 1 day 2
            EXPECT_EQ(e[0], 21);
        }
        TStdPlan back;
        f->GetPlanVar(kla, 7, back, 2);
        EXPECT_EQ(back.cell(3, 2).partner, (std::array<int16_t, 4>{1, 780, 1040, 0}));
        EXPECT_EQ(back.cell(3, 2).marked, 1);
        EXPECT_EQ(back.cell(4, 2).blocked, 1);
        EXPECT_EQ(back.cell(5, 2).blocked, w.oldPlans() ? 1 : 0);
        SetCurrentPlanFile(nullptr);
        QFile::remove(path());
    }
}

TEST_F(PlanTest, OlderLayoutIgnoresSlotsOutsideTheGrid) {
    Writer w(24);
    uint8_t* rec = w.plan(Ra, 1);
    const int slotValues[] = {128, 128 + 127, 127, 5};
    for (int e = 0; e < 4; ++e) {
        rec[78 + e * 7] = uint8_t(slotValues[e]);
        put16(rec, 78 + e * 7 + 1, 3);
    }
    w.save(path());
    TWplFile f(path(), 1);
    TStdPlan plan;
    EXPECT_EQ(f.GetPlanVar(rau, 1, plan, 1), 4);
    int occupied = 0;
    for (const TPlanCell& c : plan.Plan) occupied += c.partner[0] == 3;
    EXPECT_EQ(occupied, 1);
    EXPECT_EQ(plan.cell(5, 1).partner[0], 3);
    // More than 60 entries per variant in this layout is refused with a message.
    w.setHeaderByte(230, 61);
    w.save(path());
    TWplFile g(path(), 1);
    EXPECT_EQ(g.GetPlanVar(rau, 1, plan, 1), 1758);
    EXPECT_TRUE(dialogs.lastText().startsWith("GetPlanVar_A: Zu viele Unterrichtseinheiten!")) << dialogs.lastText().toStdString();
}

TEST_F(PlanTest, WrongKindsAndNumbersAreRefused) {
    { TWplFile f(path(), 2); }
    TWplFile f(path(), 1);
    TStdPlan plan;
    try {
        f.GetPlan(leh, -3, &plan, false);
        FAIL();
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Text(), "Fehlerhaftes Kürzel: -3");
        EXPECT_EQ(e.Unit(), "Stundenplan\\Common\\uPlandatei");
    }
    EXPECT_THROW(f.GetPlanVar(fac, 1, plan, 1), EAssertionFailed);
    EXPECT_THROW(f.PutPlanVar(kop, 1, plan, 1), EAssertionFailed);
    uint8_t buf[MaxRecSize];
    EXPECT_EQ(f.ReadData(leh, -1, buf), 0);
    const QByteArray before = readFile(path());
    EXPECT_EQ(f.PutPlanVar(leh, 300, plan, 1), 0);
    EXPECT_TRUE(dialogs.lastText().startsWith("PutPlanVar_A: Fehlerhaftes Kürzel: 300 (")) << dialogs.lastText().toStdString();
    f.WriteData(abt, 22, buf);  // one past the department table
    EXPECT_EQ(dialogs.lastText(), "I/O - Fehler!");
    EXPECT_EQ(readFile(path()), before);
}

TEST_F(PlanTest, RoomFieldAt29ReadsAsZeroBeforeVersion30) {
    for (int version : {29, 30}) {
        Writer w(version);
        put16(w.data(Ra, 4), 29, 77);
        w.save(path());
        TWplFile f(path(), 1);
        uint8_t buf[MaxRecSize] = {};
        EXPECT_EQ(f.ReadData(rau, 4, buf), 31);
        EXPECT_EQ(get16(buf, 29), version == 30 ? 77 : 0);
    }
}

TEST_F(PlanTest, FileWithoutSchoolNumberKeepsItsSchoolDataAndLists) {
    Writer w(30);
    uint8_t* sd = w.at(2949355);
    put32(sd, 4, 2011);
    putStr(sd, 16, "Eigene Schule");
    w.save(path());
    VeltraplanOptions().SchuleBez1 = "Aus den Einstellungen";
    VeltraplanOptions().Schulnummer = "0";
    {
        TWplFile f(path(), 1);
        ASSERT_EQ(f.Status(), 0);
        EXPECT_EQ(f.Schuldaten().SchulBez1, "Aus den Einstellungen");
        EXPECT_EQ(f.Kursarten().Strings(), QStringList{"Nicht geladen"});
    }
    const QByteArray b = readFile(path());
    EXPECT_EQ(getStr(raw(b), 2949355 + 16), "Eigene Schule");
    EXPECT_EQ(b.mid(2949355 + 2320), w.bytes().mid(2949355 + 2320));
}

TEST_F(PlanTest, SchoolDataAndListsOfTheFileAreTakenAndWrittenBack) {
    Writer w(27);
    uint8_t* sd = w.at(2949355);
    put32(sd, 0, 123456);
    put32(sd, 4, 2014);
    put32(sd, 8, 1);
    put32(sd, 12, 2);
    putStr(sd, 16 + 4 * 256, "12345");
    putStr(sd, 16 + 5 * 256, "Bad Homburg");
    QByteArray b = w.bytes().left(2951675);
    b += QByteArray("\x0a\0\0\0", 4) + "GK\r\nLK\r\n\r\n" + QByteArray("\x05\0\0\0", 4) + "BI\r\nX";
    writeFile(path(), b);
    {
        TWplFile f(path(), 1);
        EXPECT_EQ(f.Kursarten().Strings(), (QStringList{"", "GK", "LK"}));
        EXPECT_EQ(f.FachStatkue().Strings(), (QStringList{"BI", "X"}));
        EXPECT_EQ(VeltraplanOptions().Schulnummer, "123456");
        EXPECT_EQ(VeltraplanOptions().SchulePlzOrt, "12345 Bad Homburg");
        EXPECT_EQ(VeltraplanOptions().OptionsToSchuldaten().Ort, "Bad Homburg");
        f.FachStatkue().Add("AB");
    }
    const QByteArray after = readFile(path());
    EXPECT_EQ(after.mid(2951675, 4 + 10 + 4 + 12), QByteArray("\x0a\0\0\0", 4) + "\r\nGK\r\nLK\r\n" + QByteArray("\x0b\0\0\0", 4) + "AB\r\nBI\r\nX\r\n");
    EXPECT_EQ(get32(raw(after), 2949355), 123456);
}

TEST_F(PlanTest, DamagedFilesAreRefusedAndLeftAlone) {
    Writer good(30);
    struct Case { const char* name; QByteArray bytes; };
    std::vector<Case> cases;
    cases.push_back({"short", good.bytes().left(700)});
    cases.push_back({"truncated", good.bytes().left(2000000)});
    QByteArray random(5000, '\0');
    for (int i = 0; i < random.size(); ++i) random[i] = char((i * 7919 + 13) % 251);
    cases.push_back({"random", random});
    auto patched = [&](int off, int32_t v, int size) {
        QByteArray b = good.bytes();
        if (size == 4) put32(reinterpret_cast<uint8_t*>(b.data()), off, v);
        else put16(reinterpret_cast<uint8_t*>(b.data()), off, v);
        return b;
    };
    cases.push_back({"plan offset outside", patched(207, 2949000, 4)});
    cases.push_back({"negative offset", patched(155, -5000, 4)});
    cases.push_back({"record size too big", patched(141, 60000, 2)});
    cases.push_back({"abbreviation size", patched(140, 200, 2)});
    cases.push_back({"unknown signature", patched(127, 0x3939, 2)});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(path(), c.bytes);
        dialogs.shown.clear();
        { TWplFile f(path(), 1); EXPECT_EQ(f.Status(), 1); }
        EXPECT_EQ(dialogs.texts(), QStringList{"Konnte den Plan nicht laden (Unbekannte Dateiversion)"});
        EXPECT_EQ(readFile(path()), c.bytes);
    }
    // A known signature of a version too old to open: refused without a message.
    QByteArray old = good.bytes();
    memcpy(old.data() + 127, "kv0898", 6);
    writeFile(path(), old);
    dialogs.shown.clear();
    { TWplFile f(path(), 1); EXPECT_EQ(f.Status(), 1); }
    EXPECT_TRUE(dialogs.shown.isEmpty());
    // A file that cannot be opened at all.
    TWplFile missing(path() + ".fehlt", 1);
    EXPECT_EQ(missing.Status(), ENOENT);
}

TEST_F(PlanTest, FailingWriteBackLeavesThePreviousContent) {
    { TWplFile f(path(), 2); }
    const QByteArray before = readFile(path());
    setClock(QDateTime(QDate(2015, 4, 20), QTime(8, 0)));  // a new week: the header changes
    {
        TWplFile f(path(), 1);
        ASSERT_EQ(f.Status(), 0);
        QFile::setPermissions(path(), QFileDevice::ReadOwner);
    }
    EXPECT_EQ(dialogs.texts(), QStringList{"I/O - Fehler!"});
    EXPECT_EQ(readFile(path()), before);
    QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // Disk full: the file-size limit stops the copy long before it is complete.
    dialogs.shown.clear();
    {
        auto f = std::make_unique<TWplFile>(path(), 1);
        ASSERT_EQ(f->Status(), 0);
        struct rlimit old{}, small{};
        getrlimit(RLIMIT_FSIZE, &old);
        small = old;
        small.rlim_cur = 1 << 20;
        auto previous = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        f.reset();
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
    }
    EXPECT_EQ(dialogs.texts(), QStringList{"I/O - Fehler!"});
    EXPECT_EQ(readFile(path()), before);
    { TWplFile f(path(), 1); EXPECT_EQ(f.Status(), 0); }
    EXPECT_EQ(uint8_t(readFile(path())[231]), 2);
}

TEST_F(PlanTest, HeaderComparisonNamesEveryField) {
    TWplHeader a = TWplHeader::newFileHeader(), b = a;
    b.KlDataOffset = 5;
    b.AktWeek = 9;
    const QStringList lines = CompareHeaders(a, b);
    EXPECT_EQ(lines.first(), "PrintOut: TRUE");
    EXPECT_TRUE(lines.contains("KlDataOffset: 398060 = 5"));
    EXPECT_TRUE(lines.contains("AktWeek: FALSE"));
    EXPECT_EQ(lines.last(), "StartWeek: TRUE");
}
