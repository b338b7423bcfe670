#include "uKlasse.h"

#include "uKatalogSupport.h"

using namespace PlanUtils;
using namespace KatalogSupport;

namespace Klasse {

void NewUnterricht(uint8_t* e) {
    using namespace KlUnterrichtLayout;
    std::memset(e, 0, Size);
    putI16(e, Fach, KueFirst[fac]);
    putI16(e, LehrerOderKopplung, KueFirst[leh]);
    e[Byte6] = 1;
    putI16(e, Lehrer, KueFirst[leh]);
}

void NewRecord(uint8_t* Data, int i) {
    using namespace KlasseLayout;
    std::memset(Data, 0, Size);
    stampRecord(Data, i);
    putI16(Data, Abteilung, KueFirst[abt]);
    putI16(Data, Raum, KueFirst[rau]);
    for (int p = 0; p < UnterrichtCount; ++p) NewUnterricht(Data + Unterricht + p * KlUnterrichtLayout::Size);
    putSSBytes(Data, Text375, 10, "    ");
    putSSBytes(Data, Text386, 20, {});
    Data[Byte407] = 126;
    putSSBytes(Data, Nummer, 3, {});
    putI16(Data, Lehrer, KueFirst[leh]);
}

void TidyUnterricht(uint8_t* Data) {
    using namespace KlUnterrichtLayout;
    tidyList(Data + KlasseLayout::Unterricht, KlasseLayout::UnterrichtCount, Size, LehrerOderKopplung, Fach,
             [](const uint8_t* e) {
                 return IsFreeKuerzel(getI16(e, Fach)) && IsFreeKuerzel(getI16(e, LehrerOderKopplung)) && e[Byte4] == 0;
             },
             [](uint8_t* e) { NewUnterricht(e); });
}

void Load(uint8_t* Data, int i) {
    checkKind(kla, i, "Klasse Load: Unzulässiges Kürzel!", "Stundenplan\\Common\\uKlasse", __LINE__);
    readRecord(kla, Data, i);
    for (int p = 0; p < KlasseLayout::UnterrichtCount; ++p) {
        uint8_t* e = Data + KlasseLayout::Unterricht + p * KlUnterrichtLayout::Size;
        e[KlUnterrichtLayout::IstKopplung] = KueArtOf(getI16(e, KlUnterrichtLayout::LehrerOderKopplung)) == kop ? 1 : 0;
    }
    TidyUnterricht(Data);
}

}  // namespace Klasse
