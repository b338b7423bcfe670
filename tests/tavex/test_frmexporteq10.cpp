// The selection dialog driven offscreen: what it offers after construction,
// the Export button's checks and questions, and the diagnostic switch.
#include "Dialogs.h"
#include "EQ10Export.h"
#include "Eq10Fixture.h"
#include "VersionInfo.h"
#include "frmInfo.h"
#include "FormatSettings.h"
#include "KvUtils.h"
#include "TestSupport.h"
#include "frmExportEQ10.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

using namespace testing_support;
using namespace eq10_testing;

namespace {
class FrmEQ10Test : public ::testing::Test {
protected:
    void SetUp() override {
        dir = PrepareEq10Case("dlg_", db);
        file = dir + "/EQ10Export.txt";
    }

    std::unique_ptr<TfrmEQ10> open(int schulnr = 100, const QString& groupDir = QString("<dir>")) {
        auto dlg = std::make_unique<TfrmEQ10>(nullptr, db, groupDir == "<dir>" ? dir : groupDir, "libtavex.so", schulnr);
        dlg->show();
        QApplication::setActiveWindow(dlg.get());
        return dlg;
    }

    QByteArray firstLine() const { return readFile(file).split('\r').value(0); }

    FakeDialogs dialogs;
    QString dir, db, file;
};

TEST_F(FrmEQ10Test, OffersTheSchoolsSectionsStatesAndLevels) {
    auto dlg = open();
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.texts().join("\n").toStdString();
    EXPECT_EQ(dlg->windowTitle(), "EQ10/RK-Export");
    EXPECT_EQ(dlg->size(), QSize(426, 202));
    QStringList sections;
    for (int i = 0; i < dlg->ComboBox1->count(); ++i) sections << dlg->ComboBox1->itemText(i);
    EXPECT_EQ(sections, QStringList({"2023/24.1", "2023/24.2", "2022/23.1", "2022/23.2", "2021/22.1", "2021/22.2",
                                     "2020/21.1", "2020/21.2", "2019/20.1", "2019/20.2"}));
    EXPECT_EQ(dlg->ComboBox1->currentText(), "2023/24.2");
    EXPECT_EQ(dlg->Schuljahr(), 2023);
    EXPECT_EQ(dlg->Abschnitt(), 2);
    EXPECT_EQ(dlg->ComboBox3->currentText(), "Aktiv");
    EXPECT_EQ(dlg->ComboBox3->count(), 3);
    EXPECT_EQ(dlg->Status(), 2);
    EXPECT_EQ(dlg->JvCheckedComboBox1->Count(), 3);
    EXPECT_EQ(dlg->JvCheckedComboBox1->Text(), "10");
    EXPECT_EQ(dlg->Jahrgang(), "'10'");
    EXPECT_EQ(dlg->JvDirectoryEdit1->Text(), dir);
    EXPECT_FALSE(dlg->Debug());
    EXPECT_EQ(dlg->Memo1->toPlainText().split('\n').value(2), "die zentralen Klausuren) exportiert ");

    // Without a directory from the host the host program's folder is proposed.
    auto noDir = open(100, "");
    EXPECT_EQ(noDir->JvDirectoryEdit1->Text(), QCoreApplication::applicationDirPath() + "/");
}

TEST_F(FrmEQ10Test, SchoolForm25PresetsLevel04AndOtherLevelsCanBeChecked) {
    Exec(db, {"UPDATE EigeneSchule SET SchulformNr = '25'", "INSERT INTO EigeneSchule_Jahrgaenge VALUES ('04', 100)"});
    auto dlg = open();
    EXPECT_EQ(dlg->JvCheckedComboBox1->Text(), "04");
    TCheckedComboBox* levels = dlg->JvCheckedComboBox1;
    levels->SelectAll();
    EXPECT_EQ(dlg->Jahrgang(), "'05','10','EF','04'");
    levels->SetChecked(0, false);
    levels->InvertAll();
    EXPECT_EQ(levels->Text(), "05");
    levels->DeselectAll();
    EXPECT_EQ(dlg->Jahrgang(), "");
    QStringList captions;
    for (QAction* a : levels->ContextMenu()->actions()) captions << a->text();
    EXPECT_EQ(captions, QStringList({"&Select all", "&Deselect all", "&Invert all"}));
}

TEST_F(FrmEQ10Test, ConstructionErrorIsShownAndTheDialogStillOpens) {
    Exec(db, {"DROP TABLE EigeneSchule_Jahrgaenge"});
    auto dlg = open();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.startsWith("Fehler beim Erzeugen des Hauptfensters: ")) << dialogs.shown[0].text.toStdString();
    EXPECT_EQ(dialogs.shown[0].pos, TDlgPosition::ScreenCenter);
    EXPECT_EQ(dlg->ComboBox1->count(), 10);  // filled before the failing step
    EXPECT_EQ(dlg->ComboBox3->count(), 0);   // the steps after it are skipped
}

TEST_F(FrmEQ10Test, ExportButtonChecksDirectoryAsksBeforeOverwritingAndReports) {
    auto dlg = open();
    dlg->JvDirectoryEdit1->SetText(dir + "/fehlt");
    QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
    EXPECT_EQ(dialogs.lastText(), "Das Verzeichnis " + dir + "/fehlt existiert nicht!");
    EXPECT_EQ(dialogs.shown.last().type, TMsgDlgType::mtError);
    EXPECT_FALSE(QFile::exists(dir + "/fehlt/EQ10Export.txt"));

    dlg->JvDirectoryEdit1->SetText(dir);
    QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
    EXPECT_EQ(dialogs.lastText(), "8 Datensätze in die Datei " + file + " exportiert");
    EXPECT_EQ(dialogs.shown.last().pos, TDlgPosition::ScreenCenter);
    EXPECT_EQ(firstLine(), "Erzeugt mit Version 1.1.1.6");
    EXPECT_EQ(readFile(file).count("\r\n"), 10);
    EXPECT_EQ(dlg->ProgressBar1->value(), 0);
    EXPECT_TRUE(dlg->isVisible());

    writeFile(file, "alt\r\n");
    dialogs.answer(mrNo);
    const int before = dialogs.shown.size();
    QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
    ASSERT_EQ(dialogs.shown.size(), before + 1);
    EXPECT_EQ(dialogs.lastText(), "Die Datei " + file + " existiert bereits.\nSoll die Datei überschrieben werden?");
    EXPECT_EQ(readFile(file), QByteArray("alt\r\n"));
    EXPECT_EQ(QApplication::focusWidget(), dlg->JvDirectoryEdit1->Edit());

    dialogs.answer(mrYes);
    QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
    EXPECT_EQ(dialogs.lastText(), "8 Datensätze in die Datei " + file + " exportiert");
    EXPECT_EQ(firstLine(), "Erzeugt mit Version 1.1.1.6");
}

TEST_F(FrmEQ10Test, CtrlAltPressSwitchesTheDiagnosticVariantForTheNextRuns) {
    auto dlg = open();
    QTest::mouseClick(dlg->btnOk, Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(dlg->Debug());
    EXPECT_EQ(firstLine(), "Tavex, Diagnoseausgabe");

    // The keyboard leaves the switch as it is.
    dialogs.answer(mrYes);
    dlg->btnOk->setFocus();
    QTest::keyClick(dlg->btnOk, Qt::Key_Space);
    EXPECT_EQ(firstLine(), "Tavex, Diagnoseausgabe");

    dialogs.answer(mrYes);
    QTest::mouseClick(dlg->btnOk, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_FALSE(dlg->Debug());
    EXPECT_EQ(firstLine(), "Erzeugt mit Version 1.1.1.6");
}

TEST_F(FrmEQ10Test, UnusableChoicesAreRefusedWithoutWritingAFile) {
    auto dlg = open();
    struct Case {
        const char* name;
        std::function<void()> set;
        QString message;
    };
    const Case cases[] = {
        {"typed status", [&] { dlg->ComboBox3->setEditText("Beurlaubt"); }, "Unbekannter Status der Schüler"},
        {"empty section", [&] { dlg->ComboBox1->setEditText(""); }, "Der Abschnitt \"\" kann nicht gelesen werden"},
        {"no level", [&] { dlg->JvCheckedComboBox1->DeselectAll(); }, "Es ist kein Jahrgang ausgewählt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto fresh = open();
        dlg.swap(fresh);
        c.set();
        QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        EXPECT_TRUE(dialogs.lastText().startsWith(c.message)) << dialogs.lastText().toStdString();
        EXPECT_EQ(dialogs.shown.last().type, TMsgDlgType::mtError);
        EXPECT_FALSE(QFile::exists(file));
    }
}

TEST_F(FrmEQ10Test, InformationButtonShowsTheLibrarysInformationWindow) {
    auto dlg = open();
    QString caption, name;
    testing_support::ModalWatch<TInfoDlg> watch([&](TInfoDlg* info) {
        caption = info->windowTitle();
        name = info->Progname();
        info->reject();
    });
    QTest::mouseClick(dlg->JvCaptionButton1, Qt::LeftButton);
    EXPECT_EQ(watch.count(), 1);
    EXPECT_EQ(caption, "Info über ...");
    EXPECT_EQ(name, ReadVersionRecord(QCoreApplication::applicationFilePath()).value("ProductName"));
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

// Not a check: leaves a picture of the dialog for a person to look at.
TEST_F(FrmEQ10Test, GrabToPng) {
    const QString out = qEnvironmentVariable("VELTRA_GRAB_DIR");
    if (out.isEmpty()) GTEST_SKIP() << "VELTRA_GRAB_DIR nicht gesetzt";
    auto dlg = open();
    dlg->JvCheckedComboBox1->SetChecked(2, true);
    ASSERT_TRUE(dlg->grab().save(out + "/frmExportEQ10.png"));
}
}  // namespace
