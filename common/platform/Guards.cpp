#include "Guards.h"

#include "Dialogs.h"
#include "Exceptions.h"

#include <QApplication>
#include <QCursor>

HourglassGuard::HourglassGuard(Qt::CursorShape shape) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QApplication::setOverrideCursor(QCursor(shape));
        FActive = true;
    }
}

HourglassGuard::~HourglassGuard() {
    if (FActive) QApplication::restoreOverrideCursor();
}

QString ExceptionMessage(std::exception_ptr e) {
    try {
        std::rethrow_exception(e);
    } catch (const Exception& ex) {
        return ex.Message();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Zu wenig Arbeitsspeicher.");
    } catch (const std::exception& ex) {
        return QString::fromUtf8(ex.what());
    } catch (...) {
        return QStringLiteral("Unbekannter Fehler.");
    }
}

bool RunAction(const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const EAbort&) {
        return false;
    } catch (...) {
        // The guards inside the action have already restored the cursor while unwinding.
        const QString msg = ExceptionMessage(std::current_exception());
        try {
            ArrowCursorGuard arrow;
            Dialogs::instance().MessageDlg(msg, TMsgDlgType::mtError, mbOK);
        } catch (...) {
        }
        return false;
    }
}
