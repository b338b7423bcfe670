#pragma once
// Department records (27 bytes).
#include <cstdint>

namespace AbteilungLayout {
constexpr int Datum = 0;
constexpr int Kuerzel = 4;
constexpr int Name = 6;  // SS[20]
constexpr int Size = 27;
static_assert(Name + 21 == Size);
}  // namespace AbteilungLayout

namespace Abteilung {
void NewRecord(uint8_t* Data, int i);
void Load(uint8_t* Data, int i);
}
