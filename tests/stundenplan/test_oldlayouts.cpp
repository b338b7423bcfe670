// Files of older versions, written with the test-side writer from the layout
// tables: reading converts their records, writing converts back.
#include "Codec1252.h"
#include "PlanFileWriter.h"
#include "PlanTestSupport.h"
#include "uKlasse.h"
#include "uKopplung.h"
#include "uLehrer.h"

#include <cmath>

using namespace testing_support;
using namespace planwriter;

namespace {
QByteArray ansi(const char* utf8) { return Codec1252::encode(QString::fromUtf8(utf8)); }
float single(const uint8_t* p, int off) { float f; uint32_t u = uint32_t(get32(p, off)); memcpy(&f, &u, 4); return f; }
void putSingle(uint8_t* p, int off, float f) { uint32_t u; memcpy(&u, &f, 4); put32(p, off, int32_t(u)); }

// Where an older teacher layout keeps its fields (-1: not in this layout).
struct TeacherLayout {
    int from, to, size;
    bool hundredths;        // values as whole part and hundredths, else Single
    int values, deputat, depSize;
    int dNummer, dNummerText, dKlasse, dFach, dStunden, dFaktorByte, dFaktorSingle, dRaum, dCode;
    int faecher, raeume, codes, max;
};
const TeacherLayout kTeacherLayouts[] = {
    {19, 21, 517, true, 30, 34, 8, 0, -1, 2, 4, 6, 7, -1, -1, -1, 322, 334, 406, 514},
    {22, 23, 665, false, 30, 38, 17, 0, -1, 2, 4, 6, -1, 7, 11, 13, 650, -1, -1, 662},
    {24, 24, 589, true, 30, 34, 10, -1, 0, 4, 6, 8, 9, -1, -1, -1, 394, 406, 478, 586},
    {25, 27, 737, false, 30, 38, 19, -1, 15, 0, 2, 4, -1, 5, 9, 11, 722, -1, -1, 734},
};
}  // namespace

TEST_F(PlanTest, OlderTeacherRecordsConvertBothWays) {
    for (const TeacherLayout& l : kTeacherLayouts)
        for (int version : {l.from, l.to}) {
            SCOPED_TRACE(version);
            Writer w(version);
            w.setKue(Le, 5, "MUE");
            w.setKue(Kl, 3, "5A");
            w.setKue(Ko, 6, "K1");
            uint8_t* r = w.data(Le, 5);
            put32(r, 0, 42000);  // day count: 27.12.2014
            put16(r, 4, 5);
            put16(r, 6, 1286);
            putStr(r, 8, ansi(" Müller , Hans-Peter "));
            if (l.hundredths) { r[l.values] = 12; r[l.values + 1] = 50; r[l.values + 2] = 3; r[l.values + 3] = 25; }
            else { putSingle(r, l.values, 12.5f); putSingle(r, l.values + 4, 3.25f); }
            // Assignments 2 and 5 (0-based) only: a class and a coupling.
            const int used[] = {2, 5};
            const int classes[] = {517, 263};
            for (int k = 0; k < 2; ++k) {
                const int a = used[k];
                uint8_t* d = r + l.deputat + a * l.depSize;
                if (l.dNummer >= 0) put16(d, l.dNummer, 7 + k);
                else putStr(d, l.dNummerText, QByteArray::number(7 + k).rightJustified(2, '0'));
                put16(d, l.dKlasse, classes[k]);
                put16(d, l.dFach, 775);
                d[l.dStunden] = uint8_t(3 + k);
                if (l.dFaktorByte >= 0) d[l.dFaktorByte] = 150;
                else putSingle(d, l.dFaktorSingle, 1.5f);
                if (l.raeume >= 0) put16(r, l.raeume + 2 * a, 1030);
                else put16(d, l.dRaum, 1030);
                putStr(l.codes >= 0 ? r + l.codes + 3 * a : d + l.dCode, 0, "ab");
            }
            for (int f = 0; f < 6; ++f) put16(r, l.faecher + 2 * f, 771 + f);
            r[l.max] = 4; r[l.max + 1] = 5; r[l.max + 2] = 6;
            w.save(path());

            TWplFile* file = openCurrent(path());
            ASSERT_EQ(file->Status(), 0);
            uint8_t t[LehrerLayout::Size];
            Lehrer::Load(t, 5);
            using namespace LehrerLayout;
            EXPECT_EQ(uint32_t(get32(t, Datum)), (uint32_t((34 << 9) | (12 << 5) | 27) << 16));
            EXPECT_EQ(get16(t, Abteilung), 1286);
            EXPECT_EQ(getStr(t, Name), ansi("Müller"));
            EXPECT_EQ(getStr(t, Vorname), "Hans-Peter");
            EXPECT_FLOAT_EQ(single(t, Wert1), 12.5f);
            EXPECT_FLOAT_EQ(single(t, Wert2), 3.25f);
            for (int k = 0; k < 2; ++k) {  // packed to the front, classes before couplings
                const uint8_t* d = t + Deputat + k * DeputatLayout::Size;
                EXPECT_EQ(get16(d, DeputatLayout::Klasse), classes[k]);
                EXPECT_EQ(getStr(d, DeputatLayout::Nummer), QByteArray::number(7 + k).rightJustified(2, '0'));
                EXPECT_EQ(d[DeputatLayout::Stunden], 3 + k);
                EXPECT_FLOAT_EQ(single(d, DeputatLayout::Faktor), 1.5f);
                EXPECT_EQ(get16(d, DeputatLayout::Raum), 1030);
                EXPECT_EQ(getStr(d, DeputatLayout::Code), "ab");
                EXPECT_EQ(d[DeputatLayout::IstKopplung], k == 1 ? 1 : 0);
            }
            EXPECT_EQ(get16(t + Deputat + 2 * DeputatLayout::Size, DeputatLayout::Klasse), 514);  // default after the list
            EXPECT_EQ(get16(t, Faecher + 10), 776);
            EXPECT_EQ(t[MaxVertretung], 6);
            EXPECT_EQ(t[Text], 0);

            // Writing stores the older layout again: DOS date, surname only, packed assignments.
            put16(t, Deputat + DeputatLayout::Stunden, 9);
            file->WriteData(leh, 5, t);
            const QByteArray b = readFile(path());
            const uint8_t* s = reinterpret_cast<const uint8_t*>(b.constData()) + w.dataOffset(Le) + 5 * l.size;
            EXPECT_EQ(get32(s, 0), get32(t, Datum));
            EXPECT_EQ(getStr(s, 8), ansi("Müller"));
            if (l.hundredths) { EXPECT_EQ(s[l.values], 12); EXPECT_EQ(s[l.values + 1], 50); EXPECT_EQ(s[l.values + 3], 25); }
            else EXPECT_FLOAT_EQ(single(s, l.values + 4), 3.25f);
            const uint8_t* d0 = s + l.deputat;
            EXPECT_EQ(d0[l.dStunden], 9);
            EXPECT_EQ(get16(d0, l.dKlasse), 517);
            if (l.dNummer >= 0) { EXPECT_EQ(get16(d0, l.dNummer), 7); }
            if (l.dFaktorByte >= 0) { EXPECT_EQ(d0[l.dFaktorByte], 150); }
            EXPECT_EQ(l.raeume >= 0 ? get16(s, l.raeume) : get16(d0, l.dRaum), 1030);
            EXPECT_EQ(s[l.max + 2], 6);
            EXPECT_EQ(b.size(), w.bytes().size());
            // Neighbouring records are untouched.
            EXPECT_EQ(b.mid(w.dataOffset(Le) + 6 * l.size, l.size), w.bytes().mid(w.dataOffset(Le) + 6 * l.size, l.size));
            SetCurrentPlanFile(nullptr);
        }
}

TEST_F(PlanTest, Version28TeacherKeepsNamesAndGetsAnEmptyTextArea) {
    Writer w(28);
    uint8_t* r = w.data(Le, 1);
    put16(r, 4, 1);
    putStr(r, 8, "Meier, X");
    putStr(r, 746, "Anna");
    w.save(path());
    TWplFile* f = openCurrent(path());
    uint8_t t[LehrerLayout::Size];
    Lehrer::Load(t, 1);
    EXPECT_EQ(getStr(t, 8), "Meier, X");  // no splitting from version 28 on
    EXPECT_EQ(getStr(t, 746), "Anna");
    EXPECT_EQ(t[906], 0);
    putStr(t, 746, "Berta");
    f->WriteData(leh, 1, t);
    EXPECT_EQ(getStr(reinterpret_cast<const uint8_t*>(readFile(path()).constData()) + w.dataOffset(Le) + 777, 746), "Berta");
}

namespace {
struct ClassLayout { int version, size, nummer, nummerText, raum, f10, unterricht, usize, b374, t375, t386, b407; };
const ClassLayout kClassLayouts[] = {
    {19, 302, 8, -1, 10, 12, 16, 7, 268, 269, 280, 301},
    {21, 302, 8, -1, 10, 12, 16, 7, 268, 269, 280, 301},
    {22, 342, 8, 338, 10, 12, 16, 8, 304, 305, 316, 337},
    {23, 342, 8, 338, 10, 12, 16, 8, 304, 305, 316, 337},
    {24, 304, -1, 300, 8, 10, 14, 7, 266, 267, 278, 299},
    {25, 412, -1, 408, 8, 10, 14, 10, 374, 375, 386, 407},
    {26, 412, -1, 408, 8, 10, 14, 10, 374, 375, 386, 407},
};
}  // namespace

TEST_F(PlanTest, OlderClassRecordsConvertBothWays) {
    for (const ClassLayout& l : kClassLayouts) {
        SCOPED_TRACE(l.version);
        Writer w(l.version);
        w.setKue(Ko, 2, "KOP");
        uint8_t* r = w.data(Kl, 4);
        put16(r, 4, 518);
        if (l.nummer >= 0) put16(r, l.nummer, 5);
        if (l.nummerText >= 0 && l.nummer < 0) putStr(r, l.nummerText, "05");
        put16(r, l.raum, 1031);
        put16(r, l.f10, 11);
        uint8_t* u = r + l.unterricht + 3 * l.usize;  // one coupling lesson at position 4
        put16(u, 0, 772);
        put16(u, 2, 259);
        u[4] = 2;
        u[6] = 1;
        if (l.usize == 10) put16(u, 8, 3);
        r[l.b374] = 7;
        putStr(r, l.t375, "abcd");
        putStr(r, l.t386, "Klassentext");
        r[l.b407] = 126;
        w.save(path());

        TWplFile* f = openCurrent(path());
        ASSERT_EQ(f->Status(), 0);
        uint8_t c[KlasseLayout::Size];
        Klasse::Load(c, 518);
        using namespace KlasseLayout;
        EXPECT_EQ(getStr(c, Nummer), "05");
        EXPECT_EQ(get16(c, Raum), 1031);
        EXPECT_EQ(get16(c, Feld10), 11);
        const uint8_t* first = c + Unterricht;
        EXPECT_EQ(get16(first, 0), 772);
        EXPECT_EQ(get16(first, 2), 259);
        EXPECT_EQ(first[7], 1);  // coupling flag recomputed
        EXPECT_EQ(get16(first, 8), l.usize == 10 ? 3 : 0);
        EXPECT_EQ(c[Byte374], 7);
        EXPECT_EQ(getStr(c, Text375), "abcd");
        EXPECT_EQ(getStr(c, Text386), "Klassentext");
        EXPECT_EQ(get16(c, KlasseLayout::Lehrer), 0);

        putStr(c, Nummer, "12");
        f->WriteData(kla, 4, c);
        const QByteArray b = readFile(path());
        const uint8_t* s = reinterpret_cast<const uint8_t*>(b.constData()) + w.dataOffset(Kl) + 4 * l.size;
        if (l.nummer >= 0) { EXPECT_EQ(get16(s, l.nummer), 12); }
        if (l.nummerText >= 0) { EXPECT_EQ(getStr(s, l.nummerText), "12"); }
        EXPECT_EQ(get16(s, l.raum), 1031);
        EXPECT_EQ(get16(s + l.unterricht, 2), 259);  // the lesson now at position 1
        EXPECT_EQ(getStr(s, l.t386), "Klassentext");
        EXPECT_EQ(s[l.b407], 126);
        uint8_t again[KlasseLayout::Size];
        f->ReadData(kla, 4, again);
        EXPECT_EQ(getStr(again, Nummer), "12");
        SetCurrentPlanFile(nullptr);
    }
}

namespace {
// Older coupling layouts: separate member arrays (19-21, 24-25) or current members (22-23).
struct CouplingLayout { int version, size, nummer, nummerText, fach, klassen, lehrer, b6, kurz, texte, members; };
const CouplingLayout kCouplingLayouts[] = {
    {19, 195, 27, -1, 31, 33, 69, 141, -1, -1, -1},
    {20, 580, 27, -1, 31, 33, 69, 141, 195, 202, -1},
    {22, 580, 27, -1, 31, -1, -1, -1, 33, -1, 40},
    {24, 582, -1, 578, 29, 31, 67, 139, 193, 200, -1},
    {25, 582, -1, 578, 29, 31, 67, 139, 193, 200, -1},
};
}  // namespace

TEST_F(PlanTest, OlderCouplingRecordsConvertBothWays) {
    for (const CouplingLayout& l : kCouplingLayouts) {
        SCOPED_TRACE(l.version);
        Writer w(l.version);
        w.setKue(Kl, 1, "5A");
        w.setKue(Le, 2, "MUE");
        uint8_t* r = w.data(Ko, 3);
        put16(r, 4, 260);
        putStr(r, 6, "Religion");
        if (l.nummer >= 0) put16(r, l.nummer, 3);
        else putStr(r, l.nummerText, "03");
        put16(r, l.fach, 780);
        // Member 2 (0-based 1): class 5A and teacher MUE; the rest empty.
        for (int m = 0; m < 18; ++m) {
            const int klass = m == 1 ? 515 : 514, teacher = m == 1 ? 2 : 0;
            if (l.members >= 0) {
                uint8_t* mem = r + l.members + 30 * m;
                put16(mem, 0, teacher); put16(mem, 2, klass); put16(mem, 4, 771); mem[8] = ' ';
                if (m == 1) putStr(mem, 9, "Gruppe");
            } else {
                put16(r, l.klassen + 2 * m, klass);
                put16(r, l.lehrer + 2 * m, teacher);
                put16(r, l.klassen + 72 + 2 * m, 771);
                if (m == 1) { r[l.b6 + m] = 4; if (l.texte >= 0) putStr(r, l.texte + 21 * m, "Gruppe"); }
            }
        }
        if (l.kurz >= 0) putStr(r, l.kurz, "kurz");
        w.save(path());

        TWplFile* f = openCurrent(path());
        ASSERT_EQ(f->Status(), 0);
        uint8_t k[KopplungLayout::Size];
        Kopplung::Load(k, 260);
        EXPECT_EQ(getStr(k, KopplungLayout::Name), "Religion");
        EXPECT_EQ(getStr(k, KopplungLayout::Nummer), "03");
        EXPECT_EQ(get16(k, KopplungLayout::Fach), 780);
        EXPECT_EQ(getStr(k, KopplungLayout::Kurztext), l.kurz >= 0 ? "kurz" : "");
        const uint8_t* m0 = k + KopplungLayout::Mitglieder;
        EXPECT_EQ(get16(m0, KopMitgliedLayout::Klasse), 515);   // packed to position 1
        EXPECT_EQ(get16(m0, KopMitgliedLayout::Lehrer), 2);
        EXPECT_EQ(getStr(m0, KopMitgliedLayout::Text), l.version == 19 ? "" : "Gruppe");
        EXPECT_EQ(CouplingClassCount(k), 1);
        EXPECT_EQ(CouplingTeacherCount(k), 1);

        put16(k, KopplungLayout::Mitglieder + 30 + KopMitgliedLayout::Klasse, 516);
        putStr(k, KopplungLayout::Nummer, "04");
        f->WriteData(kop, 3, k);
        const QByteArray b = readFile(path());
        const uint8_t* s = reinterpret_cast<const uint8_t*>(b.constData()) + w.dataOffset(Ko) + 3 * l.size;
        if (l.members >= 0) { EXPECT_EQ(get16(s, l.members + 30 + 2), 516); }
        else EXPECT_EQ(get16(s, l.klassen + 2), 516);
        if (l.nummer >= 0) { EXPECT_EQ(get16(s, l.nummer), 4); }
        else EXPECT_EQ(getStr(s, l.nummerText), "04");
        EXPECT_EQ(getStr(s, 6), "Religion");
        SetCurrentPlanFile(nullptr);
    }
}
