#pragma once
// Command-line jobs of the host around its databases:
//   veltra db init --db CONN [--intern CONN]
//   veltra demo [--dir DIR] [--seed N] [--pupils N] [--force] [--install]
// argv[0] is the command name ("db", "demo"). Exit codes: 0 success, 1 failure
// (German message on stderr), 2 usage error.
int RunDbCommand(int argc, char** argv);
int RunDemoCommand(int argc, char** argv);
