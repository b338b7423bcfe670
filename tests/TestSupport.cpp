#include "TestSupport.h"

#include <QFile>
#include <QUuid>
#include <stdexcept>

namespace testing_support {

QString tempDir() {
    static QTemporaryDir dir;
    return dir.path();
}

void freshRegistry() {
    const QString file = tempDir() + "/registry-" + QUuid::createUuid().toString(QUuid::Id128) + ".json";
    qputenv("VELTRA_REGISTRY", QFile::encodeName(file));
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error(("cannot read " + path).toStdString());
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        throw std::runtime_error(("cannot write " + path).toStdString());
}

}  // namespace testing_support
