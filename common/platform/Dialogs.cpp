#include "Dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <stdexcept>

namespace {
Dialogs* gInstalled = nullptr;

struct ButtonDef {
    TMsgDlgBtn btn;
    TModalResult result;
    const char* text;
    QMessageBox::ButtonRole role;
};

const ButtonDef kButtons[] = {
    {mbYes, mrYes, "&Ja", QMessageBox::YesRole},
    {mbNo, mrNo, "&Nein", QMessageBox::NoRole},
    {mbOK, mrOk, "OK", QMessageBox::AcceptRole},
    {mbCancel, mrCancel, "Abbrechen", QMessageBox::RejectRole},
    {mbAbort, mrAbort, "&Abbrechen", QMessageBox::RejectRole},
    {mbRetry, mrRetry, "&Wiederholen", QMessageBox::AcceptRole},
    {mbIgnore, mrIgnore, "&Ignorieren", QMessageBox::AcceptRole},
    {mbAll, mrAll, "A&lle", QMessageBox::YesRole},
    {mbNoToAll, mrNoToAll, "N&ein für alle", QMessageBox::NoRole},
    {mbYesToAll, mrYesToAll, "Ja für &alle", QMessageBox::YesRole},
    {mbHelp, mrNone, "&Hilfe", QMessageBox::HelpRole},
};

int singleButtonResult(TMsgDlgButtons buttons) {
    int found = -1;
    for (const auto& b : kButtons)
        if (buttons & b.btn) {
            if (found != -1) return -1;
            found = b.result;
        }
    return found;
}
}  // namespace

Dialogs::~Dialogs() = default;

Dialogs& Dialogs::instance() {
    static QtDialogs qt;
    return gInstalled ? *gInstalled : qt;
}

void Dialogs::setInstance(Dialogs* dialogs) { gInstalled = dialogs; }

QString Dialogs::DefaultCaption(TMsgDlgType type) {
    switch (type) {
    case TMsgDlgType::mtWarning: return QStringLiteral("Warnung");
    case TMsgDlgType::mtError: return QStringLiteral("Fehler");
    case TMsgDlgType::mtInformation: return QStringLiteral("Information");
    case TMsgDlgType::mtConfirmation: return QStringLiteral("Bestätigen");
    case TMsgDlgType::mtCustom: break;
    }
    const QString app = QCoreApplication::applicationName();
    return app.isEmpty() ? QStringLiteral("Veltra") : app;
}

int QtDialogs::MessageDlg(const QString& msg, TMsgDlgType type, TMsgDlgButtons buttons,
                          const QString& caption, TDlgPosition pos) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption.isEmpty() ? DefaultCaption(type) : caption);
    box.setText(msg);
    switch (type) {
    case TMsgDlgType::mtWarning: box.setIcon(QMessageBox::Warning); break;
    case TMsgDlgType::mtError: box.setIcon(QMessageBox::Critical); break;
    case TMsgDlgType::mtInformation: box.setIcon(QMessageBox::Information); break;
    case TMsgDlgType::mtConfirmation: box.setIcon(QMessageBox::Question); break;
    case TMsgDlgType::mtCustom: box.setIcon(QMessageBox::NoIcon); break;
    }
    if (buttons == 0) buttons = mbOK;
    QList<QPair<QAbstractButton*, int>> map;
    for (const auto& b : kButtons) {
        if (!(buttons & b.btn)) continue;
        QPushButton* pb = box.addButton(QString::fromUtf8(b.text), b.role);
        map.append({pb, b.result});
        if (!box.defaultButton()) box.setDefaultButton(pb);
        if (b.btn == mbCancel || b.btn == mbNo || (buttons == mbOK)) box.setEscapeButton(pb);
    }
    if (pos == TDlgPosition::ScreenCenter) {
        box.adjustSize();
        if (QScreen* s = QGuiApplication::primaryScreen())
            box.move(s->availableGeometry().center() - QPoint(box.width() / 2, box.height() / 2));
    }
    box.exec();
    for (const auto& [btn, result] : map)
        if (box.clickedButton() == btn) return result;
    return buttons & mbCancel ? mrCancel : (buttons & mbNo ? mrNo : mrNone);
}

bool QtDialogs::SelectDirectory(const QString& caption, QString& dir) {
    const QString chosen = QFileDialog::getExistingDirectory(QApplication::activeWindow(), caption, dir);
    if (chosen.isEmpty()) return false;
    dir = chosen;
    return true;
}

QString QtDialogs::GetOpenFileName(const QString& caption, const QString& dir, const QString& filter) {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, dir, filter);
}

QString QtDialogs::GetSaveFileName(const QString& caption, const QString& dir, const QString& filter) {
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), caption, dir, filter);
}

bool QtDialogs::ChooseColor(QColor& color) {
    const QColor c = QColorDialog::getColor(color, QApplication::activeWindow());
    if (!c.isValid()) return false;
    color = c;
    return true;
}

bool QtDialogs::ChooseFont(QFont& font) {
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, font, QApplication::activeWindow());
    if (ok) font = f;
    return ok;
}

FakeDialogs::FakeDialogs() : FPrevious(gInstalled) { setInstance(this); }
FakeDialogs::~FakeDialogs() { setInstance(FPrevious); }

QStringList FakeDialogs::texts() const {
    QStringList out;
    for (const Shown& s : shown) out << s.text;
    return out;
}

FakeDialogs::Answer FakeDialogs::next(const QString& kind) {
    if (answers.isEmpty())
        throw std::logic_error(("FakeDialogs: no answer queued for " + kind + ": " + shown.last().text).toStdString());
    return answers.dequeue();
}

int FakeDialogs::MessageDlg(const QString& msg, TMsgDlgType type, TMsgDlgButtons buttons,
                            const QString& caption, TDlgPosition pos) {
    shown.append({QStringLiteral("message"), msg, caption.isEmpty() ? DefaultCaption(type) : caption, type,
                  buttons, pos});
    const int single = singleButtonResult(buttons == 0 ? mbOK : buttons);
    if (single != -1 && (answers.isEmpty() || !std::holds_alternative<int>(answers.head()))) return single;
    const Answer a = next(QStringLiteral("message"));
    if (const int* r = std::get_if<int>(&a)) return *r;
    return buttons & mbCancel ? mrCancel : mrNo;
}

bool FakeDialogs::SelectDirectory(const QString& caption, QString& dir) {
    shown.append({QStringLiteral("directory"), dir, caption});
    const Answer a = next(QStringLiteral("directory"));
    if (const QString* s = std::get_if<QString>(&a)) {
        dir = *s;
        return true;
    }
    return false;
}

QString FakeDialogs::GetOpenFileName(const QString& caption, const QString& dir, const QString& filter) {
    shown.append({QStringLiteral("open"), dir, caption});
    const Answer a = next(QStringLiteral("open"));
    const QString* s = std::get_if<QString>(&a);
    return s ? *s : QString();
}

QString FakeDialogs::GetSaveFileName(const QString& caption, const QString& dir, const QString& filter) {
    shown.append({QStringLiteral("save"), dir, caption});
    const Answer a = next(QStringLiteral("save"));
    const QString* s = std::get_if<QString>(&a);
    return s ? *s : QString();
}

bool FakeDialogs::ChooseColor(QColor& color) {
    shown.append({QStringLiteral("color"), color.name(), {}});
    const Answer a = next(QStringLiteral("color"));
    if (const QColor* c = std::get_if<QColor>(&a)) {
        color = *c;
        return true;
    }
    return false;
}

bool FakeDialogs::ChooseFont(QFont& font) {
    shown.append({QStringLiteral("font"), font.family(), {}});
    const Answer a = next(QStringLiteral("font"));
    if (const QFont* f = std::get_if<QFont>(&a)) {
        font = *f;
        return true;
    }
    return false;
}
