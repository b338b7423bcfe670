#pragma once
// The about box: program information with logo and homepage link on the first
// page; the contact address on a second page, reached by double-clicking the logo.
#include <QDialog>
#include <QPixmap>
#include <QTimer>
#include <memory>

class QMenu;
class QAction;
namespace Ui { class TAboutBox; }

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* aOwner = nullptr);
    ~TAboutBox() override;

    // Whether double-clicking the logo opens the second page.
    bool FSecondPage = true;
    QTimer Timer1;  // brings the first page back after 5 seconds
    QMenu* PopupMenu1 = nullptr;
    QAction* mnuCopyAddress = nullptr;

    // The logo is drawn proportionally and centred in its area.
    void SetProgramIcon(const QPixmap& aPicture);
    void SetSecretIcon(const QPixmap& aPicture);
    void SetInternalName(const QString& aName);  // both the name and its shadow
    void SetProgrammer(const QString& aName, const QString& aEmail);

    void ProgramIconDblClick();
    // Timer, OK and "Zurück": back to the first page with the saved caption.
    void OkButtonClick();
    void CopyAddress();
    void OpenLink(const QString& aPrefix, const QString& aCaption);

    Ui::TAboutBox* ui() const { return FUi.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TAboutBox> FUi;
    QPixmap FLogo;
    QString FSavedCaption;
    bool FCaptionSaved = false;
};
