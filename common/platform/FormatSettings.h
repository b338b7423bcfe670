#pragma once
// The locale the libraries format with: German, with the user's list separator
// from the registry value "Control Panel\International\sList".
#include <QChar>
#include <QLocale>
#include <QString>
#include <QStringList>

struct TFormatSettings {
    QLocale Locale{QLocale::German, QLocale::Germany};
    QChar ListSeparator = QLatin1Char(';');
    QChar DecimalSeparator = QLatin1Char(',');
    QChar ThousandSeparator = QLatin1Char('.');
    QChar DateSeparator = QLatin1Char('.');
    QChar TimeSeparator = QLatin1Char(':');
    QString ShortDateFormat = QStringLiteral("dd.MM.yyyy");
    QString LongDateFormat = QStringLiteral("dddd, d. MMMM yyyy");
    QString ShortTimeFormat = QStringLiteral("hh:mm");
    QString LongTimeFormat = QStringLiteral("hh:mm:ss");
    QStringList LongDayNames;    // Monday first
    QStringList ShortDayNames;   // Monday first
    QStringList LongMonthNames;  // January first
    QStringList ShortMonthNames;
};

// The process-wide settings, read on first use.
const TFormatSettings& FormatSettings();
// Reads the list separator again (after the user changed it).
void ReloadFormatSettings();

// The texts the string-to-boolean conversions accept and produce (first = produced).
QStringList& TrueBoolStrs();
QStringList& FalseBoolStrs();
QString BoolToStr(bool value);
// Raises EConvertError for a text that is in neither list and is no integer.
bool StrToBool(const QString& text);
