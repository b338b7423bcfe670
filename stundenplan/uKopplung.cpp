#include "uKopplung.h"

#include "uKatalogSupport.h"

using namespace PlanUtils;
using namespace KatalogSupport;

namespace {
uint8_t* member(uint8_t* Data, int p) { return Data + KopplungLayout::Mitglieder + p * KopMitgliedLayout::Size; }
int memberClass(uint8_t* Data, int p) { return getI16(member(Data, p), KopMitgliedLayout::Klasse); }
int memberTeacher(uint8_t* Data, int p) { return getI16(member(Data, p), KopMitgliedLayout::Lehrer); }

// Packs the members with a class to the front, moving whole members.
void packByClass(uint8_t* Data) {
    bool swapped;
    do {
        swapped = false;
        for (int p = 0; p + 1 < KopplungLayout::MitgliedCount; ++p)
            if (IsFreeKuerzel(memberClass(Data, p)) && !IsFreeKuerzel(memberClass(Data, p + 1))) {
                swapBytes(member(Data, p), member(Data, p + 1), KopMitgliedLayout::Size);
                swapped = true;
            }
    } while (swapped);
}

// Packs the members with a teacher to the front; the class fields stay in place,
// so classes and teachers form two independent lists.
void packByTeacher(uint8_t* Data) {
    bool swapped;
    do {
        swapped = false;
        for (int p = 0; p + 1 < KopplungLayout::MitgliedCount; ++p)
            if (IsFreeKuerzel(memberTeacher(Data, p)) && !IsFreeKuerzel(memberTeacher(Data, p + 1))) {
                uint8_t* a = member(Data, p);
                uint8_t* b = member(Data, p + 1);
                const int16_t classA = getI16(a, KopMitgliedLayout::Klasse), classB = getI16(b, KopMitgliedLayout::Klasse);
                swapBytes(a, b, KopMitgliedLayout::Size);
                putI16(a, KopMitgliedLayout::Klasse, classA);
                putI16(b, KopMitgliedLayout::Klasse, classB);
                swapped = true;
            }
    } while (swapped);
}
}  // namespace

namespace Kopplung {

void NewMitglied(uint8_t* m) {
    using namespace KopMitgliedLayout;
    std::memset(m, 0, Size);
    putI16(m, Lehrer, KueFirst[leh]);
    putI16(m, Klasse, KueFirst[kla]);
    putI16(m, Fach, KueFirst[fac]);
    m[Zeichen] = ' ';
    putSSBytes(m, Text, 20, {});
}

void NewRecord(uint8_t* Data, int i) {
    using namespace KopplungLayout;
    std::memset(Data, 0, Size);
    stampRecord(Data, i);
    putSSBytes(Data, Name, 20, {});
    putI16(Data, Feld27, 0);
    putI16(Data, Fach, KueFirst[fac]);
    putSSBytes(Data, Kurztext, 6, {});
    putSSBytes(Data, Nummer, 3, {});
    for (int p = 0; p < MitgliedCount; ++p) NewMitglied(member(Data, p));
}

void TidyMitglieder(uint8_t* Data) {
    packByClass(Data);
    packByTeacher(Data);
    for (int p = KopplungLayout::MitgliedCount - 1; p >= 0; --p) {
        uint8_t* m = member(Data, p);
        if (getI16(m, KopMitgliedLayout::Lehrer) != KueFirst[leh] || getI16(m, KopMitgliedLayout::Klasse) != KueFirst[kla] ||
            getI16(m, KopMitgliedLayout::Fach) != KueFirst[fac])
            break;
        NewMitglied(m);
    }
}

void Load(uint8_t* Data, int i) {
    checkKind(kop, i, "Kopplung Load: Unzulässiges Kürzel!", "Stundenplan\\Common\\uKopplung", __LINE__);
    readRecord(kop, Data, i);
    TidyMitglieder(Data);
}

}  // namespace Kopplung

int CouplingClassCount(uint8_t* Data) {
    packByClass(Data);
    for (int p = KopplungLayout::MitgliedCount - 1; p >= 0; --p)
        if (memberClass(Data, p) != KueFirst[kla]) return p + 1;
    return 0;
}

int CouplingTeacherCount(uint8_t* Data) {
    packByTeacher(Data);
    for (int p = KopplungLayout::MitgliedCount - 1; p >= 0; --p)
        if (memberTeacher(Data, p) != KueFirst[leh]) return p + 1;
    return 0;
}
