// libtavex.so: the exam-export plug-in. Its start-up sets the utilities up the
// way this library uses them; the entries never let an exception reach the host.
#include "Dialogs.h"
#include "Guards.h"
#include "KvUtils.h"
#include "PluginAbi.h"
#include "TavexCommand.h"
#include "VersionInfo.h"
#include "frmExportEQ10.h"

#include <QApplication>
#include <cstdio>

namespace {
struct TTavexLibrary {
    // The library's own file, taken once at load.
    QString FileName;
    TTavexLibrary() {
        InitKvUtils(TKvUtilsFlavor::Tavex);
        FileName = ModuleFileName();
    }
    ~TTavexLibrary() { FinalizeKvUtils(); }
} gLibrary;
}  // namespace

extern "C" {
VELTRA_EXPORT void ExportEQ10(const char16_t* aConnStr, const char16_t* aGroupDir, int32_t aSchulnr) {
    const QString connStr = FromHostString(aConnStr);
    const QString groupDir = FromHostString(aGroupDir);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fputs("ExportEQ10: Die Anwendung hat keine Benutzeroberfläche.\n", stderr);
        return;
    }
    RunAction([&] {
        TfrmEQ10 dialog(QApplication::activeWindow(), connStr, groupDir, gLibrary.FileName, aSchulnr);
        dialog.exec();
    });
}

VELTRA_EXPORT int PluginCommand(int argc, char** argv) {
    try {
        return RunTavexCommand(argc, argv);
    } catch (...) {
        return 1;
    }
}
}
