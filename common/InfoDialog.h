#pragma once
// The component that holds a plug-in's information texts and opens the
// information window with them.
#include <QObject>
#include <QString>

class QWidget;

class TInfoDialog : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString PluginName MEMBER PluginName)
    Q_PROPERTY(QString Version MEMBER Version)
    Q_PROPERTY(QString ReleaseDate MEMBER ReleaseDate)
    Q_PROPERTY(QString Copyright MEMBER Copyright)
    Q_PROPERTY(QString Hauptanwendung MEMBER Hauptanwendung)
    Q_PROPERTY(QString InfoFilename MEMBER InfoFilename)
    Q_PROPERTY(QString WebAdresse MEMBER WebAdresse)

public:
    // The owner (a window) also becomes the owner of the information window.
    explicit TInfoDialog(QObject* AOwner = nullptr);

    QString PluginName = QStringLiteral("Plugin");
    QString Version = QStringLiteral("Version 1.0");
    QString ReleaseDate = QStringLiteral("Stand: 31.01.2008");
    QString Copyright;
    QString Hauptanwendung = QStringLiteral("Veltra-XRL-PlugIn");
    QString InfoFilename;
    QString WebAdresse;

    // Modal; true when closed with OK.
    bool Execute();
    void GetVersionInfo(const QString& Modulename);

private:
    QWidget* ownerWidget() const;
};
