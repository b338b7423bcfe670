#include "uCheckVersion.h"

#include "Exceptions.h"
#include "SysUtils.h"
#include "VersionInfo.h"
#include "kvStrUtils.h"

#include <array>

namespace {
using TVersionNumbers = std::array<int, 4>;  // major, minor, release, build

// Our own record is trusted loosely: a part that is not a number counts as 0.
TVersionNumbers ownNumbers(const QString& aVersion) {
    TVersionNumbers n{};
    for (int i = 0; i < 4; ++i) n[i] = StrToIntDef(GetField(aVersion, QStringLiteral("."), i + 1), 0);
    return n;
}

TVersionNumbers serverNumbers(const QString& aServer, bool aTavex) {
    const QString text = Trim(aServer);
    TVersionNumbers n{};
    for (int i = 0; i < 4; ++i) {
        const QString part = GetField(text, QStringLiteral("."), i + 1);
        n[i] = StrToInt(part);
        if (!aTavex && (n[i] < 0 || n[i] > 0xFFFF))
            throw EConvertError(QStringLiteral("'%1' ist kein gültiger Wert für eine Versionsnummer").arg(part));
    }
    return n;
}
}  // namespace

QString OwnFileVersion() { return ReadVersionRecord(ModuleFileName()).value(QStringLiteral("FileVersion")); }

bool IsNewerVersionThan(const QString& aServer, const QString& aOwn) {
    return IsNewerVersionThan(aServer, aOwn, KvUtilsFlavor());
}

bool IsNewerVersionThan(const QString& aServer, const QString& aOwn, TKvUtilsFlavor aFlavor) {
    const bool tavex = aFlavor == TKvUtilsFlavor::Tavex;
    if (tavex && aServer.isEmpty()) return false;
    const TVersionNumbers server = serverNumbers(aServer, tavex);
    const TVersionNumbers own = ownNumbers(aOwn);
    for (int i = 0; i < 4; ++i)
        if (server[i] != own[i]) return server[i] > own[i];
    return false;
}

bool IsNewerVersion(const QString& aServer, QString& aOwn) {
    aOwn = OwnFileVersion();
    return IsNewerVersionThan(aServer, aOwn);
}
