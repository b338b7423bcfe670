#include "uLehrer.h"

#include "uKatalogSupport.h"

using namespace PlanUtils;
using namespace KatalogSupport;

namespace Lehrer {

void NewDeputat(uint8_t* e) {
    std::memset(e, 0, DeputatLayout::Size);
    putI16(e, DeputatLayout::Klasse, KueFirst[kla]);
    putI16(e, DeputatLayout::Fach, KueFirst[fac]);
    e[DeputatLayout::Stunden] = 0;
    putSingle(e, DeputatLayout::Faktor, 1.0f);
    putI16(e, DeputatLayout::Raum, KueFirst[rau]);
    putSSBytes(e, DeputatLayout::Code, 2, "  ");
    e[DeputatLayout::IstKopplung] = 0;
    putSSBytes(e, DeputatLayout::Nummer, 3, {});
}

void NewRecord(uint8_t* Data, int i) {
    using namespace LehrerLayout;
    std::memset(Data, 0, Size);
    stampRecord(Data, i);
    putI16(Data, Abteilung, KueFirst[abt]);
    putSingle(Data, Wert1, 0);
    putSingle(Data, Wert2, 0);
    for (int p = 0; p < DeputatCount; ++p) NewDeputat(Data + Deputat + p * DeputatLayout::Size);
    for (int f = 0; f < 6; ++f) putI16(Data, Faecher + 2 * f, KueFirst[fac]);
    const TVeltraplanOptions& o = VeltraplanOptions();
    Data[MaxAufsicht] = uint8_t(o.MaxAufsicht);
    Data[MaxAufsichtVert] = uint8_t(o.Maxaufsichtvert);
    Data[MaxVertretung] = uint8_t(o.Maxvertretung);
}

void TidyDeputat(uint8_t* Data) {
    tidyList(Data + LehrerLayout::Deputat, LehrerLayout::DeputatCount, DeputatLayout::Size, DeputatLayout::Klasse,
             DeputatLayout::Fach,
             [](const uint8_t* e) {
                 return IsFreeKuerzel(getI16(e, DeputatLayout::Klasse)) && IsFreeKuerzel(getI16(e, DeputatLayout::Fach)) &&
                        e[DeputatLayout::Stunden] == 0;
             },
             [](uint8_t* e) { NewDeputat(e); });
}

void Load(uint8_t* Data, int i) {
    checkKind(leh, i, "Lehrer Load: Unzulässiges Kürzel!", "Stundenplan\\Common\\uLehrer", __LINE__);
    readRecord(leh, Data, i);
    for (int p = 0; p < LehrerLayout::DeputatCount; ++p) {
        uint8_t* e = Data + LehrerLayout::Deputat + p * DeputatLayout::Size;
        e[DeputatLayout::IstKopplung] = KueArtOf(getI16(e, DeputatLayout::Klasse)) == kop ? 1 : 0;
    }
    TidyDeputat(Data);
}

void SplitName(const QString& name, QString& surname, QString& firstName) {
    const qsizetype comma = name.indexOf(QLatin1Char(','));
    if (comma < 0) {
        surname = trimText(name);
        firstName.clear();
        return;
    }
    surname = trimText(name.left(comma));
    firstName = trimText(name.mid(comma + 1)).left(30);
}

}  // namespace Lehrer
