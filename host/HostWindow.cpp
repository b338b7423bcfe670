#include "HostWindow.h"

#include "Dialogs.h"
#include "Exceptions.h"
#include "Guards.h"
#include "PluginLoader.h"
#include "Registry.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QWidget* withBrowseButton(QLineEdit* edit, const QString& tip, std::function<void()> browse) {
    auto* box = new QWidget;
    auto* lay = new QHBoxLayout(box);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(edit);
    auto* btn = new QToolButton(box);
    btn->setText(QStringLiteral("…"));
    btn->setToolTip(tip);
    QObject::connect(btn, &QToolButton::clicked, box, [browse] { RunAction(browse); });
    lay->addWidget(btn);
    box->setFocusProxy(edit);  // the label's shortcut lands in the text field
    return box;
}
}  // namespace

THostWindow::THostWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Veltra"));
    setObjectName(QStringLiteral("HostWindow"));
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(16, 16, 16, 12);
    outer->setSpacing(12);

    auto* title = new QLabel(QStringLiteral("<b>Veltra</b> – Schulverwaltung: Erweiterungen"), central);
    QFont f = title->font();
    f.setPointSizeF(f.pointSizeF() * 1.3);
    title->setFont(f);
    outer->addWidget(title);

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    edtDatenbank = new QLineEdit(central);
    edtDatenbank->setObjectName(QStringLiteral("edtDatenbank"));
    edtDatenbank->setPlaceholderText(QStringLiteral("Data Source=/pfad/schule.db"));
    edtIntern = new QLineEdit(central);
    edtIntern->setObjectName(QStringLiteral("edtIntern"));
    edtIntern->setPlaceholderText(QStringLiteral("Data Source=/pfad/veltraintern.db"));
    edtGruppenDir = new QLineEdit(central);
    edtGruppenDir->setObjectName(QStringLiteral("edtGruppenDir"));
    edtSchulnr = new QSpinBox(central);
    edtSchulnr->setObjectName(QStringLiteral("edtSchulnr"));
    edtSchulnr->setRange(0, 999999);
    edtPlandatei = new QLineEdit(central);
    edtPlandatei->setObjectName(QStringLiteral("edtPlandatei"));
    edtKlasse = new QLineEdit(central);
    edtKlasse->setObjectName(QStringLiteral("edtKlasse"));
    edtKlasse->setMaxLength(20);

    form->addRow(QStringLiteral("&Datenbank:"), edtDatenbank);
    form->addRow(QStringLiteral("&Interne Datenbank:"), edtIntern);
    form->addRow(QStringLiteral("&Gruppenverzeichnis:"),
                 withBrowseButton(edtGruppenDir, QStringLiteral("Verzeichnis wählen"), [this] {
                     QString dir = edtGruppenDir->text();
                     if (Dialogs::instance().SelectDirectory(QStringLiteral("Gruppenverzeichnis"), dir))
                         edtGruppenDir->setText(dir);
                 }));
    form->addRow(QStringLiteral("&Schulnummer:"), edtSchulnr);
    form->addRow(QStringLiteral("&Plandatei:"),
                 withBrowseButton(edtPlandatei, QStringLiteral("Plandatei wählen"), [this] {
                     const QString file = Dialogs::instance().GetOpenFileName(
                         QStringLiteral("Plandatei öffnen"), edtPlandatei->text(),
                         QStringLiteral("Plandateien (*.wpl *.WPL);;Alle Dateien (*)"));
                     if (!file.isEmpty()) edtPlandatei->setText(file);
                 }));
    form->addRow(QStringLiteral("&Klasse:"), edtKlasse);
    outer->addLayout(form);

    auto* buttons = new QHBoxLayout;
    btnKonferenz = new QPushButton(QStringLiteral("&Zeugniskonferenz"), central);
    btnKonferenz->setObjectName(QStringLiteral("btnKonferenz"));
    btnStundenplan = new QPushButton(QStringLiteral("S&tundenplan"), central);
    btnStundenplan->setObjectName(QStringLiteral("btnStundenplan"));
    btnEQ10 = new QPushButton(QStringLiteral("&EQ10-Export"), central);
    btnEQ10->setObjectName(QStringLiteral("btnEQ10"));
    for (QPushButton* b : {btnKonferenz, btnStundenplan, btnEQ10}) {
        b->setMinimumHeight(36);
        buttons->addWidget(b);
    }
    outer->addLayout(buttons);
    outer->addStretch(1);
    setCentralWidget(central);
    statusBar()->showMessage(QStringLiteral("Erweiterungen aus %1").arg(HostDirectory()));

    connect(btnKonferenz, &QPushButton::clicked, this, [this] { RunAction([this] { btnKonferenzClick(); }); });
    connect(btnStundenplan, &QPushButton::clicked, this, [this] { RunAction([this] { btnStundenplanClick(); }); });
    connect(btnEQ10, &QPushButton::clicked, this, [this] { RunAction([this] { btnEQ10Click(); }); });

    resize(620, 340);
    LoadFields();
}

THostWindow::~THostWindow() {
    try {
        SaveFields();
    } catch (...) {
    }
}

QString THostWindow::RegistryKey() { return QStringLiteral("\\Software\\Veltra2000\\Host"); }

void THostWindow::LoadFields() {
    try {
        TRegistry reg;
        if (!reg.OpenKeyReadOnly(RegistryKey())) return;
        edtDatenbank->setText(reg.ReadString(QStringLiteral("Datenbank")));
        edtIntern->setText(reg.ReadString(QStringLiteral("InterneDatenbank")));
        edtGruppenDir->setText(reg.ReadString(QStringLiteral("Gruppenverzeichnis")));
        if (reg.ValueExists(QStringLiteral("Schulnummer"))) edtSchulnr->setValue(reg.ReadInteger(QStringLiteral("Schulnummer")));
        edtPlandatei->setText(reg.ReadString(QStringLiteral("Plandatei")));
        edtKlasse->setText(reg.ReadString(QStringLiteral("Klasse")));
    } catch (const ERegistryException&) {
        // A damaged value leaves the field empty; the user types it again.
    }
}

void THostWindow::SaveFields() const {
    TRegistry reg;
    if (!reg.OpenKey(RegistryKey(), true)) return;
    reg.WriteString(QStringLiteral("Datenbank"), edtDatenbank->text());
    reg.WriteString(QStringLiteral("InterneDatenbank"), edtIntern->text());
    reg.WriteString(QStringLiteral("Gruppenverzeichnis"), edtGruppenDir->text());
    reg.WriteInteger(QStringLiteral("Schulnummer"), edtSchulnr->value());
    reg.WriteString(QStringLiteral("Plandatei"), edtPlandatei->text());
    reg.WriteString(QStringLiteral("Klasse"), edtKlasse->text());
}

void THostWindow::btnKonferenzClick() {
    SaveFields();
    TPluginLoader loader(QStringLiteral("libzareduvad.so"));
    loader.CallZareduvadDialog(edtDatenbank->text(), edtIntern->text(), edtGruppenDir->text(), edtSchulnr->value());
}

void THostWindow::btnStundenplanClick() {
    SaveFields();
    TPluginLoader loader(QStringLiteral("libhoravia.so"));
    loader.CallKlassenPlanZeigen(edtPlandatei->text(), edtKlasse->text(), true);
}

void THostWindow::btnEQ10Click() {
    SaveFields();
    TPluginLoader loader(QStringLiteral("libtavex.so"));
    loader.CallExportEQ10(edtDatenbank->text(), edtGruppenDir->text(), edtSchulnr->value());
}
