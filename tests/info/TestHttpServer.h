#pragma once
// A small HTTP server on 127.0.0.1 inside the test process. It answers while
// the code under test waits in its local event loop.
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

class TestHttpServer : public QObject {
    Q_OBJECT
public:
    struct Response {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "text/plain";
        int chunks = 1;                 // the body goes out in this many pieces, a few ms apart
        qint64 contentLength = -1;      // announced length; -1: the body's size
        bool closeAfterHalf = false;    // the connection breaks in the middle of the body
    };
    struct Request {
        QByteArray path;
        QMap<QByteArray, QByteArray> headers;  // names in lower case
    };

    TestHttpServer();
    // "http://127.0.0.1:PORT"
    QString origin() const;
    void route(const QByteArray& path, const Response& response) { FRoutes[path] = response; }
    void text(const QByteArray& path, const QByteArray& body) { route(path, Response{200, body}); }
    QList<Request> requests;

    // A port on which nobody listens.
    static quint16 closedPort();

private:
    void serve(QTcpSocket* socket, const Request& request);
    QTcpServer FServer;
    QMap<QByteArray, Response> FRoutes;
};
