#pragma once
// A complete, realistic demo installation: a German comprehensive school
// (school form "GE", grades 05-10 and the upper school EF, Q1, Q2) in the host
// database, the exam-regulation options in the internal database, and a group
// directory with the phrase file. The same seed gives the same contents.
#include "Database.h"

#include <QString>
#include <QStringList>

struct TDemoOptions {
    quint32 Seed = 1;
    int Pupils = 600;
};

// The school number of the demo school (SchulnrEigner).
constexpr int DemoSchulnr = 156789;
// Current school year and section of the demo school.
constexpr int DemoSchuljahr = 2024;
constexpr int DemoAbschnitt = 1;

struct TDemoSummary {
    int Schulnr = DemoSchulnr;
    int Pupils = 0;
    QStringList Classes;
    int SectionRecords = 0;
    int Results = 0;
};

// Fills a host database whose tables exist and are empty.
TDemoSummary FillDemoSchool(TADOConnection& host, const TDemoOptions& options);
// Fills the internal database (PruefOrd_Optionen) whose table exists and is empty.
void FillDemoIntern(TADOConnection& intern);
// The phrases of the demo school: "key=text" entries, keys beginning with "#".
QStringList DemoPhrases();

struct TDemoInstallation {
    QString Dir;
    QString HostDb;
    QString InternDb;
    QString GroupDir;
    QString PlanFile;  // the timetable of the demo school (plan file, version 30)
    QString HostConnectionString;
    QString InternConnectionString;
    int Schulnr = DemoSchulnr;
    TDemoSummary Summary;
};

// Writes the timetable of the demo school: its classes, teachers and subjects,
// rooms, and a full week of lessons without clashes. The lessons depend only
// on the classes and the seed.
void WriteDemoPlan(const QString& path, const QStringList& classes, quint32 seed);

// The files of an installation in dir, whether or not they exist yet.
TDemoInstallation DemoInstallationIn(const QString& dir);
// True when dir holds the host database of an installation.
bool DemoInstallationExists(const QString& dir);
// Writes the installation into dir. Existing installation files are replaced
// only with force; otherwise EInOutError. The databases are built beside and
// renamed, so a failed run leaves no half-filled database behind.
TDemoInstallation InstallDemo(const QString& dir, const TDemoOptions& options, bool force);
