#include "kvStrUtils.h"

#include "Codec1252.h"
#include "Exceptions.h"
#include "FormatSettings.h"
#include "SysUtils.h"

#include <QDateTime>
#include <QFileInfo>
#include <QIODevice>
#include <QtEndian>
#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

#include <type_traits>

TStringListEx::TStringListEx(const QString& aUsername)
    : Username(aUsername.isEmpty() ? QStringLiteral("TStringListEx") : aUsername) {}

int TStringListEx::IndexOfValue(const QString& aValue) const {
    // Compared in place: the grade conversions call this for every grid cell.
    const QStringList& l = List();
    for (int i = 0; i < l.size(); ++i) {
        const QString& s = l.at(i);
        const qsizetype p = s.indexOf(NameValueSeparator);
        if (p < 0 ? aValue.isEmpty() : QStringView(s).mid(p + 1) == aValue) return i;
    }
    return -1;
}

QString TStringListEx::GetNameValues(const QString& aValue) const {
    const int i = IndexOfValue(aValue);
    return i < 0 ? QString() : Names(i);
}

void TStringListEx::SetNameValues(const QString& aValue, const QString& Value) {
    if (aValue.isEmpty()) return;
    const QString entry = Value + NameValueSeparator + aValue;
    const int i = IndexOfValue(aValue);
    if (i < 0) Add(entry);
    else SetStrings(i, entry);
}

void TStringListEx::Append(const TStringList& aListe) { SetText(Text() + aListe.Text()); }

QString TStringListEx::LeftText(const QString& aDelimiter) const {
    const QString text = Text();
    if (aDelimiter.isEmpty() || !text.contains(aDelimiter)) return {};
    return text.left(text.indexOf(aDelimiter));
}

QString TStringListEx::RightText(const QString& aDelimiter) const {
    const QString text = Text();
    if (aDelimiter.isEmpty() || !text.contains(aDelimiter)) return {};
    const qsizetype start = text.indexOf(aDelimiter) + aDelimiter.size();
    const qsizetype end = text.indexOf(aDelimiter, start);
    return end < 0 ? text.mid(start) : text.mid(start, end - start);
}

void TStringListEx::ReadFromFile(const QString& aFilename, QuaZip* aZipFile) {
    if (!aZipFile) {
        LoadFromFile(aFilename);
        return;
    }
    const QString entry = QFileInfo(aFilename).fileName();
    if (!aZipFile->setCurrentFile(entry, QuaZip::csSensitive)) return;  // not in the archive: list unchanged
    QuaZipFile file(aZipFile);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Der Eintrag %1 kann nicht gelesen werden (Fehler %2)").arg(entry).arg(file.getZipError()));
    const QByteArray bytes = file.readAll();
    file.close();
    if (file.getZipError() != UNZ_OK)
        throw EInOutError(QStringLiteral("Der Eintrag %1 ist beschädigt (Fehler %2)").arg(entry).arg(file.getZipError()));
    LoadFromBytes(bytes);
}

void TStringListEx::WriteToFile(const QString& aFilename, QuaZip* aZipFile) const {
    if (!aZipFile) {
        SaveToFile(aFilename);
        return;
    }
    const QString entry = QFileInfo(aFilename).fileName();
    QuaZipFile file(aZipFile);
    QuaZipNewInfo info(entry);
    info.dateTime = QDateTime::currentDateTime();
    const QByteArray bytes = SaveToBytes();
    if (!file.open(QIODevice::WriteOnly, info, nullptr, 0, Z_DEFLATED, Z_DEFAULT_COMPRESSION) ||
        file.write(bytes) != bytes.size()) {
        throw EInOutError(QStringLiteral("Der Eintrag %1 kann nicht ins Archiv geschrieben werden (Fehler %2)")
                              .arg(entry).arg(file.getZipError()));
    }
    file.close();
    if (file.getZipError() != ZIP_OK)
        throw EInOutError(QStringLiteral("Der Eintrag %1 kann nicht ins Archiv geschrieben werden (Fehler %2)")
                              .arg(entry).arg(file.getZipError()));
}

void TStringListEx::ReadFromStream(QIODevice& aStream) {
    const QString user = ReadStreamString(aStream);
    const QString text = ReadStreamString(aStream);
    Username = user;
    SetText(text);
}

void TStringListEx::WriteToStream(QIODevice& aStream) const {
    WriteStreamString(aStream, Username);
    WriteStreamString(aStream, Text());
}

namespace {
int gTokenPos = 1;  // shared by FirstToken/NextToken, process-wide as the callers expect
}

QString ExtractToken(const QString& aText, int& aPos, QChar aSeparator) {
    if (aPos < 1 || aPos > aText.size()) return {};
    const qsizetype start = aPos - 1;
    qsizetype p = aText.indexOf(aSeparator, start);
    if (p < 0) p = aText.size();
    aPos = int(p) + 2;
    return aText.mid(start, p - start);
}

QString FirstToken(const QString& aText, QChar aSeparator) {
    gTokenPos = 1;
    return ExtractToken(aText, gTokenPos, aSeparator);
}

QString NextToken(const QString& aText, QChar aSeparator) { return ExtractToken(aText, gTokenPos, aSeparator); }

QString GetField(const QString& aText, const QString& aSeparator, int aField) {
    QString copy = aText;
    if (copy.isEmpty() || aField < 1 || aSeparator.isEmpty()) return {};
    if (QString(copy.back()) != aSeparator) copy += aSeparator;
    for (int pass = 1; !copy.isEmpty(); ++pass) {
        const qsizetype p = copy.indexOf(aSeparator);
        if (p < 0) break;
        const QString field = copy.left(p);
        copy.remove(0, p + 1);
        if (pass == aField) return field;
    }
    return {};
}

// ---- RTF ------------------------------------------------------------------

namespace {

class RtfReader {
public:
    explicit RtfReader(const QString& text) : s(text) {}

    QString document() {
        const qsizetype start = s.indexOf(QLatin1Char('{'));
        if (start < 0) return {};
        i = start;
        return group();
    }

private:
    QChar at(qsizetype k) const { return k < s.size() ? s.at(k) : QChar(); }
    static bool isLower(QChar c) { return c >= QLatin1Char('a') && c <= QLatin1Char('z'); }
    static bool isLetter(QChar c) { return isLower(c) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')); }
    static bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
    static bool endsText(QChar c) { return c == QLatin1Char('\\') || c == QLatin1Char('{') || c == QLatin1Char('}'); }

    // i stands on "{"; reads to the matching "}" and moves past it.
    QString group() {
        QString out;
        ++i;
        while (i < s.size()) {
            const QChar c = s.at(i);
            if (c == QLatin1Char('{')) {
                out += group();
            } else if (c == QLatin1Char('}')) {
                ++i;
                return out;
            } else if (c == QLatin1Char('\\')) {
                controlSequence(out);
            } else {
                out += c;
                ++i;
            }
        }
        return out;
    }

    void controlSequence(QString& out) {
        const QChar n = at(i + 1);
        if (n == QLatin1Char('\'')) {
            bool ok = false;
            const QString hex = s.mid(i + 2, 2);
            const int code = hex.size() == 2 && isHex(hex) ? hex.toInt(&ok, 16) : -1;
            if (!ok) throw EConvertError(QStringLiteral("'%1' ist kein gültiger Hexadezimalwert").arg(hex));
            out += QChar(code);
            i += 4;
        } else if (n == QLatin1Char('*')) {
            // Skip the rest of this destination; stop on its closing brace.
            qsizetype k = i + 2;
            int depth = 1;
            bool escaped = false;
            while (k < s.size()) {
                const QChar c = s.at(k);
                if (c == QLatin1Char('\\')) escaped = !escaped;
                else {
                    if (!escaped && c == QLatin1Char('{')) ++depth;
                    else if (!escaped && c == QLatin1Char('}') && --depth == 0) break;
                    escaped = false;
                }
                ++k;
            }
            i = k;
        } else if (n == QLatin1Char('~')) {
            out += QLatin1Char(' ');
            i += 2;
        } else if (isLetter(n)) {
            controlWord(out);
        } else if (n.isNull()) {
            i += 1;
        } else {
            out += n;
            i += 2;
        }
    }

    static bool isHex(const QString& h) {
        for (QChar c : h)
            if (!(isDigit(c) || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f')))) return false;
        return true;
    }

    void controlWord(QString& out) {
        ++i;  // the backslash; the first letter may be upper case
        QString name(s.at(i++));
        while (i < s.size() && isLower(s.at(i))) name += s.at(i++);
        QString param;
        if (at(i) == QLatin1Char('-')) param += s.at(i++);
        while (i < s.size() && isDigit(s.at(i))) param += s.at(i++);
        if (at(i) == QLatin1Char('{')) group();  // destination group: dropped
        QString trailing;
        bool hasTrailing = false;
        if (i < s.size() && !endsText(s.at(i)) && !isLower(s.at(i))) {
            ++i;  // the delimiter
            const qsizetype start = i;
            while (i < s.size() && !endsText(s.at(i))) ++i;
            trailing = s.mid(start, i - start);
            hasTrailing = true;
        }
        name = name.toLower();
        if (name == QLatin1String("line") || name == QLatin1String("par")) out += QStringLiteral("\r\n");
        else if (name == QLatin1String("tab")) out += QLatin1Char('\t');
        else if (name == QLatin1String("u")) {
            bool ok = false;
            const int v = param.toInt(&ok);
            out += ok && v >= 1040 && v <= 1103 ? QChar(0xC0 + (v - 1040)) : QChar(QLatin1Char('?'));
        } else if (name == QLatin1String("colortbl")) {
            hasTrailing = false;
        }
        if (hasTrailing && !trailing.isEmpty() &&
            !(trailing.back() == QLatin1Char(';') && at(i) == QLatin1Char('}')))
            out += trailing;
    }

    const QString& s;
    qsizetype i = 0;
};

// Real documents nest a few dozen groups; deeper nesting is refused so that the
// recursive reader cannot exhaust the stack on hostile input.
constexpr int kMaxRtfDepth = 512;

// Step 1: line ends out, braces balanced; null when the text is not clean RTF.
bool cleanRtf(const QString& in, QString& out) {
    out.reserve(in.size());
    int depth = 0;
    bool escaped = false;
    for (qsizetype k = 0; k < in.size(); ++k) {
        QChar c = in.at(k);
        if (c == QLatin1Char('\r')) {
            out += QLatin1Char(' ');
            ++k;  // the character after CR (normally its LF) goes too
            continue;
        }
        if (c == QLatin1Char('\n')) continue;
        out += c;
        if (c == QLatin1Char('\\')) {
            escaped = true;
            continue;
        }
        if (!escaped) {
            if (c == QLatin1Char('{') && ++depth > kMaxRtfDepth) return false;
            else if (c == QLatin1Char('}') && --depth < 0) return false;
        }
        escaped = false;
    }
    return depth == 0;
}

}  // namespace

QString RtfToText(const QString& aRtf) {
    if (!aRtf.startsWith(QLatin1String("{\\rtf"))) return aRtf;
    QString work;
    if (!cleanRtf(aRtf, work)) return aRtf;
    return RtfReader(work).document();
}

// ---- stream strings ---------------------------------------------------------

namespace {
qint64 remaining(QIODevice& s) {
    return s.isSequential() ? s.bytesAvailable() : s.size() - s.pos();
}
}  // namespace

QString ReadStreamString(QIODevice& aStream, int aMaxLen) {
    char buf[4];
    if (aStream.read(buf, 4) != 4)
        throw EReadError(QStringLiteral("Fehler beim Lesen aus dem Datenstrom: Zeichenanzahl fehlt"));
    const qint32 count = qFromLittleEndian<qint32>(buf);
    // The stored count is outside input: never allocate or read past what is there.
    if (count < 0 || qint64(count) * 2 > remaining(aStream))
        throw EReadError(QStringLiteral("Ungültige Zeichenanzahl %1 im Datenstrom").arg(count));
    const int take = aMaxLen > 0 && count > aMaxLen ? aMaxLen : count;
    const QByteArray bytes = aStream.read(qint64(take) * 2);
    if (bytes.size() != qint64(take) * 2)
        throw EReadError(QStringLiteral("Fehler beim Lesen aus dem Datenstrom: Zeichen fehlen"));
    QString out(take, Qt::Uninitialized);
    for (int k = 0; k < take; ++k) out[k] = QChar(qFromLittleEndian<quint16>(bytes.constData() + 2 * k));
    return Trim(out);
}

void WriteStreamString(QIODevice& aStream, const QString& aText) {
    QByteArray bytes(4 + aText.size() * 2, Qt::Uninitialized);
    qToLittleEndian<qint32>(qint32(aText.size()), bytes.data());
    for (qsizetype k = 0; k < aText.size(); ++k) qToLittleEndian<quint16>(aText.at(k).unicode(), bytes.data() + 4 + 2 * k);
    if (aStream.write(bytes) != bytes.size())
        throw EInOutError(QStringLiteral("Fehler beim Schreiben in den Datenstrom: %1").arg(aStream.errorString()));
}

namespace {
// Trim as SysUtils does it (blanks and control characters), without a copy.
QStringView trimmedView(QStringView s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s[b].unicode() <= ' ') ++b;
    while (e > b && s[e - 1].unicode() <= ' ') --e;
    return s.sliced(b, e - b);
}

// Decimal digits of an integer into buf (at least 21 characters); the text's view.
template <typename Int>
QStringView integerView(Int value, char16_t* buf, qsizetype size) {
    char16_t* end = buf + size;
    char16_t* p = end;
    const bool negative = value < 0;
    // Negated in the unsigned type, so the smallest value has a magnitude too.
    auto magnitude = negative ? 0 - std::make_unsigned_t<Int>(value) : std::make_unsigned_t<Int>(value);
    do {
        *--p = char16_t(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) *--p = u'-';
    return QStringView(p, end - p);
}
}  // namespace

void WriteField(TTextFile& aFile, const QVariant& aValue, bool aLastField) {
    // The common types are written straight from the value; the file encodes
    // into its own buffer, so a field costs no temporary strings.
    char16_t digits[24];
    if (aValue.isNull() || !aValue.isValid()) {
        // nothing but the separator
    } else {
        switch (aValue.userType()) {
        case QMetaType::QString:
            aFile.Write(trimmedView(*static_cast<const QString*>(aValue.constData())));
            break;
        case QMetaType::Int:
            aFile.Write(integerView(*static_cast<const int*>(aValue.constData()), digits, 24));
            break;
        case QMetaType::LongLong:
            aFile.Write(integerView(*static_cast<const qlonglong*>(aValue.constData()), digits, 24));
            break;
        case QMetaType::UInt:
            aFile.Write(integerView(*static_cast<const uint*>(aValue.constData()), digits, 24));
            break;
        case QMetaType::ULongLong:
            aFile.Write(integerView(*static_cast<const qulonglong*>(aValue.constData()), digits, 24));
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            aFile.Write(FloatToStr(aValue.toDouble()));
            break;
        case QMetaType::Bool:
            aFile.Write(BoolToStr(aValue.toBool()));
            break;
        case QMetaType::QDate:
            aFile.Write(aValue.toDate().toString(FormatSettings().ShortDateFormat));
            break;
        case QMetaType::QDateTime: {
            const QDateTime dt = aValue.toDateTime();
            aFile.Write(dt.date().toString(FormatSettings().ShortDateFormat));
            if (dt.time() != QTime(0, 0)) {
                aFile.Write(QLatin1Char(' '));
                aFile.Write(dt.time().toString(FormatSettings().LongTimeFormat));
            }
            break;
        }
        default:
            aFile.Write(aValue.toString());
        }
    }
    if (aLastField) aFile.WriteLn();
    else aFile.Write(FormatSettings().ListSeparator);
}
