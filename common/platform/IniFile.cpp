#include "IniFile.h"

#include "Codec1252.h"
#include "Exceptions.h"

#include <QFile>
#include <QLocale>
#include <QSaveFile>
// Text reaches SimpleIni as UTF-8 already; it needs no converter of its own.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

struct IniFile::Impl {
    CSimpleIniA ini{true, false, false};
    Impl() { ini.SetSpaces(false); }
};

namespace {
std::string u8(const QString& s) { return s.toStdString(); }
QString q8(const char* s) { return s ? QString::fromUtf8(s) : QString(); }
}  // namespace

IniFile::IniFile(const QString& fileName) : d(std::make_unique<Impl>()), FFileName(fileName) {
    if (fileName.isEmpty()) return;
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) return;
    QByteArray raw = f.readAll();
    // A UTF-8 byte-order mark marks a UTF-8 file; everything else is the ANSI code page.
    const QString text = raw.startsWith("\xEF\xBB\xBF") ? QString::fromUtf8(raw.mid(3)) : Codec1252::decode(raw);
    SetText(text);
}

IniFile::~IniFile() = default;

QString IniFile::ReadString(const QString& section, const QString& ident, const QString& def) const {
    const char* v = d->ini.GetValue(u8(section).c_str(), u8(ident).c_str(), nullptr);
    return v ? QString::fromUtf8(v) : def;
}

void IniFile::WriteString(const QString& section, const QString& ident, const QString& value) {
    d->ini.SetValue(u8(section).c_str(), u8(ident).c_str(), u8(value).c_str());
}

int IniFile::ReadInteger(const QString& section, const QString& ident, int def) const {
    QString s = ReadString(section, ident, QString()).trimmed();
    bool ok = false;
    int v = 0;
    if (s.startsWith(QLatin1Char('$'))) v = s.mid(1).toInt(&ok, 16);
    else if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) v = s.mid(2).toInt(&ok, 16);
    else v = s.toInt(&ok, 10);
    return ok ? v : def;
}

void IniFile::WriteInteger(const QString& section, const QString& ident, int value) {
    WriteString(section, ident, QString::number(value));
}

bool IniFile::ReadBool(const QString& section, const QString& ident, bool def) const {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void IniFile::WriteBool(const QString& section, const QString& ident, bool value) {
    WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

double IniFile::ReadFloat(const QString& section, const QString& ident, double def) const {
    const QString s = ReadString(section, ident, QString()).trimmed();
    bool ok = false;
    const double v = QLocale(QLocale::German, QLocale::Germany).toDouble(s, &ok);
    if (ok) return v;
    const double c = s.toDouble(&ok);
    return ok ? c : def;
}

void IniFile::WriteFloat(const QString& section, const QString& ident, double value) {
    WriteString(section, ident, QLocale(QLocale::German, QLocale::Germany).toString(value, 'g', 15).remove(QLatin1Char('.')));
}

bool IniFile::SectionExists(const QString& section) const {
    return d->ini.GetSection(u8(section).c_str()) != nullptr;
}

bool IniFile::ValueExists(const QString& section, const QString& ident) const {
    return d->ini.GetValue(u8(section).c_str(), u8(ident).c_str(), nullptr) != nullptr;
}

QStringList IniFile::ReadSections() const {
    CSimpleIniA::TNamesDepend names;
    d->ini.GetAllSections(names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList out;
    for (const auto& e : names) out << q8(e.pItem);
    return out;
}

QStringList IniFile::ReadSection(const QString& section) const {
    CSimpleIniA::TNamesDepend names;
    d->ini.GetAllKeys(u8(section).c_str(), names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList out;
    for (const auto& e : names) out << q8(e.pItem);
    return out;
}

QStringList IniFile::ReadSectionValues(const QString& section) const {
    QStringList out;
    for (const QString& key : ReadSection(section))
        out << key + QLatin1Char('=') + ReadString(section, key, QString());
    return out;
}

void IniFile::EraseSection(const QString& section) { d->ini.Delete(u8(section).c_str(), nullptr); }

void IniFile::DeleteKey(const QString& section, const QString& ident) {
    d->ini.Delete(u8(section).c_str(), u8(ident).c_str());
}

void IniFile::Clear() { d->ini.Reset(); }

QStringList IniFile::GetStrings() const {
    QStringList lines;
    for (const QString& section : ReadSections()) {
        lines << QLatin1Char('[') + section + QLatin1Char(']');
        lines << ReadSectionValues(section);
    }
    return lines;
}

QString IniFile::Text() const {
    QString text;
    for (const QString& line : GetStrings()) text += line + QStringLiteral("\r\n");
    return text;
}

void IniFile::SetStrings(const QStringList& lines) { SetText(lines.join(QStringLiteral("\r\n"))); }

void IniFile::SetText(const QString& text) {
    d->ini.Reset();
    const std::string s = u8(text);
    d->ini.LoadData(s.data(), s.size());
}

void IniFile::UpdateFile() const {
    if (FFileName.isEmpty()) return;
    QSaveFile out(FFileName);
    if (!out.open(QIODevice::WriteOnly) || out.write(Codec1252::encode(Text())) < 0 || !out.commit())
        throw EInOutError(QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2").arg(FFileName, out.errorString()));
}
