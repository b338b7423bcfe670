#pragma once
// The component behind the about box: the texts it shows (from the running
// program's version record unless told otherwise), the pictures and the contact data.
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <memory>

class TAboutBox;

class TAboutDialog : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString InternalName MEMBER InternalName)
    Q_PROPERTY(QString FileDescription MEMBER FileDescription)
    Q_PROPERTY(QString FileVersion MEMBER FileVersion)
    Q_PROPERTY(QString CompanyName MEMBER CompanyName)
    Q_PROPERTY(QString ProductName MEMBER ProductName)
    Q_PROPERTY(QString Copyright MEMBER Copyright)
    Q_PROPERTY(bool UseVersionInfo MEMBER UseVersionInfo)
    Q_PROPERTY(QPixmap Logo READ Logo WRITE SetLogo)
    Q_PROPERTY(QPixmap SecondLogo READ SecondLogo WRITE SetSecondLogo)
    Q_PROPERTY(QString Email MEMBER Email)
    Q_PROPERTY(QString Web MEMBER Web)
    Q_PROPERTY(QStringList Adresse READ Adresse WRITE SetAdresse)
    Q_PROPERTY(bool ShowSecondPage MEMBER ShowSecondPage)
    Q_PROPERTY(QString ReleaseDate MEMBER ReleaseDate)

public:
    explicit TAboutDialog(QObject* AOwner = nullptr);
    ~TAboutDialog() override;

    QString InternalName = QStringLiteral("Aboutbox");
    QString FileDescription = QStringLiteral("Info-Dialog");
    QString FileVersion = QStringLiteral("1.0");
    QString CompanyName = QStringLiteral("Veltra Schulsoftware");
    QString ProductName = QStringLiteral("Komponenten");
    QString Copyright = QStringLiteral("Veltra Schulsoftware");
    bool UseVersionInfo = true;
    QString Email;
    QString Web;
    bool ShowSecondPage = true;
    QString ReleaseDate;
    QString Version;  // the raw file version

    const QPixmap& Logo() const { return FLogo; }
    void SetLogo(const QPixmap& aPicture) { FLogo = aPicture; }
    const QPixmap& SecondLogo() const { return FSecondLogo; }
    void SetSecondLogo(const QPixmap& aPicture) { FSecondLogo = aPicture; }
    const QStringList& Adresse() const { return FAdresse; }
    void SetAdresse(const QStringList& aLines) { FAdresse = aLines; }

    // Fills the texts from the version record of the running program.
    void InitVersionInfo();
    // Shows the about box modally.
    void Execute();
    // The about box as Execute shows it, not yet shown.
    std::unique_ptr<TAboutBox> CreateAboutBox() const;

private:
    QPixmap FLogo;
    QPixmap FSecondLogo;
    QStringList FAdresse;
};

// Our own product content: both pictures, web and e-mail address, the contact lines.
void ApplyVeltraContact(TAboutDialog& aDialog);
