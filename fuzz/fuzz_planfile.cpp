// Opens arbitrary bytes as a plan file and reads everything a plan window would.
// The input is the start of the file; its last four bytes give the length the
// file is zero-extended to, so headers can point into a full-size file.
#include "Dialogs.h"
#include "Exceptions.h"
#include "Wpdb.h"
#include "uPlandatei.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
QString planPath() {
    static QTemporaryDir dir;
    return dir.path() + QStringLiteral("/fuzz.wpl");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FakeDialogs dialogs;
    dialogs.shown.clear();
    const QString path = planPath();
    {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) return 0;
        size_t body = size;
        off_t length = off_t(size);
        if (size >= 4) {
            uint32_t wanted;
            std::memcpy(&wanted, data + size - 4, 4);
            body = size - 4;
            length = off_t(std::max<size_t>(body, wanted % (4u << 20)));
        }
        if (::write(fd, data, body) != ssize_t(body) || ::ftruncate(fd, length) != 0) { ::close(fd); return 0; }
        ::close(fd);
    }
    SetCurrentPlanFile(std::make_unique<TWplFile>(path, 1));
    TWplFile* f = CurrentPlanFile();
    if (f->Status() == 0) {
        LoadAllKuerzel();
        f->ReadOptions();
        std::array<uint8_t, MaxRecSize> buf{};
        for (int k = 0; k < StoredKueArten; ++k) {
            const TKueart art = TKueart(k);
            for (int i : {KueFirst[art] + 1, int(KueLast[art]) - 1}) {
                try { LoadKuerzelData(art, buf.data(), i); } catch (const EAssertionFailed&) {}
            }
        }
        TStdPlan plan;
        for (TKueart art : {leh, kla, rau})
            for (int n : {1, 2, 255}) {
                for (int v = 1; v <= 2; ++v) {
                    try { f->GetPlanVar(art, n, plan, v); } catch (const EAssertionFailed&) {}
                }
                try { f->GetPlan(art, n, &plan, true); } catch (const EAssertionFailed&) {}
            }
        (void)f->GetCreateTime();
        (void)f->GetFileDate();
    }
    SetCurrentPlanFile(nullptr);
    return 0;
}
