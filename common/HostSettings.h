#pragma once
// What plug-in code may need of the host installation without asking the
// host: its directories, the connection strings of its side databases and the
// host database password kept scrambled in the user's registry.
#include <QString>

struct THostSettings {
    QString HostDir;            // all directories end with "/"
    QString AdminDir;
    QString DataDir;
    QString ReportRegBase;      // "Software\<application>\Reporting_Neu\"
    QString ReportsConn;
    QString ImpExpConn;
    QString StatKueConn;
    QString InternConn;
};

// The installation record, filled by InitHostSettings.
const THostSettings& HostSettings();
// Run once at library load by the conference library.
void InitHostSettings();
void FinalizeHostSettings();
// The plain host database password; creates the scrambled default when missing.
QString GetDBPassword();
// Symmetric: the same call unscrambles.
QString ScrambleText(const QString& aText);
// "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<file>;Persist Security Info=False;"
QString JetConnectionString(const QString& aFile);
