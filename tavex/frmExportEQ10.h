#pragma once
// The selection dialog of the EQ10 export: section, pupils' status, grade levels
// and output directory; its Export button writes the file.
#include "EQ10Export.h"
#include "ui_frmExportEQ10.h"

#include <QDialog>

class TADOConnection;
class TADOQuery;

class TfrmEQ10 : public QDialog, public Ui_TfrmEQ10 {
    Q_OBJECT
public:
    TfrmEQ10(QWidget* Owner, const QString& aConnStr, const QString& aGroupDir, const QString& aPluginName,
             int aSchulnr);
    ~TfrmEQ10() override;

    // Computed from the controls on every read.
    int Status() const;
    int Schuljahr() const;
    int Abschnitt() const;
    QString Jahrgang() const;
    bool Debug() const { return FDebug; }
    void SetDebug(bool aDebug) { FDebug = aDebug; }

    QString ReadSchulform();
    void ReadSchuljahr(int& aSchuljahr, int& aAnzahlAbschnitte, int& aAnzJGSJahr);
    int ReadSchulNr();
    void FillJahrgaenge();
    void FillStatus();
    QString FoerderKrz(const QVariant& aId);
    void WriteExportFile(const QString& aFileName);

    TEQ10Export* Export() const { return FExport; }
    TADOConnection* conVeltra = nullptr;
    TADOQuery* qryEQ10 = nullptr;
    TADOQuery* qryFaecher = nullptr;
    TADOQuery* qryFoerderSP = nullptr;
    TADOQuery* qrySprachenfolge = nullptr;

    void btnOkClick();
    void btnOkMouseDown(Qt::KeyboardModifiers aModifiers);
    void JvCaptionButton1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build(const QString& aGroupDir);
    void showProgress(int aPosition, int aMaximum);

    TEQ10Export* FExport = nullptr;
    QString FConnStr;
    int FSchulnr = 0;
    QString FGroupdir;
    int FSchuljahr = 0;
    int FAbschnitt = 0;
    int FStatus = 0;
    QString FSchulform;
    QString FJahrgang;
    bool FDebug = false;
};
