#include "InfoDialog.h"

#include "KvUtils.h"
#include "VersionInfo.h"
#include "frmInfo.h"

#include <QWidget>

TInfoDialog::TInfoDialog(QObject* AOwner) : QObject(AOwner), Copyright(MakerCopyright()) {}

QWidget* TInfoDialog::ownerWidget() const {
    for (QObject* o = parent(); o; o = o->parent())
        if (auto* w = qobject_cast<QWidget*>(o)) return w;
    return nullptr;
}

bool TInfoDialog::Execute() {
    TInfoDlg dlg(ownerWidget());
    dlg.SetProgname(PluginName);
    dlg.SetVersion(Version);
    dlg.SetDatum(ReleaseDate);
    dlg.SetCopyright(Copyright);
    dlg.SetApplication(Hauptanwendung);
    dlg.InfoFilename = InfoFilename;
    dlg.WebAdresse = WebAdresse;
    return dlg.exec() == QDialog::Accepted;
}

void TInfoDialog::GetVersionInfo(const QString& Modulename) {
    const TVersionRecord rec = ReadVersionRecord(Modulename);
    PluginName = rec.value(QStringLiteral("ProductName"));
    Version = rec.value(QStringLiteral("FileVersion"));
    ReleaseDate = StandDateText(GetLinkDate(Modulename), false);
    Copyright = MakerCopyright();
}
