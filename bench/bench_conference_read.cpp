// Reading one class the way the conference does (a query per pupil for its
// section record and results, through the data layer) against one joined query
// on the same SQLite file that returns the same rows. Large demo school.
#include "Database.h"
#include "DemoSchool.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

QTemporaryDir* dir = nullptr;
TDemoInstallation inst;
const QString kKlasse = QStringLiteral("07a");

void ensureSchool() {
    if (dir) return;
    dir = new QTemporaryDir;
    inst = InstallDemo(dir->path(), TDemoOptions{1, 5000}, true);
}

// The conference's way: pupils, then per pupil its section and its results.
long long readLikeTheConference(TADOConnection& conn) {
    TADOQuery faecher(&conn), schueler(&conn), abschnitt(&conn), leistungen(&conn);
    faecher.SetSQL(QStringLiteral("Select * from EigeneSchule_Faecher WHERE SchulnrEigner=%1 and Sichtbar='+'").arg(DemoSchulnr));
    faecher.Open();
    schueler.SetSQL(QStringLiteral(
        "SELECT S.Name, S.Vorname, S.Geschlecht, S.Id, S.Status, S.Klasse, S.AktSchuljahr, S.Geloescht, S.AktAbschnitt, "
        "E.Schuljahr, E.SchuljahrAbschnitt FROM Schueler S, EigeneSchule E WHERE S.Status in (2,6) AND S.Klasse=%1 AND "
        "S.AktSchuljahr=E.Schuljahr AND S.Geloescht <> '+' AND E.SchulnrEigner=S.SchulnrEigner AND "
        "S.AktAbschnitt=E.SchuljahrAbschnitt AND S.SchulnrEigner=%2 Order by S.Klasse,S.Name,S.Vorname")
                        .arg(QuotedStr(kKlasse)).arg(DemoSchulnr));
    abschnitt.SetSQL(QStringLiteral("Select * from SchuelerLernabschnittsdaten where Schueler_ID=:Id AND SemesterWertung='+' "
                                    "AND Jahr=%1 and Abschnitt=%2 AND SchulnrEigner=%3").arg(DemoSchuljahr).arg(DemoAbschnitt).arg(DemoSchulnr));
    abschnitt.SetMasterSource(&schueler);
    leistungen.SetSQL(QStringLiteral("SELECT * FROM SchuelerLeistungsdaten WHERE Abschnitt_Id=:Id AND SchulnrEigner=%1 ORDER BY Sortierung").arg(DemoSchulnr));
    leistungen.SetMasterSource(&abschnitt);
    leistungen.AddLookupField(QStringLiteral("Fachkrz"), &faecher, QStringLiteral("Fach_ID"), QStringLiteral("ID"), QStringLiteral("FachKrz"));
    abschnitt.Open();
    leistungen.Open();
    schueler.Open();
    long long cells = 0;
    for (schueler.First(); !schueler.Eof(); schueler.Next()) {
        cells += schueler.FieldByName(QStringLiteral("Name")).AsString().size();
        cells += abschnitt.FieldByName(QStringLiteral("SumFehlstd")).AsInteger();
        for (leistungen.First(); !leistungen.Eof(); leistungen.Next())
            cells += leistungen.FieldByName(QStringLiteral("NotenKrz")).AsString().size() +
                     leistungen.FieldByName(QStringLiteral("Fachkrz")).AsString().size();
    }
    return cells;
}

// The baseline: the same rows in one statement.
long long readInOneQuery(QSqlDatabase& db) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral(
        "SELECT S.Name, LA.SumFehlstd, SL.NotenKrz, F.FachKrz FROM Schueler S "
        "JOIN EigeneSchule E ON E.SchulnrEigner=S.SchulnrEigner AND S.AktSchuljahr=E.Schuljahr AND S.AktAbschnitt=E.SchuljahrAbschnitt "
        "LEFT JOIN SchuelerLernabschnittsdaten LA ON LA.Schueler_ID=S.ID AND LA.SemesterWertung='+' AND LA.Jahr=? AND LA.Abschnitt=? AND LA.SchulnrEigner=S.SchulnrEigner "
        "LEFT JOIN SchuelerLeistungsdaten SL ON SL.Abschnitt_ID=LA.ID AND SL.SchulnrEigner=S.SchulnrEigner "
        "LEFT JOIN EigeneSchule_Faecher F ON F.ID=SL.Fach_ID AND F.Sichtbar='+' "
        "WHERE S.Status in (2,6) AND S.Klasse=? AND S.Geloescht <> '+' AND S.SchulnrEigner=? "
        "ORDER BY S.Klasse, S.Name, S.Vorname, SL.Sortierung"));
    q.addBindValue(DemoSchuljahr);
    q.addBindValue(DemoAbschnitt);
    q.addBindValue(kKlasse);
    q.addBindValue(DemoSchulnr);
    q.exec();
    long long cells = 0;
    QString lastName;
    while (q.next()) {
        const QString name = q.value(0).toString();
        if (name != lastName) cells += name.size() + q.value(1).toInt();
        lastName = name;  // pupils of one name in a row are rare and only shift the checksum
        cells += q.value(2).toString().size() + q.value(3).toString().size();
    }
    return cells;
}

double perPupilSeconds = 0, oneQuerySeconds = 0;

void BM_ConferencePerPupilQueries(benchmark::State& state) {
    ensureSchool();
    TADOConnection conn(inst.HostConnectionString);
    conn.Open();
    for (auto _ : state) benchmark::DoNotOptimize(readLikeTheConference(conn));
}
BENCHMARK(BM_ConferencePerPupilQueries)->Unit(benchmark::kMillisecond);

void BM_BaselineOneQuery(benchmark::State& state) {
    ensureSchool();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("baseline"));
        db.setDatabaseName(inst.HostDb);
        db.open();
        for (auto _ : state) benchmark::DoNotOptimize(readInOneQuery(db));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("baseline"));
}
BENCHMARK(BM_BaselineOneQuery)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            const double t = r.GetAdjustedRealTime();
            if (r.benchmark_name().find("PerPupil") != std::string::npos) perPupilSeconds = t;
            if (r.benchmark_name().find("Baseline") != std::string::npos) oneQuerySeconds = t;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (oneQuerySeconds > 0)
        std::printf("Klasse %s, 5000 Schüler: Abfrage je Schüler / eine Abfrage = %.1f\n", qPrintable(kKlasse),
                    perPupilSeconds / oneQuerySeconds);
    benchmark::Shutdown();
    delete dir;
    return 0;
}
