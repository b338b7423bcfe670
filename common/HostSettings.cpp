#include "HostSettings.h"

#include "Codec1252.h"
#include "Exceptions.h"
#include "IniFile.h"
#include "Registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
THostSettings gSettings;

// Any 13 characters do; changing them makes stored passwords unreadable.
constexpr char kScrambleKey[] = "Vt9#kLq2Zr7xW";
static_assert(sizeof(kScrambleKey) - 1 == 13);

constexpr char kPasswordKey[] = "\\Software\\VelTRA2000";
constexpr char kPasswordValue[] = "DBPWD";
constexpr char kDefaultPassword[] = "mirtol";

QString withSlash(const QString& dir) {
    if (dir.isEmpty()) return dir;
    QString d = QDir::fromNativeSeparators(dir);
    return d.endsWith(QLatin1Char('/')) ? d : d + QLatin1Char('/');
}

QString hostDirectory() {
    QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    if (dir.isEmpty()) dir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    return withSlash(dir);
}

QString adminDirFromIni(const QString& hostDir) {
    const IniFile ini(hostDir + QStringLiteral("Admin.ini"));
    return withSlash(ini.ReadString(QStringLiteral("Administration"), QStringLiteral("AdminDir"), QString()));
}
}  // namespace

const THostSettings& HostSettings() { return gSettings; }

QString JetConnectionString(const QString& aFile) {
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;") + QStringLiteral("Data Source=%1;").arg(aFile) +
           QStringLiteral("Persist Security Info=False;");
}

QString ScrambleText(const QString& aText) {
    QByteArray bytes = Codec1252::encode(aText).left(255);
    // Beyond 13 characters the key repeats, so long passwords still round-trip.
    for (qsizetype i = 0; i < bytes.size(); ++i) bytes[i] = char(uchar(bytes[i]) ^ uchar(kScrambleKey[i % 13]));
    return Codec1252::decode(bytes);
}

QString GetDBPassword() {
    TRegistry reg;
    reg.RootKey = HKEY_CURRENT_USER;
    if (!reg.OpenKey(QString::fromLatin1(kPasswordKey), true)) return {};
    QString value;
    try {
        value = reg.ReadString(QString::fromLatin1(kPasswordValue));
    } catch (const ERegistryException&) {
        value.clear();
    }
    if (value.isEmpty()) {
        value = ScrambleText(QString::fromLatin1(kDefaultPassword));
        reg.WriteString(QString::fromLatin1(kPasswordValue), value);
    }
    return ScrambleText(value);
}

void InitHostSettings() {
    THostSettings s;
    s.HostDir = hostDirectory();
    const QString adminDir = adminDirFromIni(s.HostDir);
    s.AdminDir = adminDir.isEmpty() ? s.HostDir : adminDir;
    QString docs = withSlash(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    if (docs.isEmpty()) {
        const QString again = adminDirFromIni(s.HostDir);
        docs = again.isEmpty() ? s.HostDir : again;
    }
    s.DataDir = docs;
    s.ReportRegBase = QStringLiteral("Software\\") + QCoreApplication::applicationName() + QStringLiteral("\\Reporting_Neu\\");
    s.ReportsConn = JetConnectionString(s.DataDir + QStringLiteral("keytabs/reports.mdb"));
    s.ImpExpConn = JetConnectionString(s.AdminDir + QStringLiteral("keytabs/impexp.mdb"));
    s.StatKueConn = JetConnectionString(s.AdminDir + QStringLiteral("keytabs/statkue.mdb"));
    gSettings = s;
    gSettings.InternConn = JetConnectionString(s.AdminDir + QStringLiteral("keytabs/veltraintern.mdb")) +
                           QStringLiteral("Jet OLEDB:Database Password=") + GetDBPassword();
}

void FinalizeHostSettings() { gSettings = THostSettings{}; }
