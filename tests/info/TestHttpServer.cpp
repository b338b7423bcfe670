#include "TestHttpServer.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

TestHttpServer::TestHttpServer() {
    FServer.listen(QHostAddress::LocalHost, 0);
    connect(&FServer, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = FServer.nextPendingConnection()) {
            socket->setParent(this);
            auto buffer = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
                *buffer += socket->readAll();
                const qsizetype end = buffer->indexOf("\r\n\r\n");
                if (end < 0) return;
                const QList<QByteArray> lines = buffer->left(end).split('\n');
                buffer->clear();
                Request req;
                req.path = lines.value(0).split(' ').value(1);
                for (qsizetype i = 1; i < lines.size(); ++i) {
                    const QByteArray line = lines[i].trimmed();
                    const qsizetype colon = line.indexOf(':');
                    if (colon > 0) req.headers[line.left(colon).trimmed().toLower()] = line.mid(colon + 1).trimmed();
                }
                requests << req;
                serve(socket, req);
            });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QString TestHttpServer::origin() const { return QStringLiteral("http://127.0.0.1:%1").arg(FServer.serverPort()); }

quint16 TestHttpServer::closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

void TestHttpServer::serve(QTcpSocket* socket, const Request& request) {
    const Response r = FRoutes.value(request.path, Response{404, "Not Found"});
    const QByteArray reason = r.status == 200 ? "OK" : r.status == 404 ? "Not Found" : "Error";
    const qint64 length = r.contentLength >= 0 ? r.contentLength : r.body.size();
    QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) + ' ' + reason + "\r\n";
    head += "Content-Type: " + r.contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);

    const QByteArray body = r.closeAfterHalf ? r.body.left(r.body.size() / 2) : r.body;
    const int chunks = qMax(1, r.chunks);
    const qsizetype piece = (body.size() + chunks - 1) / chunks;
    QPointer<QTcpSocket> guard(socket);
    for (int i = 0; i <= chunks; ++i) {
        QTimer::singleShot(5 * i, this, [guard, body, piece, i, chunks] {
            if (!guard) return;
            if (i < chunks) guard->write(body.mid(i * piece, piece));
            else guard->disconnectFromHost();  // after the last piece: close, as announced
        });
    }
}
