#include "uAbteilung.h"

#include "uKatalogSupport.h"

using namespace PlanUtils;

namespace Abteilung {
void NewRecord(uint8_t* Data, int i) {
    std::memset(Data, 0, AbteilungLayout::Size);
    KatalogSupport::stampRecord(Data, i);
    putSSBytes(Data, AbteilungLayout::Name, 20, {});
}

void Load(uint8_t* Data, int i) {
    KatalogSupport::checkKind(abt, i, "Abteilung Load: Unzulässiges Kürzel!", "Stundenplan\\Common\\uAbteilung", __LINE__);
    KatalogSupport::readRecord(abt, Data, i);
}
}  // namespace Abteilung
