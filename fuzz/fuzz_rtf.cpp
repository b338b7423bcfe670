// RtfToText on arbitrary text: must return or raise EConvertError, nothing else.
#include "Exceptions.h"
#include "kvStrUtils.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        RtfToText(text);
        RtfToText(QStringLiteral("{\\rtf1 ") + text + QLatin1Char('}'));
    } catch (const EConvertError&) {
    }
    return 0;
}
