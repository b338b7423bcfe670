#pragma once
// The data layer the plug-ins reach the host database through, modelled on the
// ADO components they were written against: a connection opened from an
// ADO-style connection string, queries with ":Name" parameters and a static
// (fully read) cursor or, on request, a forward-only one, commands that return
// the number of affected rows.
//
// Engines:
//   "Data Source=<file>"  opens that SQLite file. Provider names of the Jet/ACE
//                         family are accepted; a Jet database password in the
//                         string is ignored (SQLite files carry none).
//   "Provider=PostgreSQL;Host=...;Port=...;Database=...;User ID=...;Password=..."
//                         opens a PostgreSQL database (Host may be a socket folder).
// Every database failure is raised as EDatabaseError with the engine's message
// and the statement that failed.
#include "Exceptions.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <memory>
#include <vector>

class TRowStream;

// The one quoting helper: the text in single quotes, inner single quotes doubled.
QString QuotedStr(const QString& text);

enum class TDbEngine { SQLite, PostgreSQL };

// What a connection string names.
struct TConnectionParams {
    TDbEngine Engine = TDbEngine::SQLite;
    QString FileName;  // SQLite
    QString Host;      // PostgreSQL: name, address or socket folder
    int Port = 5432;
    QString Database;
    QString User;
    QString Password;
};

// Splits an OLE DB connection string ("Key=Value;..."; values may be quoted
// with " or ', the quote doubled inside). Keys are matched without regard to case.
// Raises EDatabaseError for a string that names no usable database.
TConnectionParams ParseConnectionString(const QString& connectionString);

class TADOQuery;

class TADOConnection : public QObject {
    Q_OBJECT
public:
    explicit TADOConnection(QObject* parent = nullptr);
    TADOConnection(const QString& connectionString, QObject* parent = nullptr);
    ~TADOConnection() override;

    // Kept for the shape of the original components; no prompt ever appears.
    bool LoginPrompt = false;

    QString ConnectionString() const { return FConnectionString; }
    // Changing the string of an open connection closes it.
    void SetConnectionString(const QString& connectionString);

    void Open();
    void Open(const QString& connectionString);
    void Close();
    bool Connected() const { return FDb.isValid() && FDb.isOpen(); }
    TDbEngine Engine() const { return FParams.Engine; }

    // Runs a statement that returns no rows; the result is the number of affected rows.
    int Execute(const QString& sql);

    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const { return FInTransaction; }

    // Table names as the engine reports them.
    QStringList GetTableNames();
    // The primary-key columns of a table (empty when it has none).
    QStringList PrimaryKeyColumns(const QString& table);

    // The open Qt connection (opens it first when needed).
    QSqlDatabase& Database();

signals:
    // Before the Qt connection goes away: queries still reading from it let go.
    void Closing();

private:
    QString FConnectionString;
    TConnectionParams FParams;
    QString FName;
    QSqlDatabase FDb;
    bool FInTransaction = false;
};

// A named parameter of a query or command.
struct TParameter {
    QString Name;
    QVariant Value;
    void SetValue(const QVariant& value) { Value = value; }
    void Clear() { Value = QVariant(); }
};

// A parsed statement: the text with every ":Name" outside quotes replaced by "?",
// and the parameter names in the order of their occurrence.
struct TParsedStatement {
    QString Sql;
    QStringList Occurrences;
};
TParsedStatement ParseParameters(const QString& sql);

// One field of the current row of a query, by value (cheap to copy).
class TField {
public:
    TField() = default;
    TField(const TADOQuery* dataSet, int index) : FDataSet(dataSet), FIndex(index) {}

    bool IsValid() const { return FDataSet != nullptr && FIndex >= 0; }
    QString FieldName() const;
    QVariant Value() const;
    bool IsNull() const;
    // Null reads as "", 0 and 0.0. A text that is no number raises EConvertError.
    QString AsString() const;
    int AsInteger() const;
    double AsFloat() const;

    // Only while the query is being edited (Edit ... Post).
    void SetValue(const QVariant& value) const;
    void SetAsString(const QString& value) const { SetValue(value); }
    void SetAsInteger(int value) const { SetValue(value); }
    void SetAsFloat(double value) const { SetValue(value); }
    void Clear() const { SetValue(QVariant()); }

private:
    const TADOQuery* FDataSet = nullptr;
    int FIndex = -1;
};

enum class TDataSetState { dsInactive, dsBrowse, dsEdit };

class TADOQuery : public QObject {
    Q_OBJECT
public:
    explicit TADOQuery(QObject* parent = nullptr);
    TADOQuery(TADOConnection* connection, QObject* parent = nullptr);
    ~TADOQuery() override;

    void SetConnection(TADOConnection* connection);
    TADOConnection* Connection() const { return FConnection; }
    // A query with a connection string of its own opens a private connection.
    void SetConnectionString(const QString& connectionString);

    // Setting the text closes the query; parameters of the same name keep their values.
    void SetSQL(const QString& sql);
    QString SQL() const { return FSQL; }
    TParameter& ParamByName(const QString& name);
    QStringList ParamNames() const;

    // A forward-only cursor reads one row at a time from the database instead of
    // holding the whole result, for runs that visit every row once in order.
    // It takes effect at the next Open. While it is open, RecordCount is -1
    // (unknown, as with the original components), First is allowed only before
    // the first Next, and Prior, Last, Locate, Edit and filters raise EDatabaseError.
    void SetForwardOnly(bool forwardOnly) { FForwardOnly = forwardOnly; }
    bool ForwardOnly() const { return FForwardOnly; }

    void Open();
    void Close();
    bool Active() const { return FState != TDataSetState::dsInactive; }
    void SetActive(bool active) { active ? Open() : Close(); }
    // Runs the statement again, staying on the same row number where possible.
    void Requery();
    TDataSetState State() const { return FState; }

    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const { return FEof; }
    bool Bof() const { return FBof; }
    bool IsEmpty() const { return FStream ? FStreamRecNo == 0 : FVisible.empty(); }
    int RecordCount() const { return FStream ? -1 : int(FVisible.size()); }
    // 1-based number of the current row; 0 when there is none.
    int RecNo() const { return FStream ? FStreamRecNo : FVisible.empty() ? 0 : FCursor + 1; }

    int FieldCount() const { return FFieldNames.size() + int(FLookups.size()); }
    QStringList FieldNames() const;
    TField Fields(int index) const;
    // By name without regard to case; raises EDatabaseError when there is none.
    TField FieldByName(const QString& name) const;
    // As FieldByName, but an invalid field when there is none.
    TField FindField(const QString& name) const;

    // Moves to the first row whose fields (names separated by ";") equal the values.
    // Returns false and stays where it is when there is none.
    bool Locate(const QString& keyFields, const QVariant& value);
    bool Locate(const QString& keyFields, const QVariantList& values);

    // A filter is an expression in SQL syntax over the fields of the open
    // statement (lookup fields included); it is evaluated on the rows the
    // statement returned, so it never reaches the host database.
    void SetFilter(const QString& filter);
    QString Filter() const { return FFilter; }
    // Raises EDatabaseError when the expression fails; the query stays unfiltered then.
    void SetFiltered(bool filtered);
    bool Filtered() const { return FFiltered; }

    // Master-detail: the parameters of this query take the master's current
    // fields of the same name, and this query re-opens whenever the master moves.
    void SetMasterSource(TADOQuery* master);
    TADOQuery* MasterSource() const { return FMaster; }

    // A field that shows lookupResultField of the lookup query's row whose
    // lookupKeyFields equal this query's keyFields (names separated by ";").
    void AddLookupField(const QString& name, TADOQuery* lookupDataSet, const QString& keyFields,
                        const QString& lookupKeyFields, const QString& lookupResultField);

    // Edit and post of the current row. The statement must read one table whose
    // primary key is among the fields; Post writes the changed fields.
    void Edit();
    void Post();
    void Cancel();

signals:
    void AfterOpen();
    void AfterScroll();
    void AfterClose();

private:
    friend class TField;
    struct Lookup {
        QString Name;
        QPointer<TADOQuery> DataSet;
        QStringList KeyFields;
        QStringList LookupKeyFields;
        QString ResultField;
    };

    TADOConnection* connectionOrThrow() const;
    int fieldIndex(const QString& name) const;  // data fields 0..n-1, lookups n..
    QVariant valueAt(int row, int index) const;
    QVariant currentValue(int index) const;
    QVariant lookupValue(const Lookup& lookup, int row) const;
    void setCurrentValue(int index, const QVariant& value) const;
    void applyFilter();
    void openStream();
    bool fetchStreamRow();
    void requireRandomAccess() const;
    void connectionClosing();
    void scrolled(bool moved);
    void masterChanged();
    void masterClosed(const QStringList& masterFields);
    void closeInternal(bool notifyDetails);
    void takeMasterParameters();
    void detach(TADOQuery* detail);
    QString baseTable() const;

    QPointer<TADOConnection> FConnection;
    TADOConnection* FOwnConnection = nullptr;
    QString FSQL;
    std::vector<TParameter> FParams;
    TDataSetState FState = TDataSetState::dsInactive;
    QStringList FFieldNames;
    QVector<QVector<QVariant>> FRows;
    std::vector<int> FVisible;  // indexes into FRows in cursor order
    int FCursor = 0;
    bool FEof = true;
    bool FBof = true;
    QString FFilter;
    bool FFiltered = false;
    QPointer<TADOQuery> FMaster;
    QList<QPointer<TADOQuery>> FDetails;
    std::vector<Lookup> FLookups;
    mutable QVector<QVariant> FEditBuffer;
    // The forward-only cursor: the running statement and its current row.
    bool FForwardOnly = false;
    std::unique_ptr<TRowStream> FStream;
    int FStreamRecNo = 0;
};

// A statement that returns no rows, with ":Name" parameters.
class TADOCommand : public QObject {
    Q_OBJECT
public:
    explicit TADOCommand(QObject* parent = nullptr);
    TADOCommand(TADOConnection* connection, QObject* parent = nullptr);

    void SetConnection(TADOConnection* connection) { FConnection = connection; }
    TADOConnection* Connection() const { return FConnection; }
    void SetCommandText(const QString& sql);
    QString CommandText() const { return FSQL; }
    TParameter& ParamByName(const QString& name);
    // Runs it; the result is the number of affected rows.
    int Execute();

private:
    QPointer<TADOConnection> FConnection;
    QString FSQL;
    std::vector<TParameter> FParams;
};

// Runs a statement with parameter values by name, for the classes above and for
// code that needs no cursor. Rows are returned when the statement yields them.
struct TStatementResult {
    QStringList FieldNames;
    QVector<QVector<QVariant>> Rows;
    int RowsAffected = -1;
};
TStatementResult RunStatement(TADOConnection& connection, const QString& sql,
                              const std::vector<TParameter>& params = {});
