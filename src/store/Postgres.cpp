#include "Postgres.h"

#include "Schema.h"
#include "Sqlite.h"
#include "StoreError.h"

#include <QDate>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cmath>
#include <libpq-fe.h>

namespace store::sql {

bool isServerLocation(const QString& location) {
    static const QRegularExpression keyValue(QStringLiteral("^\\s*[A-Za-z_]+\\s*="));
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive) ||
           keyValue.match(location).hasMatch();
}

namespace {

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

// Reads the word starting at `i`, or an empty string.
QString wordAt(const QString& s, int i) {
    int j = i;
    while (j < s.size() && isWordChar(s[j])) ++j;
    return s.mid(i, j - i);
}

int skipSpace(const QString& s, int i) {
    while (i < s.size() && s[i].isSpace()) ++i;
    return i;
}

// The data folder's names written all in capitals (SHGC, U_COG …): any other
// word in capitals is SQL. Names in mixed case are always names.
bool isCapitalName(const QString& word) {
    static const QSet<QString> names = [] {
        QSet<QString> n;
        for (const TableDef& t : schema::tables()) {
            if (t.name == t.name.toUpper()) n.insert(t.name);
            for (const FieldDef& f : t.fields)
                if (f.name == f.name.toUpper()) n.insert(f.name);
        }
        return n;
    }();
    return names.contains(word);
}

} // namespace

QString toPostgres(const QString& s, bool* returnsRowid, std::vector<int>* params) {
    QString out;
    std::vector<int> order;
    out.reserve(s.size() + 32);
    int nextParam = 1, depth = 0;
    // For each open parenthesis, whether it holds upper()'s argument.
    std::vector<bool> upperArgs;
    bool afterUpper = false;
    // Inside an ORDER BY list: the depth it stands at and whether the item so far ends in DESC.
    int orderDepth = -1;
    bool itemDesc = false;
    auto endItem = [&] {
        while (out.endsWith(QLatin1Char(' '))) out.chop(1);
        // SQLite sorts empty values first going up and last going down.
        out += itemDesc ? QStringLiteral(" NULLS LAST") : QStringLiteral(" NULLS FIRST");
        itemDesc = false;
    };
    int i = 0;
    const int n = int(s.size());
    while (i < n) {
        const QChar c = s[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            int j = i + 1;
            while (j < n) {
                if (s[j] == c) {
                    if (j + 1 < n && s[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out += s.mid(i, j + 1 - i);
            i = j + 1;
            if (orderDepth >= 0) itemDesc = false;
        } else if (c == QLatin1Char('?')) {
            int j = i + 1;
            while (j < n && s[j].isDigit()) ++j;
            const int number = j > i + 1 ? s.mid(i + 1, j - i - 1).toInt() : nextParam;
            nextParam = std::max(nextParam, number + 1);
            // The server must know every parameter's type: those the text never
            // uses are left out, and the rest numbered without gaps.
            auto at = std::find(order.begin(), order.end(), number);
            if (at == order.end()) at = order.insert(order.end(), number);
            out += QLatin1Char('$') + QString::number(int(at - order.begin()) + 1);
            i = j;
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            const QString word = wordAt(s, i);
            const QString upper = word.toUpper();
            int after = i + int(word.size());
            if (upper == QLatin1String("IS")) {
                // "x IS ?" is SQLite's NULL-safe equality.
                int k = skipSpace(s, after);
                bool negated = false;
                if (wordAt(s, k).toUpper() == QLatin1String("NOT")) {
                    negated = true;
                    k = skipSpace(s, k + 3);
                }
                if (k < n && s[k] == QLatin1Char('?')) {
                    out += negated ? QStringLiteral("IS DISTINCT FROM ") : QStringLiteral("IS NOT DISTINCT FROM ");
                    i = k;
                    continue;
                }
            }
            if (upper == QLatin1String("ORDER")) {
                const int k = skipSpace(s, after);
                if (wordAt(s, k).toUpper() == QLatin1String("BY")) {
                    out += QStringLiteral("ORDER BY ");
                    i = skipSpace(s, k + 2);
                    orderDepth = depth;
                    itemDesc = false;
                    continue;
                }
            }
            if (orderDepth == depth && upper == QLatin1String("LIMIT")) {
                endItem();
                out += QLatin1Char(' ');
                orderDepth = -1;
            }
            if (orderDepth >= 0) itemDesc = upper == QLatin1String("DESC");
            const bool function = skipSpace(s, after) < n && s[skipSpace(s, after)] == QLatin1Char('(');
            // PostgreSQL folds unquoted names to lower case.
            if (word != word.toLower() && (word != upper || (!function && isCapitalName(word))))
                out += QLatin1Char('"') + word + QLatin1Char('"');
            else
                out += word;
            afterUpper = function && upper == QLatin1String("UPPER");
            i = after;
        } else {
            if (c == QLatin1Char('(')) {
                ++depth;
                upperArgs.push_back(afterUpper);
            }
            if (c == QLatin1Char(')') && !upperArgs.empty()) {
                // upper() as Qt knows it, whatever the column's collation:
                // "straße" and "STRASSE" alike, Greek and Cyrillic too.
                if (upperArgs.back()) out += QStringLiteral(" COLLATE \"und-x-icu\"");
                upperArgs.pop_back();
            }
            if (!c.isSpace()) afterUpper = false;
            if (orderDepth >= 0 && depth == orderDepth && (c == QLatin1Char(',') || c == QLatin1Char(')'))) {
                endItem();
                if (c == QLatin1Char(')')) orderDepth = -1;
            }
            if (c == QLatin1Char(')')) {
                --depth;
                if (depth < orderDepth) {
                    endItem();
                    orderDepth = -1;
                }
            }
            if (orderDepth >= 0 && !c.isSpace()) itemDesc = false;
            out += c;
            ++i;
        }
    }
    if (orderDepth >= 0) endItem();
    const bool insert = returnsRowid && s.trimmed().startsWith(QLatin1String("INSERT"), Qt::CaseInsensitive) &&
                        !s.contains(QLatin1String("RETURNING"), Qt::CaseInsensitive);
    if (insert) out += QStringLiteral(" RETURNING rowid");
    if (returnsRowid) *returnsRowid = insert;
    if (params) params->swap(order);
    return out;
}

namespace {

QString plainReason(const QString& message, bool needsPassword) {
    const QString m = message.toLower();
    if (needsPassword)
        return QStringLiteral("the server asks for a password, and none was found in ~/.pgpass, "
                              "the service file or PGPASSWORD");
    if (m.contains(QLatin1String("password authentication failed")))
        return QStringLiteral("the server refused the user name or password");
    if (m.contains(QLatin1String("does not exist")) && m.contains(QLatin1String("database")))
        return QStringLiteral("the database does not exist on the server");
    if (m.contains(QLatin1String("role")) && m.contains(QLatin1String("does not exist")))
        return QStringLiteral("the server knows no such user");
    if (m.contains(QLatin1String("service")) && m.contains(QLatin1String("not found")))
        return QStringLiteral("no such service is defined in the service file");
    if (m.contains(QLatin1String("no pg_hba.conf entry")))
        return QStringLiteral("the server does not accept connections from this computer or user");
    if (m.contains(QLatin1String("could not translate host name")))
        return QStringLiteral("the server's name is not known on the network");
    if (m.contains(QLatin1String("invalid")) || m.contains(QLatin1String("missing")))
        return QStringLiteral("the server address is not understood");
    return QStringLiteral("the server cannot be reached (is it running, and is the address right?)");
}

QString serverName(pg_conn* conn, const QString& target) {
    const char* host = conn ? PQhost(conn) : nullptr;
    const char* db = conn ? PQdb(conn) : nullptr;
    if (!host || !*host || !db || !*db) return target;
    const char* port = PQport(conn);
    QString where = QString::fromUtf8(host);
    if (where.startsWith(QLatin1Char('/'))) where = QStringLiteral("local socket in %1").arg(where);
    return QStringLiteral("%1:%2, database %3").arg(where, QString::fromUtf8(port ? port : ""), QString::fromUtf8(db));
}

// A URI or key=value string with any password taken out, for messages.
QString withoutPassword(const QString& target) {
    QString t = target;
    t.replace(QRegularExpression(QStringLiteral("(password\\s*=\\s*)\\S+")), QStringLiteral("\\1***"));
    t.replace(QRegularExpression(QStringLiteral("(://[^:/@]*):[^@/]*@")), QStringLiteral("\\1:***@"));
    return t;
}

} // namespace

namespace {

bool succeeded(pg_result* r) {
    const ExecStatusType status = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

qint64 changedRows(pg_result* r) {
    const char* tuples = PQcmdTuples(r);
    return tuples && *tuples ? std::atoll(tuples) : 0;
}

} // namespace

PgConnection::PgConnection(const QString& target) : target_(target) { connect(); }

PgConnection::~PgConnection() {
    if (conn_) PQfinish(conn_);
}

void PgConnection::connect() {
    if (conn_) PQfinish(conn_);
    const QByteArray dbname = target_.toUtf8();
    // Later keywords win over the target's: so only those the target may not set come first.
    const char* keys[] = {"connect_timeout", "application_name", "dbname", nullptr};
    const char* values[] = {"10", "glazecalc", dbname.constData(), nullptr};
    conn_ = PQconnectdbParams(keys, values, 1);
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
        const QString why = conn_ ? QString::fromUtf8(PQerrorMessage(conn_)).trimmed() : QStringLiteral("out of memory");
        const bool needsPassword = conn_ && PQconnectionNeedsPassword(conn_);
        const QString name = withoutPassword(target_);
        if (conn_) PQfinish(conn_);
        conn_ = nullptr;
        throw ServerError(QStringLiteral("Cannot open the store on the server %1: %2.\n(%3)")
                              .arg(name, plainReason(why, needsPassword), why));
    }
    ++generation_;
    ownPid_ = PQbackendPID(conn_);
    // A lock held longer than a data folder's busy timeout is the same "in use".
    const QString setUp = QStringLiteral("SET lock_timeout = '%1ms'; SET client_min_messages = warning; "
                                         "LISTEN quorvex_changes")
                              .arg(BusyTimeoutMs);
    ++roundTrips_;
    PGresult* r = PQexec(conn_, setUp.toUtf8().constData());
    if (!succeeded(r)) fail(r, setUp);
    PQclear(r);
}

QString PgConnection::describe() const { return serverName(conn_, withoutPassword(target_)); }

bool PgConnection::inTransaction() const {
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK) return false;
    // A BEGIN held back is a transaction open.
    if (transactionOpen_) return true;
    const PGTransactionStatusType t = PQtransactionStatus(conn_);
    return t == PQTRANS_INTRANS || t == PQTRANS_INERROR || t == PQTRANS_ACTIVE;
}

void PgConnection::ensureConnected() {
    if (conn_ && PQstatus(conn_) == CONNECTION_OK) return;
    // Reconnecting inside a transaction would run the rest of it on its own,
    // without what went before: the transaction must end first.
    if (transactionOpen_ && !beginHeld())
        throw ServerError(QStringLiteral("The connection to the server %1 was lost; the command was rolled "
                                         "back and nothing of it was saved.")
                              .arg(describe()));
    connect();
}

void PgConnection::transactionEnded() {
    transactionOpen_ = false;
    probe_.reset();
    std::erase_if(held_, [](const Held& h) { return !h.prepare; });
}

bool PgConnection::beginHeld() const {
    return std::any_of(held_.begin(), held_.end(), [](const Held& h) { return h.request.text.startsWith("BEGIN"); });
}

std::optional<qint64> PgConnection::probe() {
    if (transactionOpen_ && !probe_ && !probeText_.isEmpty()) flush();
    return transactionOpen_ ? probe_ : std::nullopt;
}

void PgConnection::hold(const QString& statement) {
    held_.push_back(Held{PgRequest{statement.toUtf8(), {}, {}}, false, {}, {}});
}

bool PgConnection::holdBack(const QString& statement) {
    static const QRegularExpression savepoint(QStringLiteral("^SAVEPOINT (\\w+)$"));
    static const QRegularExpression release(QStringLiteral("^RELEASE (\\w+)$"));
    static const QRegularExpression rollbackTo(QStringLiteral("^ROLLBACK TO (\\w+); RELEASE (\\w+)$"));
    auto lastHeldIs = [&](const QString& text) {
        return !held_.empty() && !held_.back().prepare && held_.back().request.text == text.toUtf8();
    };
    auto dropTransactionsWork = [&] { std::erase_if(held_, [](const Held& h) { return !h.prepare; }); };

    if (statement.startsWith(QLatin1String("BEGIN")) && !transactionOpen_) {
        hold(statement);
        probe_.reset();
        if (!probeText_.isEmpty())
            held_.push_back(Held{PgRequest{probeText_, {}, {}}, false, {}, [this](pg_result* r) {
                                     if (PQntuples(r) > 0 && !PQgetisnull(r, 0, 0))
                                         probe_ = std::atoll(PQgetvalue(r, 0, 0));
                                 }});
        transactionOpen_ = true;
        return true;
    }
    if (!transactionOpen_) return false;
    if (savepoint.match(statement).hasMatch()) {
        hold(statement);
        return true;
    }
    // A savepoint nothing ran in need never reach the server.
    if (const auto m = release.match(statement); m.hasMatch()) {
        if (lastHeldIs(QStringLiteral("SAVEPOINT ") + m.captured(1))) held_.pop_back();
        else hold(statement);
        return true;
    }
    if (const auto m = rollbackTo.match(statement); m.hasMatch()) {
        if (lastHeldIs(QStringLiteral("SAVEPOINT ") + m.captured(1))) {
            held_.pop_back();
            return true;
        }
        // What is held back was done inside the savepoint (it was sent before
        // any of it): the rollback undoes it, so it need not be sent at all.
        dropTransactionsWork();
        hold(QStringLiteral("ROLLBACK TO ") + m.captured(1));
        hold(QStringLiteral("RELEASE ") + m.captured(2));
        return true;
    }
    if (statement == QLatin1String("COMMIT")) {
        const bool nothingSent = beginHeld();
        const bool nothingWritten =
            std::none_of(held_.begin(), held_.end(), [](const Held& h) { return bool(h.check); });
        if (nothingSent && nothingWritten) {
            dropTransactionsWork();
        } else {
            // Held-back writes are checked before the COMMIT is sent: a refused
            // one must fail the transaction, not follow it.
            if (!nothingWritten) flush();
            hold(statement);
            flush();
        }
        transactionOpen_ = false;
        probe_.reset();
        return true;
    }
    if (statement == QLatin1String("ROLLBACK")) {
        const bool nothingSent = beginHeld();
        dropTransactionsWork();
        transactionOpen_ = false;
        probe_.reset();
        if (nothingSent) return true;
        ensureConnected();
        ++roundTrips_;
        PGresult* r = PQexec(conn_, "ROLLBACK");
        const ExecStatusType status = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
        if (status != PGRES_COMMAND_OK) fail(r, statement);
        PQclear(r);
        return true;
    }
    return false;
}

quint64 PgConnection::othersCommits() {
    if (!conn_ || !PQconsumeInput(conn_)) return othersCommits_;
    while (PGnotify* note = PQnotifies(conn_)) {
        if (note->be_pid != ownPid_) ++othersCommits_;
        PQfreemem(note);
    }
    return othersCommits_;
}

void PgConnection::lost(const QString& why) {
    throw ServerError(QStringLiteral("The connection to the server %1 was lost; the command was "
                                     "rolled back and nothing of it was saved. The next command "
                                     "connects again.\n(%2)")
                          .arg(describe(), why));
}

void PgConnection::fail(pg_result* result, const QString& statement) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QString code = QString::fromLatin1(state ? state : "");
    QString why = QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(conn_)).trimmed();
    if (why.isEmpty()) why = QString::fromUtf8(PQerrorMessage(conn_)).trimmed();
    PQclear(result);
    if (PQstatus(conn_) != CONNECTION_OK) lost(why);
    if (code == QLatin1String("23505")) throw KeyViolation(why);
    if (code == QLatin1String("55P03") || code == QLatin1String("40P01"))
        throw BusyError(QStringLiteral("The data folder is in use by another program, which kept it locked "
                                       "for more than %1 seconds. Nothing was changed; please try again.\n(%2)")
                            .arg(BusyTimeoutMs / 1000)
                            .arg(why));
    if (code == QLatin1String("40001")) throw ConflictError(conflictMessage(QString()));
    throw StoreError(QStringLiteral("%1\n(%2)").arg(why, statement.left(200)));
}

std::vector<pg_result*> PgConnection::send(const std::vector<PgRequest>& requests) {
    ensureConnected();
    std::vector<Held> items;
    items.swap(held_);
    // A transaction's BEGIN (and its probe) go before any preparation held
    // since before it: the isolation level must be set before anything else runs.
    std::stable_partition(items.begin(), items.end(),
                          [](const Held& h) { return h.request.text.startsWith("BEGIN") || bool(h.read); });
    for (const PgRequest& r : requests) items.push_back(Held{r, false, {}, {}});
    if (items.empty()) return {};
    ++roundTrips_;
    // For support: QUORVEX_SQL_TRACE=1 lists each round trip's statements on stderr.
    if (qEnvironmentVariableIsSet("QUORVEX_SQL_TRACE"))
        for (const Held& h : items)
            std::fprintf(stderr, "%s %s | %s\n", &h == &items.front() ? "SQL" : "  +", h.request.name.constData(),
                         h.request.text.left(400).constData());

    // A connection found lost at a transaction's first round trip is made
    // anew and the round trip sent again: nothing of the transaction had
    // reached the server, and nothing of it can have been committed.
    const bool mayRetry =
        std::any_of(items.begin(), items.end(), [](const Held& h) { return h.request.text.startsWith("BEGIN"); }) &&
        std::none_of(items.begin(), items.end(), [](const Held& h) { return h.request.text == "COMMIT"; });
    std::vector<PGresult*> results;
    for (int attempt = 0; !exchange(items, results); ++attempt) {
        const QString why = QString::fromUtf8(PQerrorMessage(conn_)).trimmed();
        if (!mayRetry || attempt > 0) lost(why);
        connect();
    }
    // The first statement that failed fails them all: those after it were not run.
    for (size_t i = 0; i < items.size(); ++i) {
        if (succeeded(results[i])) continue;
        PGresult* failed = results[i];
        results[i] = nullptr;
        for (PGresult* r : results) PQclear(r);
        // What was prepared in this round trip may not have been: prepare anew.
        ++generation_;
        fail(failed, QString::fromUtf8(items[i].request.text));
    }
    // Held-back writes are checked, and the probe read, before the caller's results go back.
    std::vector<pg_result*> answers;
    try {
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i].check) items[i].check(changedRows(results[i]));
            if (items[i].read) items[i].read(results[i]);
        }
    } catch (...) {
        for (PGresult* r : results) PQclear(r);
        throw;
    }
    const size_t first = items.size() - requests.size();
    for (size_t i = 0; i < items.size(); ++i) {
        if (i >= first) answers.push_back(results[i]);
        else PQclear(results[i]);
    }
    if (!answers.empty()) changes = changedRows(answers.back());
    return answers;
}

bool PgConnection::exchange(const std::vector<Held>& items, std::vector<pg_result*>& results) {
    auto sendOne = [&](const Held& h, bool pipelined) -> PGresult* {
        const PgRequest& q = h.request;
        std::vector<const char*> values(q.params.size());
        for (size_t i = 0; i < q.params.size(); ++i) values[i] = q.params[i].isNull() ? nullptr : q.params[i].constData();
        const int n = int(q.params.size());
        if (!pipelined) {
            if (h.prepare) return PQprepare(conn_, q.name.constData(), q.text.constData(), 0, nullptr);
            return q.name.isEmpty() ? PQexecParams(conn_, q.text.constData(), n, nullptr, values.data(), nullptr, nullptr, 0)
                                    : PQexecPrepared(conn_, q.name.constData(), n, values.data(), nullptr, nullptr, 0);
        }
        int ok = 0;
        if (h.prepare) ok = PQsendPrepare(conn_, q.name.constData(), q.text.constData(), 0, nullptr);
        else if (q.name.isEmpty()) ok = PQsendQueryParams(conn_, q.text.constData(), n, nullptr, values.data(), nullptr, nullptr, 0);
        else ok = PQsendQueryPrepared(conn_, q.name.constData(), n, values.data(), nullptr, nullptr, 0);
        return ok ? reinterpret_cast<PGresult*>(1) : nullptr;
    };
    results.assign(items.size(), nullptr);
    // One statement alone needs no pipeline; a lost connection shows in its result.
    if (items.size() == 1) {
        results[0] = sendOne(items[0], false);
        return true;
    }
    if (!PQenterPipelineMode(conn_)) lost(QString::fromUtf8(PQerrorMessage(conn_)).trimmed());
    bool sent = true;
    for (const Held& h : items) sent = sent && sendOne(h, true) != nullptr;
    sent = sent && PQpipelineSync(conn_);
    if (sent) {
        // Each statement's result, then a null ending it; the sync's last.
        for (size_t i = 0; i < items.size(); ++i) {
            results[i] = PQgetResult(conn_);
            if (!results[i]) break;
            while (PGresult* more = PQgetResult(conn_)) PQclear(more);
        }
        while (PGresult* r = PQgetResult(conn_)) {
            const bool sync = PQresultStatus(r) == PGRES_PIPELINE_SYNC;
            PQclear(r);
            if (sync) break;
        }
    }
    PQexitPipelineMode(conn_);
    if (sent && PQstatus(conn_) == CONNECTION_OK) return true;
    for (PGresult*& r : results) {
        PQclear(r);
        r = nullptr;
    }
    return false;
}

pg_result* PgConnection::run(const PgRequest& request) { return send({request}).front(); }

std::vector<pg_result*> PgConnection::runAll(const std::vector<PgRequest>& requests) { return send(requests); }

void PgConnection::flush() {
    if (!held_.empty()) send({});
}

void PgConnection::prepare(const QByteArray& name, const QByteArray& text) {
    held_.push_back(Held{PgRequest{text, {}, name}, true, {}, {}});
}

void PgConnection::runLater(const PgRequest& request, std::function<void(qint64)> check) {
    // Outside a transaction a write is its own: it runs now, lest it land in the next one.
    if (!transactionOpen_) {
        pg_result* r = run(request);
        const qint64 n = changedRows(r);
        PQclear(r);
        check(n);
        return;
    }
    held_.push_back(Held{request, false, std::move(check), {}});
}

void PgConnection::exec(const QString& statement) { execRaw(toPostgres(statement)); }

void PgConnection::execRaw(const QString& statement) {
    if (holdBack(statement)) return;
    ensureConnected();
    flush();
    ++roundTrips_;
    if (qEnvironmentVariableIsSet("QUORVEX_SQL_TRACE"))
        std::fprintf(stderr, "SQLX %s\n", statement.left(160).toUtf8().constData());
    PGresult* r = PQexec(conn_, statement.toUtf8().constData());
    if (!succeeded(r)) fail(r, statement);
    PQclear(r);
}

PgStatement::PgStatement(PgConnection& connection, const QString& text) : connection_(connection) {
    std::vector<int> order;
    text_ = toPostgres(text, &returnsRowid_, &order).toUtf8();
    for (size_t i = 0; i < order.size(); ++i) {
        if (size_t(order[i]) >= slots_.size()) slots_.resize(size_t(order[i]) + 1, -1);
        slots_[size_t(order[i])] = int(i);
    }
    params_.resize(order.size());
    static const QRegularExpression plannable(QStringLiteral("^\\s*(SELECT|INSERT|UPDATE|DELETE|WITH|VALUES)\\b"),
                                              QRegularExpression::CaseInsensitiveOption);
    preparable_ = plannable.match(text).hasMatch();
}

PgStatement::~PgStatement() { PQclear(result_); }

void PgStatement::release() {
    PQclear(result_);
    result_ = nullptr;
    row_ = -1;
}

void PgStatement::reset() {
    release();
    for (QByteArray& p : params_) p = QByteArray();
}

void PgStatement::bind(int index, const QVariant& value) {
    // A value for a parameter the statement does not use is left out, as SQLite ignores it.
    if (index < 1 || size_t(index) >= slots_.size() || slots_[size_t(index)] < 0) return;
    QByteArray& p = params_[size_t(slots_[size_t(index)])];
    if (!value.isValid() || value.isNull()) {
        p = QByteArray();
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Bool: p = value.toBool() ? "1" : "0"; break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: p = QByteArray::number(value.toLongLong()); break;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        // SQLite stores no NaN: it reads back empty there, so here too.
        if (std::isnan(d)) p = QByteArray();
        else if (std::isinf(d)) p = d > 0 ? "Infinity" : "-Infinity";
        else p = QByteArray::number(d, 'g', 17);
        break;
    }
    case QMetaType::QDate: p = value.toDate().toString(Qt::ISODate).toUtf8(); break;
    default: p = value.toString().toUtf8();
    }
    // A null QByteArray binds NULL; an empty text must not.
    if (p.isNull()) p = QByteArray("");
}

PgRequest PgStatement::request() {
    // A statement run twice is worth preparing: from then on the server parses it no more.
    if (++uses_ >= 2 && preparable_) {
        if (name_.isEmpty() || preparedIn_ != connection_.generation()) {
            static quint64 serial = 0;
            name_ = "q" + QByteArray::number(++serial);
            connection_.prepare(name_, text_);
            preparedIn_ = connection_.generation();
        }
        return PgRequest{text_, params_, name_};
    }
    return PgRequest{text_, params_, {}};
}

void PgStatement::adopt(pg_result* result) {
    PQclear(result_);
    result_ = result;
    row_ = -1;
    kinds_.clear();
    const int columns = PQnfields(result_);
    for (int c = 0; c < columns; ++c) {
        switch (PQftype(result_, c)) {
        case 16: case 20: case 21: case 23: case 26: kinds_.push_back(1); break;  // bool, ints, oid
        case 700: case 701: case 1700: kinds_.push_back(2); break;               // floats, numeric
        default: kinds_.push_back(3);
        }
    }
    if (returnsRowid_ && PQntuples(result_) > 0) connection_.lastInsertRowid = columnInt64At(0);
}

void PgStatement::runLater(std::function<void(qint64)> check) {
    release();
    connection_.runLater(request(), std::move(check));
}

void PgStatement::runTogether(const std::vector<PgStatement*>& statements) {
    std::vector<PgRequest> requests;
    for (PgStatement* st : statements) {
        st->release();
        requests.push_back(st->request());
    }
    std::vector<pg_result*> results = statements.front()->connection_.runAll(requests);
    for (size_t i = 0; i < statements.size(); ++i) statements[i]->adopt(results[i]);
}

bool PgStatement::step() {
    if (!result_) {
        adopt(connection_.run(request()));
        if (returnsRowid_) {
            release();
            return false;
        }
    }
    if (++row_ < PQntuples(result_)) return true;
    release();
    return false;
}

qint64 PgStatement::columnInt64At(int index) const {
    const char* text = PQgetvalue(result_, row_ < 0 ? 0 : row_, index);
    const int length = PQgetlength(result_, row_ < 0 ? 0 : row_, index);
    if (length == 1 && (*text == 't' || *text == 'f')) return *text == 't';
    qint64 v = 0;
    if (std::from_chars(text, text + length, v).ec == std::errc()) return v;
    return qint64(columnDouble(index));
}

int PgStatement::columnCount() const { return result_ ? PQnfields(result_) : 0; }

bool PgStatement::isNull(int index) const { return !result_ || PQgetisnull(result_, row_, index); }

int PgStatement::columnKind(int index) const { return kinds_.at(size_t(index)); }

const char* PgStatement::columnText(int index) const { return PQgetvalue(result_, row_, index); }

int PgStatement::columnLength(int index) const { return PQgetlength(result_, row_, index); }

QByteArray PgStatement::columnBytes(int index) const {
    return QByteArray(columnText(index), columnLength(index));
}

qint64 PgStatement::columnInt64(int index) const {
    if (isNull(index)) return 0;
    return columnInt64At(index);
}

double PgStatement::columnDouble(int index) const {
    if (isNull(index)) return 0;
    const char* text = columnText(index);
    const int length = columnLength(index);
    double d = 0;
    if (std::from_chars(text, text + length, d).ec == std::errc()) return d;
    if (length > 0 && (*text == 't' || *text == 'f')) return *text == 't';
    return 0;
}

}  // namespace store::sql
