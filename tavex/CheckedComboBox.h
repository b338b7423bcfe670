#pragma once
// A drop-down list with a check box per item. Its text is the checked items
// joined by ","; clicking an item in the open list toggles it and leaves the
// list open; the context menu checks all, none or the opposite.
#include <QComboBox>
#include <QStringList>

class QMenu;
class QStandardItemModel;

class TCheckedComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TCheckedComboBox(QWidget* parent = nullptr);

    void AddItem(const QString& text, bool checked = false);
    void ClearItems();
    int Count() const { return count(); }
    bool Checked(int index) const;
    void SetChecked(int index, bool checked);
    // The checked items in list order, joined by Delimiter.
    QString Text() const;
    QStringList CheckedItems() const;
    QString Delimiter = QStringLiteral(",");

    void SelectAll();
    void DeselectAll();
    void InvertAll();
    // The context menu with its three entries (built once).
    QMenu* ContextMenu();

signals:
    void CheckedChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QStandardItemModel* FModel;
    QMenu* FMenu = nullptr;
};
