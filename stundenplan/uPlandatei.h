#pragma once
// The plan file of the timetabling module: the one class that knows its byte
// layout (TWplFile), the abbreviation kinds and their global index ranges, and
// the process-wide state that goes with the open plan.
#include "uOptions.h"
#include "uStdPlan.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>

// Abbreviation kinds; only the first seven are stored in plan files.
enum TKueart : uint8_t { leh, kla, rau, fac, kop, abt, raq, num0, num, err, proz, jahrg };
constexpr int StoredKueArten = 7;

QString KueArtName(TKueart k);
QString KueArtPrefix(TKueart k);

// Global index ranges per kind (by TKueart order leh, kla, rau, fac, kop, abt, raq).
constexpr std::array<int16_t, StoredKueArten> KueFirst{0, 514, 1028, 771, 257, 1285, 1307};
constexpr std::array<int16_t, StoredKueArten> KueLast{256, 770, 1284, 1027, 513, 1306, 1328};
// Current record size of each kind's data table.
constexpr std::array<int, StoredKueArten> RecSize{907, 414, 31, 42, 582, 27, 69};
constexpr int MaxRecSize = 907;
inline int KueRecords(TKueart k) { return KueLast[k] - KueFirst[k] + 1; }

// Signatures of all file versions (version = position + 1) and their release dates.
const QStringList& PlanSignatures();
const QStringList& PlanSignatureDates();
constexpr int FirstOpenableVersion = 19;
constexpr int CurrentPlanVersion = 30;
// Size of a kind's record as a file of the given version stores it.
int StoredDataSize(TKueart k, int version);
// Versions 19-21 and 24 keep plans in the older layout.
bool UsesOldPlanLayout(int version);

// Process-wide state beside the plan file.
extern int CurrentVariant;  // 1 at start and after every open
extern int CurrentWeek;     // ISO week of today once a header was read
extern int KueWidth;        // longest abbreviation loaded, 10 at start
extern QByteArray PrintOutText;

// An abbreviation as stored: a length byte and up to ten single-byte characters.
struct tKueStr {
    uint8_t len = 0;
    std::array<uint8_t, 10> ch{};

    QByteArray bytes() const;  // the first min(len, 10) characters
    QString toString() const;  // decoded from Windows-1252
    static tKueStr fromBytes(const QByteArray& b);  // cut to 10
    static tKueStr fromString(const QString& s);
    static tKueStr dots() { return fromBytes(QByteArray(10, '.')); }
    static tKueStr dashes() { return fromBytes(QByteArray(10, '-')); }
    bool startsWith(char c) const { return len > 0 && ch[0] == uint8_t(c); }
    bool operator==(const tKueStr& o) const { return bytes() == o.bytes(); }
};
static_assert(sizeof(tKueStr) == 11);

// Header of a plan file (234 bytes at offset 0).
struct TWplHeader {
    std::array<uint8_t, 32> PrintOut{};
    uint8_t StartPos = 0;
    uint16_t OptPos = 0;
    int32_t Created = 0;
    std::array<uint8_t, 88> Fill{};
    std::array<uint8_t, 7> Signatur{};
    uint16_t Version = 0, HeaderSize = 0, MaxRec = 0;
    uint8_t KueSize = 0;
    uint16_t LeDataSize = 0, KlDataSize = 0, KoDataSize = 0, RqDataSize = 0;
    uint16_t LePlanSize = 0, KlPlanSize = 0, RaPlanSize = 0;
    int32_t LeKueOffset = 0, KoKueOffset = 0, KlKueOffset = 0, FaKueOffset = 0, RaKueOffset = 0,
            AbKueOffset = 0, RqKueOffset = 0;
    int32_t LeDataOffset = 0, KoDataOffset = 0, KlDataOffset = 0, RqDataOffset = 0;
    int32_t LePlanOffset = 0, KlPlanOffset = 0, RaplanOffset = 0;
    uint16_t FaDataSize = 0, RaDataSize = 0;
    int32_t FaDataOffset = 0, RaDataOffset = 0;
    uint16_t AbDataSize = 0;
    int32_t AbDataOffset = 0;
    uint8_t MaxVersion = 0, MaxPlStd = 0, AktWeek = 0, LastWeek = 0, StartWeek = 0;

    void decode(const uint8_t* p);
    void encode(uint8_t* p) const;
    QByteArray signature() const;  // up to the first zero byte
    // The header of a new version-30 file, created now.
    static TWplHeader newFileHeader();
};

namespace WplHeaderLayout {
constexpr int PrintOut = 0, StartPos = 32, OptPos = 33, Created = 35, Fill = 39, Signatur = 127,
              Version = 134, HeaderSize = 136, MaxRec = 138, KueSize = 140, LeDataSize = 141,
              KlDataSize = 143, KoDataSize = 145, RqDataSize = 147, LePlanSize = 149, KlPlanSize = 151,
              RaPlanSize = 153, LeKueOffset = 155, KoKueOffset = 159, KlKueOffset = 163,
              FaKueOffset = 167, RaKueOffset = 171, AbKueOffset = 175, RqKueOffset = 179,
              LeDataOffset = 183, KoDataOffset = 187, KlDataOffset = 191, RqDataOffset = 195,
              LePlanOffset = 199, KlPlanOffset = 203, RaplanOffset = 207, FaDataSize = 211,
              RaDataSize = 213, FaDataOffset = 215, RaDataOffset = 219, AbDataSize = 223,
              AbDataOffset = 225, MaxVersion = 229, MaxPlStd = 230, AktWeek = 231, LastWeek = 232,
              StartWeek = 233;
constexpr int Size = 234;
static_assert(StartWeek + 1 == Size);
// Smallest file whose header can be trusted to be there at all.
constexpr int MinFileSize = 768;
}  // namespace WplHeaderLayout

// Options record of the timetabling module (229 bytes at offset 256); only the
// comment and the school form are used here, the rest is carried as stored.
namespace WplOptionsLayout {
constexpr int TpW = 0, SpT = 2, BdS = 4, DSt = 6, SPo = 7, KiP = 8, KuP = 9, mFF = 10,
              Kom = 11,        // SS[60]
              Font = 72,       // LOGFONTW, 92 bytes
              FontSize = 164, Auto = 166, LMargin = 167, TMargin = 168, BMargin = 169, VSortL1 = 170,
              VSortL2 = 171, VSortK = 172, VEckStdFlag = 173,
              EdF = 174,       // 13 bytes
              VGanzTag = 187, SaveOnNext = 188, Upper = 189, Lower = 190, OnScreen = 191,
              WpColor = 192,   // 7 x Cardinal
              OptKlBew = 220, OptLeBew = 221, OptIter = 222, OptMaxIter = 224,
              Schulform = 226; // SS[2]
constexpr int Size = 229;
constexpr int FilePos = 256;
static_assert(Schulform + 3 == Size);
}  // namespace WplOptionsLayout

struct TWplOptions {
    std::array<uint8_t, WplOptionsLayout::Size> raw{};
};

// File positions of the blocks that follow the plan tables (versions 26 and later).
constexpr qint64 SchulDatenPos = 2949355;
constexpr qint64 StringListsPos = 2951675;
constexpr int SchulDatenVersion = 26;

class PlanFileIO;

// A sorted string list without duplicates, stored in the plan file as an
// Integer length followed by the text (lines separated by CR LF).
class TFileStringList {
public:
    TFileStringList();
    const QStringList& Strings() const { return FLines; }
    QString Text() const;                   // every line followed by CR LF
    void SetText(const QString& text);      // replaces the lines
    void Add(const QString& line);
    void Clear();
    bool Modified() const { return FModified; }

    // Reads the block at the file's position; on failure the list keeps its lines.
    void Load(PlanFileIO& f);
    void Store(PlanFileIO& f) const;
    QByteArray block() const;  // the stored form

private:
    void replaceLines(const QStringList& lines);
    QStringList FLines;
    bool FModified = false;
};

class TWplFile {
public:
    // Mode 1 opens an existing file, Mode 2 creates a new one.
    TWplFile(const QString& Filename, uint16_t Mode);
    // Writes header, school data and string lists back and closes.
    ~TWplFile();
    TWplFile(const TWplFile&) = delete;
    TWplFile& operator=(const TWplFile&) = delete;

    // False for jobs that only read: closing then leaves the file exactly as it was
    // (opening counts the week on, which would otherwise be written back).
    bool WriteBackOnClose = true;

    const TWplHeader& Header() const { return FHeader; }
    int16_t FileVersion() const { return FTyp; }
    QString FileDate() const { return GetFileDate(); }
    QString CreateTime() const { return GetCreateTime(); }
    int16_t Status() const { return FStatus; }
    const QString& DataFilename() const { return FDataFileName; }
    const TWplOptions& Options() const { return FOptions; }
    TFileStringList& Kursarten() { return FKursarten; }
    TFileStringList& FachStatkue() { return FFachStatkue; }
    const TSchulDaten& Schuldaten() const { return FSchulDaten; }
    void SetSchuldaten(const TSchulDaten& Value);
    bool Modified() const { return FModified; }
    bool IsCreated() const { return FIsCreated; }

    int ReadFileHeader();
    int16_t GetFileVersion();
    QString GetFileDate() const;
    QString GetCreateTime() const;

    tKueStr ReadKuerzel(TKueart Art, int16_t Kuerzel);
    void WriteKuerzel(TKueart Art, int16_t Kuerzel, const tKueStr& KueStr);
    int ReadData(TKueart Art, int16_t Kuerzel, uint8_t* Data);
    int ReadDataHeader(TKueart Art, int16_t Kuerzel, uint8_t* Data);
    void WriteData(TKueart Art, int16_t Kuerzel, const uint8_t* Data);

    int GetPlan(TKueart Art, int Kuerzel, PStdPlan Data, bool Auto);
    int GetPlanVar(TKueart Art, int Kuerzel, TStdPlan& Data, int AVariante);
    int PutPlanVar(TKueart Art, int Kuerzel, TStdPlan& Data, int AVariante);

    void ReadOptions();
    void WriteOptions();
    void ReadSchuldaten();
    void WriteSchuldaten();
    void ReadStringlists();
    void WriteStringLists();
    void WriteHeader();
    void RestoreHeader();
    void CreatePlan();
    void ClonePlan(TWplFile& aDest);
    void Save();
    void Flush();

    // Table positions of this file, from its header.
    qint64 kueOffset(TKueart Art) const;
    qint64 dataOffset(TKueart Art) const;
    int dataSize(TKueart Art) const;
    qint64 planOffset(TKueart Art) const;
    int planSize(TKueart Art) const;

private:
    bool layoutFits(qint64 fileSize) const;
    int planLayoutSize() const;
    void checkPlanRecord(TKueart Art, int Kuerzel, int variant) const;
    int unpackPlan(TKueart Art, const uint8_t* rec, TStdPlan& Data, int variant) const;
    void writeBack();
    void reopen();

    TWplHeader FHeader;
    std::unique_ptr<PlanFileIO> Ffile;
    int16_t FStatus = 0;
    int16_t FTyp = 0;
    QString FDataFileName;
    int32_t FLastTime = 0;
    uint8_t FRefresh = 5;
    bool FModified = false;
    bool FIsCreated = false;
    TWplOptions FOptions;
    TSchulDaten FSchulDaten;
    TFileStringList FKursarten;
    TFileStringList FFachStatkue;
    // What closing may write back: only data that came from this file or was set.
    bool FSchulDatenOwned = false;
    bool FListsOwned = false;
};

// The plan file Horavia has open; replacing it frees the previous one.
TWplFile* CurrentPlanFile();
void SetCurrentPlanFile(std::unique_ptr<TWplFile> file);

// Writes the field-by-field comparison of two headers, one line per field.
QStringList CompareHeaders(const TWplHeader& a, const TWplHeader& b);
