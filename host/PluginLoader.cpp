#include "PluginLoader.h"

#include "Exceptions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString HostDirectory() {
    QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    if (dir.isEmpty()) dir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    return dir;
}

TPluginLoader::TPluginLoader(const QString& aLibraryFile, const QString& aDirectory)
    : FPath(QDir(aDirectory.isEmpty() ? HostDirectory() : aDirectory).filePath(aLibraryFile)) {}

TPluginLoader::~TPluginLoader() = default;  // the library stays loaded: its windows may still be open

void TPluginLoader::Load() {
    if (FLib && FLib->isLoaded()) return;
    if (!QFileInfo::exists(FPath))
        throw Exception(QStringLiteral("Die Bibliothek %1 wurde nicht gefunden.").arg(QDir::toNativeSeparators(FPath)));
    FLib = std::make_unique<QLibrary>(FPath);
    if (!FLib->load())
        throw Exception(QStringLiteral("Die Bibliothek %1 kann nicht geladen werden:\n%2").arg(FPath, FLib->errorString()));
}

void* TPluginLoader::Resolve(const char* aEntry) {
    Load();
    QFunctionPointer fn = FLib->resolve(aEntry);
    if (!fn)
        throw Exception(QStringLiteral("Die Funktion %1 fehlt in der Bibliothek %2.")
                            .arg(QString::fromLatin1(aEntry), QFileInfo(FPath).fileName()));
    return reinterpret_cast<void*>(fn);
}

namespace {
// The caller's strings stay alive for the whole call; the library copies what it keeps.
const char16_t* utf16(const QString& s) { return reinterpret_cast<const char16_t*>(s.utf16()); }
}  // namespace

void TPluginLoader::CallZareduvadDialog(const QString& aDBConnStr, const QString& aInternConnStr,
                                        const QString& aGroupDir, int32_t aSchulnr) {
    auto fn = reinterpret_cast<ZareduvadDialogFn>(Resolve("ZareduvadDialog"));
    fn(utf16(aDBConnStr), utf16(aInternConnStr), utf16(aGroupDir), aSchulnr);
}

void TPluginLoader::CallKlassenPlanZeigen(const QString& aPlanDatei, const QString& aKlasse, bool aShow) {
    auto fn = reinterpret_cast<KlassenPlanZeigenFn>(Resolve("KlassenPlanZeigen"));
    fn(utf16(aPlanDatei), utf16(aKlasse), aShow);
}

void TPluginLoader::CallExportEQ10(const QString& aConnStr, const QString& aGroupDir, int32_t aSchulnr) {
    auto fn = reinterpret_cast<ExportEQ10Fn>(Resolve("ExportEQ10"));
    fn(utf16(aConnStr), utf16(aGroupDir), aSchulnr);
}

int TPluginLoader::CallPluginCommand(int argc, char** argv) {
    auto fn = reinterpret_cast<PluginCommandFn>(Resolve("PluginCommand"));
    return fn(argc, argv);
}
