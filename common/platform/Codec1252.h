#pragma once
// Windows-1252 ("ANSI") text, the code page of the files the Windows
// installations exchange. One helper for every conversion.
#include <QByteArray>
#include <QString>

namespace Codec1252 {
// Characters outside the code page become '?', as the Windows conversion does.
QByteArray encode(const QString& text);
// As encode, appended to out: writers that convert many small strings reuse one buffer.
void encodeAppend(QStringView text, QByteArray& out);
// The five bytes the code page leaves undefined map to U+0081 etc., as on Windows.
QString decode(const QByteArray& bytes);
}
