#include "HostCommands.h"

#include "Console.h"
#include "Exceptions.h"
#include "Guards.h"
#include "PluginLoader.h"

#include <QFileInfo>
#include <cstdio>
#include <cstring>

std::vector<THostCommand>& HostCommands() {
    static std::vector<THostCommand> commands;
    return commands;
}

namespace {
struct TPluginCommandInfo {
    const char* Name;
    const char* Library;
    const char* Summary;
};

const TPluginCommandInfo kPluginCommands[] = {
    {"conference", "libzareduvad.so", "Zeugniskonferenz (Zareduvad)"},
    {"plan", "libhoravia.so", "Stundenpläne: Plandateien anlegen, ansehen, exportieren (Horavia)"},
    {"eq10", "libtavex.so", "EQ10-Exportdatei für die zentralen Prüfungen schreiben (Tavex)"},
};

void printErr(const QString& s) { PrintLine(stderr, s); }
}  // namespace

QString PluginLibraryForCommand(const QString& command) {
    for (const auto& c : kPluginCommands)
        if (command == QLatin1String(c.Name)) return QString::fromLatin1(c.Library);
    return {};
}

QString HostUsage() {
    QString s = QStringLiteral(
        "Aufruf: veltra                     öffnet das Hauptfenster\n"
        "        veltra BEFEHL [ARGUMENTE]  führt einen Befehl aus\n"
        "        veltra BEFEHL --help       Hilfe zu einem Befehl\n\nBefehle:\n");
    for (const auto& c : kPluginCommands)
        s += QStringLiteral("  %1%2\n").arg(QString::fromLatin1(c.Name).leftJustified(12), QString::fromUtf8(c.Summary));
    for (const auto& c : HostCommands())
        s += QStringLiteral("  %1%2\n").arg(QString::fromLatin1(c.Name).leftJustified(12), QString::fromUtf8(c.Summary));
    s += QStringLiteral("\nExit-Code: 0 Erfolg, 1 Fehler (Meldung auf stderr), 2 falscher Aufruf.\n");
    return s;
}

int RunHostCommandLine(int argc, char** argv) {
    if (argc < 2) return 2;
    const char* cmd = argv[1];
    if (!std::strcmp(cmd, "--help") || !std::strcmp(cmd, "-h") || !std::strcmp(cmd, "help")) {
        std::fputs(HostUsage().toUtf8().constData(), stdout);
        return 0;
    }
    for (const auto& c : HostCommands())
        if (!std::strcmp(cmd, c.Name)) {
            try {
                return c.Run(argc - 1, argv + 1);
            } catch (...) {
                printErr(ExceptionMessage(std::current_exception()));
                return 1;
            }
        }
    const QString library = PluginLibraryForCommand(QString::fromLocal8Bit(cmd));
    if (library.isEmpty()) {
        printErr(QStringLiteral("Unbekannter Befehl \"%1\".\n").arg(QString::fromLocal8Bit(cmd)) + HostUsage());
        return 2;
    }
    try {
        TPluginLoader loader(library);
        return loader.CallPluginCommand(argc - 1, argv + 1);
    } catch (...) {
        printErr(ExceptionMessage(std::current_exception()));
        return 1;
    }
}
