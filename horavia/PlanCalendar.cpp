#include "PlanCalendar.h"

#include "Exceptions.h"
#include "KvUtils.h"
#include "Wpdb.h"
#include "uOptions.h"
#include "uPlanUtils.h"
#include "uPlandatei.h"
#include "uStdPlan.h"

#include <QSaveFile>
#include <QTimeZone>
#include <cmath>

namespace {
const QString kTzid = QStringLiteral("Europe/Berlin");

// Central European time with its daylight-saving rules since 1996.
const char* const kBerlin =
    "BEGIN:VTIMEZONE\r\n"
    "TZID:Europe/Berlin\r\n"
    "BEGIN:DAYLIGHT\r\n"
    "TZOFFSETFROM:+0100\r\n"
    "TZOFFSETTO:+0200\r\n"
    "TZNAME:CEST\r\n"
    "DTSTART:19700329T020000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\n"
    "END:DAYLIGHT\r\n"
    "BEGIN:STANDARD\r\n"
    "TZOFFSETFROM:+0200\r\n"
    "TZOFFSETTO:+0100\r\n"
    "TZNAME:CET\r\n"
    "DTSTART:19701025T030000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\n"
    "END:STANDARD\r\n"
    "END:VTIMEZONE\r\n";

// Text values escape backslash, semicolon, comma and line breaks.
QString escaped(QString s) {
    s.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    s.replace(QLatin1Char(';'), QStringLiteral("\\;"));
    s.replace(QLatin1Char(','), QStringLiteral("\\,"));
    s.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return s;
}

// Content lines longer than 75 octets are folded, never inside a UTF-8 sequence.
QByteArray folded(const QString& line) {
    const QByteArray b = line.toUtf8();
    QByteArray out;
    int used = 0;
    for (qsizetype i = 0; i < b.size(); ++i) {
        const bool continuation = (uint8_t(b[i]) & 0xC0) == 0x80;
        if (!continuation && used >= 74) {
            out += "\r\n ";
            used = 1;
        }
        out += b[i];
        ++used;
    }
    return out + "\r\n";
}

QString local(const QDateTime& dt) { return dt.toString(QStringLiteral("yyyyMMdd'T'HHmmss")); }

QString nameOf(int i) { return IsFreeKuerzel(i) ? QString() : KuerzelName(i); }

bool inWeekSet(TPeriode weeks, const QDate& d) {
    const int w = d.weekNumber();
    return w >= 1 && w <= 64 && ((weeks >> (w - 1)) & 1u);
}
}  // namespace

TCalendarRange DefaultCalendarRange(TCalendarRange r, QDate today) {
    if (!r.From.isValid()) r.From = today;
    r.From = r.From.addDays(1 - r.From.dayOfWeek());
    if (!r.Until.isValid()) {
        int year = 0, section = 0;
        CurrentSchoolYear(year, section, today);
        r.Until = QDate(year + 1, 7, 31);
    }
    return r;
}

QByteArray PlanCalendarText(TStdPlan& aPlan, const TCalendarRange& aRange) {
    const TVeltraplanOptions& o = VeltraplanOptions();
    const TKueart kind = aPlan.PlanTyp();
    const int owner = aPlan.Kuerzel;
    const int days = std::clamp<int>(o.TageProWoche, 1, MaxPlanDays);
    const int periods = std::clamp<int>(o.StundenProTag, 1, MaxPlanPeriods);
    const QDate monday = aRange.From.addDays(1 - aRange.From.dayOfWeek());
    const QString stamp = PlanUtils::now().toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    // With a zoned start the end of the recurrence is given in UTC.
    const QString until = QDateTime(aRange.Until, QTime(23, 59, 59), QTimeZone(kTzid.toUtf8()))
                              .toUTC()
                              .toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));

    QByteArray out;
    out += "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Veltra//Horavia Stundenplan//DE\r\nCALSCALE:GREGORIAN\r\n";
    out += folded(QStringLiteral("X-WR-CALNAME:") + escaped(aPlan.KuerzelStr()));
    out += kBerlin;
    const int variants = CurrentPlanFile() ? std::clamp<int>(CurrentPlanFile()->Header().MaxVersion, 1, 2) : 1;
    for (int v = 1; v <= variants; ++v) {
        TStdPlan plan;
        if (!CurrentPlanFile() || CurrentPlanFile()->GetPlanVar(kind, owner - KueFirst[kind], plan, v) <= 0) continue;
        const TPeriode weeks = plan.Woche;
        // Without a week set the second variant is never used.
        if (v == 2 && weeks == 0) continue;
        for (int d = 1; d <= days; ++d) {
            QDate first = monday.addDays(d - 1);
            // The weeks of the range in which this variant does not apply.
            QList<QDate> excluded;
            if (weeks != 0)
                for (QDate w = first; w <= aRange.Until; w = w.addDays(7))
                    if (inWeekSet(weeks, w) != (v == 2)) excluded << w;
            if (first > aRange.Until) continue;
            for (int p = 1; p <= periods; ++p) {
                const TPlanCell& c = plan.cell(p, d);
                if (c.blocked || IsFreeKuerzel(c.partner[0])) continue;
                QString subject, other, room;
                switch (kind) {
                case leh: subject = nameOf(c.partner[1]); other = nameOf(c.partner[0]); room = nameOf(c.partner[2]); break;
                case kla: subject = nameOf(c.partner[1]); other = nameOf(c.partner[0]); room = nameOf(c.partner[2]); break;
                default: subject = nameOf(c.partner[2]); other = nameOf(c.partner[1]); room = KuerzelName(owner); break;
                }
                const double begin = o.optStundenbeginn[size_t(p - 1)];
                const QTime t = QTime::fromMSecsSinceStartOfDay(int(std::llround((begin - std::floor(begin)) * 86400000.0)) % 86400000);
                const QDateTime start(first, t);
                const QDateTime end = start.addSecs(qint64(std::max(o.optStundenDauer, 1)) * 60);
                QStringList parts;
                for (const QString& s : {subject, other, room})
                    if (!s.isEmpty()) parts << s;
                out += "BEGIN:VEVENT\r\n";
                out += folded(QStringLiteral("UID:%1-%2-%3-%4@horavia.veltra").arg(owner).arg(v).arg(d).arg(p));
                out += folded(QStringLiteral("DTSTAMP:") + stamp);
                out += folded(QStringLiteral("DTSTART;TZID=%1:%2").arg(kTzid, local(start)));
                out += folded(QStringLiteral("DTEND;TZID=%1:%2").arg(kTzid, local(end)));
                out += folded(QStringLiteral("RRULE:FREQ=WEEKLY;UNTIL=") + until);
                for (const QDate& x : excluded)
                    out += folded(QStringLiteral("EXDATE;TZID=%1:%2").arg(kTzid, local(QDateTime(x, t))));
                out += folded(QStringLiteral("SUMMARY:") + escaped(parts.join(QStringLiteral(" – "))));
                if (!room.isEmpty()) out += folded(QStringLiteral("LOCATION:") + escaped(room));
                out += "END:VEVENT\r\n";
            }
        }
    }
    out += "END:VCALENDAR\r\n";
    return out;
}

void WritePlanCalendar(TStdPlan& aPlan, const TCalendarRange& aRange, const QString& aDirectory) {
    QString dir = aDirectory;
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    QSaveFile f(dir + PlanFileName(aPlan.KuerzelStr()) + QStringLiteral(".ics"));
    const QByteArray text = PlanCalendarText(aPlan, aRange);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size() || !f.commit())
        throw EInOutError(QStringLiteral("Die Datei %1 kann nicht geschrieben werden.").arg(f.fileName()));
}
