#pragma once
// Coupling records (582 bytes): lessons held at the same time, with their members.
#include <cstdint>

namespace KopplungLayout {
constexpr int Datum = 0;
constexpr int Kuerzel = 4;
constexpr int Name = 6;           // SS[20]
constexpr int Feld27 = 27;        // SmallInt, carried
constexpr int Fach = 29;          // SmallInt subject
constexpr int Kurztext = 31;      // SS[6]
constexpr int Nummer = 38;        // SS[3]
constexpr int Mitglieder = 42;    // 18 members
constexpr int MitgliedCount = 18;
constexpr int Size = 582;
}  // namespace KopplungLayout

namespace KopMitgliedLayout {
constexpr int Lehrer = 0;
constexpr int Klasse = 2;
constexpr int Fach = 4;
constexpr int Byte6 = 6;
constexpr int Byte7 = 7;
constexpr int Zeichen = 8;        // one character
constexpr int Text = 9;           // SS[20]
constexpr int Size = 30;
static_assert(KopplungLayout::Mitglieder + KopplungLayout::MitgliedCount * Size == KopplungLayout::Size);
}  // namespace KopMitgliedLayout

namespace Kopplung {
void NewRecord(uint8_t* Data, int i);
void NewMitglied(uint8_t* member);
void Load(uint8_t* Data, int i);
void TidyMitglieder(uint8_t* Data);
}  // namespace Kopplung

// Pack the members by class (resp. teacher) and return the position (1-18) of
// the last member with a class (resp. teacher), 0 if none.
int CouplingClassCount(uint8_t* Data);
int CouplingTeacherCount(uint8_t* Data);
