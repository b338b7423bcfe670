// The EQ10 export of a large school (100 000 record lines) against SQLite itself
// running the export's main statement and writing its rows to a file.
#include "BenchRatio.h"
#include "Codec1252.h"
#include "EQ10Export.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <sqlite3.h>

#include <cstdio>
#include <stdexcept>
#include <string>

namespace {
constexpr int kPupils = 25000;
constexpr int kSubjectsPerPupil = 4;  // 100 000 record lines
constexpr int kPupilsPerClass = 25;
constexpr int kSubjects = 12;

void exec(sqlite3* db, const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        const std::string msg = err ? err : "sqlite3_exec";
        sqlite3_free(err);
        throw std::runtime_error(msg);
    }
}

// A school with the host's tables and the indexes a host database has on its keys.
struct School {
    QTemporaryDir dir;
    QString file;
    School() {
        file = dir.filePath(QStringLiteral("gross.db"));
        sqlite3* db = nullptr;
        sqlite3_open(file.toUtf8().constData(), &db);
        exec(db,
             "CREATE TABLE EigeneSchule (SchulnrEigner INTEGER, SchulNr INTEGER, SchulformNr VARCHAR(2), Schuljahr INTEGER, "
             "AnzahlAbschnitte INTEGER, AnzJGS_Jahr INTEGER);"
             "CREATE TABLE Schueler (ID INTEGER PRIMARY KEY, SchulnrEigner INTEGER, Name VARCHAR(120), Vorname VARCHAR(80), "
             "Geschlecht INTEGER, Foerderschwerpunkt_ID INTEGER, Foerderschwerpunkt2_ID INTEGER, Status INTEGER, "
             "Geloescht VARCHAR(1), ASDJahrgang VARCHAR(2), ASDSchulform VARCHAR(3), Klasse VARCHAR(10));"
             "CREATE TABLE SchuelerLernabschnittsdaten (ID INTEGER PRIMARY KEY, Schueler_ID INTEGER, SchulnrEigner INTEGER, "
             "Jahr INTEGER, Abschnitt INTEGER, Klasse VARCHAR(10), ASDJahrgang VARCHAR(2), ASDSchulgliederung VARCHAR(3), "
             "PruefOrdnung VARCHAR(20));"
             "CREATE TABLE SchuelerLeistungsdaten (ID INTEGER PRIMARY KEY, Abschnitt_ID INTEGER, Fach_ID INTEGER, "
             "Kursart VARCHAR(5), NotenKrz VARCHAR(2));"
             "CREATE TABLE SchuelerBKFaecher (ID INTEGER PRIMARY KEY, Schueler_ID INTEGER, SchulnrEigner INTEGER, Fach_ID INTEGER, "
             "FachKrz VARCHAR(20), Vornote VARCHAR(2), NoteSchriftlich VARCHAR(2), NoteMuendlich VARCHAR(2), NoteAbschluss VARCHAR(2));"
             "CREATE TABLE K_Foerderschwerpunkt (ID INTEGER PRIMARY KEY, StatistikKrz VARCHAR(2), SchulnrEigner INTEGER);"
             "CREATE TABLE EigeneSchule_Faecher (ID INTEGER PRIMARY KEY, FachKrz VARCHAR(20), Unterichtssprache VARCHAR(1), "
             "SchulnrEigner INTEGER, Sichtbar VARCHAR(1));"
             "CREATE TABLE SchuelerSprachenfolge (ID INTEGER PRIMARY KEY, Schueler_ID INTEGER, Fach_ID INTEGER, Reihenfolge VARCHAR(2));"
             "CREATE INDEX LA_Schueler ON SchuelerLernabschnittsdaten (Schueler_ID);"
             "CREATE INDEX SL_Abschnitt ON SchuelerLeistungsdaten (Abschnitt_ID);"
             "CREATE INDEX SBK_Schueler ON SchuelerBKFaecher (Schueler_ID);"
             "CREATE INDEX SF_Schueler ON SchuelerSprachenfolge (Schueler_ID);"
             "BEGIN;"
             "INSERT INTO EigeneSchule VALUES (100, 165432, '10', 2023, 2, 1);"
             "INSERT INTO K_Foerderschwerpunkt VALUES (1, 'LE', 100), (2, 'ES', 100), (3, 'SQ', 100), (4, 'GG', 100);");
        static const char* subjects[kSubjects] = {"D", "E", "M", "BI", "PH", "CH", "GE", "EK", "F", "L", "IF", "SP"};
        for (int f = 0; f < kSubjects; ++f)
            exec(db, QStringLiteral("INSERT INTO EigeneSchule_Faecher VALUES (%1, '%2', '%3', 100, '+')")
                         .arg(f + 1).arg(subjects[f]).arg(f == 3 || f == 6 ? "E" : "").toUtf8().constData());
        sqlite3_stmt* s = nullptr;
        sqlite3_stmt* la = nullptr;
        sqlite3_stmt* sl = nullptr;
        sqlite3_stmt* sbk = nullptr;
        sqlite3_stmt* sf = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO Schueler VALUES (?, 100, ?, ?, ?, ?, NULL, 2, '-', '10', 'R02', ?)", -1, &s, nullptr);
        sqlite3_prepare_v2(db, "INSERT INTO SchuelerLernabschnittsdaten VALUES (?, ?, 100, 2023, 2, ?, '10', 'R02', ?)", -1, &la, nullptr);
        sqlite3_prepare_v2(db, "INSERT INTO SchuelerLeistungsdaten (Abschnitt_ID, Fach_ID, Kursart, NotenKrz) VALUES (?, ?, 'E', '3')", -1, &sl, nullptr);
        sqlite3_prepare_v2(db, "INSERT INTO SchuelerBKFaecher (Schueler_ID, SchulnrEigner, Fach_ID, FachKrz, Vornote, NoteSchriftlich, "
                               "NoteMuendlich, NoteAbschluss) VALUES (?, 100, ?, ?, '3', '2', '', '3')", -1, &sbk, nullptr);
        sqlite3_prepare_v2(db, "INSERT INTO SchuelerSprachenfolge (Schueler_ID, Fach_ID, Reihenfolge) VALUES (?, ?, ?)", -1, &sf, nullptr);
        auto text = [](sqlite3_stmt* st, int i, const QByteArray& v) {
            sqlite3_bind_text(st, i, v.constData(), int(v.size()), SQLITE_TRANSIENT);
        };
        for (int p = 1; p <= kPupils; ++p) {
            const QByteArray klasse = "10" + QByteArray::number(p / kPupilsPerClass);
            sqlite3_bind_int(s, 1, p);
            text(s, 2, "Name" + QByteArray::number((p * 7919) % kPupils));
            text(s, 3, "Vorname" + QByteArray::number(p));
            sqlite3_bind_int(s, 4, 3 + p % 2);
            if (p % 10 == 0) sqlite3_bind_int(s, 5, 1 + p % 4);
            else sqlite3_bind_null(s, 5);
            text(s, 6, klasse);
            sqlite3_step(s);
            sqlite3_reset(s);
            sqlite3_bind_int(la, 1, p);
            sqlite3_bind_int(la, 2, p);
            text(la, 3, klasse);
            text(la, 4, p % 3 ? "APO-SI/10A" : "APO-SI/10B");
            sqlite3_step(la);
            sqlite3_reset(la);
            for (int k = 0; k < kSubjectsPerPupil; ++k) {
                const int fach = 1 + (p + k * 3) % kSubjects;
                sqlite3_bind_int(sl, 1, p);
                sqlite3_bind_int(sl, 2, fach);
                sqlite3_step(sl);
                sqlite3_reset(sl);
                sqlite3_bind_int(sbk, 1, p);
                sqlite3_bind_int(sbk, 2, fach);
                text(sbk, 3, subjects[fach - 1]);
                sqlite3_step(sbk);
                sqlite3_reset(sbk);
            }
            for (int k = 0; k < 2; ++k) {
                sqlite3_bind_int(sf, 1, p);
                sqlite3_bind_int(sf, 2, 1 + (p + k * 3) % kSubjects);
                text(sf, 3, k == 1 && p % 5 == 0 ? "P" : QByteArray::number(k + 1));
                sqlite3_step(sf);
                sqlite3_reset(sf);
            }
        }
        for (sqlite3_stmt* st : {s, la, sl, sbk, sf}) sqlite3_finalize(st);
        exec(db, "COMMIT; ANALYZE;");
        sqlite3_close(db);
    }
};

School& school() {
    static School s;
    return s;
}

TEQ10Selection selection() {
    TEQ10Selection sel;
    sel.Status = kStatusAktiv;
    sel.Schuljahr = 2023;
    sel.Abschnitt = 2;
    sel.Jahrgang = JahrgangText(QStringLiteral("10"));
    sel.Schulform = QStringLiteral("10");
    return sel;
}

QString connStr() { return QStringLiteral("Data Source=") + school().file; }

// SQLite running the same statement and writing every column of every row as
// text separated by ";", as its command-line shell does with -separator.
void EQ10_Baseline(benchmark::State& state) {
    const QByteArray sql = TEQ10Export(connStr(), 100).MainStatement(selection()).toUtf8();
    const QByteArray out = school().dir.filePath(QStringLiteral("baseline.txt")).toUtf8();
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(school().file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
            state.SkipWithError(sqlite3_errmsg(db));
            sqlite3_close(db);
            return;
        }
        std::FILE* f = std::fopen(out.constData(), "wb");
        const int cols = sqlite3_column_count(st);
        long rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < cols; ++c) {
                if (c) std::fputc(';', f);
                const unsigned char* v = sqlite3_column_text(st, c);
                if (v) std::fputs(reinterpret_cast<const char*>(v), f);
            }
            std::fputs("\r\n", f);
            ++rows;
        }
        std::fclose(f);
        sqlite3_finalize(st);
        sqlite3_close(db);
        if (rows != kPupils * kSubjectsPerPupil) state.SkipWithError("unexpected row count");
    }
}
BENCHMARK(EQ10_Baseline)->Name("EQ10/Baseline")->Unit(benchmark::kMillisecond);

void EQ10_WriteExportFile(benchmark::State& state) {
    const QString out = school().dir.filePath(QStringLiteral("EQ10Export.txt"));
    for (auto _ : state) {
        TEQ10Export exp(connStr(), 100);
        const int n = exp.WriteExportFile(out, selection());
        if (n != kPupils * kSubjectsPerPupil) state.SkipWithError("unexpected record count");
    }
}
BENCHMARK(EQ10_WriteExportFile)->Name("EQ10/WriteExportFile")->Unit(benchmark::kMillisecond);

// As the dialog runs it: with a progress receiver, which needs the row count first.
void EQ10_WriteExportFileWithProgress(benchmark::State& state) {
    const QString out = school().dir.filePath(QStringLiteral("EQ10Export.txt"));
    for (auto _ : state) {
        TEQ10Export exp(connStr(), 100);
        int last = 0;
        const int n = exp.WriteExportFile(out, selection(), [&last](int pos, int) { last = pos; });
        benchmark::DoNotOptimize(last);
        if (n != kPupils * kSubjectsPerPupil) state.SkipWithError("unexpected record count");
    }
}
BENCHMARK(EQ10_WriteExportFileWithProgress)->Name("EQ10/WriteExportFileWithProgress")->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    // Loading Qt's SQL driver plug-in and the export's code pages happens once per
    // process, not per export: done before measuring, so no run carries it.
    {
        TEQ10Export warmUp(connStr(), 100);
        warmUp.ReadSchulNr();
        Codec1252::encode(QStringLiteral("\u00e4"));
    }
    bench_ratio::Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
