// TStringListEx::ReadFromStream on arbitrary bytes: must read or raise EReadError.
#include "Exceptions.h"
#include "kvStrUtils.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    TStringListEx list;
    try {
        list.ReadFromStream(buf);
        // What was read must write back and read again identically.
        QBuffer out;
        out.open(QIODevice::ReadWrite);
        list.WriteToStream(out);
        out.seek(0);
        TStringListEx again;
        again.ReadFromStream(out);
        if (again.Username != list.Username) __builtin_trap();
    } catch (const EReadError&) {
    }
    buf.seek(0);
    try {
        ReadStreamString(buf, int(size % 7));
    } catch (const EReadError&) {
    }
    return 0;
}
