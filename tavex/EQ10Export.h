#pragma once
// The EQ10 export without any window: reading the school's settings, turning a
// selection into the export file, and the small texts and conversions the
// dialog and the command line share.
#include <QHash>
#include <QObject>
#include <QPair>
#include <QVector>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

class TADOConnection;
class TADOQuery;

// Schueler.Status of the three states offered.
constexpr int kStatusAktiv = 2;
constexpr int kStatusAbgaenger = 9;
constexpr int kStatusAbschluesse = 8;
// The code of a status text of the list ("Aktiv", "Abgänger", "Abschlüsse"),
// compared exactly; kStatusUnknown for any other text.
constexpr int kStatusUnknown = -1;
int StatusCode(const QString& aText);
QStringList StatusTexts();

// 2023 and 2 give 2023/24.2; blanks of the short year become zeros (1999/00.1).
QString SchuljahrText(int aYear, int aSection);
// Section: the last character as a digit, 1 when it is none. Year: the first
// four characters as an integer; EConvertError when they are none (also for an
// empty text), so no export runs with a section that cannot be read.
void SplitSchuljahr(const QString& aText, int& aYear, int& aSection);
// The checked levels "10,EF" as the statement's list '10','EF'; empty for none.
QString JahrgangText(const QString& aCheckedText);
// 3 gives "m", 4 gives "w", every other code the empty text.
QString GeschlechtText(int aCode);

// The output file in a directory, and the texts of the export flow.
QString ExportFileName(const QString& aDirectory);
QString DirectoryMissingText(const QString& aDirectory);
QString OverwriteQuestionText(const QString& aFileName);
QString ExportResultText(int aCount, const QString& aFileName);

extern const char* const kEQ10HeaderLine;
extern const char* const kEQ10VersionLine;
extern const char* const kEQ10DiagnosticLine;

// What one export run writes: the dialog's choices and the school's form.
struct TEQ10Selection {
    int Status = kStatusAktiv;
    int Schuljahr = 0;
    int Abschnitt = 0;
    QString Jahrgang;  // the quoted list of JahrgangText
    bool Debug = false;
    QString Schulform;  // EigeneSchule.SchulformNr
};

// position, maximum: called once before the first row, once per row and with
// position 0 when the run ends (also after an error).
using TEQ10Progress = std::function<void(int aPosition, int aMaximum)>;

// The connection and the four queries of an export, for one school number
// (0: the host passed none, nothing is restricted by SchulnrEigner).
class TEQ10Export : public QObject {
    Q_OBJECT
public:
    TEQ10Export(const QString& aConnStr, int aSchulnr, QObject* parent = nullptr);
    ~TEQ10Export() override;

    int Schulnr() const { return FSchulnr; }

    // Each opens its own query on the connection string, reads the first row and frees it.
    QString ReadSchulform();
    void ReadSchuljahr(int& aSchuljahr, int& aAnzahlAbschnitte, int& aAnzJGSJahr);
    int ReadSchulNr();
    // EigeneSchule_Jahrgaenge.ASDJahrgang in the order returned.
    QStringList ReadJahrgaenge();

    // StatistikKrz of the special-needs focus with that ID in the open qryFoerderSP.
    QString FoerderKrz(const QVariant& aId);

    // The main statement for a selection.
    QString MainStatement(const TEQ10Selection& aSel) const;

    // Writes the file (beside it first, renamed into place after the last record,
    // so a failing run leaves an earlier file untouched) and returns the number
    // of record lines. Refuses an unknown status and an empty grade-level list
    // before anything is read or written.
    int WriteExportFile(const QString& aFileName, const TEQ10Selection& aSel, const TEQ10Progress& aProgress = {});

    TADOConnection* conVeltra = nullptr;
    TADOQuery* qryEQ10 = nullptr;
    TADOQuery* qryFaecher = nullptr;
    TADOQuery* qryFoerderSP = nullptr;
    TADOQuery* qrySprachenfolge = nullptr;

private:
    QString schoolCondition(const QString& aPrefix) const;
    QString pupilConditions(const TEQ10Selection& aSel) const;
    QString mainTablesAndConditions(const TEQ10Selection& aSel) const;
    void closeQueries();
    int countMainRows(const TEQ10Selection& aSel);
    void loadSubjectLanguages();
    void loadLanguageSequences();
    bool isBilingual(const QVariant& aFachKrz);
    bool isAssessmentExam(int aSchuelerId, const QVariant& aFachId);

    QString FConnStr;
    int FSchulnr = 0;
    TEQ10Selection FSelection;  // of the run in progress
    // Per-run caches of the row look-ups: FachKrz -> taught in another language;
    // (pupil, subject) -> Reihenfolge "P" in the first language-sequence row,
    // by number for integral subject IDs, else by the ID's text.
    bool FSubjectsLoaded = false;
    QHash<QString, bool> FBilingual;
    bool FSequencesLoaded = false;
    QHash<QString, bool> FReihenfolge;
    QHash<qint64, QVector<QPair<qint64, bool>>> FAssessmentById;  // pupil -> (subject, "P") in row order
    qint64 FLastPupil = 0;
    const QVector<QPair<qint64, bool>>* FLastPupilSubjects = nullptr;
    const QVector<QPair<qint64, bool>> FNoSubjects;
};
