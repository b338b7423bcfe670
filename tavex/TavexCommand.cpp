#include "TavexCommand.h"
#include "Console.h"

#include "EQ10Export.h"
#include "Exceptions.h"
#include "Guards.h"

#include <QFileInfo>
#include <QMap>
#include <QStringList>
#include <cstring>

QString TavexCommandUsage() {
    return QStringLiteral(
        "Aufruf: veltra eq10 export --db VERBINDUNG --out VERZEICHNIS [OPTIONEN]\n"
        "\n"
        "Schreibt die Datei EQ10Export.txt mit den Prüfungsfächern und Noten der\n"
        "ausgewählten Schüler in das Ausgabeverzeichnis, wie der Knopf \"Export\"\n"
        "des Dialogs EQ10/RK-Export.\n"
        "\n"
        "  --db VERBINDUNG      Verbindungszeichenfolge der Datenbank, z.B. \"Data Source=/pfad/schule.db\"\n"
        "  --school N           Schulnummer (SchulnrEigner); 0 oder ohne: keine Einschränkung\n"
        "  --section ABSCHNITT  Schuljahr und Abschnitt, z.B. \"2023/24.2\"\n"
        "                       (ohne: der letzte Abschnitt des aktuellen Schuljahres)\n"
        "  --status STATUS      Aktiv, Abgänger oder Abschlüsse (ohne: Aktiv)\n"
        "  --grades LISTE       ASD-Jahrgänge, durch Komma getrennt, z.B. 10,EF\n"
        "                       (ohne: 10, an Schulen mit Schulform 25: 04)\n"
        "  --out VERZEICHNIS    Ausgabeverzeichnis; es muss bestehen\n"
        "  --diagnostic         Diagnoseausgabe: Name und Vorname am Ende jeder Zeile\n"
        "  --overwrite          eine vorhandene Datei ohne Rückfrage überschreiben\n"
        "  --help               diese Hilfe\n"
        "\n"
        "Exit-Code: 0 Erfolg, 1 Fehler (Meldung auf stderr), 2 falscher Aufruf.\n");
}

namespace {

struct TExportOptions {
    QMap<QString, QString> Values;
    bool Diagnostic = false;
    bool Overwrite = false;
};

// Options with a value as "--name value" or "--name=value". Returns an error text.
QString parseOptions(int argc, char** argv, int first, TExportOptions& opts) {
    static const QStringList withValue{QStringLiteral("--db"),     QStringLiteral("--school"), QStringLiteral("--section"),
                                       QStringLiteral("--status"), QStringLiteral("--grades"), QStringLiteral("--out")};
    for (int i = first; i < argc; ++i) {
        const TCommandArg split = SplitCommandArg(argv[i]);
        const QString& arg = split.Name;
        QString value = split.Value;
        bool hasValue = split.HasValue;
        if (arg == QStringLiteral("--diagnostic") && !hasValue) {
            opts.Diagnostic = true;
        } else if (arg == QStringLiteral("--overwrite") && !hasValue) {
            opts.Overwrite = true;
        } else if (withValue.contains(arg)) {
            if (!hasValue) {
                if (i + 1 >= argc) return QStringLiteral("Zur Option %1 fehlt der Wert.").arg(arg);
                value = QString::fromLocal8Bit(argv[++i]);
            }
            if (opts.Values.contains(arg)) return QStringLiteral("Die Option %1 ist doppelt angegeben.").arg(arg);
            opts.Values.insert(arg, value);
        } else {
            return QStringLiteral("Unbekannte Option \"%1\".").arg(QString::fromLocal8Bit(argv[i]));
        }
    }
    if (!opts.Values.contains(QStringLiteral("--db"))) return QStringLiteral("Die Option --db fehlt.");
    if (!opts.Values.contains(QStringLiteral("--out"))) return QStringLiteral("Die Option --out fehlt.");
    if (opts.Values.contains(QStringLiteral("--school"))) {
        bool ok = false;
        opts.Values.value(QStringLiteral("--school")).toInt(&ok);
        if (!ok) return QStringLiteral("Die Schulnummer \"%1\" ist keine Zahl.").arg(opts.Values.value(QStringLiteral("--school")));
    }
    return {};
}

// The steps of the dialog's Export button, with the question answered by --overwrite.
int runExport(const TExportOptions& opts, std::FILE* out, std::FILE* err) {
    const QString dir = opts.Values.value(QStringLiteral("--out"));
    if (dir.isEmpty() || !QFileInfo(dir).isDir()) {
        PrintLine(err, DirectoryMissingText(dir));
        return 1;
    }
    const QString fileName = ExportFileName(dir);
    if (QFileInfo::exists(fileName) && !opts.Overwrite) {
        PrintLine(err, OverwriteQuestionText(fileName));
        PrintLine(err, QStringLiteral("Die Datei wurde nicht verändert; --overwrite überschreibt sie."));
        return 1;
    }

    TEQ10Export exporter(opts.Values.value(QStringLiteral("--db")), opts.Values.value(QStringLiteral("--school")).toInt());
    TEQ10Selection sel;
    sel.Schulform = exporter.ReadSchulform();
    sel.Status = StatusCode(opts.Values.value(QStringLiteral("--status"), QStringLiteral("Aktiv")));
    if (opts.Values.contains(QStringLiteral("--section"))) {
        SplitSchuljahr(opts.Values.value(QStringLiteral("--section")), sel.Schuljahr, sel.Abschnitt);
    } else {
        int year = 0, anzahl = 0, jgs = 0;
        exporter.ReadSchuljahr(year, anzahl, jgs);
        SplitSchuljahr(SchuljahrText(year, anzahl * jgs), sel.Schuljahr, sel.Abschnitt);
    }
    if (opts.Values.contains(QStringLiteral("--grades"))) {
        sel.Jahrgang = JahrgangText(opts.Values.value(QStringLiteral("--grades")));
    } else {
        const QString preset = sel.Schulform == QStringLiteral("25") ? QStringLiteral("04") : QStringLiteral("10");
        QStringList checked;
        for (const QString& level : exporter.ReadJahrgaenge())
            if (level == preset) checked << level;
        sel.Jahrgang = JahrgangText(checked.join(QLatin1Char(',')));
    }
    sel.Debug = opts.Diagnostic;
    const int count = exporter.WriteExportFile(fileName, sel);
    PrintLine(out, ExportResultText(count, fileName));
    return 0;
}
}  // namespace

int RunTavexCommand(int argc, char** argv, std::FILE* out, std::FILE* err) {
    const QString sub = argc >= 2 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (sub == QStringLiteral("--help") || sub == QStringLiteral("-h") || sub == QStringLiteral("help")) {
        std::fputs(TavexCommandUsage().toLocal8Bit().constData(), out);
        return 0;
    }
    if (sub != QStringLiteral("export")) {
        PrintLine(err, (sub.isEmpty() ? QStringLiteral("Es fehlt der Unterbefehl.")
                                  : QStringLiteral("Unbekannter Unterbefehl \"%1\".").arg(sub)) +
                       QStringLiteral("\n\n") + TavexCommandUsage());
        return 2;
    }
    for (int i = 2; i < argc; ++i)
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(TavexCommandUsage().toLocal8Bit().constData(), out);
            return 0;
        }
    TExportOptions opts;
    const QString usageError = parseOptions(argc, argv, 2, opts);
    if (!usageError.isEmpty()) {
        PrintLine(err, usageError + QStringLiteral("\n\n") + TavexCommandUsage());
        return 2;
    }
    try {
        return runExport(opts, out, err);
    } catch (...) {
        PrintLine(err, ExceptionMessage(std::current_exception()));
        return 1;
    }
}
