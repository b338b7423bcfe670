// The debug viewer's frame decoder on arbitrary socket bytes: it must decode,
// wait for more, or reject, and whatever it decodes must encode back the same.
#include "DebugWindow.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    QDataStream in(&buf);
    in.setVersion(QDataStream::Qt_6_0);
    for (int frames = 0; frames < 64; ++frames) {
        in.startTransaction();
        TDebugMessage msg;
        if (!DebugWindowProtocol::Decode(in, msg)) {
            in.abortTransaction();
            break;
        }
        in.commitTransaction();
        QByteArray again = DebugWindowProtocol::Encode(msg);
        QDataStream check(&again, QIODevice::ReadOnly);
        check.setVersion(QDataStream::Qt_6_0);
        TDebugMessage back;
        if (!DebugWindowProtocol::Decode(check, back) || back.Text != msg.Text || back.Sender != msg.Sender ||
            back.Kind != msg.Kind || back.SenderPid != msg.SenderPid)
            __builtin_trap();
    }
    return 0;
}
