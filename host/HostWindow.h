#pragma once
// The main window of the reference host: the values a school-administration
// host hands to its plug-ins, and one button per plug-in.
#include <QMainWindow>

class QLineEdit;
class QSpinBox;
class QPushButton;

class THostWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit THostWindow(QWidget* parent = nullptr);
    ~THostWindow() override;

    // Registry key under HKEY_CURRENT_USER where the fields persist.
    static QString RegistryKey();

    QLineEdit* edtDatenbank = nullptr;
    QLineEdit* edtIntern = nullptr;
    QLineEdit* edtGruppenDir = nullptr;
    QSpinBox* edtSchulnr = nullptr;
    QLineEdit* edtPlandatei = nullptr;
    QLineEdit* edtKlasse = nullptr;
    QPushButton* btnKonferenz = nullptr;
    QPushButton* btnStundenplan = nullptr;
    QPushButton* btnEQ10 = nullptr;

    void LoadFields();
    void SaveFields() const;

private:
    void btnKonferenzClick();
    void btnStundenplanClick();
    void btnEQ10Click();
};
