#pragma once
// The command-line jobs of the library: "veltra eq10 export ...". argv[0] is the
// command name. Returns 0 on success, 1 on failure (German message on stderr),
// 2 on a usage error.
#include <QString>
#include <cstdio>

int RunTavexCommand(int argc, char** argv, std::FILE* out = stdout, std::FILE* err = stderr);
QString TavexCommandUsage();
