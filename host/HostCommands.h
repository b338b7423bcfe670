#pragma once
// Commands of the `veltra` program. Host-own commands register themselves with
// VELTRA_HOST_COMMAND; every other command belongs to a plug-in library.
#include <QString>
#include <vector>

struct THostCommand {
    const char* Name;
    const char* Summary;
    int (*Run)(int argc, char** argv);  // argv[0] is the command name
};

std::vector<THostCommand>& HostCommands();

struct THostCommandRegistration {
    explicit THostCommandRegistration(THostCommand c) { HostCommands().push_back(c); }
};

#define VELTRA_HOST_COMMAND(ident, name, summary, fn) \
    static const THostCommandRegistration ident##_registration{THostCommand{name, summary, fn}}

// Which plug-in library owns a command ("plan" → "libhoravia.so"); empty if none.
QString PluginLibraryForCommand(const QString& command);

// Runs `veltra ARGS…`; returns the exit code.
int RunHostCommandLine(int argc, char** argv);
QString HostUsage();
