// Version comparison, address normalisation, the information component and window.
#include "Dialogs.h"
#include "Exceptions.h"
#include "InfoDialog.h"
#include "InfoTestSupport.h"
#include "TestHttpServer.h"
#include "VersionInfo.h"
#include "frmDownload.h"
#include "frmInfo.h"
#include "uCheckVersion.h"
#include "ui_frmInfo.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace info_test;

namespace {
enum Outcome { Newer, NotNewer, Raises };

struct VersionCase {
    const char* server;
    const char* own;
    Outcome classic;
    Outcome tavex;
};

Outcome compare(const QString& server, const QString& own) {
    try {
        return IsNewerVersionThan(server, own) ? Newer : NotNewer;
    } catch (const EConvertError&) {
        return Raises;
    }
}
}  // namespace

TEST(IsNewerVersion, ComparesFourNumbersInBothBuilds) {
    const VersionCase cases[] = {
        {"2.0.0.0", "1.9.9.9", Newer, Newer},
        {"1.2.20.40", "1.2.20.40", NotNewer, NotNewer},
        {"1.2.3.10", "1.2.10.3", NotNewer, NotNewer},  // numbers, not text
        {"1.2.20.41", "1.2.20.40", Newer, Newer},
        {"  1.3.0.0 \r", "1.2.20.40", Newer, Newer},   // trimmed
        {"1.2.20", "1.2.20.40", Raises, Raises},       // three numbers only
        {"1.2.x.4", "1.0.0.0", Raises, Raises},
        {"70000.0.0.0", "1.0.0.0", Raises, Newer},     // 16 bits only outside Tavex
        {"", "1.0.0.0", Raises, NotNewer},
    };
    for (const VersionCase& c : cases) {
        {
            FlavorScope classic(TKvUtilsFlavor::Classic);
            EXPECT_EQ(compare(c.server, c.own), c.classic) << "classic: " << c.server << " vs " << c.own;
        }
        FlavorScope tavex(TKvUtilsFlavor::Tavex);
        EXPECT_EQ(compare(c.server, c.own), c.tavex) << "tavex: " << c.server << " vs " << c.own;
    }
}

TEST(IsNewerVersion, ComparesWithTheFileVersionCompiledIntoThisBinary) {
    QString own;
    EXPECT_TRUE(IsNewerVersion("1.2.20.41", own));
    EXPECT_EQ(own, "1.2.20.40");
    EXPECT_FALSE(IsNewerVersion("1.2.20.40", own));
    EXPECT_FALSE(IsNewerVersion("1.1.99.99", own));
}

TEST(NormalizeUrl, GivesSlashesAndOneTrailingSlash) {
    struct Case {
        const char* in;
        const char* classic;
        const char* tavex;
    };
    const Case cases[] = {
        {"http://update.example\\plugins", "http://update.example/plugins/", "http://update.example/plugins/"},
        {"http://update.example\\plugins\\", "http://update.example/plugins/", "http://update.example/plugins/"},
        {"http://update.example/plugins/", "http://update.example/plugins/", "http://update.example/plugins/"},
        {"", "/", ""},
    };
    for (const Case& c : cases) {
        {
            FlavorScope classic(TKvUtilsFlavor::Classic);
            EXPECT_EQ(NormalizeUrl(c.in), c.classic) << c.in;
        }
        FlavorScope tavex(TKvUtilsFlavor::Tavex);
        EXPECT_EQ(NormalizeUrl(c.in), c.tavex) << c.in;
    }
}

TEST(StandDateText, AbbreviatedOrFullGermanMonth) {
    const QDateTime d(QDate(2015, 2, 26), QTime(10, 0), Qt::UTC);
    EXPECT_EQ(StandDateText(d, false), "Stand: 26. Feb. 2015");
    EXPECT_EQ(StandDateText(d, true), "Stand: 26. Februar. 2015");
    EXPECT_EQ(StandDateText(QDateTime(QDate(2009, 3, 1), QTime(), Qt::UTC), false), "Stand: 01. März. 2009");
}

TEST(TInfoDialog, DefaultsAndVersionInfoOfAFile) {
    TInfoDialog info;
    EXPECT_EQ(info.PluginName, "Plugin");
    EXPECT_EQ(info.Version, "Version 1.0");
    EXPECT_EQ(info.ReleaseDate, "Stand: 31.01.2008");
    EXPECT_EQ(info.Hauptanwendung, "Veltra-XRL-PlugIn");
    EXPECT_TRUE(info.InfoFilename.isEmpty());
    EXPECT_TRUE(info.WebAdresse.isEmpty());

    const QString me = QCoreApplication::applicationFilePath();
    info.GetVersionInfo(me);
    EXPECT_EQ(info.PluginName, "Veltra Testmodul");
    EXPECT_EQ(info.Version, "1.2.20.40");
    // Our ELF files carry no link stamp: the file time stands in.
    EXPECT_EQ(info.ReleaseDate, StandDateText(GetLinkDate(me), false));
    EXPECT_EQ(info.Copyright, MakerCopyright(QDate::currentDate().year()));
    EXPECT_TRUE(info.Copyright.contains(QString::number(QDate::currentDate().year())));

    // A file without a version record leaves name and version empty.
    const QString plain = testing_support::tempDir() + "/plain.bin";
    testing_support::writeFile(plain, "no record here");
    info.GetVersionInfo(plain);
    EXPECT_TRUE(info.PluginName.isEmpty());
    EXPECT_TRUE(info.Version.isEmpty());
}

TEST(TInfoDialog, ExecuteShowsTheTextsAndReportsOk) {
    QWidget owner;
    auto* info = new TInfoDialog(&owner);
    info->PluginName = "Plananzeige";
    info->Version = "1.0";
    info->Hauptanwendung = "VeltraPlan-Planinformation";
    info->ReleaseDate = "Stand: 26. Feb. 2015";
    info->Copyright = "Copyright © 2008-2026 Veltra Schulsoftware";

    ModalWatch<TInfoDlg> first([&owner](TInfoDlg* dlg) {
        EXPECT_EQ(dlg->windowTitle(), "Info über ...");
        EXPECT_EQ(dlg->ui()->lblProgname->text(), "Plananzeige");
        EXPECT_EQ(dlg->ui()->lblVersion->text(), "1.0");
        EXPECT_EQ(dlg->ui()->lblApplication->text(), "VeltraPlan-Planinformation");
        EXPECT_EQ(dlg->ui()->lblDatum->text(), "Stand: 26. Feb. 2015");
        EXPECT_EQ(dlg->Copyright(), "Copyright © 2008-2026 Veltra Schulsoftware");
        EXPECT_TRUE(dlg->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_EQ(dlg->parentWidget(), &owner);  // owned by the component's owner
        EXPECT_FALSE(dlg->ui()->btnUpdate->isVisible());  // no info file name
        screenshot(dlg, "info_window");
        dlg->ui()->btnOk->click();
    });
    EXPECT_TRUE(info->Execute());

    ModalWatch<TInfoDlg> second([](TInfoDlg* dlg) { dlg->reject(); });
    EXPECT_FALSE(info->Execute());
    EXPECT_EQ(first.count(), 1);
}

TEST(ShowInfoDlg, ShowsTheVersionRecordOfTheGivenFile) {
    const QString me = QCoreApplication::applicationFilePath();
    ModalWatch<TInfoDlg> watch([&](TInfoDlg* dlg) {
        EXPECT_EQ(dlg->parentWidget(), nullptr);
        EXPECT_EQ(dlg->Progname(), "Veltra Testmodul");
        EXPECT_EQ(dlg->Version(), "1.2.20.40");
        EXPECT_EQ(dlg->Datum(), StandDateText(GetLinkDate(me), false));
        EXPECT_EQ(dlg->Application(), "Plugin für Veltra-XRL");
        EXPECT_EQ(dlg->Copyright(), MakerCopyright());
        dlg->accept();
    });
    ShowInfoDlg(me);
    EXPECT_EQ(watch.count(), 1);
}

TEST(TInfoDlg, UpdateButtonAndWindowSizesOfBothBuilds) {
    struct Built {
        std::unique_ptr<TInfoDlg> plain, withUpdate;
    };
    auto build = [](TKvUtilsFlavor f) {
        FlavorScope scope(f);
        Built b{std::make_unique<TInfoDlg>(), std::make_unique<TInfoDlg>()};
        b.withUpdate->InfoFilename = "plananzeige.txt";
        b.plain->FormShow();
        b.withUpdate->FormShow();
        return b;
    };
    const Built classic = build(TKvUtilsFlavor::Classic);
    const Built tavex = build(TKvUtilsFlavor::Tavex);

    EXPECT_FALSE(classic.plain->ui()->btnUpdate->isVisibleTo(classic.plain.get()));
    EXPECT_TRUE(classic.withUpdate->ui()->btnUpdate->isVisibleTo(classic.withUpdate.get()));
    EXPECT_EQ(classic.withUpdate->ui()->btnUpdate->text(), "Auf Update prüfen");
    // The classic window grows by 30 pixels and its OK button moves down by 31.
    EXPECT_EQ(classic.withUpdate->height() - classic.plain->height(), 30);
    EXPECT_EQ(classic.plain->ui()->btnOk->y(), 85);
    EXPECT_EQ(classic.withUpdate->ui()->btnOk->y(), 116);
    EXPECT_LT(classic.withUpdate->ui()->btnUpdate->geometry().bottom(), 116);

    // The Tavex window keeps its size; update and OK share the button row.
    EXPECT_FALSE(tavex.plain->ui()->btnUpdate->isVisibleTo(tavex.plain.get()));
    EXPECT_TRUE(tavex.withUpdate->ui()->btnUpdate->isVisibleTo(tavex.withUpdate.get()));
    EXPECT_EQ(tavex.withUpdate->height(), tavex.plain->height());
    EXPECT_EQ(tavex.withUpdate->ui()->btnOk->y(), tavex.withUpdate->ui()->btnUpdate->y());
    EXPECT_FALSE(tavex.withUpdate->ui()->btnOk->geometry().intersects(tavex.withUpdate->ui()->btnUpdate->geometry()));
    for (const TInfoDlg* d : {classic.withUpdate.get(), tavex.withUpdate.get(), classic.plain.get()})
        EXPECT_LE(d->ui()->btnOk->geometry().bottom(), d->height()) << "OK button inside the window";

    classic.withUpdate->SetProgname("Plananzeige");
    classic.withUpdate->SetVersion("1.2.20.40");
    classic.withUpdate->SetDatum("Stand: 26. Feb. 2015");
    classic.withUpdate->SetCopyright(MakerCopyright(2026));
    screenshot(classic.withUpdate.get(), "info_window_update_classic");
    tavex.withUpdate->SetProgname("EQ10-Export");
    tavex.withUpdate->SetVersion("1.2.20.40");
    tavex.withUpdate->SetDatum("Stand: 26. Feb. 2015");
    tavex.withUpdate->SetCopyright(MakerCopyright(2026));
    screenshot(tavex.withUpdate.get(), "info_window_update_tavex");
}

TEST(TInfoDlg, UpdateButtonSaysUpToDateOnlyWhenTheCheckFindsNothing) {
    FakeDialogs dialogs;
    TestHttpServer server;
    server.text("/info/plugin.txt", "Version=1.2.20.40\r\nDownloadUrl=" + server.origin().toUtf8() + "/dl\r\n");

    {
        FlavorScope tavex(TKvUtilsFlavor::Tavex);
        TInfoDlg dlg;
        dlg.SetProgname("EQ10-Export");
        dlg.InfoFilename = "plugin.txt";
        dlg.WebAdresse = server.origin() + "/info";
        dlg.ui()->btnUpdate->click();
        EXPECT_EQ(dialogs.texts(), QStringList{"EQ10-Export ist auf dem aktuellen Stand"});
    }
    dialogs.shown.clear();
    {
        // Unreachable server in the classic build: the connection message, and no "up to date".
        FlavorScope classic(TKvUtilsFlavor::Classic);
        TInfoDlg dlg;
        dlg.SetProgname("Plananzeige");
        dlg.InfoFilename = "plugin.txt";
        dlg.WebAdresse = QStringLiteral("http://127.0.0.1:%1/info").arg(TestHttpServer::closedPort());
        dlg.ui()->btnUpdate->click();
        ASSERT_EQ(dialogs.shown.size(), 1);
        EXPECT_TRUE(dialogs.lastText().startsWith("Es konnte keine Verbindung zum Server")) << dialogs.lastText().toStdString();
    }
}
