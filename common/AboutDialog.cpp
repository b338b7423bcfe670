#include "AboutDialog.h"

#include "KvUtils.h"
#include "VeltraArtwork.h"
#include "VersionInfo.h"
#include "aboutdlg.h"
#include "frmInfo.h"
#include "ui_aboutdlg.h"

#include <QCoreApplication>

namespace {
// For a plug-in the running program is the host, not the library.
QString runningProgram() { return QCoreApplication::applicationFilePath(); }

QString versionText(const QString& v) { return QStringLiteral("Version %1").arg(v); }
QString copyrightText(const QString& c) { return QStringLiteral("Copyright (©) %1").arg(c); }
}  // namespace

TAboutDialog::TAboutDialog(QObject* AOwner) : QObject(AOwner) { InitVersionInfo(); }

TAboutDialog::~TAboutDialog() = default;

void TAboutDialog::InitVersionInfo() {
    const QString exe = runningProgram();
    const TVersionRecord rec = ReadVersionRecord(exe);
    InternalName = rec.value(QStringLiteral("InternalName"));
    FileDescription = rec.value(QStringLiteral("FileDescription"));
    Version = rec.value(QStringLiteral("FileVersion"));
    FileVersion = versionText(Version);
    CompanyName = rec.value(QStringLiteral("CompanyName"));
    ProductName = rec.value(QStringLiteral("ProductName"));
    Copyright = copyrightText(rec.value(QStringLiteral("LegalCopyright")));
    ReleaseDate = StandDateText(GetLinkDate(exe), true);
}

std::unique_ptr<TAboutBox> TAboutDialog::CreateAboutBox() const {
    auto box = std::make_unique<TAboutBox>(nullptr);
    box->setWindowTitle(QStringLiteral("Information über..."));
    box->SetProgramIcon(FLogo);
    box->SetSecretIcon(FSecondLogo);
    box->ui()->Adresse->setPlainText(FAdresse.join(QLatin1Char('\n')));
    box->FSecondPage = ShowSecondPage;
    box->SetProgrammer(VeltraArtwork::ProgrammerCredit(), VeltraArtwork::ProgrammerEmail());
    Ui::TAboutBox* ui = box->ui();
    const QString exe = runningProgram();
    if (UseVersionInfo) {
        const TVersionRecord rec = ReadVersionRecord(exe);
        box->SetInternalName(rec.value(QStringLiteral("InternalName")));
        ui->SFileDescription->setText(rec.value(QStringLiteral("FileDescription")));
        ui->SFileVersion->setText(versionText(rec.value(QStringLiteral("FileVersion"))));
        ui->SCompanyName->setText(rec.value(QStringLiteral("CompanyName")));
        ui->SProductName->setText(rec.value(QStringLiteral("ProductName")));
        ui->SCopyRight->setText(copyrightText(rec.value(QStringLiteral("LegalCopyright"))));
    } else {
        box->SetInternalName(InternalName);
        ui->SFileDescription->setText(FileDescription);
        ui->SFileVersion->setText(versionText(FileVersion));
        ui->SCompanyName->setText(CompanyName);
        ui->SProductName->setText(ProductName);
        ui->SCopyRight->setText(copyrightText(Copyright));
    }
    ui->SReleaseDate->setText(StandDateText(GetLinkDate(exe), true));
    ui->sWebadresse->setText(Web);
    ui->sEmail->setText(Email);
    return box;
}

void TAboutDialog::Execute() {
    const std::unique_ptr<TAboutBox> box = CreateAboutBox();
    box->exec();
}

void ApplyVeltraContact(TAboutDialog& aDialog) {
    aDialog.SetLogo(VeltraArtwork::ProductLogo());
    aDialog.SetSecondLogo(VeltraArtwork::ContactLogo());
    aDialog.Email = VeltraArtwork::ContactEmail();
    aDialog.Web = VeltraArtwork::WebAddress();
    aDialog.SetAdresse(VeltraArtwork::ContactAddress());
}
