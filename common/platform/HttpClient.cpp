#include "HttpClient.h"

#include "Codec1252.h"

#include <QEventLoop>
#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QUrl>

namespace {
QString transportErrorText(QNetworkReply::NetworkError error, const QString& qtText) {
    switch (error) {
    case QNetworkReply::ConnectionRefusedError: return QStringLiteral("Die Verbindung wurde vom Server abgelehnt.");
    case QNetworkReply::RemoteHostClosedError: return QStringLiteral("Der Server hat die Verbindung vorzeitig getrennt.");
    case QNetworkReply::HostNotFoundError: return QStringLiteral("Der Server wurde nicht gefunden.");
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: return QStringLiteral("Zeitüberschreitung bei der Verbindung zum Server.");
    case QNetworkReply::SslHandshakeFailedError: return QStringLiteral("Die sichere Verbindung zum Server ist fehlgeschlagen.");
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError: return QStringLiteral("Das Netzwerk ist nicht erreichbar.");
    default: return qtText;
    }
}
}  // namespace

THttpClient::THttpClient() : FManager(std::make_unique<QNetworkAccessManager>()) {}
THttpClient::~THttpClient() = default;

THttpResult THttpClient::Get(const QString& url, QIODevice* sink, const ProgressFn& progress) {
    THttpResult r;
    const QUrl target(url, QUrl::StrictMode);
    const QString scheme = target.scheme().toLower();
    if (!target.isValid() || target.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        r.ErrorText = QStringLiteral("Ungültige Adresse: %1").arg(url);
        return r;
    }
    QNetworkRequest req(target);
    if (!UserAgent.isEmpty()) req.setHeader(QNetworkRequest::UserAgentHeader, UserAgent);
    if (!Accept.isEmpty()) req.setRawHeader("Accept", Accept.toLatin1());
    req.setTransferTimeout(TimeoutMs);

    QNetworkReply* reply = FManager->get(req);
    QEventLoop loop;
    bool writeFailed = false;
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        const QByteArray chunk = reply->readAll();
        r.BytesReceived += chunk.size();
        if (!sink) {
            r.Body += chunk;
        } else if (!writeFailed && sink->write(chunk) != chunk.size()) {
            writeFailed = true;
            reply->abort();
            return;
        }
        // Progress follows the bytes as they arrive (the reply's own progress signal is throttled).
        if (progress) {
            bool known = false;
            const qint64 total = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
            progress(r.BytesReceived, known ? total : -1);
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);

    bool lengthOk = false;
    const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&lengthOk);
    r.ContentLength = lengthOk ? announced : -1;
    const QByteArray rest = reply->readAll();  // whatever arrived with the last event
    if (!rest.isEmpty()) {
        r.BytesReceived += rest.size();
        if (!sink) r.Body += rest;
        else if (!writeFailed && sink->write(rest) != rest.size()) writeFailed = true;
        if (progress && !writeFailed) progress(r.BytesReceived, r.ContentLength);
    }
    r.StatusCode = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    if (r.StatusCode)
        r.StatusText = QStringLiteral("HTTP/1.1 %1 %2").arg(r.StatusCode).arg(reason).trimmed();
    r.ContentType = reply->header(QNetworkRequest::ContentTypeHeader).toString();

    if (writeFailed) {
        r.ErrorText = sink->errorString().isEmpty() ? QStringLiteral("Die Datei konnte nicht geschrieben werden.")
                                                    : QStringLiteral("Die Datei konnte nicht geschrieben werden: %1").arg(sink->errorString());
    } else if (r.StatusCode != 0 && (r.StatusCode < 200 || r.StatusCode > 299)) {
        r.ErrorText = r.StatusText;
    } else if (reply->error() != QNetworkReply::NoError) {
        r.ErrorText = transportErrorText(reply->error(), reply->errorString());
    } else if (r.ContentLength >= 0 && r.BytesReceived != r.ContentLength) {
        r.ErrorText = QStringLiteral("Die Übertragung ist unvollständig (%1 von %2 Bytes).")
                          .arg(r.BytesReceived).arg(r.ContentLength);
    } else {
        r.Ok = true;
    }
    reply->deleteLater();
    return r;
}

QString THttpClient::DecodeText(const QByteArray& body, const QString& contentType) {
    const qsizetype at = contentType.indexOf(QLatin1String("charset="), 0, Qt::CaseInsensitive);
    if (at >= 0) {
        QString charset = contentType.mid(at + 8).section(QLatin1Char(';'), 0, 0).trimmed();
        charset.remove(QLatin1Char('"'));
        if (charset.compare(QLatin1String("windows-1252"), Qt::CaseInsensitive) == 0 ||
            charset.compare(QLatin1String("iso-8859-1"), Qt::CaseInsensitive) == 0)
            return Codec1252::decode(body);
        QStringDecoder named(charset.toLatin1().constData());
        if (named.isValid()) return named(body);
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(body);
    return utf8.hasError() ? Codec1252::decode(body) : text;
}
