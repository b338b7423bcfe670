#include "VersionInfo.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <dlfcn.h>
#include <elf.h>

namespace {
constexpr const char kSectionName[] = ".veltra_version";

template <typename T>
bool readAt(QFile& f, qint64 pos, T& out) {
    return f.seek(pos) && f.read(reinterpret_cast<char*>(&out), sizeof(T)) == qint64(sizeof(T));
}

// Finds the named section through the ELF section headers; sizes are checked
// against the file before anything is trusted.
template <typename Ehdr, typename Shdr>
QByteArray sectionContents(QFile& f) {
    Ehdr eh{};
    if (!readAt(f, 0, eh) || eh.e_shentsize != sizeof(Shdr) || eh.e_shnum == 0 || eh.e_shstrndx >= eh.e_shnum)
        return {};
    const qint64 size = f.size();
    if (qint64(eh.e_shoff) <= 0 || qint64(eh.e_shoff) + qint64(eh.e_shnum) * qint64(sizeof(Shdr)) > size) return {};
    Shdr strtab{};
    if (!readAt(f, qint64(eh.e_shoff) + qint64(eh.e_shstrndx) * sizeof(Shdr), strtab)) return {};
    if (qint64(strtab.sh_offset) + qint64(strtab.sh_size) > size) return {};
    f.seek(qint64(strtab.sh_offset));
    const QByteArray names = f.read(qint64(strtab.sh_size));
    for (int i = 0; i < eh.e_shnum; ++i) {
        Shdr sh{};
        if (!readAt(f, qint64(eh.e_shoff) + qint64(i) * sizeof(Shdr), sh)) return {};
        if (sh.sh_name >= unsigned(names.size())) continue;
        if (std::strcmp(names.constData() + sh.sh_name, kSectionName) != 0) continue;
        if (sh.sh_type == SHT_NOBITS || qint64(sh.sh_offset) + qint64(sh.sh_size) > size || sh.sh_size > 65536)
            return {};
        f.seek(qint64(sh.sh_offset));
        return f.read(qint64(sh.sh_size));
    }
    return {};
}
}  // namespace

TVersionRecord ReadVersionRecord(const QString& fileName) {
    TVersionRecord rec;
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) return rec;
    unsigned char ident[EI_NIDENT] = {};
    if (f.read(reinterpret_cast<char*>(ident), EI_NIDENT) != EI_NIDENT || std::memcmp(ident, ELFMAG, SELFMAG) != 0 ||
        ident[EI_DATA] != ELFDATA2LSB)
        return rec;
    const QByteArray data = ident[EI_CLASS] == ELFCLASS64 ? sectionContents<Elf64_Ehdr, Elf64_Shdr>(f)
                                                          : sectionContents<Elf32_Ehdr, Elf32_Shdr>(f);
    for (const QByteArray& entry : data.split('\0')) {
        const int eq = entry.indexOf('=');
        if (eq > 0) rec.Fields.insert(QString::fromUtf8(entry.left(eq)), QString::fromUtf8(entry.mid(eq + 1)));
    }
    return rec;
}

QString ModuleFileName() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ModuleFileName), &info) && info.dli_fname) {
        const QString name = QFile::decodeName(info.dli_fname);
        // The main program reports its name as given on the command line.
        if (!name.isEmpty()) return QFile(name).exists() ? QFileInfo(name).absoluteFilePath() : name;
    }
    return {};
}
