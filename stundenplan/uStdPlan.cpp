#include "uStdPlan.h"

#include "Codec1252.h"
#include "Exceptions.h"
#include "FormatSettings.h"
#include "Wpdb.h"
#include "uKopplung.h"
#include "uPlanUtils.h"
#include "uPlandatei.h"

#include <QIODevice>
#include <QSaveFile>
#include <algorithm>
#include <functional>

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

// ---------------------------------------------------------------- cells

bool IsFreeCell(const TPlanCell& c) { return IsFreeKuerzel(c.partner[0]) && !c.blocked; }
bool IsCouplingCell(const TPlanCell& c) { return KueArtOf(c.partner[0]) == kop || KueArtOf(c.partner[1]) == kop; }
bool HasSecondTeacher(const TPlanCell& c) { return !IsFreeKuerzel(c.partner[3]); }

bool IsValidCell(const TPlanCell& c) {
    return std::all_of(c.partner.begin(), c.partner.end(), [](int16_t i) { return i >= KueFirst[leh] && i <= KueMarkerFirst; });
}

QString CellKey(const TPlanCell& c) {
    return QStringLiteral("%1-%2-%3-%4").arg(c.partner[0]).arg(c.partner[1]).arg(c.partner[2]).arg(c.partner[3]);
}

TPlanCell EmptyPlanCell(TKueart Art) {
    TPlanCell c;
    switch (Art) {
    case leh: c.partner = {KueFirst[kla], KueFirst[fac], KueFirst[rau], KueFirst[leh]}; break;
    case kla: c.partner = {KueFirst[leh], KueFirst[fac], KueFirst[rau], KueFirst[leh]}; break;
    case rau: c.partner = {KueFirst[leh], KueFirst[kla], KueFirst[fac], KueFirst[leh]}; break;
    default: break;
    }
    return c;
}

namespace {
bool isPlanKind(TKueart k) { return k == leh || k == kla || k == rau; }

// Settings clamped to the grid, so a damaged settings file cannot address cells outside it.
int periodsPerDay() { return std::clamp<int>(VeltraplanOptions().StundenProTag, 1, MaxPlanPeriods); }
int daysPerWeek() { return std::clamp<int>(VeltraplanOptions().TageProWoche, 1, MaxPlanDays); }

int slotPeriod(int s) { return (s - 1) % MaxPlanPeriods + 1; }
int slotDay(int s) { return (s - 1) / MaxPlanPeriods + 1; }
int slotOf(int period, int day) { return (day - 1) * MaxPlanPeriods + period; }

// The name of an index as the abbreviation table holds it; outside the table "...".
QString storedName(int i) {
    if (i < 0 || i >= KueIndexCount) return QStringLiteral("...");
    return KueNames[size_t(i)].toString();
}

QString padLeft(const QString& s, int width) { return s.rightJustified(width, QLatin1Char(' ')); }
QString padNum(int n, int width) { return padLeft(QString::number(n), width); }

QString dayName(int d) {
    const QStringList& names = FormatSettings().LongDayNames;
    if (d >= 1 && d <= names.size()) return names[d - 1];
    return FormatSettings().Locale.dayName(d, QLocale::LongFormat);
}
}  // namespace

// ---------------------------------------------------------------- stored records

void TPlanBuf::Init() { raw.fill(0); }

void TPlanBuf::init(int aLevel, int aMaxPlStd) {
    if (aLevel < 1 || aLevel > 2) return;
    const int n = std::clamp(aMaxPlStd, 0, PlanBufLayout::Entries);
    for (int e = 0; e < n; ++e) std::fill_n(entry(aLevel, e), PlanBufLayout::EntrySize, uint8_t(0));
}

int16_t TPlanBuf::kuerzel() const { return getI16(raw.data(), PlanBufLayout::Kuerzel); }

void TPlanBuf::Dump() const {
    if (TTextFile* f = DiagnosticFile()) Dump(*f);
}

void TPlanBuf::Dump(TTextFile& f) const {
    f.WriteLn(QStringLiteral("Buffer: ") + KuerzelName(kuerzel()));
    for (int v = 1; v <= 2; ++v) {
        f.WriteLn(QStringLiteral("Variante: ") + QString::number(v));
        for (int d = 1; d <= MaxPlanDays; ++d) {
            QString line = QStringLiteral("Tag: ") + padNum(d, 2) + QLatin1Char('|');
            for (int e = 0; e < PlanBufLayout::Entries; ++e) {
                const uint8_t* p = entry(v, e);
                if (p[0] == 0 || p[0] > PlanSlots || slotDay(p[0]) != d) continue;
                TPlanCell c;
                decodePlanCell(p + 1, c);
                line += QStringLiteral(" %1:%2,%3,%4,%5%6|")
                            .arg(padNum(slotPeriod(p[0]), 2))
                            .arg(c.partner[0]).arg(c.partner[1]).arg(c.partner[2]).arg(c.partner[3])
                            .arg(c.blocked ? QStringLiteral(",G") : QString());
            }
            f.WriteLn(line);
        }
    }
}

void TPlanBuf_20::Init(TKueart Art, int aLevel, int aMaxPlStd) {
    if (aLevel < 1 || aLevel > 2) return;
    putI16(raw.data(), PlanBuf20Layout::Kuerzel, Art < StoredKueArten ? KueFirst[Art] : 0);
    std::fill_n(sperr(aLevel), PlanBuf20Layout::SperrSize, uint8_t(0));
    const int n = std::clamp(aMaxPlStd, 0, PlanBuf20Layout::Entries);
    for (int e = 0; e < n; ++e) std::fill_n(entry(aLevel, e), PlanBuf20Layout::EntrySize, uint8_t(0));
}

void TStdplan_20::Init(int aKuerzel) {
    kuerzel = int16_t(aKuerzel);
    LastMod = 0;
    Woche = 0;
    for (auto& period : plan) for (auto& c : period) c = {0, 0, 0};
    for (auto& period : beton) period.fill(0);
}

void TStdplan_20::PackTo(TPlanBuf_20& aBuf, int aLevel) const {
    if (aLevel < 1 || aLevel > 2) return;
    uint8_t* r = aBuf.raw.data();
    putU32(r, PlanBuf20Layout::LastMod, LastMod);
    putI16(r, PlanBuf20Layout::Kuerzel, kuerzel);
    putU64(r, PlanBuf20Layout::Periode, Woche);
    uint8_t* sp = aBuf.sperr(aLevel);
    std::fill_n(sp, PlanBuf20Layout::SperrSize, uint8_t(0));
    std::fill_n(aBuf.entry(aLevel, 0), PlanBuf20Layout::VariantSize, uint8_t(0));
    int n = 0;
    for (int d = 1; d <= MaxPlanDays; ++d)
        for (int p = 1; p <= MaxPlanPeriods; ++p) {
            const auto& c = plan[size_t(p - 1)][size_t(d - 1)];
            const int s = slotOf(p, d);
            if (c[0] == OldBlockedMarker || IsBlockKuerzel(c[0])) {
                sp[s / 8] = uint8_t(sp[s / 8] | (1u << (s % 8)));
            } else if (!IsFreeKuerzel(c[0])) {
                uint8_t* e = aBuf.entry(aLevel, n++);
                e[0] = uint8_t(s + (beton[size_t(p - 1)][size_t(d - 1)] ? 128 : 0));
                putI16(e, 1, c[0]);
                putI16(e, 3, c[1]);
                putI16(e, 5, c[2]);
            }
        }
}

void TStdplan_20::UnpackFrom(TPlanBuf_20& aBuf, int aLevel, int aMaxPlStd) {
    if (aLevel < 1 || aLevel > 2) return;
    VELTRA_ASSERT(aMaxPlStd <= PlanBuf20Layout::MaxPlStd, QStringLiteral("Zu viele Unterrichtseinheiten!"));
    const uint8_t* r = aBuf.raw.data();
    LastMod = getU32(r, PlanBuf20Layout::LastMod);
    kuerzel = getI16(r, PlanBuf20Layout::Kuerzel);
    Woche = getU64(r, PlanBuf20Layout::Periode);
    const TPlanCell empty = EmptyPlanCell(KueArtOf(kuerzel));
    for (auto& period : plan) for (auto& c : period) c = {empty.partner[0], empty.partner[1], empty.partner[2]};
    for (auto& period : beton) period.fill(0);
    for (int e = 0; e < std::max(aMaxPlStd, 0); ++e) {
        const uint8_t* p = aBuf.entry(aLevel, e);
        int s = p[0];
        if (s == 0) continue;
        const bool marked = s > 128;
        if (marked) s -= 128;
        if (s < 1 || s > PlanSlots) continue;
        plan[size_t(slotPeriod(s) - 1)][size_t(slotDay(s) - 1)] = {getI16(p, 1), getI16(p, 3), getI16(p, 5)};
        beton[size_t(slotPeriod(s) - 1)][size_t(slotDay(s) - 1)] = marked ? 1 : 0;
    }
    const uint8_t* sp = aBuf.sperr(aLevel);
    for (int s = 1; s <= PlanSlots; ++s)
        if (sp[s / 8] & (1u << (s % 8))) plan[size_t(slotPeriod(s) - 1)][size_t(slotDay(s) - 1)][0] = OldBlockedMarker;
}

// ---------------------------------------------------------------- TStdPlan

void TStdPlan::Init() { Init(PlanTyp(), true); }

void TStdPlan::Init(TKueart aKueArt, bool AuchSperrung) {
    const TPlanCell empty = EmptyPlanCell(aKueArt);
    for (TPlanCell& c : Plan) {
        c.reserved = 0;
        c.marked = 0;
        if (AuchSperrung) c.blocked = 0;
        if (isPlanKind(aKueArt)) c.partner = empty.partner;
    }
    Woche = 0;
}

int TStdPlan::Load(TKueart Art, int aKuerzel) {
    TWplFile* f = CurrentPlanFile();
    if (!f || Art >= StoredKueArten) return 0;
    const int count = f->GetPlan(Art, aKuerzel - KueFirst[Art], this, VeltraplanOptions().AutoAnzeige);
    if (KueFirst[Art] < aKuerzel && aKuerzel <= KueLast[Art]) Kuerzel = int16_t(aKuerzel);
    return count;
}

int TStdPlan::Load(int aKuerzel) { return Load(KueArtOf(aKuerzel), aKuerzel); }

int TStdPlan::Load(int aKuerzel, int aVariante) {
    TWplFile* f = CurrentPlanFile();
    const TKueart Art = KueArtOf(aKuerzel);
    if (!f || Art >= StoredKueArten) return 0;
    const int count = f->GetPlanVar(Art, aKuerzel - KueFirst[Art], *this, aVariante);
    if (KueFirst[Art] < aKuerzel && aKuerzel <= KueLast[Art]) Kuerzel = int16_t(aKuerzel);
    return count;
}

void TStdPlan::Store(TKueart Art, int aKuerzel) {
    LastMod = dateTimeToTDateTime(now());
    if (TWplFile* f = CurrentPlanFile(); f && Art < StoredKueArten)
        f->PutPlanVar(Art, aKuerzel - KueFirst[Art], *this, CurrentVariant);
}

void TStdPlan::Store(int aKuerzel) { Store(KueArtOf(aKuerzel), aKuerzel); }

void TStdPlan::Clear() {
    Init();
    Store(Kuerzel);
}

TKueart TStdPlan::PlanTyp() const { return KueArtOf(Kuerzel); }
QString TStdPlan::KuerzelStr() const { return KuerzelName(Kuerzel); }

bool TStdPlan::IstFreieStunde(int aStd, int aTag) const {
    if (aStd < 1 || aStd > MaxPlanPeriods || aTag < 1 || aTag > MaxPlanDays) return true;
    return IsFreeCell(cell(aStd, aTag));
}

void TStdPlan::BerechneBelegteStunden(int aTag, int& aStartStd, int& aEndStd) const {
    const int spt = periodsPerDay();
    int start = 1;
    while (IstFreieStunde(start, aTag) && start < spt) ++start;
    int end = spt;
    while (IstFreieStunde(end, aTag) && end > 1) --end;
    // A day without lessons: the loops meet on a free period.
    if (end < start || (start == end && IstFreieStunde(start, aTag))) start = end = spt + 1;
    aStartStd = start;
    aEndStd = end;
}

namespace {
// Counts over the grid held and then over every other variant of the file,
// restoring the variant and the grid afterwards.
int overAllVariants(TStdPlan& plan, const std::function<int(const TStdPlan&)>& count) {
    const int v = CurrentVariant;
    const TStdPlan held = plan;
    int sum = count(plan);
    TWplFile* f = CurrentPlanFile();
    if (!f) return sum;
    const int variants = std::clamp<int>(f->Header().MaxVersion, 1, 2);
    for (int i = 1; i <= variants; ++i) {
        if (i == held.PlanVariante) continue;
        CurrentVariant = i;
        // The variant is asked for by number: the automatic week choice must not pick another one.
        if (plan.Load(plan.Kuerzel, i) > 0) sum += count(plan);
    }
    CurrentVariant = v;
    // The grid held comes back as it was, unsaved changes included.
    plan = held;
    return sum;
}
}  // namespace

int TStdPlan::Springstunden() {
    return overAllVariants(*this, [](const TStdPlan& p) {
        int n = 0;
        for (int d = 1; d <= daysPerWeek(); ++d) {
            int s = 0, e = 0;
            p.BerechneBelegteStunden(d, s, e);
            for (int std = s + 1; std <= e - 1; ++std)
                if (p.IstFreieStunde(std, d)) ++n;
        }
        return n;
    });
}

int TStdPlan::FachStunden(const QString& aFaecherListe) {
    QString list = aFaecherListe;
    const QString pattern = QLatin1Char('#') + list.replace(QLatin1Char(','), QStringLiteral("##")) + QLatin1Char('#');
    return overAllVariants(*this, [&pattern](const TStdPlan& p) {
        const int offset = p.PlanTyp() == rau ? 2 : 1;
        int n = 0;
        for (int d = 1; d <= daysPerWeek(); ++d) {
            int s = 0, e = 0;
            p.BerechneBelegteStunden(d, s, e);
            for (int std = s; std <= std::min(e, MaxPlanPeriods); ++std) {
                const QString name = QLatin1Char('#') + KuerzelName(p.cell(std, d).partner[size_t(offset)]) + QLatin1Char('#');
                if (pattern.contains(name)) ++n;
            }
        }
        return n;
    });
}

int TStdPlan::MaxLines(int aStunde) const {
    if (aStunde < 1 || aStunde > MaxPlanPeriods) return 1;
    int lines = 1;
    const TKueart kind = PlanTyp();
    for (int d = 1; d <= daysPerWeek(); ++d) {
        const TPlanCell& c = cell(aStunde, d);
        if (!IsCouplingCell(c) || !isPlanKind(kind)) continue;
        const int k = kind == rau ? c.partner[1] : c.partner[0];
        if (KueArtOf(k) != kop || !CurrentPlanFile()) continue;
        std::array<uint8_t, MaxRecSize> buf{};
        LoadKuerzelData(kop, buf.data(), k);
        const int n = kind == leh ? CouplingClassCount(buf.data()) : CouplingTeacherCount(buf.data());
        lines = std::max(lines, n);
    }
    return lines;
}

void TStdPlan::PackTo(TPlanBuf& aBuf, int aLevel) const {
    if (aLevel < 1 || aLevel > 2) return;
    uint8_t* r = aBuf.raw.data();
    putI16(r, PlanBufLayout::Kuerzel, Kuerzel);
    putDouble(r, PlanBufLayout::LastMod, LastMod);
    putU64(r, PlanBufLayout::Periode, Woche);
    // Entries beyond the settings' days and periods keep what they held.
    int n = 0;
    for (int p = 1; p <= periodsPerDay(); ++p)
        for (int d = 1; d <= daysPerWeek(); ++d) {
            uint8_t* e = aBuf.entry(aLevel, n++);
            e[0] = uint8_t(slotOf(p, d));
            encodePlanCell(cell(p, d), e + 1);
        }
}

void TStdPlan::UnpackFrom(const TPlanBuf& aBuf, int aLevel, int aMaxPlStd) {
    if (aLevel < 1 || aLevel > 2) return;
    const uint8_t* r = aBuf.raw.data();
    Kuerzel = getI16(r, PlanBufLayout::Kuerzel);
    LastMod = getDouble(r, PlanBufLayout::LastMod);
    Woche = getU64(r, PlanBufLayout::Periode);
    Plan.fill(EmptyPlanCell(KueArtOf(Kuerzel)));
    for (int e = 0; e < std::clamp(aMaxPlStd, 0, PlanBufLayout::Entries); ++e) {
        const uint8_t* p = aBuf.entry(aLevel, e);
        if (p[0] < 1 || p[0] > PlanSlots) continue;
        decodePlanCell(p + 1, cell(slotPeriod(p[0]), slotDay(p[0])));
    }
}

void TStdPlan::CopyFrom_20(const TStdplan_20& aPlan) {
    Kuerzel = aPlan.kuerzel;
    LastMod = dosDateToTDateTime(aPlan.LastMod);
    Woche = aPlan.Woche;
    const TPlanCell empty = EmptyPlanCell(KueArtOf(Kuerzel));
    for (int p = 1; p <= MaxPlanPeriods; ++p)
        for (int d = 1; d <= MaxPlanDays; ++d) {
            const auto& src = aPlan.plan[size_t(p - 1)][size_t(d - 1)];
            TPlanCell& c = cell(p, d);
            c = empty;
            // CopyTo_20 marks a blocked period with the kind's end marker; accept both forms.
            if (src[0] == OldBlockedMarker || IsBlockKuerzel(src[0])) {
                c.blocked = 1;
            } else {
                c.partner = {src[0], src[1], src[2], KueFirst[leh]};
                c.marked = aPlan.beton[size_t(p - 1)][size_t(d - 1)];
            }
        }
}

void TStdPlan::CopyTo_20(TStdplan_20& aPlan) const {
    const TKueart kind = PlanTyp();
    for (int p = 1; p <= MaxPlanPeriods; ++p)
        for (int d = 1; d <= MaxPlanDays; ++d) {
            const TPlanCell& c = cell(p, d);
            auto& dst = aPlan.plan[size_t(p - 1)][size_t(d - 1)];
            dst = {c.partner[0], c.partner[1], c.partner[2]};
            aPlan.beton[size_t(p - 1)][size_t(d - 1)] = c.marked;
            if (c.blocked && kind < StoredKueArten) dst[0] = KueLast[kind];
        }
    aPlan.LastMod = dateTimeToDosDate(tDateTimeToDateTime(LastMod));
    aPlan.kuerzel = Kuerzel;
    aPlan.Woche = Woche;
}

// ---------------------------------------------------------------- exports

namespace {
TTextFile*& diagnosticSlot() {
    static TTextFile* f = nullptr;
    return f;
}

QString heading(TKueart k) {
    switch (k) {
    case leh: return QStringLiteral("Lehrerplan: ");
    case kla: return QStringLiteral("Klassenplan: ");
    case rau: return QStringLiteral("Raumplan: ");
    default: return QString();
    }
}

QString xmlElement(TKueart k) {
    switch (k) {
    case leh: return QStringLiteral("LEHRER");
    case kla: return QStringLiteral("KLASSE");
    case rau: return QStringLiteral("RAUM");
    default: return QString();
    }
}

QString xmlLesson(TKueart k) {
    switch (k) {
    case leh: return QStringLiteral("<STUNDE Stunde='%1' Klasse=%2 Fach=%3 Raum=%4 />");
    case kla: return QStringLiteral("<STUNDE Stunde='%1' Lehrer=%2 Fach=%3 Raum=%4 />");
    case rau: return QStringLiteral("<STUNDE Stunde='%1' Lehrer=%2 Klasse=%3 Fach=%4 />");
    default: return QString();
    }
}

QString indent(int level) { return 2 * level >= 2 ? QString(2 * level, QLatin1Char(' ')) : QStringLiteral(" "); }

// "%2.2d": at least two digits, a minus sign in front.
QString twoDigits(int n) { return numberText(n); }
}  // namespace

void SetDiagnosticFile(TTextFile* f) { diagnosticSlot() = f; }
TTextFile* DiagnosticFile() { return diagnosticSlot(); }

QString PlanFileName(const QString& aKuerzel) {
    QString s = trimText(aKuerzel);
    for (QChar c : {QLatin1Char(','), QLatin1Char('.'), QLatin1Char('/'), QLatin1Char('\\')}) s.replace(c, QLatin1Char('_'));
    s.replace(QStringLiteral("ö"), QStringLiteral("oe;"));
    s.replace(QStringLiteral("ü"), QStringLiteral("ue"));
    s.replace(QStringLiteral("ä"), QStringLiteral("ae"));
    s.replace(QStringLiteral("Ö"), QStringLiteral("Oe"));
    s.replace(QStringLiteral("Ü"), QStringLiteral("Ue"));
    s.replace(QStringLiteral("Ä"), QStringLiteral("Ae;"));
    s.replace(QStringLiteral("ß"), QStringLiteral("ss"));
    return s;
}

QString TStdPlan::HtmlFileName(const QString& aDirectory) const {
    QString dir = aDirectory;
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir + PlanFileName(KuerzelStr()) + QStringLiteral(".html");
}

void TStdPlan::ExportToHTML(const QString& aDirectory) {
    const TVeltraplanOptions& o = VeltraplanOptions();
    // Written beside and renamed: a failing export leaves the previous page, not half of one.
    TTextFile f(HtmlFileName(aDirectory));
    const QString table = QStringLiteral("<table border=\"%1\" Cellspacing=\"%2\">").arg(o.optPlanBorderWidth).arg(o.optPlanCellSpacing);
    f.WriteLn(QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">"));
    f.WriteLn(QStringLiteral("<html>"));
    f.WriteLn(QStringLiteral("<head>"));
    f.WriteLn(QStringLiteral("<title>VelTRAPlan - Stundenplan für Windows</title>"));
    f.WriteLn(QStringLiteral("</head>"));
    f.WriteLn(QStringLiteral("<body bgcolor=\"#") + o.optBGFarbe + QStringLiteral("\">"));
    f.WriteLn(QStringLiteral("<h1>") + heading(PlanTyp()) + KuerzelStr() + QStringLiteral("</h1>"));
    f.WriteLn(table);
    f.WriteLn(QStringLiteral("<thead>"));
    f.WriteLn(QStringLiteral("<td bgcolor=silver> * </td>"));
    for (int d = 1; d <= daysPerWeek(); ++d)
        f.WriteLn(QStringLiteral("<td  width=\"150\" bgcolor=\"silver\"> ") + dayName(d) + QStringLiteral(" </td>"));
    f.WriteLn(QStringLiteral("</thead>"));
    for (int p = 1; p <= periodsPerDay(); ++p) {
        f.WriteLn(QStringLiteral("<tr>"));
        f.WriteLn(QStringLiteral("<td bgcolor=\"silver\">") + padNum(p, 2) + QStringLiteral("</td>"));
        for (int d = 1; d <= daysPerWeek(); ++d) {
            const TPlanCell& c = cell(p, d);
            const QString attr = c.blocked ? QStringLiteral("bgcolor=\"silver\"")
                                 : IsCouplingCell(c) ? QStringLiteral("bgcolor=yellow")
                                                     : QString();
            f.WriteLn(QStringLiteral("<td %1> %2 %3 %4 </td>")
                          .arg(attr, storedName(c.partner[0]), storedName(c.partner[1]), storedName(c.partner[2])));
        }
        f.WriteLn(QStringLiteral("</tr>"));
    }
    for (const char* line : {"</table>", "<p>"}) f.WriteLn(QString::fromLatin1(line));
    f.WriteLn(table);
    for (const char* line : {"<tr>", "<td width=120 bgcolor=yellow>Kopplung</td>", "<td width=120 bgcolor=silver>gesperrte Stunde</td>",
                             "</tr>", "</table>", "</p>", "</body>", "</html>"})
        f.WriteLn(QString::fromLatin1(line));
    f.CloseFile();
}

void TStdPlan::ExportToXML(TTextFile& F, int L) {
    const TKueart kind = PlanTyp();
    const QString element = xmlElement(kind);
    const QString lesson = xmlLesson(kind);
    F.WriteLn(indent(L) + QLatin1Char('<') + element + QStringLiteral(" Kuerzel=") + QuotedKuerzelName(Kuerzel) + QLatin1Char('>'));
    const int owner = Kuerzel;
    for (int i = 1; i <= 2; ++i) {
        CurrentVariant = i;
        TWplFile* file = CurrentPlanFile();
        if (!file || !isPlanKind(kind)) continue;
        const int count = file->GetPlanVar(kind, owner - KueFirst[kind], *this, i);
        Kuerzel = int16_t(owner);
        if (count <= 0) continue;
        F.WriteLn(indent(L + 1) + QStringLiteral("<PLAN Variante='%1'>").arg(i));
        for (int d = 1; d <= daysPerWeek(); ++d) {
            F.WriteLn(indent(L + 2) + QStringLiteral("<TAG Tag='") + dayName(d) + QStringLiteral("'>"));
            for (int p = 1; p <= periodsPerDay(); ++p) {
                const TPlanCell& c = cell(p, d);
                const QString nr = twoDigits(VeltraplanOptions().ErsteStd + p - 1);
                if (c.blocked)
                    F.WriteLn(indent(L + 3) + lesson.arg(nr, QStringLiteral("'Gesperrt'"), QStringLiteral("''"), QStringLiteral("''")));
                else
                    F.WriteLn(indent(L + 3) + lesson.arg(nr, QuotedKuerzelName(c.partner[0]), QuotedKuerzelName(c.partner[1]),
                                                         QuotedKuerzelName(c.partner[2])));
            }
            F.WriteLn(indent(L + 2) + QStringLiteral("</TAG>"));
        }
        F.WriteLn(indent(L + 1) + QStringLiteral("</PLAN>"));
    }
    F.WriteLn(indent(L) + QStringLiteral("</") + element + QLatin1Char('>'));
}

void TStdPlan::SaveToFile(TTextFile& F, int n) const {
    const QString owner = KuerzelName(Kuerzel);
    for (int d = 1; d <= MaxPlanDays; ++d)
        for (int p = 1; p <= MaxPlanPeriods; ++p) {
            const TPlanCell& c = cell(p, d);
            if (IsFreeKuerzel(c.partner[0])) continue;
            F.WriteLn(QStringLiteral("%1;%2;%3;%4;%5;%6;%7;%8")
                          .arg(owner).arg(d).arg(p)
                          .arg(KuerzelName(c.partner[0]), KuerzelName(c.partner[1]), KuerzelName(c.partner[2]), KuerzelName(c.partner[3]))
                          .arg(n));
        }
}

void TStdPlan::Dump() const {
    if (TTextFile* f = DiagnosticFile()) Dump(*f);
}

void TStdPlan::Dump(TTextFile& F) const {
    F.WriteLn(QStringLiteral("Stundenplan: ") + KuerzelStr());
    QString head = QStringLiteral("Std:    ");
    for (int d = 1; d <= daysPerWeek(); ++d) head += padNum(d, 34);
    F.WriteLn(head + QLatin1Char('|'));
    F.WriteLn(QStringLiteral("---------") + QString(34 * daysPerWeek(), QLatin1Char('-')));
    for (int p = 1; p <= periodsPerDay(); ++p) {
        QString line = QStringLiteral("Std: ") + padNum(p, 2) + QLatin1Char('|');
        for (int d = 1; d <= daysPerWeek(); ++d) {
            const TPlanCell& c = cell(p, d);
            for (int16_t i : c.partner) line += padNum(i, 7);
            line += padLeft(c.blocked ? QStringLiteral("TRUE") : QStringLiteral("FALSE"), 6) + QLatin1Char('|');
        }
        F.WriteLn(line);
    }
}

// ---------------------------------------------------------------- companions

const std::array<const char*, 23> JahrgangTexts{"EP", "E1", "E2", "E3", "1E", "2E", "01", "02", "03", "04", "05", "06",
                                                "07", "08", "09", "10", "11", "12", "13", "14", "EF", "Q1", "Q2"};

int JahrgangIndex(const QString& s) {
    const QString cut = s.left(3);
    for (size_t i = 0; i < JahrgangTexts.size(); ++i)
        if (cut == QLatin1String(JahrgangTexts[i])) return int(i) + 1;
    return 0;
}

int TIntegerList::Add(int Item) {
    if (!FDuplicates && contains(Item)) return -1;
    append(Item);
    return int(size()) - 1;
}

namespace {
int compareText(const QString& a, const QString& b) {
    return FormatSettings().Locale.toUpper(a).localeAwareCompare(FormatSettings().Locale.toUpper(b));
}
QString jahrgangText(int i) {
    return i >= 1 && i <= int(JahrgangTexts.size()) ? QString::fromLatin1(JahrgangTexts[size_t(i - 1)]) : QString();
}
}  // namespace

int TValueComparer::Compare(int Left, int Right) const { return Left < Right ? -1 : Left > Right ? 1 : 0; }
int TKuerzelComparer::Compare(int Left, int Right) const { return compareText(storedName(Left), storedName(Right)); }
int TJahrgangComparer::Compare(int Left, int Right) const { return compareText(jahrgangText(Left), jahrgangText(Right)); }

const TValueComparer& ValueComparer() { static const TValueComparer c; return c; }
const TKuerzelComparer& KuerzelComparer() { static const TKuerzelComparer c; return c; }
const TJahrgangComparer& JahrgangComparer() { static const TJahrgangComparer c; return c; }

void TScanList::AddRec(int aStd, int aTag, const QString& aKue) {
    if (aStd <= 0 || aTag <= 0)
        throw EAssertionFailed(QStringLiteral("Assertion fehlgeschlagen"), QStringLiteral("Stundenplan\\Common\\ScanKoll"), __LINE__);
    const QString kue = aKue.left(6);
    for (const auto& it : FItems)
        if (it->aStd == aStd && it->aTag == aTag && it->aKue == kue) return;
    FItems.push_back(std::make_unique<TScanItem>(TScanItem{aStd, aTag, kue}));
}

bool TScanList::First(int aStd, int aTag, QString& aKue) {
    FStd = aStd;
    FTag = aTag;
    FPos = 0;
    return Next(aKue);
}

bool TScanList::Next(QString& aKue) {
    for (; FPos < int(FItems.size()); ++FPos) {
        const TScanItem& it = *FItems[size_t(FPos)];
        if (it.aStd == FStd && it.aTag == FTag) {
            aKue = it.aKue;
            ++FPos;
            return true;
        }
    }
    return false;
}

void TScanList::Reset() {
    FItems.clear();
    FPos = 0;
}

TScanList& ScanList() { static TScanList l; return l; }
TStackList& UndoList() { static TStackList l(QStringLiteral("Undo")); return l; }
TStackList& MoveList() { static TStackList l(QStringLiteral("Move")); return l; }
TStackList& CopyList() { static TStackList l(QStringLiteral("Copy")); return l; }
