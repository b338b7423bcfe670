#pragma once
// Room records (31 bytes).
#include <cstdint>

namespace RaumLayout {
constexpr int Datum = 0;
constexpr int Kuerzel = 4;
constexpr int Name = 6;    // SS[20]
constexpr int Feld27 = 27; // SmallInt, 99 in a new record
constexpr int Feld29 = 29; // SmallInt, 0 from files before version 30
constexpr int Size = 31;
static_assert(Feld29 + 2 == Size);
}  // namespace RaumLayout

namespace Raum {
void NewRecord(uint8_t* Data, int i);
void Load(uint8_t* Data, int i);
}
