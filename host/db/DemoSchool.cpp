#include "DemoSchool.h"

#include "Codec1252.h"
#include "HostSchema.h"
#include "Wpdb.h"
#include "uOptions.h"
#include "uPlandatei.h"
#include "uStdPlan.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>

#include <QMap>
#include <map>
#include <span>
#include <random>

namespace {

// Raw mt19937 output is the same on every platform (the distributions are not).
class Random {
public:
    explicit Random(quint32 seed) : FGen(seed) {}
    int below(int n) { return n <= 1 ? 0 : int(FGen() % quint32(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename C> const auto& pick(const C& c) { return c[below(int(std::size(c)))]; }

private:
    std::mt19937 FGen;
};

// One prepared INSERT per table, values bound by position.
class Inserter {
public:
    Inserter(TADOConnection& conn, const QString& table, const QStringList& columns)
        : FQuery(conn.Database()) {
        QStringList marks;
        for (int i = 0; i < columns.size(); ++i) marks.append(QStringLiteral("?"));
        FSql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        if (!FQuery.prepare(FSql)) throw EDatabaseError(FQuery.lastError().databaseText(), FSql);
    }
    void operator()(const QVariantList& values) {
        for (int i = 0; i < values.size(); ++i) FQuery.bindValue(i, values.at(i));
        if (!FQuery.exec()) throw EDatabaseError(FQuery.lastError().databaseText(), FSql);
        ++FCount;
    }
    int count() const { return FCount; }

private:
    QSqlQuery FQuery;
    QString FSql;
    int FCount = 0;
};

const QVariant Null;

struct Subject {
    int Id;
    const char* Krz;
    const char* Name;
    const char* Stat;
    int Group;  // Fachgruppe_ID
    int Sort;
    const char* Language;  // Unterichtssprache: taught in another language
};

// Subject groups: 1 languages, 2 social sciences, 3 mathematics and sciences,
// 4 arts, 5 religion, 6 sports, 7 other.
const Subject kSubjects[] = {
    {1, "D", "Deutsch", "D", 1, 10, ""},
    {2, "E", "Englisch", "E", 1, 20, ""},
    {3, "F", "Französisch", "F", 1, 30, ""},
    {4, "S", "Spanisch", "S", 1, 35, ""},
    {5, "L", "Latein", "L", 1, 40, ""},
    {6, "GL", "Gesellschaftslehre", "GL", 2, 50, ""},
    {7, "GE", "Geschichte", "GE", 2, 52, ""},
    {8, "EK", "Erdkunde", "EK", 2, 54, "E"},
    {9, "SW", "Sozialwissenschaften", "SW", 2, 56, ""},
    {10, "PL", "Philosophie", "PL", 2, 58, ""},
    {11, "M", "Mathematik", "M", 3, 60, ""},
    {12, "NW", "Naturwissenschaften", "NW", 3, 70, ""},
    {13, "BI", "Biologie", "BI", 3, 72, ""},
    {14, "CH", "Chemie", "CH", 3, 74, ""},
    {15, "PH", "Physik", "PH", 3, 76, ""},
    {16, "IF", "Informatik", "IF", 3, 78, ""},
    {17, "AL", "Arbeitslehre", "AL", 7, 80, ""},
    {18, "KU", "Kunst", "KU", 4, 90, ""},
    {19, "MU", "Musik", "MU", 4, 92, ""},
    {20, "ER", "Ev. Religionslehre", "ER", 5, 100, ""},
    {21, "KR", "Kath. Religionslehre", "KR", 5, 101, ""},
    {22, "PP", "Praktische Philosophie", "PP", 5, 102, ""},
    {23, "SP", "Sport", "SP", 6, 110, ""},
    {24, "AG", "Arbeitsgemeinschaft", "AG", 7, 120, ""},
    {25, "FÖ", "Förderunterricht", "FÖ", 7, 130, ""},
    {26, "DaZ", "Deutsch als Zweitsprache", "DZ", 1, 135, ""},
    {27, "VX", "Vertiefungskurs", "VX", 7, 140, ""},
    {28, "GLbili", "Gesellschaftslehre bilingual", "GL", 2, 51, "E"},
};

const Subject& subject(const char* krz) {
    for (const Subject& s : kSubjects)
        if (qstrcmp(s.Krz, krz) == 0) return s;
    throw EAssertionFailed(QStringLiteral("Fach %1 fehlt").arg(QString::fromUtf8(krz)), QStringLiteral("DemoSchool.cpp"), __LINE__);
}

const char* const kGrades[] = {"05", "06", "07", "08", "09", "10", "EF", "Q1", "Q2"};
constexpr int kGradeCount = 9;

bool isSekI(int grade) { return grade < 6; }

const char* const kSurnames[] = {
    "Müller", "Schmidt", "Schneider", "Fischer", "Weber", "Meyer", "Wagner", "Becker", "Schulz", "Hoffmann",
    "Schäfer", "Koch", "Bauer", "Richter", "Klein", "Wolf", "Schröder", "Neumann", "Schwarz", "Zimmermann",
    "Braun", "Krüger", "Hofmann", "Hartmann", "Lange", "Schmitt", "Werner", "Schmitz", "Krause", "Meier",
    "Lehmann", "Schmid", "Schulze", "Maier", "Köhler", "Herrmann", "König", "Walter", "Mayer", "Huber",
    "Kaiser", "Fuchs", "Peters", "Lang", "Scholz", "Möller", "Weiß", "Jung", "Hahn", "Schubert",
    "Vogel", "Friedrich", "Keller", "Günther", "Frank", "Berger", "Winkler", "Roth", "Beck", "Lorenz",
    "Baumann", "Franke", "Albrecht", "Schuster", "Simon", "Ludwig", "Böhm", "Winter", "Kraus", "Martin",
    "Yılmaz", "Kaya", "Demir", "Nowak", "Kowalski", "Papadopoulos", "Rossi", "O'Connor", "Al-Hassan", "Öztürk",
};
const char* const kBoys[] = {
    "Ben", "Paul", "Leon", "Finn", "Elias", "Jonas", "Luis", "Noah", "Felix", "Lukas", "Henry", "Maximilian",
    "Emil", "Anton", "Theo", "Moritz", "Jakob", "Liam", "Niklas", "David", "Tim", "Julian", "Jan", "Mats",
    "Can", "Emir", "Mehmet", "Mika", "Ole", "Karl",
};
const char* const kGirls[] = {
    "Emma", "Mia", "Hannah", "Emilia", "Sofia", "Lina", "Anna", "Marie", "Mila", "Lea", "Lena", "Clara",
    "Leonie", "Ella", "Amelie", "Luisa", "Johanna", "Frieda", "Lara", "Nele", "Maja", "Greta", "Paula",
    "Zoe", "Elif", "Ayşe", "Nina", "Sophie", "Laura", "Charlotte",
};

const char* const kTeachers[] = {
    "ABE", "BRA", "CEL", "DOR", "EHR", "FRI", "GOE", "HAN", "ISE", "JUN", "KAL", "LUE", "MAR", "NOW",
    "OST", "PET", "QUA", "ROS", "SAN", "THI", "ULR", "VOS", "WEN", "XAV", "YIL", "ZIM", "BEK", "DIE",
    "FEL", "GRA", "HEI", "KRE", "LOH", "MEI", "NEU", "POH",
};

const char* const kGradesSekI[] = {"1", "1-", "2+", "2", "2-", "3+", "3", "3-", "4+", "4", "4-", "5+", "5", "5-", "6"};

QString grade(Random& rnd, int ability) {
    // ability 0 (strong) .. 4 (weak) shifts the centre of the grades.
    const int centre = 2 + ability * 2;  // index into kGradesSekI
    const int i = std::clamp(centre + rnd.between(-3, 4), 0, int(std::size(kGradesSekI)) - 1);
    return QString::fromLatin1(kGradesSekI[i]);
}

// The course kind of a subject in a grade of the comprehensive school: levels
// E and G for the subjects that admit them, from the grade they start in.
QString levelFor(const char* krz, int grade, Random& rnd, int ability) {
    const QString k = QString::fromUtf8(krz);
    const bool eg = ((k == QLatin1String("M") || k == QLatin1String("E")) && grade >= 2) ||
                    (k == QLatin1String("D") && grade >= 3) ||
                    ((k == QLatin1String("CH") || k == QLatin1String("PH")) && grade >= 4);
    if (!eg) return QStringLiteral("PUK");
    return rnd.below(5) >= ability ? QStringLiteral("E") : QStringLiteral("G");
}

const char* const kRtfRemark =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Tahoma;}}\\viewkind4\\uc1\\pard\\lang1031\\f0\\fs16 "
    "%1 arbeitet im Unterricht \\b zuverl\\'e4ssig\\b0  mit.\\par }";

struct Pupil {
    int Id;
    QString Name;
    QString Vorname;
    int Geschlecht;
    int Grade;  // index into kGrades
    QString Klasse;
    int Ability;
    int Religion;  // subject id
    int Wp1;       // subject id of the WP I subject
    int Repeated = -1;  // grade index repeated, -1 none
    int Status = 2;
    QString Geloescht = QStringLiteral("-");
    int Foerder1 = 0;
    int Foerder2 = 0;
    bool NativeEnglish = false;
    int AgCount = 0;
    int ZuvCount = 0;
};

}  // namespace

QStringList DemoPhrases() {
    return {
        QStringLiteral("#lob=$Vorname$ hat sich im Unterricht stets engagiert beteiligt."),
        QStringLiteral("#ver=&Er%Sie& wird in die nächste Klasse versetzt."),
        QStringLiteral("#sozial=$Vorname$ $Name$ ist im Klassenverband gut integriert und hilft &seinen Mitschülern%ihren Mitschülerinnen& gern."),
        QStringLiteral("#ag=$Vorname$ nahm mit Erfolg an der Arbeitsgemeinschaft teil."),
        QStringLiteral("#fehl=&Er%Sie& fehlte häufig unentschuldigt."),
        QStringLiteral("#zitat=$Vorname$ sagte: 'Lernen macht Spaß.'"),
        QStringLiteral("#msa=$Vorname$ hat den Mittleren Schulabschluss erreicht."),
        QStringLiteral("#wdh=&Der Schüler%Die Schülerin& wiederholt die Jahrgangsstufe freiwillig."),
    };
}

TDemoSummary FillDemoSchool(TADOConnection& host, const TDemoOptions& options) {
    Random rnd(options.Seed);
    TDemoSummary summary;
    const int s = DemoSchulnr;
    host.BeginTrans();
    try {
        // School and its settings (INI text).
        QString ini = QStringLiteral("[Einstellungen]\r\nSchuljahresliste=%1\r\n\r\n[Farben]\r\n").arg(DemoSchuljahr - 3);
        const int colours[] = {0xC0FFC0, 0xFFE0C0, 0xC0E0FF, 0xFFC0FF, 0xC0FFFF, 0xE0E0E0, 0xA0D0F0};
        for (int g = 1; g <= 7; ++g) ini += QStringLiteral("%1=%2\r\n").arg(g).arg(colours[g - 1]);
        Inserter(host, QStringLiteral("EigeneSchule"),
                 {"SchulnrEigner", "SchulNr", "Bezeichnung1", "Ort", "Schulformkrz", "SchulformNr", "Schuljahr",
                  "SchuljahrAbschnitt", "AnzahlAbschnitte", "AnzJGS_Jahr", "Einstellungen"})(
            {s, s, QStringLiteral("Gesamtschule am Lindenhof"), QStringLiteral("Musterstadt"), QStringLiteral("GE"),
             QStringLiteral("15"), DemoSchuljahr, DemoAbschnitt, 2, 1, ini});

        Inserter jg(host, QStringLiteral("EigeneSchule_Jahrgaenge"), {"ID", "SchulnrEigner", "ASDJahrgang", "Bezeichnung", "SekStufe", "Sichtbar"});
        for (int g = 0; g < kGradeCount; ++g) {
            const QString sek = g < 6 ? QStringLiteral("SI") : QStringLiteral("SII-%1").arg(g - 5);
            jg({g + 1, s, QString::fromLatin1(kGrades[g]), QStringLiteral("Jahrgang %1").arg(QString::fromLatin1(kGrades[g])), sek, QStringLiteral("+")});
        }

        Inserter fa(host, QStringLiteral("EigeneSchule_Faecher"),
                    {"ID", "SchulnrEigner", "FachKrz", "Bezeichnung", "StatistikKrz", "Fachgruppe_ID", "Sichtbar",
                     "Sortierung", "SortierungS2", "Unterichtssprache"});
        for (const Subject& f : kSubjects)
            fa({f.Id, s, QString::fromUtf8(f.Krz), QString::fromUtf8(f.Name), QString::fromUtf8(f.Stat), f.Group,
                QStringLiteral("+"), f.Sort, 1000 - f.Sort, QString::fromLatin1(f.Language)});
        // A subject no longer taught: invisible.
        fa({99, s, QStringLiteral("TX"), QStringLiteral("Textilgestaltung"), QStringLiteral("TX"), 4, QStringLiteral("-"), 95, 95, QString()});

        Inserter ka(host, QStringLiteral("EigeneSchule_Kursart"), {"SchulnrEigner", "Kursart", "InternBez", "Bezeichnung"});
        const char* const kinds[][3] = {
            {"PUK", "PUK", "Pflichtunterricht im Klassenverband"}, {"E", "E", "Erweiterungskurs"},
            {"G", "G", "Grundkurs (Sek I)"}, {"WPI", "WP1", "Wahlpflichtbereich I"},
            {"WPII", "WP2", "Wahlpflichtbereich II"}, {"AGGT", "AG", "Arbeitsgemeinschaft im Ganztag"},
            {"ZUV", "ZU", "Zusatzunterricht"}, {"GKM", "GKm", "Grundkurs mündlich"},
            {"GKS", "GKs", "Grundkurs schriftlich"}, {"LK1", "LK1", "1. Leistungskurs"},
            {"LK2", "LK2", "2. Leistungskurs"}, {"VTF", "VTF", "Vertiefungskurs"}};
        for (const auto& k : kinds)
            ka({s, QString::fromLatin1(k[0]), QString::fromLatin1(k[1]), QString::fromUtf8(k[2])});

        Inserter fsp(host, QStringLiteral("K_Foerderschwerpunkt"), {"ID", "SchulnrEigner", "Bezeichnung", "StatistikKrz"});
        fsp({1, s, QStringLiteral("Lernen"), QStringLiteral("LE")});
        fsp({2, s, QStringLiteral("Emotionale und soziale Entwicklung"), QStringLiteral("ES")});
        fsp({3, s, QStringLiteral("Sprache"), QStringLiteral("SQ")});
        fsp({4, s, QStringLiteral("Hören und Kommunikation"), QStringLiteral("HK")});

        // Classes: about 28 pupils each; the upper school keeps one group per grade.
        const int perGrade = std::max(1, options.Pupils / kGradeCount);
        const int classesPerGrade = std::max(1, (perGrade + 27) / 28);
        Inserter ve(host, QStringLiteral("Versetzung"), {"ID", "SchulnrEigner", "Klasse", "KlassenlehrerKrz", "StvKlassenlehrerKrz", "Jahrgang_ID", "Sichtbar"});
        std::vector<std::vector<QString>> classesOf(kGradeCount);
        int classId = 0, teacher = 0;
        auto className = [](int g, int c) {
            if (!isSekI(g)) return QString::fromLatin1(kGrades[g]);
            QString letters;
            for (int n = c;; n = n / 26 - 1) {
                letters.prepend(QChar(u'a' + n % 26));
                if (n < 26) break;
            }
            return QString::fromLatin1(kGrades[g]) + letters;
        };
        for (int g = 0; g < kGradeCount; ++g) {
            const int count = isSekI(g) ? classesPerGrade : 1;
            for (int c = 0; c < count; ++c) {
                const QString k = className(g, c);
                classesOf[g].push_back(k);
                const QString kl = QString::fromLatin1(kTeachers[teacher++ % std::size(kTeachers)]);
                const QVariant stv = rnd.chance(60) ? QVariant(QString::fromLatin1(kTeachers[(teacher + 11) % std::size(kTeachers)])) : QVariant(QString());
                ve({++classId, s, k, kl, stv, g + 1, QStringLiteral("+")});
                summary.Classes.append(k);
            }
        }
        // Last year's leavers' class, no longer shown.
        ve({++classId, s, QStringLiteral("10x"), QStringLiteral("ALT"), QString(), 6, QStringLiteral("-")});

        // Pupils.
        std::vector<Pupil> pupils;
        const int total = std::max(options.Pupils, kGradeCount);
        for (int i = 0; i < total; ++i) {
            Pupil p;
            p.Id = i + 1;
            p.Grade = i % kGradeCount;
            const auto& classes = classesOf[p.Grade];
            p.Klasse = classes[(i / kGradeCount) % classes.size()];
            p.Geschlecht = rnd.chance(50) ? 3 : 4;
            p.Vorname = QString::fromUtf8(p.Geschlecht == 3 ? rnd.pick(kBoys) : rnd.pick(kGirls));
            p.Name = QString::fromUtf8(rnd.pick(kSurnames));
            p.Ability = rnd.between(0, 4);
            const int r = rnd.below(10);
            p.Religion = r < 4 ? 20 : r < 7 ? 21 : 22;
            const int w = rnd.below(4);
            p.Wp1 = w == 0 ? 3 : w == 1 ? 12 : w == 2 ? 17 : 18;  // F, NW, AL, KU
            // A repeated grade within the years the installation keeps.
            if (p.Grade >= 1 && rnd.chance(8)) p.Repeated = rnd.between(std::max(0, p.Grade - 2), p.Grade - 1);
            if (rnd.chance(6)) p.Foerder1 = rnd.between(1, 3);
            if (p.Foerder1 && rnd.chance(30)) p.Foerder2 = p.Foerder1 % 4 + 1;
            p.NativeEnglish = rnd.chance(5);
            p.AgCount = rnd.chance(35) ? rnd.between(1, 2) : 0;
            p.ZuvCount = rnd.chance(15) ? 1 : 0;
            pupils.push_back(p);
        }
        // Pupils the conference must leave out.
        if (pupils.size() > 12) {
            pupils[3].Geloescht = QStringLiteral("+");
            pupils[7].Status = 9;   // left the school
            pupils[11].Status = 6;  // external pupil: still listed
            pupils[5].NativeEnglish = true;  // grade 10: English assessed by exam
            pupils[8].Repeated = 7;          // repeated Q1
        }
        if (pupils.size() > 20) pupils[20].Repeated = 1;  // grade 07, repeated 06
        Inserter sc(host, QStringLiteral("Schueler"),
                    {"ID", "SchulnrEigner", "Name", "Vorname", "Geschlecht", "Status", "Geloescht", "Klasse",
                     "AktSchuljahr", "AktAbschnitt", "ASDJahrgang", "ASDSchulform", "Foerderschwerpunkt_ID",
                     "Foerderschwerpunkt2_ID"});
        for (const Pupil& p : pupils)
            sc({p.Id, s, p.Name, p.Vorname, p.Geschlecht, p.Status, p.Geloescht, p.Klasse, DemoSchuljahr,
                DemoAbschnitt, QString::fromLatin1(kGrades[p.Grade]), QStringLiteral("GE"),
                p.Foerder1 ? QVariant(p.Foerder1) : Null, p.Foerder2 ? QVariant(p.Foerder2) : Null});

        // Courses of the current section.
        Inserter ku(host, QStringLiteral("Kurse"), {"ID", "SchulnrEigner", "KurzBez", "Zeugnisbez", "Fach_ID", "Jahr", "Abschnitt", "Kursart", "LehrerKrz"});
        std::map<QString, int> courseIds;
        int courseId = 0;
        auto course = [&](const QString& kurz, const QString& zeugnis, int fach, const QString& kind, const QString& lehrer) {
            auto it = courseIds.find(kurz);
            if (it != courseIds.end()) return it->second;
            ku({++courseId, s, kurz, zeugnis, fach, DemoSchuljahr, DemoAbschnitt, kind, lehrer});
            courseIds[kurz] = courseId;
            return courseId;
        };
        const char* const ags[] = {"Robotik", "Schulchor", "Theater", "Schach", "Fußball", "Schülerzeitung"};

        Inserter la(host, QStringLiteral("SchuelerLernabschnittsdaten"),
                    {"ID", "SchulnrEigner", "Schueler_ID", "Jahr", "Abschnitt", "SemesterWertung", "Wiederholung",
                     "Klasse", "Jahrgang_ID", "ASDJahrgang", "ASDSchulgliederung", "PruefOrdnung", "SumFehlstd",
                     "SumFehlstdU", "AV_Leist", "AV_Zuv", "SV_Verant", "VersetzungKrz", "Abschluss", "ZeugnisBem",
                     "Gesamtnote_GS", "Gesamtnote_NW"});
        Inserter ld(host, QStringLiteral("SchuelerLeistungsdaten"),
                    {"ID", "SchulnrEigner", "Abschnitt_ID", "Fach_ID", "FachLehrer", "Kursart", "NotenKrz",
                     "Sortierung", "Hochrechnung", "Warnung", "Kurs_ID", "Fehlstd", "uFehlstd", "AufZeugnis"});
        Inserter bem(host, QStringLiteral("SchuelerLD_PSFachBem"), {"ID", "SchulnrEigner", "Abschnitt_ID", "LELS", "ASV"});
        Inserter zw(host, QStringLiteral("SchuelerZuweisungen"), {"Abschnitt_ID", "Fach_ID", "Kursart", "SchulnrEigner"});
        Inserter bk(host, QStringLiteral("SchuelerBKFaecher"),
                    {"ID", "SchulnrEigner", "Schueler_ID", "Fach_ID", "FachKrz", "Vornote", "NoteSchriftlich", "NoteMuendlich", "NoteAbschluss"});
        Inserter sf(host, QStringLiteral("SchuelerSprachenfolge"), {"ID", "SchulnrEigner", "Schueler_ID", "Fach_ID", "Reihenfolge", "ASDJahrgangVon"});

        int sectionId = 0, resultId = 0, remarkId = 0, bkId = 0, sfId = 0;
        for (const Pupil& p : pupils) {
            // Sections from the first year of the school settings (or the pupil's
            // entry into grade 05) up to the current one; a repeated grade gives one
            // more year, marked as repetition.
            struct Sec { int year, abschnitt, grade; bool repeat; };
            std::vector<std::pair<int, bool>> gradesBack;  // newest first
            for (int g = p.Grade; g >= 0; --g) {
                if (g == p.Repeated) gradesBack.push_back({g, true});
                gradesBack.push_back({g, false});
            }
            std::vector<Sec> secs;
            for (int k = 0; k < int(gradesBack.size()) && DemoSchuljahr - k >= DemoSchuljahr - 3; ++k) {
                const int year = DemoSchuljahr - k;
                for (int a = (k == 0 ? DemoAbschnitt : 2); a >= 1; --a)
                    secs.push_back({year, a, gradesBack[k].first, gradesBack[k].second});
            }
            std::reverse(secs.begin(), secs.end());
            for (const Sec& sec : secs) {
                const bool current = sec.year == DemoSchuljahr && sec.abschnitt == DemoAbschnitt;
                const int sid = ++sectionId;
                const QString asd = QString::fromLatin1(kGrades[sec.grade]);
                QString klasse = current ? p.Klasse : classesOf[sec.grade][p.Id % classesOf[sec.grade].size()];
                const bool sek1 = isSekI(sec.grade);
                QString po = sek1 ? QStringLiteral("APO-SI") : QStringLiteral("APO-GOSt");
                if (sec.grade == 5) po = p.Ability >= 3 ? QStringLiteral("APO-SI/10A") : QStringLiteral("APO-SI/10B");
                const int fehl = rnd.between(0, 40);
                const int unent = rnd.chance(70) ? 0 : rnd.between(0, fehl / 4);
                auto conduct = [&]() { return sek1 && rnd.chance(90) ? QVariant(QString::number(rnd.between(1, 3))) : Null; };
                QVariant vers = current ? QVariant(QString()) : QVariant(sec.abschnitt == 2 ? QStringLiteral("V") : QString());
                QVariant abschluss = QString();
                if (!current && sec.grade == 4 && sec.abschnitt == 2) abschluss = QStringLiteral("HA9");
                QVariant bemText = Null;
                const int kind = rnd.below(6);
                if (kind == 0) bemText = QString::fromLatin1(kRtfRemark).arg(p.Vorname);
                else if (kind == 1) bemText = QStringLiteral("%1 hat regelmäßig am Förderunterricht teilgenommen.").arg(p.Vorname);
                else if (kind == 2) bemText = QStringLiteral("%1 sagte: 'Schule macht Spaß!'").arg(p.Vorname);
                const bool lb = sek1;
                la({sid, s, p.Id, sec.year, sec.abschnitt, QStringLiteral("+"), sec.repeat ? QStringLiteral("+") : QStringLiteral("-"),
                    klasse, sec.grade + 1, asd, QStringLiteral("GE"), po, fehl, unent, conduct(), conduct(), conduct(),
                    vers, abschluss, bemText, lb ? QVariant(rnd.between(1, 5)) : Null, lb ? QVariant(rnd.between(1, 5)) : Null});
                ++summary.SectionRecords;

                // Subjects of the section.
                std::vector<std::pair<int, QString>> subjects;  // Fach_ID, Kursart
                auto add = [&](const char* krz, const QString& kindName) { subjects.push_back({subject(krz).Id, kindName}); };
                if (sek1) {
                    for (const char* krz : {"D", "E", "M"}) add(krz, levelFor(krz, sec.grade, rnd, p.Ability));
                    add(p.Id % 7 == 0 ? "GLbili" : "GL", QStringLiteral("PUK"));
                    if (sec.grade < 2) add("NW", QStringLiteral("PUK"));
                    else for (const char* krz : {"BI", "CH", "PH"}) add(krz, levelFor(krz, sec.grade, rnd, p.Ability));
                    for (const char* krz : {"KU", "MU", "SP"}) add(krz, QStringLiteral("PUK"));
                    subjects.push_back({p.Religion, QStringLiteral("PUK")});
                    if (sec.grade >= 1) subjects.push_back({p.Wp1, QStringLiteral("WPI")});
                    if (sec.grade >= 3) add(p.Id % 2 ? "IF" : "S", QStringLiteral("WPII"));
                    for (int a = 0; a < p.AgCount; ++a) add("AG", QStringLiteral("AGGT"));
                    if (p.ZuvCount) add(p.Id % 3 ? "FÖ" : "DaZ", QStringLiteral("ZUV"));
                } else {
                    const bool q = sec.grade > 6;
                    add("D", q && p.Id % 2 ? QStringLiteral("LK1") : QStringLiteral("GKS"));
                    add("M", q && p.Id % 2 == 0 ? QStringLiteral("LK1") : QStringLiteral("GKS"));
                    add("E", q ? QStringLiteral("LK2") : QStringLiteral("GKS"));
                    for (const char* krz : {"GE", "SW", "BI", "PH", "KU", "SP", "IF"}) add(krz, QStringLiteral("GKM"));
                    subjects.push_back({p.Religion == 22 ? subject("PL").Id : p.Religion, QStringLiteral("GKM")});
                    if (sec.grade == 6) add("VX", QStringLiteral("VTF"));
                }
                int agNo = 0;
                for (const auto& [fachId, kursart] : subjects) {
                    const Subject* f = nullptr;
                    for (const Subject& x : kSubjects)
                        if (x.Id == fachId) f = &x;
                    const QString krz = QString::fromUtf8(f->Krz);
                    const QString lehrer = QString::fromLatin1(kTeachers[(fachId * 7 + sec.grade * 3 + p.Id % 2) % std::size(kTeachers)]);
                    QVariant kursId = Null;
                    if (current && (kursart == QLatin1String("WPI") || kursart == QLatin1String("WPII")))
                        kursId = course(QStringLiteral("%1-%2-%3").arg(krz, kursart, asd), QStringLiteral("%1 (%2)").arg(QString::fromUtf8(f->Name), kursart), fachId, kursart, lehrer);
                    if (current && kursart == QLatin1String("AGGT")) {
                        const QString ag = QString::fromUtf8(ags[(p.Id + agNo++) % std::size(ags)]);
                        kursId = course(QStringLiteral("AG-%1").arg(ag), QStringLiteral("AG %1").arg(ag), fachId, kursart, lehrer);
                    }
                    // Completed subjects: art ends with the first half of grade 10, and
                    // in Q2 a course of Q1 is carried as completed.
                    int hochrechnung = 0;
                    if ((sec.grade == 5 && krz == QLatin1String("KU")) || (sec.grade == 8 && krz == QLatin1String("IF"))) hochrechnung = -1;
                    QString note = grade(rnd, p.Ability);
                    const bool warn = current && (note.startsWith(QLatin1Char('5')) || note.startsWith(QLatin1Char('6'))) && rnd.chance(60);
                    QVariant noteValue = note;
                    if (current && rnd.chance(4) && hochrechnung == 0) noteValue = QString();  // not yet entered
                    const int fs = rnd.chance(50) ? rnd.between(0, 8) : 0;
                    ld({++resultId, s, sid, fachId, lehrer, kursart, noteValue, f->Sort, hochrechnung,
                        warn ? QStringLiteral("+") : QStringLiteral("-"), kursId, fs, fs ? rnd.between(0, fs / 2) : 0,
                        kursart == QLatin1String("ZUV") ? QStringLiteral("-") : QStringLiteral("+")});
                    ++summary.Results;
                    if (current && (kursart == QLatin1String("E") || kursart == QLatin1String("G")))
                        zw({sid, fachId, kursart, s});
                }
                if (current && rnd.chance(40)) {
                    const QVariant lels = rnd.chance(50) ? QVariant(QString::fromLatin1(kRtfRemark).arg(p.Vorname))
                                                         : QVariant(QStringLiteral("Lern- und Arbeitsverhalten: %1 arbeitet selbstständig.").arg(p.Vorname));
                    bem({++remarkId, s, sid, lels, QStringLiteral("%1 übernimmt Verantwortung im Klassenrat.").arg(p.Vorname)});
                }
            }
            // Exam data of grade 10: the central exams in D, M, E.
            if (p.Grade == 5) {
                for (const char* krz : {"D", "M", "E"}) {
                    const QString vn = QString::number(rnd.between(1, 5));
                    const QString sn = QString::number(rnd.between(1, 6));
                    const QVariant mn = rnd.chance(25) ? QVariant(QString::number(rnd.between(1, 5))) : QVariant(QString());
                    bk({++bkId, s, p.Id, subject(krz).Id, QString::fromLatin1(krz), vn, sn, mn, vn});
                }
            }
            // Language sequence: English from grade 05 ("P": assessed by exam instead), French as WP I.
            if (p.NativeEnglish) sf({++sfId, s, p.Id, subject("E").Id, QStringLiteral("P"), QStringLiteral("05")});
            else sf({++sfId, s, p.Id, subject("E").Id, QStringLiteral("1"), QStringLiteral("05")});
            if (p.Wp1 == subject("F").Id) sf({++sfId, s, p.Id, p.Wp1, QStringLiteral("2"), QStringLiteral("06")});
        }
        summary.Pupils = int(pupils.size());

        Inserter fl(host, QStringLiteral("Floskeln"), {"SchulnrEigner", "Kuerzel", "FloskelText"});
        for (const QString& entry : DemoPhrases()) {
            const int eq = entry.indexOf(QLatin1Char('='));
            fl({s, entry.left(eq), entry.mid(eq + 1)});
        }
        host.CommitTrans();
    } catch (...) {
        if (host.InTransaction()) host.RollbackTrans();
        throw;
    }
    return summary;
}

void FillDemoIntern(TADOConnection& intern) {
    intern.BeginTrans();
    try {
        Inserter op(intern, QStringLiteral("PruefOrd_Optionen"),
                    {"ID", "OP_Schulformen", "OP_Jahrgaenge", "OP_Reihenfolge", "OP_Art", "OP_POKrz",
                     "OP_Bildungsgang", "OP_BKAnl_Typ", "OP_Krz", "OP_Bezeichnung"});
        struct Row { const char* forms; const char* grades; int order; const char* po; const char* krz; const char* name; };
        const Row rows[] = {
            {"-GE-H-", "-09-", 1, "APO-SI", "HA9", "Hauptschulabschluss nach Klasse 9"},
            {"-GE-H-", "-10-", 1, "APO-SI/10A", "HA10", "Hauptschulabschluss nach Klasse 10"},
            {"-GE-H-", "-10-", 2, "APO-SI/10A", "OA", "ohne Abschluss"},
            {"-GE-H-R-", "-10-", 1, "APO-SI/10B", "MSA", "Mittlerer Schulabschluss (Fachoberschulreife)"},
            {"-GE-H-R-", "-10-", 2, "APO-SI/10B", "MSA-Q", "Fachoberschulreife mit Qualifikation"},
            {"-GE-H-R-", "-10-", 3, "APO-SI/10B", "HA10", "Hauptschulabschluss nach Klasse 10"},
            {"-GE-GY-", "-Q1-", 1, "APO-GOSt", "FHR-S", "schulischer Teil der Fachhochschulreife"},
            {"-GE-GY-", "-Q2-", 1, "APO-GOSt", "ABI", "Allgemeine Hochschulreife"},
            {"-GE-GY-", "-EF-", 1, "APO-GOSt", "MSA-Q", "Fachoberschulreife mit Qualifikation"},
            {"-BK-", "-11-12-", 1, "APO-BK-A", "FHR", "Fachhochschulreife"},
        };
        int id = 0;
        for (const Row& r : rows)
            op({++id, QString::fromLatin1(r.forms), QString::fromLatin1(r.grades), r.order, QStringLiteral("A"),
                QString::fromLatin1(r.po), QStringLiteral("A"), QStringLiteral("-A01-A02-"), QString::fromLatin1(r.krz),
                QString::fromUtf8(r.name)});
        intern.CommitTrans();
    } catch (...) {
        if (intern.InTransaction()) intern.RollbackTrans();
        throw;
    }
}

TDemoInstallation DemoInstallationIn(const QString& dir) {
    TDemoInstallation inst;
    inst.Dir = QDir(dir).absolutePath();
    inst.HostDb = QDir(inst.Dir).filePath(QStringLiteral("veltra.db"));
    inst.InternDb = QDir(inst.Dir).filePath(QStringLiteral("intern.db"));
    inst.GroupDir = QDir(inst.Dir).filePath(QStringLiteral("gruppe"));
    inst.PlanFile = QDir(inst.Dir).filePath(QStringLiteral("stundenplan.wpl"));
    inst.HostConnectionString = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1").arg(inst.HostDb);
    inst.InternConnectionString = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1").arg(inst.InternDb);
    return inst;
}

bool DemoInstallationExists(const QString& dir) { return QFileInfo(DemoInstallationIn(dir).HostDb).isFile(); }

namespace {

// Builds a database beside its final name and renames it into place.
template <typename Fill>
void buildDatabase(const QString& path, TSchemaKind kind, Fill fill) {
    const QString temp = path + QStringLiteral(".neu");
    QFile::remove(temp);
    {
        QFile f(temp);
        if (!f.open(QIODevice::WriteOnly))
            throw EInOutError(QStringLiteral("Die Datei %1 kann nicht angelegt werden.").arg(QDir::toNativeSeparators(temp)));
    }
    try {
        TADOConnection conn(QStringLiteral("Data Source=") + temp);
        CreateSchema(conn, kind);
        fill(conn);
        conn.Close();
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
    QFile::remove(path);
    if (!QFile::rename(temp, path))
        throw EInOutError(QStringLiteral("Die Datei %1 kann nicht geschrieben werden.").arg(QDir::toNativeSeparators(path)));
}

}  // namespace

void WriteDemoPlan(const QString& path, const QStringList& classes, quint32 seed) {
    Random rnd(seed ^ 0x5717u);
    // Rooms: a home room per class, then the special rooms.
    QStringList rooms;
    for (int i = 0; i < classes.size(); ++i) rooms << QStringLiteral("R%1").arg(101 + i);
    const QMap<QString, QString> special{{QStringLiteral("PH"), QStringLiteral("PH1")}, {QStringLiteral("CH"), QStringLiteral("CH1")},
                                         {QStringLiteral("BI"), QStringLiteral("BI1")}, {QStringLiteral("SP"), QStringLiteral("TH1")},
                                         {QStringLiteral("MU"), QStringLiteral("MU1")}, {QStringLiteral("KU"), QStringLiteral("KU1")},
                                         {QStringLiteral("IF"), QStringLiteral("IF1")}};
    for (const QString& r : special) rooms << r;
    // Weekly periods per subject of a class.
    const std::pair<const char*, int> lessonsSekI[] = {{"D", 4}, {"M", 4}, {"E", 4}, {"GL", 3}, {"BI", 2}, {"PH", 2},
                                                        {"CH", 1}, {"SP", 3}, {"MU", 2}, {"KU", 2}, {"KR", 2}, {"IF", 1}};
    const std::pair<const char*, int> lessonsSekII[] = {{"D", 3}, {"M", 3}, {"E", 3}, {"BI", 3}, {"PH", 3}, {"CH", 3},
                                                         {"SP", 2}, {"KR", 2}, {"GE", 3}, {"IF", 3}, {"KU", 2}, {"MU", 2}};
    QStringList subjects;
    for (const Subject& f : kSubjects) subjects << QString::fromUtf8(f.Krz);

    constexpr int days = 5, periods = 8;
    // Lessons: (class, day, period) -> (teacher, subject, room), no teacher or room twice at once.
    struct Lesson { int teacher = -1, subject = -1, room = -1; };
    std::vector<std::array<std::array<Lesson, periods>, days>> plan(size_t(classes.size()));
    std::vector<std::array<std::array<bool, periods>, days>> teacherBusy(std::size(kTeachers)), roomBusy(size_t(rooms.size()));
    for (auto& t : teacherBusy) for (auto& d : t) d.fill(false);
    for (auto& r : roomBusy) for (auto& d : r) d.fill(false);
    for (int c = 0; c < classes.size(); ++c) {
        // Grades 05-10 are named by their digits, the upper school EF, Q1, Q2.
        const bool upper = classes[c].isEmpty() || !classes[c].at(0).isDigit();
        QList<QString> week;
        for (const auto& [krz, n] : upper ? std::span(lessonsSekII) : std::span(lessonsSekI))
            if (subjects.contains(QString::fromLatin1(krz)))
                for (int i = 0; i < n; ++i) week << QString::fromLatin1(krz);
        // Mornings first: periods 1-6 every day, then the afternoons.
        QList<std::pair<int, int>> freeSlots;
        for (int p = 0; p < periods; ++p)
            for (int d = 0; d < days; ++d) freeSlots << std::pair(d, p);
        for (int i = int(week.size()) - 1; i > 0; --i) week.swapItemsAt(i, rnd.below(i + 1));
        int next = 0;
        for (const QString& krz : week) {
            const int subject = int(subjects.indexOf(krz));
            // Each subject of a class has one teacher, chosen by the seed.
            quint32 h = 0;
            for (QChar ch : krz) h = h * 31u + ch.unicode();
            const int preferred = int((h + quint32(c) * 7u + seed) % std::size(kTeachers));
            for (; next < freeSlots.size(); ++next) {
                const auto [d, p] = freeSlots[next];
                int teacher = -1;
                for (int k = 0; k < int(std::size(kTeachers)) && teacher < 0; ++k) {
                    const int t = (preferred + k) % int(std::size(kTeachers));
                    if (!teacherBusy[size_t(t)][size_t(d)][size_t(p)]) teacher = t;
                }
                if (teacher < 0) continue;
                int room = c;
                if (special.contains(krz)) {
                    const int r = int(rooms.indexOf(special.value(krz)));
                    if (!roomBusy[size_t(r)][size_t(d)][size_t(p)]) room = r;
                }
                teacherBusy[size_t(teacher)][size_t(d)][size_t(p)] = true;
                roomBusy[size_t(room)][size_t(d)][size_t(p)] = true;
                plan[size_t(c)][size_t(d)][size_t(p)] = {teacher, subject, room};
                ++next;
                break;
            }
        }
    }

    // The plan file is built beside and renamed.
    const QString temp = path + QStringLiteral(".neu");
    QFile::remove(temp);
    TVeltraplanOptions& o = VeltraplanOptions();
    const int16_t savedDays = o.TageProWoche, savedPeriods = o.StundenProTag;
    o.TageProWoche = days;
    o.StundenProTag = periods;
    int status = 0;
    {
        TWplFile f(temp, 2);
        status = f.Status();
        if (status == 0) {
            TSchulDaten sd;
            sd.Init();
            sd.Schulnummer = DemoSchulnr;
            sd.Jahr = DemoSchuljahr;
            sd.Abschnitt = DemoAbschnitt;
            sd.AnzAbschnitte = 2;
            sd.SchulBez1 = QStringLiteral("Gesamtschule am Lindenhof");
            sd.Strasse = QStringLiteral("Lindenhofweg 12");
            sd.Plz = QStringLiteral("12345");
            sd.Ort = QStringLiteral("Musterstadt");
            sd.Schulform = QStringLiteral("GE");
            f.SetSchuldaten(sd);
            const QString savedComment = o.kommentar, savedForm = o.Schulform;
            o.kommentar = QStringLiteral("Stundenplan %1/%2").arg(DemoSchuljahr).arg((DemoSchuljahr + 1) % 100, 2, 10, QLatin1Char('0'));
            o.Schulform = QStringLiteral("GE");
            f.WriteOptions();
            o.kommentar = savedComment;
            o.Schulform = savedForm;
            auto names = [&f](TKueart k, const QStringList& list) {
                for (int i = 0; i < list.size() && i < KueRecords(k) - 2; ++i) f.WriteKuerzel(k, int16_t(i + 1), tKueStr::fromString(list[i]));
            };
            QStringList teachers;
            for (const char* t : kTeachers) teachers << QString::fromLatin1(t);
            names(leh, teachers);
            names(kla, classes);
            names(rau, rooms);
            names(fac, subjects);
            const int16_t le = KueFirst[leh], kl = KueFirst[kla], ra = KueFirst[rau], fa = KueFirst[fac];
            std::vector<TStdPlan> lp(std::size(kTeachers)), kp(size_t(classes.size())), rp(size_t(rooms.size()));
            for (size_t t = 0; t < lp.size(); ++t) { lp[t].Kuerzel = int16_t(le + 1 + int(t)); lp[t].Init(); }
            for (size_t c = 0; c < kp.size(); ++c) { kp[c].Kuerzel = int16_t(kl + 1 + int(c)); kp[c].Init(); }
            for (size_t r = 0; r < rp.size(); ++r) { rp[r].Kuerzel = int16_t(ra + 1 + int(r)); rp[r].Init(); }
            for (size_t c = 0; c < kp.size(); ++c)
                for (int d = 0; d < days; ++d)
                    for (int p = 0; p < periods; ++p) {
                        const Lesson& l = plan[c][size_t(d)][size_t(p)];
                        if (l.teacher < 0) continue;
                        const int16_t t = int16_t(le + 1 + l.teacher), k = int16_t(kl + 1 + int(c)),
                                      sub = int16_t(fa + 1 + l.subject), r = int16_t(ra + 1 + l.room);
                        kp[c].cell(p + 1, d + 1).partner = {t, sub, r, le};
                        lp[size_t(l.teacher)].cell(p + 1, d + 1).partner = {k, sub, r, le};
                        rp[size_t(l.room)].cell(p + 1, d + 1).partner = {t, k, sub, le};
                    }
            for (auto* list : {&lp, &kp, &rp})
                for (TStdPlan& pl : *list) {
                    pl.LastMod = 0;
                    const TKueart k = pl.PlanTyp();
                    f.PutPlanVar(k, pl.Kuerzel - KueFirst[k], pl, 1);
                }
        }
    }
    o.TageProWoche = savedDays;
    o.StundenProTag = savedPeriods;
    if (status != 0) {
        QFile::remove(temp);
        throw EInOutError(QStringLiteral("Die Plandatei %1 kann nicht geschrieben werden.").arg(QDir::toNativeSeparators(path)));
    }
    QFile::remove(path);
    if (!QFile::rename(temp, path))
        throw EInOutError(QStringLiteral("Die Plandatei %1 kann nicht geschrieben werden.").arg(QDir::toNativeSeparators(path)));
}

TDemoInstallation InstallDemo(const QString& dir, const TDemoOptions& options, bool force) {
    TDemoInstallation inst = DemoInstallationIn(dir);
    if (!force && (QFileInfo::exists(inst.HostDb) || QFileInfo::exists(inst.InternDb)))
        throw EInOutError(QStringLiteral("Im Ordner %1 gibt es bereits eine Installation (--force überschreibt sie).")
                              .arg(QDir::toNativeSeparators(inst.Dir)));
    if (!QDir().mkpath(inst.GroupDir))
        throw EInOutError(QStringLiteral("Der Ordner %1 kann nicht angelegt werden.").arg(QDir::toNativeSeparators(inst.GroupDir)));
    buildDatabase(inst.HostDb, TSchemaKind::Host, [&](TADOConnection& c) { inst.Summary = FillDemoSchool(c, options); });
    buildDatabase(inst.InternDb, TSchemaKind::Intern, [&](TADOConnection& c) { FillDemoIntern(c); });
    // The phrase file is an "ANSI" file with CR LF line ends.
    QSaveFile file(QDir(inst.GroupDir).filePath(QStringLiteral("floskeln.txt")));
    if (!file.open(QIODevice::WriteOnly))
        throw EInOutError(QStringLiteral("Die Datei %1 kann nicht geschrieben werden.").arg(QDir::toNativeSeparators(file.fileName())));
    file.write(Codec1252::encode(DemoPhrases().join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    if (!file.commit())
        throw EInOutError(QStringLiteral("Die Datei %1 kann nicht geschrieben werden.").arg(QDir::toNativeSeparators(file.fileName())));
    WriteDemoPlan(inst.PlanFile, inst.Summary.Classes, options.Seed);
    return inst;
}
