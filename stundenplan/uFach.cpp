#include "uFach.h"

#include "uKatalogSupport.h"

using namespace PlanUtils;

namespace Fach {
void NewRecord(uint8_t* Data, int i) {
    using namespace FachLayout;
    std::memset(Data, 0, Size);
    KatalogSupport::stampRecord(Data, i);
    putSSBytes(Data, Name, 19, {});
    putI16(Data, Raum, KueFirst[rau]);
    putSSBytes(Data, Code1, 2, "  ");
    putSSBytes(Data, Code2, 2, "  ");
    Data[Byte39] = 1;
    Data[Byte40] = 20;
    Data[Byte41] = 0;
}

void Load(uint8_t* Data, int i) {
    KatalogSupport::checkKind(fac, i, "Fach Load: Unzulässiges Kürzel!", "Stundenplan\\Common\\uFach", __LINE__);
    KatalogSupport::readRecord(fac, Data, i);
}
}  // namespace Fach
