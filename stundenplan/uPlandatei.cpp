#include "uPlandatei.h"

#include "Codec1252.h"
#include "KvUtils.h"
#include "Oldtype.h"
#include "PlanFileIO.h"
#include "Wpdb.h"
#include "uPlanUtils.h"

#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <vector>

using namespace PlanUtils;

#define PLAN_ASSERT(cond, text) \
    do { if (!(cond)) throw EAssertionFailed((text), QStringLiteral("Stundenplan\\Common\\uPlandatei"), __LINE__); } while (0)

int CurrentVariant = 1;
int CurrentWeek = 1;
int KueWidth = 10;
QByteArray PrintOutText;

namespace {
const QString kUnknownVersion = QStringLiteral("Konnte den Plan nicht laden (Unbekannte Dateiversion)");
const QString kIOError = QStringLiteral("I/O - Fehler!");

constexpr int PlanVariants = 2;
constexpr int KueStrSize = 11;

int isoWeekOfToday() { return now().date().weekNumber(); }

QString variantLetter(int v) { return QChar(ushort(64 + v)); }

QString exceptionText(const std::exception& e) {
    if (auto* x = dynamic_cast<const Exception*>(&e)) return x->Message();
    return QString::fromLocal8Bit(e.what());
}
}  // namespace

// ---------------------------------------------------------------- kinds, versions

QString KueArtName(TKueart k) {
    static const char* names[] = {"Lehrer", "Klasse", "Raum", "Fach", "Kopplung", "Abteilung", "Raumgruppe", "Zahlen", "Zahlen", "", "", "Jahrgang"};
    return k <= jahrg ? QString::fromLatin1(names[k]) : QString();
}

QString KueArtPrefix(TKueart k) {
    static const char* names[] = {"Lehrer", "Klassen", "Raum", "Fach", "Kopplungs", "Abteilungs", "Raumgruppen", "Zahlen", "Zahlen", "", "", "Jahrgang"};
    return k <= jahrg ? QString::fromLatin1(names[k]) : QString();
}

const QStringList& PlanSignatures() {
    static const QStringList s{"KV1193", "KV0594", "KV0694", "KV0894", "KV894a", "KV894b", "KV894c", "KV894d",
                               "KV0295", "KV595A", "KV595B", "KV0596", "KV0696", "KV1196", "KV1296", "KV0297",
                               "KV0397", "KV0898", "KV0502", "KV0107", "KV0207", "KV0903", "KV0910", "KV0710",
                               "KV1008", "KV0113", "KV0614", "KV0714", "KV0814", "KV1115"};
    return s;
}

const QStringList& PlanSignatureDates() {
    static const QStringList s{
        QStringLiteral("01. Nov. 1993"), QStringLiteral("01. Mai 1994"), QStringLiteral("01. Jun. 1994"),
        QStringLiteral("01. Aug. 1994"), QStringLiteral("01. Aug. 1994"), QStringLiteral("02. Aug. 1994"),
        QStringLiteral("03. Aug. 1994"), QStringLiteral("04. Aug. 1994"), QStringLiteral("01. Feb. 1995"),
        QStringLiteral("01. Mai 1995"), QStringLiteral("02. Mai 1995"), QStringLiteral("03. Mai 1996"),
        QStringLiteral("01. Jun. 1996"), QStringLiteral("01. Nov. 1996"), QStringLiteral("01. Dez. 1996"),
        QStringLiteral("01. Feb. 1997"), QStringLiteral("01. Mär. 1997"), QStringLiteral("01. Aug. 1998"),
        QStringLiteral("23. Mai 2002"), QStringLiteral("31. Jan. 2007"), QStringLiteral("02. Feb. 2007"),
        QStringLiteral("09. Sep. 2003"), QStringLiteral("31. Okt. 2009"), QStringLiteral("29. Jul. 2010"),
        QStringLiteral("02. Aug. 2010"), QStringLiteral("26. Jan. 2013"), QStringLiteral("10. Jun. 2014"),
        QStringLiteral("05. Jul. 2014"), QStringLiteral("25. Aug. 2014"), QStringLiteral("23. Nov. 2015")};
    return s;
}

int StoredDataSize(TKueart k, int v) {
    switch (k) {
    case leh:
        if (v <= 21) return 517;
        if (v <= 23) return 665;
        if (v == 24) return 589;
        if (v <= 27) return 737;
        if (v == 28) return 777;
        return 907;
    case kla:
        if (v <= 21) return 302;
        if (v <= 23) return 342;
        if (v == 24) return 304;
        if (v <= 26) return 412;
        return 414;
    case kop:
        if (v == 19) return 195;
        if (v <= 23) return 580;
        return 582;
    default:
        return k < StoredKueArten ? RecSize[k] : 0;
    }
}

bool UsesOldPlanLayout(int v) { return (v >= 19 && v <= 21) || v == 24; }

namespace {
std::unique_ptr<TWplFile>& currentPlanFileSlot() {
    static std::unique_ptr<TWplFile> file;
    return file;
}
}  // namespace

TWplFile* CurrentPlanFile() { return currentPlanFileSlot().get(); }

void SetCurrentPlanFile(std::unique_ptr<TWplFile> file) {
    // The previous file is closed (and written back) before the new one takes its place.
    currentPlanFileSlot().reset();
    currentPlanFileSlot() = std::move(file);
}

// ---------------------------------------------------------------- tKueStr

QByteArray tKueStr::bytes() const {
    return QByteArray(reinterpret_cast<const char*>(ch.data()), std::min<int>(len, 10));
}

QString tKueStr::toString() const { return Codec1252::decode(bytes()); }

tKueStr tKueStr::fromBytes(const QByteArray& b) {
    tKueStr s;
    s.len = uint8_t(std::min<qsizetype>(b.size(), 10));
    std::memcpy(s.ch.data(), b.constData(), s.len);
    return s;
}

tKueStr tKueStr::fromString(const QString& str) { return fromBytes(Codec1252::encode(str)); }

// ---------------------------------------------------------------- header

void TWplHeader::decode(const uint8_t* p) {
    using namespace WplHeaderLayout;
    std::memcpy(this->PrintOut.data(), p + WplHeaderLayout::PrintOut, 32);
    this->StartPos = p[WplHeaderLayout::StartPos];
    this->OptPos = getU16(p, WplHeaderLayout::OptPos);
    this->Created = getI32(p, WplHeaderLayout::Created);
    std::memcpy(this->Fill.data(), p + WplHeaderLayout::Fill, 88);
    std::memcpy(this->Signatur.data(), p + WplHeaderLayout::Signatur, 7);
    this->Version = getU16(p, WplHeaderLayout::Version);
    this->HeaderSize = getU16(p, WplHeaderLayout::HeaderSize);
    this->MaxRec = getU16(p, WplHeaderLayout::MaxRec);
    this->KueSize = p[WplHeaderLayout::KueSize];
    this->LeDataSize = getU16(p, WplHeaderLayout::LeDataSize);
    this->KlDataSize = getU16(p, WplHeaderLayout::KlDataSize);
    this->KoDataSize = getU16(p, WplHeaderLayout::KoDataSize);
    this->RqDataSize = getU16(p, WplHeaderLayout::RqDataSize);
    this->LePlanSize = getU16(p, WplHeaderLayout::LePlanSize);
    this->KlPlanSize = getU16(p, WplHeaderLayout::KlPlanSize);
    this->RaPlanSize = getU16(p, WplHeaderLayout::RaPlanSize);
    this->LeKueOffset = getI32(p, WplHeaderLayout::LeKueOffset);
    this->KoKueOffset = getI32(p, WplHeaderLayout::KoKueOffset);
    this->KlKueOffset = getI32(p, WplHeaderLayout::KlKueOffset);
    this->FaKueOffset = getI32(p, WplHeaderLayout::FaKueOffset);
    this->RaKueOffset = getI32(p, WplHeaderLayout::RaKueOffset);
    this->AbKueOffset = getI32(p, WplHeaderLayout::AbKueOffset);
    this->RqKueOffset = getI32(p, WplHeaderLayout::RqKueOffset);
    this->LeDataOffset = getI32(p, WplHeaderLayout::LeDataOffset);
    this->KoDataOffset = getI32(p, WplHeaderLayout::KoDataOffset);
    this->KlDataOffset = getI32(p, WplHeaderLayout::KlDataOffset);
    this->RqDataOffset = getI32(p, WplHeaderLayout::RqDataOffset);
    this->LePlanOffset = getI32(p, WplHeaderLayout::LePlanOffset);
    this->KlPlanOffset = getI32(p, WplHeaderLayout::KlPlanOffset);
    this->RaplanOffset = getI32(p, WplHeaderLayout::RaplanOffset);
    this->FaDataSize = getU16(p, WplHeaderLayout::FaDataSize);
    this->RaDataSize = getU16(p, WplHeaderLayout::RaDataSize);
    this->FaDataOffset = getI32(p, WplHeaderLayout::FaDataOffset);
    this->RaDataOffset = getI32(p, WplHeaderLayout::RaDataOffset);
    this->AbDataSize = getU16(p, WplHeaderLayout::AbDataSize);
    this->AbDataOffset = getI32(p, WplHeaderLayout::AbDataOffset);
    this->MaxVersion = p[WplHeaderLayout::MaxVersion];
    this->MaxPlStd = p[WplHeaderLayout::MaxPlStd];
    this->AktWeek = p[WplHeaderLayout::AktWeek];
    this->LastWeek = p[WplHeaderLayout::LastWeek];
    this->StartWeek = p[WplHeaderLayout::StartWeek];
}

void TWplHeader::encode(uint8_t* p) const {
    std::memcpy(p + WplHeaderLayout::PrintOut, PrintOut.data(), 32);
    p[WplHeaderLayout::StartPos] = StartPos;
    putU16(p, WplHeaderLayout::OptPos, OptPos);
    putI32(p, WplHeaderLayout::Created, Created);
    std::memcpy(p + WplHeaderLayout::Fill, Fill.data(), 88);
    std::memcpy(p + WplHeaderLayout::Signatur, Signatur.data(), 7);
    putU16(p, WplHeaderLayout::Version, Version);
    putU16(p, WplHeaderLayout::HeaderSize, HeaderSize);
    putU16(p, WplHeaderLayout::MaxRec, MaxRec);
    p[WplHeaderLayout::KueSize] = KueSize;
    putU16(p, WplHeaderLayout::LeDataSize, LeDataSize);
    putU16(p, WplHeaderLayout::KlDataSize, KlDataSize);
    putU16(p, WplHeaderLayout::KoDataSize, KoDataSize);
    putU16(p, WplHeaderLayout::RqDataSize, RqDataSize);
    putU16(p, WplHeaderLayout::LePlanSize, LePlanSize);
    putU16(p, WplHeaderLayout::KlPlanSize, KlPlanSize);
    putU16(p, WplHeaderLayout::RaPlanSize, RaPlanSize);
    putI32(p, WplHeaderLayout::LeKueOffset, LeKueOffset);
    putI32(p, WplHeaderLayout::KoKueOffset, KoKueOffset);
    putI32(p, WplHeaderLayout::KlKueOffset, KlKueOffset);
    putI32(p, WplHeaderLayout::FaKueOffset, FaKueOffset);
    putI32(p, WplHeaderLayout::RaKueOffset, RaKueOffset);
    putI32(p, WplHeaderLayout::AbKueOffset, AbKueOffset);
    putI32(p, WplHeaderLayout::RqKueOffset, RqKueOffset);
    putI32(p, WplHeaderLayout::LeDataOffset, LeDataOffset);
    putI32(p, WplHeaderLayout::KoDataOffset, KoDataOffset);
    putI32(p, WplHeaderLayout::KlDataOffset, KlDataOffset);
    putI32(p, WplHeaderLayout::RqDataOffset, RqDataOffset);
    putI32(p, WplHeaderLayout::LePlanOffset, LePlanOffset);
    putI32(p, WplHeaderLayout::KlPlanOffset, KlPlanOffset);
    putI32(p, WplHeaderLayout::RaplanOffset, RaplanOffset);
    putU16(p, WplHeaderLayout::FaDataSize, FaDataSize);
    putU16(p, WplHeaderLayout::RaDataSize, RaDataSize);
    putI32(p, WplHeaderLayout::FaDataOffset, FaDataOffset);
    putI32(p, WplHeaderLayout::RaDataOffset, RaDataOffset);
    putU16(p, WplHeaderLayout::AbDataSize, AbDataSize);
    putI32(p, WplHeaderLayout::AbDataOffset, AbDataOffset);
    p[WplHeaderLayout::MaxVersion] = MaxVersion;
    p[WplHeaderLayout::MaxPlStd] = MaxPlStd;
    p[WplHeaderLayout::AktWeek] = AktWeek;
    p[WplHeaderLayout::LastWeek] = LastWeek;
    p[WplHeaderLayout::StartWeek] = StartWeek;
}

QByteArray TWplHeader::signature() const {
    const char* s = reinterpret_cast<const char*>(Signatur.data());
    return QByteArray(s, qsizetype(strnlen(s, Signatur.size())));
}

TWplHeader TWplHeader::newFileHeader() {
    TWplHeader h;
    // Text shown when the file is typed on a console, ended by the end-of-file character.
    QByteArray po = PrintOutText.left(30) + char(0x1A);
    std::memcpy(h.PrintOut.data(), po.constData(), size_t(po.size()));
    h.StartPos = 128;
    h.OptPos = uint16_t(WplOptionsLayout::FilePos);
    h.Created = int32_t(dateTimeToDosDate(now()));
    std::memcpy(h.Signatur.data(), "KV1115", 6);
    h.Version = 573;
    h.HeaderSize = 768;
    h.MaxRec = 257;
    h.KueSize = KueStrSize;
    h.LeDataSize = uint16_t(RecSize[leh]);
    h.KlDataSize = uint16_t(RecSize[kla]);
    h.KoDataSize = uint16_t(RecSize[kop]);
    h.RqDataSize = uint16_t(RecSize[raq]);
    h.FaDataSize = uint16_t(RecSize[fac]);
    h.RaDataSize = uint16_t(RecSize[rau]);
    h.AbDataSize = uint16_t(RecSize[abt]);
    h.LePlanSize = h.KlPlanSize = h.RaPlanSize = PlanBufLayout::Size;
    // The tables follow each other from the end of the header block.
    int32_t pos = h.HeaderSize;
    auto next = [&pos](TKueart k, int size) { int32_t at = pos; pos += KueRecords(k) * size; return at; };
    h.LeKueOffset = next(leh, KueStrSize);
    h.KoKueOffset = next(kop, KueStrSize);
    h.KlKueOffset = next(kla, KueStrSize);
    h.FaKueOffset = next(fac, KueStrSize);
    h.RaKueOffset = next(rau, KueStrSize);
    h.AbKueOffset = next(abt, KueStrSize);
    h.RqKueOffset = next(raq, KueStrSize);
    h.LeDataOffset = next(leh, h.LeDataSize);
    h.KoDataOffset = next(kop, h.KoDataSize);
    h.KlDataOffset = next(kla, h.KlDataSize);
    h.RqDataOffset = next(raq, h.RqDataSize);
    h.RaDataOffset = next(rau, h.RaDataSize);
    h.FaDataOffset = next(fac, h.FaDataSize);
    h.AbDataOffset = next(abt, h.AbDataSize);
    h.LePlanOffset = next(leh, h.LePlanSize);
    h.KlPlanOffset = next(kla, h.KlPlanSize);
    h.RaplanOffset = next(rau, h.RaPlanSize);
    h.MaxVersion = PlanVariants;
    h.MaxPlStd = PlanBufLayout::Entries;
    h.AktWeek = 1;
    h.LastWeek = h.StartWeek = uint8_t(isoWeekOfToday());
    return h;
}

QStringList CompareHeaders(const TWplHeader& a, const TWplHeader& b) {
    QStringList lines;
    auto line = [&lines](const char* name, bool same) {
        lines << QString::fromLatin1(name) + QStringLiteral(": ") + (same ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
    };
#define CMP(f) line(#f, a.f == b.f)
    CMP(PrintOut); CMP(StartPos); CMP(OptPos); CMP(Created); CMP(Signatur); CMP(Version); CMP(HeaderSize);
    CMP(MaxRec); CMP(KueSize); CMP(LeDataSize); CMP(KlDataSize); CMP(KoDataSize); CMP(RqDataSize);
    CMP(LePlanSize); CMP(KlPlanSize); CMP(RaPlanSize); CMP(LeKueOffset); CMP(KoKueOffset); CMP(KlKueOffset);
    CMP(FaKueOffset); CMP(RaKueOffset); CMP(AbKueOffset); CMP(RqKueOffset); CMP(LeDataOffset); CMP(KoDataOffset);
    lines << QStringLiteral("KlDataOffset: %1 = %2").arg(a.KlDataOffset).arg(b.KlDataOffset);
    CMP(RqDataOffset); CMP(LePlanOffset); CMP(KlPlanOffset); CMP(RaplanOffset); CMP(FaDataOffset);
    CMP(RaDataOffset); CMP(AbDataOffset); CMP(MaxVersion); CMP(MaxPlStd); CMP(AktWeek); CMP(LastWeek); CMP(StartWeek);
#undef CMP
    return lines;
}

// ---------------------------------------------------------------- string lists

TFileStringList::TFileStringList() { FLines << QStringLiteral("Nicht geladen"); }

QString TFileStringList::Text() const {
    QString t;
    for (const QString& l : FLines) t += l + QStringLiteral("\r\n");
    return t;
}

void TFileStringList::replaceLines(const QStringList& lines) {
    FLines.clear();
    for (const QString& l : lines) {
        auto it = std::lower_bound(FLines.begin(), FLines.end(), l, [](const QString& a, const QString& b) {
            return QString::compare(a, b, Qt::CaseInsensitive) < 0;
        });
        if (it != FLines.end() && QString::compare(*it, l, Qt::CaseInsensitive) == 0) continue;  // duplicates ignored
        FLines.insert(it, l);
    }
}

static QStringList splitTextLines(const QString& text) {
    QStringList lines;
    QString cur;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines << cur;
            cur.clear();
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
        } else {
            cur += c;
        }
    }
    if (!cur.isEmpty()) lines << cur;
    return lines;
}

void TFileStringList::SetText(const QString& text) { replaceLines(splitTextLines(text)); FModified = true; }
void TFileStringList::Add(const QString& line) { QStringList l = FLines; l << line; replaceLines(l); FModified = true; }
void TFileStringList::Clear() { FLines.clear(); FModified = true; }

void TFileStringList::Load(PlanFileIO& f) {
    uint8_t n[4];
    f.read(n, 4);
    const qint64 len = getI32(n, 0);
    // A length that points past the end of the file is damage, not a list.
    if (len < 0 || len > f.size() - f.pos()) throw EPlanIOError(100);
    QByteArray text(len, Qt::Uninitialized);
    if (len > 0) f.read(text.data(), len);
    replaceLines(splitTextLines(Codec1252::decode(text)));
    FModified = false;
}

QByteArray TFileStringList::block() const {
    const QByteArray text = Codec1252::encode(Text());
    QByteArray b(4, '\0');
    putI32(reinterpret_cast<uint8_t*>(b.data()), 0, int32_t(text.size()));
    return b + text;
}

void TFileStringList::Store(PlanFileIO& f) const {
    const QByteArray b = block();
    f.write(b.constData(), b.size());
}

// ---------------------------------------------------------------- TWplFile

TWplFile::TWplFile(const QString& Filename, uint16_t Mode) : Ffile(std::make_unique<PlanFileIO>()) {
    FDataFileName = Filename;
    FRefresh = 5;
    FLastTime = 0;
    FModified = false;
    FStatus = 0;
    FSchulDaten.Init();
    if (Mode == 2) {
        FIsCreated = false;
        const int e = Ffile->open(Filename, true);
        if (e != 0) {
            ErrorDlg(QStringLiteral("Die Plandatei konnte nicht erstellt werden"));
            FStatus = int16_t(e);
        } else {
            try {
                CreatePlan();
            } catch (const EPlanIOError& x) {
                ErrorDlg(QStringLiteral("Die Plandatei konnte nicht erstellt werden"));
                FStatus = int16_t(x.ErrorCode());
            }
        }
    } else {
        const int e = Ffile->open(Filename, false);
        if (e != 0) FStatus = int16_t(e);
        else FIsCreated = true;
    }
    if (FStatus != 0) {
        Ffile->close();
        return;
    }
    FTyp = GetFileVersion();
    if (FTyp < FirstOpenableVersion) {
        FStatus = 1;
        Ffile->close();
        return;
    }
    try {
        ReadFileHeader();
    } catch (const EPlanIOError& x) {
        FStatus = int16_t(x.ErrorCode());
        Ffile->close();
        return;
    }
    ReadSchuldaten();
    TVeltraplanOptions& options = VeltraplanOptions();
    if (FSchulDaten.Schulnummer < 1) {
        // The file has no school data: show the settings' and leave the file's alone.
        FSchulDaten = options.OptionsToSchuldaten();
    } else {
        FSchulDatenOwned = true;
        ReadStringlists();
        options.SchuldatenToOptions(FSchulDaten);
    }
    CurrentVariant = 1;
}

TWplFile::~TWplFile() {
    if (FStatus == 0 && WriteBackOnClose) writeBack();
    Ffile->close();
}

// Closing writes header, school data and lists into a copy beside the file and
// renames it into place, so a failing disk or a file made read-only meanwhile
// leaves the previous content readable.
void TWplFile::writeBack() {
    struct Patch { qint64 pos; QByteArray bytes; };
    std::vector<Patch> patches;
    QByteArray header(WplHeaderLayout::Size, '\0');
    FHeader.encode(reinterpret_cast<uint8_t*>(header.data()));
    patches.push_back({0, header});
    if (FTyp >= SchulDatenVersion) {
        if (FSchulDatenOwned) {
            QByteArray sd(SchulDatenLayout::Size, '\0');
            FSchulDaten.encode(reinterpret_cast<uint8_t*>(sd.data()));
            patches.push_back({SchulDatenPos, sd});
        }
        if (FListsOwned || FKursarten.Modified() || FFachStatkue.Modified())
            patches.push_back({StringListsPos, FKursarten.block() + FFachStatkue.block()});
    }
    try {
        const qint64 size = Ffile->size();
        bool same = true;
        for (const Patch& p : patches) {
            if (p.pos + p.bytes.size() > size) { same = false; break; }
            QByteArray onDisk(p.bytes.size(), Qt::Uninitialized);
            Ffile->seek(p.pos);
            Ffile->read(onDisk.data(), onDisk.size());
            if (onDisk != p.bytes) { same = false; break; }
        }
        if (same) return;
        if (!(QFileInfo(FDataFileName).permissions() & QFileDevice::WriteOwner)) throw EPlanIOError(5);
        QSaveFile out(FDataFileName);
        if (!out.open(QIODevice::WriteOnly)) throw EPlanIOError(5);
        QByteArray chunk(1 << 20, Qt::Uninitialized);
        Ffile->seek(0);
        for (qint64 done = 0; done < size;) {
            const qint64 n = std::min<qint64>(chunk.size(), size - done);
            Ffile->read(chunk.data(), n);
            if (out.write(chunk.constData(), n) != n) throw EPlanIOError(101);
            done += n;
        }
        for (const Patch& p : patches) {
            if (!out.seek(p.pos) || out.write(p.bytes) != p.bytes.size()) throw EPlanIOError(101);
        }
        if (!out.commit()) throw EPlanIOError(101);
    } catch (const EInOutError&) {
        ErrorDlg(kIOError);
    }
}

void TWplFile::reopen() {
    Ffile->close();
    const int e = Ffile->open(FDataFileName, false);
    if (e != 0) FStatus = int16_t(e);
}

qint64 TWplFile::kueOffset(TKueart Art) const {
    switch (Art) {
    case leh: return FHeader.LeKueOffset;
    case kla: return FHeader.KlKueOffset;
    case rau: return FHeader.RaKueOffset;
    case fac: return FHeader.FaKueOffset;
    case kop: return FHeader.KoKueOffset;
    case abt: return FHeader.AbKueOffset;
    case raq: return FHeader.RqKueOffset;
    default: return -1;
    }
}

qint64 TWplFile::dataOffset(TKueart Art) const {
    switch (Art) {
    case leh: return FHeader.LeDataOffset;
    case kla: return FHeader.KlDataOffset;
    case rau: return FHeader.RaDataOffset;
    case fac: return FHeader.FaDataOffset;
    case kop: return FHeader.KoDataOffset;
    case abt: return FHeader.AbDataOffset;
    case raq: return FHeader.RqDataOffset;
    default: return -1;
    }
}

int TWplFile::dataSize(TKueart Art) const {
    switch (Art) {
    case leh: return FHeader.LeDataSize;
    case kla: return FHeader.KlDataSize;
    case rau: return FHeader.RaDataSize;
    case fac: return FHeader.FaDataSize;
    case kop: return FHeader.KoDataSize;
    case abt: return FHeader.AbDataSize;
    case raq: return FHeader.RqDataSize;
    default: return 0;
    }
}

qint64 TWplFile::planOffset(TKueart Art) const {
    switch (Art) {
    case leh: return FHeader.LePlanOffset;
    case kla: return FHeader.KlPlanOffset;
    case rau: return FHeader.RaplanOffset;
    default: return -1;
    }
}

int TWplFile::planSize(TKueart Art) const {
    switch (Art) {
    case leh: return FHeader.LePlanSize;
    case kla: return FHeader.KlPlanSize;
    case rau: return FHeader.RaPlanSize;
    default: return 0;
    }
}

// Every table the header describes must lie inside the file and have the record
// size this version stores; otherwise the header cannot be trusted at all.
bool TWplFile::layoutFits(qint64 fileSize) const {
    if (FHeader.KueSize < 1 || FHeader.KueSize > KueStrSize) return false;
    if (FHeader.MaxPlStd > PlanBufLayout::Entries) return false;
    auto fits = [fileSize](qint64 offset, int count, int size) {
        return offset >= 0 && size > 0 && offset + qint64(count) * size <= fileSize;
    };
    for (int k = 0; k < StoredKueArten; ++k) {
        const TKueart art = TKueart(k);
        if (dataSize(art) != StoredDataSize(art, FTyp)) return false;
        if (!fits(kueOffset(art), KueRecords(art), FHeader.KueSize)) return false;
        if (!fits(dataOffset(art), KueRecords(art), dataSize(art))) return false;
    }
    const int layoutSize = UsesOldPlanLayout(FTyp) ? PlanBuf20Layout::Size : PlanBufLayout::Size;
    for (TKueart art : {leh, kla, rau}) {
        if (planSize(art) < layoutSize) return false;
        if (!fits(planOffset(art), KueRecords(art), planSize(art))) return false;
    }
    if (FTyp >= SchulDatenVersion && SchulDatenPos + SchulDatenLayout::Size > fileSize) return false;
    return true;
}

int TWplFile::ReadFileHeader() {
    uint8_t b[WplHeaderLayout::Size];
    Ffile->seek(0);
    Ffile->read(b, sizeof b);
    FHeader.decode(b);
    const int w = isoWeekOfToday();
    if (w != FHeader.LastWeek) {
        FHeader.AktWeek = uint8_t(FHeader.AktWeek + 1);
        FHeader.LastWeek = uint8_t(w);
    }
    CurrentWeek = w;
    return WplHeaderLayout::Size;
}

int16_t TWplFile::GetFileVersion() {
    reopen();
    if (!Ffile->isOpen()) return -1;
    try {
        const qint64 size = Ffile->size();
        if (size >= WplHeaderLayout::MinFileSize) {
            ReadFileHeader();
            const QString sig = QString::fromLatin1(FHeader.signature());
            int found = -1;
            for (int i = 0; i < PlanSignatures().size(); ++i)
                if (PlanSignatures()[i].compare(sig, Qt::CaseInsensitive) == 0) { found = i; break; }
            if (found >= 0) {
                const int16_t v = int16_t(found + 1);
                const int16_t saved = FTyp;
                FTyp = v;
                const bool ok = v < FirstOpenableVersion || layoutFits(size);
                FTyp = saved;
                if (ok) return v;
            }
        }
    } catch (const EPlanIOError&) {
    }
    Ffile->close();
    ErrorDlg(kUnknownVersion);
    return -1;
}

QString TWplFile::GetFileDate() const {
    const QString sig = QString::fromLatin1(FHeader.signature());
    for (int i = 0; i < PlanSignatures().size(); ++i)
        if (PlanSignatures()[i].compare(sig, Qt::CaseInsensitive) == 0) return PlanSignatureDates()[i];
    return QStringLiteral("Unbekannt");
}

QString TWplFile::GetCreateTime() const {
    uint32_t created = uint32_t(FHeader.Created);
    if (FTyp < 7) created = dateTimeToDosDate(QFileInfo(FDataFileName).lastModified());
    const QDateTime dt = dosDateToDateTime(created);
    if (!dt.isValid()) return QString();
    return dt.toString(QStringLiteral("dd.MM. yyyy 'um' hh:mm:ss 'Uhr'"));
}

tKueStr TWplFile::ReadKuerzel(TKueart Art, int16_t Kuerzel) {
    tKueStr result = tKueStr::dots();
    if (Art >= StoredKueArten || Kuerzel < 0 || Kuerzel >= KueRecords(Art)) return result;
    const int size = std::clamp<int>(FHeader.KueSize, 0, KueStrSize);
    uint8_t raw[KueStrSize];
    std::memcpy(raw, &result, KueStrSize);
    try {
        Ffile->seek(kueOffset(Art) + qint64(Kuerzel) * FHeader.KueSize);
        Ffile->read(raw, size);
    } catch (const EPlanIOError&) {
        return result;
    }
    std::memcpy(&result, raw, KueStrSize);
    if (result.startsWith('.')) return tKueStr::dots();
    if (result.startsWith('-')) return tKueStr::dashes();
    return tKueStr::fromBytes(trimBytes(result.bytes()));
}

void TWplFile::WriteKuerzel(TKueart Art, int16_t Kuerzel, const tKueStr& KueStr) {
    if (Art >= StoredKueArten || Kuerzel < 0 || Kuerzel >= KueRecords(Art)) return;
    try {
        Ffile->seek(kueOffset(Art) + qint64(Kuerzel) * FHeader.KueSize);
    } catch (const EPlanIOError&) {
        return;
    }
    QByteArray s = KueStr.bytes();
    if (s.startsWith('.')) s = QByteArray(10, '.');
    else if (s.startsWith('-')) s = QByteArray(10, '-');
    s = (trimBytes(s) + QByteArray(std::clamp(KueWidth, 0, 10), ' ')).left(FHeader.KueSize).left(10);
    const tKueStr stored = tKueStr::fromBytes(s);
    uint8_t raw[KueStrSize];
    std::memcpy(raw, &stored, KueStrSize);
    Ffile->write(raw, std::clamp<int>(FHeader.KueSize, 0, KueStrSize));
    FModified = true;
}

int TWplFile::ReadData(TKueart Art, int16_t Kuerzel, uint8_t* Data) {
    if (Kuerzel < 0 || Art >= StoredKueArten) return 0;
    try {
        if (Kuerzel >= KueRecords(Art)) throw EPlanIOError(100);
        const int size = dataSize(Art);
        std::vector<uint8_t> buf(size_t(std::max(size, MaxRecSize)), 0);
        Ffile->seek(dataOffset(Art) + qint64(Kuerzel) * size);
        Ffile->read(buf.data(), size);
        if (NeedsConversion(Art, FTyp)) ConvertFromStored(Art, FTyp, buf.data(), Data);
        else std::memcpy(Data, buf.data(), size_t(RecSize[Art]));
        if (Art == rau && FTyp < CurrentPlanVersion) putI16(Data, 29, 0);
        return size;
    } catch (const EInOutError&) {
        ErrorDlg(kIOError);
        return 0;
    }
}

int TWplFile::ReadDataHeader(TKueart Art, int16_t Kuerzel, uint8_t* Data) {
    if (Kuerzel < 0 || Art >= StoredKueArten) return 0;
    try {
        if (Kuerzel >= KueRecords(Art)) throw EPlanIOError(100);
        Ffile->seek(dataOffset(Art) + qint64(Kuerzel) * dataSize(Art));
        Ffile->read(Data, 8);
        return 8;
    } catch (const EInOutError&) {
        ErrorDlg(kIOError);
        return 0;
    }
}

void TWplFile::WriteData(TKueart Art, int16_t Kuerzel, const uint8_t* Data) {
    FModified = true;
    if (Art >= StoredKueArten) return;
    try {
        // A record number outside the table would overwrite the neighbouring table.
        if (Kuerzel < 0 || Kuerzel >= KueRecords(Art)) throw EPlanIOError(131);
        const int size = dataSize(Art);
        std::vector<uint8_t> buf(size_t(std::max(size, MaxRecSize)), 0);
        if (NeedsConversion(Art, FTyp)) ConvertToStored(Art, FTyp, Data, buf.data());
        else std::memcpy(buf.data(), Data, size_t(RecSize[Art]));
        Ffile->seek(dataOffset(Art) + qint64(Kuerzel) * size);
        Ffile->write(buf.data(), size);
    } catch (const EInOutError&) {
        ErrorDlg(kIOError);
    }
}

int TWplFile::planLayoutSize() const { return UsesOldPlanLayout(FTyp) ? PlanBuf20Layout::Size : PlanBufLayout::Size; }

void TWplFile::checkPlanRecord(TKueart Art, int Kuerzel, int variant) const {
    PLAN_ASSERT(Kuerzel >= 0 && Kuerzel < KueRecords(Art), QStringLiteral("Fehlerhaftes Kürzel: %1").arg(Kuerzel));
    // A record holds two variants; any other number would address bytes outside it.
    PLAN_ASSERT(variant >= 1 && variant <= PlanVariants, QStringLiteral("Unzulässige Planvariante: %1").arg(variant));
}

// Fills Data from one variant of a stored plan record; returns the number of
// occupied entries among the first MaxPlStd.
int TWplFile::unpackPlan(TKueart Art, const uint8_t* rec, TStdPlan& Data, int variant) const {
    const int maxPlStd = FHeader.MaxPlStd;
    const TPlanCell empty = EmptyPlanCell(Art);
    int count = 0;
    if (!UsesOldPlanLayout(FTyp)) {
        Data.Kuerzel = getI16(rec, PlanBufLayout::Kuerzel);
        Data.LastMod = getDouble(rec, PlanBufLayout::LastMod);
        Data.Plan.fill(empty);
        Data.Woche = getU64(rec, PlanBufLayout::Periode);
        const uint8_t* v = rec + PlanBufLayout::Buf + (variant - 1) * PlanBufLayout::VariantSize;
        for (int e = 0; e < std::min(maxPlStd, PlanBufLayout::Entries); ++e) {
            const uint8_t* entry = v + e * PlanBufLayout::EntrySize;
            const int s = entry[0];
            if (s != 0) ++count;
            if (s < 1 || s > PlanSlots) continue;
            decodePlanCell(entry + 1, Data.cell((s - 1) % MaxPlanPeriods + 1, (s - 1) / MaxPlanPeriods + 1));
        }
        return count;
    }
    PLAN_ASSERT(maxPlStd <= PlanBuf20Layout::MaxPlStd, QStringLiteral("Zu viele Unterrichtseinheiten!"));
    Data.Kuerzel = getI16(rec, PlanBuf20Layout::Kuerzel);
    Data.LastMod = dosDateToTDateTime(getU32(rec, PlanBuf20Layout::LastMod));
    Data.Woche = getU64(rec, PlanBuf20Layout::Periode);
    Data.Plan.fill(empty);
    const uint8_t* v = rec + PlanBuf20Layout::Buf + (variant - 1) * PlanBuf20Layout::VariantSize;
    for (int e = 0; e < maxPlStd; ++e) {
        const uint8_t* entry = v + e * PlanBuf20Layout::EntrySize;
        int c = entry[0];
        if (c == 0) continue;
        ++count;
        const bool marked = c > 128;
        if (marked) c -= 128;
        // A slot outside the grid is ignored, as in the current layout.
        if (c < 1 || c > PlanSlots) continue;
        TPlanCell& cell = Data.cell((c - 1) % MaxPlanPeriods + 1, (c - 1) / MaxPlanPeriods + 1);
        cell.partner[0] = getI16(entry, 1);
        cell.partner[1] = getI16(entry, 3);
        cell.partner[2] = getI16(entry, 5);
        cell.partner[3] = KueFirst[leh];
        cell.marked = marked ? 1 : 0;
    }
    const uint8_t* sperr = rec + PlanBuf20Layout::Sperr + (variant - 1) * PlanBuf20Layout::SperrSize;
    for (int s = 1; s <= PlanSlots; ++s) {
        if (sperr[s / 8] & (1u << (s % 8))) {
            TPlanCell& cell = Data.cell((s - 1) % MaxPlanPeriods + 1, (s - 1) / MaxPlanPeriods + 1);
            cell = empty;
            cell.blocked = 1;
        }
    }
    return count;
}

int TWplFile::GetPlan(TKueart Art, int Kuerzel, PStdPlan Data, bool Auto) {
    PLAN_ASSERT(Kuerzel >= 0, QStringLiteral("Fehlerhaftes Kürzel: %1").arg(Kuerzel));
    PLAN_ASSERT(Art <= rau, QStringLiteral("Unzulässige Kürzelart"));
    int bytes = 0;
    try {
        checkPlanRecord(Art, Kuerzel, 1);
        std::vector<uint8_t> rec(static_cast<size_t>(planLayoutSize()));
        Ffile->seek(planOffset(Art) + qint64(Kuerzel) * planSize(Art));
        Ffile->read(rec.data(), qint64(rec.size()));
        bytes = int(rec.size());
        if (Art == kla && Auto) {
            const TPeriode weeks = getU64(rec.data(), UsesOldPlanLayout(FTyp) ? PlanBuf20Layout::Periode : PlanBufLayout::Periode);
            const int bit = CurrentWeek - 1;
            CurrentVariant = (bit >= 0 && bit < 64 && (weeks >> bit) & 1u) ? 2 : 1;
        }
        checkPlanRecord(Art, Kuerzel, CurrentVariant);
        const int count = unpackPlan(Art, rec.data(), *Data, CurrentVariant);
        Data->PlanVariante = CurrentVariant;
        return count;
    } catch (const std::exception& e) {
        showMessage(QStringLiteral("GerPlan_") + variantLetter(CurrentVariant) + QStringLiteral(": ") + exceptionText(e));
        return bytes;
    }
}

int TWplFile::GetPlanVar(TKueart Art, int Kuerzel, TStdPlan& Data, int AVariante) {
    PLAN_ASSERT(Art <= rau, QStringLiteral("Unzulässige Kürzelart"));
    int bytes = 0;
    try {
        checkPlanRecord(Art, Kuerzel, AVariante);
        std::vector<uint8_t> rec(static_cast<size_t>(planLayoutSize()));
        Ffile->seek(planOffset(Art) + qint64(Kuerzel) * planSize(Art));
        Ffile->read(rec.data(), qint64(rec.size()));
        bytes = int(rec.size());
        const int count = unpackPlan(Art, rec.data(), Data, AVariante);
        Data.PlanVariante = CurrentVariant;
        return count;
    } catch (const std::exception& e) {
        showMessage(QStringLiteral("GetPlanVar_") + variantLetter(AVariante) + QStringLiteral(": ") + exceptionText(e));
        return bytes;
    }
}

int TWplFile::PutPlanVar(TKueart Art, int Kuerzel, TStdPlan& Data, int AVariante) {
    PLAN_ASSERT(Art <= rau, QStringLiteral("Unzulässige Kürzelart"));
    try {
        checkPlanRecord(Art, Kuerzel, AVariante);
        const bool old = UsesOldPlanLayout(FTyp);
        const int size = planLayoutSize();
        const qint64 pos = planOffset(Art) + qint64(Kuerzel) * planSize(Art);
        std::vector<uint8_t> rec(size_t(size), 0);
        if (FIsCreated && pos + size <= Ffile->size()) {
            Ffile->seek(pos);
            Ffile->read(rec.data(), size);
        }
        if (FIsCreated && !old) {
            putI16(rec.data(), PlanBufLayout::Kuerzel, Data.Kuerzel);
            putDouble(rec.data(), PlanBufLayout::LastMod, Data.LastMod);
            putU64(rec.data(), PlanBufLayout::Periode, Data.Woche);
            const TVeltraplanOptions& o = VeltraplanOptions();
            const int periods = std::clamp<int>(o.StundenProTag, 0, MaxPlanPeriods);
            const int days = std::clamp<int>(o.TageProWoche, 0, MaxPlanDays);
            uint8_t* entry = rec.data() + PlanBufLayout::Buf + (AVariante - 1) * PlanBufLayout::VariantSize;
            for (int p = 1; p <= periods; ++p)
                for (int d = 1; d <= days; ++d) {
                    entry[0] = uint8_t((d - 1) * MaxPlanPeriods + p);
                    encodePlanCell(Data.cell(p, d), entry + 1);
                    entry += PlanBufLayout::EntrySize;
                }
            Data.PlanVariante = CurrentVariant;
        } else if (FIsCreated) {
            putU32(rec.data(), PlanBuf20Layout::LastMod, dateTimeToDosDate(tDateTimeToDateTime(Data.LastMod)));
            putI16(rec.data(), PlanBuf20Layout::Kuerzel, Data.Kuerzel);
            putU64(rec.data(), PlanBuf20Layout::Periode, Data.Woche);
            uint8_t* sperr = rec.data() + PlanBuf20Layout::Sperr + (AVariante - 1) * PlanBuf20Layout::SperrSize;
            uint8_t* entries = rec.data() + PlanBuf20Layout::Buf + (AVariante - 1) * PlanBuf20Layout::VariantSize;
            std::memset(sperr, 0, PlanBuf20Layout::SperrSize);
            std::memset(entries, 0, PlanBuf20Layout::VariantSize);
            uint8_t* entry = entries;
            for (int d = 1; d <= MaxPlanDays; ++d)
                for (int p = 1; p <= MaxPlanPeriods; ++p) {
                    const TPlanCell& cell = Data.cell(p, d);
                    const int s = (d - 1) * MaxPlanPeriods + p;
                    const int x = cell.partner[0];
                    if (cell.blocked || IsBlockKuerzel(x)) {
                        sperr[s / 8] = uint8_t(sperr[s / 8] | (1u << (s % 8)));
                    } else if (!IsFreeKuerzel(x)) {
                        entry[0] = uint8_t(s + (cell.marked ? 128 : 0));
                        putI16(entry, 1, cell.partner[0]);
                        putI16(entry, 3, cell.partner[1]);
                        putI16(entry, 5, cell.partner[2]);
                        entry += PlanBuf20Layout::EntrySize;
                    }
                }
        }
        Ffile->seek(pos);
        Ffile->write(rec.data(), size);
        FModified = true;
        return size;
    } catch (const std::exception& e) {
        showMessage(QStringLiteral("PutPlanVar_") + variantLetter(AVariante) + QStringLiteral(": ") + exceptionText(e));
        return 0;
    }
}

void TWplFile::ReadOptions() {
    try {
        Ffile->seek(WplOptionsLayout::FilePos);
        Ffile->read(FOptions.raw.data(), WplOptionsLayout::Size);
    } catch (const EPlanIOError&) {
        return;
    }
    TVeltraplanOptions& o = VeltraplanOptions();
    o.kommentar = getSS(FOptions.raw.data(), WplOptionsLayout::Kom, 60);
    o.Schulform = getSS(FOptions.raw.data(), WplOptionsLayout::Schulform, 2);
}

void TWplFile::WriteOptions() {
    // The other fields belong to the timetabling module: keep them as stored.
    try {
        Ffile->seek(WplOptionsLayout::FilePos);
        Ffile->read(FOptions.raw.data(), WplOptionsLayout::Size);
    } catch (const EPlanIOError&) {
    }
    const TVeltraplanOptions& o = VeltraplanOptions();
    putSS(FOptions.raw.data(), WplOptionsLayout::Kom, 60, o.kommentar);
    putSS(FOptions.raw.data(), WplOptionsLayout::Schulform, 2, o.Schulform);
    Ffile->seek(WplOptionsLayout::FilePos);
    Ffile->write(FOptions.raw.data(), WplOptionsLayout::Size);
    FModified = true;
}

void TWplFile::ReadSchuldaten() {
    if (FTyp < SchulDatenVersion) return;
    try {
        uint8_t b[SchulDatenLayout::Size];
        Ffile->seek(SchulDatenPos);
        Ffile->read(b, sizeof b);
        FSchulDaten.decode(b);
    } catch (const EPlanIOError&) {
    }
}

void TWplFile::WriteSchuldaten() {
    if (FTyp < SchulDatenVersion) return;
    uint8_t b[SchulDatenLayout::Size];
    FSchulDaten.encode(b);
    Ffile->seek(SchulDatenPos);
    Ffile->write(b, sizeof b);
    FModified = true;
}

void TWplFile::ReadStringlists() {
    if (FTyp < SchulDatenVersion) return;
    TFileStringList kursarten, fachStatkue;
    try {
        Ffile->seek(StringListsPos);
        kursarten.Load(*Ffile);
        fachStatkue.Load(*Ffile);
    } catch (const EPlanIOError&) {
        return;  // a damaged block leaves both lists unloaded, and closing leaves it alone
    }
    FKursarten = kursarten;
    FFachStatkue = fachStatkue;
    FListsOwned = true;
}

void TWplFile::WriteStringLists() {
    if (FTyp < SchulDatenVersion) return;
    try {
        Ffile->seek(StringListsPos);
        FKursarten.Store(*Ffile);
        FFachStatkue.Store(*Ffile);
    } catch (const EPlanIOError& e) {
        showMessage(e.Message());
    }
}

void TWplFile::WriteHeader() {
    uint8_t b[WplHeaderLayout::Size];
    FHeader.encode(b);
    Ffile->seek(0);
    Ffile->write(b, sizeof b);
}

void TWplFile::RestoreHeader() {
    FHeader = TWplHeader::newFileHeader();
    WriteHeader();
}

void TWplFile::SetSchuldaten(const TSchulDaten& Value) {
    FSchulDaten = Value;
    FSchulDatenOwned = true;
    WriteSchuldaten();
}

void TWplFile::CreatePlan() {
    FHeader = TWplHeader::newFileHeader();
    FTyp = CurrentPlanVersion;
    WriteHeader();
    const QByteArray dots(KueStrSize - 1, '.'), dashes(KueStrSize - 1, '-');
    for (int k = 0; k < StoredKueArten; ++k) {
        const TKueart art = TKueart(k);
        const int last = KueRecords(art) - 1;
        for (int n = 0; n < last; ++n) WriteKuerzel(art, int16_t(n), tKueStr::fromBytes(dots));
        WriteKuerzel(art, int16_t(last), tKueStr::fromBytes(dashes));
    }
    std::array<uint8_t, MaxRecSize> buf{};
    for (TKueart art : {leh, kop, kla, raq, rau, fac, abt})
        for (int i = KueFirst[art]; i <= KueLast[art]; ++i) {
            buf.fill(0);
            NewKuerzelData(art, buf.data(), i);
            WriteData(art, int16_t(i - KueFirst[art]), buf.data());
        }
    WriteSchuldaten();
    WriteStringLists();
    FIsCreated = true;
}

void TWplFile::ClonePlan(TWplFile& aDest) {
    aDest.FTyp = CurrentPlanVersion;
    for (int k = 0; k < StoredKueArten; ++k) {
        const TKueart art = TKueart(k);
        for (int n = 1; n <= KueRecords(art) - 2; ++n) aDest.WriteKuerzel(art, int16_t(n), ReadKuerzel(art, int16_t(n)));
    }
    std::array<uint8_t, MaxRecSize> buf{};
    for (TKueart art : {leh, kop, kla, raq, rau, fac, abt})
        for (int i = KueFirst[art]; i <= KueLast[art]; ++i) {
            buf.fill(0);
            LoadKuerzelData(art, buf.data(), i);
            aDest.WriteData(art, int16_t(i - KueFirst[art]), buf.data());
        }
    TStdPlan plan;
    const int variants = std::clamp<int>(FHeader.MaxVersion, 0, PlanVariants);
    for (TKueart art : {leh, kla, rau})
        for (int n = 1; n <= KueRecords(art) - 2; ++n) {
            if (IsFreeKuerzel(KueFirst[art] + n)) continue;
            for (int v = 1; v <= variants; ++v) {
                GetPlanVar(art, n, plan, v);
                aDest.PutPlanVar(art, n, plan, v);
                aDest.GetPlanVar(art, n, plan, v);
            }
        }
}

void TWplFile::Save() {
    reopen();
    FModified = false;
}

void TWplFile::Flush() {
    reopen();
    FModified = false;
}
