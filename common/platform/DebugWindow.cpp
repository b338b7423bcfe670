#include "DebugWindow.h"

#include "Registry.h"
#include "VersionInfo.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIODevice>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <unistd.h>

namespace DebugWindowProtocol {

QString ServerName() {
    const QString name = qEnvironmentVariable("VELTRA_DEBUGVIEW_NAME");
    if (!name.isEmpty()) return name;
    return QStringLiteral("veltra-debugview-%1").arg(getuid());
}

QByteArray Encode(const TDebugMessage& msg) {
    QByteArray frame;
    QDataStream out(&frame, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kMagic << quint8(msg.Kind) << msg.SenderPid << msg.Sender << msg.Text;
    return frame;
}

bool Decode(QDataStream& in, TDebugMessage& msg) {
    quint32 magic = 0;
    quint8 kind = 0;
    TDebugMessage m;
    in >> magic;
    if (in.status() == QDataStream::Ok && magic != kMagic) {
        in.setStatus(QDataStream::ReadCorruptData);
        return false;
    }
    in >> kind >> m.SenderPid >> m.Sender >> m.Text;
    if (in.status() != QDataStream::Ok) return false;
    if (kind > quint8(TDebugMsgKind::Error)) {
        in.setStatus(QDataStream::ReadCorruptData);
        return false;
    }
    m.Kind = TDebugMsgKind(kind);
    msg = m;
    return true;
}

}  // namespace DebugWindowProtocol

namespace {
// Process-wide like the library that links it: a failed start is not repeated.
bool gStartFailed = false;
qint64 gStartedPid = 0;
constexpr int kStartWaitMs = 3000;
constexpr int kConnectWaitMs = 300;

bool deliver(const QByteArray& frame) {
    QLocalSocket socket;
    socket.connectToServer(DebugWindowProtocol::ServerName(), QIODevice::WriteOnly);
    if (!socket.waitForConnected(kConnectWaitMs)) return false;
    socket.write(frame);
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(2000)) break;
    const bool sent = socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(1000);
    return sent;
}

bool viewerAnswers() {
    QLocalSocket socket;
    socket.connectToServer(DebugWindowProtocol::ServerName(), QIODevice::WriteOnly);
    const bool ok = socket.waitForConnected(kConnectWaitMs);
    socket.abort();
    return ok;
}

// The configured program, else the viewer beside this module; empty when there is
// nothing to start. The viewer beside the module is a window: on a run without a
// display (the offscreen platform) it could only linger unseen, so it is not started.
QString viewerProgram() {
    QString program;
    try {
        TRegistry reg;
        if (reg.OpenKeyReadOnly(QStringLiteral("\\Software\\GExperts\\Debug")))
            program = reg.ReadString(QStringLiteral("FilePath"));
    } catch (...) {
        program.clear();
    }
    if (program.isEmpty()) {
        if (QGuiApplication::platformName() == QStringLiteral("offscreen")) return {};
        const QString module = ModuleFileName();
        if (!module.isEmpty()) program = QFileInfo(module).absolutePath() + QStringLiteral("/veltra-debugview");
    }
    return program;
}

bool startViewer() {
    const QString program = viewerProgram();
    if (program.isEmpty() || !QFileInfo(program).isFile()) return false;
    qint64 pid = 0;
    if (!QProcess::startDetached(program, {}, QString(), &pid)) return false;
    gStartedPid = pid;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < kStartWaitMs) {
        if (viewerAnswers()) return true;
        // A viewer that ended at once will never answer.
        if (pid > 0 && ::kill(pid_t(pid), 0) != 0) break;
        QThread::msleep(50);
    }
    return false;
}
}  // namespace

void SendToDebugWindow(const QString& text) {
    try {
        TDebugMessage msg;
        msg.Kind = TDebugMsgKind::Information;
        msg.SenderPid = QCoreApplication::applicationPid();
        msg.Sender = QFileInfo(ModuleFileName()).fileName();
        msg.Text = text;
        const QByteArray frame = DebugWindowProtocol::Encode(msg);
        if (deliver(frame)) return;
        if (gStartFailed) return;
        // A started viewer that never answered counts as a failed start too:
        // starting it again on every export would pile up viewers.
        if (!startViewer()) {
            gStartFailed = true;
            return;
        }
        deliver(frame);
    } catch (...) {
        // The trace is a convenience for developers; it never disturbs the caller.
    }
}

qint64 StartedDebugViewerPid() { return gStartedPid; }

void ResetDebugWindowState() {
    gStartFailed = false;
    gStartedPid = 0;
}
