#include "frmDownload.h"

#include "DebugOutput.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "Guards.h"
#include "StringList.h"
#include "SysUtils.h"
#include "VeltraArtwork.h"
#include "previewhtml.h"
#include "uCheckVersion.h"
#include "ui_frmDownload.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QSaveFile>
#include <QScreen>
#include <QUrl>

namespace {
const QString kIndyUserAgent = QStringLiteral("Mozilla/3.0 (compatible; Indy Library)");
const QString kHttpGetUserAgent = QStringLiteral("Mozilla/4.0 (compatible; httpget)");

TShellStarter& shellStarter() {
    static TShellStarter starter;
    return starter;
}

bool startInstaller(const QString& aFile, const QStringList& aParams) {
    if (shellStarter()) return shellStarter()(aFile, aParams);
    return QProcess::startDetached(aFile, aParams, QFileInfo(aFile).absolutePath());
}

// The server part of an address for the connection message: up to and
// including the first ".de"; other addresses show their scheme and host.
QString serverPart(const QString& aAddress) {
    const qsizetype de = aAddress.indexOf(QLatin1String(".de"));
    if (de >= 0) return aAddress.left(de + 3);
    const QUrl url(QString(aAddress).replace(QLatin1Char('\\'), QLatin1Char('/')));
    if (url.isValid() && !url.host().isEmpty())
        return url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo)
            .toString(QUrl::StripTrailingSlash);
    return aAddress;
}

TStringList replyLines(const THttpResult& r) {
    TStringList list;
    list.SetText(THttpClient::DecodeText(r.Body, r.ContentType));
    return list;
}

QString applicationTitle() {
    const QString display = QGuiApplication::applicationDisplayName();
    return display.isEmpty() ? QCoreApplication::applicationName() : display;
}
}  // namespace

TUpdateEntry ReadUpdateEntry(const TStringList& aLines, bool aNamed) {
    TUpdateEntry e;
    if (aNamed) {
        e.Filename = Trim(aLines.Values(QStringLiteral("Filename")));
        e.FileSize = StrToIntDef(aLines.Values(QStringLiteral("FileSize")), 0);
        e.History = Trim(aLines.Values(QStringLiteral("History")));
    } else {
        e.Filename = Trim(aLines[1]);
        e.FileSize = StrToInt(aLines[2]);
        e.History = aLines.Count() >= 4 ? Trim(aLines[3]) : QString();
    }
    return e;
}

void SetShellStarter(TShellStarter aStarter) { shellStarter() = std::move(aStarter); }

QString NormalizeUrl(const QString& aUrl) {
    QString s = aUrl;
    if (TavexBuild()) {
        if (s.endsWith(QLatin1Char('\\'))) s.chop(1);
        s.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (!s.isEmpty() && !s.endsWith(QLatin1Char('/'))) s += QLatin1Char('/');
    } else {
        // A trailing "/" counts as the delimiter too, so no doubled slash is requested.
        if (!s.endsWith(QLatin1Char('\\')) && !s.endsWith(QLatin1Char('/'))) s += QLatin1Char('\\');
        s.replace(QLatin1Char('\\'), QLatin1Char('/'));
    }
    return s;
}

QString ConnectionErrorText(const QString& aAddress, const QString& aError) {
    return QStringLiteral("Es konnte keine Verbindung zum Server (%1) hergestellt werden.").arg(serverPart(aAddress)) +
           QLatin1Char('\n') + QStringLiteral("Bitte überprüfen Sie Ihre Internetverbindung!") + QLatin1Char('\n') + aError;
}

bool CheckForUpdate(const QString& aAddress, const QString& aFile) {
    const bool tavex = TavexBuild();
    const QString base = NormalizeUrl(aAddress);
    THttpClient http;
    http.UserAgent = tavex ? kHttpGetUserAgent : kIndyUserAgent;
    THttpResult r;
    {
        HourglassGuard hourglass;
        r = http.Get(base + aFile);
    }
    if (tavex) {
        OutputDebugString(QStringLiteral("DownloadUrl: ") + base);
        OutputDebugString(QStringLiteral("Indy-Version: Qt Network ") + QString::fromLatin1(qVersion()));
        OutputDebugString(QStringLiteral("ReadHTTPS: ") + r.StatusText);
    }
    if (!r.Ok) {
        if (tavex) {
            OutputDebugString(r.ErrorText);
            return false;
        }
        Dialogs::instance().ShowMessage(ConnectionErrorText(aAddress, r.ErrorText));
        return true;
    }

    const TStringList list = replyLines(r);
    QString own, newVersion, url, title;
    if (tavex) {
        newVersion = list.Values(QStringLiteral("Version"));
        try {
            if (!IsNewerVersion(newVersion, own)) return false;
        } catch (const EConvertError& e) {
            OutputDebugString(e.Message());
            return false;
        }
        const QString downloadUrl = list.Values(QStringLiteral("DownloadUrl"));
        // Without a download address the files lie beside the version file.
        url = downloadUrl.isEmpty() ? base : NormalizeUrl(downloadUrl);
        title = list.Values(QStringLiteral("AppTitle"));
    } else {
        newVersion = list.Count() > 0 ? list[0] : QString();  // an empty reply fails the conversion
        if (!IsNewerVersion(newVersion, own)) return false;
        url = base;
        title = list.Count() > 4 ? list[4] : QString();
    }
    if (title.isEmpty()) title = applicationTitle();

    TfrmUpdate frm(nullptr);
    frm.OldVersion = own;
    frm.InfoFilename = aFile;
    frm.Url = url;
    frm.NewVersion = Trim(newVersion);
    frm.SetApplicationTitle(title);
    frm.FNamedLayout = tavex;
    frm.exec();
    return true;
}

TfrmUpdate::TfrmUpdate(QWidget* aOwner)
    : QDialog(aOwner), FUi(std::make_unique<Ui::TfrmUpdate>()), FFlavor(KvUtilsFlavor()) {
    FUi->setupUi(this);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(size());
    FUi->Image1->setPixmap(VeltraArtwork::UpdateImage());
    FUi->ProgressBar1->hide();
    FUi->btnShowVersion->hide();
    IdHTTP1.Accept = QStringLiteral("text/html, */*");
    IdHTTP1.UserAgent = kIndyUserAgent;
    connect(FUi->btnShowVersion, &QPushButton::clicked, this, [this] { RunAction([this] { btnShowVersionClick(); }); });
    connect(FUi->btnDownload, &QPushButton::clicked, this, [this] {
        RunAction([this] { btnDownloadClick(); });
        accept();
    });
    connect(FUi->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmUpdate::~TfrmUpdate() = default;

void TfrmUpdate::SetApplicationTitle(const QString& aTitle) {
    FApplicationTitle = aTitle;
    FUi->Label1->setText(QStringLiteral("Sie arbeiten zur Zeit mit %1 in der Version %2. \n"
                                        "Eine neuere Version (%3) von %4 steht zum Download bereit.")
                             .arg(aTitle, OldVersion, NewVersion, aTitle));
}

int TfrmUpdate::exec() {
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    RunAction([this] { FormShow(); });
    return QDialog::exec();
}

void TfrmUpdate::FormShow() {
    FFilename.clear();
    FFileSize = 0;
    VersionFile.clear();
    FUi->btnShowVersion->hide();
    FUi->btnDownload->setEnabled(false);
    FUi->ProgressBar1->reset();
    THttpResult r;
    {
        HourglassGuard hourglass;
        r = IdHTTP1.Get(Url + InfoFilename);
    }
    if (!r.Ok) {
        Dialogs::instance().ShowMessage(ConnectionErrorText(Url, r.ErrorText));
        return;
    }
    const TUpdateEntry entry = ReadUpdateEntry(replyLines(r), FNamedLayout);
    FFilename = entry.Filename;
    FFileSize = entry.FileSize;
    VersionFile = entry.History;
    FUi->btnShowVersion->setVisible(!VersionFile.isEmpty());
    FUi->btnDownload->setEnabled(!FFilename.isEmpty());
}

void TfrmUpdate::btnShowVersionClick() {
    TfrmPreviewHTML preview(this);
    preview.SetUrl(Url + VersionFile);
    preview.exec();
}

void TfrmUpdate::btnDownloadClick() {
    // Only the name part: the server must not choose a folder on this computer.
    const QString name = QFileInfo(QString(FFilename).replace(QLatin1Char('\\'), QLatin1Char('/'))).fileName();
    if (name.isEmpty() || name == QLatin1String("..") || name == QLatin1String(".")) throw EInOutError(QStringLiteral("Der Server nennt keine Datei zum Herunterladen."));
    QString dir = QCoreApplication::applicationDirPath();
    if (!Dialogs::instance().SelectDirectory(QStringLiteral("Zielverzeichnis"), dir)) return;
    const QString target = QDir::toNativeSeparators(QDir(dir).absoluteFilePath(name));
    if (QFileInfo::exists(target) &&
        !ConfirmDlg(QStringLiteral("Die Datei ") + target + QStringLiteral(" existiert bereits. Soll sie überschrieben werden?")))
        return;
    if (!Download(target)) return;
    // An installer is only started when it is known to be whole.
    if (FFileSize > 0 && target.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive) &&
        ConfirmDlg(QStringLiteral("Soll das Update sofort installiert werden?"))) {
        if (!startInstaller(target, {QStringLiteral("/SILENT")}))
            throw EInOutError(QStringLiteral("Das Update %1 konnte nicht gestartet werden.").arg(target));
        QCoreApplication::quit();
    }
}

bool TfrmUpdate::Download(const QString& aTarget) {
    const QString source = Url + FFilename;
    QSaveFile file(aTarget);
    if (!file.open(QIODevice::WriteOnly))
        throw EInOutError(QStringLiteral("Die Datei %1 kann nicht erstellt werden. %2").arg(aTarget, file.errorString()));
    THttpResult r;
    {
        HourglassGuard hourglass;
        QProgressBar* bar = FUi->ProgressBar1;
        // The buttons rest while the transfer runs (user input is held back anyway).
        const QList<QPushButton*> buttons{FUi->btnShowVersion, FUi->btnDownload, FUi->btnCancel};
        for (QPushButton* b : buttons) b->setEnabled(false);
        bar->setRange(0, qMax(FFileSize, 0));
        bar->setValue(0);
        bar->show();
        r = IdHTTP1.Get(source, &file, [bar](qint64 received, qint64) {
            if (bar->maximum() > 0) bar->setValue(int(qMin<qint64>(received, bar->maximum())));
        });
        bar->reset();
        bar->hide();
        for (QPushButton* b : buttons) b->setEnabled(true);
    }
    if (r.Ok && FFileSize > 0 && r.BytesReceived != FFileSize) {
        r.Ok = false;
        r.ErrorText = QStringLiteral("Die Datei ist %1 Bytes groß, angekündigt waren %2 Bytes.").arg(r.BytesReceived).arg(FFileSize);
    }
    if (!r.Ok) {
        file.cancelWriting();  // nothing that looks like a finished download stays behind
        if (FFlavor == TKvUtilsFlavor::Tavex) {
            Dialogs::instance().ShowMessage(QStringLiteral("Fehler beim Download von ") + source + QLatin1Char('\n') + r.ErrorText);
            return false;
        }
        throw EInOutError(r.ErrorText);
    }
    if (!file.commit())
        throw EInOutError(QStringLiteral("Die Datei %1 kann nicht gespeichert werden. %2").arg(aTarget, file.errorString()));
    return true;
}
