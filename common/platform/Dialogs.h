#pragma once
// Message boxes and the standard file, folder, colour and font dialogs. No code
// calls QMessageBox directly: everything goes through Dialogs::instance(), which
// tests replace with the scripted FakeDialogs.
#include <QColor>
#include <QFont>
#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <variant>

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0, mbNo = 1u << 1, mbOK = 1u << 2, mbCancel = 1u << 3, mbAbort = 1u << 4,
    mbRetry = 1u << 5, mbIgnore = 1u << 6, mbAll = 1u << 7, mbNoToAll = 1u << 8,
    mbYesToAll = 1u << 9, mbHelp = 1u << 10,
};
using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons mbYesNo = mbYes | mbNo;
constexpr TMsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
constexpr TMsgDlgButtons mbOKCancel = mbOK | mbCancel;

enum TModalResult : int {
    mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
    mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10,
};

// Where a message box appears: centred on its parent (default) or on the screen.
enum class TDlgPosition { Default, ScreenCenter };

class Dialogs {
public:
    virtual ~Dialogs();

    // Shows a message box and returns the chosen button as TModalResult.
    // An empty caption gives the usual caption of the type ("Fehler", "Warnung", …).
    virtual int MessageDlg(const QString& msg, TMsgDlgType type, TMsgDlgButtons buttons,
                           const QString& caption = {}, TDlgPosition pos = TDlgPosition::Default) = 0;
    // Returns false when cancelled; dir holds the proposal on entry and the choice on exit.
    virtual bool SelectDirectory(const QString& caption, QString& dir) = 0;
    virtual QString GetOpenFileName(const QString& caption, const QString& dir, const QString& filter) = 0;
    virtual QString GetSaveFileName(const QString& caption, const QString& dir, const QString& filter) = 0;
    virtual bool ChooseColor(QColor& color) = 0;
    virtual bool ChooseFont(QFont& font) = 0;

    void ShowMessage(const QString& msg) { MessageDlg(msg, TMsgDlgType::mtCustom, mbOK); }

    // The service in use: the Qt dialogs unless a test installed another one.
    static Dialogs& instance();
    // Installs a service (not owned); nullptr returns to the Qt dialogs.
    static void setInstance(Dialogs* dialogs);

    static QString DefaultCaption(TMsgDlgType type);
};

class QtDialogs : public Dialogs {
public:
    int MessageDlg(const QString& msg, TMsgDlgType type, TMsgDlgButtons buttons,
                   const QString& caption = {}, TDlgPosition pos = TDlgPosition::Default) override;
    bool SelectDirectory(const QString& caption, QString& dir) override;
    QString GetOpenFileName(const QString& caption, const QString& dir, const QString& filter) override;
    QString GetSaveFileName(const QString& caption, const QString& dir, const QString& filter) override;
    bool ChooseColor(QColor& color) override;
    bool ChooseFont(QFont& font) override;
};

// Records every dialog shown and answers from a queue. A message box with a
// single button answers itself; any other dialog without a queued answer is a
// test fault and throws std::logic_error.
class FakeDialogs : public Dialogs {
public:
    struct Shown {
        QString kind;  // "message", "directory", "open", "save", "color", "font"
        QString text;
        QString caption;
        TMsgDlgType type = TMsgDlgType::mtCustom;
        TMsgDlgButtons buttons = 0;
        TDlgPosition pos = TDlgPosition::Default;
    };
    using Answer = std::variant<int, QString, QColor, QFont, std::monostate>;  // monostate = cancel

    FakeDialogs();   // installs itself
    ~FakeDialogs() override;  // uninstalls itself

    QList<Shown> shown;
    QQueue<Answer> answers;

    void answer(int modalResult) { answers.enqueue(modalResult); }
    void answerText(const QString& s) { answers.enqueue(s); }
    void answerCancel() { answers.enqueue(std::monostate{}); }
    QStringList texts() const;
    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }

    int MessageDlg(const QString& msg, TMsgDlgType type, TMsgDlgButtons buttons,
                   const QString& caption = {}, TDlgPosition pos = TDlgPosition::Default) override;
    bool SelectDirectory(const QString& caption, QString& dir) override;
    QString GetOpenFileName(const QString& caption, const QString& dir, const QString& filter) override;
    QString GetSaveFileName(const QString& caption, const QString& dir, const QString& filter) override;
    bool ChooseColor(QColor& color) override;
    bool ChooseFont(QFont& font) override;

private:
    Answer next(const QString& kind);
    Dialogs* FPrevious = nullptr;
};
