#pragma once
// Small helpers shared by the tests.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace testing_support {
// A folder of the running test binary, removed at exit.
QString tempDir();
// Gives the test a fresh, empty registry store (the file under tempDir()).
void freshRegistry();
QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& data);
}  // namespace testing_support

#include <QByteArray>
#include <QStringList>
#include <ostream>
// Readable failure output for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join("|").toStdString() << ']'; }
inline void PrintTo(const QByteArray& b, std::ostream* os) { *os << "bytes(" << b.toHex(' ').toStdString() << ')'; }
