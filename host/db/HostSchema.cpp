#include "HostSchema.h"

namespace {

using T = TColumnType;

TColumnDef id() { return {"ID", T::Integer, 0, true}; }
TColumnDef schulnr() { return {"SchulnrEigner", T::Integer, 0, true}; }
TColumnDef integer(const char* name) { return {name, T::Integer}; }
TColumnDef text(const char* name, int size) { return {name, T::Text, size}; }
TColumnDef memo(const char* name) { return {name, T::Memo}; }
TColumnDef flag(const char* name) { return {name, T::Flag, 1, true, "'-'"}; }
TColumnDef ref(const char* name, const char* target) { return {name, T::Integer, 0, true, nullptr, target}; }

std::vector<TTableDef> hostTables() {
    return {
        {"EigeneSchule",
         {schulnr(), integer("SchulNr"), text("Bezeichnung1", 120), text("Ort", 60), text("Schulformkrz", 3),
          text("SchulformNr", 3), integer("Schuljahr"), integer("SchuljahrAbschnitt"),
          {"AnzahlAbschnitte", T::Integer, 0, true, "2"}, {"AnzJGS_Jahr", T::Integer, 0, true, "1"},
          memo("Einstellungen")},
         {"SchulnrEigner"}, {}, {}},
        {"EigeneSchule_Jahrgaenge",
         {id(), schulnr(), text("ASDJahrgang", 2), text("Bezeichnung", 40), text("SekStufe", 6), flag("Sichtbar")},
         {"ID"}, {{"SchulnrEigner", "ASDJahrgang"}}, {}},
        {"EigeneSchule_Faecher",
         {id(), schulnr(), text("FachKrz", 20), text("Bezeichnung", 80), text("StatistikKrz", 10),
          integer("Fachgruppe_ID"), flag("Sichtbar"), integer("Sortierung"), integer("SortierungS2"),
          text("Unterichtssprache", 2)},
         {"ID"}, {{"SchulnrEigner", "Sichtbar"}, {"SchulnrEigner", "FachKrz"}}, {}},
        {"EigeneSchule_Kursart",
         {schulnr(), text("Kursart", 5), text("InternBez", 20), text("Bezeichnung", 80)},
         {"SchulnrEigner", "Kursart"}, {}, {}},
        {"Versetzung",
         {id(), schulnr(), text("Klasse", 15), text("KlassenlehrerKrz", 10), text("StvKlassenlehrerKrz", 10),
          integer("Jahrgang_ID"), flag("Sichtbar")},
         {"ID"}, {{"SchulnrEigner", "Sichtbar", "Klasse"}}, {{"SchulnrEigner", "Klasse"}}},
        {"K_Foerderschwerpunkt",
         {id(), schulnr(), text("Bezeichnung", 80), text("StatistikKrz", 2)},
         {"ID"}, {{"SchulnrEigner"}}, {}},
        {"Kurse",
         {id(), schulnr(), text("KurzBez", 20), text("Zeugnisbez", 80), integer("Fach_ID"), integer("Jahr"),
          integer("Abschnitt"), text("Kursart", 5), text("LehrerKrz", 10)},
         {"ID"}, {{"SchulnrEigner"}}, {}},
        {"Schueler",
         {id(), schulnr(), text("Name", 120), text("Vorname", 80), integer("Geschlecht"), integer("Status"),
          flag("Geloescht"), text("Klasse", 15), integer("AktSchuljahr"), integer("AktAbschnitt"),
          text("ASDJahrgang", 2), text("ASDSchulform", 3), integer("Foerderschwerpunkt_ID"),
          integer("Foerderschwerpunkt2_ID")},
         {"ID"},
         {{"SchulnrEigner", "Klasse", "AktSchuljahr", "AktAbschnitt"}, {"SchulnrEigner", "Status", "ASDJahrgang"}},
         {}},
        {"SchuelerLernabschnittsdaten",
         {id(), schulnr(), ref("Schueler_ID", "Schueler(ID)"), integer("Jahr"), integer("Abschnitt"),
          flag("SemesterWertung"), flag("Wiederholung"), text("Klasse", 15), integer("Jahrgang_ID"),
          text("ASDJahrgang", 2), text("ASDSchulgliederung", 3), text("PruefOrdnung", 20), integer("SumFehlstd"),
          integer("SumFehlstdU"), text("AV_Leist", 2), text("AV_Zuv", 2), text("SV_Verant", 2),
          text("VersetzungKrz", 2), text("Abschluss", 20), memo("ZeugnisBem"), integer("Gesamtnote_GS"),
          integer("Gesamtnote_NW")},
         {"ID"}, {{"Schueler_ID", "Jahr", "Abschnitt"}, {"Jahrgang_ID"}}, {}},
        {"SchuelerLeistungsdaten",
         {id(), schulnr(), ref("Abschnitt_ID", "SchuelerLernabschnittsdaten(ID)"),
          ref("Fach_ID", "EigeneSchule_Faecher(ID)"), text("FachLehrer", 10), text("Kursart", 5),
          text("NotenKrz", 2), integer("Sortierung"), {"Hochrechnung", T::Integer, 0, true, "0"}, flag("Warnung"),
          integer("Kurs_ID"), integer("Fehlstd"), integer("uFehlstd"), flag("AufZeugnis")},
         {"ID"}, {{"Abschnitt_ID", "Sortierung"}, {"Fach_ID"}}, {}},
        {"SchuelerLD_PSFachBem",
         {id(), schulnr(), integer("Abschnitt_ID"), memo("LELS"), memo("ASV")},
         {"ID"}, {{"Abschnitt_ID"}}, {}},
        {"SchuelerZuweisungen",
         {{"Abschnitt_ID", T::Integer, 0, true}, {"Fach_ID", T::Integer, 0, true}, text("Kursart", 5), schulnr()},
         {"Abschnitt_ID", "Fach_ID"}, {}, {}},
        {"SchuelerBKFaecher",
         {id(), schulnr(), integer("Schueler_ID"), integer("Fach_ID"), text("FachKrz", 20), text("Vornote", 2),
          text("NoteSchriftlich", 2), text("NoteMuendlich", 2), text("NoteAbschluss", 2)},
         {"ID"}, {{"Schueler_ID", "Fach_ID"}, {"Fach_ID"}}, {}},
        {"SchuelerSprachenfolge",
         {id(), schulnr(), integer("Schueler_ID"), integer("Fach_ID"), text("Reihenfolge", 2),
          text("ASDJahrgangVon", 2)},
         {"ID"}, {{"Schueler_ID", "Fach_ID"}}, {}},
        {"Floskeln",
         {schulnr(), text("Kuerzel", 30), memo("FloskelText")},
         {"SchulnrEigner", "Kuerzel"}, {}, {}},
    };
}

std::vector<TTableDef> internTables() {
    return {
        {"PruefOrd_Optionen",
         {id(), text("OP_Schulformen", 100), text("OP_Jahrgaenge", 100), integer("OP_Reihenfolge"), text("OP_Art", 1),
          text("OP_POKrz", 30), text("OP_Bildungsgang", 1), text("OP_BKAnl_Typ", 60), text("OP_Krz", 20),
          text("OP_Bezeichnung", 120)},
         {"ID"}, {{"OP_Jahrgaenge", "OP_Reihenfolge"}}, {}},
    };
}

QString columnSql(const TColumnDef& c) {
    QString sql = QString::fromLatin1(c.Name) + QLatin1Char(' ');
    switch (c.Type) {
    case T::Integer: sql += QStringLiteral("INTEGER"); break;
    case T::Text:
    case T::Flag: sql += QStringLiteral("VARCHAR(%1)").arg(c.Size); break;
    case T::Memo: sql += QStringLiteral("TEXT"); break;
    }
    if (c.NotNull) sql += QStringLiteral(" NOT NULL");
    if (c.Default) sql += QStringLiteral(" DEFAULT ") + QString::fromLatin1(c.Default);
    if (c.References) sql += QStringLiteral(" REFERENCES ") + QString::fromLatin1(c.References);
    return sql;
}

QString joinNames(const std::vector<const char*>& names) {
    QStringList list;
    for (const char* n : names) list.append(QString::fromLatin1(n));
    return list.join(QStringLiteral(", "));
}

}  // namespace

const std::vector<TTableDef>& SchemaTables(TSchemaKind kind) {
    static const std::vector<TTableDef> host = hostTables();
    static const std::vector<TTableDef> intern = internTables();
    return kind == TSchemaKind::Host ? host : intern;
}

QStringList SchemaStatements(TSchemaKind kind, TDbEngine engine) {
    // The types chosen (INTEGER, VARCHAR(n), TEXT) mean the same on both engines,
    // so the text is shared; SQLite does not enforce the lengths, PostgreSQL does.
    Q_UNUSED(engine);
    QStringList statements;
    for (const TTableDef& t : SchemaTables(kind)) {
        QStringList parts;
        for (const TColumnDef& c : t.Columns) parts.append(columnSql(c));
        parts.append(QStringLiteral("PRIMARY KEY (%1)").arg(joinNames(t.PrimaryKey)));
        for (const auto& u : t.Unique) parts.append(QStringLiteral("UNIQUE (%1)").arg(joinNames(u)));
        statements.append(QStringLiteral("CREATE TABLE %1 (\n  %2\n)").arg(QString::fromLatin1(t.Name), parts.join(QStringLiteral(",\n  "))));
        int n = 0;
        for (const auto& idx : t.Indexes)
            statements.append(QStringLiteral("CREATE INDEX IX_%1_%2 ON %1 (%3)")
                                  .arg(QString::fromLatin1(t.Name)).arg(++n).arg(joinNames(idx)));
    }
    return statements;
}

void CreateSchema(TADOConnection& connection, TSchemaKind kind) {
    connection.Open();
    const QStringList existing = connection.GetTableNames();
    for (const TTableDef& t : SchemaTables(kind))
        for (const QString& e : existing)
            if (e.compare(QString::fromLatin1(t.Name), Qt::CaseInsensitive) == 0)
                throw EDatabaseError(QStringLiteral("Die Datenbank enthält bereits die Tabelle %1.").arg(QString::fromLatin1(t.Name)));
    connection.BeginTrans();
    try {
        for (const QString& sql : SchemaStatements(kind, connection.Engine())) connection.Execute(sql);
        connection.CommitTrans();
    } catch (...) {
        if (connection.InTransaction()) connection.RollbackTrans();
        throw;
    }
}
