#pragma once
// Version comparison for the update check.
#include "KvUtils.h"

#include <QString>

// The export library (Tavex) runs its own variant of the update check; each
// library picks its variant with the start-up flavour of KvUtils.
inline bool TavexBuild() { return KvUtilsFlavor() == TKvUtilsFlavor::Tavex; }

// True when aServer (four numbers joined by ".") is newer than the file
// version of this library, which is returned in aOwn. A server text that is
// not four integers raises EConvertError (16-bit numbers outside Tavex).
bool IsNewerVersion(const QString& aServer, QString& aOwn);
// The comparison itself, against an explicit own version text, for this
// library's flavour or an explicit one.
bool IsNewerVersionThan(const QString& aServer, const QString& aOwn);
bool IsNewerVersionThan(const QString& aServer, const QString& aOwn, TKvUtilsFlavor aFlavor);
// The file version of the library (or program) this code is linked into.
QString OwnFileVersion();
