#include "frmExportEQ10.h"

#include "Database.h"
#include "Dialogs.h"
#include "Guards.h"
#include "KvUtils.h"
#include "VersionInfo.h"
#include "frmInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QStyle>

TfrmEQ10::TfrmEQ10(QWidget* Owner, const QString& aConnStr, const QString& aGroupDir, const QString& aPluginName,
                   int aSchulnr)
    : QDialog(Owner) {
    Q_UNUSED(aPluginName);
    // The form is laid out for Tahoma; where it is missing, a sans of similar
    // width keeps the captions inside their places.
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), {QStringLiteral("DejaVu Sans Condensed"),
                                                          QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    setupUi(this);
    setFixedSize(size());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // The memo reads as part of the form.
    QPalette pal = Memo1->palette();
    pal.setColor(QPalette::Base, palette().color(QPalette::Window));
    Memo1->setPalette(pal);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->document()->setDocumentMargin(0);
    JvCaptionButton1->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    JvDirectoryEdit1->DialogTitle = QStringLiteral("Ausgabeverzeichnis");

    connect(btnOk, &QPushButton::clicked, this, &TfrmEQ10::btnOkClick);
    btnOk->installEventFilter(this);
    connect(btnAbort, &QPushButton::clicked, this, &QDialog::reject);
    connect(JvCaptionButton1, &QToolButton::clicked, this, &TfrmEQ10::JvCaptionButton1Click);

    FExport = new TEQ10Export(aConnStr, aSchulnr, this);
    conVeltra = FExport->conVeltra;
    qryEQ10 = FExport->qryEQ10;
    qryFaecher = FExport->qryFaecher;
    qryFoerderSP = FExport->qryFoerderSP;
    qrySprachenfolge = FExport->qrySprachenfolge;

    try {
        build(aGroupDir);
    } catch (...) {
        // The dialog still opens, filled as far as it got.
        Dialogs::instance().MessageDlg(QStringLiteral("Fehler beim Erzeugen des Hauptfensters: ") +
                                           ExceptionMessage(std::current_exception()),
                                       TMsgDlgType::mtError, mbOK, QString(), TDlgPosition::ScreenCenter);
    }
}

TfrmEQ10::~TfrmEQ10() = default;

void TfrmEQ10::build(const QString& aGroupDir) {
    FConnStr = FExport->conVeltra->ConnectionString();
    FSchulnr = FExport->Schulnr();
    if (!aGroupDir.isEmpty()) {
        JvDirectoryEdit1->InitialDir = aGroupDir;
        JvDirectoryEdit1->SetText(aGroupDir);
    } else {
        const QString hostDir = QDir(QCoreApplication::applicationDirPath()).absolutePath() + QLatin1Char('/');
        JvDirectoryEdit1->InitialDir = hostDir;
        JvDirectoryEdit1->SetText(hostDir);
    }
    FSchulform = ReadSchulform();
    int anzahlAbschnitte = 0, anzJgsJahr = 0;
    ReadSchuljahr(FSchuljahr, anzahlAbschnitte, anzJgsJahr);
    const int sections = anzahlAbschnitte * anzJgsJahr;
    for (int year = FSchuljahr; year >= FSchuljahr - 4; --year)
        for (int s = 1; s <= sections; ++s) ComboBox1->addItem(SchuljahrText(year, s));
    ComboBox1->setCurrentIndex(ComboBox1->findText(SchuljahrText(FSchuljahr, sections)));
    ComboBox1->setEditText(SchuljahrText(FSchuljahr, sections));
    FillJahrgaenge();
    FillStatus();
}

int TfrmEQ10::Status() const { return StatusCode(ComboBox3->currentText()); }

int TfrmEQ10::Schuljahr() const {
    int year = 0, section = 0;
    SplitSchuljahr(ComboBox1->currentText(), year, section);
    return year;
}

int TfrmEQ10::Abschnitt() const {
    int year = 0, section = 0;
    SplitSchuljahr(ComboBox1->currentText(), year, section);
    return section;
}

QString TfrmEQ10::Jahrgang() const { return JahrgangText(JvCheckedComboBox1->Text()); }

QString TfrmEQ10::ReadSchulform() { return FExport->ReadSchulform(); }

void TfrmEQ10::ReadSchuljahr(int& aSchuljahr, int& aAnzahlAbschnitte, int& aAnzJGSJahr) {
    FExport->ReadSchuljahr(aSchuljahr, aAnzahlAbschnitte, aAnzJGSJahr);
}

int TfrmEQ10::ReadSchulNr() { return FExport->ReadSchulNr(); }

void TfrmEQ10::FillJahrgaenge() {
    const QString preset = FSchulform == QStringLiteral("25") ? QStringLiteral("04") : QStringLiteral("10");
    for (const QString& level : FExport->ReadJahrgaenge()) JvCheckedComboBox1->AddItem(level, level == preset);
}

void TfrmEQ10::FillStatus() {
    ComboBox3->addItems(StatusTexts());
    ComboBox3->setCurrentIndex(0);
}

QString TfrmEQ10::FoerderKrz(const QVariant& aId) { return FExport->FoerderKrz(aId); }

void TfrmEQ10::showProgress(int aPosition, int aMaximum) {
    // A range of 0..0 would turn the bar into a busy indicator.
    const int maximum = std::max(aMaximum, 1);
    if (ProgressBar1->maximum() != maximum) ProgressBar1->setMaximum(maximum);
    ProgressBar1->setValue(aPosition);
    // Paint about a hundred times per run, without letting other input in.
    const int step = std::max(aMaximum / 100, 1);
    if (aPosition == 0 || aPosition % step == 0) ProgressBar1->repaint();
}

void TfrmEQ10::WriteExportFile(const QString& aFileName) {
    TEQ10Selection sel;
    sel.Status = Status();
    sel.Schuljahr = Schuljahr();
    sel.Abschnitt = Abschnitt();
    sel.Jahrgang = Jahrgang();
    sel.Debug = Debug();
    sel.Schulform = FSchulform;
    int count = 0;
    {
        HourglassGuard hourglass;
        count = FExport->WriteExportFile(aFileName, sel, [this](int pos, int max) { showProgress(pos, max); });
    }
    Dialogs::instance().MessageDlg(ExportResultText(count, aFileName), TMsgDlgType::mtInformation, mbOK, QString(),
                                   TDlgPosition::ScreenCenter);
}

void TfrmEQ10::btnOkClick() {
    RunAction([this] {
        const QString dir = JvDirectoryEdit1->Text();
        if (dir.isEmpty() || !QFileInfo(dir).isDir()) {
            ErrorDlg(DirectoryMissingText(dir));
            return;
        }
        const QString fileName = ExportFileName(dir);
        if (QFileInfo::exists(fileName) && !ConfirmDlg(OverwriteQuestionText(fileName))) {
            JvDirectoryEdit1->setFocus();
            return;
        }
        WriteExportFile(fileName);
    });
}

void TfrmEQ10::btnOkMouseDown(Qt::KeyboardModifiers aModifiers) {
    SetDebug(aModifiers.testFlag(Qt::ControlModifier) && aModifiers.testFlag(Qt::AltModifier));
}

bool TfrmEQ10::eventFilter(QObject* watched, QEvent* event) {
    if (watched == btnOk && event->type() == QEvent::MouseButtonPress)
        btnOkMouseDown(static_cast<QMouseEvent*>(event)->modifiers());
    return QDialog::eventFilter(watched, event);
}

void TfrmEQ10::JvCaptionButton1Click() {
    RunAction([] { ShowInfoDlg(ModuleFileName()); });
}
