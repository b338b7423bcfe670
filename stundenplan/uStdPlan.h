#pragma once
// The in-memory weekly plan and its cell as the plan file stores it, the
// stored plan records, and the small companions of the plan model: grade-level
// table, integer list with comparers, collision scan list and undo stacks.
#include "StringList.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

enum TKueart : uint8_t;
class QIODevice;

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

// Cell tests of the plan window.
bool IsFreeCell(const TPlanCell& c);
bool IsCouplingCell(const TPlanCell& c);
bool HasSecondTeacher(const TPlanCell& c);
bool IsValidCell(const TPlanCell& c);
QString CellKey(const TPlanCell& c);
// The cell a plan of kind Art holds where nothing is planned (zeros for other kinds).
TPlanCell EmptyPlanCell(TKueart Art);

// Current plan record (3144 bytes).
namespace PlanBufLayout {
constexpr int LastMod = 0;    // TDateTime
constexpr int Kuerzel = 8;    // SmallInt owner
constexpr int Periode = 12;   // TPeriode
constexpr int Buf = 20;       // 2 variants
constexpr int EntrySize = 13; // slot byte + TPlanCell
constexpr int Entries = 120;
constexpr int VariantSize = Entries * EntrySize;
constexpr int Size = 3144;
static_assert(VariantSize == 1560 && Buf + 2 * VariantSize + 4 == Size);
}  // namespace PlanBufLayout

// Older plan record (1758 bytes), versions 19-21 and 24.
namespace PlanBuf20Layout {
constexpr int LastMod = 0;    // DOS date
constexpr int Kuerzel = 4;    // SmallInt owner
constexpr int Periode = 6;    // TPeriode
constexpr int Sperr = 14;     // 2 x 256-bit set of blocked slots
constexpr int SperrSize = 32;
constexpr int Buf = 78;       // 2 variants
constexpr int EntrySize = 7;  // slot (+128 marked), three SmallInts
constexpr int Entries = 120;
constexpr int VariantSize = Entries * EntrySize;
constexpr int MaxPlStd = 60;
constexpr int Size = 1758;
static_assert(Sperr + 2 * SperrSize == Buf && Buf + 2 * VariantSize == Size);
}  // namespace PlanBuf20Layout

struct TPlanBuf {
    std::array<uint8_t, PlanBufLayout::Size> raw{};

    void Init();                          // every byte 0
    void init(int aLevel, int aMaxPlStd); // empties the first aMaxPlStd entries of variant aLevel
    uint8_t* entry(int aLevel, int n) { return raw.data() + PlanBufLayout::Buf + (aLevel - 1) * PlanBufLayout::VariantSize + n * PlanBufLayout::EntrySize; }
    const uint8_t* entry(int aLevel, int n) const { return const_cast<TPlanBuf*>(this)->entry(aLevel, n); }
    int16_t kuerzel() const;
    void Dump() const;                    // to the diagnostic text file
    void Dump(TTextFile& f) const;
};

struct TPlanBuf_20 {
    std::array<uint8_t, PlanBuf20Layout::Size> raw{};

    // Empties the blocked set and the first aMaxPlStd entries of variant aLevel
    // and sets the owner to the none entry of kind Art.
    void Init(TKueart Art, int aLevel, int aMaxPlStd);
    uint8_t* entry(int aLevel, int n) { return raw.data() + PlanBuf20Layout::Buf + (aLevel - 1) * PlanBuf20Layout::VariantSize + n * PlanBuf20Layout::EntrySize; }
    uint8_t* sperr(int aLevel) { return raw.data() + PlanBuf20Layout::Sperr + (aLevel - 1) * PlanBuf20Layout::SperrSize; }
};

// The older in-memory plan, used only to convert older stored plans.
struct TStdplan_20 {
    uint32_t LastMod = 0;  // DOS date
    int16_t kuerzel = 0;
    std::array<std::array<std::array<int16_t, 3>, MaxPlanDays>, MaxPlanPeriods> plan{};
    std::array<std::array<uint8_t, MaxPlanDays>, MaxPlanPeriods> beton{};
    TPeriode Woche = 0;

    void Init(int aKuerzel);
    void PackTo(TPlanBuf_20& aBuf, int aLevel) const;
    void UnpackFrom(TPlanBuf_20& aBuf, int aLevel, int aMaxPlStd);
};

// First SmallInt of a blocked period in the older in-memory plan.
constexpr int16_t OldBlockedMarker = -4;

struct TStdPlan {
    int16_t Kuerzel = 0;       // global index of the owner
    double LastMod = 0;        // TDateTime
    TPeriode Woche = 0;
    // Period-major: cell (p, d) is element (p - 1) * 6 + (d - 1).
    std::array<TPlanCell, PlanSlots> Plan{};
    int32_t PlanVariante = 1;

    TPlanCell& cell(int period, int day) { return Plan[size_t((period - 1) * MaxPlanDays + (day - 1))]; }
    const TPlanCell& cell(int period, int day) const { return Plan[size_t((period - 1) * MaxPlanDays + (day - 1))]; }

    void Init();
    void Init(TKueart aKueArt, bool AuchSperrung);
    int Load(TKueart Art, int aKuerzel);
    int Load(int aKuerzel);
    int Load(int aKuerzel, int aVariante);
    void Store(TKueart Art, int aKuerzel);
    void Store(int aKuerzel);
    void Clear();
    TKueart PlanTyp() const;
    QString KuerzelStr() const;
    bool IstFreieStunde(int aStd, int aTag) const;
    void BerechneBelegteStunden(int aTag, int& aStartStd, int& aEndStd) const;
    int Springstunden();
    int FachStunden(const QString& aFaecherListe);
    int MaxLines(int aStunde) const;
    void PackTo(TPlanBuf& aBuf, int aLevel) const;
    void UnpackFrom(const TPlanBuf& aBuf, int aLevel, int aMaxPlStd);
    void CopyFrom_20(const TStdplan_20& aPlan);
    void CopyTo_20(TStdplan_20& aPlan) const;

    // Exports.
    QString HtmlFileName(const QString& aDirectory) const;
    void ExportToHTML(const QString& aDirectory);
    void ExportToXML(TTextFile& F, int L);
    void SaveToFile(TTextFile& F, int n) const;
    void Dump() const;  // to the diagnostic text file
    void Dump(TTextFile& F) const;
};
using PStdPlan = TStdPlan*;

// The diagnostic text file the dumps go to; none by default (dumps are then dropped).
void SetDiagnosticFile(TTextFile* f);
TTextFile* DiagnosticFile();

// A file name made safe from an abbreviation.
QString PlanFileName(const QString& aKuerzel);

// Grade levels, numbered 1 to 23.
extern const std::array<const char*, 23> JahrgangTexts;
int JahrgangIndex(const QString& s);

class TIntegerList : public QList<int> {
public:
    TIntegerList() = default;
    void SetDuplicates(bool aValue) { FDuplicates = aValue; }
    bool Duplicates() const { return FDuplicates; }
    int Add(int Item);  // position of the new item, -1 when nothing was added

private:
    bool FDuplicates = false;
};

class TIntegerComparer {
public:
    virtual ~TIntegerComparer() = default;
    virtual int Compare(int Left, int Right) const = 0;
};
class TValueComparer : public TIntegerComparer {
public:
    int Compare(int Left, int Right) const override;
};
class TKuerzelComparer : public TIntegerComparer {
public:
    int Compare(int Left, int Right) const override;
};
class TJahrgangComparer : public TIntegerComparer {
public:
    int Compare(int Left, int Right) const override;
};
// The process-wide instances.
const TValueComparer& ValueComparer();
const TKuerzelComparer& KuerzelComparer();
const TJahrgangComparer& JahrgangComparer();

struct TScanItem {
    int aStd = 0;
    int aTag = 0;
    QString aKue;
};

class TScanList {
public:
    TScanList() = default;
    void AddRec(int aStd, int aTag, const QString& aKue);
    bool First(int aStd, int aTag, QString& aKue);
    bool Next(QString& aKue);
    void Reset();
    int Count() const { return int(FItems.size()); }
    int FStd = -1;
    int FTag = -1;
    int FPos = 0;

private:
    std::vector<std::unique_ptr<TScanItem>> FItems;
};
TScanList& ScanList();

// Undo, move and copy stacks: lists of owned memory blocks with a name.
class TStackList {
public:
    explicit TStackList(const QString& aName) : FUsername(aName) {}
    const QString& Username() const { return FUsername; }
    void Push(QByteArray block) { FItems.push_back(std::move(block)); }
    int Count() const { return int(FItems.size()); }
    void Clear() { FItems.clear(); }

private:
    QString FUsername;
    std::vector<QByteArray> FItems;
};
TStackList& UndoList();
TStackList& MoveList();
TStackList& CopyList();
