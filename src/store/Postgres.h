#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>
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

// A statement for the server in its own dialect: run as it stands, or the
// statement prepared under `name`.
struct PgRequest {
    QByteArray text;
    std::vector<QByteArray> params; // a null QByteArray binds NULL
    QByteArray name;
};

// One libpq connection. Counts the round trips to the server, reconnects after
// a lost connection when no transaction was open, and turns the server's
// errors into the store's.
//
// A round trip costs an office network up to a millisecond, so statements
// whose answer nobody waits for (BEGIN, savepoints, their releases, a
// preparation, a write the caller lets go ahead) are held back and sent in
// one pipeline with the next statement that must wait for its answer.
class PgConnection {
public:
    explicit PgConnection(const QString& target);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Runs one statement, and whatever was held back before it, in one round
    // trip. The caller owns the result.
    pg_result* run(const PgRequest& request);
    // Runs several statements in one round trip; their results in order.
    std::vector<pg_result*> runAll(const std::vector<PgRequest>& requests);
    // Prepares `text` under `name`, sent with the next statement.
    void prepare(const QByteArray& name, const QByteArray& text);
    // Holds a write back until the next round trip; `check` then receives the
    // number of rows it changed and may throw, failing that command.
    void runLater(const PgRequest& request, std::function<void(qint64)> check);
    // Sends what is held back now.
    void flush();
    // Runs statements in the store's SQLite dialect, or as they stand.
    void exec(const QString& statement);
    void execRaw(const QString& statement);

    bool inTransaction() const;
    // The store gave up a transaction the server had already lost.
    void transactionEnded();
    // A query run at the start of every transaction, in the same round trip as
    // the transaction's first statement; its first value, in the transaction open.
    void setTransactionProbe(const QByteArray& text) { probeText_ = text; }
    std::optional<qint64> probe();
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
    struct Held {
        PgRequest request;
        bool prepare = false;
        // Told the rows changed; for held-back writes.
        std::function<void(qint64)> check;
        // Told the result; for the transaction's probe.
        std::function<void(pg_result*)> read;
    };
    void connect();
    void ensureConnected();
    // Whether nothing of the transaction open has reached the server yet.
    bool beginHeld() const;
    // Holds back a transaction's control statement; false for other statements.
    bool holdBack(const QString& statement);
    void hold(const QString& statement);
    // Sends what is held back and `requests` in one round trip.
    std::vector<pg_result*> send(const std::vector<PgRequest>& requests);
    // Sends `items` and reads their results; false when the connection was found lost.
    bool exchange(const std::vector<Held>& items, std::vector<pg_result*>& results);
    [[noreturn]] void fail(pg_result* result, const QString& statement);
    [[noreturn]] void lost(const QString& why);

    QString target_;
    pg_conn* conn_ = nullptr;
    quint64 generation_ = 0;
    quint64 roundTrips_ = 0;
    quint64 othersCommits_ = 0;
    int ownPid_ = 0;
    bool transactionOpen_ = false;
    std::vector<Held> held_;
    QByteArray probeText_;
    std::optional<qint64> probe_;
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
    // Runs a write held back until the next round trip; `check` is told the rows it changed.
    void runLater(std::function<void(qint64)> check);
    // Runs the statements, bound, in one round trip; each is then stepped through its rows.
    static void runTogether(const std::vector<PgStatement*>& statements);
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
    // What running the statement sends, prepared from its second use on.
    PgRequest request();
    void adopt(pg_result* result);

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
