#pragma once
// Shared pieces of the catalogue units: record stamps, kind checks and the
// byte-wise comparison of abbreviations.
#include "Exceptions.h"
#include "Wpdb.h"
#include "uPlanUtils.h"

#include <QString>
#include <cstring>

namespace KatalogSupport {

// Date of the last change and global index, the start of every record.
inline void stampRecord(uint8_t* Data, int i) {
    PlanUtils::putU32(Data, 0, PlanUtils::dateTimeToDosDate(PlanUtils::now()));
    PlanUtils::putI16(Data, 4, i);
}

inline void checkKind(TKueart k, int i, const char* text, const char* unit, int line) {
    if (KueArtOf(i) != k)
        throw EAssertionFailed(QString::fromUtf8(text), QString::fromLatin1(unit), line);
}

// Reads the record of global index i through the current plan file.
inline void readRecord(TKueart k, uint8_t* Data, int i) {
    if (TWplFile* f = CurrentPlanFile()) f->ReadData(k, int16_t(i - KueFirst[k]), Data);
}

// The stored abbreviation of an index; an index outside the table has none.
inline QByteArray nameBytes(int i) {
    return i >= 0 && i < KueIndexCount ? KueNames[size_t(i)].bytes() : QByteArray();
}

// Byte-wise unsigned comparison, a shorter text before a longer one.
inline bool nameGreater(int a, int b) {
    const QByteArray x = nameBytes(a), y = nameBytes(b);
    const qsizetype n = std::min(x.size(), y.size());
    for (qsizetype c = 0; c < n; ++c)
        if (uint8_t(x[c]) != uint8_t(y[c])) return uint8_t(x[c]) > uint8_t(y[c]);
    return x.size() > y.size();
}

inline void swapBytes(uint8_t* a, uint8_t* b, int n) {
    uint8_t tmp[64];
    std::memcpy(tmp, a, size_t(n));
    std::memcpy(a, b, size_t(n));
    std::memcpy(b, tmp, size_t(n));
}

// Tidying shared by teacher assignments and class lessons: pack the non-empty
// entries to the front, reset the empty tail, then (with SortDepu) order them.
template <typename IsEmpty, typename Reset>
void tidyList(uint8_t* first, int count, int size, int partnerOffset, int subjectOffset, IsEmpty isEmpty, Reset reset) {
    auto entry = [&](int p) { return first + p * size; };
    bool swapped;
    do {
        swapped = false;
        for (int p = 0; p + 1 < count; ++p)
            if (isEmpty(entry(p)) && !isEmpty(entry(p + 1))) {
                swapBytes(entry(p), entry(p + 1), size);
                swapped = true;
            }
    } while (swapped);
    int n = count;
    while (n > 0 && isEmpty(entry(n - 1))) reset(entry(--n));
    const TVeltraplanOptions& o = VeltraplanOptions();
    if (!o.SortDepu) return;
    auto partner = [&](int p) { return int(PlanUtils::getI16(entry(p), partnerOffset)); };
    for (int a = 0; a < n; ++a)
        for (int c = a + 1; c < n; ++c)
            if (o.KoppFirst ? partner(a) > partner(c) : partner(a) < partner(c)) swapBytes(entry(a), entry(c), size);
    for (int a = 0; a < n; ++a)
        for (int c = a + 1; c < n; ++c) {
            if (KueArtOf(partner(a)) != KueArtOf(partner(c))) continue;
            const int off = o.FachSort ? subjectOffset : partnerOffset;
            if (nameGreater(PlanUtils::getI16(entry(a), off), PlanUtils::getI16(entry(c), off)))
                swapBytes(entry(a), entry(c), size);
        }
}

}  // namespace KatalogSupport
