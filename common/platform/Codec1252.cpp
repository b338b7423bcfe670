#include "Codec1252.h"

#include <array>
#include <iconv.h>
#include <mutex>
#include <unordered_map>

namespace {
// The table is built once from iconv, so the mapping is glibc's; conversions
// afterwards are table look-ups (the plan exports convert many small strings).
struct Tables {
    std::array<char16_t, 256> toUnicode{};
    std::unordered_map<char16_t, unsigned char> fromUnicode;

    Tables() {
        iconv_t cd = iconv_open("UTF-16LE", "WINDOWS-1252");
        for (int b = 0; b < 256; ++b) {
            char16_t out = char16_t(b);  // undefined bytes keep their own code
            if (cd != iconv_t(-1)) {
                char in = char(b);
                char* inp = &in;
                size_t inLeft = 1;
                char buf[4];
                char* outp = buf;
                size_t outLeft = sizeof buf;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                if (iconv(cd, &inp, &inLeft, &outp, &outLeft) != size_t(-1) && outLeft == 2)
                    out = char16_t(uint8_t(buf[0]) | (uint8_t(buf[1]) << 8));
            }
            toUnicode[b] = out;
        }
        if (cd != iconv_t(-1)) iconv_close(cd);
        for (int b = 255; b >= 0; --b) fromUnicode[toUnicode[b]] = uchar(b);
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}
}  // namespace

namespace Codec1252 {

QByteArray encode(const QString& text) {
    QByteArray out;
    encodeAppend(text, out);
    return out;
}

void encodeAppend(QStringView text, QByteArray& out) {
    // Every character gives at most one byte: write into the grown array directly.
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char* d = out.data() + start;
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    const Tables* t = nullptr;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c < 0x80) {
            *d++ = char(c);
            continue;
        }
        if (!t) t = &tables();
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) ++i;
        auto it = t->fromUnicode.find(c);
        *d++ = it == t->fromUnicode.end() ? '?' : char(it->second);
    }
    out.resize(d - out.constData());
}

QString decode(const QByteArray& bytes) {
    const Tables& t = tables();
    QString out;
    out.resize(bytes.size());
    QChar* d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) d[i] = QChar(t.toUnicode[uchar(bytes[i])]);
    return out;
}

}  // namespace Codec1252
