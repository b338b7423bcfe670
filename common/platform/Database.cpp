#include "Database.h"

#include "FormatSettings.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <sqlite3.h>

QString QuotedStr(const QString& text) {
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

// ---------------------------------------------------------------------------
// Connection strings

namespace {

QString engineMessage(const QSqlError& error) {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty()) text = error.driverText().trimmed();
    if (text.isEmpty()) text = error.text().trimmed();
    return text;
}

// Key/value pairs of an OLE DB connection string, keys lower-cased.
QList<QPair<QString, QString>> splitConnectionString(const QString& s) {
    QList<QPair<QString, QString>> pairs;
    int i = 0;
    const int n = s.size();
    while (i < n) {
        // key up to '='
        int eq = s.indexOf(QLatin1Char('='), i);
        int semi = s.indexOf(QLatin1Char(';'), i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            // a part without '=' (or an empty part): skip it
            if (!s.mid(i, (semi < 0 ? n : semi) - i).trimmed().isEmpty())
                throw EDatabaseError(QStringLiteral("Die Verbindungszeichenfolge ist ungültig: %1").arg(s));
            i = semi < 0 ? n : semi + 1;
            continue;
        }
        const QString key = s.mid(i, eq - i).trimmed().toLower();
        i = eq + 1;
        while (i < n && s.at(i) == QLatin1Char(' ')) ++i;
        QString value;
        if (i < n && (s.at(i) == QLatin1Char('"') || s.at(i) == QLatin1Char('\''))) {
            const QChar quote = s.at(i++);
            bool closed = false;
            while (i < n) {
                if (s.at(i) == quote) {
                    if (i + 1 < n && s.at(i + 1) == quote) {
                        value += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += s.at(i++);
            }
            if (!closed)
                throw EDatabaseError(QStringLiteral("Die Verbindungszeichenfolge ist ungültig: %1").arg(s));
            while (i < n && s.at(i) != QLatin1Char(';')) ++i;
        } else {
            const int end = semi < 0 ? n : semi;
            value = s.mid(i, end - i).trimmed();
            i = end;
        }
        if (i < n && s.at(i) == QLatin1Char(';')) ++i;
        pairs.append({key, value});
    }
    return pairs;
}

QString pick(const QList<QPair<QString, QString>>& pairs, std::initializer_list<const char*> keys) {
    for (const char* k : keys)
        for (const auto& p : pairs)
            if (p.first == QLatin1String(k)) return p.second;
    return {};
}

}  // namespace

TConnectionParams ParseConnectionString(const QString& connectionString) {
    const auto pairs = splitConnectionString(connectionString);
    TConnectionParams params;
    const QString provider = pick(pairs, {"provider"}).trimmed();
    const QString p = provider.toLower();
    if (p.startsWith(QLatin1String("postgres")) || p == QLatin1String("pgsql") ||
        p == QLatin1String("qpsql")) {
        params.Engine = TDbEngine::PostgreSQL;
        params.Host = pick(pairs, {"host", "server"});
        const QString port = pick(pairs, {"port"});
        if (!port.isEmpty()) {
            bool ok = false;
            params.Port = port.toInt(&ok);
            if (!ok || params.Port <= 0 || params.Port > 65535)
                throw EDatabaseError(QStringLiteral("Ungültiger Port in der Verbindungszeichenfolge: %1").arg(port));
        }
        params.Database = pick(pairs, {"database", "initial catalog"});
        params.User = pick(pairs, {"user id", "user", "uid", "user name"});
        params.Password = pick(pairs, {"password", "pwd"});
        if (params.Database.isEmpty())
            throw EDatabaseError(QStringLiteral("Die Verbindungszeichenfolge nennt keine Datenbank (Database)."));
        return params;
    }
    // SQLite stands in for the embedded Jet/ACE file databases.
    if (!p.isEmpty() && !p.startsWith(QLatin1String("microsoft.jet")) &&
        !p.startsWith(QLatin1String("microsoft.ace")) && !p.contains(QLatin1String("sqlite")))
        throw EDatabaseError(QStringLiteral("Der Datenbank-Provider \"%1\" wird nicht unterstützt.").arg(provider));
    params.Engine = TDbEngine::SQLite;
    params.FileName = pick(pairs, {"data source", "dbq"});
    if (params.FileName.isEmpty())
        throw EDatabaseError(QStringLiteral("Die Verbindungszeichenfolge nennt keine Datenbank (Data Source)."));
    return params;
}

// ---------------------------------------------------------------------------
// Statements

TParsedStatement ParseParameters(const QString& sql) {
    TParsedStatement result;
    result.Sql.reserve(sql.size());
    QChar quote;
    const int n = sql.size();
    auto isNameChar = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
    for (int i = 0; i < n; ++i) {
        const QChar c = sql.at(i);
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();  // a doubled quote closes and reopens
            result.Sql += c;
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            result.Sql += c;
            continue;
        }
        if (c == QLatin1Char(':') && i + 1 < n && (sql.at(i + 1).isLetter() || sql.at(i + 1) == QLatin1Char('_')) &&
            (i == 0 || sql.at(i - 1) != QLatin1Char(':'))) {
            int j = i + 1;
            while (j < n && isNameChar(sql.at(j))) ++j;
            result.Occurrences.append(sql.mid(i + 1, j - i - 1));
            result.Sql += QLatin1Char('?');
            i = j - 1;
            continue;
        }
        result.Sql += c;
    }
    return result;
}

namespace {

const TParameter* findParam(const std::vector<TParameter>& params, const QString& name) {
    for (const auto& p : params)
        if (p.Name.compare(name, Qt::CaseInsensitive) == 0) return &p;
    return nullptr;
}

// Parameter list of a statement text, keeping the values of names that stay.
std::vector<TParameter> paramsFor(const QString& sql, const std::vector<TParameter>& old) {
    std::vector<TParameter> params;
    for (const QString& name : ParseParameters(sql).Occurrences) {
        if (findParam(params, name)) continue;
        const TParameter* prev = findParam(old, name);
        params.push_back(prev ? *prev : TParameter{name, QVariant()});
    }
    return params;
}

TParameter& paramByName(std::vector<TParameter>& params, const QString& name) {
    for (auto& p : params)
        if (p.Name.compare(name, Qt::CaseInsensitive) == 0) return p;
    throw EDatabaseError(QStringLiteral("Parameter '%1' nicht gefunden").arg(name));
}

}  // namespace

namespace {

// Prepares and runs the statement on q, binding the parameters by name.
void execStatement(QSqlQuery& q, const QString& sql, const std::vector<TParameter>& params) {
    const TParsedStatement parsed = ParseParameters(sql);
    bool ok;
    if (parsed.Occurrences.isEmpty()) {
        ok = q.exec(sql);
    } else {
        ok = q.prepare(parsed.Sql);
        if (ok) {
            for (int i = 0; i < parsed.Occurrences.size(); ++i) {
                const TParameter* p = findParam(params, parsed.Occurrences.at(i));
                if (!p)
                    throw EDatabaseError(QStringLiteral("Parameter '%1' hat keinen Wert").arg(parsed.Occurrences.at(i)), sql);
                // A null QString is an empty text here; only an empty QVariant binds NULL.
                if (p->Value.typeId() == QMetaType::QString && p->Value.toString().isNull())
                    q.bindValue(i, QString(QLatin1String("")));
                else
                    q.bindValue(i, p->Value);
            }
            ok = q.exec();
        }
    }
    if (!ok) throw EDatabaseError(engineMessage(q.lastError()), sql);
}

// The field names of a result; the second of two equal names gets "_1", like the original components.
QStringList uniqueFieldNames(const QStringList& names) {
    QStringList seen;
    for (const QString& name : names) {
        QString unique = name;
        for (int k = 1; seen.contains(unique, Qt::CaseInsensitive); ++k)
            unique = name + QLatin1Char('_') + QString::number(k);
        seen.append(unique);
    }
    return seen;
}

QStringList uniqueFieldNames(const QSqlRecord& rec) {
    QStringList names;
    for (int i = 0; i < rec.count(); ++i) names << rec.fieldName(i);
    return uniqueFieldNames(names);
}

}  // namespace

TStatementResult RunStatement(TADOConnection& connection, const QString& sql,
                              const std::vector<TParameter>& params) {
    QSqlDatabase& db = connection.Database();
    TStatementResult result;
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        execStatement(q, sql, params);
        if (q.isSelect()) {
            result.FieldNames = uniqueFieldNames(q.record());
            const int cols = result.FieldNames.size();
            while (q.next()) {
                QVector<QVariant> row(cols);
                for (int i = 0; i < cols; ++i) row[i] = q.value(i);
                result.Rows.append(std::move(row));
            }
            if (q.lastError().isValid()) throw EDatabaseError(engineMessage(q.lastError()), sql);
        } else {
            result.RowsAffected = q.numRowsAffected();
        }
    }
    return result;
}

// ---------------------------------------------------------------------------
// TADOConnection

namespace {
QString nextConnectionName() {
    static QAtomicInt counter;
    return QStringLiteral("veltra_ado_%1").arg(counter.fetchAndAddRelaxed(1) + 1);
}
}  // namespace

TADOConnection::TADOConnection(QObject* parent) : QObject(parent) {}

TADOConnection::TADOConnection(const QString& connectionString, QObject* parent)
    : QObject(parent), FConnectionString(connectionString) {}

TADOConnection::~TADOConnection() { Close(); }

void TADOConnection::SetConnectionString(const QString& connectionString) {
    if (connectionString == FConnectionString) return;
    Close();
    FConnectionString = connectionString;
}

void TADOConnection::Open(const QString& connectionString) {
    SetConnectionString(connectionString);
    Open();
}

void TADOConnection::Open() {
    if (Connected()) return;
    FParams = ParseConnectionString(FConnectionString);
    const QString driver = FParams.Engine == TDbEngine::SQLite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
    if (!QSqlDatabase::isDriverAvailable(driver))
        throw EDatabaseError(QStringLiteral("Der Datenbanktreiber %1 ist nicht installiert.").arg(driver));
    if (FParams.Engine == TDbEngine::SQLite) {
        // Opening must never create an empty database in place of a missing one.
        const QFileInfo fi(FParams.FileName);
        if (!fi.isFile())
            throw EDatabaseError(QStringLiteral("Die Datenbank %1 wurde nicht gefunden.")
                                     .arg(QDir::toNativeSeparators(FParams.FileName)));
    }
    FName = nextConnectionName();
    FDb = QSqlDatabase::addDatabase(driver, FName);
    if (FParams.Engine == TDbEngine::SQLite) {
        FDb.setDatabaseName(FParams.FileName);
        // Several users (host and plug-ins) share the file: wait for locks instead of failing.
        FDb.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    } else {
        FDb.setHostName(FParams.Host);
        FDb.setPort(FParams.Port);
        FDb.setDatabaseName(FParams.Database);
        FDb.setUserName(FParams.User);
        FDb.setPassword(FParams.Password);
        FDb.setConnectOptions(QStringLiteral("connect_timeout=10"));
    }
    if (!FDb.open()) {
        const QString message = engineMessage(FDb.lastError());
        FDb = QSqlDatabase();
        QSqlDatabase::removeDatabase(FName);
        FName.clear();
        throw EDatabaseError(message);
    }
    if (FParams.Engine == TDbEngine::SQLite) {
        QSqlQuery q(FDb);
        q.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    }
}

void TADOConnection::Close() {
    if (FName.isEmpty()) return;
    emit Closing();
    if (FInTransaction && FDb.isOpen()) FDb.rollback();
    FInTransaction = false;
    FDb.close();
    FDb = QSqlDatabase();
    QSqlDatabase::removeDatabase(FName);
    FName.clear();
}

QSqlDatabase& TADOConnection::Database() {
    Open();
    return FDb;
}

int TADOConnection::Execute(const QString& sql) { return RunStatement(*this, sql).RowsAffected; }

void TADOConnection::BeginTrans() {
    if (!Database().transaction()) throw EDatabaseError(engineMessage(FDb.lastError()), QStringLiteral("BEGIN"));
    FInTransaction = true;
}

void TADOConnection::CommitTrans() {
    if (!FInTransaction) throw EDatabaseError(QStringLiteral("Keine Transaktion aktiv."));
    FInTransaction = false;
    if (!FDb.commit()) throw EDatabaseError(engineMessage(FDb.lastError()), QStringLiteral("COMMIT"));
}

void TADOConnection::RollbackTrans() {
    if (!FInTransaction) throw EDatabaseError(QStringLiteral("Keine Transaktion aktiv."));
    FInTransaction = false;
    if (!FDb.rollback()) throw EDatabaseError(engineMessage(FDb.lastError()), QStringLiteral("ROLLBACK"));
}

QStringList TADOConnection::GetTableNames() { return Database().tables(QSql::Tables); }

QStringList TADOConnection::PrimaryKeyColumns(const QString& table) {
    QSqlDatabase& db = Database();
    QString name = table;
    // PostgreSQL folds unquoted names to lower case; the catalogue holds them so.
    if (FParams.Engine == TDbEngine::PostgreSQL) name = name.toLower();
    const QSqlIndex index = db.primaryIndex(name);
    QStringList columns;
    for (int i = 0; i < index.count(); ++i) columns.append(index.fieldName(i));
    return columns;
}

// ---------------------------------------------------------------------------
// TField

namespace {

bool isNumericType(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong:
    case QMetaType::Double: case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

bool isFloatType(const QVariant& v) {
    return v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float;
}

QString variantText(const QVariant& v) {
    if (v.isNull() || !v.isValid()) return {};
    if (isFloatType(v)) {
        const double d = v.toDouble();
        return FormatSettings().Locale.toString(d, 'g', 15).remove(FormatSettings().Locale.groupSeparator());
    }
    if (v.typeId() == QMetaType::QByteArray) return QString::fromUtf8(v.toByteArray());
    return v.toString();
}

}  // namespace

QString TField::FieldName() const {
    if (!IsValid()) return {};
    return FDataSet->FieldNames().value(FIndex);
}

QVariant TField::Value() const {
    if (!IsValid()) throw EDatabaseError(QStringLiteral("Ungültiges Feld"));
    return FDataSet->currentValue(FIndex);
}

bool TField::IsNull() const {
    const QVariant v = Value();
    return !v.isValid() || v.isNull();
}

QString TField::AsString() const { return variantText(Value()); }

int TField::AsInteger() const {
    const QVariant v = Value();
    if (!v.isValid() || v.isNull()) return 0;
    if (isFloatType(v)) return int(qRound64(v.toDouble()));
    if (isNumericType(v)) return int(v.toLongLong());
    const QString text = variantText(v).trimmed();
    bool ok = false;
    const int result = text.toInt(&ok);
    if (!ok) throw EConvertError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text));
    return result;
}

double TField::AsFloat() const {
    const QVariant v = Value();
    if (!v.isValid() || v.isNull()) return 0.0;
    if (isNumericType(v)) return v.toDouble();
    const QString text = variantText(v).trimmed();
    bool ok = false;
    double result = FormatSettings().Locale.toDouble(text, &ok);
    if (!ok) result = text.toDouble(&ok);
    if (!ok) throw EConvertError(QStringLiteral("'%1' ist kein gültiger Gleitkommawert").arg(text));
    return result;
}

void TField::SetValue(const QVariant& value) const {
    if (!IsValid()) throw EDatabaseError(QStringLiteral("Ungültiges Feld"));
    FDataSet->setCurrentValue(FIndex, value);
}

// ---------------------------------------------------------------------------
// Forward-only row streams

// The running statement of a forward-only query and its current row.
class TRowStream {
public:
    virtual ~TRowStream() = default;
    // Moves to the next row; false at the end. Raises EDatabaseError on failure.
    virtual bool next() = 0;
    // A field of the current row (valid after next() returned true).
    virtual QVariant value(int index) = 0;
    QStringList FieldNames;
};

namespace {

// Through Qt's driver. A forward-only PostgreSQL query would stream in
// single-row mode and be cut off by the next statement on the connection, so
// there the result stays in the client library and only the current row is converted.
class TQtRowStream final : public TRowStream {
public:
    TQtRowStream(QSqlDatabase& db, TDbEngine engine, const QString& sql, const std::vector<TParameter>& params)
        : FQuery(db), FSql(sql) {
        FQuery.setForwardOnly(engine == TDbEngine::SQLite);
        execStatement(FQuery, sql, params);
        if (!FQuery.isSelect()) throw EDatabaseError(QStringLiteral("Die Abfrage liefert keine Datenmenge."), sql);
        FieldNames = uniqueFieldNames(FQuery.record());
        FRow.resize(FieldNames.size());
    }
    bool next() override {
        if (!FQuery.next()) {
            if (FQuery.lastError().isValid()) throw EDatabaseError(engineMessage(FQuery.lastError()), FSql);
            return false;
        }
        for (int i = 0; i < FRow.size(); ++i) FRow[i] = FQuery.value(i);
        return true;
    }
    QVariant value(int index) override { return FRow.value(index); }

private:
    QSqlQuery FQuery;
    QString FSql;
    QVector<QVariant> FRow;
};

// Straight on the SQLite handle of the connection: a field is converted only
// when it is read, with the types Qt's driver gives (integer as qlonglong,
// real as double, text as QString, blob as QByteArray, NULL as a null value).
class TSqliteRowStream final : public TRowStream {
public:
    TSqliteRowStream(sqlite3* db, const QString& sql, const std::vector<TParameter>& params) : FDb(db), FSql(sql) {
        const TParsedStatement parsed = ParseParameters(sql);
        const QByteArray text = parsed.Sql.toUtf8();
        if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &FStmt, nullptr) != SQLITE_OK) fail();
        if (!FStmt) throw EDatabaseError(QStringLiteral("Die Abfrage liefert keine Datenmenge."), sql);
        for (int i = 0; i < parsed.Occurrences.size(); ++i) {
            const TParameter* p = findParam(params, parsed.Occurrences.at(i));
            if (!p) throw EDatabaseError(QStringLiteral("Parameter '%1' hat keinen Wert").arg(parsed.Occurrences.at(i)), sql);
            if (bind(i + 1, p->Value) != SQLITE_OK) fail();
        }
        const int cols = sqlite3_column_count(FStmt);
        if (cols == 0) throw EDatabaseError(QStringLiteral("Die Abfrage liefert keine Datenmenge."), sql);
        QStringList names;
        for (int i = 0; i < cols; ++i) names << QString::fromUtf8(sqlite3_column_name(FStmt, i));
        FieldNames = uniqueFieldNames(names);
        FRow.resize(cols);
        FRead.assign(size_t(cols), false);
    }
    ~TSqliteRowStream() override { sqlite3_finalize(FStmt); }
    bool next() override {
        std::fill(FRead.begin(), FRead.end(), false);
        const int rc = sqlite3_step(FStmt);
        if (rc == SQLITE_ROW) return true;
        if (rc != SQLITE_DONE) fail();
        return false;
    }
    QVariant value(int index) override {
        if (index < 0 || index >= FRow.size()) return {};
        if (!FRead[size_t(index)]) {
            FRow[index] = column(index);
            FRead[size_t(index)] = true;
        }
        return FRow.at(index);
    }

private:
    [[noreturn]] void fail() const { throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(FDb)), FSql); }

    // As Qt's driver binds: a null QString is an empty text, only an empty QVariant is NULL.
    int bind(int i, const QVariant& v) {
        if (!v.isValid() || (v.isNull() && v.typeId() != QMetaType::QString)) return sqlite3_bind_null(FStmt, i);
        switch (v.typeId()) {
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            return sqlite3_bind_blob(FStmt, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        }
        case QMetaType::Int:
        case QMetaType::Bool:
            return sqlite3_bind_int(FStmt, i, v.toInt());
        case QMetaType::Double:
            return sqlite3_bind_double(FStmt, i, v.toDouble());
        case QMetaType::UInt:
        case QMetaType::LongLong:
            return sqlite3_bind_int64(FStmt, i, v.toLongLong());
        case QMetaType::QDateTime:
            return bindText(i, v.toDateTime().toString(Qt::ISODateWithMs));
        case QMetaType::QTime:
            return bindText(i, v.toTime().toString(QStringLiteral("hh:mm:ss.zzz")));
        default:
            return bindText(i, v.toString());
        }
    }
    int bindText(int i, const QString& s) {
        return sqlite3_bind_text16(FStmt, i, s.isNull() ? static_cast<const void*>(u"") : static_cast<const void*>(s.utf16()), int(s.size() * sizeof(QChar)), SQLITE_TRANSIENT);
    }

    QVariant column(int i) const {
        switch (sqlite3_column_type(FStmt, i)) {
        case SQLITE_INTEGER:
            return QVariant(qlonglong(sqlite3_column_int64(FStmt, i)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(FStmt, i));
        case SQLITE_NULL:
            return QVariant();
        case SQLITE_BLOB: {
            const void* p = sqlite3_column_blob(FStmt, i);
            return QVariant(QByteArray(static_cast<const char*>(p), sqlite3_column_bytes(FStmt, i)));
        }
        default: {
            // Plain ASCII is the same in every decoding; anything else goes through
            // SQLite's own UTF-16 conversion, as Qt's driver reads it.
            const unsigned char* p = sqlite3_column_text(FStmt, i);
            const int n = sqlite3_column_bytes(FStmt, i);
            bool ascii = true;
            for (int k = 0; k < n && ascii; ++k) ascii = p[k] < 0x80;
            if (ascii) return QVariant(QString::fromLatin1(reinterpret_cast<const char*>(p), n));
            const void* w = sqlite3_column_text16(FStmt, i);
            return QVariant(QString(static_cast<const QChar*>(w), sqlite3_column_bytes16(FStmt, i) / qsizetype(sizeof(QChar))));
        }
        }
    }

    sqlite3* FDb;
    QString FSql;
    sqlite3_stmt* FStmt = nullptr;
    QVector<QVariant> FRow;
    std::vector<bool> FRead;
};

}  // namespace

// ---------------------------------------------------------------------------
// TADOQuery

TADOQuery::TADOQuery(QObject* parent) : QObject(parent) {}

TADOQuery::TADOQuery(TADOConnection* connection, QObject* parent) : QObject(parent), FConnection(connection) {}

TADOQuery::~TADOQuery() {
    if (FMaster) FMaster->detach(this);
    for (const auto& d : std::as_const(FDetails))
        if (d) d->FMaster = nullptr;
}

void TADOQuery::SetConnection(TADOConnection* connection) {
    Close();
    FConnection = connection;
}

void TADOQuery::SetConnectionString(const QString& connectionString) {
    Close();
    if (!FOwnConnection) FOwnConnection = new TADOConnection(this);
    FOwnConnection->SetConnectionString(connectionString);
    FConnection = FOwnConnection;
}

TADOConnection* TADOQuery::connectionOrThrow() const {
    if (!FConnection) throw EDatabaseError(QStringLiteral("Keine Verbindung für die Abfrage %1").arg(objectName()), FSQL);
    return FConnection.data();
}

void TADOQuery::SetSQL(const QString& sql) {
    Close();
    FSQL = sql;
    FParams = paramsFor(sql, FParams);
}

TParameter& TADOQuery::ParamByName(const QString& name) { return paramByName(FParams, name); }

QStringList TADOQuery::ParamNames() const {
    QStringList names;
    for (const auto& p : FParams) names.append(p.Name);
    return names;
}

void TADOQuery::takeMasterParameters() {
    if (!FMaster || !FMaster->Active()) return;
    for (auto& p : FParams) {
        const TField f = FMaster->FindField(p.Name);
        if (f.IsValid()) p.Value = FMaster->IsEmpty() ? QVariant() : f.Value();
    }
}

void TADOQuery::Open() {
    if (Active()) return;
    takeMasterParameters();
    if (FForwardOnly) {
        openStream();
        return;
    }
    TStatementResult result = RunStatement(*connectionOrThrow(), FSQL, FParams);
    if (result.RowsAffected >= 0 && result.FieldNames.isEmpty())
        throw EDatabaseError(QStringLiteral("Die Abfrage liefert keine Datenmenge."), FSQL);
    FFieldNames = result.FieldNames;
    FRows = std::move(result.Rows);
    FState = TDataSetState::dsBrowse;
    FVisible.clear();
    for (int i = 0; i < FRows.size(); ++i) FVisible.push_back(i);
    if (FFiltered && !FFilter.trimmed().isEmpty()) {
        try {
            applyFilter();
        } catch (...) {
            FFiltered = false;
            throw;
        }
    }
    FCursor = 0;
    FBof = true;
    FEof = FVisible.empty();
    emit AfterOpen();
    scrolled(true);
}

void TADOQuery::openStream() {
    // A filter is evaluated over all rows, which this cursor never holds.
    if (FFiltered && !FFilter.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("Ein Filter ist bei einer nur vorwärts lesbaren Datenmenge nicht möglich."), FSQL);
    TADOConnection* connection = connectionOrThrow();
    QSqlDatabase& db = connection->Database();
    sqlite3* handle = nullptr;
    if (connection->Engine() == TDbEngine::SQLite) {
        const QVariant h = db.driver()->handle();
        if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0) handle = *static_cast<sqlite3* const*>(h.constData());
    }
    std::unique_ptr<TRowStream> stream;
    if (handle) stream = std::make_unique<TSqliteRowStream>(handle, FSQL, FParams);
    else stream = std::make_unique<TQtRowStream>(db, connection->Engine(), FSQL, FParams);
    FFieldNames = stream->FieldNames;
    FStream = std::move(stream);
    connect(connection, &TADOConnection::Closing, this, &TADOQuery::connectionClosing, Qt::UniqueConnection);
    FStreamRecNo = 0;
    FState = TDataSetState::dsBrowse;
    try {
        FEof = !fetchStreamRow();
    } catch (...) {
        closeInternal(false);
        throw;
    }
    FCursor = 0;
    FBof = true;
    emit AfterOpen();
    scrolled(true);
}

// Moves to the next row; false at the end of the result.
bool TADOQuery::fetchStreamRow() {
    if (!FStream->next()) return false;
    ++FStreamRecNo;
    return true;
}

void TADOQuery::connectionClosing() {
    if (FStream) closeInternal(true);
}

void TADOQuery::requireRandomAccess() const {
    if (FStream)
        throw EDatabaseError(QStringLiteral("Die Datenmenge kann nur vorwärts gelesen werden."), FSQL);
}

void TADOQuery::Close() { closeInternal(true); }

void TADOQuery::closeInternal(bool notifyDetails) {
    if (!Active()) return;
    const QStringList names = FieldNames();
    FState = TDataSetState::dsInactive;
    FFieldNames.clear();
    FRows.clear();
    FVisible.clear();
    FEditBuffer.clear();
    FStream.reset();
    FStreamRecNo = 0;
    FCursor = 0;
    FBof = FEof = true;
    emit AfterClose();
    if (!notifyDetails) return;
    // A closed master has no current row: its details show nothing.
    for (const auto& d : std::as_const(FDetails))
        if (d && d->Active()) d->masterClosed(names);
}

void TADOQuery::masterClosed(const QStringList& masterFields) {
    for (auto& p : FParams)
        if (masterFields.contains(p.Name, Qt::CaseInsensitive)) p.Value = QVariant();
    closeInternal(false);
    Open();
}

void TADOQuery::Requery() {
    const int recNo = FCursor;
    closeInternal(false);
    Open();
    if (!FVisible.empty() && recNo > 0) {
        FCursor = std::min(recNo, int(FVisible.size()) - 1);
        FBof = FEof = false;
        scrolled(true);
    }
}

void TADOQuery::scrolled(bool moved) {
    if (!moved) return;
    emit AfterScroll();
    for (const auto& d : std::as_const(FDetails))
        if (d) d->masterChanged();
}

void TADOQuery::masterChanged() {
    if (!Active()) return;
    // The detail follows its master: re-run with the master's current fields.
    // Its own details follow once, when it has re-opened.
    closeInternal(false);
    Open();
}

void TADOQuery::First() {
    if (!Active()) throw EDatabaseError(QStringLiteral("Die Datenmenge ist geschlossen."), FSQL);
    Cancel();
    if (FStream) {
        // Still on the first row: nothing to do; anything later cannot be read again.
        if (FStreamRecNo > 1) requireRandomAccess();
        return;
    }
    const bool moved = FCursor != 0;
    FCursor = 0;
    FBof = true;
    FEof = FVisible.empty();
    scrolled(moved);
}

void TADOQuery::Next() {
    if (!Active()) throw EDatabaseError(QStringLiteral("Die Datenmenge ist geschlossen."), FSQL);
    Cancel();
    if (FStream) {
        if (FEof) return;
        if (fetchStreamRow()) {
            FBof = false;
            scrolled(true);
        } else {
            FEof = true;
        }
        return;
    }
    if (FCursor + 1 < int(FVisible.size())) {
        ++FCursor;
        FBof = FEof = false;
        scrolled(true);
    } else {
        FEof = true;
    }
}

void TADOQuery::Prior() {
    if (!Active()) throw EDatabaseError(QStringLiteral("Die Datenmenge ist geschlossen."), FSQL);
    requireRandomAccess();
    Cancel();
    if (FCursor > 0) {
        --FCursor;
        FBof = FEof = false;
        scrolled(true);
    } else {
        FBof = true;
    }
}

void TADOQuery::Last() {
    if (!Active()) throw EDatabaseError(QStringLiteral("Die Datenmenge ist geschlossen."), FSQL);
    requireRandomAccess();
    Cancel();
    const int last = std::max(0, int(FVisible.size()) - 1);
    const bool moved = FCursor != last;
    FCursor = last;
    FEof = true;
    FBof = FVisible.empty();
    scrolled(moved);
}

QStringList TADOQuery::FieldNames() const {
    QStringList names = FFieldNames;
    for (const auto& l : FLookups) names.append(l.Name);
    return names;
}

int TADOQuery::fieldIndex(const QString& name) const {
    // Lookup fields are declared on purpose, so they win over a data field of the same name.
    for (int i = 0; i < int(FLookups.size()); ++i)
        if (FLookups[i].Name.compare(name, Qt::CaseInsensitive) == 0) return FFieldNames.size() + i;
    for (int i = 0; i < FFieldNames.size(); ++i)
        if (FFieldNames.at(i).compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

TField TADOQuery::Fields(int index) const {
    if (index < 0 || index >= FieldCount())
        throw EDatabaseError(QStringLiteral("Feldindex %1 außerhalb des gültigen Bereichs").arg(index), FSQL);
    return TField(this, index);
}

TField TADOQuery::FindField(const QString& name) const {
    const int i = fieldIndex(name);
    return i < 0 ? TField() : TField(this, i);
}

TField TADOQuery::FieldByName(const QString& name) const {
    const int i = fieldIndex(name);
    if (i < 0) {
        const QString owner = objectName().isEmpty() ? QString() : objectName() + QStringLiteral(": ");
        throw EDatabaseError(QStringLiteral("%1Feld '%2' nicht gefunden").arg(owner, name), FSQL);
    }
    return TField(this, i);
}

QVariant TADOQuery::lookupValue(const Lookup& lookup, int row) const {
    const TADOQuery* other = lookup.DataSet.data();
    if (!other || !other->Active()) return {};
    QVector<QVariant> keys;
    for (const QString& k : lookup.KeyFields) {
        const int idx = fieldIndex(k);
        if (idx < 0) return {};
        keys.append(valueAt(row, idx));
    }
    QVector<int> otherKeys;
    for (const QString& k : lookup.LookupKeyFields) otherKeys.append(other->fieldIndex(k));
    const int result = other->fieldIndex(lookup.ResultField);
    if (result < 0 || otherKeys.contains(-1)) return {};
    for (int r = 0; r < other->FRows.size(); ++r) {
        bool all = true;
        for (int k = 0; k < keys.size() && all; ++k) {
            const QVariant a = keys[k];
            const QVariant b = other->valueAt(r, otherKeys[k]);
            if (a.isNull() || b.isNull()) all = false;
            else if (isNumericType(a) && isNumericType(b)) all = a.toDouble() == b.toDouble();
            else all = variantText(a) == variantText(b);
        }
        if (all) return other->valueAt(r, result);
    }
    return {};
}

QVariant TADOQuery::valueAt(int row, int index) const {
    if (index >= FFieldNames.size()) return lookupValue(FLookups[index - FFieldNames.size()], row);
    if (FStream) return FStream->value(index);  // the current row is the only one
    if (FState == TDataSetState::dsEdit && !FVisible.empty() && row == FVisible[FCursor])
        return FEditBuffer.value(index);
    return FRows.at(row).value(index);
}

QVariant TADOQuery::currentValue(int index) const {
    if (FStream) return FStreamRecNo > 0 ? valueAt(0, index) : QVariant();
    if (!Active() || FVisible.empty()) return {};
    return valueAt(FVisible[FCursor], index);
}

void TADOQuery::setCurrentValue(int index, const QVariant& value) const {
    if (FState != TDataSetState::dsEdit)
        throw EDatabaseError(QStringLiteral("Die Datenmenge ist nicht im Bearbeitungsmodus."), FSQL);
    if (index >= FFieldNames.size())
        throw EDatabaseError(QStringLiteral("Das Feld '%1' kann nicht geändert werden.").arg(FieldNames().value(index)), FSQL);
    FEditBuffer[index] = value;
}

namespace {

bool sameValue(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull()) return a.isNull() && b.isNull();
    if (isNumericType(a) && isNumericType(b)) return a.toDouble() == b.toDouble();
    if (isNumericType(a) || isNumericType(b)) {
        // A text against a number: compare as numbers when the text is one.
        bool ok = false;
        const double other = variantText(isNumericType(a) ? b : a).trimmed().toDouble(&ok);
        return ok && other == (isNumericType(a) ? a : b).toDouble();
    }
    return variantText(a) == variantText(b);
}

QStringList splitFieldList(const QString& fields) {
    QStringList names;
    for (const QString& part : fields.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (!part.trimmed().isEmpty()) names.append(part.trimmed());
    return names;
}

}  // namespace

bool TADOQuery::Locate(const QString& keyFields, const QVariant& value) {
    return Locate(keyFields, QVariantList{value});
}

bool TADOQuery::Locate(const QString& keyFields, const QVariantList& values) {
    if (!Active()) throw EDatabaseError(QStringLiteral("Die Datenmenge ist geschlossen."), FSQL);
    const QStringList names = splitFieldList(keyFields);
    if (names.isEmpty() || names.size() != values.size())
        throw EDatabaseError(QStringLiteral("Locate: %1 Felder, aber %2 Werte").arg(names.size()).arg(values.size()), FSQL);
    QVector<int> idx;
    for (const QString& n : names) {
        FieldByName(n);  // raises for an unknown field
        idx.append(fieldIndex(n));
    }
    requireRandomAccess();
    Cancel();
    for (int i = 0; i < int(FVisible.size()); ++i) {
        bool all = true;
        for (int k = 0; k < idx.size() && all; ++k) all = sameValue(valueAt(FVisible[i], idx[k]), values.at(k));
        if (all) {
            const bool moved = i != FCursor;
            FCursor = i;
            FBof = FEof = false;
            scrolled(moved);
            return true;
        }
    }
    return false;
}

void TADOQuery::SetFilter(const QString& filter) {
    FFilter = filter;
    if (Active() && FFiltered) SetFiltered(true);
}

void TADOQuery::SetFiltered(bool filtered) {
    if (filtered && Active() && !FFilter.trimmed().isEmpty()) requireRandomAccess();
    FFiltered = filtered;
    if (!Active()) return;
    if (FStream) return;  // unfiltered already
    Cancel();
    FVisible.clear();
    for (int i = 0; i < FRows.size(); ++i) FVisible.push_back(i);
    if (filtered && !FFilter.trimmed().isEmpty()) {
        try {
            applyFilter();
        } catch (...) {
            FFiltered = false;
            FCursor = 0;
            FBof = true;
            FEof = FVisible.empty();
            scrolled(true);
            throw;
        }
    }
    FCursor = 0;
    FBof = true;
    FEof = FVisible.empty();
    scrolled(true);
}

void TADOQuery::applyFilter() {
    // The rows go into a private in-memory SQLite table and the expression selects
    // from it: SQL syntax, and the cursor's order stays as the statement gave it.
    static QAtomicInt counter;
    const QString name = QStringLiteral("veltra_filter_%1").arg(counter.fetchAndAddRelaxed(1) + 1);
    std::vector<int> visible;
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (!db.open()) {
            error = engineMessage(db.lastError());
        } else {
            const QStringList names = FieldNames();
            QStringList columns, marks;
            QStringList used;
            QVector<int> indexes;
            for (int i = 0; i < names.size(); ++i) {
                if (used.contains(names[i], Qt::CaseInsensitive)) continue;
                used.append(names[i]);
                indexes.append(i);
                columns.append(QLatin1Char('"') + QString(names[i]).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"'));
                marks.append(QStringLiteral("?"));
            }
            QSqlQuery q(db);
            auto fail = [&]() { error = engineMessage(q.lastError()); };
            if (!q.exec(QStringLiteral("CREATE TABLE f (veltra_rn INTEGER, %1)").arg(columns.join(QLatin1Char(','))))) {
                fail();
            } else {
                db.transaction();
                if (!q.prepare(QStringLiteral("INSERT INTO f VALUES (?, %1)").arg(marks.join(QLatin1Char(','))))) fail();
                for (int r = 0; r < FRows.size() && error.isEmpty(); ++r) {
                    q.bindValue(0, r);
                    for (int k = 0; k < indexes.size(); ++k) {
                        QVariant v = valueAt(r, indexes[k]);
                        if (isFloatType(v)) v = v.toDouble();
                        q.bindValue(k + 1, v);
                    }
                    if (!q.exec()) fail();
                }
                db.commit();
                if (error.isEmpty()) {
                    if (!q.exec(QStringLiteral("SELECT veltra_rn FROM f WHERE %1 ORDER BY veltra_rn").arg(FFilter))) fail();
                    while (error.isEmpty() && q.next()) visible.push_back(q.value(0).toInt());
                }
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!error.isEmpty()) throw EDatabaseError(error, FFilter);
    FVisible = std::move(visible);
}

void TADOQuery::SetMasterSource(TADOQuery* master) {
    if (FMaster == master) return;
    for (TADOQuery* m = master; m; m = m->FMaster)
        if (m == this) throw EDatabaseError(QStringLiteral("Zirkuläre Master-Detail-Verknüpfung"));
    if (FMaster) FMaster->detach(this);
    FMaster = master;
    if (master) master->FDetails.append(QPointer<TADOQuery>(this));
}

void TADOQuery::detach(TADOQuery* detail) {
    FDetails.removeIf([detail](const QPointer<TADOQuery>& p) { return p.isNull() || p.data() == detail; });
}

void TADOQuery::AddLookupField(const QString& name, TADOQuery* lookupDataSet, const QString& keyFields,
                               const QString& lookupKeyFields, const QString& lookupResultField) {
    Lookup l{name, lookupDataSet, splitFieldList(keyFields), splitFieldList(lookupKeyFields), lookupResultField};
    if (l.KeyFields.isEmpty() || l.KeyFields.size() != l.LookupKeyFields.size())
        throw EDatabaseError(QStringLiteral("Lookup-Feld %1: Schlüsselfelder passen nicht zusammen").arg(name));
    FLookups.push_back(std::move(l));
}

QString TADOQuery::baseTable() const {
    // Only a plain "SELECT ... FROM table [alias] [WHERE ...]" can be written back.
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*select\s+(?:(?!\bfrom\b).)*\bfrom\s+([A-Za-z_][A-Za-z0-9_]*)(?:\s+(?:as\s+)?(?!where\b|order\b|group\b)[A-Za-z_][A-Za-z0-9_]*)?\s*(?:$|\bwhere\b|\border\b))"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(FSQL);
    if (!m.hasMatch() || FSQL.contains(QStringLiteral(" join "), Qt::CaseInsensitive))
        throw EDatabaseError(QStringLiteral("Die Datenmenge kann nicht geändert werden (keine einzelne Tabelle)."), FSQL);
    return m.captured(1);
}

void TADOQuery::Edit() {
    if (!Active()) throw EDatabaseError(QStringLiteral("Die Datenmenge ist geschlossen."), FSQL);
    if (FState == TDataSetState::dsEdit) return;
    requireRandomAccess();
    if (FVisible.empty()) throw EDatabaseError(QStringLiteral("Die Datenmenge ist leer; es gibt keinen Datensatz zum Ändern."), FSQL);
    FEditBuffer = FRows.at(FVisible[FCursor]);
    FState = TDataSetState::dsEdit;
}

void TADOQuery::Cancel() {
    if (FState != TDataSetState::dsEdit) return;
    FEditBuffer.clear();
    FState = TDataSetState::dsBrowse;
}

void TADOQuery::Post() {
    if (FState != TDataSetState::dsEdit) throw EDatabaseError(QStringLiteral("Die Datenmenge ist nicht im Bearbeitungsmodus."), FSQL);
    const int row = FVisible[FCursor];
    const QVector<QVariant>& original = FRows.at(row);
    QVector<int> changed;
    for (int i = 0; i < FFieldNames.size(); ++i) {
        const QVariant& a = original.at(i);
        const QVariant& b = FEditBuffer.at(i);
        if (a.isNull() != b.isNull() || (!a.isNull() && variantText(a) != variantText(b))) changed.append(i);
    }
    if (changed.isEmpty()) {
        Cancel();
        return;
    }
    TADOConnection* conn = connectionOrThrow();
    const QString table = baseTable();
    static const QRegularExpression ident(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    QStringList keys = conn->PrimaryKeyColumns(table);
    for (const QString& k : keys)
        if (fieldIndex(k) < 0 || fieldIndex(k) >= FFieldNames.size())
            throw EDatabaseError(QStringLiteral("Die Datenmenge kann nicht geändert werden: das Schlüsselfeld %1 fehlt.").arg(k), FSQL);
    if (keys.isEmpty())
        throw EDatabaseError(QStringLiteral("Die Datenmenge kann nicht geändert werden: die Tabelle %1 hat keinen Primärschlüssel.").arg(table), FSQL);
    QStringList sets, where;
    std::vector<TParameter> params;
    for (int i : changed) {
        if (!ident.match(FFieldNames.at(i)).hasMatch())
            throw EDatabaseError(QStringLiteral("Das Feld '%1' kann nicht geändert werden.").arg(FFieldNames.at(i)), FSQL);
        const QString p = QStringLiteral("v%1").arg(params.size());
        sets.append(FFieldNames.at(i) + QStringLiteral("=:") + p);
        params.push_back({p, FEditBuffer.at(i)});
    }
    for (const QString& k : keys) {
        const QString p = QStringLiteral("v%1").arg(params.size());
        where.append(k + QStringLiteral("=:") + p);
        params.push_back({p, original.at(fieldIndex(k))});
    }
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(table, sets.join(QLatin1Char(',')), where.join(QStringLiteral(" AND ")));
    const int affected = RunStatement(*conn, sql, params).RowsAffected;
    if (affected != 1)
        throw EDatabaseError(QStringLiteral("Der Datensatz wurde nicht gefunden oder von einem anderen Benutzer geändert."), sql);
    FRows[row] = FEditBuffer;
    Cancel();
}

// ---------------------------------------------------------------------------
// TADOCommand

TADOCommand::TADOCommand(QObject* parent) : QObject(parent) {}

TADOCommand::TADOCommand(TADOConnection* connection, QObject* parent) : QObject(parent), FConnection(connection) {}

void TADOCommand::SetCommandText(const QString& sql) {
    FSQL = sql;
    FParams = paramsFor(sql, FParams);
}

TParameter& TADOCommand::ParamByName(const QString& name) { return paramByName(FParams, name); }

int TADOCommand::Execute() {
    if (!FConnection) throw EDatabaseError(QStringLiteral("Keine Verbindung für den Befehl"), FSQL);
    return RunStatement(*FConnection, FSQL, FParams).RowsAffected;
}
