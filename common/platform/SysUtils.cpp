#include "SysUtils.h"

#include "Exceptions.h"

#include <limits>

QString Trim(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s.at(b).unicode() <= ' ') ++b;
    while (e > b && s.at(e - 1).unicode() <= ' ') --e;
    return s.mid(b, e - b);
}

QString TrimLeft(const QString& s) {
    qsizetype b = 0;
    while (b < s.size() && s.at(b).unicode() <= ' ') ++b;
    return s.mid(b);
}

QString TrimRight(const QString& s) {
    qsizetype e = s.size();
    while (e > 0 && s.at(e - 1).unicode() <= ' ') --e;
    return s.left(e);
}

bool TryStrToInt(const QString& s, int& value) {
    qsizetype i = 0;
    while (i < s.size() && s.at(i) == QLatin1Char(' ')) ++i;
    bool neg = false;
    if (i < s.size() && (s.at(i) == QLatin1Char('-') || s.at(i) == QLatin1Char('+'))) neg = s.at(i++) == QLatin1Char('-');
    int base = 10;
    if (i < s.size() && s.at(i) == QLatin1Char('$')) {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s.at(i) == QLatin1Char('0') && (s.at(i + 1) == QLatin1Char('x') || s.at(i + 1) == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return false;
    qint64 v = 0;
    for (; i < s.size(); ++i) {
        const int d = s.at(i).isDigit() && s.at(i).unicode() < 128 ? s.at(i).unicode() - '0'
                      : base == 16 && QStringLiteral("abcdefABCDEF").contains(s.at(i)) ? s.at(i).toLower().unicode() - 'a' + 10
                                                                                       : -1;
        if (d < 0) return false;
        v = v * base + d;
        if (v > qint64(std::numeric_limits<int>::max()) + 1) return false;
    }
    if (neg) v = -v;
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min()) return false;
    value = int(v);
    return true;
}

int StrToInt(const QString& s) {
    int v = 0;
    if (!TryStrToInt(s, v)) throw EConvertError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(s));
    return v;
}

int StrToIntDef(const QString& s, int def) {
    int v = 0;
    return TryStrToInt(s, v) ? v : def;
}

QString FloatToStr(double v) {
    QString s = QString::number(v, 'g', 15);
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s.toUpper();
}
