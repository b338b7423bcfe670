#include "HoraviaCommand.h"
#include "Console.h"

#include "Dialogs.h"
#include "Exceptions.h"
#include "PlanCalendar.h"
#include "Wpdb.h"
#include "uOptions.h"
#include "uPlandatei.h"
#include "uStdPlan.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSaveFile>
#include <QStringList>
#include <cstdio>

QString HoraviaCommandUsage() {
    return QStringLiteral(
        "Aufruf: veltra plan new DATEI\n"
        "        veltra plan info DATEI\n"
        "        veltra plan list DATEI --kind ART\n"
        "        veltra plan export DATEI --kind lehrer|klasse|raum (--name KÜRZEL | --all)\n"
        "                           --format html|xml|lines|dump|ical --out PFAD [OPTIONEN]\n"
        "\n"
        "  new      legt eine leere Plandatei (Version 30) an\n"
        "  info     zeigt Version, Signatur, Datum, Schuldaten und Anzahl der Kürzel je Art\n"
        "  list     listet die Kürzel einer Art alphabetisch, eines je Zeile\n"
        "           ART: lehrer, klasse, raum, fach, kopplung, abteilung, raumgruppe\n"
        "  export   schreibt Stundenpläne:\n"
        "           html   eine HTML-Seite je Plan in das Verzeichnis PFAD\n"
        "           xml    die XML-Elemente aller Pläne in die Datei PFAD\n"
        "           lines  eine Zeile je belegter Stunde in die Datei PFAD\n"
        "           dump   die Diagnoseausgabe aller Pläne in die Datei PFAD\n"
        "           ical   eine iCalendar-Datei je Plan in das Verzeichnis PFAD\n"
        "\n"
        "  --number N       Nummer am Ende jeder Zeile (lines, ohne: 0)\n"
        "  --ini DATEI      Einstellungsdatei (ohne: die Voreinstellungen)\n"
        "  --from DATUM     erste Woche des Kalenders (ical, JJJJ-MM-TT; ohne: diese Woche)\n"
        "  --until DATUM    letzter Tag des Kalenders (ical; ohne: 31. Juli des Schuljahres)\n"
        "  --help           diese Hilfe\n"
        "\n"
        "Exit-Code: 0 Erfolg, 1 Fehler (Meldung auf stderr), 2 falscher Aufruf.\n");
}

namespace {

// Messages of the data layer go to stderr; a question takes its first button.
class ConsoleDialogs : public Dialogs {
public:
    ConsoleDialogs() : FPrevious(&Dialogs::instance()) { Dialogs::setInstance(this); }
    ~ConsoleDialogs() override { Dialogs::setInstance(FPrevious == this ? nullptr : FPrevious); }
    int MessageDlg(const QString& msg, TMsgDlgType, TMsgDlgButtons, const QString&, TDlgPosition) override {
        PrintLine(stderr, msg);
        return mrOk;
    }
    bool SelectDirectory(const QString&, QString&) override { return false; }
    QString GetOpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString GetSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    bool ChooseColor(QColor&) override { return false; }
    bool ChooseFont(QFont&) override { return false; }

private:
    Dialogs* FPrevious;
};

struct TUsageError {
    QString Text;
};

struct TArgs {
    QString Job, File;
    QMap<QString, QString> Values;
    bool All = false, Help = false;
};

TArgs parseArgs(int argc, char** argv) {
    static const QStringList withValue{QStringLiteral("--kind"), QStringLiteral("--name"),  QStringLiteral("--format"),
                                       QStringLiteral("--out"),  QStringLiteral("--number"), QStringLiteral("--ini"),
                                       QStringLiteral("--from"), QStringLiteral("--until")};
    TArgs a;
    QStringList positional;
    for (int i = 1; i < argc; ++i) {
        const TCommandArg split = SplitCommandArg(argv[i]);
        const QString& arg = split.Name;
        QString value = split.Value;
        bool hasValue = split.HasValue;
        if (arg == QStringLiteral("--help") || arg == QStringLiteral("-h")) {
            a.Help = true;
        } else if (arg == QStringLiteral("--all") && !hasValue) {
            a.All = true;
        } else if (withValue.contains(arg)) {
            if (!hasValue) {
                if (i + 1 >= argc) throw TUsageError{QStringLiteral("Zur Option %1 fehlt der Wert.").arg(arg)};
                value = QString::fromLocal8Bit(argv[++i]);
            }
            if (a.Values.contains(arg)) throw TUsageError{QStringLiteral("Die Option %1 ist doppelt angegeben.").arg(arg)};
            a.Values.insert(arg, value);
        } else if (arg.startsWith(QStringLiteral("--"))) {
            throw TUsageError{QStringLiteral("Unbekannte Option \"%1\".").arg(arg)};
        } else {
            positional << arg;
        }
    }
    if (a.Help) return a;
    if (positional.isEmpty()) throw TUsageError{QStringLiteral("Es fehlt, was getan werden soll (new, info, list, export).")};
    a.Job = positional.takeFirst();
    if (positional.isEmpty()) throw TUsageError{QStringLiteral("Die Plandatei fehlt.")};
    a.File = positional.takeFirst();
    if (!positional.isEmpty()) throw TUsageError{QStringLiteral("Überzähliges Argument \"%1\".").arg(positional.first())};
    return a;
}

TKueart kindOf(const QString& name, bool plansOnly) {
    static const QMap<QString, TKueart> kinds{{QStringLiteral("lehrer"), leh},   {QStringLiteral("klasse"), kla},
                                              {QStringLiteral("raum"), rau},     {QStringLiteral("fach"), fac},
                                              {QStringLiteral("kopplung"), kop}, {QStringLiteral("abteilung"), abt},
                                              {QStringLiteral("raumgruppe"), raq}};
    const auto it = kinds.find(name.toLower());
    if (it == kinds.end() || (plansOnly && *it > rau))
        throw TUsageError{plansOnly ? QStringLiteral("--kind muss lehrer, klasse oder raum sein.")
                                    : QStringLiteral("Unbekannte Kürzelart \"%1\".").arg(name)};
    return *it;
}

// Opens the plan file as Horavia's current file and reads its abbreviations.
void openPlan(const QString& file) {
    if (!QFileInfo(file).isFile()) throw EInOutError(QStringLiteral("Die Plandatei %1 gibt es nicht.").arg(file));
    auto plan = std::make_unique<TWplFile>(file, 1);
    plan->WriteBackOnClose = false;  // info, list and export only read
    if (plan->Status() != 0) throw EInOutError(QStringLiteral("Die Plandatei %1 konnte nicht geöffnet werden.").arg(file));
    SetCurrentPlanFile(std::move(plan));
    LoadAllKuerzel();
}

// Closes the current file when the job ends, however it ends.
struct TPlanCloser {
    ~TPlanCloser() { SetCurrentPlanFile(nullptr); }
};

QList<int> catalogue(TKueart k) {
    QList<int> order;
    for (int i = FirstKuerzel(k); !IsFreeKuerzel(i) && order.size() < KueRecords(k); i = NextKuerzel(i)) order << i;
    return order;
}

int jobNew(const TArgs& a) {
    if (QFileInfo::exists(a.File)) throw EInOutError(QStringLiteral("Die Datei %1 besteht bereits.").arg(a.File));
    // Created beside and renamed: an interrupted run leaves no file that looks like a plan file.
    const QString temp = a.File + QStringLiteral(".neu");
    QFile::remove(temp);
    int status = 0;
    {
        TWplFile f(temp, 2);
        status = f.Status();
    }
    if (status != 0 || !QFile::rename(temp, a.File)) {
        QFile::remove(temp);
        throw EInOutError(QStringLiteral("Die Plandatei %1 konnte nicht erstellt werden.").arg(a.File));
    }
    PrintLine(stdout, QStringLiteral("Plandatei %1 angelegt.").arg(a.File));
    return 0;
}

int jobInfo(const TArgs& a) {
    openPlan(a.File);
    TWplFile* f = CurrentPlanFile();
    f->ReadOptions();
    const TVeltraplanOptions& o = VeltraplanOptions();
    const TSchulDaten& s = f->Schuldaten();
    QStringList out;
    out << QStringLiteral("Version: %1").arg(f->FileVersion())
        << QStringLiteral("Signatur: %1").arg(QString::fromLatin1(f->Header().signature()))
        << QStringLiteral("Freigabe: %1").arg(f->FileDate())
        << QStringLiteral("Erstellt: %1").arg(f->CreateTime())
        << QStringLiteral("Schulnummer: %1").arg(s.Schulnummer)
        << QStringLiteral("Schule: %1").arg(QStringList{s.SchulBez1, s.SchulBez2, s.SchulBez3}.join(QLatin1Char(' ')).trimmed())
        << QStringLiteral("Anschrift: %1, %2 %3").arg(s.Strasse, s.Plz, s.Ort)
        << QStringLiteral("Schuljahr: %1, Abschnitt %2 von %3").arg(s.Jahr).arg(s.Abschnitt).arg(s.AnzAbschnitte)
        << QStringLiteral("Kommentar: %1").arg(o.kommentar)
        << QStringLiteral("Schulform: %1").arg(o.Schulform);
    for (int k = 0; k < StoredKueArten; ++k) out << QStringLiteral("%1: %2").arg(KueArtName(TKueart(k))).arg(KueCount[size_t(k)]);
    PrintLine(stdout, out.join(QLatin1Char('\n')));
    return 0;
}

int jobList(const TArgs& a) {
    if (!a.Values.contains(QStringLiteral("--kind"))) throw TUsageError{QStringLiteral("Die Option --kind fehlt.")};
    const TKueart k = kindOf(a.Values.value(QStringLiteral("--kind")), false);
    openPlan(a.File);
    QStringList names;
    for (int i : catalogue(k)) names << KuerzelName(i).trimmed();
    if (!names.isEmpty()) PrintLine(stdout, names.join(QLatin1Char('\n')));
    return 0;
}

int jobExport(const TArgs& a) {
    for (const char* o : {"--kind", "--format", "--out"})
        if (!a.Values.contains(QLatin1String(o))) throw TUsageError{QStringLiteral("Die Option %1 fehlt.").arg(QLatin1String(o))};
    const bool byName = a.Values.contains(QStringLiteral("--name"));
    if (byName == a.All) throw TUsageError{QStringLiteral("Genau eine der Optionen --name und --all ist anzugeben.")};
    const TKueart k = kindOf(a.Values.value(QStringLiteral("--kind")), true);
    const QString format = a.Values.value(QStringLiteral("--format")).toLower();
    static const QStringList formats{QStringLiteral("html"), QStringLiteral("xml"), QStringLiteral("lines"),
                                     QStringLiteral("dump"), QStringLiteral("ical")};
    if (!formats.contains(format)) throw TUsageError{QStringLiteral("Unbekanntes Format \"%1\".").arg(format)};
    int number = 0;
    if (a.Values.contains(QStringLiteral("--number"))) {
        bool ok = false;
        number = a.Values.value(QStringLiteral("--number")).toInt(&ok);
        if (!ok) throw TUsageError{QStringLiteral("--number erwartet eine ganze Zahl.")};
    }
    TCalendarRange range;
    if (format == QStringLiteral("ical")) {
        for (const char* o : {"--from", "--until"}) {
            if (!a.Values.contains(QLatin1String(o))) continue;
            const QDate d = QDate::fromString(a.Values.value(QLatin1String(o)), Qt::ISODate);
            if (!d.isValid()) throw TUsageError{QStringLiteral("%1 erwartet ein Datum JJJJ-MM-TT.").arg(QLatin1String(o))};
            (qstrcmp(o, "--from") == 0 ? range.From : range.Until) = d;
        }
        range = DefaultCalendarRange(range);
        if (range.Until < range.From) throw TUsageError{QStringLiteral("--until liegt vor --from.")};
    }
    const QString out = a.Values.value(QStringLiteral("--out"));

    ResetVeltraplanOptions();
    if (a.Values.contains(QStringLiteral("--ini"))) {
        const QString ini = a.Values.value(QStringLiteral("--ini"));
        if (!QFileInfo(ini).isFile()) throw EInOutError(QStringLiteral("Die Einstellungsdatei %1 gibt es nicht.").arg(ini));
        VeltraplanOptions().SetInifilename(QFileInfo(ini).absoluteFilePath());
    }
    openPlan(a.File);
    QList<int> chosen;
    if (byName) {
        const QString name = a.Values.value(QStringLiteral("--name"));
        const int i = FindKuerzel(k, name.trimmed());
        if (i == 0 || IsFreeKuerzel(i))
            throw EInOutError(QStringLiteral("Das Kürzel \"%1\" (%2) gibt es in der Plandatei nicht.").arg(name, KueArtName(k)));
        chosen << i;
    } else {
        chosen = catalogue(k);
    }
    auto load = [k](int i) {
        TStdPlan p;
        CurrentVariant = 1;
        p.Load(k, i);
        p.Kuerzel = int16_t(i);
        return p;
    };

    if (format == QStringLiteral("html") || format == QStringLiteral("ical")) {
        if (!QDir().mkpath(out)) throw EInOutError(QStringLiteral("Das Verzeichnis %1 kann nicht angelegt werden.").arg(out));
        for (int i : chosen) {
            TStdPlan p = load(i);
            if (format == QStringLiteral("html")) p.ExportToHTML(out);
            else WritePlanCalendar(p, range, out);
        }
        return 0;
    }
    // One file: it appears under its name only once every plan is in it.
    TTextFile text(out);
    for (int i : chosen) {
        TStdPlan p = load(i);
        if (format == QStringLiteral("xml")) p.ExportToXML(text, 0);
        else if (format == QStringLiteral("lines")) p.SaveToFile(text, number);
        else p.Dump(text);
    }
    text.CloseFile();
    return 0;
}
}  // namespace

int RunHoraviaCommand(int argc, char** argv) {
    ConsoleDialogs console;
    TPlanCloser closer;
    try {
        const TArgs a = parseArgs(argc, argv);
        if (a.Help) {
            PrintLine(stdout, HoraviaCommandUsage());
            return 0;
        }
        if (a.Job == QStringLiteral("new")) return jobNew(a);
        if (a.Job == QStringLiteral("info")) return jobInfo(a);
        if (a.Job == QStringLiteral("list")) return jobList(a);
        if (a.Job == QStringLiteral("export")) return jobExport(a);
        throw TUsageError{QStringLiteral("Unbekannter Auftrag \"%1\".").arg(a.Job)};
    } catch (const TUsageError& e) {
        PrintLine(stderr, e.Text);
        PrintLine(stderr, HoraviaCommandUsage());
        return 2;
    } catch (const Exception& e) {
        PrintLine(stderr, e.Message());
        return 1;
    } catch (const std::exception& e) {
        PrintLine(stderr, QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
