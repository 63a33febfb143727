#include "ServerSchema.h"

#include "Database.h"
#include "Postgres.h"

#include <algorithm>
#include <map>

namespace store::server {

using sql::quoteIdentifier;

namespace {

// Text sorts by its bytes, as in a data folder, whatever the server's locale.
QString serverType(const FieldDef& f) {
    switch (f.type) {
    case FieldType::Integer:
    case FieldType::Logical: return QStringLiteral("bigint");
    case FieldType::Number: return QStringLiteral("double precision");
    default: return QStringLiteral("text COLLATE \"C\"");
    }
}

// The type as the catalogue names it.
QString plainType(const FieldDef& f) {
    switch (f.type) {
    case FieldType::Integer:
    case FieldType::Logical: return QStringLiteral("bigint");
    case FieldType::Number: return QStringLiteral("double precision");
    default: return QStringLiteral("text");
    }
}

const char* const TableFilter = "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                                "WHERE n.nspname = current_schema() AND c.relkind = 'r'";

} // namespace

QStringList tableNames(sql::Connection& conn) {
    sql::Statement st(conn, QStringLiteral("SELECT c.relname::text %1 ORDER BY 1 COLLATE \"C\"").arg(QLatin1String(TableFilter)));
    QStringList names;
    while (st.step()) names << st.column(0).toString();
    return names;
}

bool hasTable(sql::Connection& conn, const QString& name) {
    sql::Statement st(conn, QStringLiteral("SELECT 1 %1 AND c.relname = ?1").arg(QLatin1String(TableFilter)));
    st.bind(1, name);
    return st.step();
}

QString schemaVersionQuery() {
    // Every CREATE, ALTER or DROP rewrites or removes rows of pg_class and
    // pg_attribute: their newest transaction ids and counts change with it.
    return QStringLiteral(
        "SELECT count(*) * 1000003 + coalesce(max(c.xmin::text::bigint), 0) + "
        "(SELECT coalesce(sum(a.xmin::text::bigint), 0) FROM pg_attribute a WHERE a.attrelid IN "
        "(SELECT c2.oid FROM pg_class c2 WHERE c2.relnamespace = (SELECT oid FROM pg_namespace WHERE nspname = current_schema()))) "
        "%1").arg(QLatin1String(TableFilter));
}

qint64 schemaVersion(sql::Connection& conn) {
    // The transaction's first round trip brought it along.
    if (const std::optional<qint64> v = conn.server()->probe()) return *v;
    sql::Statement st(conn, schemaVersionQuery());
    return st.step() ? st.columnInt64(0) : -1;
}

namespace {

struct Column {
    FieldDef field;
    QString type, declared;
    bool plain = true;
};

std::vector<Column> readColumns(sql::Connection& conn, const QString& table) {
    sql::Statement st(conn, QStringLiteral(
        "SELECT a.attname::text, format_type(a.atttypid, a.atttypmod), col_description(a.attrelid, a.attnum), "
        "a.attgenerated = '' AND NOT a.atthasdef "
        "FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid JOIN pg_namespace n ON n.oid = c.relnamespace "
        "WHERE n.nspname = current_schema() AND c.relname = ?1 AND a.attnum > 0 AND NOT a.attisdropped "
        "AND a.attname <> 'rowid' ORDER BY a.attnum"));
    st.bind(1, table);
    std::vector<Column> out;
    while (st.step()) {
        Column c;
        c.type = st.column(1).toString();
        c.declared = st.column(2).toString();
        c.plain = st.columnInt64(3) != 0;
        QString declaration = c.declared;
        if (declaration.isEmpty())
            declaration = c.type == QLatin1String("bigint") || c.type == QLatin1String("integer") ? QStringLiteral("INTEGER")
                          : c.type == QLatin1String("double precision")                          ? QStringLiteral("REAL")
                                                                                                  : QStringLiteral("MEMO TEXT");
        c.field = fieldFromDeclaration(st.column(0).toString(), declaration);
        out.push_back(c);
    }
    return out;
}

} // namespace

std::vector<FieldDef> columns(sql::Connection& conn, const QString& table) {
    std::vector<FieldDef> out;
    for (const Column& c : readColumns(conn, table)) out.push_back(c.field);
    return out;
}

namespace {

// The column names of every unique index of the table, by index.
std::map<QString, QStringList> indexColumns(sql::Connection& conn, const QString& table, bool uniqueOnly) {
    sql::Statement st(conn, QStringLiteral(
        "SELECT ic.relname::text, a.attname::text FROM pg_index i "
        "JOIN pg_class c ON c.oid = i.indrelid JOIN pg_namespace n ON n.oid = c.relnamespace "
        "JOIN pg_class ic ON ic.oid = i.indexrelid "
        "JOIN LATERAL unnest(i.indkey) WITH ORDINALITY k(attnum, ord) ON true "
        "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum = k.attnum "
        "WHERE n.nspname = current_schema() AND c.relname = ?1 AND (i.indisunique OR ?2 = 0) "
        "ORDER BY 1, k.ord"));
    st.bind(1, table);
    st.bind(2, uniqueOnly ? 1 : 0);
    std::map<QString, QStringList> out;
    while (st.step()) out[st.column(0).toString()] << st.column(1).toString();
    return out;
}

} // namespace

QStringList keyFields(sql::Connection& conn, const QString& table) {
    const auto indexes = indexColumns(conn, table, false);
    const auto it = indexes.find(table + QStringLiteral("_key"));
    return it == indexes.end() ? QStringList() : it->second;
}

bool hasUniqueKey(sql::Connection& conn, const TableDef& def) {
    if (!def.isKeyed()) return false;
    QStringList key;
    for (const QString& k : def.key) key << k.toLower();
    key.sort();
    for (auto [name, cols] : indexColumns(conn, def.name, true)) {
        for (QString& c : cols) c = c.toLower();
        cols.sort();
        if (cols == key) return true;
    }
    return false;
}

bool storesAsDeclared(sql::Connection& conn, const TableDef& def) {
    const std::vector<Column> cols = readColumns(conn, def.name);
    if (cols.size() != def.fields.size()) return false;
    for (size_t i = 0; i < cols.size(); ++i)
        if (!cols[i].plain || cols[i].field.name != def.fields[i].name || cols[i].type != plainType(def.fields[i]) ||
            cols[i].declared.compare(columnDeclaration(def.fields[i]), Qt::CaseInsensitive) != 0)
            return false;
    sql::Statement triggers(conn, QStringLiteral(
        "SELECT 1 FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid JOIN pg_namespace n ON n.oid = c.relnamespace "
        "WHERE n.nspname = current_schema() AND c.relname = ?1 AND NOT t.tgisinternal AND t.tgname <> 'quorvex_notify'"));
    triggers.bind(1, def.name);
    return !triggers.step();
}

void createTable(sql::Connection& conn, const TableDef& def) {
    const QString table = quoteIdentifier(def.name);
    QStringList cols{QStringLiteral("rowid bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")};
    for (const FieldDef& f : def.fields) cols << quoteIdentifier(f.name) + QLatin1Char(' ') + serverType(f);
    QStringList statements;
    statements << QStringLiteral("DROP TABLE IF EXISTS %1").arg(table)
               << QStringLiteral("CREATE TABLE %1 (%2)").arg(table, cols.join(QStringLiteral(", ")));
    // The declaration is kept beside each column, so that a table read back
    // has the widths and kinds it was made with.
    for (const FieldDef& f : def.fields)
        statements << QStringLiteral("COMMENT ON COLUMN %1.%2 IS '%3'").arg(table, quoteIdentifier(f.name), columnDeclaration(f));
    if (def.isKeyed()) {
        QStringList keys;
        for (const QString& k : def.key) keys << quoteIdentifier(k);
        statements << QStringLiteral("CREATE UNIQUE INDEX %1 ON %2 (%3)")
                          .arg(quoteIdentifier(def.name + QStringLiteral("_key")), table, keys.join(QStringLiteral(", ")));
    }
    // Other programs hear of every commit to the table, as SQLite's data version tells them.
    statements << QStringLiteral("CREATE OR REPLACE FUNCTION quorvex_notify() RETURNS trigger LANGUAGE plpgsql AS "
                                 "'BEGIN PERFORM pg_notify(''quorvex_changes'', TG_TABLE_NAME); RETURN NULL; END'")
               << QStringLiteral("CREATE TRIGGER quorvex_notify AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON %1 "
                                 "FOR EACH STATEMENT EXECUTE FUNCTION quorvex_notify()")
                      .arg(table);
    conn.server()->execRaw(statements.join(QStringLiteral("; ")));
}

}  // namespace store::server
