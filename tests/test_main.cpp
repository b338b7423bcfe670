// Every test binary: offscreen QApplication, German locale, own registry store.
#include "TestSupport.h"

#include <QApplication>
#include <QLocale>
#include <gmock/gmock.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    testing_support::freshRegistry();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QApplication app(argc, argv);
    app.setApplicationName("Veltra");
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
