#include "aboutdlg.h"

#include "ui_aboutdlg.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>

TAboutBox::TAboutBox(QWidget* aOwner) : QDialog(aOwner), FUi(std::make_unique<Ui::TAboutBox>()) {
    FUi->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(467, 229);

    // The internal name in large type; the blue copy lies over the grey one,
    // 3 pixels to the left and 2 higher, so the grey one reads as its shadow.
    for (QLabel* l : {FUi->SInternalname, FUi->SInternalNameTop}) {
        QFont f = l->font();
        f.setPixelSize(32);
        l->setFont(f);
        l->setAttribute(Qt::WA_TranslucentBackground);
    }
    FUi->SInternalNameTop->raise();

    QPalette memo = FUi->Adresse->palette();
    memo.setColor(QPalette::Base, palette().color(QPalette::Window));
    FUi->Adresse->setPalette(memo);
    FUi->Adresse->document()->setDocumentMargin(0);
    FUi->Adresse->viewport()->setToolTip(FUi->Adresse->toolTip());

    PopupMenu1 = new QMenu(this);
    mnuCopyAddress = PopupMenu1->addAction(QStringLiteral("Adresse in die Zwischenablage kopieren"));
    connect(mnuCopyAddress, &QAction::triggered, this, &TAboutBox::CopyAddress);
    connect(FUi->Adresse, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(FUi->Adresse->mapToGlobal(pos)); });

    Timer1.setInterval(5000);
    connect(&Timer1, &QTimer::timeout, this, &TAboutBox::OkButtonClick);
    connect(FUi->OkButton, &QPushButton::clicked, this, [this] {
        OkButtonClick();
        accept();
    });
    connect(FUi->btnBack, &QPushButton::clicked, this, &TAboutBox::OkButtonClick);

    for (QWidget* w : {static_cast<QWidget*>(FUi->ProgramIcon), static_cast<QWidget*>(FUi->sWebadresse),
                       static_cast<QWidget*>(FUi->sEmail), static_cast<QWidget*>(FUi->sProgrammerEmail)})
        w->installEventFilter(this);

    FUi->PageControl1->setCurrentWidget(FUi->TabSheet1);
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::SetProgramIcon(const QPixmap& aPicture) {
    FLogo = aPicture;
    const QSize area = FUi->ProgramIcon->size();
    FUi->ProgramIcon->setPixmap(aPicture.isNull() ? QPixmap()
                                                  : aPicture.scaled(area, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void TAboutBox::SetSecretIcon(const QPixmap& aPicture) { FUi->SecretIcon->setPixmap(aPicture); }

void TAboutBox::SetInternalName(const QString& aName) {
    FUi->SInternalname->setText(aName);
    FUi->SInternalNameTop->setText(aName);
}

void TAboutBox::SetProgrammer(const QString& aName, const QString& aEmail) {
    FUi->lblProgrammer->setText(aName);
    FUi->sProgrammerEmail->setText(aEmail);
}

void TAboutBox::ProgramIconDblClick() {
    if (!FSecondPage) return;
    FSavedCaption = windowTitle();
    FCaptionSaved = true;
    setWindowTitle(QStringLiteral("Ihr Ansprechpartner:"));
    FUi->PageControl1->setCurrentWidget(FUi->TabSheet2);
    Timer1.start();
}

void TAboutBox::OkButtonClick() {
    if (FCaptionSaved) setWindowTitle(FSavedCaption);
    FCaptionSaved = false;
    FUi->PageControl1->setCurrentWidget(FUi->TabSheet1);
    Timer1.stop();
}

void TAboutBox::CopyAddress() { QApplication::clipboard()->setText(FUi->Adresse->toPlainText()); }

void TAboutBox::OpenLink(const QString& aPrefix, const QString& aCaption) {
    if (aCaption.isEmpty()) return;
    QDesktopServices::openUrl(QUrl(aPrefix + aCaption));
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FUi->ProgramIcon && event->type() == QEvent::MouseButtonDblClick) {
        ProgramIconDblClick();
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == FUi->sWebadresse) OpenLink(QStringLiteral("http://"), FUi->sWebadresse->text());
        else if (watched == FUi->sEmail) OpenLink(QStringLiteral("mailto:"), FUi->sEmail->text());
        else if (watched == FUi->sProgrammerEmail) OpenLink(QStringLiteral("mailto:"), FUi->sProgrammerEmail->text());
    }
    return QDialog::eventFilter(watched, event);
}
