#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

struct pg_conn;
struct pg_result;

namespace store::sql {

// Whether a store location names a PostgreSQL server (a libpq connection URI
// or key=value string) rather than a database file.
bool isServerLocation(const QString& location);

// The store's SQL, written for SQLite, as PostgreSQL takes it: ?N becomes $N,
// "IS ?" compares with NULL-safe equality, sort orders put empty values first as
// SQLite does, names with capitals are quoted, and an INSERT returns the new
// row's rowid. `params` receives the SQLite parameter numbers in the order of
// the server's $1, $2, …
QString toPostgres(const QString& text, bool* returnsRowid = nullptr, std::vector<int>* params = nullptr);

// One libpq connection. Counts the statements sent (each one round trip),
// reconnects after a lost connection when no transaction was open, and turns
// the server's errors into the store's.
class PgConnection {
public:
    explicit PgConnection(const QString& target);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Runs one statement with text parameters (a null QByteArray binds NULL);
    // `name` non-empty runs a statement prepared under that name.
    pg_result* run(const QByteArray& text, const std::vector<QByteArray>& params, const QByteArray& name = {});
    // Prepares `text` under `name` for later runs.
    void prepare(const QByteArray& name, const QByteArray& text);
    // Runs statements in the store's SQLite dialect, or as they stand.
    void exec(const QString& statement);
    void execRaw(const QString& statement);

    bool inTransaction() const;
    // The store gave up a transaction the server had already lost.
    void transactionEnded();
    // Changes when the connection was made anew: statements prepared before are gone.
    quint64 generation() const { return generation_; }
    quint64 roundTrips() const { return roundTrips_; }
    // Notifications of other connections' commits received so far (no round trip).
    quint64 othersCommits();
    QString describe() const;
    qint64 changes = 0;
    qint64 lastInsertRowid = 0;
    QString target() const { return target_; }

private:
    void connect();
    void ensureConnected();
    // Holds back a SAVEPOINT, or drops a release of one held back; false for other statements.
    bool deferSavepoint(const QString& statement);
    void sendSavepoints();
    [[noreturn]] void fail(pg_result* result, const QString& statement);

    QString target_;
    pg_conn* conn_ = nullptr;
    quint64 generation_ = 0;
    quint64 roundTrips_ = 0;
    quint64 othersCommits_ = 0;
    int ownPid_ = 0;
    bool transactionOpen_ = false;
    QStringList pendingSavepoints_;
};

class PgStatement {
public:
    PgStatement(PgConnection& connection, const QString& text);
    ~PgStatement();
    PgStatement(const PgStatement&) = delete;
    PgStatement& operator=(const PgStatement&) = delete;

    void release();
    void reset();
    void bind(int index, const QVariant& value);
    bool step();
    int columnCount() const;
    bool isNull(int index) const;
    // 1 integer, 2 float, 3 text (SQLite's numbering), by the column's type.
    int columnKind(int index) const;
    QByteArray columnBytes(int index) const;
    const char* columnText(int index) const;
    int columnLength(int index) const;
    qint64 columnInt64(int index) const;
    double columnDouble(int index) const;

private:
    qint64 columnInt64At(int index) const;

    PgConnection& connection_;
    QByteArray text_;
    bool returnsRowid_ = false;
    bool preparable_ = false;
    std::vector<QByteArray> params_;
    // The place in params_ of each SQLite parameter number, -1 where unused.
    std::vector<int> slots_;
    pg_result* result_ = nullptr;
    int row_ = -1;
    int uses_ = 0;
    QByteArray name_;
    quint64 preparedIn_ = 0;
    std::vector<int> kinds_;
};

}  // namespace store::sql
