// The about box and its component.
#include "AboutDialog.h"
#include "InfoTestSupport.h"
#include "KvUtils.h"
#include "VeltraArtwork.h"
#include "aboutdlg.h"
#include "frmInfo.h"
#include "ui_aboutdlg.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QDesktopServices>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace info_test;

namespace {
// Receives what the about box hands to the desktop's default handler.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder() {
        QDesktopServices::setUrlHandler("http", this, "open");
        QDesktopServices::setUrlHandler("mailto", this, "open");
    }
    ~UrlRecorder() override {
        QDesktopServices::unsetUrlHandler("http");
        QDesktopServices::unsetUrlHandler("mailto");
    }
    QStringList urls;
public slots:
    void open(const QUrl& url) { urls << url.toString(); }
};

TAboutDialog* veltraAbout(QObject* owner) {
    auto* about = new TAboutDialog(owner);
    ApplyVeltraContact(*about);
    return about;
}
}  // namespace

TEST(TAboutDialog, ReadsTheRunningProgramsVersionRecord) {
    QObject owner;
    TAboutDialog* about = veltraAbout(&owner);
    const QString me = QCoreApplication::applicationFilePath();
    EXPECT_EQ(about->InternalName, "InfoTest");
    EXPECT_EQ(about->FileDescription, "Prüfprogramm der Info-Fenster");
    EXPECT_EQ(about->Version, "1.2.20.40");
    EXPECT_EQ(about->FileVersion, "Version 1.2.20.40");
    EXPECT_EQ(about->CompanyName, "Veltra Schulsoftware");
    EXPECT_EQ(about->ProductName, "Veltra Testmodul");
    EXPECT_EQ(about->Copyright, "Copyright (©) 2008-2026 Veltra Schulsoftware");
    EXPECT_EQ(about->ReleaseDate, StandDateText(GetLinkDate(me), true));
    EXPECT_TRUE(about->UseVersionInfo);
    EXPECT_TRUE(about->ShowSecondPage);

    // The box reads the record afresh and ignores the texts while UseVersionInfo is set.
    about->InternalName = "Anders";
    std::unique_ptr<TAboutBox> box = about->CreateAboutBox();
    Ui::TAboutBox* ui = box->ui();
    EXPECT_EQ(box->windowTitle(), "Information über...");
    EXPECT_EQ(ui->SInternalname->text(), "InfoTest");
    EXPECT_EQ(ui->SInternalNameTop->text(), "InfoTest");
    EXPECT_EQ(ui->SFileVersion->text(), "Version 1.2.20.40");
    EXPECT_EQ(ui->SCopyRight->text(), "Copyright (©) 2008-2026 Veltra Schulsoftware");
    EXPECT_EQ(ui->SReleaseDate->text(), about->ReleaseDate);
    EXPECT_EQ(ui->sWebadresse->text(), "www.veltra-schulsoftware.example");
    EXPECT_EQ(ui->sEmail->text(), "info@veltra-schulsoftware.example");
    EXPECT_EQ(ui->Adresse->toPlainText(), VeltraArtwork::ContactAddress().join('\n'));
    EXPECT_FALSE(ui->ProgramIcon->pixmap().isNull());
    EXPECT_FALSE(ui->SecretIcon->pixmap().isNull());
    // The shadow: the blue name 3 pixels left of and 2 above the grey one, in 32-pixel bold type.
    EXPECT_EQ(ui->SInternalname->pos() - ui->SInternalNameTop->pos(), QPoint(3, 2));
    EXPECT_EQ(ui->SInternalNameTop->font().pixelSize(), 32);
    EXPECT_TRUE(ui->SInternalNameTop->font().bold());
    EXPECT_EQ(box->size(), QSize(467, 229));
    EXPECT_EQ(ui->PageControl1->currentWidget(), ui->TabSheet1);
}

TEST(TAboutDialog, OwnTextsWithoutVersionInfo) {
    TAboutDialog about;
    about.UseVersionInfo = false;
    about.InternalName = "Zareduvad";
    about.FileDescription = "Notenkonferenz";
    about.FileVersion = "3.1";
    about.CompanyName = "Veltra Schulsoftware";
    about.ProductName = "Veltra";
    about.Copyright = "2026 Veltra Schulsoftware";
    const auto box = about.CreateAboutBox();
    EXPECT_EQ(box->ui()->SInternalname->text(), "Zareduvad");
    EXPECT_EQ(box->ui()->SInternalNameTop->text(), "Zareduvad");
    EXPECT_EQ(box->ui()->SFileDescription->text(), "Notenkonferenz");
    EXPECT_EQ(box->ui()->SFileVersion->text(), "Version 3.1");
    EXPECT_EQ(box->ui()->SProductName->text(), "Veltra");
    EXPECT_EQ(box->ui()->SCopyRight->text(), "Copyright (©) 2026 Veltra Schulsoftware");
}

TEST(TAboutBox, SecondPageByDoubleClickAndBackByTimerOrButton) {
    QObject owner;
    const auto box = veltraAbout(&owner)->CreateAboutBox();
    Ui::TAboutBox* ui = box->ui();
    box->show();
    EXPECT_EQ(box->Timer1.interval(), 5000);
    EXPECT_FALSE(box->Timer1.isActive());
    screenshot(box.get(), "about_page1");

    QTest::mouseDClick(ui->ProgramIcon, Qt::LeftButton);
    EXPECT_EQ(ui->PageControl1->currentWidget(), ui->TabSheet2);
    EXPECT_EQ(box->windowTitle(), "Ihr Ansprechpartner:");
    EXPECT_TRUE(box->Timer1.isActive());
    screenshot(box.get(), "about_page2");

    // The timer brings the first page and the caption back by itself.
    box->Timer1.setInterval(20);
    box->Timer1.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return ui->PageControl1->currentWidget() == ui->TabSheet1; }, 2000));
    EXPECT_EQ(box->windowTitle(), "Information über...");
    EXPECT_FALSE(box->Timer1.isActive());

    // The cycle repeats; "Zurück" goes back without closing.
    QTest::mouseDClick(ui->ProgramIcon, Qt::LeftButton);
    EXPECT_EQ(ui->PageControl1->currentWidget(), ui->TabSheet2);
    ui->btnBack->click();
    EXPECT_EQ(ui->PageControl1->currentWidget(), ui->TabSheet1);
    EXPECT_EQ(box->windowTitle(), "Information über...");
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->Timer1.isActive());

    // Without the second page the double-click does nothing.
    box->FSecondPage = false;
    QTest::mouseDClick(ui->ProgramIcon, Qt::LeftButton);
    EXPECT_EQ(ui->PageControl1->currentWidget(), ui->TabSheet1);
    EXPECT_EQ(box->windowTitle(), "Information über...");
    EXPECT_FALSE(box->Timer1.isActive());
}

TEST(TAboutBox, LinksGoToTheDesktopAndEmptyOnesStayInert) {
    UrlRecorder recorder;
    QObject owner;
    TAboutDialog* about = veltraAbout(&owner);
    auto box = about->CreateAboutBox();
    box->show();
    QTest::mouseClick(box->ui()->sWebadresse, Qt::LeftButton);
    box->ProgramIconDblClick();
    QTest::mouseClick(box->ui()->sEmail, Qt::LeftButton);
    QTest::mouseClick(box->ui()->sProgrammerEmail, Qt::LeftButton);
    EXPECT_EQ(recorder.urls, (QStringList{"http://www.veltra-schulsoftware.example", "mailto:info@veltra-schulsoftware.example",
                                          "mailto:" + VeltraArtwork::ProgrammerEmail()}));

    about->Web.clear();
    about->Email.clear();
    box = about->CreateAboutBox();
    box->show();
    QTest::mouseClick(box->ui()->sWebadresse, Qt::LeftButton);
    box->ProgramIconDblClick();
    QTest::mouseClick(box->ui()->sEmail, Qt::LeftButton);
    EXPECT_EQ(recorder.urls.size(), 3);
}

TEST(TAboutBox, ContextMenuCopiesTheAddress) {
    QObject owner;
    const auto box = veltraAbout(&owner)->CreateAboutBox();
    QApplication::clipboard()->clear();
    EXPECT_EQ(box->mnuCopyAddress->text(), "Adresse in die Zwischenablage kopieren");
    EXPECT_EQ(box->PopupMenu1->actions().size(), 1);
    box->mnuCopyAddress->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), VeltraArtwork::ContactAddress().join('\n'));
}

TEST(TAboutDialog, ExecuteShowsTheBoxModallyUntilOk) {
    QObject owner;
    TAboutDialog* about = veltraAbout(&owner);
    ModalWatch<TAboutBox> watch([](TAboutBox* box) {
        EXPECT_EQ(box->windowTitle(), "Information über...");
        EXPECT_EQ(box->parent(), nullptr);
        box->ui()->OkButton->click();
    });
    about->Execute();
    EXPECT_EQ(watch.count(), 1);
}

#include "test_about.moc"
