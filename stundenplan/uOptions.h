#pragma once
// The settings of the timetabling module as the timetable plug-in carries
// them, and the school record that plan files store.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>

class IniFile;

// School record of a plan file (2320 bytes).
struct TSchulDaten {
    int32_t Schulnummer = 0;  // 0 = not set
    int32_t Jahr = 0;
    int32_t Abschnitt = 0;
    int32_t AnzAbschnitte = 0;
    QString SchulBez1, SchulBez2, SchulBez3, Strasse, Plz, Ort, Telefon, Schulform, EMail;

    // The fresh values: number 0, texts empty, two sections, year and section from today.
    void Init();
    bool IsDifferentFrom(const TSchulDaten& aValue) const;
    void decode(const uint8_t* p);
    void encode(uint8_t* p) const;
};

namespace SchulDatenLayout {
constexpr int Schulnummer = 0, Jahr = 4, Abschnitt = 8, AnzAbschnitte = 12;
constexpr int Texts = 16;       // nine SS[255] fields
constexpr int TextSize = 256;
constexpr int TextCount = 9;
constexpr int Size = Texts + TextCount * TextSize;
static_assert(Size == 2320);
}  // namespace SchulDatenLayout

enum TDBVersion { dbWinVeltra, dbVeltra2000, dbIbis, dbUnknown };
enum TEmail { emMAPI, emINDY };
using TWpColors = std::array<uint32_t, 7>;
using TColor = int32_t;

// Mail and file-transfer settings, process-wide.
struct TIndyOptions {
    QString moptUsername, moptPasswort, moptServer, moptAbsender;
    uint16_t moptSMTP_Port = 0;
    bool moptSSL = false;
    QString moptFTPServer, moptFTPUser, moptFTPPasswort, moptFTPDestinationDir;
    TEmail moptEmailTyp = emINDY;
};
TIndyOptions& IndyOptions();

// Values set at start-up before the settings object is created.
struct TStartupValues {
    QString HostDir;          // folder of the host program, trailing delimiter
    QString DocumentsDir;     // the user's documents folder, trailing delimiter
    bool HasCentralUdl = false;  // host folder holds "VelTRAzentral.udl"
    QString FormsDir;         // FORMULARE/Basisverzeichnis, trailing delimiter
    QString OutputDir;        // Druck/Ausgabeverzeichnis
};
TStartupValues& StartupValues();
// Fills the start-up values for the given host folder (the running program's folder if empty).
void InitStartupValues(const QString& hostDir = {});

// The two host functions the derivation of the host database names needs; the
// timetable plug-in binds neither, so the derivation stays inert there.
struct THostDatabaseFunctions {
    QString (*KeytabsDir)() = nullptr;
    bool (*StatistikIsCentral)() = nullptr;
};
THostDatabaseFunctions& HostDatabaseFunctions();

// Vigenère encoding of stored passwords: byte-wise addition of the key modulo 256.
QByteArray VigenereEncode(const QByteArray& plain);
QByteArray VigenereDecode(const QByteArray& cipher);

class TVeltraplanOptions {
public:
    TVeltraplanOptions();
    ~TVeltraplanOptions();
    TVeltraplanOptions(const TVeltraplanOptions&) = delete;
    TVeltraplanOptions& operator=(const TVeltraplanOptions&) = delete;

    const QString& Inifilename() const { return FInifilename; }
    void SetInifilename(const QString& Value);
    void LoadOptions();
    void SaveOptions();
    TSchulDaten OptionsToSchuldaten() const;
    void SchuldatenToOptions(const TSchulDaten& value);
    void GetIndyOptions();
    void SetIndyOptions();
    int AktStunde(int aStd) const { return aStd + ErsteStd - 1; }

    QString FInifilename;
    std::unique_ptr<IniFile> FIniFile;
    QString VeltraUrlFilename;
    QString StatistikUrlFilename;
    TDBVersion dbVersion = dbWinVeltra;
    int MinProz = 0, MaxProz = 0;
    bool ForcePosition = false, FachSort = false, CheckAbteilung = false;
    QString prChars;
    std::array<QString, 3> StandardPlan;
    QString StandardVertretungsplan, WebVertretungsplan, WebStundenPlan, VertretungsAbrechnung;
    bool optSSL = false;
    int optSMTP_Port = 0;
    QString optServer, optPasswort, optUsername, optAbsender;
    bool optBestaetigung = false;
    TEmail optEmailTyp = emINDY;
    bool optOhneMahnung = false, optMapi = false;
    QString optDatenBasis;
    QString optFTPServer, optFTPUser, optFTPPasswort, optFTPDestinationDir;
    int optFTPPort = 0;
    int optPlanBorderWidth = 0, optPlanCellSpacing = 0, optKuerzelBorderWidth = 0, optKuerzelCellSpacing = 0;
    bool optPassiveFTP = false;
    int optKuerzelSpalten = 0;
    QString optBGFarbe;
    bool optIstAnonym = false, optPlanOhneDeputat = false;
    TColor optPlanRahmenColor = 0;
    int optMaxMRU = 0;
    bool optAutoEdit = false;
    QString SchuleBez1, SchuleBez2, SchuleBez3;  // SS[255]
    QString Schulnummer;                         // at most 6 characters
    uint8_t KueLen = 0;
    bool selbst = false;
    int16_t TageProWoche = 0, StundenProTag = 0;
    QString kommentar;                           // SS[60]
    QString EdFileName;                          // SS[12]
    int16_t ErsteStd = 0;
    bool VEckStdFlag = false, VAnfStdFlag = false, VEndStdFlag = false;
    TWpColors WpColor{};
    uint8_t OptKlBew = 0, OptLeBew = 0;
    uint16_t OptIter = 0, OptMaxIter = 0;
    QString Schulform;                           // SS[2]
    bool SchiebRaum = false, DatumsAbfrage = false, AutoAnzeige = false, KoppFirst = false, SortDepu = false;
    uint8_t Feldzahl = 0;
    QString LFooter, KFooter, RFooter;
    bool LoadExt = false;
    std::array<uint8_t, 7> KLen{};
    QString VeltraAdminDir, GroupDir, VeltraKeytabsDir, HTMLDir, HilfeDir;
    std::array<QString, 6> MerkerStr;            // SS[50]
    int MaxAufsicht = 0, Maxaufsichtvert = 0, Maxvertretung = 0;
    bool AufsichtOrtVorn = false;
    QString Freistdtext, Eckstdtext, Aufsichtstext;
    QStringList AufsichtsOrte, AufsichtsZeiten;
    bool Uvspaltezuerst = false, Teilimport = false, Veltraudl = false, Raumbelegen = false, RahmenCursor = false;
    QString SchuleStrasse, SchulePlzOrt, SchuleTelefon, SchuleEmail;
    int SchuleJahr = 0, SchuleAbschnitt = 0, SchuleAnzahlAbschnitte = 0;
    bool PlanZweizeilig = false;
    QString optDownloadURL, optStandardVertDir;
    bool optReLoadOnStart = false, optCheckUpdate = false;
    uint32_t optFixKoppColor = 0;
    std::array<double, 20> optStundenbeginn{};   // TDateTime
    int optStundenDauer = 0, optPlanbreite = 0;
    QString optDefaultVertretungsplaene;
    bool optReparatur = false;
    int optBackupZahl = 0;
    QString optPlanFontName;
    int optPlanFontSize = 0, optPlanFontStyles = 0;
    int optZeilenImKuerzelMenu = 0;
    bool optKursbezStattFach = false;
    QString optWindowStyle;

private:
    void deriveHostDatabaseNames();
};

// The process-wide settings object, created with its defaults on first use.
TVeltraplanOptions& VeltraplanOptions();
// Replaces it by a fresh one with the defaults (used when the library starts and by tests).
void ResetVeltraplanOptions();

// The default start time of period n (1-based) as TDateTime.
double DefaultStundenbeginn(int n);
// The school year and section of today: Jan-Feb section 1 of the previous year,
// Mar-Jul section 2 of the previous year, Aug-Dec section 1 of this year.
void CurrentSchoolYearSection(int& year, int& section);
