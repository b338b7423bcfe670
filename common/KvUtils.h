#pragma once
// Grade scale, school-year texts, message boxes, grid helpers, link date and
// the user's list separator.
#include "kvStrUtils.h"

#include <QDate>
#include <QDateTime>
#include <QString>

class QTableWidget;

// Which start-up the library runs: the conference and timetable libraries fill
// the points table and read the list separator from the registry; the export
// library sets its boolean texts and takes the separator from the format settings.
enum class TKvUtilsFlavor { Classic, Tavex };

void InitKvUtils(TKvUtilsFlavor aFlavor);
void FinalizeKvUtils();
TKvUtilsFlavor KvUtilsFlavor();

// Points (name) to grade (value), 26 entries; null outside the classic start-up.
extern TStringListEx* PointsTable;
extern QChar ListSeparatorChar;

QString GradeToPoints(const QString& aGrade);
QString PointsToGrade(const QString& aPoints);
bool IsDeficitGrade(const QString& aGrade);
bool IsEven(int n);
QString SchoolYearText(int aYear, int aSection);
void ParseSchoolYearText(const QString& aText, int& aYear, int& aSection);
bool ConfirmDlg(const QString& aMsg);
void ErrorDlg(const QString& aMsg);
void SaveGridToCsv(const QTableWidget& aGrid, const QString& aFileName);
void SaveColWidths(const QTableWidget& aGrid, const QString& aKey, const QString& aValueName);
void LoadColWidths(QTableWidget& aGrid, const QString& aKey, const QString& aValueName);
QString SafeFileName(const QString& aName);
// Date-times here are plain calendar values without a zone (kept as UTC in QDateTime).
QDateTime UnixSecondsToDateTime(quint32 aSeconds);
QDateTime GetLinkDate(const QString& aFileName);
void CurrentSchoolYear(int& aYear, int& aSection, QDate aToday = QDate::currentDate());
void ReadListSeparator();

// Sorting a grid by one column lives with the sortable string grid.
#include "SASG.h"
