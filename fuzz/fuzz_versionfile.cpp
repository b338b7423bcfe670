// Version files from the update server: text decoding, both layouts and the
// version comparison must end in a result or one of our exceptions, never a crash.
#include "Exceptions.h"
#include "HttpClient.h"
#include "StringList.h"
#include "frmDownload.h"
#include "uCheckVersion.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // The first byte picks a content type, so the charset branch is reached too.
    static const char* const types[] = {"", "text/plain; charset=utf-8", "text/plain; charset=\"windows-1252\"",
                                        "text/plain; charset=utf-16", "text/plain; charset=bogus"};
    const QString type = QString::fromLatin1(types[size ? data[0] % 5 : 0]);
    TStringList lines;
    lines.SetText(THttpClient::DecodeText(bytes, type));
    for (bool named : {true, false}) {
        try {
            (void)ReadUpdateEntry(lines, named);
        } catch (const Exception&) {
        }
    }
    const QString server = lines.Count() ? lines[0] : QString();
    for (TKvUtilsFlavor f : {TKvUtilsFlavor::Classic, TKvUtilsFlavor::Tavex}) {
        try {
            (void)IsNewerVersionThan(server, QStringLiteral("1.2.20.40"), f);
            (void)IsNewerVersionThan(lines.Values(QStringLiteral("Version")), server, f);
        } catch (const Exception&) {
        }
    }
    return 0;
}
