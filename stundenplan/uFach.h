#pragma once
// Subject records (42 bytes).
#include <cstdint>

namespace FachLayout {
constexpr int Datum = 0;
constexpr int Kuerzel = 4;
constexpr int Name = 6;     // SS[19]
constexpr int Raum = 26;    // SmallInt room
constexpr int Code1 = 28;   // SS[2]
constexpr int Code2 = 31;   // SS[2]
constexpr int Reserve = 34; // 5 bytes, carried
constexpr int Byte39 = 39;
constexpr int Byte40 = 40;
constexpr int Byte41 = 41;
constexpr int Size = 42;
static_assert(Byte41 + 1 == Size);
}  // namespace FachLayout

namespace Fach {
void NewRecord(uint8_t* Data, int i);
void Load(uint8_t* Data, int i);
}
