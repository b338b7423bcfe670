#pragma once
// The update check against the update server and the update window that
// shows the news, the version history and downloads the new file.
#include "HttpClient.h"
#include "KvUtils.h"

#include <QDialog>
#include <QStringList>
#include <functional>
#include <memory>

namespace Ui { class TfrmUpdate; }

// Address with "/" separators and exactly one "/" at the end.
QString NormalizeUrl(const QString& aUrl);
// True when a newer version was found and the update window was shown; the
// classic build also returns true when the server cannot be reached (after
// telling the user), so no "up to date" message follows.
bool CheckForUpdate(const QString& aAddress, const QString& aFile);
// The message for an unreachable server.
QString ConnectionErrorText(const QString& aAddress, const QString& aError);

class TStringList;

// The download entry of a version file on the update server.
struct TUpdateEntry {
    QString Filename;   // relative to the download address
    int FileSize = 0;   // announced size in bytes
    QString History;    // version history page, may be empty
};
// Named layout: entries Filename, FileSize (0 when no number) and History.
// Positional layout: lines 1 to 3; a missing line or a size that is no integer
// raises EListError or EConvertError.
TUpdateEntry ReadUpdateEntry(const TStringList& aLines, bool aNamed);

// Starts a downloaded installer through the shell; false when it did not start.
using TShellStarter = std::function<bool(const QString& aFile, const QStringList& aParams)>;
void SetShellStarter(TShellStarter aStarter);  // empty: the default (a detached process)

class TfrmUpdate : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString OldVersion MEMBER OldVersion)
    Q_PROPERTY(QString NewVersion MEMBER NewVersion)
    Q_PROPERTY(QString Url MEMBER Url)
    Q_PROPERTY(QString InfoFilename MEMBER InfoFilename)
    Q_PROPERTY(QString VersionFile MEMBER VersionFile)
    Q_PROPERTY(QString ApplicationTitle READ ApplicationTitle WRITE SetApplicationTitle)

public:
    explicit TfrmUpdate(QWidget* aOwner = nullptr);
    ~TfrmUpdate() override;

    QString OldVersion;
    QString NewVersion;
    QString Url;
    QString InfoFilename;
    QString VersionFile;
    QString ApplicationTitle() const { return FApplicationTitle; }
    // Also writes the news text with the title and both versions.
    void SetApplicationTitle(const QString& aTitle);

    // Set by the check routine when the version file has the named layout.
    bool FNamedLayout = false;
    QString FFilename;
    int FFileSize = 0;

    THttpClient IdHTTP1;

    // Reads the version file (run when the window is shown).
    void FormShow();
    // Asks for the folder and downloads; the window closes afterwards.
    void btnDownloadClick();
    void btnShowVersionClick();
    // Downloads Url + FFilename into aTarget; true when complete. The file
    // appears under its name only when every announced byte has arrived.
    bool Download(const QString& aTarget);

    int exec() override;
    Ui::TfrmUpdate* ui() const { return FUi.get(); }

private:
    std::unique_ptr<Ui::TfrmUpdate> FUi;
    TKvUtilsFlavor FFlavor;
    QString FApplicationTitle;
};
