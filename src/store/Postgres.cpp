#include "Postgres.h"

#include "Schema.h"
#include "Sqlite.h"
#include "StoreError.h"

#include <QDate>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <charconv>
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
    execRaw(QStringLiteral("SET lock_timeout = '%1ms'; SET client_min_messages = warning; "
                        "LISTEN quorvex_changes")
             .arg(BusyTimeoutMs));
}

QString PgConnection::describe() const { return serverName(conn_, withoutPassword(target_)); }

bool PgConnection::inTransaction() const {
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK) return false;
    const PGTransactionStatusType t = PQtransactionStatus(conn_);
    return t == PQTRANS_INTRANS || t == PQTRANS_INERROR || t == PQTRANS_ACTIVE;
}

void PgConnection::ensureConnected() {
    if (conn_ && PQstatus(conn_) == CONNECTION_OK) return;
    // Reconnecting inside a transaction would run the rest of it on its own,
    // without what went before: the transaction must end first.
    if (transactionOpen_)
        throw ServerError(QStringLiteral("The connection to the server %1 was lost; the command was rolled "
                                         "back and nothing of it was saved.")
                              .arg(describe()));
    connect();
}

void PgConnection::transactionEnded() {
    transactionOpen_ = false;
    pendingSavepoints_.clear();
}

bool PgConnection::deferSavepoint(const QString& statement) {
    static const QRegularExpression savepoint(QStringLiteral("^SAVEPOINT (\\w+)$"));
    static const QRegularExpression release(QStringLiteral("^(ROLLBACK TO (\\w+); )?RELEASE (\\w+)$"));
    if (const auto m = savepoint.match(statement); m.hasMatch()) {
        pendingSavepoints_ << m.captured(1);
        return true;
    }
    // A savepoint nothing ran in need never reach the server.
    if (const auto m = release.match(statement); m.hasMatch() && !pendingSavepoints_.isEmpty() &&
                                                  pendingSavepoints_.last() == m.captured(3)) {
        pendingSavepoints_.removeLast();
        return true;
    }
    return false;
}

void PgConnection::sendSavepoints() {
    if (pendingSavepoints_.isEmpty()) return;
    QStringList statements;
    for (const QString& name : pendingSavepoints_) statements << QStringLiteral("SAVEPOINT ") + name;
    pendingSavepoints_.clear();
    ++roundTrips_;
    PGresult* r = PQexec(conn_, statements.join(QStringLiteral("; ")).toUtf8().constData());
    if (!r || PQresultStatus(r) != PGRES_COMMAND_OK) fail(r, statements.join(QStringLiteral("; ")));
    PQclear(r);
}

quint64 PgConnection::othersCommits() {
    if (!conn_ || !PQconsumeInput(conn_)) return othersCommits_;
    while (PGnotify* note = PQnotifies(conn_)) {
        if (note->be_pid != ownPid_) ++othersCommits_;
        PQfreemem(note);
    }
    return othersCommits_;
}

void PgConnection::fail(pg_result* result, const QString& statement) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QString code = QString::fromLatin1(state ? state : "");
    QString why = QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(conn_)).trimmed();
    if (why.isEmpty()) why = QString::fromUtf8(PQerrorMessage(conn_)).trimmed();
    PQclear(result);
    if (PQstatus(conn_) != CONNECTION_OK)
        throw ServerError(QStringLiteral("The connection to the server %1 was lost; the command was "
                                         "rolled back and nothing of it was saved. The next command "
                                         "connects again.\n(%2)")
                              .arg(describe(), why));
    if (code == QLatin1String("23505")) throw KeyViolation(why);
    if (code == QLatin1String("55P03") || code == QLatin1String("40P01"))
        throw BusyError(QStringLiteral("The data folder is in use by another program, which kept it locked "
                                       "for more than %1 seconds. Nothing was changed; please try again.\n(%2)")
                            .arg(BusyTimeoutMs / 1000)
                            .arg(why));
    if (code == QLatin1String("40001")) throw ConflictError(conflictMessage(QString()));
    throw StoreError(QStringLiteral("%1\n(%2)").arg(why, statement.left(200)));
}

pg_result* PgConnection::run(const QByteArray& text, const std::vector<QByteArray>& params, const QByteArray& name) {
    ensureConnected();
    sendSavepoints();
    std::vector<const char*> values(params.size());
    for (size_t i = 0; i < params.size(); ++i) values[i] = params[i].isNull() ? nullptr : params[i].constData();
    ++roundTrips_;
    PGresult* r = name.isEmpty()
                      ? PQexecParams(conn_, text.constData(), int(params.size()), nullptr, values.data(), nullptr,
                                     nullptr, 0)
                      : PQexecPrepared(conn_, name.constData(), int(params.size()), values.data(), nullptr, nullptr, 0);
    const ExecStatusType status = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fail(r, QString::fromUtf8(text));
    const char* tuples = PQcmdTuples(r);
    changes = tuples && *tuples ? std::atoll(tuples) : 0;
    return r;
}

void PgConnection::prepare(const QByteArray& name, const QByteArray& text) {
    ensureConnected();
    sendSavepoints();
    ++roundTrips_;
    PGresult* r = PQprepare(conn_, name.constData(), text.constData(), 0, nullptr);
    if (!r || PQresultStatus(r) != PGRES_COMMAND_OK) fail(r, QString::fromUtf8(text));
    PQclear(r);
}

void PgConnection::exec(const QString& statement) { execRaw(toPostgres(statement)); }

void PgConnection::execRaw(const QString& statement) {
    // Savepoints cost a round trip each: one that is opened and released with
    // nothing run inside it is never sent, and the rest go with the next statement.
    if (transactionOpen_ && deferSavepoint(statement)) return;
    // The end of the transaction ends its savepoints too.
    if (statement == QLatin1String("COMMIT") || statement == QLatin1String("ROLLBACK")) pendingSavepoints_.clear();
    ensureConnected();
    sendSavepoints();
    ++roundTrips_;
    PGresult* r = PQexec(conn_, statement.toUtf8().constData());
    const ExecStatusType status = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fail(r, statement);
    PQclear(r);
    if (statement.startsWith(QLatin1String("BEGIN"))) transactionOpen_ = true;
    if (statement == QLatin1String("COMMIT") || statement == QLatin1String("ROLLBACK")) {
        transactionOpen_ = false;
        pendingSavepoints_.clear();
    }
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

bool PgStatement::step() {
    if (!result_) {
        // A statement run twice is worth preparing: from then on the server parses it no more.
        const QByteArray* name = nullptr;
        if (++uses_ >= 2 && preparable_) {
            if (name_.isEmpty() || preparedIn_ != connection_.generation()) {
                static quint64 serial = 0;
                name_ = "q" + QByteArray::number(++serial);
                connection_.prepare(name_, text_);
                preparedIn_ = connection_.generation();
            }
            name = &name_;
        }
        result_ = connection_.run(text_, params_, name ? *name : QByteArray());
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
        if (returnsRowid_) {
            if (PQntuples(result_) > 0) connection_.lastInsertRowid = columnInt64At(0);
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
