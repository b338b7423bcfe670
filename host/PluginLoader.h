#pragma once
// Loads a plug-in library from the host's own directory and calls its entries,
// passing strings as zero-terminated UTF-16 the way the plug-in interface declares.
#include "PluginAbi.h"

#include <QLibrary>
#include <QString>
#include <memory>

class TPluginLoader {
public:
    // aDirectory empty: the directory of the running host executable.
    explicit TPluginLoader(const QString& aLibraryFile, const QString& aDirectory = {});
    ~TPluginLoader();

    // Loads the library; throws Exception with a German message when it is
    // missing or cannot be loaded.
    void Load();
    // The address of an entry; throws when the library lacks it.
    void* Resolve(const char* aEntry);
    QString FilePath() const { return FPath; }

    void CallZareduvadDialog(const QString& aDBConnStr, const QString& aInternConnStr, const QString& aGroupDir,
                             int32_t aSchulnr);
    void CallKlassenPlanZeigen(const QString& aPlanDatei, const QString& aKlasse, bool aShow);
    void CallExportEQ10(const QString& aConnStr, const QString& aGroupDir, int32_t aSchulnr);
    int CallPluginCommand(int argc, char** argv);

private:
    QString FPath;
    std::unique_ptr<QLibrary> FLib;
};

// The host's directory (where the plug-ins are installed).
QString HostDirectory();
