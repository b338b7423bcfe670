#include "FormatSettings.h"

#include "Exceptions.h"
#include "Registry.h"

namespace {
TFormatSettings make() {
    TFormatSettings fs;
    for (int d = 1; d <= 7; ++d) {
        fs.LongDayNames << fs.Locale.dayName(d, QLocale::LongFormat);
        fs.ShortDayNames << fs.Locale.dayName(d, QLocale::ShortFormat);
    }
    for (int m = 1; m <= 12; ++m) {
        fs.LongMonthNames << fs.Locale.monthName(m, QLocale::LongFormat);
        fs.ShortMonthNames << fs.Locale.monthName(m, QLocale::ShortFormat);
    }
    try {
        TRegistry reg;
        if (reg.OpenKeyReadOnly(QStringLiteral("\\Control Panel\\International"))) {
            const QString s = reg.ReadString(QStringLiteral("sList"));
            if (!s.isEmpty()) fs.ListSeparator = s.at(0);
        }
    } catch (const ERegistryException&) {
    }
    return fs;
}

TFormatSettings& settings() {
    static TFormatSettings fs = make();
    return fs;
}
}  // namespace

const TFormatSettings& FormatSettings() { return settings(); }
void ReloadFormatSettings() { settings() = make(); }

QStringList& TrueBoolStrs() {
    static QStringList l{QStringLiteral("True")};
    return l;
}

QStringList& FalseBoolStrs() {
    static QStringList l{QStringLiteral("False")};
    return l;
}

QString BoolToStr(bool value) {
    const QStringList& l = value ? TrueBoolStrs() : FalseBoolStrs();
    return l.isEmpty() ? (value ? QStringLiteral("True") : QStringLiteral("False")) : l.first();
}

bool StrToBool(const QString& text) {
    for (const QString& s : TrueBoolStrs())
        if (s.compare(text, Qt::CaseInsensitive) == 0) return true;
    for (const QString& s : FalseBoolStrs())
        if (s.compare(text, Qt::CaseInsensitive) == 0) return false;
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (ok) return v != 0;
    throw EConvertError(QStringLiteral("'%1' ist kein gültiger Boolescher Wert").arg(text));
}
