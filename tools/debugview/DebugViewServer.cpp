#include "DebugViewServer.h"

#include <QLocalSocket>

TDebugViewServer::TDebugViewServer(QObject* parent) : QObject(parent) {
    connect(&FServer, &QLocalServer::newConnection, this, &TDebugViewServer::acceptConnections);
}

QString TDebugViewServer::ServerName() const { return DebugWindowProtocol::ServerName(); }

bool TDebugViewServer::Listen(QString* errorText) {
    const QString name = ServerName();
    // Only a live viewer counts; a socket file left by one that crashed is replaced.
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(500)) {
        probe.abort();
        if (errorText) *errorText = QStringLiteral("Es läuft bereits ein Debug-Fenster (%1).").arg(name);
        return false;
    }
    QLocalServer::removeServer(name);
    FServer.setSocketOptions(QLocalServer::UserAccessOption);
    if (FServer.listen(name)) return true;
    if (errorText)
        *errorText = QStringLiteral("Das Debug-Fenster kann nicht auf %1 warten: %2").arg(name, FServer.errorString());
    return false;
}

void TDebugViewServer::acceptConnections() {
    while (QLocalSocket* socket = FServer.nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, [this, socket] {
            readFrom(socket);
            socket->deleteLater();
        });
        readFrom(socket);
    }
}

void TDebugViewServer::readFrom(QLocalSocket* socket) {
    QDataStream in(socket);
    in.setVersion(QDataStream::Qt_6_0);
    for (;;) {
        in.startTransaction();
        TDebugMessage msg;
        const bool ok = DebugWindowProtocol::Decode(in, msg);
        if (ok) {
            in.commitTransaction();
            emit MessageReceived(msg);
            continue;
        }
        if (in.status() == QDataStream::ReadPastEnd) {
            in.rollbackTransaction();  // wait for the rest of the frame
            return;
        }
        in.abortTransaction();
        socket->abort();
        return;
    }
}
