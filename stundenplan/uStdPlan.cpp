#include "uStdPlan.h"

#include "uPlanUtils.h"

using namespace PlanUtils;

void decodePlanCell(const uint8_t* p, TPlanCell& cell) {
    cell.reserved = getI16(p, PlanCellLayout::Reserved);
    cell.marked = p[PlanCellLayout::Marked];
    cell.blocked = p[PlanCellLayout::Blocked];
    for (int i = 0; i < 4; ++i) cell.partner[size_t(i)] = getI16(p, PlanCellLayout::Partner + 2 * i);
}

void encodePlanCell(const TPlanCell& cell, uint8_t* p) {
    putI16(p, PlanCellLayout::Reserved, cell.reserved);
    p[PlanCellLayout::Marked] = cell.marked;
    p[PlanCellLayout::Blocked] = cell.blocked;
    for (int i = 0; i < 4; ++i) putI16(p, PlanCellLayout::Partner + 2 * i, cell.partner[size_t(i)]);
}
