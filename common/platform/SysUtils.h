#pragma once
// Conversions with the rules of the run-time library the plug-ins were written
// against: integers with optional leading blanks, sign and "$"/"0x" hex, no
// trailing characters; Trim removes everything up to the blank.
#include <QString>

QString Trim(const QString& s);
QString TrimLeft(const QString& s);
QString TrimRight(const QString& s);
bool TryStrToInt(const QString& s, int& value);
int StrToInt(const QString& s);  // EConvertError when not an integer
int StrToIntDef(const QString& s, int def);
// Shortest general form with the German decimal comma, as FloatToStr gives it.
QString FloatToStr(double v);
