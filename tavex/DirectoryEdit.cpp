#include "DirectoryEdit.h"

#include "Dialogs.h"
#include "Guards.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

TDirectoryEdit::TDirectoryEdit(QWidget* parent)
    : QWidget(parent), FEdit(new QLineEdit(this)), FButton(new QToolButton(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(FEdit);
    layout->addWidget(FButton);
    FEdit->setObjectName(QStringLiteral("edit"));
    FButton->setObjectName(QStringLiteral("browse"));
    FButton->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    FButton->setToolTip(QStringLiteral("Verzeichnis auswählen"));
    FButton->setFocusPolicy(Qt::NoFocus);
    setFocusProxy(FEdit);
    connect(FButton, &QToolButton::clicked, this, [this] { RunAction([this] { Browse(); }); });
}

QString TDirectoryEdit::Text() const { return FEdit->text(); }

void TDirectoryEdit::SetText(const QString& text) { FEdit->setText(text); }

void TDirectoryEdit::Browse() {
    QString dir = QDir(Text()).exists() && !Text().isEmpty() ? Text() : InitialDir;
    if (Dialogs::instance().SelectDirectory(DialogTitle, dir)) SetText(dir);
}
