#include "DataGridkv.h"

#include "DebugOutput.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "GridConversions.h"
#include "Guards.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QPainter>
#include <QSaveFile>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTextOption>

using namespace gridconv;

// ---------------------------------------------------------------------------
// TGridCanvas

void TGridCanvas::FillRect(const QRect& r) const {
    if (Painter && Brush.isValid()) Painter->fillRect(r, Brush);
}

void TGridCanvas::TextRect(const QRect& r, int x, int y, const QString& s) const {
    if (!Painter) return;
    FillRect(r);
    Painter->save();
    Painter->setClipRect(r, Qt::IntersectClip);
    Painter->setFont(Font);
    Painter->setPen(FontColor);
    const QFontMetrics fm(Font);
    Painter->drawText(x, y + fm.ascent(), s);
    Painter->restore();
}

int TGridCanvas::TextWidth(const QString& s) const { return QFontMetrics(Font).horizontalAdvance(s); }
int TGridCanvas::TextHeight(const QString& s) const { return QFontMetrics(Font).boundingRect(s).height(); }

// ---------------------------------------------------------------------------
// TColumnTitle

TColumnTitle::TColumnTitle(TColumn* column) : FColumn(column) {}

TAlignment TColumnTitle::Alignment() const {
    return FColumn->FAssignedValues & cvTitleAlignment ? FAlignment : DefaultAlignment();
}

void TColumnTitle::SetAlignment(TAlignment value) {
    FAlignment = value;
    FColumn->FAssignedValues |= cvTitleAlignment;
    FColumn->Changed();
}

QString TColumnTitle::Caption() const {
    return FColumn->FAssignedValues & cvTitleCaption ? FCaption : DefaultCaption();
}

void TColumnTitle::SetCaption(const QString& value) {
    FCaption = value;
    FColumn->FAssignedValues |= cvTitleCaption;
    FColumn->Changed();
}

QFont TColumnTitle::Font() const {
    return FColumn->FAssignedValues & cvTitleFont ? FFont : DefaultFont();
}

void TColumnTitle::SetFont(const QFont& value) {
    FFont = value;
    FColumn->FAssignedValues |= cvTitleFont;
    FColumn->Changed();
}

QColor TColumnTitle::DefaultColor() const {
    if (TkvDataGrid* g = FColumn->Grid()) return g->FixedColor();
    return QApplication::palette().color(QPalette::Button);
}

QFont TColumnTitle::DefaultFont() const {
    if (TkvDataGrid* g = FColumn->Grid()) return g->font();
    return FColumn->Font();
}

void TColumnTitle::Assign(const TColumnTitle& source) {
    const TColumnValues src = source.FColumn->FAssignedValues;
    if (src & cvTitleAlignment) SetAlignment(source.FAlignment);
    if (src & cvTitleCaption) SetCaption(source.FCaption);
    if (src & cvTitleFont) SetFont(source.FFont);
}

void TColumnTitle::RestoreDefaults() {
    FColumn->FAssignedValues &= ~(cvTitleAlignment | cvTitleCaption | cvTitleFont | cvTitleColor);
    FAlignment = taLeftJustify;
    FCaption.clear();
    FFont = DefaultFont();
}

// ---------------------------------------------------------------------------
// TColumn

TColumn::TColumn(TDataGridColumns* collection) : FCollection(collection) {
    FTitle.reset(CreateTitle());
    FFont = DefaultFont();
}

TColumn::~TColumn() = default;

TkvDataGrid* TColumn::Grid() const { return FCollection ? FCollection->Grid() : nullptr; }

int TColumn::Index() const {
    if (!FCollection) return -1;
    for (int i = 0; i < FCollection->Count(); ++i)
        if (FCollection->GetColumn(i) == this) return i;
    return -1;
}

void TColumn::Changed() {
    if (FUpdateCount == 0 && FCollection) FCollection->Update(this);
}

void TColumn::SetEditMask(const QString& value) { FEditMask = value; Changed(); }
void TColumn::SetMaxLength(int value) { FMaxLength = qMax(0, value); Changed(); }
void TColumn::SetLimitToList(bool value) { FLimitToList = value; Changed(); }

TAlignment TColumn::Alignment() const { return FAssignedValues & cvAlignment ? FAlignment : DefaultAlignment(); }

void TColumn::SetAlignment(TAlignment value) {
    FAlignment = value;
    FAssignedValues |= cvAlignment;
    Changed();
}

void TColumn::SetButtonStyle(TColumnButtonStyle value) { FButtonStyle = value; Changed(); }

void TColumn::SetFormat(TColumnFormat value) {
    if (FFormat == value) return;
    FFormat = value;
    FDisplayMask.clear();
    Changed();
}

QColor TColumn::Color() const { return FAssignedValues & cvColor ? FColor : DefaultColor(); }

void TColumn::SetColor(const QColor& value) {
    FColor = value;
    FAssignedValues |= cvColor;
    Changed();
}

void TColumn::SetDropDownRows(unsigned value) { FDropDownRows = value; Changed(); }

QFont TColumn::Font() const { return FAssignedValues & cvFont ? FFont : DefaultFont(); }

void TColumn::SetFont(const QFont& value) {
    FFont = value;
    FAssignedValues |= cvFont;
    Changed();
}

QColor TColumn::FontColor() const {
    if ((FAssignedValues & cvFont) && FFontColor.isValid()) return FFontColor;
    if (TkvDataGrid* g = Grid()) return g->palette().color(QPalette::Text);
    return QApplication::palette().color(QPalette::Text);
}

void TColumn::SetFontColor(const QColor& value) {
    if (!(FAssignedValues & cvFont)) FFont = DefaultFont();
    FFontColor = value;
    FAssignedValues |= cvFont;
    Changed();
}

QStringList& TColumn::PickList() {
    if (!FPickList) FPickList = std::make_unique<QStringList>();
    return *FPickList;
}

void TColumn::SetPickList(const QStringList& value) {
    PickList() = value;
    Changed();
}

void TColumn::SetPopupMenu(QMenu* value) { FPopupMenu = value; }

bool TColumn::ReadOnly() const { return FAssignedValues & cvReadOnly ? FReadOnly : DefaultReadOnly(); }

void TColumn::SetReadOnly(bool value) {
    FReadOnly = value;
    FAssignedValues |= cvReadOnly;
    Changed();
}

void TColumn::SetDisplayMask(const QString& value) { FDisplayMask = value; Changed(); }
void TColumn::SetDropdownWidth(int value) { FDropdownWidth = qMax(0, value); }

QColor TColumn::DefaultColor() const {
    if (TkvDataGrid* g = Grid()) return g->Color();
    return QApplication::palette().color(QPalette::Base);
}

QFont TColumn::DefaultFont() const {
    if (TkvDataGrid* g = Grid()) return g->font();
    return QApplication::font();
}

bool TColumn::DefaultReadOnly() const {
    if (TkvDataGrid* g = Grid()) return !(g->Options() & goEditing);
    return false;
}

int TColumn::DefaultWidth() const {
    if (TkvDataGrid* g = Grid()) return g->DefaultColWidth();
    return 64;
}

bool TColumn::IsAlignmentStored() const { return (FAssignedValues & cvAlignment) && FAlignment != DefaultAlignment(); }
bool TColumn::IsColorStored() const { return (FAssignedValues & cvColor) && FColor != DefaultColor(); }
bool TColumn::IsReadOnlyStored() const { return (FAssignedValues & cvReadOnly) && FReadOnly != DefaultReadOnly(); }

void TColumn::RestoreDefaults() {
    ++FUpdateCount;
    FTitle->RestoreDefaults();
    FAssignedValues = 0;
    FFont = DefaultFont();
    FFontColor = QColor();
    FPickList.reset();
    FButtonStyle = cbsAuto;
    --FUpdateCount;
    Changed();
}

void TColumn::Assign(const TColumn& source) {
    if (&source == this) return;
    ++FUpdateCount;
    RestoreDefaults();
    const TColumnValues src = source.FAssignedValues;
    if (src & cvColor) SetColor(source.FColor);
    if (src & cvFont) {
        SetFont(source.FFont);
        FFontColor = source.FFontColor;
    }
    if (src & cvAlignment) SetAlignment(source.FAlignment);
    if (src & cvReadOnly) SetReadOnly(source.FReadOnly);
    FTitle->Assign(*source.FTitle);
    FDropDownRows = source.FDropDownRows;
    FButtonStyle = source.FButtonStyle;
    if (source.FPickList) PickList() = *source.FPickList;
    FPopupMenu = source.FPopupMenu;
    --FUpdateCount;
    Changed();
}

// ---------------------------------------------------------------------------
// TDataGridColumns

TDataGridColumns::TDataGridColumns(TkvDataGrid* grid) : FGrid(grid) {}

TDataGridColumns::~TDataGridColumns() = default;

TColumn* TDataGridColumns::Add() {
    FItems.push_back(std::make_unique<TColumn>(this));
    TColumn* column = FItems.back().get();
    if (FGrid) FGrid->SetColCountGuarded(Count());
    column->FInternalCol = Count() - 1;
    Update(nullptr);
    return column;
}

TColumn* TDataGridColumns::GetColumn(int index) const {
    if (index < 0 || index >= Count())
        throw EListError(QStringLiteral("Listenindex überschreitet das Maximum (%1)").arg(index));
    return FItems[size_t(index)].get();
}

int TDataGridColumns::GetColIndex(int aIntCol) const {
    for (int i = 0; i < Count(); ++i)
        if (FItems[size_t(i)]->FInternalCol == aIntCol) return i;
    return -1;
}

void TDataGridColumns::RestoreDefaults() {
    BeginUpdate();
    for (auto& c : FItems) c->RestoreDefaults();
    EndUpdate();
}

void TDataGridColumns::Assign(const TDataGridColumns& source) {
    if (&source == this) return;
    BeginUpdate();
    // Reuse the columns that exist so the grid keeps the cells of those columns.
    while (Count() > source.Count()) Delete(Count() - 1);
    while (Count() < source.Count()) Add();
    for (int i = 0; i < Count(); ++i) {
        FItems[size_t(i)]->Assign(*source.FItems[size_t(i)]);
        FItems[size_t(i)]->FInternalCol = i;
    }
    EndUpdate();
}

void TDataGridColumns::Delete(int index) {
    GetColumn(index);  // range check
    FItems.erase(FItems.begin() + index);
    if (FGrid) FGrid->RemoveColumnGuarded(index);
    Update(nullptr);
}

void TDataGridColumns::Clear() {
    BeginUpdate();
    while (Count() > 0) Delete(Count() - 1);
    EndUpdate();
}

void TDataGridColumns::Move(int fromIndex, int toIndex) {
    GetColumn(fromIndex);
    GetColumn(toIndex);
    auto item = std::move(FItems[size_t(fromIndex)]);
    FItems.erase(FItems.begin() + fromIndex);
    FItems.insert(FItems.begin() + toIndex, std::move(item));
    Update(nullptr);
}

void TDataGridColumns::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FPendingUpdate) {
        FPendingUpdate = false;
        Update(nullptr);
    }
}

void TDataGridColumns::Update(TColumn* column) {
    if (FUpdateCount > 0) {
        FPendingUpdate = true;
        return;
    }
    if (!FGrid || FGrid->FDestroying) return;
    if (column) {
        const int c = column->Index();
        if (c >= 0 && c < FGrid->columnCount()) {
            FGrid->viewport()->update(QRect(FGrid->columnViewportPosition(c), 0, FGrid->columnWidth(c),
                                            FGrid->viewport()->height()));
            FGrid->InvalidateEditor();
            return;
        }
    }
    FGrid->viewport()->update();
    FGrid->InvalidateEditor();
}

namespace {

const char* const kAlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};
const char* const kButtonStyleNames[] = {"cbsAuto", "cbsEllipsis", "cbsNone"};
const char* const kFormatNames[] = {"cfString", "cfNumber", "cfDate"};
const QString kStreamSignature = QStringLiteral("TColumnsWrapper");

template <size_t N>
int enumIndex(const char* const (&names)[N], const QJsonValue& v) {
    for (size_t i = 0; i < N; ++i)
        if (v.toString() == QLatin1String(names[i])) return int(i);
    throw EReadError(QStringLiteral("Ungültiger Wert \"%1\" im Spaltenstrom").arg(v.toString()));
}

QFont fontFromJson(const QJsonValue& v) {
    QFont f;
    if (!f.fromString(v.toString())) throw EReadError(QStringLiteral("Ungültige Schrift im Spaltenstrom"));
    return f;
}

}  // namespace

void TDataGridColumns::SaveToStream(QIODevice& S) const {
    QJsonArray columns;
    for (const auto& c : FItems) {
        QJsonObject o;
        o[QStringLiteral("EditMask")] = c->FEditMask;
        o[QStringLiteral("MaxLength")] = c->FMaxLength;
        o[QStringLiteral("LimitToList")] = c->FLimitToList;
        if (c->IsAlignmentStored()) o[QStringLiteral("Alignment")] = QLatin1String(kAlignmentNames[c->FAlignment]);
        o[QStringLiteral("ButtonStyle")] = QLatin1String(kButtonStyleNames[c->FButtonStyle]);
        o[QStringLiteral("Format")] = QLatin1String(kFormatNames[c->FFormat]);
        if (c->IsColorStored()) o[QStringLiteral("Color")] = c->FColor.name(QColor::HexArgb);
        o[QStringLiteral("DropDownRows")] = int(c->FDropDownRows);
        if (c->IsFontStored()) {
            o[QStringLiteral("Font")] = c->FFont.toString();
            if (c->FFontColor.isValid()) o[QStringLiteral("FontColor")] = c->FFontColor.name(QColor::HexArgb);
        }
        if (c->FPickList) o[QStringLiteral("PickList")] = QJsonArray::fromStringList(*c->FPickList);
        if (c->IsReadOnlyStored()) o[QStringLiteral("ReadOnly")] = c->FReadOnly;
        QJsonObject t;
        const TColumnValues a = c->FAssignedValues;
        if (a & cvTitleAlignment) t[QStringLiteral("Alignment")] = QLatin1String(kAlignmentNames[c->FTitle->FAlignment]);
        if (a & cvTitleCaption) t[QStringLiteral("Caption")] = c->FTitle->FCaption;
        if (a & cvTitleFont) t[QStringLiteral("Font")] = c->FTitle->FFont.toString();
        o[QStringLiteral("Title")] = t;
        o[QStringLiteral("DisplayMask")] = c->FDisplayMask;
        o[QStringLiteral("DropdownWidth")] = c->FDropdownWidth;
        columns.append(o);
    }
    QJsonObject root;
    root[QStringLiteral("Class")] = kStreamSignature;
    root[QStringLiteral("Columns")] = columns;
    const QByteArray bytes = QJsonDocument(root).toJson();
    if (S.write(bytes) != bytes.size())
        throw EInOutError(QStringLiteral("Fehler beim Schreiben der Spalten: %1").arg(S.errorString()));
}

void TDataGridColumns::LoadFromStream(QIODevice& S) {
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(S.readAll(), &err);
    const QJsonObject root = doc.object();
    if (err.error != QJsonParseError::NoError || root.value(QStringLiteral("Class")).toString() != kStreamSignature ||
        !root.value(QStringLiteral("Columns")).isArray())
        throw EReadError(QStringLiteral("Ungültiges Format des Spaltenstroms"));
    // Read into a fresh collection first: a broken stream leaves the columns as they were.
    TDataGridColumns fresh(nullptr);
    for (const QJsonValue& v : root.value(QStringLiteral("Columns")).toArray()) {
        const QJsonObject o = v.toObject();
        TColumn* c = fresh.Add();
        c->FEditMask = o.value(QStringLiteral("EditMask")).toString();
        c->FMaxLength = qMax(0, o.value(QStringLiteral("MaxLength")).toInt());
        c->FLimitToList = o.value(QStringLiteral("LimitToList")).toBool();
        if (o.contains(QStringLiteral("Alignment")))
            c->SetAlignment(TAlignment(enumIndex(kAlignmentNames, o.value(QStringLiteral("Alignment")))));
        if (o.contains(QStringLiteral("ButtonStyle")))
            c->FButtonStyle = TColumnButtonStyle(enumIndex(kButtonStyleNames, o.value(QStringLiteral("ButtonStyle"))));
        if (o.contains(QStringLiteral("Format")))
            c->FFormat = TColumnFormat(enumIndex(kFormatNames, o.value(QStringLiteral("Format"))));
        if (o.contains(QStringLiteral("Color"))) {
            const QColor col = QColor::fromString(o.value(QStringLiteral("Color")).toString());
            if (!col.isValid()) throw EReadError(QStringLiteral("Ungültige Farbe im Spaltenstrom"));
            c->SetColor(col);
        }
        c->FDropDownRows = unsigned(qMax(0, o.value(QStringLiteral("DropDownRows")).toInt(7)));
        if (o.contains(QStringLiteral("Font"))) c->SetFont(fontFromJson(o.value(QStringLiteral("Font"))));
        if (o.contains(QStringLiteral("FontColor")))
            c->FFontColor = QColor::fromString(o.value(QStringLiteral("FontColor")).toString());
        if (o.contains(QStringLiteral("PickList"))) {
            QStringList l;
            for (const QJsonValue& e : o.value(QStringLiteral("PickList")).toArray()) l << e.toString();
            c->PickList() = l;
        }
        if (o.contains(QStringLiteral("ReadOnly"))) c->SetReadOnly(o.value(QStringLiteral("ReadOnly")).toBool());
        const QJsonObject t = o.value(QStringLiteral("Title")).toObject();
        if (t.contains(QStringLiteral("Alignment")))
            c->Title()->SetAlignment(TAlignment(enumIndex(kAlignmentNames, t.value(QStringLiteral("Alignment")))));
        if (t.contains(QStringLiteral("Caption"))) c->Title()->SetCaption(t.value(QStringLiteral("Caption")).toString());
        if (t.contains(QStringLiteral("Font"))) c->Title()->SetFont(fontFromJson(t.value(QStringLiteral("Font"))));
        c->FDisplayMask = o.value(QStringLiteral("DisplayMask")).toString();
        c->FDropdownWidth = qMax(0, o.value(QStringLiteral("DropdownWidth")).toInt());
    }
    BeginUpdate();
    Assign(fresh);
    // Assign leaves out the editing settings; a stream carries them, so they are kept.
    for (int i = 0; i < Count(); ++i) {
        TColumn* dst = FItems[size_t(i)].get();
        const TColumn* src = fresh.FItems[size_t(i)].get();
        dst->FEditMask = src->FEditMask;
        dst->FMaxLength = src->FMaxLength;
        dst->FLimitToList = src->FLimitToList;
        dst->FFormat = src->FFormat;
        dst->FDisplayMask = src->FDisplayMask;
        dst->FDropdownWidth = src->FDropdownWidth;
    }
    EndUpdate();
}

void TDataGridColumns::SaveToFile(const QString& Filename) const {
    QSaveFile f(Filename);
    if (!f.open(QIODevice::WriteOnly))
        throw EInOutError(QStringLiteral("Die Datei \"%1\" kann nicht erstellt werden: %2").arg(Filename, f.errorString()));
    SaveToStream(f);
    if (!f.commit())
        throw EInOutError(QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden: %2").arg(Filename, f.errorString()));
}

void TDataGridColumns::LoadFromFile(const QString& Filename) {
    QFile f(Filename);
    if (!f.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Die Datei \"%1\" kann nicht geöffnet werden: %2").arg(Filename, f.errorString()));
    LoadFromStream(f);
}

// ---------------------------------------------------------------------------
// TDropListbox

namespace {

class TDropListDelegate : public QAbstractItemDelegate {
public:
    explicit TDropListDelegate(TDropListbox* list) : QAbstractItemDelegate(list), FList(list) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        FList->DrawItem(painter, index.row(), option.rect, option.state & QStyle::State_Selected);
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {FList->viewport()->width(), FList->ItemHeight()};
    }

private:
    TDropListbox* FList;
};

QString namePart(const QString& entry, QChar sep) {
    const int p = entry.indexOf(sep);
    return p < 0 ? entry : entry.left(p);
}

QString valuePart(const QString& entry, QChar sep) {
    const int p = entry.indexOf(sep);
    return p < 0 ? QString() : entry.mid(p + 1);
}

}  // namespace

TDropListbox::TDropListbox(QWidget* parent) : QListWidget(parent) {
    // A top-level pop-up that never takes the focus from the editor.
    setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    viewport()->setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setLineWidth(1);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setItemDelegate(new TDropListDelegate(this));
    setAutoScroll(false);
    hide();
}

std::function<qint64()>& TDropListbox::Clock() {
    static std::function<qint64()> clock = [] {
        static QElapsedTimer timer;
        if (!timer.isValid()) timer.start();
        return timer.elapsed();
    };
    return clock;
}

void TDropListbox::SetColumnLine(bool value) { FColumnLine = value; viewport()->update(); }

void TDropListbox::SetColumnLineWidh(int value) {
    if (value > 0) {
        FColumnLineWidh = value;
        viewport()->update();
    }
}

void TDropListbox::SetColumnLineColor(const QColor& value) { FColumnLineColor = value; viewport()->update(); }

void TDropListbox::SetItemHeight(int value) {
    FItemHeight = qMax(1, value);
    doItemsLayout();
}

QString TDropListbox::SelectedValue() const {
    const QListWidgetItem* it = currentItem();
    if (!it || currentRow() < 0) return {};
    return FColumnCount == 2 ? namePart(it->text(), FSeparator) : it->text();
}

int TDropListbox::SetItems(const QStringList* aListe) {
    if (!aListe) return 0;
    clear();
    addItems(*aListe);
    const QFontMetrics fm(font());
    int widest = 0;
    for (const QString& s : *aListe) widest = qMax(widest, fm.horizontalAdvance(s));
    const int needed = widest + 10;
    if (!aListe->isEmpty() && aListe->first().contains(FSeparator)) {
        FColumnCount = 2;
        int widestName = 0;
        for (const QString& s : *aListe) widestName = qMax(widestName, fm.horizontalAdvance(namePart(s, FSeparator)));
        FColWidths[0] = widestName + 10;
        FColWidths[1] = needed - FColWidths[0];
    } else {
        FColumnCount = 1;
        FColWidths[0] = width();
        FColWidths[1] = 0;
    }
    return needed;
}

void TDropListbox::DrawItem(QPainter* painter, int Index, const QRect& rect, bool selected) {
    const QPalette& pal = palette();
    const QString entry = item(Index) ? item(Index)->text() : QString();
    painter->fillRect(rect, selected ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base));
    painter->setFont(font());
    const QFontMetrics fm(font());
    for (int col = 0; col < FColumnCount; ++col) {
        const int left = rect.left() + (col == 1 ? FColWidths[0] : 0);
        const QString text = FColumnCount == 1 ? entry : col == 0 ? namePart(entry, FSeparator) : valuePart(entry, FSeparator);
        const QRect colRect(left, rect.top(), (FColumnCount == 2 && col == 0) ? FColWidths[0] : rect.right() - left + 1,
                            rect.height());
        if (!selected && OnNewcolor) {
            QColor c;
            try {
                c = OnNewcolor(Index, col);
            } catch (...) {
                OutputDebugString(ExceptionMessage(std::current_exception()));
            }
            // Only this column's part, so the first column keeps its text.
            if (c.isValid()) painter->fillRect(QRect(left, rect.top(), rect.right() - left + 1, rect.height()), c);
        }
        painter->save();
        painter->setClipRect(colRect);
        painter->setPen(selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
        painter->drawText(left + 2, rect.top() + (rect.height() - fm.height()) / 2 + fm.ascent(), text);
        painter->restore();
        if (col == 0 && FColumnCount == 2 && FColumnLine) {
            const int x = rect.left() + FColWidths[0] - 1 - FColumnLineWidh;
            painter->fillRect(QRect(x, rect.top(), FColumnLineWidh, rect.height()), FColumnLineColor);
        }
    }
}

void TDropListbox::PaintItem(int Index) {
    if (QListWidgetItem* it = item(Index)) viewport()->update(visualItemRect(it));
}

void TDropListbox::FindEntry(const QString& text) {
    for (int i = 0; i < count(); ++i) {
        if (item(i)->text().startsWith(text, Qt::CaseInsensitive)) {
            setCurrentRow(i);
            scrollToItem(item(i), QAbstractItemView::PositionAtTop);
            return;
        }
    }
    Dialogs::instance().ShowMessage(QStringLiteral("Einen Eintrag, der mit \"%1\" beginnt, gibt es nicht").arg(text));
}

void TDropListbox::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Backspace || e->key() == Qt::Key_Escape) {
        FSearchText.clear();
        e->accept();
        return;
    }
    const QString text = e->text();
    if (!text.isEmpty() && text[0].unicode() >= 32 && text[0].unicode() <= 255 &&
        !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        const qint64 now = Clock()();
        if (now - FLastSearchTime > 2000) FSearchText.clear();
        FLastSearchTime = now;
        if (FSearchText.size() < 32) FSearchText += text[0];
        FindEntry(FSearchText);
        e->accept();
        return;
    }
    QListWidget::keyPressEvent(e);
}

// ---------------------------------------------------------------------------
// TDataGridInplaceEdit

TDataGridInplaceEdit::TDataGridInplaceEdit(TkvDataGrid* grid, QWidget* parent)
    : QLineEdit(parent), FGrid(grid), FButtonWidth(style()->pixelMetric(QStyle::PM_ScrollBarExtent)) {
    setFrame(false);
    setMouseTracking(true);
    // The cell follows every keystroke; the commit rules run when the cell is left.
    connect(this, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (FCol >= 0 && !FGrid->FDestroying) RunAction([&] { FGrid->SetEditText(FCol, FRow, t); });
    });
}

QRect TDataGridInplaceEdit::ButtonRect() const {
    if (FEditStyle == 0) return {};
    return {width() - FButtonWidth, 0, FButtonWidth, height()};
}

void TDataGridInplaceEdit::SetEditStyle(int style) {
    FEditStyle = style;
    if (style == 2) {
        if (!FPickList) {
            FPickList = new TDropListbox(this);
            const QFontMetrics fm(FGrid->font());
            FPickList->SetItemHeight(fm.boundingRect(QStringLiteral("Ägy")).height() + 2);
            FPickList->viewport()->installEventFilter(this);
        }
        FActiveList = FPickList;
    } else {
        FActiveList = nullptr;
    }
    setTextMargins(0, 0, style == 0 ? 0 : FButtonWidth, 0);
    update();
}

void TDataGridInplaceEdit::UpdateContents(int ACol, int ARow) {
    if (FListVisible) CloseUp(false);
    FCol = ACol;
    FRow = ARow;
    TDataGridColumns* cols = FGrid->Columns();
    TColumn* column = ACol >= 0 && ACol < cols->Count() ? cols->GetColumn(ACol) : nullptr;
    int style = 0;
    if (column) {
        switch (column->ButtonStyle()) {
        case cbsEllipsis: style = 1; break;
        case cbsNone: style = 0; break;
        case cbsAuto:
            style = column->HasPickList() && !column->PickList().isEmpty() && !column->ReadOnly() ? 2 : 0;
            break;
        }
    }
    SetEditStyle(style);
    setReadOnly(column && (column->ReadOnly() || (style == 2 && column->LimitToList())));
    QFont f = column ? column->Font() : FGrid->font();
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, column ? column->Color() : FGrid->Color());
    pal.setColor(QPalette::Text, column ? column->FontColor() : FGrid->palette().color(QPalette::Text));
    setPalette(pal);
    if (column) {
        switch (column->Alignment()) {
        case taLeftJustify: setAlignment(Qt::AlignLeft | Qt::AlignVCenter); break;
        case taRightJustify: setAlignment(Qt::AlignRight | Qt::AlignVCenter); break;
        case taCenter: setAlignment(Qt::AlignHCenter | Qt::AlignVCenter); break;
        }
    }
    setInputMask(FGrid->GetEditMask(ACol, ARow));
    setText(FGrid->GetEditText(ACol, ARow));
    setMaxLength(column && column->MaxLength() > 0 ? column->MaxLength() : 32767);
    FLastText = text();
    setModified(false);
    selectAll();
}

void TDataGridInplaceEdit::SetCellText(const QString& t) {
    setText(t);
    if (FCol >= 0) FGrid->SetEditText(FCol, FRow, t);
}

void TDataGridInplaceEdit::UpdateCellValue() {
    if (!FGrid || FGrid->FDestroying || !isModified()) return;
    TDataGridColumns* cols = FGrid->Columns();
    TColumn* column = FCol >= 0 && FCol < cols->Count() ? cols->GetColumn(FCol) : nullptr;
    const QString cell = FGrid->Cells(FCol, FRow);
    if (column && !cell.isEmpty()) {
        bool ok = true;
        switch (column->Format()) {
        case cfString: break;
        case cfNumber: {
            double v = 0;
            ok = TryStrToFloat(cell, v);
            if (ok) SetCellText(FloatToStr(v));
            break;
        }
        case cfDate: {
            // N(ow), T(oday), H(eute), J(etzt), D(atum): today.
            const QChar first = cell.at(0).toUpper();
            QDate d;
            if (QStringLiteral("NTHJD").contains(first)) SetCellText(DateToStr(QDate::currentDate()));
            else if ((ok = TryStrToDate(cell, d))) SetCellText(DateToStr(d));
            break;
        }
        }
        if (!ok) {
            QApplication::beep();
            FGrid->SetEditText(FCol, FRow, FLastText);
            setText(FLastText);
            setModified(false);
        }
    }
    if (FGrid->OnUserChanged) FGrid->OnUserChanged(this);
    // Committed: a later failure falls back to this text, and leaving the
    // cell does not report the same change twice.
    FLastText = text();
    setModified(false);
}

void TDataGridInplaceEdit::DropDown() {
    if (FListVisible || !FActiveList) return;
    TDataGridColumns* cols = FGrid->Columns();
    if (FCol < 0 || FCol >= cols->Count()) return;
    TColumn* column = cols->GetColumn(FCol);
    TDropListbox* list = FActiveList;
    list->resize(width(), list->height());
    list->setFont(font());
    QPalette pal = list->palette();
    pal.setColor(QPalette::Base, palette().color(QPalette::Base));
    list->setPalette(pal);
    const int needed = list->SetItems(&column->PickList());
    if (column->DropdownWidth() == 0) column->SetDropdownWidth(needed);
    const int n = list->count();
    const int rows = int(column->DropDownRows());
    const int h = (n >= rows ? list->ItemHeight() * rows : n * list->ItemHeight()) + 4;
    for (int i = 0; i < n; ++i) {
        if (list->item(i)->text().startsWith(text(), Qt::CaseInsensitive)) {
            list->setCurrentRow(i);
            break;
        }
    }
    int w = column->DropdownWidth();
    if (w == 0) w = qMax(list->viewport()->width(), needed);
    w = qMax(w, FGrid->columnWidth(FCol));
    QPoint pos = mapToGlobal(QPoint(0, height()));
    const QScreen* scr = screen();
    if (scr && pos.y() + h > scr->availableGeometry().bottom()) pos = mapToGlobal(QPoint(0, 0)) - QPoint(0, h);
    list->setGeometry(pos.x(), pos.y(), w, h);
    if (list->currentItem()) list->scrollToItem(list->currentItem(), QAbstractItemView::PositionAtTop);
    list->show();
    FListVisible = true;
    update();
    setFocus();
}

void TDataGridInplaceEdit::CloseUp(bool Accept) {
    if (!FListVisible) return;
    if (QWidget::mouseGrabber() == this) releaseMouse();
    QString value;
    const bool taken = FActiveList && FActiveList->currentRow() >= 0;
    if (taken) value = FActiveList->SelectedValue();
    if (FActiveList) FActiveList->hide();
    FListVisible = false;
    FTracking = false;
    FPressed = false;
    update();
    if (Accept && taken && (FGrid->CanEditModify() || !isReadOnly())) {
        SetCellText(value);
        setModified(true);
        selectAll();
    }
}

bool TDataGridInplaceEdit::DoDropDownKeys(QKeyEvent* e) {
    const int key = e->key();
    const bool alt = e->modifiers() & Qt::AltModifier;
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) && FListVisible && !alt) {
        CloseUp(key != Qt::Key_Escape);
        return true;
    }
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && alt) {
        if (FListVisible) CloseUp(true);
        else DropDown();
        return true;
    }
    if (FListVisible && FActiveList) {
        QCoreApplication::sendEvent(FActiveList, e);
        return true;
    }
    return false;
}

bool TDataGridInplaceEdit::event(QEvent* e) {
    // Tab and Shift+Tab belong to the grid's cell navigation, not the focus chain.
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(k);
            return true;
        }
    }
    return QLineEdit::event(e);
}

void TDataGridInplaceEdit::keyPressEvent(QKeyEvent* e) {
    RunAction([&] { keyPressEventImpl(e); });
}

void TDataGridInplaceEdit::keyPressEventImpl(QKeyEvent* e) {
    if (!FGrid || FGrid->FDestroying) return;
    if (FEditStyle == 2 && DoDropDownKeys(e)) return;
    const int key = e->key();
    const Qt::KeyboardModifiers mods = e->modifiers();
    if (FEditStyle == 1 && (key == Qt::Key_Return || key == Qt::Key_Enter) && (mods & Qt::ControlModifier)) {
        FGrid->EditButtonClick();
        return;
    }
    const bool navigation = key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_PageUp ||
                            key == Qt::Key_PageDown || key == Qt::Key_End || key == Qt::Key_Home || key == Qt::Key_Left ||
                            key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
    if (navigation) UpdateCellValue();
    if (FGrid->IsRowKey(key, mods)) {
        FGrid->KeyDown(e);
        return;
    }
    // Keys that leave the cell go to the grid.
    const bool leaves = key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Up || key == Qt::Key_Down ||
                        key == Qt::Key_PageUp || key == Qt::Key_PageDown ||
                        ((key == Qt::Key_Home || key == Qt::Key_End) && (mods & Qt::ControlModifier)) ||
                        (key == Qt::Key_Left && cursorPosition() == 0 && !hasSelectedText()) ||
                        (key == Qt::Key_Right && cursorPosition() == text().size() && !hasSelectedText());
    if (leaves) {
        FGrid->KeyDown(e);
        return;
    }
    if (key == Qt::Key_Escape) {
        // Back to the last committed text.
        if (isModified() || text() != FLastText) {
            SetCellText(FLastText);
            setModified(false);
        }
        if (!(FGrid->Options() & goAlwaysShowEditor)) FGrid->HideEditor();
        else selectAll();
        return;
    }
    const QString t = e->text();
    if (!t.isEmpty() && !(mods & (Qt::ControlModifier | Qt::AltModifier) && t[0].isPrint())) {
        QChar c = t[0];
        const QChar original = c;
        if (!KeyPress(c)) return;
        if (c != original) {
            insert(QString(c));
            if (FCol >= 0) FGrid->SetEditText(FCol, FRow, text());
            setModified(true);
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

bool TDataGridInplaceEdit::KeyPress(QChar& key) {
    FGrid->KeyPress(key);
    if (key.isNull()) return false;
    const ushort k = key.unicode();
    if (key.isPrint() && !FGrid->CanEditAcceptKey(key)) {
        QApplication::beep();
        return false;
    }
    if (k == 9 || k == 27) return false;
    if (k == 13 || k == 10) {
        if (!text().isEmpty() && selectedText() == text()) {
            deselect();
            end(false);
        } else {
            selectAll();
        }
        return false;
    }
    if (k < 32 && k != 8 && k != 22 && k != 24) return true;
    if (!FGrid->CanEditModify()) return false;
    if (k < 32) return true;  // backspace, paste and cut work on the selection as usual
    if (FEditStyle == 2 && isReadOnly()) {
        TColumn* column = FGrid->Columns()->GetColumn(FCol);
        if (!FListVisible) FPickList->SetItems(&column->PickList());
        for (int i = 0; i < FPickList->count(); ++i) {
            const QString entry = FPickList->item(i)->text();
            if (!entry.isEmpty() && entry[0].toUpper() == key.toUpper()) {
                FPickList->setCurrentRow(i);
                // The cell takes what choosing the entry from the list would give.
                SetCellText(FPickList->SelectedValue());
                setModified(true);
                selectAll();
                return false;
            }
        }
        return true;
    }
    // Typed characters are appended to the cell text.
    if (hasSelectedText()) del();
    end(false);
    return true;
}

void TDataGridInplaceEdit::focusOutEvent(QFocusEvent* e) {
    RunAction([&] { focusOutEventImpl(e); });
}

void TDataGridInplaceEdit::focusOutEventImpl(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (!FGrid || FGrid->FDestroying) return;
    if (FListVisible) CloseUp(false);
    UpdateCellValue();
    if (e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason) return;
    QWidget* to = QApplication::focusWidget();
    if (to && to != FGrid && !FGrid->isAncestorOf(to) && FGrid->InplaceEditor() == this) FGrid->HideEditor();
}

void TDataGridInplaceEdit::paintEvent(QPaintEvent* e) {
    QLineEdit::paintEvent(e);
    if (FEditStyle == 0) return;
    QPainter p(this);
    const QRect r = ButtonRect();
    const QPalette& pal = palette();
    const bool sunken = FPressed || (FEditStyle == 2 && FListVisible);
    // A small push button of its own: the style's bevels add margins that do
    // not fit a button as narrow as a scroll bar.
    p.fillRect(r, pal.color(QPalette::Button));
    p.setPen(pal.color(QPalette::Mid));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(sunken ? pal.color(QPalette::Mid) : pal.color(QPalette::Light));
    p.drawLine(r.left() + 1, r.top() + 1, r.right() - 1, r.top() + 1);
    p.drawLine(r.left() + 1, r.top() + 1, r.left() + 1, r.bottom() - 1);
    const int shift = sunken ? 1 : 0;
    if (FEditStyle == 1) {
        // Three dots two dot sides apart across the middle.
        const int side = qMax(1, height() / 8);
        const int total = 3 * side + 2 * 2 * side;
        int x = r.left() + (r.width() - total + 1) / 2 + shift;
        const int y = r.top() + (r.height() - side) / 2 + shift;
        for (int i = 0; i < 3; ++i, x += 3 * side) p.fillRect(QRect(x, y, side, side), Qt::black);
    } else {
        QStyleOption arrow;
        arrow.initFrom(this);
        if (!FActiveList) arrow.state &= ~QStyle::State_Enabled;
        const int a = qMax(5, qMin(r.width(), r.height()) / 2);
        arrow.rect = QRect(r.left() + (r.width() - a) / 2 + shift, r.top() + (r.height() - a) / 2 + shift, a, a);
        style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &p, this);
    }
}

void TDataGridInplaceEdit::mousePressEvent(QMouseEvent* e) {
    RunAction([&] { mousePressEventImpl(e); });
}

void TDataGridInplaceEdit::mousePressEventImpl(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && FEditStyle != 0 && ButtonRect().contains(e->position().toPoint())) {
        if (FListVisible) {
            CloseUp(false);
        } else {
            FTracking = true;
            FPressed = true;
            update();
            if (FActiveList) DropDown();
        }
        return;
    }
    QLineEdit::mousePressEvent(e);
}

void TDataGridInplaceEdit::mouseMoveEvent(QMouseEvent* e) {
    RunAction([&] { mouseMoveEventImpl(e); });
}

void TDataGridInplaceEdit::mouseMoveEventImpl(QMouseEvent* e) {
    const bool overButton = FEditStyle != 0 && ButtonRect().contains(e->position().toPoint());
    if (overButton) setCursor(Qt::ArrowCursor);
    else setCursor(Qt::IBeamCursor);
    if (FTracking) {
        if (FListVisible && FActiveList) {
            const QPoint g = e->globalPosition().toPoint();
            if (FActiveList->geometry().contains(g)) {
                // Dragging from the button into the list picks entries as it moves.
                FTracking = false;
                FPressed = false;
                update();
                const QPoint lp = FActiveList->viewport()->mapFromGlobal(g);
                const QModelIndex idx = FActiveList->indexAt(lp);
                if (idx.isValid()) FActiveList->setCurrentIndex(idx);
                return;
            }
        }
        const bool pressed = overButton;
        if (pressed != FPressed) {
            FPressed = pressed;
            update();
        }
        return;
    }
    if (FListVisible && FActiveList && (e->buttons() & Qt::LeftButton)) {
        const QPoint g = e->globalPosition().toPoint();
        const QModelIndex idx = FActiveList->indexAt(FActiveList->viewport()->mapFromGlobal(g));
        if (idx.isValid()) FActiveList->setCurrentIndex(idx);
        return;
    }
    QLineEdit::mouseMoveEvent(e);
}

void TDataGridInplaceEdit::mouseReleaseEvent(QMouseEvent* e) {
    RunAction([&] { mouseReleaseEventImpl(e); });
}

void TDataGridInplaceEdit::mouseReleaseEventImpl(QMouseEvent* e) {
    const bool wasPressed = FPressed;
    const bool wasTracking = FTracking;
    if (FTracking || FPressed) {
        FTracking = false;
        FPressed = false;
        update();
    }
    if (e->button() == Qt::LeftButton && FEditStyle == 1 && wasPressed && ButtonRect().contains(e->position().toPoint())) {
        FGrid->EditButtonClick();
        return;
    }
    if (FListVisible && FActiveList && !wasTracking) {
        // A drag that ended in the list chooses the entry under the pointer.
        const QPoint g = e->globalPosition().toPoint();
        if (FActiveList->geometry().contains(g)) {
            const QModelIndex idx = FActiveList->indexAt(FActiveList->viewport()->mapFromGlobal(g));
            if (idx.isValid()) FActiveList->setCurrentIndex(idx);
            CloseUp(true);
            return;
        }
    }
    QLineEdit::mouseReleaseEvent(e);
}

void TDataGridInplaceEdit::mouseDoubleClickEvent(QMouseEvent* e) {
    RunAction([&] { mouseDoubleClickEventImpl(e); });
}

void TDataGridInplaceEdit::mouseDoubleClickEventImpl(QMouseEvent* e) {
    if (FEditStyle != 0 && ButtonRect().contains(e->position().toPoint())) {
        if (isReadOnly() && e->button() == Qt::LeftButton) {
            if (FEditStyle == 1) FGrid->EditButtonClick();
            else if (FListVisible) CloseUp(false);
            else DropDown();
        }
        return;
    }
    QLineEdit::mouseDoubleClickEvent(e);
}

bool TDataGridInplaceEdit::eventFilter(QObject* watched, QEvent* e) {
    if (FPickList && watched == FPickList->viewport()) {
        if (e->type() == QEvent::MouseButtonRelease) {
            ListMouseUp(static_cast<QMouseEvent*>(e));
            return true;
        }
    }
    return QLineEdit::eventFilter(watched, e);
}

void TDataGridInplaceEdit::ListMouseUp(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    const bool inside = FPickList->viewport()->rect().contains(p);
    if (inside) {
        const QModelIndex idx = FPickList->indexAt(p);
        if (idx.isValid()) FPickList->setCurrentIndex(idx);
    }
    CloseUp(inside);
}

// ---------------------------------------------------------------------------
// The delegate: the grid draws, the editor edits.

class TkvGridDelegate : public QAbstractItemDelegate {
public:
    explicit TkvGridDelegate(TkvDataGrid* grid) : QAbstractItemDelegate(grid), FGrid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        FGrid->PaintCell(painter, option.rect, index.column(), index.row(), option.state & QStyle::State_Selected);
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {FGrid->DefaultColWidth(), FGrid->DefaultRowHeight()};
    }
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        TDataGridInplaceEdit* e = FGrid->CreateEditor(parent);
        FGrid->RegisterEditor(e);
        return e;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        RunAction([&] { fill(editor, index); });
    }
    void fill(QWidget* editor, const QModelIndex& index) const {
        auto* e = static_cast<TDataGridInplaceEdit*>(editor);
        if (e->Col() != index.column() || e->Row() != index.row()) {
            e->UpdateContents(index.column(), index.row());
        } else {
            // The cell changed under the open editor (not by typing).
            const QString t = FGrid->GetEditText(index.column(), index.row());
            if (t != e->text()) e->setText(t);
        }
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        auto* e = static_cast<TDataGridInplaceEdit*>(editor);
        RunAction([&] {
            if (FGrid->GetEditText(index.column(), index.row()) != e->text())
                FGrid->SetEditText(index.column(), index.row(), e->text());
        });
    }
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const override {
        editor->setGeometry(option.rect);
    }

private:
    TkvDataGrid* FGrid;
};

// ---------------------------------------------------------------------------
// TkvDataGrid

TkvDataGrid::TkvDataGrid(QWidget* parent) : QTableWidget(parent) {
    FLayoutLock = 2;
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setDefaultSectionSize(FDefaultColWidth);
    verticalHeader()->setDefaultSectionSize(FDefaultRowHeight);
    horizontalHeader()->setHighlightSections(false);
    setItemDelegate(new TkvGridDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    FFixedColor = palette().color(QPalette::Button);
    setColumnCount(5);
    setRowCount(5);
    SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goColSizing | goEditing);
    CreateColumns();
    FLayoutLock = 0;
    SizeChanged();
    connect(model(), &QAbstractItemModel::columnsInserted, this, [this](const QModelIndex&, int first, int last) {
        if (FLayoutLock > 0 || FDestroying) return;
        ++FLayoutLock;
        for (int i = first; i <= last; ++i) {
            TColumn* c = FColumns->Add();  // appended, then moved to its place
            FColumns->Move(FColumns->Count() - 1, qMin(i, FColumns->Count() - 1));
            (void)c;
        }
        --FLayoutLock;
        SizeChanged();
    });
    connect(model(), &QAbstractItemModel::columnsRemoved, this, [this](const QModelIndex&, int first, int last) {
        if (FLayoutLock > 0 || FDestroying) return;
        ++FLayoutLock;
        for (int i = last; i >= first; --i)
            if (i < FColumns->Count()) FColumns->Delete(i);
        --FLayoutLock;
        SizeChanged();
    });
    setMouseTracking(true);
    viewport()->setMouseTracking(true);  // sizing cursor and the owners' hints
    setFocusPolicy(Qt::StrongFocus);
    SetCurrentCell(FFixedCols, FFixedRows);
}

TkvDataGrid::~TkvDataGrid() {
    FDestroying = true;
    FLayoutLock = 2;
    // The editor dies with the viewport, after this body: it must not reach back.
    if (FEditor) FEditor->FGrid = nullptr;
    disconnect(model(), nullptr, this, nullptr);
    FColumns.reset();
}

void TkvDataGrid::CreateColumns() { FColumns = std::make_unique<TDataGridColumns>(this); }

TDataGridInplaceEdit* TkvDataGrid::CreateEditor(QWidget* parent) { return new TDataGridInplaceEdit(this, parent); }

void TkvDataGrid::SizeChanged() {
    if (FLayoutLock > 0 || !FColumns) return;
    ++FLayoutLock;
    while (FColumns->Count() > columnCount()) FColumns->Delete(FColumns->Count() - 1);
    while (FColumns->Count() < columnCount()) FColumns->Add();
    --FLayoutLock;
}

void TkvDataGrid::SetColCountGuarded(int value) {
    if (FLayoutLock != 0) return;
    ++FLayoutLock;
    setColumnCount(value);
    --FLayoutLock;
}

void TkvDataGrid::RemoveColumnGuarded(int index) {
    if (FLayoutLock != 0) return;
    ++FLayoutLock;
    removeColumn(index);
    --FLayoutLock;
}

void TkvDataGrid::SetColCount(int value) { setColumnCount(qMax(0, value)); }

void TkvDataGrid::SetRowCount(int value) {
    setRowCount(qMax(0, value));
    if (!currentIndex().isValid() && RowCount() > FFixedRows && ColCount() > FFixedCols)
        SetCurrentCell(FFixedCols, FFixedRows);
}

void TkvDataGrid::SetFixedCols(int value) {
    FFixedCols = qMax(0, value);
    if (Col() < FFixedCols && ColCount() > FFixedCols) SetCurrentCell(FFixedCols, Row());
    viewport()->update();
}

void TkvDataGrid::SetFixedRows(int value) {
    FFixedRows = qMax(0, value);
    if (Row() < FFixedRows && RowCount() > FFixedRows) SetCurrentCell(Col(), FFixedRows);
    viewport()->update();
}

QString TkvDataGrid::Cells(int ACol, int ARow) const {
    const QTableWidgetItem* it = item(ARow, ACol);
    return it ? it->text() : QString();
}

void TkvDataGrid::SetCells(int ACol, int ARow, const QString& value) {
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return;
    if (QTableWidgetItem* it = item(ARow, ACol)) {
        it->setText(value);
    } else if (!value.isEmpty()) {
        setItem(ARow, ACol, new QTableWidgetItem(value));
    }
}

QVariant TkvDataGrid::Objects(int ACol, int ARow) const {
    const QTableWidgetItem* it = item(ARow, ACol);
    return it ? it->data(Qt::UserRole) : QVariant();
}

void TkvDataGrid::SetObjects(int ACol, int ARow, const QVariant& value) {
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return;
    QTableWidgetItem* it = item(ARow, ACol);
    if (!it) {
        if (!value.isValid()) return;
        it = new QTableWidgetItem();
        setItem(ARow, ACol, it);
    }
    it->setData(Qt::UserRole, value);
}

int TkvDataGrid::ColWidths(int ACol) const { return isColumnHidden(ACol) ? -1 : columnWidth(ACol); }

void TkvDataGrid::SetColWidths(int ACol, int value) {
    if (value < 0) {
        setColumnHidden(ACol, true);
    } else {
        setColumnHidden(ACol, false);
        setColumnWidth(ACol, value);
    }
}

int TkvDataGrid::RowHeights(int ARow) const { return isRowHidden(ARow) ? -1 : rowHeight(ARow); }

void TkvDataGrid::SetRowHeights(int ARow, int value) {
    if (value < 0) {
        setRowHidden(ARow, true);
    } else {
        setRowHidden(ARow, false);
        setRowHeight(ARow, value);
    }
}

void TkvDataGrid::SetDefaultColWidth(int value) {
    FDefaultColWidth = qMax(0, value);
    horizontalHeader()->setDefaultSectionSize(FDefaultColWidth);
    for (int c = 0; c < ColCount(); ++c)
        if (!isColumnHidden(c)) setColumnWidth(c, FDefaultColWidth);
}

void TkvDataGrid::SetDefaultRowHeight(int value) {
    FDefaultRowHeight = qMax(0, value);
    verticalHeader()->setDefaultSectionSize(FDefaultRowHeight);
    for (int r = 0; r < RowCount(); ++r)
        if (!isRowHidden(r)) setRowHeight(r, FDefaultRowHeight);
}

int TkvDataGrid::Col() const { return currentIndex().isValid() ? currentIndex().column() : FFixedCols; }
int TkvDataGrid::Row() const { return currentIndex().isValid() ? currentIndex().row() : FFixedRows; }
void TkvDataGrid::SetCol(int value) { SetCurrentCell(value, Row()); }
void TkvDataGrid::SetRow(int value) { SetCurrentCell(Col(), value); }

void TkvDataGrid::SetCurrentCell(int ACol, int ARow) {
    const QModelIndex idx = model()->index(ARow, ACol);
    if (!idx.isValid()) return;
    setCurrentIndex(idx);
}

void TkvDataGrid::SetOptions(TGridOptions value) {
    FOptions = value;
    setShowGrid(value & (goVertLine | goHorzLine));
    setSelectionBehavior(value & goRowSelect ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    setSelectionMode(value & goRangeSelect ? QAbstractItemView::ContiguousSelection : QAbstractItemView::SingleSelection);
    setTabKeyNavigation(value & goTabs);
    if (!(value & goEditing) && FEditor) HideEditor();
    UpdateEditTriggers();
    if (FColumns) FColumns->Update(nullptr);
}

void TkvDataGrid::UpdateEditTriggers() {
    if (!(FOptions & goEditing)) {
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        return;
    }
    EditTriggers t = QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                     QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked;
    if (FOptions & goAlwaysShowEditor) t |= QAbstractItemView::CurrentChanged;
    setEditTriggers(t);
}

QColor TkvDataGrid::Color() const { return viewport()->palette().color(QPalette::Base); }

void TkvDataGrid::SetColor(const QColor& value) {
    QPalette p = palette();
    p.setColor(QPalette::Base, value);
    setPalette(p);
    viewport()->update();
}

void TkvDataGrid::SetFixedColor(const QColor& value) {
    FFixedColor = value;
    viewport()->update();
}

void TkvDataGrid::SetEditorMode(bool value) {
    if (value) ShowEditor();
    else HideEditor();
}

QRect TkvDataGrid::CellRect(int ACol, int ARow) const {
    const QModelIndex idx = model()->index(ARow, ACol);
    return idx.isValid() ? visualRect(idx) : QRect();
}

void TkvDataGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const {
    ACol = ColumnAtPos(X);
    ARow = RowAtPos(Y);
}

int TkvDataGrid::FixedWidth() const {
    int w = 0;
    for (int c = 0; c < qMin(FFixedCols, ColCount()); ++c)
        if (!isColumnHidden(c)) w += columnWidth(c);
    return w;
}

int TkvDataGrid::FixedHeight() const {
    int h = 0;
    for (int r = 0; r < qMin(FFixedRows, RowCount()); ++r)
        if (!isRowHidden(r)) h += rowHeight(r);
    return h;
}

int TkvDataGrid::CellX(int ACol) const {
    if (ACol >= FFixedCols) return columnViewportPosition(ACol);
    int x = 0;
    for (int c = 0; c < ACol; ++c)
        if (!isColumnHidden(c)) x += columnWidth(c);
    return x;
}

int TkvDataGrid::CellY(int ARow) const {
    if (ARow >= FFixedRows) return rowViewportPosition(ARow);
    int y = 0;
    for (int r = 0; r < ARow; ++r)
        if (!isRowHidden(r)) y += rowHeight(r);
    return y;
}

int TkvDataGrid::ColumnAtPos(int x) const {
    if (x >= 0 && x < FixedWidth()) {
        for (int c = 0, left = 0; c < qMin(FFixedCols, ColCount()); ++c) {
            if (isColumnHidden(c)) continue;
            if (x < left + columnWidth(c)) return c;
            left += columnWidth(c);
        }
    }
    return columnAt(x);
}

int TkvDataGrid::RowAtPos(int y) const {
    if (y >= 0 && y < FixedHeight()) {
        for (int r = 0, top = 0; r < qMin(FFixedRows, RowCount()); ++r) {
            if (isRowHidden(r)) continue;
            if (y < top + rowHeight(r)) return r;
            top += rowHeight(r);
        }
    }
    return rowAt(y);
}

QModelIndex TkvDataGrid::indexAt(const QPoint& p) const {
    return model()->index(RowAtPos(p.y()), ColumnAtPos(p.x()));
}

QRect TkvDataGrid::visualRect(const QModelIndex& index) const {
    QRect r = QTableWidget::visualRect(index);
    if (!index.isValid() || r.isNull()) return r;
    if (index.column() < FFixedCols) r.moveLeft(CellX(index.column()));
    if (index.row() < FFixedRows) r.moveTop(CellY(index.row()));
    return r;
}

void TkvDataGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
    QTableWidget::scrollTo(index, hint);
    if (!index.isValid()) return;
    // A cell that ended up under the fixed cells moves out from under them.
    const QRect r = QTableWidget::visualRect(index);
    const int fw = FixedWidth(), fh = FixedHeight();
    if (index.column() >= FFixedCols && r.left() < fw)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - (fw - r.left()));
    if (index.row() >= FFixedRows && r.top() < fh)
        verticalScrollBar()->setValue(verticalScrollBar()->value() - (fh - r.top()));
}

void TkvDataGrid::updateEditorGeometries() {
    QTableWidget::updateEditorGeometries();
    if (!FEditor) return;
    // The part of the editor scrolled under the fixed cells is cut away.
    const QRect g = FEditor->geometry();
    QRegion visible(FEditor->rect());
    const int fw = FixedWidth(), fh = FixedHeight();
    if (g.left() < fw) visible -= QRegion(0, 0, fw - g.left(), g.height());
    if (g.top() < fh) visible -= QRegion(0, 0, g.width(), fh - g.top());
    if (visible == QRegion(FEditor->rect())) FEditor->clearMask();
    else FEditor->setMask(visible);
}

void TkvDataGrid::PaintFixedBands(QPainter& p) {
    const bool hScrolled = horizontalOffset() > 0 && FFixedCols > 0;
    const bool vScrolled = verticalOffset() > 0 && FFixedRows > 0;
    if (!hScrolled && !vScrolled) return;
    const int fw = FixedWidth(), fh = FixedHeight();
    const int vw = viewport()->width(), vh = viewport()->height();
    const int gs = showGrid() ? 1 : 0;
    QStyleOptionViewItem opt;
    initViewItemOption(&opt);
    const QColor gridColor = QColor::fromRgba(uint(style()->styleHint(QStyle::SH_Table_GridLineColor, &opt, this)));
    auto paintOne = [&](int c, int r, int x, int y) {
        const int w = columnWidth(c), h = rowHeight(r);
        p.save();
        PaintCell(&p, QRect(x, y, w - gs, h - gs), c, r, false);
        p.restore();
        if (gs) {
            p.setPen(gridColor);
            p.drawLine(x + w - 1, y, x + w - 1, y + h - 1);
            p.drawLine(x, y + h - 1, x + w - 1, y + h - 1);
        }
    };
    const int firstCol = qMax(FFixedCols, columnAt(fw));
    const int firstRow = qMax(FFixedRows, rowAt(fh));
    if (vScrolled && firstCol >= 0) {
        p.setClipRect(QRect(fw, 0, vw - fw, fh));
        for (int r = 0; r < qMin(FFixedRows, RowCount()); ++r) {
            if (isRowHidden(r)) continue;
            for (int c = firstCol; c < ColCount() && columnViewportPosition(c) < vw; ++c)
                if (!isColumnHidden(c)) paintOne(c, r, columnViewportPosition(c), CellY(r));
        }
    }
    if (hScrolled && firstRow >= 0) {
        p.setClipRect(QRect(0, fh, fw, vh - fh));
        for (int c = 0; c < qMin(FFixedCols, ColCount()); ++c) {
            if (isColumnHidden(c)) continue;
            for (int r = firstRow; r < RowCount() && rowViewportPosition(r) < vh; ++r)
                if (!isRowHidden(r)) paintOne(c, r, CellX(c), rowViewportPosition(r));
        }
    }
    p.setClipRect(QRect(0, 0, fw, fh));
    for (int r = 0; r < qMin(FFixedRows, RowCount()); ++r)
        for (int c = 0; c < qMin(FFixedCols, ColCount()); ++c)
            if (!isRowHidden(r) && !isColumnHidden(c)) paintOne(c, r, CellX(c), CellY(r));
    p.setClipping(false);
}

void TkvDataGrid::InvalidateCell(int ACol, int ARow) { viewport()->update(CellRect(ACol, ARow)); }

void TkvDataGrid::SetRowCountMin(int value) {
    FRowCountMin = qMax(0, value);
    if (RowCount() < FRowCountMin) SetRowCount(FRowCountMin);
    RowCountMinChanged();
}

void TkvDataGrid::SetBGImage(const QPixmap& value) {
    FBGImage = value;
    viewport()->update();
}

bool TkvDataGrid::SelectCell(int ACol, int ARow) {
    bool can = true;
    if (OnSelectCell) OnSelectCell(this, ACol, ARow, can);
    return can;
}

QString TkvDataGrid::GetEditMask(int ACol, int ARow) {
    QString mask = ACol >= 0 && ACol < FColumns->Count() ? FColumns->GetColumn(ACol)->EditMask() : QString();
    if (OnGetEditMask) OnGetEditMask(this, ACol, ARow, mask);
    return mask;
}

void TkvDataGrid::SetEditText(int ACol, int ARow, const QString& Value) {
    SetCells(ACol, ARow, Value);
    if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

bool TkvDataGrid::CanEditModify() const {
    if (!(FOptions & goEditing)) return false;
    const int c = Col();
    return !(c >= 0 && c < FColumns->Count() && FColumns->GetColumn(c)->ReadOnly());
}

void TkvDataGrid::EditButtonClick() {
    if (OnEditButtonClick) OnEditButtonClick(this);
}

void TkvDataGrid::HideEditor() {
    TDataGridInplaceEdit* e = FEditor;
    if (!e) return;
    FEditor = nullptr;
    e->UpdateCellValue();
    commitData(e);
    closeEditor(e, QAbstractItemDelegate::NoHint);
}

void TkvDataGrid::ShowEditor() {
    if (!(FOptions & goEditing)) return;
    const QModelIndex idx = currentIndex();
    if (idx.isValid()) edit(idx, QAbstractItemView::AllEditTriggers, nullptr);
}

void TkvDataGrid::InvalidateEditor() {
    if (FEditor && FEditor->Col() >= 0) {
        const QModelIndex idx = currentIndex();
        if (idx.isValid()) FEditor->UpdateContents(idx.column(), idx.row());
    }
}

void TkvDataGrid::UnregisterEditor(TDataGridInplaceEdit* editor) {
    if (FEditor == editor) FEditor = nullptr;
}

bool TkvDataGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (!index.isValid() || !(FOptions & goEditing)) return false;
    if (index.row() < FFixedRows || index.column() < FFixedCols) return false;
    bool opened = false;
    RunAction([&] { opened = QTableWidget::edit(index, trigger, event); });
    return opened;
}

void TkvDataGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (editor == FEditor) FEditor = nullptr;
    QTableWidget::closeEditor(editor, hint);
}

void TkvDataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (FEditor && previous.isValid()) RunAction([&] { FEditor->UpdateCellValue(); });
    QTableWidget::currentChanged(current, previous);
}

bool TkvDataGrid::IsRowKey(int key, Qt::KeyboardModifiers mods) const {
    const bool lastRow = Row() == RowCount() - 1;
    switch (key) {
    case Qt::Key_Tab:
        return (FDataGridOptions & dgoAppendRow) && !(mods & Qt::ShiftModifier) && lastRow && Col() == ColCount() - 1;
    case Qt::Key_Down: return (FDataGridOptions & dgoAppendRow) && lastRow && !(mods & Qt::AltModifier);
    case Qt::Key_Insert: return (FDataGridOptions & dgoInsertRow) && (mods & Qt::ControlModifier);
    case Qt::Key_Delete: return (FDataGridOptions & dgoDeleteRow) && (mods & Qt::ControlModifier);
    default: return false;
    }
}

void TkvDataGrid::KeyDown(QKeyEvent* e) {
    int key = e->key();
    if (OnKeyDown) {
        OnKeyDown(this, key, e->modifiers());
        if (key == 0) return;
    }
    if (IsRowKey(key, e->modifiers())) {
        switch (key) {
        case Qt::Key_Tab:
        case Qt::Key_Down: AppendRow(); break;
        case Qt::Key_Insert: InsertRow(Row()); return;
        case Qt::Key_Delete: DeleteRow(Row()); return;
        }
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && (FOptions & goEditing) && !(FOptions & goAlwaysShowEditor)) {
        if (FEditor) HideEditor();
        else ShowEditor();
        return;
    }
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && !(FOptions & goTabs)) {
        if (FEditor) HideEditor();
        focusNextPrevChild(key == Qt::Key_Tab);
        return;
    }
    QTableWidget::keyPressEvent(e);
}

void TkvDataGrid::KeyPress(QChar& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
    if ((Key == QLatin1Char('\r') || Key == QLatin1Char('\n')) && (FOptions & goEditing) && !(FOptions & goAlwaysShowEditor)) {
        if (FEditor) HideEditor();
        Key = QChar();
    }
}

bool TkvDataGrid::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) && (FOptions & goTabs) &&
            !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(k);
            return true;
        }
    }
    return QTableWidget::event(e);
}

// Every user action on the grid runs inside the action guard: an owner's
// handler that fails shows its message and ends the action.
void TkvDataGrid::keyPressEvent(QKeyEvent* e) {
    RunAction([&] { KeyDown(e); });
}

QModelIndex TkvDataGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    const QModelIndex cur = currentIndex();
    QModelIndex idx = QTableWidget::moveCursor(cursorAction, modifiers);
    if (!idx.isValid()) return cur;
    int r = idx.row(), c = idx.column();
    // The cursor never enters the fixed cells.
    if (r < FFixedRows) {
        if (RowCount() <= FFixedRows) return cur;
        r = cursorAction == MovePrevious && cur.isValid() ? cur.row() : FFixedRows;
        if (cursorAction == MovePrevious && cur.isValid()) c = cur.column();
    }
    if (c < FFixedCols) {
        if (ColCount() <= FFixedCols) return cur;
        if (cursorAction == MoveNext && cur.isValid()) r = idx.row();
        c = FFixedCols;
    }
    idx = model()->index(r, c);
    bool can = true;
    if (idx != cur && (!RunAction([&] { can = SelectCell(c, r); }) || !can)) return cur;
    return idx;
}

int TkvDataGrid::ColSizingEdge(const QPoint& pos) const {
    if (!(FOptions & goColSizing) || FFixedRows == 0) return -1;
    const int fixedBottom = FixedHeight();
    if (pos.y() >= fixedBottom || pos.y() < 0) return -1;
    const int fw = FixedWidth();
    for (int c = 0; c < ColCount(); ++c) {
        if (isColumnHidden(c)) continue;
        const int right = CellX(c) + columnWidth(c);
        if (c >= FFixedCols && right <= fw) continue;  // under the fixed columns
        if (qAbs(pos.x() - right) <= 3) return c;
    }
    return -1;
}

void TkvDataGrid::mousePressEvent(QMouseEvent* e) {
    RunAction([&] { mousePressEventImpl(e); });
}

void TkvDataGrid::mousePressEventImpl(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    int c = -1, r = -1;
    MouseToCell(p.x(), p.y(), c, r);
    if (e->button() == Qt::LeftButton) {
        const int edge = ColSizingEdge(p);
        if (edge >= 0) {
            FSizingCol = edge;
            FSizingStartX = p.x();
            FSizingStartWidth = columnWidth(edge);
            return;
        }
    }
    const bool fixed = r < FFixedRows || c < FFixedCols;
    if (e->button() != Qt::LeftButton || fixed || c < 0 || r < 0 ||
        (model()->index(r, c) != currentIndex() && !SelectCell(c, r))) {
        // No selection change: a click on a fixed cell, with the right button, or refused by the owner.
        setFocus(Qt::MouseFocusReason);
    } else {
        QTableWidget::mousePressEvent(e);
    }
    if (OnMouseDown) OnMouseDown(this, e->button(), e->modifiers(), p.x(), p.y());
}

void TkvDataGrid::mouseMoveEvent(QMouseEvent* e) {
    RunAction([&] { mouseMoveEventImpl(e); });
}

void TkvDataGrid::mouseMoveEventImpl(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (FSizingCol >= 0) {
        setColumnWidth(FSizingCol, qMax(0, FSizingStartWidth + p.x() - FSizingStartX));
        return;
    }
    if (ColSizingEdge(p) >= 0) viewport()->setCursor(Qt::SplitHCursor);
    else viewport()->unsetCursor();
    if (OnMouseMove) OnMouseMove(this, e->modifiers(), p.x(), p.y());
    if (e->buttons() == Qt::NoButton) return;
    // Dragging selects a range only with range selection, and only cells the owner allows.
    if (!(FOptions & goRangeSelect) || !(e->buttons() & Qt::LeftButton)) return;
    int c = -1, r = -1;
    MouseToCell(p.x(), p.y(), c, r);
    if (r < FFixedRows || c < FFixedCols) return;
    if (model()->index(r, c) != currentIndex() && !SelectCell(c, r)) return;
    QTableWidget::mouseMoveEvent(e);
}

void TkvDataGrid::mouseReleaseEvent(QMouseEvent* e) {
    RunAction([&] { mouseReleaseEventImpl(e); });
}

void TkvDataGrid::mouseReleaseEventImpl(QMouseEvent* e) {
    if (FSizingCol >= 0) {
        FSizingCol = -1;
        return;
    }
    QTableWidget::mouseReleaseEvent(e);
    if (OnMouseUp) OnMouseUp(this, e->button(), e->modifiers(), int(e->position().x()), int(e->position().y()));
    if (e->button() == Qt::RightButton) {
        const QPoint p = e->position().toPoint();
        int c = -1, r = -1;
        MouseToCell(p.x(), p.y(), c, r);
        if (c >= 0 && r >= 0 && c < FColumns->Count()) {
            if (QMenu* menu = FColumns->GetColumn(c)->PopupMenu()) {
                menu->setProperty("PopupComponent", QVariant::fromValue<QObject*>(this));
                menu->popup(viewport()->mapToGlobal(p));
                e->accept();
            }
        }
    }
}

void TkvDataGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    RunAction([&] { mouseDoubleClickEventImpl(e); });
}

void TkvDataGrid::mouseDoubleClickEventImpl(QMouseEvent* e) {
    if (ColSizingEdge(e->position().toPoint()) >= 0) return;
    if (OnDblClick) OnDblClick(this);
    QTableWidget::mouseDoubleClickEvent(e);
}

void TkvDataGrid::focusInEvent(QFocusEvent* e) {
    RunAction([&] { focusInEventImpl(e); });
}

void TkvDataGrid::focusInEventImpl(QFocusEvent* e) {
    QTableWidget::focusInEvent(e);
    if ((FOptions & goEditing) && (FOptions & goAlwaysShowEditor) && !FEditor) ShowEditor();
}

void TkvDataGrid::AppendRow() {
    if (BeforeInsert) BeforeInsert(this);
    setRowCount(RowCount() + 1);
    const int r = RowCount() - 1;
    viewport()->update(QRect(0, rowViewportPosition(r), viewport()->width(), rowHeight(r)));
    SelectCell(Col(), r);
}

void TkvDataGrid::InsertRow(int ARow) {
    if (BeforeInsert) BeforeInsert(this);
    ARow = qBound(0, ARow, RowCount());
    const int row = Row(), col = Col();
    insertRow(ARow);
    setRowHeight(ARow, FDefaultRowHeight);
    // The cursor keeps its row number: it stands on the new empty row.
    SetCurrentCell(col, row);
    InvalidateEditor();
}

void TkvDataGrid::DeleteRow(int ARow) {
    if (BeforeDelete) BeforeDelete(this);
    if (ARow < FFixedRows || ARow >= RowCount()) return;  // fixed rows stay
    const int row = Row(), col = Col();
    if (RowCount() - FFixedRows <= 1 || (FRowCountMin > 0 && RowCount() <= FRowCountMin)) {
        for (int c = FFixedCols; c < ColCount(); ++c) delete takeItem(ARow, c);
    } else {
        removeRow(ARow);
        // The cursor keeps its row number where that row still exists.
        SetCurrentCell(col, qMin(row, RowCount() - 1));
    }
    InvalidateEditor();
}

void TkvDataGrid::ExchangeRows(int aRow1, int aRow2) {
    if (aRow1 == aRow2 || aRow1 < 0 || aRow2 < 0 || aRow1 >= RowCount() || aRow2 >= RowCount()) return;
    for (int c = 0; c < ColCount(); ++c) {
        QTableWidgetItem* a = takeItem(aRow1, c);
        QTableWidgetItem* b = takeItem(aRow2, c);
        if (b) setItem(aRow1, c, b);
        if (a) setItem(aRow2, c, a);
    }
    InvalidateEditor();
}

void TkvDataGrid::MoveColumn(int FromIndex, int ToIndex) {
    if (FromIndex == ToIndex || FromIndex < 0 || ToIndex < 0 || FromIndex >= ColCount() || ToIndex >= ColCount()) return;
    ColumnMoved(FromIndex, ToIndex);
}

void TkvDataGrid::ColumnMoved(int FromIndex, int ToIndex) {
    if (FromIndex < FColumns->Count() && ToIndex < FColumns->Count()) FColumns->Move(FromIndex, ToIndex);
    const int rows = RowCount();
    const int step = FromIndex < ToIndex ? 1 : -1;
    const int movedWidth = columnWidth(FromIndex);
    const bool movedHidden = isColumnHidden(FromIndex);
    std::vector<QTableWidgetItem*> moved(size_t(rows), nullptr);
    for (int r = 0; r < rows; ++r) moved[size_t(r)] = takeItem(r, FromIndex);
    for (int c = FromIndex; c != ToIndex; c += step) {
        for (int r = 0; r < rows; ++r)
            if (QTableWidgetItem* it = takeItem(r, c + step)) setItem(r, c, it);
        setColumnHidden(c, isColumnHidden(c + step));
        setColumnWidth(c, columnWidth(c + step));
    }
    for (int r = 0; r < rows; ++r)
        if (moved[size_t(r)]) setItem(r, ToIndex, moved[size_t(r)]);
    setColumnWidth(ToIndex, movedWidth);
    setColumnHidden(ToIndex, movedHidden);
    viewport()->update();
    InvalidateEditor();
}

QString TkvDataGrid::GetIntCell(int aIntCol, int aRow) const {
    const int c = FColumns->GetColIndex(aIntCol);
    return c < 0 ? QString() : Cells(c, aRow);
}

void TkvDataGrid::SetIntCell(int aIntCol, int aRow, const QString& Value) {
    const int c = FColumns->GetColIndex(aIntCol);
    if (c >= 0) SetCells(c, aRow, Value);
}

int TkvDataGrid::GetIntValue(int ACol, int ARow) const {
    int v = 0;
    return TryStrToInt(Cells(ACol, ARow).trimmed(), v) ? v : 0;
}

void TkvDataGrid::SetIntValue(int ACol, int ARow, int Value) { SetCells(ACol, ARow, QString::number(Value)); }

double TkvDataGrid::GetNumValue(int ACol, int ARow) const {
    double v = 0;
    return TryStrToFloat(Cells(ACol, ARow), v) ? v : 0;
}

void TkvDataGrid::SetNumValue(int ACol, int ARow, double Value) { SetCells(ACol, ARow, FloatToStr(Value)); }

// --- drawing ---

QString TkvDataGrid::DisplayText(int ACol, int, const QString& text) const {
    if (ACol < 0 || ACol >= FColumns->Count()) return text;
    const TColumn* c = FColumns->GetColumn(ACol);
    if (c->DisplayMask().isEmpty() || text.isEmpty()) return text;
    if (c->Format() == cfNumber) {
        double v = 0;
        if (TryStrToFloat(text, v)) return FormatFloat(c->DisplayMask(), v);
    } else if (c->Format() == cfDate) {
        QDateTime dt;
        if (TryStrToDateTime(text, dt)) return FormatDateTime(c->DisplayMask(), dt);
    }
    return text;
}

void TkvDataGrid::PaintCell(QPainter* painter, const QRect& rect, int ACol, int ARow, bool selected) {
    TGridDrawState st;
    st.Fixed = ACol < FFixedCols || ARow < FFixedRows;
    const bool current = ACol == Col() && ARow == Row();
    const bool rowSelected = (FOptions & goRowSelect) && ARow == Row();
    st.Selected = !st.Fixed && (selected || current || rowSelected);
    st.Focused = !st.Fixed && current && (hasFocus() || (FEditor && FEditor->hasFocus()));
    const QPalette& pal = palette();
    FCanvas.Painter = painter;
    FCanvas.Font = font();
    FCanvas.FontColor = pal.color(QPalette::Text);
    FCanvas.Brush = Color();
    if (st.Selected && (!st.Focused || (FOptions & (goDrawFocusSelected | goRowSelect)))) {
        FCanvas.Brush = pal.color(QPalette::Highlight);
        FCanvas.FontColor = pal.color(QPalette::HighlightedText);
    }
    if (st.Fixed) FCanvas.Brush = FFixedColor;
    DrawCell(ACol, ARow, rect, st);
    if (FDefaultDrawing) {
        if (st.Fixed) {
            // Raised edge of the fixed cells.
            painter->setPen(pal.color(QPalette::Light));
            painter->drawLine(rect.topLeft(), rect.topRight());
            painter->drawLine(rect.topLeft(), rect.bottomLeft());
            painter->setPen(pal.color(QPalette::Mid));
            painter->drawLine(rect.bottomLeft(), rect.bottomRight());
            painter->drawLine(rect.topRight(), rect.bottomRight());
        } else if (st.Focused && !(FOptions & goRowSelect)) {
            QPen pen(pal.color(QPalette::Highlight));
            pen.setWidth(1);
            painter->setPen(pen);
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(rect.adjusted(0, 0, -1, -1));
        }
    }
    FCanvas.Painter = nullptr;
}

void TkvDataGrid::DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) {
    QString text = Cells(ACol, ARow);
    TAlignment align = taLeftJustify;
    if (ACol < FColumns->Count()) {
        const TColumn* c = FColumns->GetColumn(ACol);
        align = c->Alignment();
        FCanvas.Font = c->Font();
        // The focused cell and a selected row keep the colours the grid chose.
        if (!(AState.Focused || (AState.Selected && (FOptions & goRowSelect)))) {
            FCanvas.FontColor = c->FontColor();
            FCanvas.Brush = c->Color();
        }
        if (!c->DisplayMask().isEmpty()) text = DisplayText(ACol, ARow, text);
        if (ARow < FFixedRows) {
            const TColumnTitle* t = c->Title();
            const QString caption = t->Caption();
            if (!caption.isEmpty()) text = caption;
            align = t->Alignment();
            FCanvas.Font = t->Font();
            FCanvas.FontColor = palette().color(QPalette::ButtonText);
        }
    }
    if (AState.Fixed) {
        FCanvas.Brush = FFixedColor;
        FCanvas.FontColor = palette().color(QPalette::ButtonText);
    }
    if (FDefaultDrawing) {
        if (BGImageActive() && !AState.Fixed) {
            DrawBGImage(*FCanvas.Painter, ARect, AState.Selected);
            FCanvas.Brush = QColor();
            if (AState.Selected || AState.Focused) FCanvas.FontColor = palette().color(QPalette::HighlightedText);
        }
        WriteCellText(ARect, 2, 2, text, align);
    }
    if (OnDrawCell) {
        // No message box from inside a paint: a failing handler is reported as a debug string.
        try {
            OnDrawCell(this, ACol, ARow, ARect, AState);
        } catch (...) {
            OutputDebugString(QStringLiteral("DrawCell %1/%2: %3").arg(ACol).arg(ARow).arg(ExceptionMessage(std::current_exception())));
        }
    }
}

void TkvDataGrid::WriteCellText(const QRect& ARect, int DX, int DY, const QString& Text, TAlignment Alignment) {
    QPainter* p = FCanvas.Painter;
    if (!p) return;
    FCanvas.FillRect(ARect);
    if (Text.isEmpty()) return;
    p->setFont(FCanvas.Font);
    p->setPen(FCanvas.FontColor);
    const QFontMetrics fm = p->fontMetrics();
    int x = ARect.left() + DX;
    if (Alignment != taLeftJustify) {
        const int w = fm.horizontalAdvance(Text);
        x = Alignment == taRightJustify ? ARect.right() + 1 - w - 3 : ARect.left() + ARect.width() / 2 - w / 2;
    }
    p->save();
    p->setClipRect(ARect, Qt::IntersectClip);
    p->drawText(x, ARect.top() + DY + fm.ascent(), Text);
    p->restore();
}

void TkvDataGrid::DrawMultiline(const QRect& ARect, const QString& S, TAlignment Align) {
    QPainter* p = FCanvas.Painter;
    if (!p) return;
    Qt::Alignment h = Qt::AlignLeft;
    if (Align == taRightJustify) h = Qt::AlignRight;
    else if (Align == taCenter) h = Qt::AlignHCenter;
    if (layoutDirection() == Qt::RightToLeft && h != Qt::AlignHCenter)
        h = h == Qt::AlignLeft ? Qt::AlignRight : Qt::AlignLeft;
    p->save();
    p->setFont(FCanvas.Font);
    p->setPen(FCanvas.FontColor);
    p->setClipRect(ARect, Qt::IntersectClip);
    p->drawText(ARect.adjusted(2, 2, -2, -2), int(h | Qt::AlignTop | Qt::TextWordWrap), S);
    p->restore();
}

void TkvDataGrid::DrawBGImage(QPainter& p, const QRect& rect, bool inverted) {
    if (!BGImageActive() || rect.isEmpty()) return;
    const int w = FBGImage.width(), h = FBGImage.height();
    // Tiles are anchored at the top-left corner of the visible area.
    const QPoint offset(((rect.left() % w) + w) % w, ((rect.top() % h) + h) % h);
    if (!inverted) {
        p.drawTiledPixmap(rect, FBGImage, offset);
        return;
    }
    QImage img = FBGImage.toImage();
    img.invertPixels();
    p.drawTiledPixmap(rect, QPixmap::fromImage(img), offset);
}

void TkvDataGrid::paintEvent(QPaintEvent* e) {
    QTableWidget::paintEvent(e);
    {
        QPainter p(viewport());
        PaintFixedBands(p);
    }
    if (!BGImageActive()) return;
    // The area beyond the last column and below the last row shows the picture too.
    int right = 0, bottom = 0;
    if (ColCount() > 0) right = columnViewportPosition(ColCount() - 1) + columnWidth(ColCount() - 1);
    if (RowCount() > 0) bottom = rowViewportPosition(RowCount() - 1) + rowHeight(RowCount() - 1);
    for (int c = ColCount() - 1; c >= 0 && isColumnHidden(c); --c)
        right = c > 0 ? columnViewportPosition(c - 1) + columnWidth(c - 1) : 0;
    QPainter p(viewport());
    const QRect client = viewport()->rect();
    if (right + 1 < client.width()) DrawBGImage(p, QRect(right + 1, 0, client.width() - right - 1, bottom), false);
    if (bottom + 1 < client.height()) DrawBGImage(p, QRect(0, bottom + 1, client.width(), client.height() - bottom - 1), false);
}

void TkvDataGrid::scrollContentsBy(int dx, int dy) {
    QTableWidget::scrollContentsBy(dx, dy);
    // The fixed cells and the anchored picture do not move with the content.
    if (BGImageActive() || FFixedCols > 0 || FFixedRows > 0) viewport()->update();
}
