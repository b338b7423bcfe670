#include "uRaumgruppe.h"

#include "DebugOutput.h"
#include "uKatalogSupport.h"

using namespace PlanUtils;

namespace Raumgruppe {
void NewRecord(uint8_t* Data, int i) {
    using namespace RaumgruppeLayout;
    std::memset(Data, 0, Size);
    KatalogSupport::stampRecord(Data, i);
    putSSBytes(Data, Name, 20, {});
    putI16(Data, Anzahl, 0);
    for (int r = 0; r < MaxRaeume; ++r) putI16(Data, Raeume + 2 * r, KueFirst[rau]);
}

void Load(uint8_t* Data, int i) {
    using namespace RaumgruppeLayout;
    KatalogSupport::checkKind(raq, i, "Raumgruppe Load: Unzulässiges Kürzel!", "Stundenplan\\Common\\uRaumgruppe", __LINE__);
    KatalogSupport::readRecord(raq, Data, i);
    OutputDebugString(QStringLiteral("Low: %1").arg(Data[Anzahl]));
    OutputDebugString(QStringLiteral("High: %1").arg(Data[Anzahl + 1]));
    const int count = getI16(Data, Anzahl);
    if (count > MaxRaeume)
        throw EAssertionFailed(QStringLiteral("Bereichsüberschreitung %1").arg(count),
                               QStringLiteral("Stundenplan\\Common\\uRaumgruppe"), __LINE__);
}
}  // namespace Raumgruppe
