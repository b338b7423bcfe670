#include "PlanFileWriter.h"

#include "TestSupport.h"

#include <cstring>

namespace planwriter {

void put16(uint8_t* p, int off, int v) { p[off] = uint8_t(v); p[off + 1] = uint8_t(unsigned(v) >> 8); }
void put32(uint8_t* p, int off, int32_t v) { for (int i = 0; i < 4; ++i) p[off + i] = uint8_t(uint32_t(v) >> (8 * i)); }
int get16(const uint8_t* p, int off) { return int16_t(p[off] | (p[off + 1] << 8)); }
int32_t get32(const uint8_t* p, int off) { return int32_t(p[off] | (p[off + 1] << 8) | (p[off + 2] << 16) | (uint32_t(p[off + 3]) << 24)); }
void putStr(uint8_t* p, int off, const QByteArray& s) { p[off] = uint8_t(s.size()); std::memcpy(p + off + 1, s.constData(), size_t(s.size())); }
QByteArray getStr(const uint8_t* p, int off) { return QByteArray(reinterpret_cast<const char*>(p + off + 1), p[off]); }

static const char* const kSignatures[] = {"KV0502", "KV0107", "KV0207", "KV0903", "KV0910", "KV0710",
                                          "KV1008", "KV0113", "KV0614", "KV0714", "KV0814", "KV1115"};

int Writer::dataSize(Table t) const {
    const int v = FVersion;
    switch (t) {
    case Le: return v <= 21 ? 517 : v <= 23 ? 665 : v == 24 ? 589 : v <= 27 ? 737 : v == 28 ? 777 : 907;
    case Kl: return v <= 21 ? 302 : v <= 23 ? 342 : v == 24 ? 304 : v <= 26 ? 412 : 414;
    case Ko: return v == 19 ? 195 : v <= 23 ? 580 : 582;
    case Fa: return 42;
    case Ra: return 31;
    case Ab: return 27;
    case Rq: return 69;
    }
    return 0;
}

int Writer::planOffset(Table t) const { return t == Le ? FPlan[0] : t == Kl ? FPlan[1] : FPlan[2]; }

Writer::Writer(int version, bool withSchoolData) : FVersion(version) {
    int pos = 768;
    for (Table t : {Le, Ko, Kl, Fa, Ra, Ab, Rq}) { FKue[t] = pos; pos += recordCount(t) * 11; }
    for (Table t : {Le, Ko, Kl, Rq, Ra, Fa, Ab}) { FData[t] = pos; pos += recordCount(t) * dataSize(t); }
    for (int i = 0; i < 3; ++i) { FPlan[i] = pos; pos += 257 * planSize(); }
    const bool school = withSchoolData && version >= 26;
    const int end = school ? 2949355 + 2320 : pos;
    FBytes = QByteArray(end, '\0');
    uint8_t* h = at(0);
    h[0] = 0x1A;
    h[32] = 128;
    put16(h, 33, 256);
    std::memcpy(h + 127, kSignatures[version - 19], 6);
    put16(h, 134, 500 + version);
    put16(h, 136, 768);
    put16(h, 138, 257);
    h[140] = 11;
    put16(h, 141, dataSize(Le));
    put16(h, 143, dataSize(Kl));
    put16(h, 145, dataSize(Ko));
    put16(h, 147, dataSize(Rq));
    put16(h, 149, planSize());
    put16(h, 151, planSize());
    put16(h, 153, planSize());
    const int kueFields[] = {155, 159, 163, 167, 171, 175, 179};  // Le Ko Kl Fa Ra Ab Rq
    for (int t = 0; t < 7; ++t) put32(h, kueFields[t], FKue[t]);
    put32(h, 183, FData[Le]);
    put32(h, 187, FData[Ko]);
    put32(h, 191, FData[Kl]);
    put32(h, 195, FData[Rq]);
    put32(h, 199, FPlan[0]);
    put32(h, 203, FPlan[1]);
    put32(h, 207, FPlan[2]);
    put16(h, 211, dataSize(Fa));
    put16(h, 213, dataSize(Ra));
    put32(h, 215, FData[Fa]);
    put32(h, 219, FData[Ra]);
    put16(h, 223, dataSize(Ab));
    put32(h, 225, FData[Ab]);
    h[229] = 2;
    h[230] = oldPlans() ? 60 : 120;
    h[231] = 1;
    for (Table t : {Le, Ko, Kl, Fa, Ra, Ab, Rq}) {
        for (int r = 0; r < recordCount(t); ++r) setKue(t, r, QByteArray(10, r == recordCount(t) - 1 ? '-' : '.'));
    }
    if (school) {
        QByteArray lists;
        for (const char* text : {"Nicht geladen\r\n", "Nicht geladen\r\n"}) {
            QByteArray n(4, '\0');
            put32(reinterpret_cast<uint8_t*>(n.data()), 0, int32_t(strlen(text)));
            lists += n + text;
        }
        FBytes += lists;
    }
}

void Writer::setKue(Table t, int rec, const QByteArray& name) {
    uint8_t* p = at(FKue[t] + rec * 11);
    std::memset(p, 0, 11);
    putStr(p, 0, name.left(10));
}

void Writer::save(const QString& path) const { testing_support::writeFile(path, FBytes); }

}  // namespace planwriter
