// Test plug-in: records the arguments of each entry in the file named by
// $VELTRA_TESTPLUGIN_LOG (UTF-8, one line per call) and answers PluginCommand.
#include "FormatSettings.h"
#include "KvUtils.h"
#include "PluginAbi.h"
#include "VersionInfo.h"

#include <QFile>
#include <QTextStream>
#include <cstring>

namespace {
struct LibraryLifetime {
    LibraryLifetime() {
#ifdef TESTPLUGIN_TAVEX
        InitKvUtils(TKvUtilsFlavor::Tavex);
#else
        InitKvUtils(TKvUtilsFlavor::Classic);
#endif
    }
    ~LibraryLifetime() { FinalizeKvUtils(); }
} gLifetime;

void record(const QString& line) {
    const QString log = qEnvironmentVariable("VELTRA_TESTPLUGIN_LOG");
    if (log.isEmpty()) return;
    QFile f(log);
    if (!f.open(QIODevice::Append)) return;
    f.write(line.toUtf8() + '\n');
}
}  // namespace

extern "C" {
VELTRA_EXPORT void ZareduvadDialog(const char16_t* a, const char16_t* b, const char16_t* c, int32_t n) {
    record(QStringLiteral("ZareduvadDialog|%1|%2|%3|%4").arg(FromHostString(a), FromHostString(b), FromHostString(c)).arg(n));
}

VELTRA_EXPORT void KlassenPlanZeigen(const char16_t* a, const char16_t* b, bool show) {
    record(QStringLiteral("KlassenPlanZeigen|%1|%2|%3").arg(FromHostString(a), FromHostString(b)).arg(show));
}

VELTRA_EXPORT int PluginCommand(int argc, char** argv) {
    if (argc >= 2 && !std::strcmp(argv[1], "state")) {
        // What this library's own copy of the utilities holds.
        record(QStringLiteral("state|%1|%2|%3|%4")
                   .arg(GradeToPoints(QStringLiteral("1")), BoolToStr(true), QString(ListSeparatorChar),
                        ReadVersionRecord(ModuleFileName()).value(QStringLiteral("InternalName"))));
        return 0;
    }
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    record(QStringLiteral("PluginCommand|") + args.join(QLatin1Char('|')));
    return argc >= 2 && !std::strcmp(argv[1], "fail") ? 1 : 0;
}
}
