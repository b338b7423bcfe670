#pragma once
// The information window of a plug-in: name, version, release date,
// copyright and host application, optionally with the update check.
#include "KvUtils.h"

#include <QDateTime>
#include <QDialog>
#include <memory>

namespace Ui { class TInfoDlg; }

class TInfoDlg : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString Progname READ Progname WRITE SetProgname)
    Q_PROPERTY(QString Version READ Version WRITE SetVersion)
    Q_PROPERTY(QString Application READ Application WRITE SetApplication)
    Q_PROPERTY(QString Datum READ Datum WRITE SetDatum)
    Q_PROPERTY(QString Copyright READ Copyright WRITE SetCopyright)

public:
    explicit TInfoDlg(QWidget* aOwner = nullptr);
    ~TInfoDlg() override;

    QString Progname() const;
    void SetProgname(const QString& s);
    QString Version() const;
    void SetVersion(const QString& s);
    QString Application() const;
    void SetApplication(const QString& s);
    QString Datum() const;
    void SetDatum(const QString& s);
    QString Copyright() const;
    void SetCopyright(const QString& s);

    QString InfoFilename;
    QString WebAdresse;

    void GetVersionInfo(const QString& Modulename);
    // Lays the window out for the update button, shown only with an info file name.
    void FormShow();
    int exec() override;

    Ui::TInfoDlg* ui() const { return FUi.get(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void btnUpdateClick();

    std::unique_ptr<Ui::TInfoDlg> FUi;
    TKvUtilsFlavor FFlavor;
    bool FCentred = false;
};

void ShowInfoDlg(const QString& aModulename);

// "Stand: " and the date: "dd. mmm. yyyy" with the abbreviated month (information
// window) or "dd. mmmm. yyyy" with the full month name (about box).
QString StandDateText(const QDateTime& aDate, bool aFullMonth);
// The maker's copyright line with the given year.
QString MakerCopyright(int aYear = QDate::currentDate().year());
