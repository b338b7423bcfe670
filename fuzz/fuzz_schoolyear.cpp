// ParseSchoolYearText on arbitrary text: must parse or raise EConvertError;
// what SchoolYearText writes must parse back to the same year and section.
#include "Exceptions.h"
#include "KvUtils.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    int year = 0, section = 0;
    try {
        ParseSchoolYearText(text, year, section);
    } catch (const EConvertError&) {
    }
    if (size >= 3) {
        const int y = 1900 + (data[0] | data[1] << 8) % 300, s = data[2] % 10;
        ParseSchoolYearText(SchoolYearText(y, s), year, section);
        if (year != y || section != s) __builtin_trap();
    }
    return 0;
}
