#pragma once
// The tables of the host database and of the host's internal database, as the
// plug-ins read and write them. One description yields the DDL for SQLite and
// for PostgreSQL; names are unquoted so both engines match them without regard
// to case.
#include "Database.h"

#include <QString>
#include <QStringList>
#include <vector>

enum class TSchemaKind { Host, Intern };

enum class TColumnType { Integer, Text, Memo, Flag };

struct TColumnDef {
    const char* Name;
    TColumnType Type;
    int Size = 0;              // Text: maximum length
    bool NotNull = false;
    const char* Default = nullptr;  // SQL literal
    const char* References = nullptr;  // "Table(Column)"
};

struct TTableDef {
    const char* Name;
    std::vector<TColumnDef> Columns;
    std::vector<const char*> PrimaryKey;
    std::vector<std::vector<const char*>> Indexes;
    std::vector<std::vector<const char*>> Unique;
};

// The tables of one database, in an order that satisfies the foreign keys.
const std::vector<TTableDef>& SchemaTables(TSchemaKind kind);

// CREATE TABLE and CREATE INDEX statements, in order.
QStringList SchemaStatements(TSchemaKind kind, TDbEngine engine);

// Creates the tables in an empty database, in one transaction. Raises
// EDatabaseError, naming the table, when one of them exists already.
void CreateSchema(TADOConnection& connection, TSchemaKind kind = TSchemaKind::Host);
