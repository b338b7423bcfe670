#include "uPlanUtils.h"

#include "Codec1252.h"
#include "Dialogs.h"

#include <QTimeZone>
#include <cmath>

namespace PlanUtils {

QByteArray getSSBytes(const uint8_t* p, int off, int n) {
    int len = p[off];
    if (len > n) len = n;
    return QByteArray(reinterpret_cast<const char*>(p + off + 1), len);
}

QString getSS(const uint8_t* p, int off, int n) { return Codec1252::decode(getSSBytes(p, off, n)); }

void putSSBytes(uint8_t* p, int off, int n, const QByteArray& bytes) {
    const int len = int(std::min<qsizetype>(bytes.size(), n));
    p[off] = uint8_t(len);
    std::memcpy(p + off + 1, bytes.constData(), size_t(len));
    std::memset(p + off + 1 + len, 0, size_t(n - len));
}

void putSS(uint8_t* p, int off, int n, const QString& text) { putSSBytes(p, off, n, Codec1252::encode(text)); }

QByteArray trimBytes(const QByteArray& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && uint8_t(s[b]) <= ' ') ++b;
    while (e > b && uint8_t(s[e - 1]) <= ' ') --e;
    return s.mid(b, e - b);
}

QString trimText(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s[b].unicode() <= ' ') ++b;
    while (e > b && s[e - 1].unicode() <= ' ') --e;
    return s.mid(b, e - b);
}

QString numberText(int n) {
    QString digits = QString::number(std::abs(n)).rightJustified(2, QLatin1Char('0'));
    return n < 0 ? QLatin1Char('-') + digits : digits;
}

int numberValue(const QString& text) {
    bool ok = false;
    const int v = trimText(text).toInt(&ok);
    return ok ? v : 0;
}

namespace {
std::function<QDateTime()>& clockFn() {
    static std::function<QDateTime()> fn;
    return fn;
}
const QDateTime& epoch() {
    static const QDateTime e(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    return e;
}
}  // namespace

QDateTime now() { return clockFn() ? clockFn()() : QDateTime::currentDateTime(); }
void setClockForTesting(std::function<QDateTime()> clock) { clockFn() = std::move(clock); }

double dateTimeToTDateTime(const QDateTime& dt) {
    // Local wall time, as the runtime counts it: whole days plus the fraction of the day.
    const qint64 days = epoch().date().daysTo(dt.date());
    const double frac = dt.time().msecsSinceStartOfDay() / 86400000.0;
    return days >= 0 ? double(days) + frac : double(days) - frac;
}

QDateTime tDateTimeToDateTime(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6) return {};
    const double whole = std::trunc(value);
    const double frac = std::fabs(value - whole);
    const QDate d = epoch().date().addDays(qint64(whole));
    return QDateTime(d, QTime::fromMSecsSinceStartOfDay(int(std::llround(frac * 86400000.0)) % 86400000));
}

uint32_t dateTimeToDosDate(const QDateTime& dt) {
    const QDate d = dt.date();
    const QTime t = dt.time();
    if (!d.isValid() || d.year() < 1980 || d.year() > 2107) return 0;
    const uint32_t date = uint32_t(((d.year() - 1980) << 9) | (d.month() << 5) | d.day());
    const uint32_t time = uint32_t((t.hour() << 11) | (t.minute() << 5) | (t.second() / 2));
    return (date << 16) | time;
}

QDateTime dosDateToDateTime(uint32_t dos) {
    const uint32_t date = dos >> 16, time = dos & 0xFFFF;
    const QDate d(int(date >> 9) + 1980, int((date >> 5) & 15), int(date & 31));
    const QTime t(int(time >> 11), int((time >> 5) & 63), int(time & 31) * 2);
    if (!d.isValid() || !t.isValid()) return {};
    return QDateTime(d, t);
}

double dosDateToTDateTime(uint32_t dos) {
    const QDateTime dt = dosDateToDateTime(dos);
    return dt.isValid() ? dateTimeToTDateTime(dt) : 0.0;
}

uint32_t dayCountToDosDate(int32_t days) {
    return dateTimeToDosDate(QDateTime(epoch().date().addDays(days), QTime(0, 0)));
}

void showMessage(const QString& text) { Dialogs::instance().ShowMessage(text); }


}  // namespace PlanUtils
