#include "EQ10Export.h"

#include "Database.h"
#include "DebugWindow.h"
#include "Exceptions.h"
#include "StringList.h"
#include "SysUtils.h"
#include "kvStrUtils.h"

#include <algorithm>
#include <memory>

const char* const kEQ10HeaderLine =
    "SchulNR;Klasse;ASDJahrgang;SGL;SchuelerNr;Geschlecht;FoerdSP1;FoerdSP2;PruefOrdn;Fach;Vornote;"
    "NoteSchriftl;NoteMuendl;Note;Kursart;Bilingual;Feststellungspruefung;HSAbschluss";
const char* const kEQ10VersionLine = "Erzeugt mit Version 1.1.1.6";
const char* const kEQ10DiagnosticLine = "Tavex, Diagnoseausgabe";

int StatusCode(const QString& aText) {
    if (aText == QStringLiteral("Aktiv")) return kStatusAktiv;
    if (aText == QStringLiteral("Abgänger")) return kStatusAbgaenger;
    if (aText == QStringLiteral("Abschlüsse")) return kStatusAbschluesse;
    return kStatusUnknown;
}

QStringList StatusTexts() {
    return {QStringLiteral("Aktiv"), QStringLiteral("Abgänger"), QStringLiteral("Abschlüsse")};
}

QString SchuljahrText(int aYear, int aSection) {
    QString s = QStringLiteral("%1/%2.%3").arg(aYear).arg((aYear + 1) % 100, 2).arg(aSection);
    return s.replace(QLatin1Char(' '), QLatin1Char('0'));
}

void SplitSchuljahr(const QString& aText, int& aYear, int& aSection) {
    int year = 0;
    if (!TryStrToInt(aText.left(4), year))
        throw EConvertError(QStringLiteral("Der Abschnitt \"%1\" kann nicht gelesen werden. Er muss mit dem "
                                           "vierstelligen Schuljahr beginnen, z.B. 2023/24.2.")
                                .arg(aText));
    const QChar last = aText.at(aText.size() - 1);
    aYear = year;
    aSection = last.isDigit() && last.unicode() < 128 ? last.digitValue() : 1;
}

QString JahrgangText(const QString& aCheckedText) {
    QStringList quoted;
    for (QString token = FirstToken(aCheckedText, QLatin1Char(',')); !token.isEmpty();
         token = NextToken(aCheckedText, QLatin1Char(',')))
        quoted << QuotedStr(token);
    return quoted.join(QLatin1Char(','));
}

QString GeschlechtText(int aCode) {
    switch (aCode) {
    case 3: return QStringLiteral("m");
    case 4: return QStringLiteral("w");
    default: return {};
    }
}

QString ExportFileName(const QString& aDirectory) {
    QString dir = aDirectory;
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir + QStringLiteral("EQ10Export.txt");
}

QString DirectoryMissingText(const QString& aDirectory) {
    return QStringLiteral("Das Verzeichnis ") + aDirectory + QStringLiteral(" existiert nicht!");
}

QString OverwriteQuestionText(const QString& aFileName) {
    return QStringLiteral("Die Datei %1 existiert bereits.").arg(aFileName) +
           QStringLiteral("\nSoll die Datei überschrieben werden?");
}

QString ExportResultText(int aCount, const QString& aFileName) {
    return QString::number(aCount) + QStringLiteral(" Datensätze in die Datei ") + aFileName + QStringLiteral(" exportiert");
}

namespace {
const char* const kMainColumns =
    "SELECT S.SchulnrEigner, S.Name, LA.ASDSchulgliederung, LA.ASDJahrgang, S.Foerderschwerpunkt_ID, "
    "S.Foerderschwerpunkt2_ID, S.Vorname, S.ID, S.Geschlecht, LA.Jahr, LA.Abschnitt, SL.Fach_ID, SBK.FachKrz, "
    "LA.Klasse, SBK.Vornote, SBK.NoteSchriftlich, SBK.NoteMuendlich, SBK.NoteAbschluss, SL.Kursart, "
    "SL.NotenKrz, S.Status, S.Geloescht, LA.PruefOrdnung ";
const char* const kMainTables =
    "FROM Schueler S,SchuelerBKFaecher SBK, SchuelerLeistungsdaten SL, SchuelerLernabschnittsdaten LA WHERE ";
// A text that is never a class, so the first row always starts a class.
const char* const kNoClass = "$%&";

// Key of an ID value as the statement compares it: integral numbers by value.
QString idKey(const QVariant& v) {
    if (v.isNull() || !v.isValid()) return {};
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (ok && d == double(qint64(d))) return QString::number(qint64(d));
    return v.toString();
}

// As idKey, without building a text for the usual integral IDs.
bool integralId(const QVariant& v, qint64& aId) {
    double d;
    bool ok = true;
    switch (v.userType()) {
    case QMetaType::LongLong: d = double(*static_cast<const qlonglong*>(v.constData())); break;
    case QMetaType::Int: d = double(*static_cast<const int*>(v.constData())); break;
    default: d = v.toDouble(&ok);
    }
    if (!ok || d != double(qint64(d))) return false;
    aId = qint64(d);
    return true;
}

QString pairKey(qint64 aSchuelerId, const QString& aFachKey) {
    return QString::number(aSchuelerId) + QLatin1Char('|') + aFachKey;
}

// A query of its own on the connection string, freed when the operation ends.
std::unique_ptr<TADOQuery> ownQuery(const QString& connStr, const QString& sql) {
    auto q = std::make_unique<TADOQuery>();
    q->SetConnectionString(connStr);
    q->SetSQL(sql);
    q->Open();
    return q;
}
}  // namespace

TEQ10Export::TEQ10Export(const QString& aConnStr, int aSchulnr, QObject* parent)
    : QObject(parent), FConnStr(aConnStr), FSchulnr(aSchulnr) {
    conVeltra = new TADOConnection(this);
    conVeltra->setObjectName(QStringLiteral("conVeltra"));
    conVeltra->LoginPrompt = false;
    conVeltra->SetConnectionString(aConnStr);
    qryEQ10 = new TADOQuery(conVeltra, this);
    qryEQ10->setObjectName(QStringLiteral("qryEQ10"));
    qryFaecher = new TADOQuery(conVeltra, this);
    qryFaecher->setObjectName(QStringLiteral("qryFaecher"));
    qryFoerderSP = new TADOQuery(conVeltra, this);
    qryFoerderSP->setObjectName(QStringLiteral("qryFoerderSP"));
    qrySprachenfolge = new TADOQuery(conVeltra, this);
    qrySprachenfolge->setObjectName(QStringLiteral("qrySprachenfolge"));
    qrySprachenfolge->SetSQL(QStringLiteral(
        "Select * from SchuelerSprachenfolge where Schueler_ID=:Schueler_ID and Fach_ID=:Fach_ID"));
}

TEQ10Export::~TEQ10Export() = default;

QString TEQ10Export::schoolCondition(const QString& aPrefix) const {
    return FSchulnr != 0 ? aPrefix + QString::number(FSchulnr) : QString();
}

QString TEQ10Export::ReadSchulform() {
    auto q = ownQuery(FConnStr, QStringLiteral("Select SchulformNr from EigeneSchule") +
                                    schoolCondition(QStringLiteral(" WHERE SchulnrEigner = ")));
    return q->FieldByName(QStringLiteral("SchulformNr")).AsString();
}

void TEQ10Export::ReadSchuljahr(int& aSchuljahr, int& aAnzahlAbschnitte, int& aAnzJGSJahr) {
    auto q = ownQuery(FConnStr, QStringLiteral("Select Schuljahr, AnzahlAbschnitte, AnzJGS_Jahr from EigeneSchule") +
                                    schoolCondition(QStringLiteral(" WHERE SchulnrEigner = ")));
    aSchuljahr = q->FieldByName(QStringLiteral("Schuljahr")).AsInteger();
    aAnzahlAbschnitte = q->FieldByName(QStringLiteral("AnzahlAbschnitte")).AsInteger();
    aAnzJGSJahr = q->FieldByName(QStringLiteral("AnzJGS_Jahr")).AsInteger();
}

int TEQ10Export::ReadSchulNr() {
    auto q = ownQuery(FConnStr, QStringLiteral("Select SchulNr from EigeneSchule"));
    return q->FieldByName(QStringLiteral("SchulNr")).AsInteger();
}

QStringList TEQ10Export::ReadJahrgaenge() {
    auto q = ownQuery(FConnStr, QStringLiteral("Select ASDJahrgang from EigeneSchule_Jahrgaenge") +
                                    schoolCondition(QStringLiteral(" WHERE SchulnrEigner = ")));
    QStringList levels;
    const TField f = q->FieldByName(QStringLiteral("ASDJahrgang"));
    for (q->First(); !q->Eof(); q->Next()) levels << f.AsString();
    return levels;
}

QString TEQ10Export::FoerderKrz(const QVariant& aId) {
    // A pupil without a focus has no ID; it must not match a focus row by accident.
    if (aId.isNull() || !aId.isValid()) return {};
    if (!qryFoerderSP->Locate(QStringLiteral("ID"), aId)) return {};
    return qryFoerderSP->FieldByName(QStringLiteral("StatistikKrz")).AsString();
}

// The conditions of the main statement on the pupil alone.
QString TEQ10Export::pupilConditions(const TEQ10Selection& aSel) const {
    const QString filter = aSel.Schulform == QStringLiteral("25") ? QStringLiteral("AND S.ASDSchulform='R02' ") : QString();
    QString sql;
    if (FSchulnr != 0) sql += QStringLiteral("S.SchulnrEigner=%1 AND ").arg(FSchulnr);
    sql += QStringLiteral("S.Status=") + QString::number(aSel.Status) + QStringLiteral(" AND S.Geloescht<>'+' ") + filter +
           QStringLiteral("AND S.ASDJahrgang in (") + aSel.Jahrgang + QStringLiteral(")");
    return sql;
}

// The tables and every condition of the main statement, without its columns and order.
QString TEQ10Export::mainTablesAndConditions(const TEQ10Selection& aSel) const {
    QString sql = QString::fromLatin1(kMainTables) + pupilConditions(aSel) +
                  QStringLiteral(" AND S.ID = LA.Schueler_ID AND LA.Jahr = ") + QString::number(aSel.Schuljahr) +
                  QStringLiteral(" AND LA.Abschnitt = ") + QString::number(aSel.Abschnitt);
    if (FSchulnr != 0) sql += QStringLiteral(" AND S.SchulnrEigner = LA.SchulnrEigner");
    sql += QStringLiteral(" AND SBK.Fach_ID = SL.Fach_ID");
    if (FSchulnr != 0) sql += QStringLiteral(" AND S.SchulnrEigner = SBK.SchulnrEigner");
    sql += QStringLiteral(" AND LA.ID = SL.Abschnitt_ID AND S.ID = SBK.Schueler_ID");
    return sql;
}

QString TEQ10Export::MainStatement(const TEQ10Selection& aSel) const {
    return QString::fromLatin1(kMainColumns) + mainTablesAndConditions(aSel) +
           QStringLiteral(" ORDER BY S.Klasse, S.Name, S.Vorname ");
}

int TEQ10Export::countMainRows(const TEQ10Selection& aSel) {
    const TStatementResult r = RunStatement(*conVeltra, QStringLiteral("SELECT COUNT(*) ") + mainTablesAndConditions(aSel));
    return r.Rows.isEmpty() ? 0 : r.Rows.first().value(0).toInt();
}

void TEQ10Export::closeQueries() {
    qryEQ10->Close();
    qryFaecher->Close();
    qryFoerderSP->Close();
    qrySprachenfolge->Close();
    FSubjectsLoaded = FSequencesLoaded = false;
    FBilingual.clear();
    FReihenfolge.clear();
    FAssessmentById.clear();
    FLastPupilSubjects = nullptr;
}

// The first visible subject of that abbreviation decides, as a search from the top would.
void TEQ10Export::loadSubjectLanguages() {
    FSubjectsLoaded = true;
    FBilingual.clear();
    const TField krz = qryFaecher->FieldByName(QStringLiteral("FachKrz"));
    const TField sprache = qryFaecher->FieldByName(QStringLiteral("Unterichtssprache"));
    for (qryFaecher->First(); !qryFaecher->Eof(); qryFaecher->Next()) {
        if (krz.IsNull()) continue;
        const QString key = krz.AsString();
        if (!FBilingual.contains(key)) FBilingual.insert(key, !sprache.AsString().isEmpty());
    }
}

bool TEQ10Export::isBilingual(const QVariant& aFachKrz) {
    if (aFachKrz.isNull() || !aFachKrz.isValid()) return false;
    if (!FSubjectsLoaded) loadSubjectLanguages();
    return FBilingual.value(aFachKrz.toString(), false);
}

// One statement for every pupil the main statement can select (its conditions
// on the pupil), instead of one per record line; for every (pupil, subject) the
// first row returned counts, as in a look-up of that pair.
void TEQ10Export::loadLanguageSequences() {
    FSequencesLoaded = true;
    FReihenfolge.clear();
    FAssessmentById.clear();
    FLastPupilSubjects = nullptr;
    qrySprachenfolge->Close();
    qrySprachenfolge->SetSQL(QStringLiteral("Select Schueler_ID, Fach_ID, Reihenfolge from SchuelerSprachenfolge "
                                            "where Schueler_ID in (SELECT S.ID FROM Schueler S WHERE %1)")
                                 .arg(pupilConditions(FSelection)));
    qrySprachenfolge->SetForwardOnly(true);
    qrySprachenfolge->Open();
    const TField s = qrySprachenfolge->FieldByName(QStringLiteral("Schueler_ID"));
    const TField f = qrySprachenfolge->FieldByName(QStringLiteral("Fach_ID"));
    const TField r = qrySprachenfolge->FieldByName(QStringLiteral("Reihenfolge"));
    for (qrySprachenfolge->First(); !qrySprachenfolge->Eof(); qrySprachenfolge->Next()) {
        if (s.IsNull() || f.IsNull()) continue;
        const QVariant fach = f.Value();
        const bool isP = r.AsString() == QStringLiteral("P");
        qint64 fachId = 0;
        if (integralId(fach, fachId)) {
            QVector<QPair<qint64, bool>>& subjects = FAssessmentById[s.AsInteger()];
            const bool known = std::any_of(subjects.cbegin(), subjects.cend(),
                                           [fachId](const QPair<qint64, bool>& e) { return e.first == fachId; });
            if (!known) subjects.append({fachId, isP});
        } else {
            const QString key = pairKey(s.AsInteger(), idKey(fach));
            if (!FReihenfolge.contains(key)) FReihenfolge.insert(key, isP);
        }
    }
    qrySprachenfolge->Close();
}

bool TEQ10Export::isAssessmentExam(int aSchuelerId, const QVariant& aFachId) {
    if (aFachId.isNull() || !aFachId.isValid()) return false;
    if (!FSequencesLoaded) loadLanguageSequences();
    qint64 fachId = 0;
    if (integralId(aFachId, fachId)) {
        // The rows of a pupil come one after the other: look the pupil up once.
        if (!FLastPupilSubjects || FLastPupil != aSchuelerId) {
            const auto it = FAssessmentById.constFind(aSchuelerId);
            FLastPupil = aSchuelerId;
            FLastPupilSubjects = it == FAssessmentById.cend() ? &FNoSubjects : &it.value();
        }
        for (const auto& e : *FLastPupilSubjects)
            if (e.first == fachId) return e.second;
        return false;
    }
    return FReihenfolge.value(pairKey(aSchuelerId, idKey(aFachId)), false);
}

int TEQ10Export::WriteExportFile(const QString& aFileName, const TEQ10Selection& aSel, const TEQ10Progress& aProgress) {
    // Refused before anything is read or written: the statement would otherwise
    // select nothing meaningful or fail with a syntax error of the database.
    if (aSel.Status != kStatusAktiv && aSel.Status != kStatusAbgaenger && aSel.Status != kStatusAbschluesse)
        throw EConvertError(QStringLiteral("Unbekannter Status der Schüler. Bitte wählen Sie \"Aktiv\", \"Abgänger\" "
                                           "oder \"Abschlüsse\"."));
    if (aSel.Jahrgang.trimmed().isEmpty())
        throw EConvertError(QStringLiteral("Es ist kein Jahrgang ausgewählt. Bitte markieren Sie mindestens einen Jahrgang."));

    const int schulnr = FSchulnr != 0 ? FSchulnr : ReadSchulNr();
    int count = 0;
    int expected = 0;
    struct RunEnd {
        TEQ10Export* self;
        const TEQ10Progress& progress;
        int& maximum;
        ~RunEnd() {
            self->closeQueries();
            if (progress) progress(0, maximum);
        }
    } runEnd{this, aProgress, expected};

    TTextFile file(aFileName);
    file.WriteLn(QString::fromUtf8(aSel.Debug ? kEQ10DiagnosticLine : kEQ10VersionLine));
    file.WriteLn(QString::fromLatin1(kEQ10HeaderLine));

    FSelection = aSel;
    qryEQ10->Close();
    qryEQ10->SetSQL(MainStatement(aSel));
    SendToDebugWindow(qryEQ10->SQL());
    // Every row is visited once, in order: the rows are read as the loop goes
    // instead of all being held first; the progress bar's maximum is counted apart.
    // The result is the number of record lines written.
    qryEQ10->SetForwardOnly(true);
    qryEQ10->Open();

    qryFoerderSP->Close();
    qryFoerderSP->SetSQL(QStringLiteral("SELECT ID, StatistikKrz FROM K_Foerderschwerpunkt") +
                         schoolCondition(QStringLiteral(" WHERE SchulnrEigner=")));
    qryFoerderSP->Open();
    // Only a progress display needs the number of rows before the first one.
    if (aProgress) expected = countMainRows(aSel);
    qryFaecher->Close();
    qryFaecher->SetSQL(QStringLiteral("SELECT * FROM EigeneSchule_Faecher WHERE ") +
                       (FSchulnr != 0 ? QStringLiteral("SchulnrEigner=%1 and ").arg(FSchulnr) : QString()) +
                       QStringLiteral("Sichtbar = '+'"));
    qryFaecher->Open();
    FSubjectsLoaded = FSequencesLoaded = false;

    if (aProgress) aProgress(0, expected);
    qryEQ10->First();

    auto field = [this](const char* name) { return qryEQ10->FieldByName(QString::fromLatin1(name)); };
    const TField fId = field("ID"), fKlasse = field("Klasse"), fJahrgang = field("ASDJahrgang"),
                 fSgl = field("ASDSchulgliederung"), fGeschlecht = field("Geschlecht"),
                 fFoerder1 = field("Foerderschwerpunkt_ID"), fFoerder2 = field("Foerderschwerpunkt2_ID"),
                 fPruefOrdnung = field("PruefOrdnung"), fFachKrz = field("FachKrz"), fVornote = field("Vornote"),
                 fSchriftlich = field("NoteSchriftlich"), fMuendlich = field("NoteMuendlich"),
                 fAbschluss = field("NoteAbschluss"), fKursart = field("Kursart"), fFachId = field("Fach_ID"),
                 fName = field("Name"), fVorname = field("Vorname");

    QString lastKlasse = QString::fromLatin1(kNoClass);
    int lastId = -1;
    int nr = 0;
    int position = 0;
    const QString yes = QStringLiteral("J");
    while (!qryEQ10->Eof()) {
        if (aProgress) aProgress(++position, expected);
        WriteField(file, schulnr, false);
        const QString klasse = fKlasse.AsString();
        if (klasse != lastKlasse) {
            lastKlasse = klasse;
            nr = 0;
        }
        const int id = fId.AsInteger();
        if (id != lastId) {
            lastId = id;
            ++nr;
        }
        WriteField(file, fKlasse.Value(), false);
        WriteField(file, fJahrgang.Value(), false);
        WriteField(file, fSgl.Value(), false);
        WriteField(file, nr, false);
        WriteField(file, GeschlechtText(fGeschlecht.AsInteger()), false);
        WriteField(file, FoerderKrz(fFoerder1.Value()), false);
        WriteField(file, FoerderKrz(fFoerder2.Value()), false);
        WriteField(file, fPruefOrdnung.Value(), false);
        WriteField(file, fFachKrz.Value(), false);
        WriteField(file, fVornote.Value(), false);
        WriteField(file, fSchriftlich.Value(), false);
        WriteField(file, fMuendlich.Value(), false);
        WriteField(file, fAbschluss.Value(), false);
        WriteField(file, fKursart.Value(), false);
        WriteField(file, isBilingual(fFachKrz.Value()) ? yes : QString(), false);
        WriteField(file, isAssessmentExam(lastId, fFachId.Value()) ? yes : QString(), false);
        const QString pruefOrdnung = fPruefOrdnung.AsString();
        const QString abschluss = pruefOrdnung.contains(QStringLiteral("/10A"))   ? QStringLiteral("HSA")
                                  : pruefOrdnung.contains(QStringLiteral("/10B")) ? QStringLiteral("HSB")
                                                                                   : QString();
        if (aSel.Debug) {
            WriteField(file, abschluss, false);
            WriteField(file, fName.Value(), false);
            WriteField(file, fVorname.Value(), true);
        } else {
            WriteField(file, abschluss, true);
        }
        qryEQ10->Next();
        ++count;
    }
    file.CloseFile();
    return count;
}
