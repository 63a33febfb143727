#include "Sqlite.h"

#include "Postgres.h"
#include "StoreError.h"

#include <QDate>
#include <sqlite3.h>

namespace store::sql {

namespace {

// The error of the last call on `db`; a lock that outlasted the busy timeout
// becomes a plain BusyError.
[[noreturn]] void fail(sqlite3* db, const QString& why) {
    const int extended = sqlite3_extended_errcode(db);
    const int code = extended & 0xff;
    if (extended == SQLITE_CONSTRAINT_UNIQUE || extended == SQLITE_CONSTRAINT_PRIMARYKEY)
        throw KeyViolation(why);
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
        throw BusyError(
            QStringLiteral("The data folder is in use by another program, which kept it locked "
                           "for more than %1 seconds. Nothing was changed; please try again.\n(%2)")
                .arg(BusyTimeoutMs / 1000)
                .arg(why));
    throw StoreError(why);
}

// upper() as Qt knows it: SQLite's own changes the ASCII letters only, so a
// case-blind search for "é" would never find "É".
void unicodeUpper(sqlite3_context* context, int, sqlite3_value** args) {
    if (sqlite3_value_type(args[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = static_cast<const char16_t*>(sqlite3_value_text16(args[0]));
    const int bytes = sqlite3_value_bytes16(args[0]);
    const QString upper = QString::fromUtf16(text, bytes / 2).toUpper();
    sqlite3_result_text16(context, upper.utf16(), int(upper.size() * 2), SQLITE_TRANSIENT);
}

} // namespace

Connection::Connection(const QString& path, Mode mode) {
    int flags = (mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (mode == Mode::CreateNew) flags |= SQLITE_OPEN_CREATE;
    const QByteArray file = path.toUtf8();
    if (sqlite3_open_v2(file.constData(), &db_, flags, nullptr) != SQLITE_OK) {
        const QString why = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("out of memory");
        sqlite3_close(db_);
        db_ = nullptr;
        throw StoreError(QStringLiteral("Cannot open database %1: %2").arg(path, why));
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, BusyTimeoutMs);
    if (sqlite3_create_function_v2(db_, "upper", 1, SQLITE_UTF16 | SQLITE_DETERMINISTIC, nullptr,
                                   unicodeUpper, nullptr, nullptr, nullptr) != SQLITE_OK) {
        const QString why = QString::fromUtf8(sqlite3_errmsg(db_));
        sqlite3_close(db_);
        db_ = nullptr;
        throw StoreError(QStringLiteral("Cannot open database %1: %2").arg(path, why));
    }
}

Connection::Connection(const QString& target) : pg_(std::make_unique<PgConnection>(target)) {}

Connection::~Connection() {
    if (db_) sqlite3_close_v2(db_);
}

bool Connection::inTransaction() const {
    return pg_ ? pg_->inTransaction() : !sqlite3_get_autocommit(db_);
}

quint64 Connection::roundTrips() const { return pg_ ? pg_->roundTrips() : 0; }

void Connection::exec(const QString& statement) {
    if (pg_) return pg_->exec(statement);
    char* err = nullptr;
    const QByteArray text = statement.toUtf8();
    if (sqlite3_exec(db_, text.constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString why = QString::fromUtf8(err ? err : sqlite3_errmsg(db_));
        sqlite3_free(err);
        fail(db_, why);
    }
}

QString Connection::errorMessage() const {
    return pg_ ? QString() : QString::fromUtf8(sqlite3_errmsg(db_));
}

qint64 Connection::changes() const { return pg_ ? pg_->changes : sqlite3_changes64(db_); }

qint64 Connection::lastInsertRowid() const { return pg_ ? pg_->lastInsertRowid : sqlite3_last_insert_rowid(db_); }

Statement::Statement(Connection& connection, const QString& text)
    : connection_(connection), text_(text) {
    if (connection.server()) {
        pg_ = std::make_unique<PgStatement>(*connection.server(), text);
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    if (sqlite3_prepare_v2(connection.handle(), utf8.constData(), int(utf8.size()), &stmt_,
                           nullptr) != SQLITE_OK)
        fail(connection.handle(), connection.errorMessage());
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

void Statement::release() {
    if (pg_) return pg_->release();
    sqlite3_reset(stmt_);
}

void Statement::reset() {
    if (pg_) return pg_->reset();
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

void Statement::bind(int index, const QVariant& value) {
    if (pg_) return pg_->bind(index, value);
    int rc = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(stmt_, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            rc = sqlite3_bind_int64(stmt_, index, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt_, index, value.toDouble());
            break;
        case QMetaType::QDate: {
            const QByteArray iso = value.toDate().toString(Qt::ISODate).toUtf8();
            rc = sqlite3_bind_text(stmt_, index, iso.constData(), int(iso.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text(stmt_, index, text.constData(), int(text.size()),
                                   SQLITE_TRANSIENT);
        }
        }
    }
    if (rc != SQLITE_OK) throw StoreError(connection_.errorMessage());
}

bool Statement::step() {
    if (pg_) return pg_->step();
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const QString why = connection_.errorMessage();
    // sqlite3_reset repeats the step's error code, so the kind survives it.
    sqlite3_reset(stmt_);
    fail(connection_.handle(), why);
}

void Statement::runLater(std::function<void(qint64)> check) {
    if (pg_) return pg_->runLater(std::move(check));
    while (step()) {
    }
    check(connection_.changes());
}

void Statement::runTogether(const std::vector<Statement*>& statements) {
    if (statements.empty() || !statements.front()->pg_) return;
    std::vector<PgStatement*> pg;
    for (Statement* st : statements) pg.push_back(st->pg_.get());
    PgStatement::runTogether(pg);
}

int Statement::columnCount() const { return pg_ ? pg_->columnCount() : sqlite3_column_count(stmt_); }

QVariant Statement::column(int index) const {
    if (pg_) {
        if (pg_->isNull(index)) return {};
        switch (pg_->columnKind(index)) {
        case 1: return QVariant::fromValue<qint64>(pg_->columnInt64(index));
        case 2: return pg_->columnDouble(index);
        default: return QString::fromUtf8(pg_->columnText(index), pg_->columnLength(index));
        }
    }
    switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_NULL: return {};
    case SQLITE_INTEGER: return QVariant::fromValue<qint64>(sqlite3_column_int64(stmt_, index));
    case SQLITE_FLOAT: return sqlite3_column_double(stmt_, index);
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index));
        return QString::fromUtf8(text, sqlite3_column_bytes(stmt_, index));
    }
    }
}

qint64 Statement::columnInt64(int index) const {
    return pg_ ? pg_->columnInt64(index) : sqlite3_column_int64(stmt_, index);
}

static_assert(int(Statement::Type::Integer) == SQLITE_INTEGER && int(Statement::Type::Float) == SQLITE_FLOAT &&
              int(Statement::Type::Text) == SQLITE_TEXT && int(Statement::Type::Blob) == SQLITE_BLOB &&
              int(Statement::Type::Null) == SQLITE_NULL);

Statement::Type Statement::columnType(int index) const {
    if (pg_) return pg_->isNull(index) ? Type::Null : Type(pg_->columnKind(index));
    return Type(sqlite3_column_type(stmt_, index));
}

double Statement::columnDouble(int index) const {
    return pg_ ? pg_->columnDouble(index) : sqlite3_column_double(stmt_, index);
}

QByteArrayView Statement::columnUtf8(int index) const {
    if (pg_) return QByteArrayView(pg_->columnText(index), pg_->columnLength(index));
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index));
    return QByteArrayView(text, sqlite3_column_bytes(stmt_, index));
}

QString quoteIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace store::sql
