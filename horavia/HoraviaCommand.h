#pragma once
// The command-line jobs of the timetable plug-in: "veltra plan new|info|list|export".
#include <QString>

// Runs one job; argv[0] is the command name ("plan"). Returns the exit code:
// 0 success, 1 failure (German message on stderr), 2 usage error.
int RunHoraviaCommand(int argc, char** argv);
QString HoraviaCommandUsage();
