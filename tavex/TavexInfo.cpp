#include "TavexInfo.h"

#include "Dialogs.h"
#include "VersionInfo.h"

#include <QWidget>

// Name and version of this library from its version record.
void ShowTavexInfo(QWidget* parent) {
    Q_UNUSED(parent);
    const TVersionRecord record = ReadVersionRecord(ModuleFileName());
    const QString name = record.value(QStringLiteral("ProductName"));
    const QString version = record.value(QStringLiteral("FileVersion"));
    Dialogs::instance().MessageDlg(QStringLiteral("%1\nVersion %2").arg(name.isEmpty() ? QStringLiteral("Tavex") : name, version),
                                   TMsgDlgType::mtInformation, mbOK, QStringLiteral("Info über ..."));
}
