#pragma once
// The receiving end of the debug-window socket: accepts any number of senders
// and emits every complete message; malformed input ends that sender's connection.
#include "DebugWindow.h"

#include <QLocalServer>
#include <QObject>

class QLocalSocket;

class TDebugViewServer : public QObject {
    Q_OBJECT
public:
    explicit TDebugViewServer(QObject* parent = nullptr);
    // Listens under the protocol's name. Fails with a German message in
    // errorText when another viewer already answers there.
    bool Listen(QString* errorText);
    QString ServerName() const;

signals:
    void MessageReceived(const TDebugMessage& msg);

private:
    void acceptConnections();
    void readFrom(QLocalSocket* socket);
    QLocalServer FServer;
};
