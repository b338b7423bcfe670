#include "uOptions.h"

#include "kvStrUtils.h"

#include "Codec1252.h"
#include "IniFile.h"
#include "Wpdb.h"
#include "uPlanUtils.h"
#include "uPlandatei.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace PlanUtils;

// ---------------------------------------------------------------- school data

void CurrentSchoolYearSection(int& year, int& section) {
    const QDate today = now().date();
    if (today.month() <= 2) { year = today.year() - 1; section = 1; }
    else if (today.month() <= 7) { year = today.year() - 1; section = 2; }
    else { year = today.year(); section = 1; }
}

void TSchulDaten::Init() {
    *this = TSchulDaten();
    AnzAbschnitte = 2;
    CurrentSchoolYearSection(Jahr, Abschnitt);
}

void TSchulDaten::decode(const uint8_t* p) {
    using namespace SchulDatenLayout;
    Schulnummer = getI32(p, SchulDatenLayout::Schulnummer);
    Jahr = getI32(p, SchulDatenLayout::Jahr);
    Abschnitt = getI32(p, SchulDatenLayout::Abschnitt);
    AnzAbschnitte = getI32(p, SchulDatenLayout::AnzAbschnitte);
    QString* texts[TextCount] = {&SchulBez1, &SchulBez2, &SchulBez3, &Strasse, &Plz, &Ort, &Telefon, &this->Schulform, &EMail};
    for (int i = 0; i < TextCount; ++i) *texts[i] = getSS(p, Texts + i * TextSize, TextSize - 1);
}

void TSchulDaten::encode(uint8_t* p) const {
    using namespace SchulDatenLayout;
    putI32(p, SchulDatenLayout::Schulnummer, Schulnummer);
    putI32(p, SchulDatenLayout::Jahr, Jahr);
    putI32(p, SchulDatenLayout::Abschnitt, Abschnitt);
    putI32(p, SchulDatenLayout::AnzAbschnitte, AnzAbschnitte);
    const QString* texts[TextCount] = {&SchulBez1, &SchulBez2, &SchulBez3, &Strasse, &Plz, &Ort, &Telefon, &this->Schulform, &EMail};
    for (int i = 0; i < TextCount; ++i) putSS(p, Texts + i * TextSize, TextSize - 1, *texts[i]);
}

bool TSchulDaten::IsDifferentFrom(const TSchulDaten& aValue) const {
    std::array<uint8_t, SchulDatenLayout::Size> a{}, b{};
    encode(a.data());
    aValue.encode(b.data());
    return a != b;
}

// ---------------------------------------------------------------- process-wide values

TIndyOptions& IndyOptions() {
    static TIndyOptions options;
    return options;
}

TStartupValues& StartupValues() {
    static TStartupValues values = [] {
        TStartupValues v;
        QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
        v.HostDir = QDir::toNativeSeparators(dir) + QDir::separator();
        return v;
    }();
    return values;
}

void InitStartupValues(const QString& hostDir) {
    TStartupValues& v = StartupValues();
    QString dir = hostDir;
    if (dir.isEmpty()) dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    v.HostDir = QDir::toNativeSeparators(QDir::cleanPath(dir)) + QDir::separator();
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    v.DocumentsDir = QDir::toNativeSeparators(docs) + QDir::separator();
    v.HasCentralUdl = QFileInfo::exists(v.HostDir + QStringLiteral("VelTRAzentral.udl"));
    v.FormsDir.clear();
    v.OutputDir = v.HostDir;
}

THostDatabaseFunctions& HostDatabaseFunctions() {
    static THostDatabaseFunctions functions;
    return functions;
}

// ---------------------------------------------------------------- passwords

namespace {
// Key of the stored-password encoding; existing settings files were written with it.
const QByteArray& cipherKey() {
    static const QByteArray key("k7p2qv9xm4t");
    return key;
}

QByteArray vigenere(const QByteArray& in, int sign) {
    const QByteArray& key = cipherKey();
    QByteArray out(in.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < in.size(); ++i)
        out[i] = char(uint8_t(uint8_t(in[i]) + sign * uint8_t(key[i % key.size()])));
    return out;
}
}  // namespace

QByteArray VigenereEncode(const QByteArray& plain) { return vigenere(plain, 1); }
QByteArray VigenereDecode(const QByteArray& cipher) { return vigenere(cipher, -1); }

// ---------------------------------------------------------------- settings object

double DefaultStundenbeginn(int n) {
    // 07:45, 45 minutes per period, a 15-minute break after every even period.
    int minutes = 7 * 60 + 45;
    for (int p = 1; p < n; ++p) minutes += 45 + (p % 2 == 0 ? 15 : 0);
    return minutes / 1440.0;
}

namespace {
std::unique_ptr<TVeltraplanOptions>& optionsInstance() {
    static std::unique_ptr<TVeltraplanOptions> instance;
    return instance;
}

QString withTrailing(const QString& s, QChar delim) { return s.endsWith(delim) ? s : s + delim; }
}  // namespace

TVeltraplanOptions& VeltraplanOptions() {
    auto& inst = optionsInstance();
    if (!inst) inst = std::make_unique<TVeltraplanOptions>();
    return *inst;
}

void ResetVeltraplanOptions() {
    optionsInstance().reset();
    optionsInstance() = std::make_unique<TVeltraplanOptions>();
}

TVeltraplanOptions::TVeltraplanOptions() {
    const QString host = StartupValues().HostDir;
    optSSL = false;
    optSMTP_Port = 25;
    optServer = QStringLiteral("smtp.veltra-schulsoftware.de");
    optEmailTyp = emINDY;
    optOhneMahnung = true;
    optMapi = true;
    optDatenBasis = host + QStringLiteral("Daten\\");
    optFTPPasswort = QStringLiteral("x");
    optFTPPort = 0;
    optPlanBorderWidth = 1;
    optPlanCellSpacing = 0;
    optKuerzelBorderWidth = 1;
    optKuerzelCellSpacing = 0;
    optKuerzelSpalten = 5;
    optBGFarbe = QStringLiteral("FFFFCC");
    optIstAnonym = false;
    optPlanOhneDeputat = true;
    optMaxMRU = 8;
    KueLen = 6;
    KLen.fill(uint8_t(KueWidth));
    VeltraAdminDir = QStringLiteral("c:\\programme\\veltra-xrl");
    GroupDir = QStringLiteral("c:\\programme\\veltra-xrl");
    VeltraKeytabsDir = QStringLiteral("c:\\programme\\veltra-xrl\\keytabs");
    for (int i = 0; i < 20; ++i) optStundenbeginn[size_t(i)] = DefaultStundenbeginn(i + 1);
    optStundenDauer = 45;
    optPlanFontName = QStringLiteral("Courier New");
    optPlanFontSize = 9;
    optZeilenImKuerzelMenu = 20;
    optKursbezStattFach = true;
    optWindowStyle = QStringLiteral("Windows");
    PlanZweizeilig = true;
    TageProWoche = 5;
    StundenProTag = 8;
    Feldzahl = 3;
    WpColor = {0xFFFF, 0xFF, 0xC0C0C0, 0x8000, 0xF0CAA6, 0xFFFF00, 0xFFFF00};
    optPlanRahmenColor = TColor(0xFF00000F);
    optFixKoppColor = 0xFFFF00;
    // Marker names belong to the defaults: without a settings file they would stay empty.
    MerkerStr[0] = QStringLiteral("Bereitschaft");
    for (int i = 1; i <= 5; ++i) {
        MerkerStr[size_t(i)] = QStringLiteral("Merker_%1").arg(i);
        KueNames[size_t(1331 + i)] = tKueStr::fromString(QStringLiteral("M%1").arg(i));
    }
}

TVeltraplanOptions::~TVeltraplanOptions() = default;

void TVeltraplanOptions::SetInifilename(const QString& Value) {
    FInifilename = Value;
    FIniFile = std::make_unique<IniFile>(Value);
    if (QFileInfo::exists(Value)) LoadOptions();
}

void TVeltraplanOptions::LoadOptions() {
    if (!FIniFile) return;
    IniFile& ini = *FIniFile;
    const QString host = StartupValues().HostDir;
    auto str = [&](const char* s, const char* k, const QString& d) { return ini.ReadString(QLatin1String(s), QLatin1String(k), d); };
    auto num = [&](const char* s, const char* k, int d) { return ini.ReadInteger(QLatin1String(s), QLatin1String(k), d); };
    auto flag = [&](const char* s, const char* k, bool d) { return ini.ReadBool(QLatin1String(s), QLatin1String(k), d); };

    VeltraUrlFilename = str("DATENQUELLEN", "DATENDSN", {});
    StatistikUrlFilename = str("DATENQUELLEN", "STATISTIKDSN", {});
    dbVersion = TDBVersion(qBound(0, num("SYSTEM", "DB_VERSION", 0), 3));
    MinProz = num("DEPUTATE", "MINPROZ", 0);
    MaxProz = num("DEPUTATE", "MAXPROZ", 100);
    ForcePosition = flag("PLAN", "FORCEPOSITION", true);
    FachSort = flag("DEPUTATE", "FACHSORT", true);
    CheckAbteilung = flag("DRUCK", "ABTEILUNGSWEISE", false);
    prChars = str("DRUCK", "SPRSTDCHRS", QStringLiteral("uUkKSØ-BM"));
    StandardPlan[0] = str("STANDARDFORMULARE", "STANDARDLEHRERPLAN", {});
    StandardPlan[1] = str("STANDARDFORMULARE", "STANDARDKLASSENPLAN", {});
    StandardPlan[2] = str("STANDARDFORMULARE", "STANDARDRAUMPLAN", {});
    StandardVertretungsplan = str("STANDARDFORMULARE", "STANDARDVERTRETUNGSPLAN", {});
    WebVertretungsplan = str("STANDARDFORMULARE", "WEBVERTRETUNGSPLAN", {});
    VertretungsAbrechnung = str("STANDARDFORMULARE", "VERTRETUNGSABRECHNUNG", {});
    optDatenBasis = str("SYSTEM", "DATENBASISVERZEICHNIS", host + QStringLiteral("\\Daten"));
    optSSL = flag("E_MAIL", "SSLVerschluesselung", true);
    optSMTP_Port = num("E_MAIL", "SMTP_Port", 35);
    optServer = str("E_MAIL", "SMTP_Server", {});
    optPasswort = Codec1252::decode(VigenereDecode(Codec1252::encode(str("E_MAIL", "Passwort", {}))));
    optUsername = str("E_MAIL", "Username", QStringLiteral("Admin"));
    optAbsender = str("E_MAIL", "Absender", {});
    optMapi = flag("E_MAIL", "Methode", true);
    optFTPServer = str("FTP", "Server", {});
    optFTPUser = str("FTP", "Username", {});
    optFTPPasswort = Codec1252::decode(VigenereDecode(Codec1252::encode(str("FTP", "Passwort", {}))));
    optFTPDestinationDir = str("FTP", "Zielverzeichnis", {});
    if (!optFTPDestinationDir.endsWith(QLatin1Char('\\'))) optFTPDestinationDir += QLatin1Char('\\');
    optPlanBorderWidth = num("HTML", "PlanBorderwidth", 1);
    optPlanCellSpacing = num("HTML", "PlanCellspacing", 0);
    optKuerzelBorderWidth = num("HTML", "KuerzelBorderwidth", 1);
    optKuerzelCellSpacing = num("HTML", "KuerzelCellspacing", 0);
    optKuerzelSpalten = num("HTML", "Kuerzelspalten", 5);
    optBGFarbe = str("HTML", "bgcolor", QStringLiteral("FFFFCC"));
    optIstAnonym = flag("FTP", "VertretungAnonym", false);
    optPlanOhneDeputat = flag("PLAN", "STARTOHNEDEPUTAT", true);
    kommentar = str("SYSTEM", "KOMMENTAR", QStringLiteral("QSB-XRL")).left(60);
    Schulnummer = str("SCHULE", "SCHULNUMMER", QStringLiteral("999999")).left(6);
    SchuleBez1 = str("SCHULE", "SCHULNAME", QStringLiteral("Bitte den Schulnamen 1 eintragen")).left(128);
    SchuleBez2 = str("SCHULE", "SCHULNAME2", QStringLiteral("Bitte den Schulnamen 2 eintragen")).left(128);
    SchuleBez3 = str("SCHULE", "SCHULNAME3", QStringLiteral("Bitte den Schulnamen 3 eintragen")).left(128);
    Schulform = str("SCHULE", "SCHULFORM", QStringLiteral("BK")).left(2);
    TageProWoche = int16_t(num("SCHULE", "TAGEPROWOCHE", 6));
    StundenProTag = int16_t(num("SCHULE", "STUNDENPROTAG", 20));
    ErsteStd = int16_t(num("SCHULE", "ERSTESTUNDE", 1));
    SchuleStrasse = str("SCHULE", "STRASSE", {});
    SchulePlzOrt = str("SCHULE", "PLZORT", {});
    SchuleTelefon = str("SCHULE", "TELEFON", {});
    SchuleEmail = str("SCHULE", "EMAIL", {});
    SchuleJahr = num("SCHULE", "SCHULJAHR", 2013);
    SchuleAbschnitt = num("SCHULE", "ABSCHNITT", 1);
    SchuleAnzahlAbschnitte = num("SCHULE", "ANZAHLABSCHNITTE", 2);
    DatumsAbfrage = flag("DRUCK", "DATUMSABFRAGE", true);
    LFooter = str("DRUCK", "LFOOTER", QStringLiteral("Abt.: $a, Pflichtstd.: $d, Ermäßigung: $e"));
    KFooter = str("DRUCK", "KFOOTER", QStringLiteral("Abt.: $a, Sollstd.: $d, Klassengröße: $e"));
    RFooter = str("DRUCK", "RFOOTER", QStringLiteral("$b, Kapazität: $k"));
    SchiebRaum = flag("PLAN", "SCHIEBRAUM", true);
    selbst = flag("PLAN", "SELBSTPOS", false);
    Feldzahl = uint8_t(num("PLAN", "FELDZAHL", 3));
    OptKlBew = uint8_t(num("PLAN", "SPRSTDKL", 0));
    OptLeBew = uint8_t(num("PLAN", "SPRSTDLE", 2));
    OptIter = uint16_t(num("PLAN", "ITERATIONEN", 20));
    OptMaxIter = uint16_t(num("PLAN", "DURCHLAEUFE", 2));
    static const uint32_t farben[7] = {0x200FFFF, 0x20000FF, 0x2C0C0C0, 0x200FF00, 0x2FFFF00, 0x2008000, 0x2008032};
    for (int i = 0; i < 7; ++i)
        WpColor[size_t(i)] = uint32_t(ini.ReadInteger(QStringLiteral("PLAN"), QStringLiteral("FARBE_%1").arg(i + 1), int(farben[i])));
    optPlanRahmenColor = num("PLAN", "FARBE_8", int(0xFF00000F));
    optFixKoppColor = uint32_t(num("PLAN", "FARBE_9", 0x2008032));
    AutoAnzeige = flag("PLAN", "AUTOWOCHE", true);
    PlanZweizeilig = flag("PLAN", "ZWEIZEILIG", true);
    VEckStdFlag = flag("VERTRETUNG", "ECKSTUNDEFREI", true);
    VAnfStdFlag = flag("VERTRETUNG", "ANFANGSSTUNDEN", true);
    VEndStdFlag = flag("VERTRETUNG", "ENDSTUNDEN", true);
    SortDepu = flag("DEPUTATE", "SORTIERUNG", true);
    LoadExt = flag("SYSTEM", "EXTERN_DB", false);
    if (SortDepu) {
        const QString g = str("DEPUTATE", "GRUPPIERUNG", QStringLiteral("KLASSE_ZUERST")).toUpper();
        if (g == QLatin1String("KLASSE_ZUERST")) KoppFirst = false;
        else if (g == QLatin1String("KOPPLUNG_ZUERST")) KoppFirst = true;
    }
    // Read twice: the second reading, with an empty default, gives the value.
    VeltraAdminDir = str("SYSTEM", "ADMINDIR", VeltraAdminDir);
    VeltraKeytabsDir = str("SYSTEM", "KEYTABSDIR", VeltraKeytabsDir);
    VeltraAdminDir = str("SYSTEM", "ADMINDIR", {});
    VeltraKeytabsDir = str("SYSTEM", "KEYTABSDIR", {});
    const QString forms = str("FORMULARE", "Basisverzeichnis", {});
    StartupValues().FormsDir = forms.isEmpty() ? forms : withTrailing(forms, QLatin1Char('\\'));
    MaxAufsicht = num("AUFSICHT", "MAXAUFSICHT", 3);
    Maxaufsichtvert = num("VERTRETUNG", "MAXAUFSICHTVERT", 3);
    Maxvertretung = num("VERTRETUNG", "MAXVERTRETUNG", 2);
    AufsichtOrtVorn = flag("AUFSICHT", "ORTVORN", true);
    Freistdtext = str("VERTRETUNG", "FREISTDTEXT", QStringLiteral("Freistunde fällt aus"));
    Eckstdtext = str("VERTRETUNG", "ECKSTDTEXT", QStringLiteral("Eckstunde fällt aus"));
    Aufsichtstext = str("VERTRETUNG", "AUFSICHTSTEXT", QStringLiteral("Bemerkung"));
    Uvspaltezuerst = flag("DEPUTATE", "UVSPALTEZUERST", true);
    Teilimport = flag("TEILIMPORT", "ENABLED", true);
    Veltraudl = flag("SYSTEM", "VELTRAUDL", true);
    Raumbelegen = flag("PLAN", "RAUMBELEGEN", true);
    RahmenCursor = flag("PLAN", "RAHMENCURSOR", false);
    optPassiveFTP = flag("FTP", "Passive", false);
    optDownloadURL = str("WEB", "DownloadURL", QStringLiteral("https://www.veltra-schulsoftware.de/fileadmin/user_upload/veltraplan/"));
    if (!optDownloadURL.endsWith(QLatin1Char('\\'))) optDownloadURL += QLatin1Char('\\');
    optStandardVertDir = str("VERTRETUNG", "StandardVertDir", {});
    optDefaultVertretungsplaene = str("VERTRETUNG", "StandardVertFormDir", StartupValues().FormsDir + QStringLiteral("Vertretungsplaene"));
    optReLoadOnStart = flag("SYSTEM", "LETZTEDATEILADEN", true);
    optCheckUpdate = flag("SYSTEM", "UpdateCheck", false);
    optAutoEdit = flag("SYSTEM", "AUTOEDIT", false);
    optStundenDauer = num("Anfangszeiten", "Dauer", 45);
    optPlanbreite = num("PLAN", "Planbreite", 800);
    optReparatur = flag("SYSTEM", "REPARATUR", false);
    optBackupZahl = num("SYSTEM", "MAXBACKUPS", 8);
    optPlanFontName = str("PLAN", "ZEICHENSATZNAME", QStringLiteral("Segoe UI"));
    optPlanFontSize = num("PLAN", "ZEICHENSATZGROESSE", 9);
    optPlanFontStyles = num("PLAN", "ZEICHENSATZSTYLE", 0);
    optZeilenImKuerzelMenu = num("SYSTEM", "ZeilenImKuerzelMenu", 20);
    optKursbezStattFach = flag("DRUCK", "KursbezStattFach", true);
    StartupValues().OutputDir = str("Druck", "Ausgabeverzeichnis", host);

    // Marker names: defaults, then the first five entries of PLANMERKER in file order.
    MerkerStr[0] = QStringLiteral("Bereitschaft");
    for (int i = 1; i <= 5; ++i) {
        KueNames[size_t(1331 + i)] = tKueStr::fromString(QStringLiteral("M%1").arg(i));
        MerkerStr[size_t(i)] = QStringLiteral("Merker_%1").arg(i);
    }
    const QStringList merker = ini.ReadSectionValues(QStringLiteral("PLANMERKER"));
    for (int i = 0; i < merker.size() && i < 5; ++i)
        MerkerStr[size_t(i + 1)] = merker[i].section(QLatin1Char('='), 1).left(50);

    // Supervision lists: "key=value" lines reduced to their values.
    auto values = [&](const char* section) {
        QStringList lines = ini.ReadSectionValues(QLatin1String(section));
        for (QString& l : lines) l = l.section(QLatin1Char('='), 1);
        return lines;
    };
    AufsichtsOrte = values("AUFSICHTSORTE");
    AufsichtsZeiten = values("AUFSICHTSZEITEN");

    // Start times: the default chain does not follow values read from the file.
    for (int i = 1; i <= 20; ++i) {
        const double def = DefaultStundenbeginn(i);
        const QString key = QStringLiteral("Stunde_%1").arg(i);
        const QString text = ini.ReadString(QStringLiteral("Anfangszeiten"), key, QString());
        double value = def;
        if (!text.isEmpty()) {
            const QTime t = QTime::fromString(text.trimmed(), QStringLiteral("H:mm:ss")).isValid()
                                ? QTime::fromString(text.trimmed(), QStringLiteral("H:mm:ss"))
                                : QTime::fromString(text.trimmed(), QStringLiteral("H:mm"));
            if (t.isValid()) value = t.msecsSinceStartOfDay() / 86400000.0;
        }
        optStundenbeginn[size_t(i - 1)] = value;
    }

    deriveHostDatabaseNames();
    SetIndyOptions();
}

void TVeltraplanOptions::deriveHostDatabaseNames() {
    const TStartupValues& sv = StartupValues();
    if (!sv.HasCentralUdl) return;
    const THostDatabaseFunctions& host = HostDatabaseFunctions();
    // The timetable plug-in binds neither host function: then nothing is derived.
    if (!host.KeytabsDir || !host.StatistikIsCentral) return;
    VeltraUrlFilename = sv.HostDir + QStringLiteral("Veltrazentral.udl");
    if (host.StatistikIsCentral())
        StatistikUrlFilename = QStringLiteral("FILE NAME=") + sv.HostDir + QStringLiteral("VelTRAzentral.udl");
    else
        StatistikUrlFilename = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1;Persist Security Info=False")
                                   .arg(host.KeytabsDir() + QDir::separator() + QStringLiteral("statkue.mdb"));
    GroupDir.clear();
    VeltraKeytabsDir = withTrailing(host.KeytabsDir(), QDir::separator());
}

void TVeltraplanOptions::SaveOptions() {
    if (!FIniFile) return;
    IniFile& ini = *FIniFile;
    auto str = [&](const char* s, const char* k, const QString& v) { ini.WriteString(QLatin1String(s), QLatin1String(k), v); };
    auto num = [&](const char* s, const char* k, int v) { ini.WriteInteger(QLatin1String(s), QLatin1String(k), v); };
    auto flag = [&](const char* s, const char* k, bool v) { ini.WriteInteger(QLatin1String(s), QLatin1String(k), v ? 1 : 0); };

    str("DATENQUELLEN", "DATENDSN", VeltraUrlFilename);
    str("DATENQUELLEN", "STATISTIKDSN", StatistikUrlFilename);
    num("SYSTEM", "DB_VERSION", dbVersion);
    num("DEPUTATE", "MINPROZ", MinProz);
    num("DEPUTATE", "MAXPROZ", MaxProz);
    flag("PLAN", "FORCEPOSITION", ForcePosition);
    flag("DEPUTATE", "FACHSORT", FachSort);
    flag("DRUCK", "ABTEILUNGSWEISE", CheckAbteilung);
    str("DRUCK", "SPRSTDCHRS", prChars);
    str("STANDARDFORMULARE", "STANDARDLEHRERPLAN", StandardPlan[0]);
    str("STANDARDFORMULARE", "STANDARDKLASSENPLAN", StandardPlan[1]);
    str("STANDARDFORMULARE", "STANDARDRAUMPLAN", StandardPlan[2]);
    str("STANDARDFORMULARE", "STANDARDVERTRETUNGSPLAN", StandardVertretungsplan);
    str("STANDARDFORMULARE", "WEBVERTRETUNGSPLAN", WebVertretungsplan);
    str("STANDARDFORMULARE", "VERTRETUNGSABRECHNUNG", VertretungsAbrechnung);
    str("SYSTEM", "DATENBASISVERZEICHNIS", optDatenBasis);
    flag("E_MAIL", "SSLVerschluesselung", optSSL);
    num("E_MAIL", "SMTP_Port", optSMTP_Port);
    str("E_MAIL", "SMTP_Server", optServer);
    str("E_MAIL", "Passwort", Codec1252::decode(VigenereEncode(Codec1252::encode(optPasswort))));
    str("E_MAIL", "Username", optUsername);
    str("E_MAIL", "Absender", optAbsender);
    flag("E_MAIL", "Methode", optMapi);
    str("FTP", "Server", optFTPServer);
    str("FTP", "Username", optFTPUser);
    str("FTP", "Passwort", Codec1252::decode(VigenereEncode(Codec1252::encode(optFTPPasswort))));
    str("FTP", "Zielverzeichnis", optFTPDestinationDir);
    num("HTML", "PlanBorderwidth", optPlanBorderWidth);
    num("HTML", "PlanCellspacing", optPlanCellSpacing);
    num("HTML", "KuerzelBorderwidth", optKuerzelBorderWidth);
    num("HTML", "KuerzelCellspacing", optKuerzelCellSpacing);
    num("HTML", "Kuerzelspalten", optKuerzelSpalten);
    str("HTML", "bgcolor", optBGFarbe);
    flag("FTP", "VertretungAnonym", optIstAnonym);
    flag("PLAN", "STARTOHNEDEPUTAT", optPlanOhneDeputat);
    str("SYSTEM", "KOMMENTAR", kommentar);
    str("SCHULE", "SCHULNUMMER", Schulnummer);
    str("SCHULE", "SCHULNAME", SchuleBez1);
    str("SCHULE", "SCHULNAME2", SchuleBez2);
    str("SCHULE", "SCHULNAME3", SchuleBez3);
    str("SCHULE", "SCHULFORM", Schulform);
    num("SCHULE", "TAGEPROWOCHE", TageProWoche);
    num("SCHULE", "STUNDENPROTAG", StundenProTag);
    num("SCHULE", "ERSTESTUNDE", ErsteStd);
    str("SCHULE", "STRASSE", SchuleStrasse);
    str("SCHULE", "PLZORT", SchulePlzOrt);
    str("SCHULE", "TELEFON", SchuleTelefon);
    str("SCHULE", "EMAIL", SchuleEmail);
    num("SCHULE", "SCHULJAHR", SchuleJahr);
    num("SCHULE", "ABSCHNITT", SchuleAbschnitt);
    num("SCHULE", "ANZAHLABSCHNITTE", SchuleAnzahlAbschnitte);
    flag("DRUCK", "DATUMSABFRAGE", DatumsAbfrage);
    str("DRUCK", "LFOOTER", LFooter);
    str("DRUCK", "KFOOTER", KFooter);
    str("DRUCK", "RFOOTER", RFooter);
    flag("PLAN", "SCHIEBRAUM", SchiebRaum);
    flag("PLAN", "SELBSTPOS", selbst);
    num("PLAN", "FELDZAHL", Feldzahl);
    num("PLAN", "SPRSTDKL", OptKlBew);
    num("PLAN", "SPRSTDLE", OptLeBew);
    num("PLAN", "ITERATIONEN", OptIter);
    num("PLAN", "DURCHLAEUFE", OptMaxIter);
    for (int i = 0; i < 7; ++i)
        ini.WriteInteger(QStringLiteral("PLAN"), QStringLiteral("FARBE_%1").arg(i + 1), int(WpColor[size_t(i)]));
    num("PLAN", "FARBE_8", optPlanRahmenColor);
    num("PLAN", "FARBE_9", int(optFixKoppColor));
    flag("PLAN", "AUTOWOCHE", AutoAnzeige);
    flag("PLAN", "ZWEIZEILIG", PlanZweizeilig);
    flag("VERTRETUNG", "ECKSTUNDEFREI", VEckStdFlag);
    flag("VERTRETUNG", "ANFANGSSTUNDEN", VAnfStdFlag);
    flag("VERTRETUNG", "ENDSTUNDEN", VEndStdFlag);
    flag("DEPUTATE", "SORTIERUNG", SortDepu);
    flag("SYSTEM", "EXTERN_DB", LoadExt);
    str("DEPUTATE", "GRUPPIERUNG", KoppFirst ? QStringLiteral("KOPPLUNG_ZUERST") : QStringLiteral("KLASSE_ZUERST"));
    str("SYSTEM", "ADMINDIR", VeltraAdminDir);
    str("SYSTEM", "KEYTABSDIR", VeltraKeytabsDir);
    str("FORMULARE", "Basisverzeichnis", StartupValues().FormsDir);
    flag("AUFSICHT", "ORTVORN", AufsichtOrtVorn);
    str("VERTRETUNG", "FREISTDTEXT", Freistdtext);
    str("VERTRETUNG", "ECKSTDTEXT", Eckstdtext);
    str("VERTRETUNG", "AUFSICHTSTEXT", Aufsichtstext);
    flag("DEPUTATE", "UVSPALTEZUERST", Uvspaltezuerst);
    flag("TEILIMPORT", "ENABLED", Teilimport);
    flag("SYSTEM", "VELTRAUDL", Veltraudl);
    flag("PLAN", "RAUMBELEGEN", Raumbelegen);
    flag("PLAN", "RAHMENCURSOR", RahmenCursor);
    flag("FTP", "Passive", optPassiveFTP);
    str("WEB", "DownloadURL", optDownloadURL);
    str("VERTRETUNG", "StandardVertDir", optStandardVertDir);
    str("VERTRETUNG", "StandardVertFormDir", optDefaultVertretungsplaene);
    flag("SYSTEM", "LETZTEDATEILADEN", optReLoadOnStart);
    flag("SYSTEM", "UpdateCheck", optCheckUpdate);
    flag("SYSTEM", "AUTOEDIT", optAutoEdit);
    num("PLAN", "Planbreite", optPlanbreite);
    num("SYSTEM", "MAXBACKUPS", optBackupZahl);
    str("PLAN", "ZEICHENSATZNAME", optPlanFontName);
    num("PLAN", "ZEICHENSATZGROESSE", optPlanFontSize);
    num("PLAN", "ZEICHENSATZSTYLE", optPlanFontStyles);
    num("SYSTEM", "ZeilenImKuerzelMenu", optZeilenImKuerzelMenu);
    flag("DRUCK", "KursbezStattFach", optKursbezStattFach);
    str("Druck", "Ausgabeverzeichnis", StartupValues().OutputDir);

    ini.EraseSection(QStringLiteral("PLANMERKER"));
    for (int i = 1; i <= 5; ++i)
        ini.WriteString(QStringLiteral("PLANMERKER"), KueNames[size_t(1331 + i)].toString(), MerkerStr[size_t(i)]);
    auto writeList = [&](const char* section, const QStringList& lines) {
        ini.EraseSection(QLatin1String(section));
        for (int i = 0; i < lines.size(); ++i) ini.WriteString(QLatin1String(section), QString::number(i + 1), lines[i]);
    };
    writeList("AUFSICHTSORTE", AufsichtsOrte);
    writeList("AUFSICHTSZEITEN", AufsichtsZeiten);
    for (int i = 1; i <= 20; ++i) {
        const QTime t = QTime::fromMSecsSinceStartOfDay(int(std::llround(optStundenbeginn[size_t(i - 1)] * 86400000.0)) % 86400000);
        ini.WriteString(QStringLiteral("Anfangszeiten"), QStringLiteral("Stunde_%1").arg(i), t.toString(QStringLiteral("HH:mm:ss")));
    }
    num("Anfangszeiten", "Dauer", optStundenDauer);
    if (!FInifilename.isEmpty()) ini.UpdateFile();
}

TSchulDaten TVeltraplanOptions::OptionsToSchuldaten() const {
    TSchulDaten d;
    bool ok = false;
    d.Schulnummer = Schulnummer.trimmed().toInt(&ok);
    if (!ok) d.Schulnummer = 0;
    d.Jahr = SchuleJahr;
    d.Abschnitt = SchuleAbschnitt;
    d.AnzAbschnitte = SchuleAnzahlAbschnitte;
    d.SchulBez1 = SchuleBez1;
    d.SchulBez2 = SchuleBez2;
    d.SchulBez3 = SchuleBez3;
    d.Strasse = SchuleStrasse;
    // Postcode is the first field; the town keeps all of the rest, so that
    // "Bad Homburg" survives the round trip.
    d.Plz = GetField(SchulePlzOrt, QStringLiteral(" "), 1);
    d.Ort = SchulePlzOrt.section(QLatin1Char(' '), 1);
    d.Telefon = SchuleTelefon;
    d.Schulform = Schulform;
    d.EMail = SchuleEmail;
    return d;
}

void TVeltraplanOptions::SchuldatenToOptions(const TSchulDaten& value) {
    Schulnummer = QString::number(value.Schulnummer);
    const int thisYear = now().date().year();
    SchuleJahr = qBound(thisYear - 10, int(value.Jahr), thisYear + 10);
    SchuleAbschnitt = std::min<int>(value.Abschnitt, 4);
    SchuleAnzahlAbschnitte = std::min<int>(value.AnzAbschnitte, 4);
    if (SchuleJahr > thisYear + 2) CurrentSchoolYearSection(SchuleJahr, SchuleAbschnitt);
    SchuleBez1 = value.SchulBez1;
    SchuleBez2 = value.SchulBez2;
    SchuleBez3 = value.SchulBez3;
    SchuleStrasse = value.Strasse;
    SchuleTelefon = value.Telefon;
    Schulform = value.Schulform;
    SchuleEmail = value.EMail;
    SchulePlzOrt = value.Plz + QLatin1Char(' ') + value.Ort;
}

void TVeltraplanOptions::GetIndyOptions() {
    const TIndyOptions& o = IndyOptions();
    optUsername = o.moptUsername;
    optPasswort = o.moptPasswort;
    optServer = o.moptServer;
    optAbsender = o.moptAbsender;
    optSMTP_Port = o.moptSMTP_Port;
    optSSL = o.moptSSL;
    optFTPServer = o.moptFTPServer;
    optFTPUser = o.moptFTPUser;
    optFTPPasswort = o.moptFTPPasswort;
    optFTPDestinationDir = o.moptFTPDestinationDir;
    optEmailTyp = o.moptEmailTyp;
}

void TVeltraplanOptions::SetIndyOptions() {
    TIndyOptions& o = IndyOptions();
    o.moptUsername = optUsername;
    o.moptPasswort = optPasswort;
    o.moptServer = optServer;
    o.moptAbsender = optAbsender;
    o.moptSMTP_Port = uint16_t(optSMTP_Port);
    o.moptSSL = optSSL;
    o.moptFTPServer = optFTPServer;
    o.moptFTPUser = optFTPUser;
    o.moptFTPPasswort = optFTPPasswort;
    o.moptFTPDestinationDir = optFTPDestinationDir;
    o.moptEmailTyp = optEmailTyp;
}
