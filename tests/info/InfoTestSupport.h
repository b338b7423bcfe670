#pragma once
// Helpers for the window tests of the information, update and about windows.
#include "KvUtils.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace info_test {

using testing_support::ModalWatch;

// Screenshots go to $VELTRA_SCREENSHOT_DIR when set, else the test's temporary folder.
inline QString screenshot(QWidget* w, const QString& name) {
    QString dir = qEnvironmentVariable("VELTRA_SCREENSHOT_DIR");
    if (dir.isEmpty()) dir = testing_support::tempDir();
    QDir().mkpath(dir);
    const QString file = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    w->grab().save(file);
    return file;
}

// Switches this process's copy of the common library to a build flavour for one test.
class FlavorScope {
public:
    explicit FlavorScope(TKvUtilsFlavor f) : FOld(KvUtilsFlavor()) { InitKvUtils(f); }
    ~FlavorScope() { InitKvUtils(FOld); }

private:
    TKvUtilsFlavor FOld;
};

}  // namespace info_test
