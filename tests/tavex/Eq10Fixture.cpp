#include "Eq10Fixture.h"

#include "Codec1252.h"
#include "Database.h"

#include "FormatSettings.h"
#include "KvUtils.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace eq10_testing {

void Exec(const QString& connStr, const QStringList& statements) {
    TADOConnection con(connStr);
    con.Open();
    for (const QString& s : statements) con.Execute(s);
}

QString CreateSchema(const QString& fileName) {
    QFile::remove(fileName);
    QFile empty(fileName);
    empty.open(QIODevice::WriteOnly);  // an empty file is an empty SQLite database
    empty.close();
    const QString connStr = QStringLiteral("Data Source=") + fileName;
    Exec(connStr, {
        "CREATE TABLE EigeneSchule (SchulnrEigner INTEGER, SchulNr INTEGER, SchulformNr VARCHAR(2), "
        "Schuljahr INTEGER, AnzahlAbschnitte INTEGER, AnzJGS_Jahr INTEGER)",
        "CREATE TABLE EigeneSchule_Jahrgaenge (ASDJahrgang VARCHAR(2), SchulnrEigner INTEGER)",
        "CREATE TABLE Schueler (ID INTEGER PRIMARY KEY, SchulnrEigner INTEGER, Name VARCHAR(120), "
        "Vorname VARCHAR(80), Geschlecht INTEGER, Foerderschwerpunkt_ID INTEGER, Foerderschwerpunkt2_ID INTEGER, "
        "Status INTEGER, Geloescht VARCHAR(1), ASDJahrgang VARCHAR(2), ASDSchulform VARCHAR(3), Klasse VARCHAR(10))",
        "CREATE TABLE SchuelerLernabschnittsdaten (ID INTEGER PRIMARY KEY, Schueler_ID INTEGER, "
        "SchulnrEigner INTEGER, Jahr INTEGER, Abschnitt INTEGER, Klasse VARCHAR(10), ASDJahrgang VARCHAR(2), "
        "ASDSchulgliederung VARCHAR(3), PruefOrdnung VARCHAR(20))",
        "CREATE TABLE SchuelerLeistungsdaten (ID INTEGER PRIMARY KEY, Abschnitt_ID INTEGER, Fach_ID INTEGER, "
        "Kursart VARCHAR(5), NotenKrz VARCHAR(2))",
        "CREATE TABLE SchuelerBKFaecher (Schueler_ID INTEGER, SchulnrEigner INTEGER, Fach_ID INTEGER, "
        "FachKrz VARCHAR(20), Vornote VARCHAR(2), NoteSchriftlich VARCHAR(2), NoteMuendlich VARCHAR(2), "
        "NoteAbschluss VARCHAR(2))",
        "CREATE TABLE K_Foerderschwerpunkt (ID INTEGER, StatistikKrz VARCHAR(2), SchulnrEigner INTEGER)",
        "CREATE TABLE EigeneSchule_Faecher (ID INTEGER, FachKrz VARCHAR(20), Unterichtssprache VARCHAR(1), "
        "SchulnrEigner INTEGER, Sichtbar VARCHAR(1))",
        "CREATE TABLE SchuelerSprachenfolge (Schueler_ID INTEGER, Fach_ID INTEGER, Reihenfolge VARCHAR(2))",
    });
    return connStr;
}

QString CreateSchool(const QString& fileName) {
    const QString connStr = CreateSchema(fileName);
    Exec(connStr, {
        "INSERT INTO EigeneSchule VALUES (100, 165432, '10', 2023, 2, 1)",
        "INSERT INTO EigeneSchule_Jahrgaenge VALUES ('05', 100), ('10', 100), ('EF', 100), ('04', 200)",
        "INSERT INTO K_Foerderschwerpunkt VALUES (1, 'LE', 100), (2, 'ES', 100), (3, 'GG', 200)",
        // Subjects: BI is taught in English; GE would be too but is hidden; PH belongs to school 200.
        "INSERT INTO EigeneSchule_Faecher VALUES (1, 'D', '', 100, '+'), (2, 'E', NULL, 100, '+'), "
        "(3, 'M', '', 100, '+'), (4, 'BI', 'E', 100, '+'), (5, 'GE', 'E', 100, '-'), (7, 'F', '', 100, '+'), "
        "(8, 'PH', 'E', 200, '+')",
        // Pupils: 1, 2 in 10a; 3, 8 in 10b; 4 deleted; 5 has left; 6 in EF; 7 at school 200.
        "INSERT INTO Schueler VALUES "
        "(1, 100, 'Becker', 'Anna', 4, 1, NULL, 2, '-', '10', 'R02', '10a'), "
        "(2, 100, 'Adler', 'Ben', 3, NULL, NULL, 2, '-', '10', 'R02', '10a'), "
        "(3, 100, 'Yilmaz', 'Cem', 5, 2, 1, 2, '-', '10', 'H02', '10b'), "
        "(4, 100, 'Adam', 'Dora', 4, NULL, NULL, 2, '+', '10', 'R02', '10a'), "
        "(5, 100, 'Abel', 'Emil', 3, NULL, NULL, 9, '-', '10', 'R02', '10a'), "
        "(6, 100, 'Elf', 'Finn', 3, NULL, NULL, 2, '-', 'EF', 'G01', 'EF'), "
        "(7, 200, 'Fremd', 'Zoe', 4, 3, NULL, 2, '-', '10', 'R02', '10a'), "
        "(8, 100, ' Müller ', 'Jürgen', 3, NULL, NULL, 2, '-', '10', 'H02', '10b')",
        "INSERT INTO SchuelerLernabschnittsdaten VALUES "
        "(10, 1, 100, 2023, 1, '10a', '10', 'R02', 'APO-SI/10B'), "
        "(11, 1, 100, 2023, 2, '10a', '10', 'R02', 'APO-SI/10B'), "
        "(12, 2, 100, 2023, 2, '10a', '10', 'R02', 'APO-SI/10A'), "
        "(13, 3, 100, 2023, 2, '10b', '10', 'H02', 'APO-SI/10A/10B'), "
        "(14, 4, 100, 2023, 2, '10a', '10', 'R02', 'APO-SI/10A'), "
        "(15, 5, 100, 2023, 2, '10a', '10', 'R02', 'APO-SI'), "
        "(16, 6, 100, 2023, 2, 'EF', 'EF', 'G01', 'APO-GOSt'), "
        "(17, 7, 200, 2023, 2, '10a', '10', 'R02', 'APO-SI/10B'), "
        "(18, 8, 100, 2023, 2, '10b', '10', 'H02', 'apo-si/10a')",
        "INSERT INTO SchuelerLeistungsdaten VALUES "
        "(100, 10, 1, 'E', '4'), "
        "(110, 11, 1, 'E', '3'), (111, 11, 3, 'G', '4'), (112, 11, 4, '', '1'), (113, 11, 2, 'E', '2'), "
        "(120, 12, 1, 'E', '2'), (121, 12, 2, 'G', '3'), (122, 12, 7, '', '3'), "
        "(130, 13, 3, 'G', '5'), "
        "(140, 14, 1, 'E', '2'), (150, 15, 1, 'E', '2'), (160, 16, 1, 'GK', '3'), "
        "(170, 17, 8, '', '2'), (180, 18, 2, 'E', '3')",
        "INSERT INTO SchuelerBKFaecher VALUES "
        "(1, 100, 1, 'D', '2', '3', '', '3'), (1, 100, 3, 'M', '4', '4', '3', '4'), (1, 100, 4, 'BI', '1', '', '', '1'), "
        "(2, 100, 1, 'D', ' 2 ', '2', '', '2'), (2, 100, 2, 'E', '3', '3', '2', '3'), (2, 100, 7, 'F', '3', '', '3', '3'), "
        "(3, 100, 3, 'M', '5', '5', '4', '5'), "
        "(4, 100, 1, 'D', '2', '2', '', '2'), (5, 100, 1, 'D', '2', '2', '', '2'), (6, 100, 1, 'D', '3', '3', '', '3'), "
        "(7, 200, 8, 'PH', '2', '2', '', '2'), "
        "(8, 100, 2, 'E', NULL, '3', '', '3')",
        // Language assessment: Ben's French; Jürgen's English is an ordinary sequence entry; Cem's 'p' is no P.
        "INSERT INTO SchuelerSprachenfolge VALUES (2, 7, 'P'), (8, 2, '2'), (1, 2, 'P'), (3, 3, 'p')",
    });
    return connStr;
}

QByteArray AnsiLines(const QStringList& lines) {
    QByteArray out;
    for (const QString& l : lines) out += Codec1252::encode(l) + "\r\n";
    return out;
}

QString PrepareEq10Case(const QString& prefix, QString& db) {
    testing_support::freshRegistry();
    ReloadFormatSettings();
    InitKvUtils(TKvUtilsFlavor::Tavex);
    qputenv("VELTRA_DEBUGVIEW_NAME", QFile::encodeName(testing_support::tempDir() + "/no-viewer"));
    const QString dir = testing_support::tempDir() + "/" + prefix +
                        QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name());
    QDir().mkpath(dir);
    db = CreateSchool(dir + "/schule.db");
    return dir;
}

}  // namespace eq10_testing
