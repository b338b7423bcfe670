#include "uRaum.h"

#include "uKatalogSupport.h"

using namespace PlanUtils;

namespace Raum {
void NewRecord(uint8_t* Data, int i) {
    std::memset(Data, 0, RaumLayout::Size);
    KatalogSupport::stampRecord(Data, i);
    putSSBytes(Data, RaumLayout::Name, 20, {});
    putI16(Data, RaumLayout::Feld27, 99);
    putI16(Data, RaumLayout::Feld29, 0);
}

void Load(uint8_t* Data, int i) {
    KatalogSupport::checkKind(rau, i, "Raum Load: Unzulässiges Kürzel!", "Stundenplan\\Common\\uRaum", __LINE__);
    KatalogSupport::readRecord(rau, Data, i);
}
}  // namespace Raum
