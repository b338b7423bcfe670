#include "HostDbCommands.h"

#include "Database.h"
#include "DemoSchool.h"
#include "HostSchema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

namespace {

void out(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}
void err(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

QStringList arguments(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args.append(QString::fromLocal8Bit(argv[i]));
    return args;
}

const char* const kDbUsage =
    "Aufruf: veltra db init --db VERBINDUNG [--intern VERBINDUNG]\n"
    "\n"
    "Legt die Tabellen der Host-Datenbank (und mit --intern die der internen\n"
    "Datenbank) in einer leeren Datenbank an.\n"
    "\n"
    "VERBINDUNG ist eine Verbindungszeichenfolge:\n"
    "  \"Data Source=DATEI\"   SQLite-Datei (wird angelegt, wenn sie fehlt)\n"
    "  \"Provider=PostgreSQL;Host=...;Port=...;Database=...;User ID=...;Password=...\"\n";

const char* const kDemoUsage =
    "Aufruf: veltra demo [--dir ORDNER] [--seed N] [--pupils N] [--force] [--install] [--host]\n"
    "\n"
    "Schreibt eine vollständige Demo-Installation (Gesamtschule) nach ORDNER\n"
    "(Vorgabe: demo/ im aktuellen Ordner): Host-Datenbank, interne Datenbank und\n"
    "ein Gruppenverzeichnis mit \"floskeln.txt\". Gleicher Seed, gleicher Inhalt.\n"
    "\n"
    "  --seed N     Startwert des Zufallsgenerators (Vorgabe 1)\n"
    "  --pupils N   Zahl der Schüler (Vorgabe 600; 5000 für Messungen)\n"
    "  --force      eine vorhandene Installation ersetzen\n"
    "  --install    nur anlegen, wenn noch keine Installation vorhanden ist\n"
    "  --host       die Felder des Host-Fensters auf die Installation setzen\n";

// Opens the database of a connection string for creating tables: a missing
// SQLite file is created here (and only here), as an empty database.
void initDatabase(const QString& connectionString, TSchemaKind kind) {
    const TConnectionParams params = ParseConnectionString(connectionString);
    bool created = false;
    if (params.Engine == TDbEngine::SQLite && !QFileInfo::exists(params.FileName)) {
        QFile f(params.FileName);
        if (!f.open(QIODevice::WriteOnly))
            throw EInOutError(QStringLiteral("Die Datei %1 kann nicht angelegt werden.").arg(QDir::toNativeSeparators(params.FileName)));
        created = true;
    }
    try {
        TADOConnection conn(connectionString);
        CreateSchema(conn, kind);
    } catch (...) {
        if (created) QFile::remove(params.FileName);
        throw;
    }
}

bool parseInt(const QString& text, int min, int& value) {
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value >= min;
}

}  // namespace

int RunDbCommand(int argc, char** argv) {
    const QStringList args = arguments(argc, argv);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        out(QString::fromUtf8(kDbUsage));
        return 0;
    }
    if (args.value(0) != QLatin1String("init")) {
        err(QString::fromUtf8(kDbUsage));
        return 2;
    }
    QString db, intern;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if ((a == QLatin1String("--db") || a == QLatin1String("--intern")) && i + 1 < args.size()) {
            (a == QLatin1String("--db") ? db : intern) = args.at(++i);
        } else {
            err(QStringLiteral("Unbekanntes Argument: %1\n\n").arg(a) + QString::fromUtf8(kDbUsage));
            return 2;
        }
    }
    if (db.isEmpty()) {
        err(QStringLiteral("--db fehlt.\n\n") + QString::fromUtf8(kDbUsage));
        return 2;
    }
    try {
        initDatabase(db, TSchemaKind::Host);
        out(QStringLiteral("Tabellen der Host-Datenbank angelegt.\n"));
        if (!intern.isEmpty()) {
            initDatabase(intern, TSchemaKind::Intern);
            out(QStringLiteral("Tabellen der internen Datenbank angelegt.\n"));
        }
    } catch (const Exception& e) {
        err(e.Message() + QLatin1Char('\n'));
        return 1;
    }
    return 0;
}

int RunDemoCommand(int argc, char** argv) {
    const QStringList args = arguments(argc, argv);
    QString dir = QStringLiteral("demo");
    TDemoOptions options;
    bool force = false, installOnly = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        const bool hasValue = i + 1 < args.size();
        int n = 0;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out(QString::fromUtf8(kDemoUsage));
            return 0;
        } else if (a == QLatin1String("--dir") && hasValue) {
            dir = args.at(++i);
        } else if (a == QLatin1String("--seed") && hasValue && parseInt(args.at(i + 1), 0, n)) {
            options.Seed = quint32(n);
            ++i;
        } else if (a == QLatin1String("--pupils") && hasValue && parseInt(args.at(i + 1), 1, n) && n <= 200000) {
            options.Pupils = n;
            ++i;
        } else if (a == QLatin1String("--force")) {
            force = true;
        } else if (a == QLatin1String("--install")) {
            installOnly = true;
        } else {
            err(QStringLiteral("Unbekanntes oder unvollständiges Argument: %1\n\n").arg(a) + QString::fromUtf8(kDemoUsage));
            return 2;
        }
    }
    try {
        TDemoInstallation inst;
        if (installOnly && !force && DemoInstallationExists(dir)) {
            inst = DemoInstallationIn(dir);
            out(QStringLiteral("Demo-Installation vorhanden in %1\n").arg(QDir::toNativeSeparators(inst.Dir)));
        } else {
            inst = InstallDemo(dir, options, force);
            out(QStringLiteral("Demo-Installation geschrieben nach %1 (%2 Schüler, %3 Klassen)\n")
                    .arg(QDir::toNativeSeparators(inst.Dir))
                    .arg(inst.Summary.Pupils)
                    .arg(inst.Summary.Classes.size()));
        }
        out(QStringLiteral("Datenbank:          %1\n").arg(inst.HostConnectionString));
        out(QStringLiteral("Interne Datenbank:  %1\n").arg(inst.InternConnectionString));
        out(QStringLiteral("Gruppenverzeichnis: %1\n").arg(QDir::toNativeSeparators(inst.GroupDir)));
        out(QStringLiteral("Schulnummer:        %1\n").arg(inst.Schulnr));
        out(QStringLiteral("Plandatei:          %1\n").arg(QDir::toNativeSeparators(inst.PlanFile)));
    } catch (const Exception& e) {
        err(e.Message() + QLatin1Char('\n'));
        return 1;
    }
    return 0;
}
