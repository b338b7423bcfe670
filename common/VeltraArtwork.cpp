#include "VeltraArtwork.h"

// The resource lives in a static library: register it explicitly, or the
// linker drops it. Must be called outside any namespace.
static void initArtwork() {
    static const bool done = [] {
        Q_INIT_RESOURCE(VeltraArtwork);
        return true;
    }();
    (void)done;
}

namespace VeltraArtwork {
namespace {
QPixmap load(const char* name) {
    initArtwork();
    return QPixmap(QStringLiteral(":/veltra/") + QLatin1String(name));
}
}  // namespace

QPixmap ProductLogo() { return load("logo.png"); }
QPixmap ContactLogo() { return load("contact.png"); }
QPixmap UpdateImage() { return load("update.png"); }
QIcon PrintIcon() { return QIcon(load("print.png")); }

QString ProgrammerCredit() { return QStringLiteral("Entwicklungsteam Veltra Schulsoftware"); }
QString ProgrammerEmail() { return QStringLiteral("team@veltra-schulsoftware.example"); }
QString ContactEmail() { return QStringLiteral("info@veltra-schulsoftware.example"); }
QString WebAddress() { return QStringLiteral("www.veltra-schulsoftware.example"); }

QStringList ContactAddress() {
    return {QStringLiteral("Veltra Schulsoftware"), QStringLiteral("Kundenbetreuung"),
            QStringLiteral("Lindenallee 12"), QStringLiteral("12345 Musterstadt"),
            QStringLiteral("Telefon 01234 567890")};
}
}  // namespace VeltraArtwork
