#include "KvUtils.h"
#include "TestSupport.h"

#include <QFile>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {
// A minimal PE32 image: DOS header, PE header at 0x80, one section holding the
// resource directory at RVA 0x2000, its raw data at file offset 0x400.
struct PeImage {
    bool withMz = true;
    quint32 stamp = 0;
    quint16 magic = 0x10B;
    quint16 optSize = 224;
    quint32 resRva = 0x2010, resSize = 0x40;
    quint32 secVa = 0x2000, secRaw = 0x200, secPtr = 0x400;
    quint32 dosStamp = 0;

    QByteArray build() const {
        const int pe = withMz ? 0x80 : 0;
        QByteArray b(0x800, '\0');
        auto put16 = [&](int off, quint16 v) { qToLittleEndian<quint16>(v, b.data() + off); };
        auto put32 = [&](int off, quint32 v) { qToLittleEndian<quint32>(v, b.data() + off); };
        if (withMz) {
            b[0] = 'M';
            b[1] = 'Z';
            put32(60, pe);
        }
        b.replace(pe, 4, QByteArray("PE\0\0", 4));
        put16(pe + 4, 0x14C);
        put16(pe + 6, 1);
        put32(pe + 8, stamp);
        put16(pe + 20, optSize);
        put16(pe + 24, magic);
        put32(pe + 24 + 112, resRva);
        put32(pe + 24 + 116, resSize);
        const int sec = pe + 24 + optSize;
        b.replace(sec, 5, ".rsrc");
        put32(sec + 12, secVa);
        put32(sec + 16, secRaw);
        put32(sec + 20, secPtr);
        put32(int(secPtr + (resRva - secVa)) + 4, dosStamp);
        return b;
    }
};

quint32 dosDateTime(int y, int mo, int d, int h, int mi, int s) {
    return (quint32((y - 1980) << 9 | mo << 5 | d) << 16) | quint32(h << 11 | mi << 5 | s / 2);
}

QDateTime naive(int y, int mo, int d, int h, int mi, int s) { return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC); }
}  // namespace

TEST(LinkDate, PeImages) {
    const QDateTime fileTime = naive(2021, 3, 4, 5, 6, 7);
    struct Case {
        const char* name;
        PeImage img;
        QDateTime expected;
    };
    PeImage plain;
    plain.stamp = 1700000000;
    PeImage noMz = plain;
    noMz.withMz = false;
    PeImage fixed;
    fixed.stamp = 0x2A425E19;
    fixed.dosStamp = dosDateTime(2019, 5, 17, 14, 30, 20);
    PeImage pe32plus = fixed;
    pe32plus.magic = 0x20B;
    PeImage shortOpt = fixed;
    shortOpt.optSize = 200;
    PeImage outside = fixed;
    outside.secRaw = 0x10;  // section ends before the directory
    PeImage badDos = fixed;
    badDos.dosStamp = 0;  // month 0 does not convert
    const Case cases[] = {
        {"time stamp", plain, UnixSecondsToDateTime(1700000000)},
        {"no MZ, PE at offset 0", noMz, UnixSecondsToDateTime(1700000000)},
        {"fixed stamp: resource directory date", fixed, naive(2019, 5, 17, 14, 30, 20)},
        {"fixed stamp, PE32+", pe32plus, fileTime},
        {"fixed stamp, short optional header", shortOpt, fileTime},
        {"fixed stamp, no section holds the directory", outside, fileTime},
        {"fixed stamp, invalid DOS date", badDos, fileTime},
    };
    for (const Case& c : cases) {
        const QString path = tempDir() + "/image.dll";
        writeFile(path, c.img.build());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime(fileTime.date(), fileTime.time(), Qt::LocalTime),
                      QFileDevice::FileModificationTime);
        f.close();
        EXPECT_EQ(GetLinkDate(path), c.expected) << c.name;
    }
}

TEST(LinkDate, OtherFiles) {
    EXPECT_EQ(GetLinkDate(tempDir() + "/gibt-es-nicht.dll"), UnixSecondsToDateTime(0));
    const QString elf = tempDir() + "/libx.so";
    writeFile(elf, QByteArray("\x7F" "ELF") + QByteArray(300, '\0'));
    QFile f(elf);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(QDateTime(QDate(2024, 8, 1), QTime(9, 15, 0), Qt::LocalTime), QFileDevice::FileModificationTime);
    f.close();
    EXPECT_EQ(GetLinkDate(elf), naive(2024, 8, 1, 9, 15, 0));
    writeFile(tempDir() + "/kurz.exe", "MZ");
    EXPECT_TRUE(GetLinkDate(tempDir() + "/kurz.exe").isValid());
}
