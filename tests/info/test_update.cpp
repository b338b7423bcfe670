// The update check and the update window against a local HTTP server.
#include "Dialogs.h"
#include "Exceptions.h"
#include "InfoTestSupport.h"
#include "TestHttpServer.h"
#include "frmDownload.h"
#include "previewhtml.h"
#include "ui_frmDownload.h"
#include "ui_previewhtml.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QUuid>
#include <gtest/gtest.h>

using namespace info_test;
using testing_support::readFile;
using testing_support::writeFile;

namespace {
const QString kNews = QStringLiteral(
    "Sie arbeiten zur Zeit mit %1 in der Version 1.2.20.40. \n"
    "Eine neuere Version (%2) von %1 steht zum Download bereit.");

QByteArray payload(int size) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i) b[i] = char((i * 31 + i / 7) & 0xFF);
    return b;
}

QByteArray pngBytes() {
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes;
}

class UpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetShellStarter([this](const QString& file, const QStringList& params) {
            started << (QStringList{file} + params);
            return true;
        });
    }
    void TearDown() override { SetShellStarter({}); }

    QString newFolder() {
        const QString dir = testing_support::tempDir() + "/dl-" + QUuid::createUuid().toString(QUuid::Id128);
        QDir().mkpath(dir);
        return dir;
    }
    QByteArray origin() const { return server.origin().toUtf8(); }

    // An update window as the check routine leaves it after reading the version file.
    std::unique_ptr<TfrmUpdate> window(const QString& file, int size) {
        auto w = std::make_unique<TfrmUpdate>();
        w->Url = server.origin() + "/dl/";
        w->FFilename = file;
        w->FFileSize = size;
        return w;
    }

    FakeDialogs dialogs;
    TestHttpServer server;
    QList<QStringList> started;
};
}  // namespace

TEST_F(UpdateTest, ClassicFindsANewerVersionInThePositionalFile) {
    FlavorScope classic(TKvUtilsFlavor::Classic);
    server.text("/updates/plananzeige.txt", "1.2.20.41\r\nSetup.exe\r\n4096\r\nhistory.html\r\nVeltra Plananzeige\r\n");

    ModalWatch<TfrmUpdate> watch([&](TfrmUpdate* w) {
        EXPECT_EQ(w->windowTitle(), "Updateprüfung");
        EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_EQ(w->ui()->Label1->text(), kNews.arg("Veltra Plananzeige", "1.2.20.41"));
        EXPECT_EQ(w->Url, server.origin() + "/updates/");
        EXPECT_EQ(w->FFilename, "Setup.exe");
        EXPECT_EQ(w->FFileSize, 4096);
        EXPECT_EQ(w->VersionFile, "history.html");
        EXPECT_TRUE(w->ui()->btnShowVersion->isVisible());
        EXPECT_FALSE(w->ui()->ProgressBar1->isVisible());
        screenshot(w, "update_window");
        w->ui()->btnCancel->click();
    });
    // Backslashes and no trailing slash: requested with slashes and one slash before the file.
    EXPECT_TRUE(CheckForUpdate(server.origin() + "\\updates", "plananzeige.txt"));
    EXPECT_EQ(watch.count(), 1);
    ASSERT_EQ(server.requests.size(), 2);  // the check, then the window reads the file again
    EXPECT_EQ(server.requests[0].path, "/updates/plananzeige.txt");
    EXPECT_EQ(server.requests[0].headers.value("user-agent"), "Mozilla/3.0 (compatible; Indy Library)");
    EXPECT_EQ(server.requests[1].path, "/updates/plananzeige.txt");
    EXPECT_EQ(server.requests[1].headers.value("accept"), "text/html, */*");
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(UpdateTest, NoWindowWhenTheServerIsNotNewer) {
    for (const char* version : {"1.2.20.40", "1.2.20.39", "1.1.99.99"}) {
        server.text("/p/classic.txt", QByteArray(version) + "\r\nSetup.exe\r\n10\r\n");
        server.text("/p/tavex.txt", "Version=" + QByteArray(version) + "\r\nFilename=Setup.exe\r\n");
        ModalWatch<TfrmUpdate> watch([](TfrmUpdate* w) { w->reject(); });
        {
            FlavorScope classic(TKvUtilsFlavor::Classic);
            EXPECT_FALSE(CheckForUpdate(server.origin() + "/p", "classic.txt")) << version;
        }
        {
            FlavorScope tavex(TKvUtilsFlavor::Tavex);
            EXPECT_FALSE(CheckForUpdate(server.origin() + "/p/", "tavex.txt")) << version;
        }
        EXPECT_EQ(watch.count(), 0) << version;
    }
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(UpdateTest, TavexReadsTheNamedFileAndUsesTheDownloadAddress) {
    FlavorScope tavex(TKvUtilsFlavor::Tavex);
    // No History entry, a size that is no number, no application title.
    const QByteArray file = "Version=1.2.20.41\r\nDownloadUrl=" + origin() + "\\dl\r\nFilename=EQ10Setup.zip\r\nFileSize=unbekannt\r\n";
    server.text("/info/eq10.txt", file);
    server.text("/dl/eq10.txt", file);

    ModalWatch<TfrmUpdate> watch([&](TfrmUpdate* w) {
        EXPECT_EQ(w->Url, server.origin() + "/dl/");
        EXPECT_EQ(w->FFilename, "EQ10Setup.zip");
        EXPECT_EQ(w->FFileSize, 0);
        EXPECT_FALSE(w->ui()->btnShowVersion->isVisible());  // no version history
        EXPECT_EQ(w->ui()->Label1->text(), kNews.arg(QCoreApplication::applicationName(), "1.2.20.41"));
        w->reject();
    });
    EXPECT_TRUE(CheckForUpdate(server.origin() + "/info", "eq10.txt"));
    EXPECT_EQ(watch.count(), 1);
    ASSERT_EQ(server.requests.size(), 2);
    EXPECT_EQ(server.requests[0].headers.value("user-agent"), "Mozilla/4.0 (compatible; httpget)");
    EXPECT_EQ(server.requests[1].path, "/dl/eq10.txt");
}

TEST_F(UpdateTest, BrokenVersionFileEndsTheCheckPerBuild) {
    server.text("/p/classic.txt", "1.2\r\nSetup.exe\r\n");
    server.text("/p/tavex.txt", "Version=1.2\r\n");
    {
        FlavorScope classic(TKvUtilsFlavor::Classic);
        EXPECT_THROW(CheckForUpdate(server.origin() + "/p", "classic.txt"), EConvertError);
        server.text("/p/empty.txt", "");
        EXPECT_THROW(CheckForUpdate(server.origin() + "/p", "empty.txt"), EConvertError);
    }
    FlavorScope tavex(TKvUtilsFlavor::Tavex);
    EXPECT_FALSE(CheckForUpdate(server.origin() + "/p", "tavex.txt"));  // "up to date" follows
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(UpdateTest, UnreachableServerPerBuild) {
    const QString address = QStringLiteral("http://127.0.0.1:%1/updates").arg(TestHttpServer::closedPort());
    {
        FlavorScope tavex(TKvUtilsFlavor::Tavex);
        EXPECT_FALSE(CheckForUpdate(address, "x.txt"));
        EXPECT_TRUE(dialogs.shown.isEmpty());
    }
    FlavorScope classic(TKvUtilsFlavor::Classic);
    EXPECT_TRUE(CheckForUpdate(address, "x.txt"));  // no "up to date" message after this one
    ASSERT_EQ(dialogs.shown.size(), 1);
    const QString head = QStringLiteral("Es konnte keine Verbindung zum Server (%1) hergestellt werden.\n"
                                        "Bitte überprüfen Sie Ihre Internetverbindung!\n")
                             .arg(address.left(address.lastIndexOf('/')));
    EXPECT_TRUE(dialogs.lastText().startsWith(head)) << dialogs.lastText().toStdString();
    EXPECT_GT(dialogs.lastText().size(), head.size());  // followed by the reason
}

TEST(ConnectionErrorText, ServerPartEndsAfterTheFirstDotDe) {
    EXPECT_EQ(ConnectionErrorText("http://update.schulsoftware.de/plugins/", "Zeitüberschreitung"),
              "Es konnte keine Verbindung zum Server (http://update.schulsoftware.de) hergestellt werden.\n"
              "Bitte überprüfen Sie Ihre Internetverbindung!\nZeitüberschreitung");
    EXPECT_TRUE(ConnectionErrorText("http://www.veltra-schulsoftware.example:8080/a/b/", "x")
                    .contains("(http://www.veltra-schulsoftware.example:8080)"));
}

TEST_F(UpdateTest, WindowReadsTheVersionFileAndReportsAFailedRead) {
    server.text("/dl/three.txt", "1.2.20.41\r\nSetup.exe\r\n100\r\n");  // no history line
    server.text("/dl/badsize.txt", "1.2.20.41\r\nSetup.exe\r\nviel\r\n");
    FlavorScope classic(TKvUtilsFlavor::Classic);
    auto w = window({}, 0);
    w->InfoFilename = "three.txt";
    w->FormShow();
    EXPECT_EQ(w->FFilename, "Setup.exe");
    EXPECT_EQ(w->FFileSize, 100);
    EXPECT_TRUE(w->VersionFile.isEmpty());
    EXPECT_FALSE(w->ui()->btnShowVersion->isVisibleTo(w.get()));
    EXPECT_TRUE(w->ui()->btnDownload->isEnabled());

    w->InfoFilename = "badsize.txt";
    EXPECT_THROW(w->FormShow(), EConvertError);

    w->InfoFilename = "missing.txt";  // 404
    w->FormShow();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.lastText().startsWith("Es konnte keine Verbindung zum Server (" + server.origin() + ")"));
    EXPECT_TRUE(dialogs.lastText().contains("404"));
    EXPECT_FALSE(w->ui()->btnDownload->isEnabled());  // nothing known to download
}

TEST_F(UpdateTest, ExeDownloadFollowsTheProgressAndOffersTheSilentInstall) {
    FlavorScope classic(TKvUtilsFlavor::Classic);
    const QByteArray data = payload(200000);
    server.route("/dl/Setup.EXE", {200, data, "application/octet-stream", 8});
    auto w = window("Setup.EXE", data.size());
    const QString folder = newFolder();
    dialogs.answerText(folder);
    dialogs.answer(mrYes);  // install now

    QList<int> values;
    int maximum = -1;
    bool grabbed = false;
    QProgressBar* bar = w->ui()->ProgressBar1;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int v) {
        if (!bar->isVisibleTo(w.get())) return;
        values << v;
        maximum = bar->maximum();
        if (!grabbed && v > data.size() / 3) {
            grabbed = true;
            screenshot(w.get(), "update_window_download");
        }
    });
    w->OldVersion = "1.2.20.40";
    w->NewVersion = "1.2.20.41";
    w->SetApplicationTitle("Veltra Plananzeige");
    w->ui()->btnDownload->click();

    const QString target = QDir::toNativeSeparators(folder + "/Setup.EXE");
    EXPECT_EQ(readFile(target), data);
    EXPECT_EQ(w->result(), QDialog::Accepted);
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[0].caption, "Zielverzeichnis");
    EXPECT_EQ(dialogs.shown[0].text, QCoreApplication::applicationDirPath());
    EXPECT_EQ(dialogs.shown[1].text, "Soll das Update sofort installiert werden?");
    EXPECT_EQ(started, (QList<QStringList>{QStringList{target, "/SILENT"}}));

    EXPECT_EQ(maximum, data.size());
    EXPECT_GE(values.size(), 3);
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_EQ(values.value(values.size() - 1), data.size());
    EXPECT_FALSE(bar->isVisibleTo(w.get()));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // the hourglass is gone again
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"Setup.EXE"});
}

TEST_F(UpdateTest, ZipDownloadDoesNotOfferTheInstall) {
    FlavorScope tavex(TKvUtilsFlavor::Tavex);
    const QByteArray data = payload(3000);
    server.route("/dl/sub/Setup.zip", {200, data, "application/zip"});
    auto w = window("sub/Setup.zip", data.size());  // only the name part lands in the folder
    const QString folder = newFolder();
    dialogs.answerText(folder);
    w->btnDownloadClick();
    EXPECT_EQ(readFile(folder + "/Setup.zip"), data);
    EXPECT_EQ(dialogs.shown.size(), 1);  // the folder only
    EXPECT_TRUE(started.isEmpty());
}

TEST_F(UpdateTest, AnExistingFileIsOnlyReplacedAfterYes) {
    FlavorScope classic(TKvUtilsFlavor::Classic);
    const QByteArray data = payload(5000);
    server.route("/dl/Setup.exe", {200, data, "application/octet-stream"});
    const QString folder = newFolder();
    const QString target = QDir::toNativeSeparators(folder + "/Setup.exe");
    writeFile(target, "old version");
    auto w = window("Setup.exe", data.size());

    dialogs.answerText(folder);
    dialogs.answer(mrNo);
    w->btnDownloadClick();
    EXPECT_EQ(dialogs.lastText(), "Die Datei " + target + " existiert bereits. Soll sie überschrieben werden?");
    EXPECT_EQ(readFile(target), "old version");
    EXPECT_TRUE(server.requests.isEmpty());

    dialogs.answerText(folder);
    dialogs.answer(mrYes);
    dialogs.answer(mrNo);  // not now
    w->btnDownloadClick();
    EXPECT_EQ(readFile(target), data);
    EXPECT_TRUE(started.isEmpty());
}

TEST_F(UpdateTest, ShortOrBrokenDownloadLeavesTheOldFileAndNothingElse) {
    const QByteArray data = payload(40000);
    server.route("/dl/broken.exe", {200, data, "application/octet-stream", 4, -1, true});   // connection breaks
    server.route("/dl/short.exe", {200, data.left(30000), "application/octet-stream"});    // less than announced
    for (const TKvUtilsFlavor flavor : {TKvUtilsFlavor::Classic, TKvUtilsFlavor::Tavex}) {
        for (const char* name : {"broken.exe", "short.exe"}) {
            SCOPED_TRACE(std::string(name) + (flavor == TKvUtilsFlavor::Tavex ? " tavex" : " classic"));
            FlavorScope scope(flavor);
            dialogs.shown.clear();
            const QString folder = newFolder();
            const QString target = QDir::toNativeSeparators(folder + "/" + name);
            writeFile(target, "old version");
            auto w = window(name, data.size());
            dialogs.answerText(folder);
            dialogs.answer(mrYes);  // overwrite
            if (flavor == TKvUtilsFlavor::Tavex) {
                w->btnDownloadClick();
                ASSERT_EQ(dialogs.shown.size(), 3);
                EXPECT_TRUE(dialogs.lastText().startsWith("Fehler beim Download von " + server.origin() + "/dl/" + name + "\n"))
                    << dialogs.lastText().toStdString();
            } else {
                EXPECT_THROW(w->btnDownloadClick(), EInOutError);
                EXPECT_EQ(dialogs.shown.size(), 2);  // no installer offer
            }
            EXPECT_EQ(readFile(target), "old version");
            EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{name});
            EXPECT_FALSE(w->ui()->ProgressBar1->isVisibleTo(w.get()));
            EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        }
    }
    EXPECT_TRUE(started.isEmpty());
}

TEST_F(UpdateTest, VersionHistoryOpensThePageWithItsPicture) {
    server.route("/dl/history.html", {200,
        "<html><body><h2>Neu in Version 1.2.20.41</h2><img src=\"shot.png\"><ul><li>Schnellere Planansicht</li>"
        "<li>Export nach EQ10 überarbeitet</li></ul></body></html>", "text/html; charset=utf-8"});
    server.route("/dl/shot.png", {200, pngBytes(), "image/png"});
    auto w = window("Setup.exe", 10);
    w->VersionFile = "history.html";

    ModalWatch<TfrmPreviewHTML> watch([&](TfrmPreviewHTML* p) {
        EXPECT_EQ(p->parentWidget(), w.get());
        EXPECT_EQ(p->windowTitle(), "Vorschau");
        EXPECT_EQ(p->Url(), server.origin() + "/dl/history.html");
        const QString text = p->ui()->WebBrowser1->toPlainText();
        EXPECT_TRUE(text.contains("Neu in Version 1.2.20.41")) << text.toStdString();
        EXPECT_TRUE(text.contains("Export nach EQ10 überarbeitet"));
        const QVariant img = p->ui()->WebBrowser1->document()->resource(QTextDocument::ImageResource,
                                                                       QUrl(server.origin() + "/dl/shot.png"));
        EXPECT_TRUE(img.isValid());
        // "Schließen" stays in the middle however wide the window is.
        for (int width : {500, 900}) {
            p->resize(width, 400);
            p->layout()->activate();
            p->ui()->Panel2->layout()->activate();
            const QRect b = p->ui()->btnOk->geometry();
            EXPECT_NEAR(b.center().x(), p->ui()->Panel2->width() / 2, 2) << width;
        }
        EXPECT_EQ(p->ui()->btnOk->text(), "Schließen");
        p->resize(640, 420);
        screenshot(p, "preview_window");
        p->ui()->btnOk->click();
    });
    w->btnShowVersionClick();
    EXPECT_EQ(watch.count(), 1);
}
