#include "PlanFileIO.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

EPlanIOError::EPlanIOError(int code)
    : EInOutError(QStringLiteral("E/A-Fehler %1").arg(code)), FErrorCode(code) {}

PlanFileIO::~PlanFileIO() { close(); }

int PlanFileIO::open(const QString& fileName, bool create) {
    close();
    const QByteArray name = QFile::encodeName(fileName);
    int flags = O_RDWR | O_CLOEXEC;
    if (create) flags |= O_CREAT | O_TRUNC;
    FFd = ::open(name.constData(), flags, 0666);
    return FFd < 0 ? (errno ? errno : EIO) : 0;
}

void PlanFileIO::close() {
    if (FFd >= 0) ::close(FFd);
    FFd = -1;
}

qint64 PlanFileIO::size() const {
    struct stat st{};
    if (FFd < 0 || ::fstat(FFd, &st) != 0) throw EPlanIOError(FFd < 0 ? 103 : errno);
    return qint64(st.st_size);
}

void PlanFileIO::seek(qint64 pos) {
    if (FFd < 0) throw EPlanIOError(103);
    if (pos < 0 || ::lseek(FFd, off_t(pos), SEEK_SET) < 0) throw EPlanIOError(pos < 0 ? 131 : errno);
}

qint64 PlanFileIO::pos() const {
    if (FFd < 0) throw EPlanIOError(103);
    const off_t p = ::lseek(FFd, 0, SEEK_CUR);
    if (p < 0) throw EPlanIOError(errno);
    return qint64(p);
}

void PlanFileIO::read(void* buf, qint64 n) {
    if (FFd < 0) throw EPlanIOError(103);
    auto* p = static_cast<char*>(buf);
    while (n > 0) {
        const ssize_t r = ::read(FFd, p, size_t(n));
        if (r < 0) {
            if (errno == EINTR) continue;
            throw EPlanIOError(errno);
        }
        if (r == 0) throw EPlanIOError(100);
        p += r;
        n -= r;
    }
}

void PlanFileIO::write(const void* buf, qint64 n) {
    if (FFd < 0) throw EPlanIOError(103);
    auto* p = static_cast<const char*>(buf);
    while (n > 0) {
        const ssize_t r = ::write(FFd, p, size_t(n));
        if (r < 0) {
            if (errno == EINTR) continue;
            throw EPlanIOError(errno);
        }
        if (r == 0) throw EPlanIOError(101);
        p += r;
        n -= r;
    }
}
