#pragma once
// Class records (414 bytes) and their lessons.
#include <cstdint>

namespace KlasseLayout {
constexpr int Datum = 0;
constexpr int Kuerzel = 4;
constexpr int Abteilung = 6;
constexpr int Raum = 8;           // room of the class
constexpr int Feld10 = 10;        // SmallInt, carried
constexpr int Feld12 = 12;        // SmallInt, carried
constexpr int Unterricht = 14;    // 36 lessons
constexpr int UnterrichtCount = 36;
constexpr int Byte374 = 374;      // carried
constexpr int Text375 = 375;      // SS[10], carried
constexpr int Text386 = 386;      // SS[20], carried
constexpr int Byte407 = 407;      // carried
constexpr int Nummer = 408;       // SS[3] number as text
constexpr int Lehrer = 412;       // SmallInt teacher
constexpr int Size = 414;
static_assert(Lehrer + 2 == Size);
}  // namespace KlasseLayout

namespace KlUnterrichtLayout {
constexpr int Fach = 0;
constexpr int LehrerOderKopplung = 2;
constexpr int Byte4 = 4;
constexpr int Byte5 = 5;
constexpr int Byte6 = 6;
constexpr int IstKopplung = 7;
constexpr int Lehrer = 8;         // second teacher
constexpr int Size = 10;
static_assert(KlasseLayout::Unterricht + KlasseLayout::UnterrichtCount * Size == KlasseLayout::Byte374);
}  // namespace KlUnterrichtLayout

namespace Klasse {
void NewRecord(uint8_t* Data, int i);
void NewUnterricht(uint8_t* entry);
void Load(uint8_t* Data, int i);
void TidyUnterricht(uint8_t* Data);
}  // namespace Klasse
