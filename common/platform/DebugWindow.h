#pragma once
// The developer's debug viewer: messages go over a local socket to the small
// program veltra-debugview, which lists them in a window (or prints them with
// --console). Without a running viewer a message is dropped silently.
//
// Wire format, one frame per message, written with QDataStream (Qt 6.0 format):
//   quint32 magic 0x56444247 ("VDBG"), quint8 kind, qint64 sender pid,
//   QString sender (file name of the sending module), QString text.
#include <QByteArray>
#include <QDataStream>
#include <QString>

enum class TDebugMsgKind : quint8 { Information = 0, Warning = 1, Error = 2 };

struct TDebugMessage {
    TDebugMsgKind Kind = TDebugMsgKind::Information;
    qint64 SenderPid = 0;
    QString Sender;
    QString Text;
};

namespace DebugWindowProtocol {
constexpr quint32 kMagic = 0x56444247u;
// The local-socket name of the viewer: $VELTRA_DEBUGVIEW_NAME, else one name per user.
QString ServerName();
QByteArray Encode(const TDebugMessage& msg);
// Reads one frame inside a started transaction of the stream; false when it is
// incomplete (commit nothing) or malformed (the stream status says which).
bool Decode(QDataStream& in, TDebugMessage& msg);
}  // namespace DebugWindowProtocol

// Sends one "information" message to the viewer. When none runs and starting
// has not failed before, starts it once: the program named by the registry value
// "FilePath" of "\Software\GExperts\Debug", else veltra-debugview beside this
// module, waiting at most 3000 ms for it. Never raises and never shows a message.
void SendToDebugWindow(const QString& text);

// The process id of the viewer this process started, 0 when it started none.
qint64 StartedDebugViewerPid();
// Forgets a failed start and the started viewer (the state a freshly loaded library has).
void ResetDebugWindowState();
