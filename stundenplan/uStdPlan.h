#pragma once
// The in-memory weekly plan and its cell as the plan file stores it.
#include <array>
#include <cstddef>
#include <cstdint>

// A set of calendar weeks: bit w - 1 set when week w uses the second variant.
using TPeriode = uint64_t;

constexpr int MaxPlanDays = 6;
constexpr int MaxPlanPeriods = 20;
constexpr int PlanSlots = MaxPlanDays * MaxPlanPeriods;  // 120

// One period of one day (12 bytes in the file).
struct TPlanCell {
    int16_t reserved = 0;  // carried unchanged; 0 in cells this library builds
    uint8_t marked = 0;
    uint8_t blocked = 0;   // "gesperrt": the partners are then not used
    // Global indices at cell offsets 4, 6, 8 and 10; their kinds depend on the plan's kind.
    std::array<int16_t, 4> partner{};
};

namespace PlanCellLayout {
constexpr int Reserved = 0;   // SmallInt, carried
constexpr int Marked = 2;     // Byte 0/1
constexpr int Blocked = 3;    // Byte 0/1
constexpr int Partner = 4;    // 4 x SmallInt global index
constexpr int Size = 12;
static_assert(Partner + 4 * 2 == Size);
}  // namespace PlanCellLayout

void decodePlanCell(const uint8_t* p, TPlanCell& cell);
void encodePlanCell(const TPlanCell& cell, uint8_t* p);

struct TStdPlan {
    int16_t Kuerzel = 0;       // global index of the owner
    double LastMod = 0;        // TDateTime
    TPeriode Woche = 0;
    // Period-major: cell (p, d) is element (p - 1) * 6 + (d - 1).
    std::array<TPlanCell, PlanSlots> Plan{};
    int32_t PlanVariante = 1;

    TPlanCell& cell(int period, int day) { return Plan[size_t((period - 1) * MaxPlanDays + (day - 1))]; }
    const TPlanCell& cell(int period, int day) const { return Plan[size_t((period - 1) * MaxPlanDays + (day - 1))]; }
};
using PStdPlan = TStdPlan*;
