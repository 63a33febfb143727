#pragma once

#include "TableUtility.h"
#include "store/Database.h"

#include <QString>
#include <QVariantList>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// Shared pieces of the service's implementation; not for callers.
namespace maintenance::engine {

struct TUSessionData {
    TUProgressCallback callback;
    QString lastError;
    TURebuildCounts counts;
};

// Where a table path points.
struct TableLocation {
    QString folder;
    QString table;  // as given, without an ending ".db"
    QString dbFile; // empty when the folder holds no database
};
TableLocation locate(const QString& tablePath);

// A database connection that checks cell sizes as it reads, so damage is
// found when a page is touched rather than trusted.
class Db {
public:
    Db() = default;
    ~Db();
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;
    // SQLite's result code; the connection is usable only on SQLITE_OK.
    int open(const QString& file, bool create = false);
    // Runs a statement; false (and the message) on failure.
    bool exec(const QString& sql, QString* error = nullptr);
    int lastCode() const;
    QString lastMessage() const;
    sqlite3* handle() const { return db_; }
    // The table's name as stored (case-insensitive match); empty when absent.
    QString storedTableName(const QString& table);

private:
    sqlite3* db_ = nullptr;
};

// True when the file starts with a sound database header.
bool fileHeaderSound(const QString& file);

// The table's fields as the file declares them.
std::vector<store::FieldDef> fileFields(Db& db, const QString& table);
// Indexes on the table as the file holds them.
std::vector<TUIndexDesc> fileIndexes(Db& db, const QString& table);
// The definition a rebuilt table receives: the data folder's own for its
// tables, else what the file declares.
CRTblDesc definitionOf(Db& db, const QString& table);

// One row per line of `integrity_check` that is not "ok"; an error that stops
// the check is returned as one more line.
QStringList integrityProblems(Db& db, const QString& table);

// Writes rows into a work table (a file of its own, table named `table`),
// replacing what that table held; with no rows the table is dropped.
bool writeWorkTable(const QString& file, const QString& table,
                    const std::vector<store::FieldDef>& fields,
                    const std::vector<QVariantList>& rows, QString* error);
// A bare work-table name lives in the data folder; a name differing only in
// letter case from a file there means that file.
QString workTablePath(const QString& name, const QString& dataFolder);

void bindValue(sqlite3_stmt* st, int index, const QVariant& value);
QString quoted(const QString& name);
void report(TUSessionData* s, std::uint32_t phase, int percent, const QString& message = {});

} // namespace maintenance::engine

namespace maintenance {
struct TUSession : engine::TUSessionData {};
} // namespace maintenance
