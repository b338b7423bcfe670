#pragma once
// Number and date conversions of the grids, with the German format settings:
// reading cell texts, writing them back in their shortest form, and the
// display masks of number and date columns (FormatFloat / FormatDateTime
// mask syntax).
#include <QDate>
#include <QDateTime>
#include <QString>

namespace gridconv {

// Decimal number with the decimal comma, optional sign and exponent, blanks
// around it allowed; no thousands separators.
bool TryStrToFloat(const QString& text, double& value);
// Shortest text that reads back to the value (15 significant digits).
QString FloatToStr(double value);
// Whole decimal number in 32 bits, leading blanks and a sign allowed.
bool TryStrToInt(const QString& text, int& value);
// Date in the short date order day.month[.year]; a two-digit year is taken in
// the century window of 50 years around today; a missing year is this year.
bool TryStrToDate(const QString& text, QDate& value);
// A date, optionally followed by a time h:mm[:ss].
bool TryStrToDateTime(const QString& text, QDateTime& value);
QString DateToStr(const QDate& date);
// Number mask: "0" and "#" digit places, "." decimal point, "," thousands,
// quoted literals, up to three sections "positive;negative;zero".
QString FormatFloat(const QString& mask, double value);
// Date mask: d dd ddd dddd ddddd, m mm mmm mmmm, yy yyyy, h hh, n nn, s ss,
// z zzz, "/" and ":" separators, quoted literals; m after h means minutes.
QString FormatDateTime(const QString& mask, const QDateTime& value);

}  // namespace gridconv
