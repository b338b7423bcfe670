#include "frmInfo.h"

#include "Dialogs.h"
#include "FormatSettings.h"
#include "Guards.h"
#include "VersionInfo.h"
#include "frmDownload.h"
#include "ui_frmInfo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

namespace {
// The window sizes were laid out as outer sizes of a Windows dialog, of which
// 30 pixels are caption and borders; Qt sizes the client area.
constexpr int kFrameAllowance = 30;
constexpr int kClassicHeight = 160 - kFrameAllowance;
constexpr int kClassicHeightWithUpdate = 190 - kFrameAllowance;
constexpr int kButtonTop = 85;
constexpr int kOkTopWithUpdate = 116;
constexpr int kButtonGap = 8;
}  // namespace

QString StandDateText(const QDateTime& aDate, bool aFullMonth) {
    const TFormatSettings& fs = FormatSettings();
    const QDate d = aDate.date();
    QString month = aFullMonth ? fs.LongMonthNames.value(d.month() - 1) : fs.ShortMonthNames.value(d.month() - 1);
    // The locale's abbreviations may carry their own point ("Feb."); the format adds one.
    if (month.endsWith(QLatin1Char('.'))) month.chop(1);
    return QStringLiteral("Stand: %1. %2. %3").arg(d.day(), 2, 10, QLatin1Char('0')).arg(month).arg(d.year(), 4, 10, QLatin1Char('0'));
}

QString MakerCopyright(int aYear) {
    return QStringLiteral("Copyright © 2008-%1 Veltra Schulsoftware").arg(aYear);
}

TInfoDlg::TInfoDlg(QWidget* aOwner) : QDialog(aOwner), FUi(std::make_unique<Ui::TInfoDlg>()), FFlavor(KvUtilsFlavor()) {
    FUi->setupUi(this);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    for (QLabel* l : {FUi->lblProgname, FUi->lblVersion, FUi->lblApplication, FUi->lblDatum, FUi->lblCopyright})
        l->setAttribute(Qt::WA_TranslucentBackground);
    connect(FUi->btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(FUi->btnUpdate, &QPushButton::clicked, this, [this] { RunAction([this] { btnUpdateClick(); }); });
    FormShow();
}

TInfoDlg::~TInfoDlg() = default;

QString TInfoDlg::Progname() const { return FUi->lblProgname->text(); }
void TInfoDlg::SetProgname(const QString& s) { FUi->lblProgname->setText(s); }
QString TInfoDlg::Version() const { return FUi->lblVersion->text(); }
void TInfoDlg::SetVersion(const QString& s) { FUi->lblVersion->setText(s); }
QString TInfoDlg::Application() const { return FUi->lblApplication->text(); }
void TInfoDlg::SetApplication(const QString& s) { FUi->lblApplication->setText(s); }
QString TInfoDlg::Datum() const { return FUi->lblDatum->text(); }
void TInfoDlg::SetDatum(const QString& s) { FUi->lblDatum->setText(s); }
QString TInfoDlg::Copyright() const { return FUi->lblCopyright->text(); }
void TInfoDlg::SetCopyright(const QString& s) { FUi->lblCopyright->setText(s); }

void TInfoDlg::GetVersionInfo(const QString& Modulename) {
    const TVersionRecord rec = ReadVersionRecord(Modulename);
    SetProgname(rec.value(QStringLiteral("ProductName")));
    SetVersion(rec.value(QStringLiteral("FileVersion")));
    SetDatum(StandDateText(GetLinkDate(Modulename), false));
    SetCopyright(MakerCopyright());
}

void TInfoDlg::FormShow() {
    const bool withUpdate = !InfoFilename.isEmpty();
    FUi->btnUpdate->setVisible(withUpdate);
    const int w = width();
    QPushButton* ok = FUi->btnOk;
    QPushButton* upd = FUi->btnUpdate;
    if (FFlavor == TKvUtilsFlavor::Tavex) {
        // The window keeps its size; the buttons share one centred row.
        setFixedSize(w, kClassicHeight);
        if (withUpdate) {
            const int row = upd->width() + kButtonGap + ok->width();
            upd->move((w - row) / 2, kButtonTop);
            ok->move((w - row) / 2 + upd->width() + kButtonGap, kButtonTop);
        } else {
            ok->move((w - ok->width()) / 2, kButtonTop);
        }
    } else {
        // The window grows and the OK button moves below the update button.
        setFixedSize(w, withUpdate ? kClassicHeightWithUpdate : kClassicHeight);
        upd->move((w - upd->width()) / 2, kButtonTop);
        ok->move((w - ok->width()) / 2, withUpdate ? kOkTopWithUpdate : kButtonTop);
    }
}

int TInfoDlg::exec() {
    FormShow();
    return QDialog::exec();
}

void TInfoDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (FCentred) return;
    FCentred = true;
    // Centred on the owner, else on the screen.
    const QRect area = parentWidget() ? parentWidget()->window()->frameGeometry()
                                      : (screen() ? screen()->availableGeometry() : QRect());
    if (area.isValid()) move(area.center() - rect().center());
}

void TInfoDlg::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(0xC0, 0xC0, 0xC0));  // silver
    g.setColorAt(1, Qt::white);
    p.fillRect(rect(), g);
    QDialog::paintEvent(event);
}

void TInfoDlg::btnUpdateClick() {
    if (!CheckForUpdate(WebAdresse, InfoFilename))
        Dialogs::instance().ShowMessage(Progname() + QStringLiteral(" ist auf dem aktuellen Stand"));
}

void ShowInfoDlg(const QString& aModulename) {
    TInfoDlg dlg(nullptr);
    dlg.GetVersionInfo(aModulename);
    dlg.exec();
}
