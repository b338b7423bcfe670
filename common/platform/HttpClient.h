#pragma once
// HTTP GET through Qt Network, driven synchronously with a local event loop:
// the flows that use it are modal, like the blocking client they replace.
// User input is held back while a request runs, so a second click cannot
// start a second transfer.
#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class QIODevice;
class QNetworkAccessManager;

struct THttpResult {
    bool Ok = false;            // transport fine, status 2xx, every announced byte arrived
    QString ErrorText;          // German, for the user, when not Ok
    int StatusCode = 0;
    QString StatusText;         // status line, e.g. "HTTP/1.1 200 OK"
    QByteArray Body;            // only when no sink was given
    qint64 BytesReceived = 0;
    qint64 ContentLength = -1;  // as announced by the server, -1 when not announced
    QString ContentType;
};

class THttpClient {
public:
    THttpClient();
    ~THttpClient();
    THttpClient(const THttpClient&) = delete;
    THttpClient& operator=(const THttpClient&) = delete;

    QString UserAgent;
    QString Accept;
    int TimeoutMs = 30000;  // without any data for this long the transfer is given up

    using ProgressFn = std::function<void(qint64 received, qint64 total)>;
    // Only http and https addresses are fetched. With a sink the body is
    // written there as it arrives; a failing write ends the transfer.
    THttpResult Get(const QString& url, QIODevice* sink = nullptr, const ProgressFn& progress = {});

    // The body as text: the charset of the content type, else UTF-8 when it
    // is valid UTF-8, else Windows-1252.
    static QString DecodeText(const QByteArray& body, const QString& contentType);

private:
    std::unique_ptr<QNetworkAccessManager> FManager;
};
