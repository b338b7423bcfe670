#include "DbTestSupport.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace db_testing {

namespace {
struct Server {
    bool ok = false;
    QString reason;
    QString host;
    int port = 0;
};

const Server& server() {
    static const Server s = [] {
        Server r;
        const QString stateDir = qEnvironmentVariable("VELTRA_PG_STATE");
        if (stateDir.isEmpty()) {
            r.reason = QStringLiteral("VELTRA_PG_STATE ist nicht gesetzt (Test ohne ctest gestartet)");
            return r;
        }
        QFile f(stateDir + QStringLiteral("/status"));
        if (!f.open(QIODevice::ReadOnly)) {
            r.reason = QStringLiteral("kein Status unter %1").arg(stateDir);
            return r;
        }
        const QStringList parts = QString::fromUtf8(f.readAll()).trimmed().split(QLatin1Char(' '));
        if (parts.value(0) != QLatin1String("ok") || parts.size() < 3) {
            r.reason = parts.mid(1).join(QLatin1Char(' '));
            return r;
        }
        r.ok = true;
        r.host = parts.at(1);
        r.port = parts.at(2).toInt();
        return r;
    }();
    return s;
}
}  // namespace

bool usePostgres() { return qEnvironmentVariable("VELTRA_TEST_ENGINE") == QLatin1String("postgres"); }

QString unavailableReason() {
    if (!usePostgres()) return {};
    return server().ok ? QString() : server().reason;
}

QString freshDatabase() {
    static int counter = 0;
    ++counter;
    if (!usePostgres()) {
        const QString path = QDir(testing_support::tempDir())
                                 .filePath(QStringLiteral("db%1.sqlite").arg(counter));
        QFile::remove(path);
        QFile f(path);
        f.open(QIODevice::WriteOnly);  // an empty file is an empty SQLite database
        return QStringLiteral("Data Source=%1").arg(path);
    }
    const Server& s = server();
    const QString name = QStringLiteral("t%1_%2").arg(QCoreApplication::applicationPid()).arg(counter);
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("pg_admin"));
        admin.setHostName(s.host);
        admin.setPort(s.port);
        admin.setUserName(QStringLiteral("veltra"));
        admin.setDatabaseName(QStringLiteral("postgres"));
        if (!admin.open()) qFatal("PostgreSQL: %s", qPrintable(admin.lastError().text()));
        QSqlQuery q(admin);
        if (!q.exec(QStringLiteral("CREATE DATABASE %1").arg(name)))
            qFatal("PostgreSQL: %s", qPrintable(q.lastError().text()));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("pg_admin"));
    return QStringLiteral("Provider=PostgreSQL;Host=%1;Port=%2;Database=%3;User ID=veltra;Password=")
        .arg(s.host).arg(s.port).arg(name);
}

}  // namespace db_testing
