#pragma once
// Cursor guards and the action guard that every user action runs inside.
#include <QString>
#include <Qt>
#include <functional>

// Shows the hourglass while alive; restores the previous cursor on every path.
class HourglassGuard {
public:
    HourglassGuard() : HourglassGuard(Qt::WaitCursor) {}
    explicit HourglassGuard(Qt::CursorShape shape);
    ~HourglassGuard();
    HourglassGuard(const HourglassGuard&) = delete;
    HourglassGuard& operator=(const HourglassGuard&) = delete;

private:
    bool FActive = false;
};

// The default arrow while a message box is shown over an hourglass.
class ArrowCursorGuard : public HourglassGuard {
public:
    ArrowCursorGuard() : HourglassGuard(Qt::ArrowCursor) {}
};

// Runs one user action: any exception ends the action, its message is shown
// through the Dialogs service (EAbort silently), and nothing crosses the Qt
// event loop or a library entry. Returns true when the action completed.
bool RunAction(const std::function<void()>& action);

// The message a caught exception shows to the user.
QString ExceptionMessage(std::exception_ptr e);
