#pragma once
// The binary interface between the host and the three plug-in libraries.
// Strings are zero-terminated UTF-16 (const char16_t*), owned by the caller:
// a library copies what it keeps on entry and never frees them. No exception
// leaves an entry.
#include <cstdint>

#if defined(__GNUC__)
#define VELTRA_EXPORT __attribute__((visibility("default")))
#else
#define VELTRA_EXPORT
#endif

extern "C" {
// Conference plug-in (libzareduvad.so): one conference, modal.
VELTRA_EXPORT void ZareduvadDialog(const char16_t* aDBConnStr, const char16_t* aInternConnStr,
                                   const char16_t* aGroupDir, int32_t aSchulnr);
// Timetable plug-in (libhoravia.so): shows a class's plan; returns while the window stays open.
VELTRA_EXPORT void KlassenPlanZeigen(const char16_t* aPlanDatei, const char16_t* aKlasse, bool aShow);
// Exam-export plug-in (libtavex.so): the modal selection dialog.
VELTRA_EXPORT void ExportEQ10(const char16_t* aConnStr, const char16_t* aGroupDir, int32_t aSchulnr);
// Every library: its command-line jobs (argv[0] is the command name, e.g. "plan").
// Returns the exit code: 0 success, 1 failure (German message on stderr), 2 usage error.
VELTRA_EXPORT int PluginCommand(int argc, char** argv);
}

using ZareduvadDialogFn = void (*)(const char16_t*, const char16_t*, const char16_t*, int32_t);
using KlassenPlanZeigenFn = void (*)(const char16_t*, const char16_t*, bool);
using ExportEQ10Fn = void (*)(const char16_t*, const char16_t*, int32_t);
using PluginCommandFn = int (*)(int, char**);

#ifdef __cplusplus
#include <QString>
// A library's copy of a host string.
inline QString FromHostString(const char16_t* s) { return s ? QString::fromUtf16(s) : QString(); }
#endif
