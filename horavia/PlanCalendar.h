#pragma once
// Calendar export of a weekly plan: one iCalendar file (RFC 5545) per plan
// whose events recur weekly over the chosen range, each in the weeks of its variant.
#include <QByteArray>
#include <QDate>
#include <QString>

struct TStdPlan;

struct TCalendarRange {
    QDate From;   // any day of the first week
    QDate Until;  // last day
};

// Missing ends filled in: the Monday of this week, 31 July of the current school year.
TCalendarRange DefaultCalendarRange(TCalendarRange r, QDate today = QDate::currentDate());

// The calendar text of a plan of the current plan file (both variants are read).
QByteArray PlanCalendarText(TStdPlan& aPlan, const TCalendarRange& aRange);
// Writes it as <directory>/<abbreviation>.ics, beside and renamed.
void WritePlanCalendar(TStdPlan& aPlan, const TCalendarRange& aRange, const QString& aDirectory);
