#include "Oldtype.h"

#include "Wpdb.h"
#include "uKlasse.h"
#include "uKopplung.h"
#include "uLehrer.h"
#include "uPlanUtils.h"

#include <cmath>
#include <cstring>

using namespace PlanUtils;

namespace {

// ------------------------------------------------------------ stored layouts
// Teachers, versions 19-21 (517 bytes).
namespace Leh19 {
constexpr int Name = 8, Wert1 = 30, Wert2 = 32, Deputat = 34, DepSize = 8, Faecher = 322, Raeume = 334, Codes = 406,
              Max = 514, Size = 517;
// Assignment: number SmallInt, class SmallInt, subject SmallInt, hours Byte, factor x 100 Byte.
constexpr int DNummer = 0, DKlasse = 2, DFach = 4, DStunden = 6, DFaktor = 7;
static_assert(Deputat + 36 * DepSize == Faecher && Codes + 36 * 3 == Max && Max + 3 == Size);
}  // namespace Leh19
// Teachers, versions 22-23 (665 bytes).
namespace Leh22 {
constexpr int Name = 8, Wert1 = 30, Wert2 = 34, Deputat = 38, DepSize = 17, Faecher = 650, Max = 662, Size = 665;
constexpr int DNummer = 0, DKlasse = 2, DFach = 4, DStunden = 6, DFaktor = 7, DRaum = 11, DCode = 13, DKopplung = 16;
static_assert(Deputat + 36 * DepSize == Faecher && Max + 3 == Size);
}  // namespace Leh22
// Teachers, version 24 (589 bytes).
namespace Leh24 {
constexpr int Name = 8, Wert1 = 30, Wert2 = 32, Deputat = 34, DepSize = 10, Faecher = 394, Raeume = 406, Codes = 478,
              Max = 586, Size = 589;
constexpr int DNummer = 0, DKlasse = 4, DFach = 6, DStunden = 8, DFaktor = 9;
static_assert(Deputat + 36 * DepSize == Faecher && Codes + 36 * 3 == Max && Max + 3 == Size);
}  // namespace Leh24
// Teachers, versions 25-27 (737 bytes): current assignments.
namespace Leh25 {
constexpr int Name = 8, Wert1 = 30, Wert2 = 34, Deputat = 38, Faecher = 722, Max = 734, Size = 737;
static_assert(Deputat + 36 * DeputatLayout::Size == Faecher && Max + 3 == Size);
}  // namespace Leh25
// Teachers, version 28: the current layout up to offset 776.
constexpr int Leh28Size = 777;

// Classes.
namespace Kla19 {
constexpr int Nummer = 8, Raum = 10, F10 = 12, F12 = 14, Unterricht = 16, USize = 7, B374 = 268, T375 = 269, T386 = 280,
              B407 = 301, Size = 302;
static_assert(Unterricht + 36 * USize == B374 && B407 + 1 == Size);
}
namespace Kla22 {
constexpr int Nummer = 8, Raum = 10, F10 = 12, F12 = 14, Unterricht = 16, USize = 8, B374 = 304, T375 = 305, T386 = 316,
              B407 = 337, NummerText = 338, Size = 342;
static_assert(Unterricht + 36 * USize == B374 && NummerText + 4 == Size);
}
namespace Kla24 {
constexpr int Raum = 8, F10 = 10, F12 = 12, Unterricht = 14, USize = 7, B374 = 266, T375 = 267, T386 = 278, B407 = 299,
              NummerText = 300, Size = 304;
static_assert(Unterricht + 36 * USize == B374 && NummerText + 4 == Size);
}
constexpr int Kla25Size = 412;

// Couplings.
namespace Kop19 {
constexpr int Name = 6, Nummer = 27, F27 = 29, Fach = 31, Klassen = 33, Lehrer = 69, Faecher = 105, B6 = 141, B7 = 159,
              B8 = 177, Size = 195;
// Versions 20-21 add these (580 bytes).
constexpr int Kurztext = 195, Texte = 202, Size20 = 580;
static_assert(B8 + 18 == Size && Texte + 18 * 21 == Size20);
}  // namespace Kop19
namespace Kop22 {
constexpr int Name = 6, Nummer = 27, F27 = 29, Fach = 31, Kurztext = 33, Mitglieder = 40, Size = 580;
static_assert(Mitglieder + 18 * KopMitgliedLayout::Size == Size);
}
namespace Kop24 {
constexpr int Name = 6, F27 = 27, Fach = 29, Klassen = 31, Lehrer = 67, Faecher = 103, B6 = 139, B7 = 157, B8 = 175,
              Kurztext = 193, Texte = 200, NummerText = 578, Size = 582;
static_assert(Texte + 18 * 21 == NummerText && NummerText + 4 == Size);
}

// ------------------------------------------------------------ helpers

void copyBytes(uint8_t* dst, int dOff, const uint8_t* src, int sOff, int n) { std::memcpy(dst + dOff, src + sOff, size_t(n)); }

// A value stored as whole part and hundredths (two bytes).
float fromHundredths(const uint8_t* p, int off) { return float(p[off] + p[off + 1] / 100.0); }
void toHundredths(uint8_t* p, int off, float v) {
    const double whole = std::trunc(double(v));
    // The small allowance keeps 2.29 from becoming 2.28 through the float representation.
    const double hundredths = std::trunc((double(v) - whole) * 100.0 + 1e-4);
    p[off] = uint8_t(std::clamp(whole, 0.0, 255.0));
    p[off + 1] = uint8_t(std::clamp(hundredths, 0.0, 99.0));
}
uint8_t factorByte(float f) { return uint8_t(std::clamp(std::trunc(double(f) * 100.0 + 1e-4), 0.0, 255.0)); }

void recomputeCouplingFlag(uint8_t* entry, int partnerOff, int flagOff) {
    entry[flagOff] = KueArtOf(getI16(entry, partnerOff)) == kop ? 1 : 0;
}

void putNumberText(uint8_t* p, int off, int n) { putSS(p, off, 3, numberText(n).left(3)); }

// ------------------------------------------------------------ teachers

void teacherFromStored(int v, const uint8_t* s, uint8_t* d) {
    using namespace LehrerLayout;
    Lehrer::NewRecord(d, getI16(s, 4));
    if (v == 28) copyBytes(d, 0, s, 0, Leh28Size);
    putU32(d, Datum, dayCountToDosDate(getI32(s, 0)));
    putI16(d, LehrerLayout::Kuerzel, getI16(s, 4));
    putI16(d, Abteilung, getI16(s, 6));
    auto dep = [d](int p) { return d + Deputat + p * DeputatLayout::Size; };
    int faecher = 0, max = 0;
    if (v <= 21) {
        putSingle(d, Wert1, fromHundredths(s, Leh19::Wert1));
        putSingle(d, Wert2, fromHundredths(s, Leh19::Wert2));
        for (int p = 0; p < 36; ++p) {
            const uint8_t* e = s + Leh19::Deputat + p * Leh19::DepSize;
            putNumberText(dep(p), DeputatLayout::Nummer, getI16(e, Leh19::DNummer));
            putI16(dep(p), DeputatLayout::Klasse, getI16(e, Leh19::DKlasse));
            putI16(dep(p), DeputatLayout::Fach, getI16(e, Leh19::DFach));
            dep(p)[DeputatLayout::Stunden] = e[Leh19::DStunden];
            putSingle(dep(p), DeputatLayout::Faktor, float(e[Leh19::DFaktor] / 100.0));
            putI16(dep(p), DeputatLayout::Raum, getI16(s, Leh19::Raeume + 2 * p));
            copyBytes(dep(p), DeputatLayout::Code, s, Leh19::Codes + 3 * p, 3);
        }
        faecher = Leh19::Faecher;
        max = Leh19::Max;
    } else if (v <= 23) {
        copyBytes(d, Wert1, s, Leh22::Wert1, 8);
        for (int p = 0; p < 36; ++p) {
            const uint8_t* e = s + Leh22::Deputat + p * Leh22::DepSize;
            putNumberText(dep(p), DeputatLayout::Nummer, getI16(e, Leh22::DNummer));
            putI16(dep(p), DeputatLayout::Klasse, getI16(e, Leh22::DKlasse));
            putI16(dep(p), DeputatLayout::Fach, getI16(e, Leh22::DFach));
            dep(p)[DeputatLayout::Stunden] = e[Leh22::DStunden];
            copyBytes(dep(p), DeputatLayout::Faktor, e, Leh22::DFaktor, 4);
            putI16(dep(p), DeputatLayout::Raum, getI16(e, Leh22::DRaum));
            copyBytes(dep(p), DeputatLayout::Code, e, Leh22::DCode, 3);
        }
        faecher = Leh22::Faecher;
        max = Leh22::Max;
    } else if (v == 24) {
        putSingle(d, Wert1, fromHundredths(s, Leh24::Wert1));
        putSingle(d, Wert2, fromHundredths(s, Leh24::Wert2));
        for (int p = 0; p < 36; ++p) {
            const uint8_t* e = s + Leh24::Deputat + p * Leh24::DepSize;
            copyBytes(dep(p), DeputatLayout::Nummer, e, Leh24::DNummer, 4);
            putI16(dep(p), DeputatLayout::Klasse, getI16(e, Leh24::DKlasse));
            putI16(dep(p), DeputatLayout::Fach, getI16(e, Leh24::DFach));
            dep(p)[DeputatLayout::Stunden] = e[Leh24::DStunden];
            putSingle(dep(p), DeputatLayout::Faktor, float(e[Leh24::DFaktor] / 100.0));
            putI16(dep(p), DeputatLayout::Raum, getI16(s, Leh24::Raeume + 2 * p));
            copyBytes(dep(p), DeputatLayout::Code, s, Leh24::Codes + 3 * p, 3);
        }
        faecher = Leh24::Faecher;
        max = Leh24::Max;
    } else if (v <= 27) {
        copyBytes(d, Wert1, s, Leh25::Wert1, 8);
        copyBytes(d, Deputat, s, Leh25::Deputat, 36 * DeputatLayout::Size);
        faecher = Leh25::Faecher;
        max = Leh25::Max;
    }
    if (v <= 27) {
        copyBytes(d, Faecher, s, faecher, 12);
        copyBytes(d, MaxAufsicht, s, max, 3);
        QString surname, firstName;
        Lehrer::SplitName(getSS(s, Leh19::Name, 21), surname, firstName);
        putSS(d, Name, 30, surname);
        putSS(d, Vorname, 30, firstName);
    }
    for (int p = 0; p < 36; ++p) recomputeCouplingFlag(dep(p), DeputatLayout::Klasse, DeputatLayout::IstKopplung);
    std::memset(d + Text, 0, TextSize);
    d[Byte906] = 0;
}

void teacherToStored(int v, const uint8_t* d, uint8_t* s) {
    using namespace LehrerLayout;
    if (v == 28) {
        copyBytes(s, 0, d, 0, Leh28Size);
        return;
    }
    putU32(s, 0, getU32(d, Datum));
    putI16(s, 4, getI16(d, LehrerLayout::Kuerzel));
    putI16(s, 6, getI16(d, Abteilung));
    putSS(s, Leh19::Name, 21, getSS(d, Name, 30).left(21));
    auto dep = [d](int p) { return d + Deputat + p * DeputatLayout::Size; };
    int faecher = 0, max = 0;
    if (v <= 21) {
        toHundredths(s, Leh19::Wert1, getSingle(d, Wert1));
        toHundredths(s, Leh19::Wert2, getSingle(d, Wert2));
        for (int p = 0; p < 36; ++p) {
            uint8_t* e = s + Leh19::Deputat + p * Leh19::DepSize;
            putI16(e, Leh19::DNummer, numberValue(getSS(dep(p), DeputatLayout::Nummer, 3)));
            putI16(e, Leh19::DKlasse, getI16(dep(p), DeputatLayout::Klasse));
            putI16(e, Leh19::DFach, getI16(dep(p), DeputatLayout::Fach));
            e[Leh19::DStunden] = dep(p)[DeputatLayout::Stunden];
            e[Leh19::DFaktor] = factorByte(getSingle(dep(p), DeputatLayout::Faktor));
            putI16(s, Leh19::Raeume + 2 * p, getI16(dep(p), DeputatLayout::Raum));
            copyBytes(s, Leh19::Codes + 3 * p, dep(p), DeputatLayout::Code, 3);
        }
        faecher = Leh19::Faecher;
        max = Leh19::Max;
    } else if (v <= 23) {
        copyBytes(s, Leh22::Wert1, d, Wert1, 8);
        for (int p = 0; p < 36; ++p) {
            uint8_t* e = s + Leh22::Deputat + p * Leh22::DepSize;
            putI16(e, Leh22::DNummer, numberValue(getSS(dep(p), DeputatLayout::Nummer, 3)));
            putI16(e, Leh22::DKlasse, getI16(dep(p), DeputatLayout::Klasse));
            putI16(e, Leh22::DFach, getI16(dep(p), DeputatLayout::Fach));
            e[Leh22::DStunden] = dep(p)[DeputatLayout::Stunden];
            copyBytes(e, Leh22::DFaktor, dep(p), DeputatLayout::Faktor, 4);
            putI16(e, Leh22::DRaum, getI16(dep(p), DeputatLayout::Raum));
            copyBytes(e, Leh22::DCode, dep(p), DeputatLayout::Code, 3);
            e[Leh22::DKopplung] = dep(p)[DeputatLayout::IstKopplung];
        }
        faecher = Leh22::Faecher;
        max = Leh22::Max;
    } else if (v == 24) {
        toHundredths(s, Leh24::Wert1, getSingle(d, Wert1));
        toHundredths(s, Leh24::Wert2, getSingle(d, Wert2));
        for (int p = 0; p < 36; ++p) {
            uint8_t* e = s + Leh24::Deputat + p * Leh24::DepSize;
            copyBytes(e, Leh24::DNummer, dep(p), DeputatLayout::Nummer, 4);
            putI16(e, Leh24::DKlasse, getI16(dep(p), DeputatLayout::Klasse));
            putI16(e, Leh24::DFach, getI16(dep(p), DeputatLayout::Fach));
            e[Leh24::DStunden] = dep(p)[DeputatLayout::Stunden];
            e[Leh24::DFaktor] = factorByte(getSingle(dep(p), DeputatLayout::Faktor));
            putI16(s, Leh24::Raeume + 2 * p, getI16(dep(p), DeputatLayout::Raum));
            copyBytes(s, Leh24::Codes + 3 * p, dep(p), DeputatLayout::Code, 3);
        }
        faecher = Leh24::Faecher;
        max = Leh24::Max;
    } else {
        copyBytes(s, Leh25::Wert1, d, Wert1, 8);
        copyBytes(s, Leh25::Deputat, d, Deputat, 36 * DeputatLayout::Size);
        faecher = Leh25::Faecher;
        max = Leh25::Max;
    }
    copyBytes(s, faecher, d, Faecher, 12);
    copyBytes(s, max, d, MaxAufsicht, 3);
}

// ------------------------------------------------------------ classes

struct ClassOffsets { int nummer, raum, f10, f12, unterricht, usize, b374, t375, t386, b407, nummerText; };

ClassOffsets classOffsets(int v) {
    if (v <= 21) return {Kla19::Nummer, Kla19::Raum, Kla19::F10, Kla19::F12, Kla19::Unterricht, Kla19::USize, Kla19::B374, Kla19::T375, Kla19::T386, Kla19::B407, -1};
    if (v <= 23) return {Kla22::Nummer, Kla22::Raum, Kla22::F10, Kla22::F12, Kla22::Unterricht, Kla22::USize, Kla22::B374, Kla22::T375, Kla22::T386, Kla22::B407, Kla22::NummerText};
    return {-1, Kla24::Raum, Kla24::F10, Kla24::F12, Kla24::Unterricht, Kla24::USize, Kla24::B374, Kla24::T375, Kla24::T386, Kla24::B407, Kla24::NummerText};
}

void classFromStored(int v, const uint8_t* s, uint8_t* d) {
    using namespace KlasseLayout;
    Klasse::NewRecord(d, getI16(s, 4));
    if (v >= 25) {
        copyBytes(d, 0, s, 0, Kla25Size);
        putI16(d, KlasseLayout::Lehrer, KueFirst[leh]);
    } else {
        const ClassOffsets o = classOffsets(v);
        putI16(d, Abteilung, getI16(s, 6));
        putI16(d, Raum, getI16(s, o.raum));
        copyBytes(d, Feld10, s, o.f10, 2);
        copyBytes(d, Feld12, s, o.f12, 2);
        for (int p = 0; p < 36; ++p) {
            uint8_t* e = d + Unterricht + p * KlUnterrichtLayout::Size;
            copyBytes(e, 0, s, o.unterricht + p * o.usize, o.usize);
            putI16(e, KlUnterrichtLayout::Lehrer, KueFirst[leh]);
        }
        d[Byte374] = s[o.b374];
        copyBytes(d, Text375, s, o.t375, 11);
        copyBytes(d, Text386, s, o.t386, 21);
        d[Byte407] = s[o.b407];
        if (o.nummer >= 0) putNumberText(d, Nummer, getI16(s, o.nummer));
        else copyBytes(d, Nummer, s, o.nummerText, 4);
    }
    putU32(d, Datum, dayCountToDosDate(getI32(s, 0)));
    putI16(d, KlasseLayout::Kuerzel, getI16(s, 4));
    for (int p = 0; p < 36; ++p)
        recomputeCouplingFlag(d + Unterricht + p * KlUnterrichtLayout::Size, KlUnterrichtLayout::LehrerOderKopplung,
                              KlUnterrichtLayout::IstKopplung);
}

void classToStored(int v, const uint8_t* d, uint8_t* s) {
    using namespace KlasseLayout;
    if (v >= 25) {
        copyBytes(s, 0, d, 0, Kla25Size);
        return;
    }
    const ClassOffsets o = classOffsets(v);
    putU32(s, 0, getU32(d, Datum));
    putI16(s, 4, getI16(d, KlasseLayout::Kuerzel));
    putI16(s, 6, getI16(d, Abteilung));
    putI16(s, o.raum, getI16(d, Raum));
    copyBytes(s, o.f10, d, Feld10, 2);
    copyBytes(s, o.f12, d, Feld12, 2);
    for (int p = 0; p < 36; ++p) copyBytes(s, o.unterricht + p * o.usize, d, Unterricht + p * KlUnterrichtLayout::Size, o.usize);
    s[o.b374] = d[Byte374];
    copyBytes(s, o.t375, d, Text375, 11);
    copyBytes(s, o.t386, d, Text386, 21);
    s[o.b407] = d[Byte407];
    // The number is kept both ways where the layout has both, so it survives a re-read.
    if (o.nummer >= 0) putI16(s, o.nummer, numberValue(getSS(d, Nummer, 3)));
    if (o.nummerText >= 0) copyBytes(s, o.nummerText, d, Nummer, 4);
}

// ------------------------------------------------------------ couplings

void couplingFromStored(int v, const uint8_t* s, uint8_t* d) {
    using namespace KopplungLayout;
    Kopplung::NewRecord(d, getI16(s, 4));
    auto member = [d](int m) { return d + Mitglieder + m * KopMitgliedLayout::Size; };
    copyBytes(d, Name, s, Kop19::Name, 21);
    if (v <= 21 || v >= 24) {
        const bool v24 = v >= 24;
        const int klassen = v24 ? Kop24::Klassen : Kop19::Klassen, lehrer = v24 ? Kop24::Lehrer : Kop19::Lehrer,
                  faecher = v24 ? Kop24::Faecher : Kop19::Faecher, b6 = v24 ? Kop24::B6 : Kop19::B6,
                  b7 = v24 ? Kop24::B7 : Kop19::B7, b8 = v24 ? Kop24::B8 : Kop19::B8;
        if (v24) {
            copyBytes(d, Feld27, s, Kop24::F27, 2);
            copyBytes(d, Fach, s, Kop24::Fach, 2);
            copyBytes(d, Nummer, s, Kop24::NummerText, 4);
        } else {
            putNumberText(d, Nummer, getI16(s, Kop19::Nummer));
            copyBytes(d, Feld27, s, Kop19::F27, 2);
            copyBytes(d, Fach, s, Kop19::Fach, 2);
        }
        for (int m = 0; m < 18; ++m) {
            putI16(member(m), KopMitgliedLayout::Klasse, getI16(s, klassen + 2 * m));
            putI16(member(m), KopMitgliedLayout::Lehrer, getI16(s, lehrer + 2 * m));
            putI16(member(m), KopMitgliedLayout::Fach, getI16(s, faecher + 2 * m));
            member(m)[KopMitgliedLayout::Byte6] = s[b6 + m];
            member(m)[KopMitgliedLayout::Byte7] = s[b7 + m];
            member(m)[KopMitgliedLayout::Zeichen] = s[b8 + m];
        }
        if (v >= 20) {
            const int kurz = v24 ? Kop24::Kurztext : Kop19::Kurztext, texte = v24 ? Kop24::Texte : Kop19::Texte;
            copyBytes(d, Kurztext, s, kurz, 7);
            for (int m = 0; m < 18; ++m) copyBytes(member(m), KopMitgliedLayout::Text, s, texte + 21 * m, 21);
        }
    } else {
        putNumberText(d, Nummer, getI16(s, Kop22::Nummer));
        copyBytes(d, Feld27, s, Kop22::F27, 2);
        copyBytes(d, Fach, s, Kop22::Fach, 2);
        copyBytes(d, Kurztext, s, Kop22::Kurztext, 7);
        copyBytes(d, Mitglieder, s, Kop22::Mitglieder, 18 * KopMitgliedLayout::Size);
    }
    putU32(d, Datum, dayCountToDosDate(getI32(s, 0)));
    putI16(d, KopplungLayout::Kuerzel, getI16(s, 4));
}

void couplingToStored(int v, const uint8_t* d, uint8_t* s) {
    using namespace KopplungLayout;
    auto member = [d](int m) { return d + Mitglieder + m * KopMitgliedLayout::Size; };
    putU32(s, 0, getU32(d, Datum));
    putI16(s, 4, getI16(d, KopplungLayout::Kuerzel));
    copyBytes(s, Kop19::Name, d, Name, 21);
    const int number = numberValue(getSS(d, Nummer, 3));
    if (v <= 21 || v >= 24) {
        const bool v24 = v >= 24;
        const int klassen = v24 ? Kop24::Klassen : Kop19::Klassen, lehrer = v24 ? Kop24::Lehrer : Kop19::Lehrer,
                  faecher = v24 ? Kop24::Faecher : Kop19::Faecher, b6 = v24 ? Kop24::B6 : Kop19::B6,
                  b7 = v24 ? Kop24::B7 : Kop19::B7, b8 = v24 ? Kop24::B8 : Kop19::B8;
        if (v24) {
            copyBytes(s, Kop24::F27, d, Feld27, 2);
            copyBytes(s, Kop24::Fach, d, Fach, 2);
            copyBytes(s, Kop24::NummerText, d, Nummer, 4);
        } else {
            putI16(s, Kop19::Nummer, number);
            copyBytes(s, Kop19::F27, d, Feld27, 2);
            copyBytes(s, Kop19::Fach, d, Fach, 2);
        }
        for (int m = 0; m < 18; ++m) {
            putI16(s, klassen + 2 * m, getI16(member(m), KopMitgliedLayout::Klasse));
            putI16(s, lehrer + 2 * m, getI16(member(m), KopMitgliedLayout::Lehrer));
            putI16(s, faecher + 2 * m, getI16(member(m), KopMitgliedLayout::Fach));
            s[b6 + m] = member(m)[KopMitgliedLayout::Byte6];
            s[b7 + m] = member(m)[KopMitgliedLayout::Byte7];
            s[b8 + m] = member(m)[KopMitgliedLayout::Zeichen];
        }
        if (v >= 20) {
            const int kurz = v24 ? Kop24::Kurztext : Kop19::Kurztext, texte = v24 ? Kop24::Texte : Kop19::Texte;
            copyBytes(s, kurz, d, Kurztext, 7);
            for (int m = 0; m < 18; ++m) copyBytes(s, texte + 21 * m, member(m), KopMitgliedLayout::Text, 21);
        }
    } else {
        putI16(s, Kop22::Nummer, number);
        copyBytes(s, Kop22::F27, d, Feld27, 2);
        copyBytes(s, Kop22::Fach, d, Fach, 2);
        copyBytes(s, Kop22::Kurztext, d, Kurztext, 7);
        copyBytes(s, Kop22::Mitglieder, d, Mitglieder, 18 * KopMitgliedLayout::Size);
    }
}

}  // namespace

bool NeedsConversion(TKueart k, int v) {
    switch (k) {
    case leh: return v >= 19 && v <= 28;
    case kla: return v >= 19 && v <= 26;
    case kop: return v >= 19 && v <= 25;
    default: return false;
    }
}

void ConvertFromStored(TKueart k, int v, const uint8_t* stored, uint8_t* current) {
    switch (k) {
    case leh: teacherFromStored(v, stored, current); break;
    case kla: classFromStored(v, stored, current); break;
    case kop: couplingFromStored(v, stored, current); break;
    default: std::memcpy(current, stored, size_t(RecSize[k])); break;
    }
}

void ConvertToStored(TKueart k, int v, const uint8_t* current, uint8_t* stored) {
    std::memset(stored, 0, size_t(StoredDataSize(k, v)));
    switch (k) {
    case leh: teacherToStored(v, current, stored); break;
    case kla: classToStored(v, current, stored); break;
    case kop: couplingToStored(v, current, stored); break;
    default: std::memcpy(stored, current, size_t(RecSize[k])); break;
    }
}
