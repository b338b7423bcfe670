#pragma once
// A small writer of plan files for the tests, built from the layout tables
// alone (it shares no code with the plan-file class), so that files of every
// version can be made the way the timetabling module writes them.
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace planwriter {

// Tables in file order.
enum Table { Le, Ko, Kl, Fa, Ra, Ab, Rq };

class Writer {
public:
    explicit Writer(int version, bool withSchoolData = true);

    int version() const { return FVersion; }
    bool oldPlans() const { return FVersion <= 21 || FVersion == 24; }
    int recordCount(Table t) const { return t == Ab || t == Rq ? 22 : 257; }
    int dataSize(Table t) const;
    int planSize() const { return oldPlans() ? 1758 : 3144; }
    int kueOffset(Table t) const { return FKue[t]; }
    int dataOffset(Table t) const { return FData[t]; }
    int planOffset(Table t) const;  // Le, Kl, Ra

    void setKue(Table t, int rec, const QByteArray& name);
    uint8_t* data(Table t, int rec) { return at(FData[t] + rec * dataSize(t)); }
    uint8_t* plan(Table t, int rec) { return at(planOffset(t) + rec * planSize()); }
    uint8_t* at(int offset) { return reinterpret_cast<uint8_t*>(FBytes.data()) + offset; }
    void setHeaderByte(int offset, uint8_t v) { *at(offset) = v; }

    const QByteArray& bytes() const { return FBytes; }
    void save(const QString& path) const;

private:
    int FVersion;
    int FKue[7];
    int FData[7];
    int FPlan[3];
    QByteArray FBytes;
};

void put16(uint8_t* p, int off, int v);
void put32(uint8_t* p, int off, int32_t v);
int get16(const uint8_t* p, int off);
int32_t get32(const uint8_t* p, int off);
void putStr(uint8_t* p, int off, const QByteArray& s);  // length byte + characters
QByteArray getStr(const uint8_t* p, int off);

}  // namespace planwriter
