#pragma once
// A small school database for the export tests: two schools (100 and 200) in one
// SQLite file, with the tables and columns the export reads.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace eq10_testing {
// Creates the tables (only the columns the export names) in a new SQLite file
// and returns its connection string.
QString CreateSchema(const QString& fileName);
// The schema plus the demo pupils below.
QString CreateSchool(const QString& fileName);
// A test's own folder with a fresh school database, the export library's start-up,
// a fresh registry store and no debug viewer. Returns the folder; db receives the
// connection string.
QString PrepareEq10Case(const QString& prefix, QString& db);
// Runs statements on a database.
void Exec(const QString& connStr, const QStringList& statements);
// Lines joined with CR LF after each, in Windows-1252.
QByteArray AnsiLines(const QStringList& lines);
}  // namespace eq10_testing
