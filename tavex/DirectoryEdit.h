#pragma once
// A line edit for a directory with a browse button that opens the folder dialog
// (through the Dialogs service) at InitialDir, or at the typed directory.
#include <QWidget>

class QLineEdit;
class QToolButton;

class TDirectoryEdit : public QWidget {
    Q_OBJECT
public:
    explicit TDirectoryEdit(QWidget* parent = nullptr);

    QString Text() const;
    void SetText(const QString& text);
    QString InitialDir;
    QString DialogTitle = QStringLiteral("Verzeichnis auswählen");

    QLineEdit* Edit() const { return FEdit; }
    QToolButton* Button() const { return FButton; }
    // What the browse button does.
    void Browse();

private:
    QLineEdit* FEdit;
    QToolButton* FButton;
};
