#pragma once

#include "FileSystem.h"
#include "Schema.h"
#include "Sqlite.h"

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>

namespace store {

class Table;

// One data folder's database file, or the same tables on a PostgreSQL server.
// Owns the connection, knows the tables' definitions, runs transactions and
// holds the in-process table locks.
class Database : public QObject {
    Q_OBJECT
public:
    // Opens an existing database file, or connects to the server that `file`
    // names (a libpq URI or key=value string); throws when it is missing or
    // unreadable.
    static std::unique_ptr<Database> open(const QString& file);
    // Creates a new, empty database file, replacing one that is there. On a
    // server it connects: each table is replaced as it is created.
    static std::unique_ptr<Database> create(const QString& file);
    ~Database() override;

    QString file() const { return file_; }
    // The journal chosen for the folder's file system when the file was opened.
    JournalMode journalMode() const { return journalMode_; }
    QString folder() const;
    bool isServer() const;
    // The server's address and database, for messages and the About window.
    QString serverName() const;
    // Statements sent to the server so far (each one round trip).
    quint64 roundTrips() const;

    QStringList tableNames();
    bool hasTable(const QString& name);
    // The definition of a table present in the file (the built-in one when the
    // name is one of the data folder's tables). Throws when the table is absent.
    TableDef tableDef(const QString& name);
    // A query statement's translation into SQL, made by `make` at most once
    // while the file's tables stay as they are.
    struct QueryText {
        QString table;
        QString sql;
        int params = 0;
    };
    QueryText queryText(const QString& statement, const std::function<QueryText()>& make);
    // SQLite's data version: changes whenever another connection (another
    // program, or another connection of this one) commits to the file.
    qint64 dataVersion();
    // The file's schema version: changes with every change to the tables' shape.
    qint64 schemaVersion();
    // Whether the file holds a unique index over exactly the table's key fields,
    // so that no two rows can share a key without an empty key field.
    bool hasUniqueKey(const QString& table);
    // Whether a row written to the table reads back as the values bound: every
    // column declared as this program declares its field type, no trigger and
    // no generated column. Then a cursor need not read a row it just wrote.
    bool storesAsDeclared(const QString& table);
    // Creates (replacing) a table with the given fields and key.
    void createTable(const TableDef& def);
    void createDataFolderTables();

    // Rows written below every cursor and row event; cursors on the table resync.
    void deleteWhere(const QString& table, const QStringList& fields, const QVariantList& values);

    QString integrityCheck();

    // Transactions nest: the outermost begin/commit is a real transaction, inner
    // ones are savepoints. The outermost one takes the write lock at once
    // (waiting up to the busy timeout for another program), so a transaction
    // never has to upgrade a read to a write halfway. Every write of the store
    // runs inside one; outside, a single write is its own transaction.
    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return depth_ > 0; }
    // The serial of the write transaction open, 0 outside one. While it stays
    // the same, no other program can have written: the transaction holds the
    // write lock.
    quint64 writeTransaction() const;

    // In-process write lock: while a cursor holds it, writes through any other
    // cursor on the same table fail.
    void lockTable(const QString& table, const Table* owner);
    void unlockTable(const QString& table, const Table* owner);
    void checkWritable(const QString& table, const Table* writer) const;

    // While writes are held (a bulk command on a server), a post inside the
    // command's transaction sends its write with the next round trip instead
    // of waiting for it; should the write be refused (another user changed
    // the row), the command fails at that round trip and rolls back whole.
    void holdWrites(bool on) { heldWrites_ += on ? 1 : -1; }
    bool writesHeld() const { return heldWrites_ > 0 && isServer(); }

    sql::Connection& connection() { return *conn_; }
    sql::Statement& cached(const QString& text);
    // Ends every cached statement's read, so the connection holds no snapshot
    // (and, with a rollback journal, no shared lock) between operations.
    void releaseReads();

    // Tells every cursor on `table` except `source` that rows changed under it.
    void notifyChanged(const QString& table, const void* source);

    // What has happened to `table` through this connection: the write
    // transaction open (0 outside one), the changes told and the rollbacks.
    // Two equal stamps with a transaction open mean that nobody changed the
    // table in between: the transaction holds the write lock against other
    // programs, and this program tells every write.
    struct ChangeStamp {
        quint64 transaction = 0, changes = 0, rollbacks = 0;
        bool operator==(const ChangeStamp&) const = default;
    };
    ChangeStamp changeStamp(const QString& table) const;

signals:
    void tableChanged(const QString& table, const void* source);
    void rolledBack();

private:
    Database(const QString& file, sql::Connection::Mode mode);
    void configure();
    // Drops the remembered definitions when any connection changed the tables.
    void checkSchema();
    TableDef readTableDef(const QString& name);

    QString file_;
    JournalMode journalMode_ = JournalMode::WriteAheadLog;
    std::unique_ptr<sql::Connection> conn_;
    std::map<QString, std::unique_ptr<sql::Statement>> statements_;
    std::map<QString, const Table*> locks_;
    qint64 schemaVersion_ = -1;
    quint64 schemaCheckedIn_ = 0;
    std::map<QString, TableDef> tableDefs_;
    std::map<QString, QueryText> queryTexts_;
    std::map<QString, bool> uniqueKeys_;
    std::map<QString, bool> asDeclared_;
    int depth_ = 0;
    int heldWrites_ = 0;
    quint64 transactions_ = 0, rollbacks_ = 0;
    std::map<QString, quint64> changes_;
};

// Holds a database's writes for as long as it lives.
class HeldWrites {
public:
    explicit HeldWrites(Database& db) : db_(db) { db_.holdWrites(true); }
    ~HeldWrites() { db_.holdWrites(false); }
    HeldWrites(const HeldWrites&) = delete;
    HeldWrites& operator=(const HeldWrites&) = delete;

private:
    Database& db_;
};

// Scoped transaction: rolls back unless committed.
class Transaction {
public:
    explicit Transaction(Database& db) : db_(db) { db_.begin(); }
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& db_;
    bool done_ = false;
};

// Column declaration used for a field, e.g. TEXT(15), and back.
QString columnDeclaration(const FieldDef& field);
FieldDef fieldFromDeclaration(const QString& name, const QString& declaration);

}  // namespace store
