// veltra: the reference host. Without arguments the main window; with a
// command the command line of the host or of the plug-in that owns it.
#include "HostCommands.h"
#include "HostWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Qt wants a private runtime folder; give it one instead of a warning on every call.
void ensureRuntimeDir() {
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return;
    const QByteArray dir = QFile::encodeName(QDir::tempPath()) + "/runtime-" + QByteArray::number(getuid());
    ::mkdir(dir.constData(), 0700);
    struct stat st {};
    if (::stat(dir.constData(), &st) == 0 && st.st_uid == getuid() && (st.st_mode & 0777) == 0700)
        qputenv("XDG_RUNTIME_DIR", dir);
}
}  // namespace

int main(int argc, char** argv) {
    const bool commandLine = argc >= 2;
    ensureRuntimeDir();
    // Batch jobs never need a display.
    if (commandLine && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltra"));
    QApplication::setOrganizationName(QStringLiteral("Veltra Schulsoftware"));
    if (commandLine) return RunHostCommandLine(argc, argv);
    THostWindow window;
    window.show();
    return app.exec();
}
