#pragma once
// Small helpers shared by the tests.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace testing_support {
// A folder of the running test binary, removed at exit.
QString tempDir();
// Gives the test a fresh, empty registry store (the file under tempDir()).
void freshRegistry();
QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& data);
// Runs aAction once on the first modal window of type T that comes up while
// the watch lives; the action must close it. Polls, so it also catches windows
// opened inside a nested event loop.
template <typename T>
class ModalWatch {
public:
    explicit ModalWatch(std::function<void(T*)> aAction) {
        QObject::connect(&FTimer, &QTimer::timeout, [this, aAction] {
            if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
                FTimer.stop();
                ++FCount;
                aAction(w);
            }
        });
        FTimer.start(5);
    }
    int count() const { return FCount; }

private:
    QTimer FTimer;
    int FCount = 0;
};

}  // namespace testing_support

#include <QByteArray>
#include <QStringList>
#include <ostream>
// Readable failure output for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join("|").toStdString() << ']'; }
inline void PrintTo(const QByteArray& b, std::ostream* os) { *os << "bytes(" << b.toHex(' ').toStdString() << ')'; }
