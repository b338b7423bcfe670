#pragma once
// Small helpers of the timetable data layer: little-endian fields in byte
// buffers, length-prefixed single-byte strings, DOS dates and TDateTime values,
// the clock (replaceable for tests) and the message boxes of the layer.
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <cstring>
#include <functional>

namespace PlanUtils {

// --- little-endian fields -------------------------------------------------
inline int16_t getI16(const uint8_t* p, int off) { return int16_t(uint16_t(p[off] | (p[off + 1] << 8))); }
inline uint16_t getU16(const uint8_t* p, int off) { return uint16_t(p[off] | (p[off + 1] << 8)); }
inline int32_t getI32(const uint8_t* p, int off) {
    return int32_t(uint32_t(p[off]) | (uint32_t(p[off + 1]) << 8) | (uint32_t(p[off + 2]) << 16) | (uint32_t(p[off + 3]) << 24));
}
inline uint32_t getU32(const uint8_t* p, int off) { return uint32_t(getI32(p, off)); }
inline uint64_t getU64(const uint8_t* p, int off) { return uint64_t(getU32(p, off)) | (uint64_t(getU32(p, off + 4)) << 32); }
inline float getSingle(const uint8_t* p, int off) { float f; uint32_t u = getU32(p, off); std::memcpy(&f, &u, 4); return f; }
inline double getDouble(const uint8_t* p, int off) { double d; uint64_t u = getU64(p, off); std::memcpy(&d, &u, 8); return d; }

inline void putI16(uint8_t* p, int off, int v) { p[off] = uint8_t(v); p[off + 1] = uint8_t(unsigned(v) >> 8); }
inline void putU16(uint8_t* p, int off, unsigned v) { putI16(p, off, int(v)); }
inline void putU32(uint8_t* p, int off, uint32_t v) {
    p[off] = uint8_t(v); p[off + 1] = uint8_t(v >> 8); p[off + 2] = uint8_t(v >> 16); p[off + 3] = uint8_t(v >> 24);
}
inline void putI32(uint8_t* p, int off, int32_t v) { putU32(p, off, uint32_t(v)); }
inline void putU64(uint8_t* p, int off, uint64_t v) { putU32(p, off, uint32_t(v)); putU32(p, off + 4, uint32_t(v >> 32)); }
inline void putSingle(uint8_t* p, int off, float f) { uint32_t u; std::memcpy(&u, &f, 4); putU32(p, off, u); }
inline void putDouble(uint8_t* p, int off, double d) { uint64_t u; std::memcpy(&u, &d, 8); putU64(p, off, u); }

// --- length-prefixed single-byte strings (SS[n] occupies n + 1 bytes) -----
// The stored bytes; a length byte above n is cut to n so a damaged record
// never reads past its field.
QByteArray getSSBytes(const uint8_t* p, int off, int n);
// Decoded from Windows-1252.
QString getSS(const uint8_t* p, int off, int n);
// Writes at most n bytes and clears the rest of the field.
void putSSBytes(uint8_t* p, int off, int n, const QByteArray& bytes);
void putSS(uint8_t* p, int off, int n, const QString& text);

// Trim as the runtime does: characters up to and including the blank go.
QByteArray trimBytes(const QByteArray& s);
QString trimText(const QString& s);

// "%-2.2d": at least two digits, left-justified.
QString numberText(int n);
// The integer value of a number text, 0 when it is none.
int numberValue(const QString& text);

// --- dates ----------------------------------------------------------------
// The clock of the layer; tests replace it to move through calendar weeks.
QDateTime now();
void setClockForTesting(std::function<QDateTime()> clock);  // empty function = real clock

double dateTimeToTDateTime(const QDateTime& dt);
QDateTime tDateTimeToDateTime(double value);
// MS-DOS date and time (date in the high word); 0 for dates outside 1980–2107.
uint32_t dateTimeToDosDate(const QDateTime& dt);
// An invalid DOS date gives an invalid QDateTime.
QDateTime dosDateToDateTime(uint32_t dos);
// TDateTime of a DOS date; 0 for an invalid one.
double dosDateToTDateTime(uint32_t dos);
// A day count since 30 December 1899 as DOS date (older record layouts).
uint32_t dayCountToDosDate(int32_t days);

// --- messages ---------------------------------------------------------------
void showMessage(const QString& text);

}  // namespace PlanUtils
