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
    const Tables& t = tables();
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x80) {
            out.append(char(c));
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ++i;
        auto it = t.fromUnicode.find(c);
        out.append(it == t.fromUnicode.end() ? '?' : char(it->second));
    }
    return out;
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
