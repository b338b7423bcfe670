#include "GridConversions.h"

#include "FormatSettings.h"

#include <QLocale>
#include <QStringList>
#include <cmath>

namespace gridconv {

namespace {

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Reads an unsigned run of digits at pos; returns false when there is none.
bool readNumber(const QString& s, int& pos, int& value, int& digits) {
    value = 0;
    digits = 0;
    while (pos < s.size() && isDigit(s[pos])) {
        if (digits < 9) value = value * 10 + s[pos].digitValue();
        ++digits;
        ++pos;
    }
    return digits > 0;
}

}  // namespace

bool TryStrToFloat(const QString& text, double& value) {
    const QString s = text.trimmed();
    if (s.isEmpty()) return false;
    const QChar dec = FormatSettings().DecimalSeparator;
    // Validate the shape ourselves: sign, digits, one decimal separator, exponent.
    int i = 0;
    if (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-')) ++i;
    int mantissaDigits = 0;
    while (i < s.size() && isDigit(s[i])) { ++i; ++mantissaDigits; }
    if (i < s.size() && s[i] == dec) {
        ++i;
        while (i < s.size() && isDigit(s[i])) { ++i; ++mantissaDigits; }
    }
    if (mantissaDigits == 0) return false;
    if (i < s.size() && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        ++i;
        if (i < s.size() && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) ++i;
        int expDigits = 0;
        while (i < s.size() && isDigit(s[i])) { ++i; ++expDigits; }
        if (expDigits == 0) return false;
    }
    if (i != s.size()) return false;
    QString c = s;
    c.replace(dec, QLatin1Char('.'));
    bool ok = false;
    const double v = c.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return false;
    value = v;
    return true;
}

QString FloatToStr(double value) {
    if (value == 0) return QStringLiteral("0");
    QString s = QString::number(value, 'g', 15);
    const QChar dec = FormatSettings().DecimalSeparator;
    const int e = s.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        QString mant = s.left(e);
        QString exp = s.mid(e + 1);
        QString sign;
        if (exp.startsWith(QLatin1Char('-'))) sign = QStringLiteral("-");
        exp.remove(QLatin1Char('+')).remove(QLatin1Char('-'));
        while (exp.size() > 1 && exp.startsWith(QLatin1Char('0'))) exp.remove(0, 1);
        s = mant + QStringLiteral("E") + sign + exp;
    }
    s.replace(QLatin1Char('.'), dec);
    return s;
}

bool TryStrToInt(const QString& text, int& value) {
    QString s = text;
    int i = 0;
    while (i < s.size() && s[i] == QLatin1Char(' ')) ++i;
    s = s.mid(i);
    if (s.isEmpty()) return false;
    int j = 0;
    if (s[0] == QLatin1Char('+') || s[0] == QLatin1Char('-')) j = 1;
    if (j >= s.size()) return false;
    for (int k = j; k < s.size(); ++k)
        if (!isDigit(s[k])) return false;
    bool ok = false;
    const qlonglong v = s.toLongLong(&ok);
    if (!ok || v < INT_MIN || v > INT_MAX) return false;
    value = int(v);
    return true;
}

bool TryStrToDate(const QString& text, QDate& value) {
    const QString s = text.trimmed();
    const QChar sep = FormatSettings().DateSeparator;
    int pos = 0;
    int parts[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int n = 0;
    while (n < 3) {
        if (!readNumber(s, pos, parts[n], digits[n])) return false;
        ++n;
        if (pos >= s.size()) break;
        if (s[pos] != sep) return false;
        ++pos;
        if (pos >= s.size()) break;  // "1.2." is day and month
    }
    if (pos != s.size() || n < 2) return false;
    const int thisYear = QDate::currentDate().year();
    int year = thisYear;
    if (n == 3) {
        year = parts[2];
        if (digits[2] <= 2) {
            // Century window of 50 years before today.
            const int centuryBase = thisYear - 50;
            year += centuryBase / 100 * 100;
            if (year < centuryBase) year += 100;
        }
    }
    const QDate d(year, parts[1], parts[0]);
    if (!d.isValid() || digits[0] > 2 || digits[1] > 2) return false;
    value = d;
    return true;
}

bool TryStrToDateTime(const QString& text, QDateTime& value) {
    const QString s = text.trimmed();
    const int blank = s.indexOf(QLatin1Char(' '));
    QDate d;
    if (blank < 0) {
        if (!TryStrToDate(s, d)) return false;
        value = QDateTime(d, QTime(0, 0));
        return true;
    }
    if (!TryStrToDate(s.left(blank), d)) return false;
    const QStringList t = s.mid(blank + 1).trimmed().split(FormatSettings().TimeSeparator);
    if (t.size() < 2 || t.size() > 3) return false;
    int hms[3] = {0, 0, 0};
    for (int i = 0; i < t.size(); ++i) {
        bool ok = false;
        hms[i] = t[i].toInt(&ok);
        if (!ok || t[i].isEmpty() || t[i].size() > 2) return false;
    }
    const QTime tm(hms[0], hms[1], hms[2]);
    if (!tm.isValid()) return false;
    value = QDateTime(d, tm);
    return true;
}

QString DateToStr(const QDate& date) { return date.toString(FormatSettings().ShortDateFormat); }

namespace {

// Splits a mask into its sections at ";" outside quotes.
QStringList maskSections(const QString& mask) {
    QStringList out;
    QString cur;
    QChar quote;
    for (const QChar c : mask) {
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char(';')) {
            out << cur;
            cur.clear();
            continue;
        }
        cur += c;
    }
    out << cur;
    return out;
}

QString formatSection(const QString& section, double absValue) {
    // Analyse the digit places.
    int minInt = 0, minDec = 0, maxDec = 0;
    bool thousands = false, inDecimals = false;
    int first = -1, last = -1;
    QChar quote;
    for (int i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (!quote.isNull()) { if (c == quote) quote = QChar(); continue; }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) { quote = c; continue; }
        if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (first < 0) first = i;
            last = i;
            if (inDecimals) { ++maxDec; if (c == QLatin1Char('0')) minDec = maxDec; }
            else if (c == QLatin1Char('0')) ++minInt;
        } else if (c == QLatin1Char('.')) {
            if (first < 0) first = i;
            last = i;
            inDecimals = true;
        } else if (c == QLatin1Char(',') && first >= 0) {
            thousands = true;
        }
    }
    const TFormatSettings& fs = FormatSettings();
    auto literal = [](const QString& part) {
        QString out;
        QChar q;
        for (const QChar c : part) {
            if (!q.isNull()) { if (c == q) q = QChar(); else out += c; continue; }
            if (c == QLatin1Char('"') || c == QLatin1Char('\'')) { q = c; continue; }
            if (c == QLatin1Char(',')) continue;
            out += c;
        }
        return out;
    };
    if (first < 0) return literal(section);

    QString digits = QString::number(absValue, 'f', maxDec);
    QString intPart = digits.section(QLatin1Char('.'), 0, 0);
    QString decPart = maxDec > 0 ? digits.section(QLatin1Char('.'), 1, 1) : QString();
    while (decPart.size() > minDec && decPart.endsWith(QLatin1Char('0'))) decPart.chop(1);
    if (intPart == QLatin1String("0") && minInt == 0) intPart.clear();
    while (intPart.size() < minInt) intPart.prepend(QLatin1Char('0'));
    if (thousands) {
        for (int i = intPart.size() - 3; i > 0; i -= 3) intPart.insert(i, fs.ThousandSeparator);
    }
    QString number = intPart;
    if (!decPart.isEmpty()) number += fs.DecimalSeparator + decPart;
    if (number.isEmpty()) number = QStringLiteral("0");
    return literal(section.left(first)) + number + literal(section.mid(last + 1));
}

}  // namespace

QString FormatFloat(const QString& mask, double value) {
    if (mask.isEmpty()) return FloatToStr(value);
    const QStringList sections = maskSections(mask);
    if (value < 0 && sections.size() >= 2 && !sections[1].isEmpty()) return formatSection(sections[1], -value);
    if (value == 0 && sections.size() >= 3 && !sections[2].isEmpty()) return formatSection(sections[2], 0);
    const QString text = formatSection(sections[0], std::fabs(value));
    if (value < 0) {
        // No sign for a value that rounds to zero.
        bool nonZero = false;
        for (const QChar c : text) if (c >= QLatin1Char('1') && c <= QLatin1Char('9')) nonZero = true;
        if (nonZero) return QStringLiteral("-") + text;
    }
    return text;
}

QString FormatDateTime(const QString& mask, const QDateTime& value) {
    const TFormatSettings& fs = FormatSettings();
    const QDate d = value.date();
    const QTime t = value.time();
    QString out;
    bool lastWasHour = false;
    int i = 0;
    auto run = [&](QChar c) {
        int n = 0;
        while (i + n < mask.size() && mask[i + n].toLower() == c) ++n;
        return n;
    };
    while (i < mask.size()) {
        const QChar c = mask[i];
        const QChar lc = c.toLower();
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const int end = mask.indexOf(c, i + 1);
            out += mask.mid(i + 1, end < 0 ? -1 : end - i - 1);
            i = end < 0 ? int(mask.size()) : end + 1;
            continue;
        }
        if (lc == QLatin1Char('d')) {
            const int n = run(lc);
            if (n == 1) out += QString::number(d.day());
            else if (n == 2) out += QStringLiteral("%1").arg(d.day(), 2, 10, QLatin1Char('0'));
            else if (n == 3) out += fs.ShortDayNames.value(d.dayOfWeek() - 1);
            else if (n == 4) out += fs.LongDayNames.value(d.dayOfWeek() - 1);
            else out += d.toString(n == 5 ? fs.ShortDateFormat : fs.LongDateFormat);
            i += n;
            lastWasHour = false;
        } else if (lc == QLatin1Char('m')) {
            const int n = run(lc);
            if (lastWasHour && n <= 2) {
                out += n == 1 ? QString::number(t.minute()) : QStringLiteral("%1").arg(t.minute(), 2, 10, QLatin1Char('0'));
            } else if (n == 1) out += QString::number(d.month());
            else if (n == 2) out += QStringLiteral("%1").arg(d.month(), 2, 10, QLatin1Char('0'));
            else if (n == 3) out += fs.ShortMonthNames.value(d.month() - 1);
            else out += fs.LongMonthNames.value(d.month() - 1);
            i += n;
            lastWasHour = false;
        } else if (lc == QLatin1Char('y')) {
            const int n = run(lc);
            out += n <= 2 ? QStringLiteral("%1").arg(d.year() % 100, 2, 10, QLatin1Char('0')) : QString::number(d.year());
            i += n;
            lastWasHour = false;
        } else if (lc == QLatin1Char('h') || lc == QLatin1Char('n') || lc == QLatin1Char('s')) {
            const int n = run(lc);
            const int v = lc == QLatin1Char('h') ? t.hour() : lc == QLatin1Char('n') ? t.minute() : t.second();
            out += n == 1 ? QString::number(v) : QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
            i += n;
            lastWasHour = lc == QLatin1Char('h');
        } else if (lc == QLatin1Char('z')) {
            const int n = run(lc);
            out += n >= 3 ? QStringLiteral("%1").arg(t.msec(), 3, 10, QLatin1Char('0')) : QString::number(t.msec());
            i += n;
        } else if (c == QLatin1Char('/')) {
            out += fs.DateSeparator;
            ++i;
        } else if (c == QLatin1Char(':')) {
            out += fs.TimeSeparator;
            ++i;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

}  // namespace gridconv
