// The plan command through the real host and the real library.
#include "PlanCalendar.h"
#include "PlanFileWriter.h"
#include "TestSupport.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace testing_support;
using namespace planwriter;

namespace {
struct Result {
    int code = -1;
    QString out, err;
};

Result veltra(const QStringList& args) {
    QProcess p;
    p.start(VELTRA_BIN_DIR "/veltra", args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()), QString::fromLocal8Bit(p.readAllStandardError())};
}

void putEntry(uint8_t* rec, int variant, int n, int period, int day, std::array<int, 4> idx) {
    uint8_t* e = rec + 20 + (variant - 1) * 1560 + n * 13;
    e[0] = uint8_t((day - 1) * 20 + period);
    for (int i = 0; i < 4; ++i) put16(e + 1, 4 + 2 * i, idx[size_t(i)]);
}

// Teachers SCH and MUE, classes 5b and 5a, subject D, room R1; 5a has lessons in both variants.
QString makeSchool(const QString& name, uint64_t weeks = 0) {
    Writer w(30);
    w.setKue(Le, 1, "SCH");
    w.setKue(Le, 2, "MUE");
    w.setKue(Kl, 1, "5b");
    w.setKue(Kl, 2, "5a");
    w.setKue(Fa, 1, "D");
    w.setKue(Ra, 1, "R1");
    uint8_t* kl = w.plan(Kl, 2);
    put16(kl, 8, 516);
    for (int i = 0; i < 8; ++i) kl[12 + i] = uint8_t(weeks >> (8 * i));
    putEntry(kl, 1, 0, 1, 1, {2, 772, 1029, 0});  // Monday 1st: MUE D R1
    putEntry(kl, 1, 1, 3, 2, {1, 772, 1029, 0});  // Tuesday 3rd: SCH D R1
    putEntry(kl, 2, 0, 2, 1, {1, 772, 0, 0});     // variant 2, Monday 2nd: SCH D, no room
    const QString path = tempDir() + "/" + name;
    w.save(path);
    return path;
}
}  // namespace

TEST(PlanCommand, NewInfoAndListOnFreshAndBrokenFiles) {
    const QString dir = tempDir() + "/plannew";
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    const QString file = dir + "/neu.wpl";
    Result r = veltra({"plan", "new", file});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList{"neu.wpl"});
    EXPECT_EQ(veltra({"plan", "new", file}).code, 1);  // never overwrites

    r = veltra({"plan", "info", file});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    for (const char* line : {"Version: 30", "Signatur: KV1115", "Freigabe: 23. Nov. 2015", "Lehrer: 0", "Raumgruppe: 0"})
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(line) + "\n")) << line << "\n" << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QRegularExpression("Erstellt: \\d\\d\\.\\d\\d\\. \\d{4} um \\d\\d:\\d\\d:\\d\\d Uhr\n")));
    r = veltra({"plan", "list", file, "--kind", "lehrer"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "");

    const QString broken = dir + "/kaputt.wpl";
    writeFile(broken, QByteArray(4000, 'x'));
    r = veltra({"plan", "info", broken});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("Konnte den Plan nicht laden (Unbekannte Dateiversion)")) << r.err.toStdString();
    r = veltra({"plan", "info", dir + "/fehlt.wpl"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("gibt es nicht")) << r.err.toStdString();
    EXPECT_EQ(veltra({"plan", "list", file, "--kind", "schueler"}).code, 2);
    EXPECT_EQ(veltra({"plan", "list", file}).code, 2);
    r = veltra({"plan", "--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.startsWith("Aufruf: veltra plan new DATEI"));
}

TEST(PlanCommand, ReadingJobsLeaveTheFileAsItWas) {
    const QString file = makeSchool("unberuehrt.wpl");
    // A header last opened in another week: opening counts the week on.
    QByteArray bytes = readFile(file);
    bytes[232] = char(QDate::currentDate().weekNumber() % 52 + 1);
    writeFile(file, bytes);
    const QString out = tempDir() + "/unberuehrt-out";
    QDir().mkpath(out);
    EXPECT_EQ(veltra({"plan", "info", file}).code, 0);
    EXPECT_EQ(veltra({"plan", "list", file, "--kind", "klasse"}).code, 0);
    EXPECT_EQ(veltra({"plan", "export", file, "--kind", "klasse", "--all", "--format", "html", "--out", out}).code, 0);
    EXPECT_EQ(readFile(file), bytes);
}

TEST(PlanCommand, ListAndExportTheChosenPlans) {
    const QString file = makeSchool("export.wpl");
    Result r = veltra({"plan", "list", file, "--kind", "klasse"});
    EXPECT_EQ(r.out, "5a\n5b\n");
    const QString out = tempDir() + "/export";
    QDir(out).removeRecursively();
    QDir().mkpath(out);

    r = veltra({"plan", "export", file, "--kind", "klasse", "--all", "--format", "lines", "--out", out + "/all.txt", "--number", "3"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(readFile(out + "/all.txt"), "5a;1;1;MUE;D;R1;...;3\r\n5a;2;3;SCH;D;R1;...;3\r\n");

    r = veltra({"plan", "export", file, "--kind", "lehrer", "--name", "MUE", "--format", "xml", "--out", out + "/mue.xml"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(readFile(out + "/mue.xml").startsWith(" <LEHRER Kuerzel='MUE'>\r\n </LEHRER>\r\n"));  // no lessons stored

    r = veltra({"plan", "export", file, "--kind", "klasse", "--all", "--format", "html", "--out", out + "/html"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(QDir(out + "/html").entryList(QDir::Files), (QStringList{"5a.html", "5b.html"}));
    EXPECT_TRUE(readFile(out + "/html/5a.html").contains("<td > MUE D R1 </td>\r\n"));

    r = veltra({"plan", "export", file, "--kind", "klasse", "--name", "5a", "--format", "dump", "--out", out + "/dump.txt"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(readFile(out + "/dump.txt").startsWith("Stundenplan: 5a\r\n"));

    // Settings from a file: six days.
    writeFile(out + "/plan.ini", "[SCHULE]\r\nTAGEPROWOCHE=6\r\n");
    r = veltra({"plan", "export", file, "--kind", "klasse", "--name", "5a", "--format", "dump", "--out", out + "/dump6.txt", "--ini", out + "/plan.ini"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(readFile(out + "/dump6.txt").split('\n').value(1).size(), 8 + 6 * 34 + 1 + 1);  // "|" and CR

    r = veltra({"plan", "export", file, "--kind", "klasse", "--name", "9z", "--format", "lines", "--out", out + "/none.txt"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("Das Kürzel \"9z\" (Klasse) gibt es in der Plandatei nicht."))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(out + "/none.txt"));
    EXPECT_EQ(veltra({"plan", "export", file, "--kind", "fach", "--all", "--format", "lines", "--out", out + "/x"}).code, 2);
    EXPECT_EQ(veltra({"plan", "export", file, "--kind", "klasse", "--format", "lines", "--out", out + "/x"}).code, 2);
    EXPECT_EQ(veltra({"plan", "export", file, "--kind", "klasse", "--all", "--format", "pdf", "--out", out + "/x"}).code, 2);
}

TEST(PlanCommand, CalendarParsesWithWeeklyRecurrenceInTheWeeksOfEachVariant) {
    // Weeks 3 and 4 use the second variant.
    const QString file = makeSchool("ical.wpl", (1u << 2) | (1u << 3));
    const QString out = tempDir() + "/ical";
    QDir(out).removeRecursively();
    Result r = veltra({"plan", "export", file, "--kind", "klasse", "--name", "5a", "--format", "ical", "--out", out,
                       "--from", "2027-01-06", "--until", "2027-02-05"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QString script = QStringLiteral(R"(
import sys, icalendar
cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
for e in sorted(cal.walk('VEVENT'), key=lambda e: e.decoded('dtstart')):
    s, t = e.decoded('dtstart'), e.decoded('dtend')
    ex = e.get('exdate')
    ex = ex if isinstance(ex, list) else ([ex] if ex else [])
    weeks = sorted(d.dt.isocalendar()[1] for x in ex for d in x.dts)
    print(s.strftime('%Y-%m-%d %H:%M'), s.tzinfo.zone, int((t - s).total_seconds() // 60),
          e['rrule']['FREQ'][0], e['rrule']['UNTIL'][0].strftime('%Y-%m-%d'), weeks, str(e['summary']), sep='|')
)");
    QProcess py;
    py.start("/usr/bin/python3", {"-c", script, out + "/5a.ics"});
    ASSERT_TRUE(py.waitForFinished(60000));
    const QString err = QString::fromUtf8(py.readAllStandardError());
    ASSERT_EQ(py.exitCode(), 0) << err.toStdString();
    EXPECT_EQ(QString::fromUtf8(py.readAllStandardOutput()),
              QString::fromUtf8("2027-01-04 07:45|Europe/Berlin|45|WEEKLY|2027-02-05|[3, 4]|D – MUE – R1\n"
                                "2027-01-04 08:30|Europe/Berlin|45|WEEKLY|2027-02-05|[1, 2, 5]|D – SCH\n"
                                "2027-01-05 09:30|Europe/Berlin|45|WEEKLY|2027-02-05|[3, 4]|D – SCH – R1\n"));
}

TEST(PlanCalendarRange, DefaultsAreThisWeeksMondayAndTheEndOfTheSchoolYear) {
    const TCalendarRange r = DefaultCalendarRange({}, QDate(2026, 12, 11));
    EXPECT_EQ(r.From, QDate(2026, 12, 7));
    EXPECT_EQ(r.Until, QDate(2027, 7, 31));
    EXPECT_EQ(DefaultCalendarRange({QDate(2027, 3, 3), {}}, QDate(2027, 3, 3)).Until, QDate(2027, 7, 31));
}
