#pragma once

#include "Schema.h"
#include "Sqlite.h"

#include <vector>

// The catalogue questions the store asks of a PostgreSQL server, answered from
// its system tables as SQLite answers them from sqlite_master and its pragmas.
namespace store::server {

QStringList tableNames(sql::Connection& conn);
bool hasTable(sql::Connection& conn, const QString& name);
// Changes with every change to the shape of the schema's tables.
// The query giving the schema version below, in the store's dialect.
QString schemaVersionQuery();
qint64 schemaVersion(sql::Connection& conn);
// The fields in column order, as the store declared them (the hidden rowid left out).
std::vector<FieldDef> columns(sql::Connection& conn, const QString& table);
// The fields of the table's "<name>_key" index, empty when it has none.
QStringList keyFields(sql::Connection& conn, const QString& table);
bool hasUniqueKey(sql::Connection& conn, const TableDef& def);
bool storesAsDeclared(sql::Connection& conn, const TableDef& def);
// Creates (replacing) the table, its key index and the trigger that tells
// other connections of every commit to it.
void createTable(sql::Connection& conn, const TableDef& def);

}  // namespace store::server
