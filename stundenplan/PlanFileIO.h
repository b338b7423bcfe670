#pragma once
// The open plan file as an untyped file of record size 1: positioned block
// reads and writes that fail with an I/O error, never with a short transfer.
#include "Exceptions.h"

#include <QString>
#include <cstdint>

// An I/O error with the operating system's code (100 = read past the end,
// 101 = incomplete write, as the runtime numbers them).
class EPlanIOError : public EInOutError {
public:
    explicit EPlanIOError(int code);
    int ErrorCode() const { return FErrorCode; }

private:
    int FErrorCode;
};

class PlanFileIO {
public:
    PlanFileIO() = default;
    ~PlanFileIO();
    PlanFileIO(const PlanFileIO&) = delete;
    PlanFileIO& operator=(const PlanFileIO&) = delete;

    // Opens for reading and writing; create truncates. Returns 0 or the error code.
    int open(const QString& fileName, bool create);
    void close();
    bool isOpen() const { return FFd >= 0; }
    qint64 size() const;
    void seek(qint64 pos);
    qint64 pos() const;
    // Reads exactly n bytes at the current position.
    void read(void* buf, qint64 n);
    void write(const void* buf, qint64 n);

private:
    int FFd = -1;
};
