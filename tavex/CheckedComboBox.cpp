#include "CheckedComboBox.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <QStyleOptionComboBox>
#include <QStylePainter>

TCheckedComboBox::TCheckedComboBox(QWidget* parent) : QComboBox(parent), FModel(new QStandardItemModel(this)) {
    setModel(FModel);
    setEditable(false);
    view()->viewport()->installEventFilter(this);
    connect(FModel, &QStandardItemModel::itemChanged, this, [this] {
        update();
        emit CheckedChanged();
    });
}

void TCheckedComboBox::AddItem(const QString& text, bool checked) {
    auto* item = new QStandardItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setData(checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
    FModel->appendRow(item);
}

void TCheckedComboBox::ClearItems() {
    FModel->clear();
    update();
}

bool TCheckedComboBox::Checked(int index) const {
    const QStandardItem* item = FModel->item(index);
    return item && item->checkState() == Qt::Checked;
}

void TCheckedComboBox::SetChecked(int index, bool checked) {
    if (QStandardItem* item = FModel->item(index)) item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

QStringList TCheckedComboBox::CheckedItems() const {
    QStringList items;
    for (int i = 0; i < FModel->rowCount(); ++i)
        if (Checked(i)) items << FModel->item(i)->text();
    return items;
}

QString TCheckedComboBox::Text() const { return CheckedItems().join(Delimiter); }

void TCheckedComboBox::SelectAll() {
    for (int i = 0; i < FModel->rowCount(); ++i) SetChecked(i, true);
}

void TCheckedComboBox::DeselectAll() {
    for (int i = 0; i < FModel->rowCount(); ++i) SetChecked(i, false);
}

void TCheckedComboBox::InvertAll() {
    for (int i = 0; i < FModel->rowCount(); ++i) SetChecked(i, !Checked(i));
}

QMenu* TCheckedComboBox::ContextMenu() {
    if (!FMenu) {
        FMenu = new QMenu(this);
        FMenu->addAction(QStringLiteral("&Select all"), this, &TCheckedComboBox::SelectAll);
        FMenu->addAction(QStringLiteral("&Deselect all"), this, &TCheckedComboBox::DeselectAll);
        FMenu->addAction(QStringLiteral("&Invert all"), this, &TCheckedComboBox::InvertAll);
    }
    return FMenu;
}

void TCheckedComboBox::paintEvent(QPaintEvent*) {
    // The box shows the checked items, not the current item.
    QStylePainter painter(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText = Text();
    opt.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, opt);
    painter.drawControl(QStyle::CE_ComboBoxLabel, opt);
}

void TCheckedComboBox::contextMenuEvent(QContextMenuEvent* event) {
    ContextMenu()->exec(event->globalPos());
    event->accept();
}

bool TCheckedComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view()->viewport()) {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* me = static_cast<QMouseEvent*>(event);
            const QModelIndex index = view()->indexAt(me->position().toPoint());
            if (index.isValid()) SetChecked(index.row(), !Checked(index.row()));
            return true;  // keep the list open
        }
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            const auto* me = static_cast<QMouseEvent*>(event);
            view()->setCurrentIndex(view()->indexAt(me->position().toPoint()));
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

void TCheckedComboBox::keyPressEvent(QKeyEvent* event) {
    // Space toggles the current item while the list is closed as well.
    if (event->key() == Qt::Key_Space && currentIndex() >= 0) {
        SetChecked(currentIndex(), !Checked(currentIndex()));
        return;
    }
    QComboBox::keyPressEvent(event);
}
