#pragma once

#include <QString>
#include <QByteArrayView>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace store::sql {

class PgConnection;
class PgStatement;

// Thin RAII wrappers over the SQLite C interface, or over libpq for a store on
// a PostgreSQL server; every failure throws StoreError. Statements are written
// in SQLite's dialect and translated for the server in one place.
class Connection {
public:
    // ReadOnly: a file from elsewhere, read without ever writing to it.
    enum class Mode { OpenExisting, CreateNew, ReadOnly };
    Connection(const QString& path, Mode mode);
    // A connection to a server: `target` is a libpq URI or key=value string.
    explicit Connection(const QString& target);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void exec(const QString& statement);
    sqlite3* handle() const { return db_; }
    PgConnection* server() const { return pg_.get(); }
    bool isServer() const { return pg_ != nullptr; }
    // Whether a transaction is open (SQLite or the server may end one
    // themselves after a hard error or a lost connection).
    bool inTransaction() const;
    // Statements sent to the server so far; 0 on a file.
    quint64 roundTrips() const;
    QString errorMessage() const;
    qint64 changes() const;
    qint64 lastInsertRowid() const;

private:
    sqlite3* db_ = nullptr;
    std::unique_ptr<PgConnection> pg_;
};

class Statement {
public:
    Statement(Connection& connection, const QString& text);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void reset();
    // Ends a read without dropping the bound values, so that the statement
    // holds no snapshot of the file while it waits for its next use.
    void release();
    // Binds 1-based; an invalid QVariant binds NULL.
    void bind(int index, const QVariant& value);
    // True while a row is available.
    bool step();
    // Runs a write whose result nothing waits for; `check` is told the rows
    // it changed and may throw. On a server it goes with the next round trip
    // (so the check fails the command later, at that round trip); on a file
    // it runs at once.
    void runLater(std::function<void(qint64 changes)> check);
    // Runs the statements, bound, together (on a server, in one round trip);
    // each is then stepped through its rows as usual.
    static void runTogether(const std::vector<Statement*>& statements);
    int columnCount() const;
    QVariant column(int index) const;
    qint64 columnInt64(int index) const;
    // The storage class of a column of the current row, and a text column's
    // UTF-8 bytes, valid until the next step: for reads that convert the
    // values themselves.
    enum class Type { Integer = 1, Float = 2, Text = 3, Blob = 4, Null = 5 }; // SQLite's numbers
    Type columnType(int index) const;
    QByteArrayView columnUtf8(int index) const;
    double columnDouble(int index) const;

private:
    Connection& connection_;
    sqlite3_stmt* stmt_ = nullptr;
    std::unique_ptr<PgStatement> pg_;
    QString text_;
};

QString quoteIdentifier(const QString& name);

// How long a connection waits for another program's lock, in milliseconds.
constexpr int BusyTimeoutMs = 5000;

}  // namespace store::sql
