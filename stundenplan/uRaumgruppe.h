#pragma once
// Room-group records (69 bytes).
#include <cstdint>

namespace RaumgruppeLayout {
constexpr int Datum = 0;
constexpr int Kuerzel = 4;
constexpr int Name = 6;     // SS[20]
constexpr int Anzahl = 27;  // SmallInt number of rooms, at most 20
constexpr int Raeume = 29;  // 20 x SmallInt room
constexpr int MaxRaeume = 20;
constexpr int Size = 69;
static_assert(Raeume + MaxRaeume * 2 == Size);
}  // namespace RaumgruppeLayout

namespace Raumgruppe {
void NewRecord(uint8_t* Data, int i);
void Load(uint8_t* Data, int i);
}
