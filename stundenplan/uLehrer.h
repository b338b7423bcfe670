#pragma once
// Teacher records (907 bytes) and their lesson assignments.
#include <QString>
#include <cstdint>

namespace LehrerLayout {
constexpr int Datum = 0;          // DOS date of the last change
constexpr int Kuerzel = 4;        // SmallInt global index
constexpr int Abteilung = 6;      // SmallInt department
constexpr int Name = 8;           // SS[30] surname
constexpr int Wert1 = 39;         // Single
constexpr int Wert2 = 43;         // Single
constexpr int Deputat = 47;       // 36 assignments
constexpr int DeputatCount = 36;
constexpr int Faecher = 731;      // 6 x SmallInt subject
constexpr int MaxAufsicht = 743;  // Byte
constexpr int MaxAufsichtVert = 744;
constexpr int MaxVertretung = 745;
constexpr int Vorname = 746;      // SS[30] first name
constexpr int Text = 777;         // 129 bytes, carried
constexpr int TextSize = 129;
constexpr int Byte906 = 906;      // carried
constexpr int Size = 907;
static_assert(Byte906 + 1 == Size && Text + TextSize == Byte906);
}  // namespace LehrerLayout

namespace DeputatLayout {
constexpr int Klasse = 0;         // SmallInt class or coupling
constexpr int Fach = 2;           // SmallInt subject
constexpr int Stunden = 4;        // Byte hours per week
constexpr int Faktor = 5;         // Single
constexpr int Raum = 9;           // SmallInt room
constexpr int Code = 11;          // SS[2]
constexpr int IstKopplung = 14;   // Boolean
constexpr int Nummer = 15;        // SS[3] number as text
constexpr int Size = 19;
static_assert(Nummer + 4 == Size && LehrerLayout::Deputat + LehrerLayout::DeputatCount * Size == LehrerLayout::Faecher);
}  // namespace DeputatLayout

namespace Lehrer {
void NewRecord(uint8_t* Data, int i);
void NewDeputat(uint8_t* entry);
// Checks the kind, reads the record from the current plan file and tidies the assignments.
void Load(uint8_t* Data, int i);
void TidyDeputat(uint8_t* Data);
// "Surname, first name": the first name is cut to 30 characters.
void SplitName(const QString& name, QString& surname, QString& firstName);
}  // namespace Lehrer
