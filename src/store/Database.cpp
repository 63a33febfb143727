#include "Database.h"

#include "Postgres.h"
#include "ServerSchema.h"
#include "StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <sqlite3.h>

namespace store {

using sql::quoteIdentifier;

Database::Database(const QString& file, sql::Connection::Mode mode) {
    if (sql::isServerLocation(file)) {
        file_ = file;
        conn_ = std::make_unique<sql::Connection>(file);
        // Whether the tables changed shape is asked at every command: it goes
        // along with the command's first statement, not on a trip of its own.
        conn_->server()->setTransactionProbe(sql::toPostgres(server::schemaVersionQuery()).toUtf8());
        return;
    }
    file_ = QFileInfo(file).absoluteFilePath();
    if (mode == sql::Connection::Mode::OpenExisting && !QFileInfo::exists(file_))
        throw StoreError(QStringLiteral("Database file does not exist: %1").arg(file_));
    conn_ = std::make_unique<sql::Connection>(file_, mode);
    configure();
}

std::unique_ptr<Database> Database::open(const QString& file) {
    return std::unique_ptr<Database>(new Database(file, sql::Connection::Mode::OpenExisting));
}

std::unique_ptr<Database> Database::create(const QString& file) {
    // A server's tables are replaced one by one as they are created.
    if (sql::isServerLocation(file))
        return std::unique_ptr<Database>(new Database(file, sql::Connection::Mode::OpenExisting));
    const QFileInfo info(file);
    if (!QDir().mkpath(info.absolutePath()))
        throw StoreError(QStringLiteral("Cannot create folder %1").arg(info.absolutePath()));
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        const QString path = info.absoluteFilePath() + QLatin1String(suffix);
        if (QFileInfo::exists(path) && !QFile::remove(path))
            throw StoreError(QStringLiteral("Cannot replace %1").arg(path));
    }
    return std::unique_ptr<Database>(new Database(file, sql::Connection::Mode::CreateNew));
}

Database::~Database() {
    statements_.clear();
    if (conn_) {
        try {
            while (depth_ > 0) rollback();
        } catch (const StoreError&) {
        }
    }
}

void Database::configure() {
    // Reading the schema fails here when the file is not a database at all.
    journalMode_ = journalModeFor(folder());
    try {
        conn_->exec(journalMode_ == JournalMode::WriteAheadLog
                        ? QStringLiteral("PRAGMA journal_mode=WAL")
                        : QStringLiteral("PRAGMA journal_mode=DELETE"));
        conn_->exec(QStringLiteral("PRAGMA synchronous=FULL"));
        conn_->exec(QStringLiteral("PRAGMA case_sensitive_like=ON"));
        conn_->exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    } catch (const StoreError& e) {
        throw StoreError(QStringLiteral("Cannot open database %1: %2").arg(file_, e.message()));
    }
}

QString Database::folder() const { return isServer() ? QString() : QFileInfo(file_).absolutePath(); }

bool Database::isServer() const { return conn_->isServer(); }

QString Database::serverName() const { return isServer() ? conn_->server()->describe() : QString(); }

quint64 Database::roundTrips() const { return conn_->roundTrips(); }

sql::Statement& Database::cached(const QString& text) {
    auto it = statements_.find(text);
    if (it == statements_.end())
        it = statements_.emplace(text, std::make_unique<sql::Statement>(*conn_, text)).first;
    it->second->reset();
    return *it->second;
}

void Database::releaseReads() {
    for (auto& [text, st] : statements_)
        st->release();
}

QStringList Database::tableNames() {
    if (isServer()) return server::tableNames(*conn_);
    QStringList names;
    sql::Statement st(*conn_, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' "
                                             "AND name NOT LIKE 'sqlite_%' ORDER BY name"));
    while (st.step()) names << st.column(0).toString();
    return names;
}

bool Database::hasTable(const QString& name) {
    if (isServer()) return server::hasTable(*conn_, name);
    sql::Statement& st =
        cached(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='table' AND name=?1"));
    st.bind(1, name);
    const bool found = st.step();
    st.release();
    return found;
}

QString columnDeclaration(const FieldDef& field) {
    switch (field.type) {
    case FieldType::Text: return QStringLiteral("TEXT(%1)").arg(field.width);
    case FieldType::Integer: return QStringLiteral("INTEGER");
    case FieldType::Number: return QStringLiteral("REAL");
    case FieldType::Logical: return QStringLiteral("LOGICAL INTEGER");
    case FieldType::Date: return QStringLiteral("DATE TEXT");
    case FieldType::Memo: return QStringLiteral("MEMO TEXT");
    }
    return {};
}

FieldDef fieldFromDeclaration(const QString& name, const QString& declaration) {
    FieldDef f;
    f.name = name;
    const QString decl = declaration.trimmed().toUpper();
    static const QRegularExpression textWidth(QStringLiteral("^TEXT\\((\\d+)\\)$"));
    if (const auto m = textWidth.match(decl); m.hasMatch()) {
        f.type = FieldType::Text;
        f.width = m.captured(1).toInt();
    } else if (decl.startsWith(QLatin1String("LOGICAL"))) {
        f.type = FieldType::Logical;
    } else if (decl.startsWith(QLatin1String("DATE"))) {
        f.type = FieldType::Date;
    } else if (decl.startsWith(QLatin1String("MEMO")) || decl == QLatin1String("TEXT")) {
        f.type = FieldType::Memo;
    } else if (decl.contains(QLatin1String("INT"))) {
        f.type = FieldType::Integer;
    } else {
        f.type = FieldType::Number;
    }
    return f;
}

void Database::checkSchema() {
    qint64 version = -1;
    if (isServer()) {
        // Asking costs a round trip: inside a write transaction once is enough,
        // as a table's shape cannot change under the command that runs.
        if (schemaCheckedIn_ != 0 && schemaCheckedIn_ == writeTransaction()) return;
        version = server::schemaVersion(*conn_);
        schemaCheckedIn_ = writeTransaction();
    } else {
        sql::Statement& st = cached(QStringLiteral("PRAGMA schema_version"));
        version = st.step() ? st.columnInt64(0) : -1;
        st.release();
    }
    if (version == schemaVersion_) return;
    schemaVersion_ = version;
    tableDefs_.clear();
    queryTexts_.clear();
    uniqueKeys_.clear();
    asDeclared_.clear();
}

bool Database::storesAsDeclared(const QString& table) {
    checkSchema();
    if (auto it = asDeclared_.find(table); it != asDeclared_.end()) return it->second;
    const TableDef def = tableDef(table);
    bool plain = true;
    if (isServer()) {
        plain = server::storesAsDeclared(*conn_, def);
        asDeclared_.emplace(table, plain);
        return plain;
    }
    {
        sql::Statement info(*conn_, QStringLiteral("PRAGMA table_xinfo(%1)").arg(quoteIdentifier(def.name)));
        size_t i = 0;
        for (; plain && info.step(); ++i)
            plain = i < def.fields.size() && info.column(1).toString() == def.fields[i].name &&
                    info.column(2).toString().compare(columnDeclaration(def.fields[i]), Qt::CaseInsensitive) == 0 &&
                    info.columnInt64(6) == 0;
        plain = plain && i == def.fields.size();
    }
    if (plain) {
        sql::Statement triggers(*conn_, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='trigger' "
                                                       "AND tbl_name=?1 COLLATE NOCASE"));
        triggers.bind(1, def.name);
        plain = !triggers.step();
    }
    asDeclared_.emplace(table, plain);
    return plain;
}

qint64 Database::dataVersion() {
    if (isServer()) return qint64(conn_->server()->othersCommits());
    sql::Statement& st = cached(QStringLiteral("PRAGMA data_version"));
    const qint64 version = st.step() ? st.columnInt64(0) : -1;
    st.release();
    return version;
}

qint64 Database::schemaVersion() {
    checkSchema();
    return schemaVersion_;
}

bool Database::hasUniqueKey(const QString& table) {
    checkSchema();
    if (auto it = uniqueKeys_.find(table); it != uniqueKeys_.end()) return it->second;
    const TableDef def = tableDef(table);
    bool unique = false;
    if (isServer()) {
        unique = server::hasUniqueKey(*conn_, def);
    } else if (def.isKeyed()) {
        QStringList key;
        for (const QString& k : def.key) key << k.toLower();
        key.sort();
        QStringList indexes;
        {
            sql::Statement list(*conn_, QStringLiteral("PRAGMA index_list(%1)").arg(quoteIdentifier(def.name)));
            while (list.step())
                if (list.columnInt64(2) != 0) indexes << list.column(1).toString();
        }
        for (const QString& index : indexes) {
            sql::Statement info(*conn_, QStringLiteral("PRAGMA index_info(%1)").arg(quoteIdentifier(index)));
            QStringList columns;
            while (info.step()) columns << info.column(2).toString().toLower();
            columns.sort();
            if (columns == key) unique = true;
        }
    }
    uniqueKeys_.emplace(table, unique);
    return unique;
}

TableDef Database::tableDef(const QString& name) {
    checkSchema();
    if (auto it = tableDefs_.find(name); it != tableDefs_.end()) return it->second;
    TableDef def = readTableDef(name);
    tableDefs_.emplace(name, def);
    return def;
}

Database::QueryText Database::queryText(const QString& statement,
                                        const std::function<QueryText()>& make) {
    checkSchema();
    if (auto it = queryTexts_.find(statement); it != queryTexts_.end()) return it->second;
    QueryText text = make();
    queryTexts_.emplace(statement, text);
    return text;
}

TableDef Database::readTableDef(const QString& name) {
    if (!hasTable(name))
        throw StoreError(
            QStringLiteral("Table does not exist.\nTable: %1\nDatabase: %2").arg(name, file_));
    std::vector<FieldDef> columns;
    if (isServer()) {
        columns = server::columns(*conn_, name);
    } else {
        sql::Statement st(*conn_, QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(name)));
        while (st.step()) columns.push_back(fieldFromDeclaration(st.column(1).toString(), st.column(2).toString()));
    }
    if (const TableDef* builtIn = schema::find(name)) {
        bool same = columns.size() == builtIn->fields.size();
        for (size_t i = 0; same && i < columns.size(); ++i)
            same = columns[i].name == builtIn->fields[i].name && columns[i].type == builtIn->fields[i].type;
        if (!same)
            throw StoreError(QStringLiteral("Table %1 has a damaged structure: its fields differ "
                                            "from the data folder's.\nDatabase: %2")
                                 .arg(name, file_));
        return *builtIn;
    }
    TableDef def;
    def.name = name;
    def.fileName = name + QStringLiteral(".db");
    def.fields = columns;
    if (isServer()) {
        def.key = server::keyFields(*conn_, name);
        return def;
    }
    sql::Statement idx(*conn_, QStringLiteral("SELECT sql FROM sqlite_master WHERE type='index' "
                                              "AND tbl_name=?1 AND name=?2"));
    idx.bind(1, name);
    idx.bind(2, QStringLiteral("%1_key").arg(name));
    if (idx.step()) {
        sql::Statement info(*conn_, QStringLiteral("PRAGMA index_info(%1)")
                                        .arg(quoteIdentifier(name + QStringLiteral("_key"))));
        while (info.step()) def.key << info.column(2).toString();
    }
    return def;
}

void Database::createTable(const TableDef& def) {
    QStringList cols;
    for (const FieldDef& f : def.fields) cols << quoteIdentifier(f.name) + QLatin1Char(' ') + columnDeclaration(f);
    Transaction tx(*this);
    if (isServer()) {
        server::createTable(*conn_, def);
        tx.commit();
        statements_.clear();
        schemaVersion_ = -1;
        schemaCheckedIn_ = 0;
        notifyChanged(def.name, nullptr);
        return;
    }
    conn_->exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(quoteIdentifier(def.name)));
    conn_->exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteIdentifier(def.name), cols.join(QLatin1String(", "))));
    if (def.isKeyed()) {
        QStringList keys;
        for (const QString& k : def.key) keys << quoteIdentifier(k);
        conn_->exec(QStringLiteral("CREATE UNIQUE INDEX %1 ON %2 (%3)")
                        .arg(quoteIdentifier(def.name + QStringLiteral("_key")), quoteIdentifier(def.name),
                             keys.join(QLatin1String(", "))));
    }
    tx.commit();
    statements_.clear();
    schemaVersion_ = -1;
    notifyChanged(def.name, nullptr);
}

void Database::createDataFolderTables() {
    Transaction tx(*this);
    for (const TableDef& def : schema::tables()) createTable(def);
    tx.commit();
}

void Database::deleteWhere(const QString& table, const QStringList& fields, const QVariantList& values) {
    QStringList conds;
    for (int i = 0; i < fields.size(); ++i)
        conds << QStringLiteral("%1 IS ?%2").arg(quoteIdentifier(fields[i])).arg(i + 1);
    QString text = QStringLiteral("DELETE FROM %1").arg(quoteIdentifier(table));
    if (!conds.isEmpty()) text += QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND "));
    checkWritable(table, nullptr);
    Transaction tx(*this);
    sql::Statement& st = cached(text);
    for (int i = 0; i < values.size(); ++i) st.bind(i + 1, values[i]);
    st.step();
    tx.commit();
    notifyChanged(table, nullptr);
}

QString Database::integrityCheck() {
    // A server guards its own tables (write-ahead log, crash recovery).
    if (isServer()) return QStringLiteral("ok");
    sql::Statement st(*conn_, QStringLiteral("PRAGMA integrity_check"));
    QStringList lines;
    while (st.step()) lines << st.column(0).toString();
    return lines.join(QLatin1Char('\n'));
}

void Database::begin() {
    if (depth_ == 0) {
        // A statement left on a row would keep an older snapshot, and a write
        // lock cannot be granted on top of a stale snapshot however long we wait.
        releaseReads();
        // On a server, a snapshot for the whole command: what it has read stays
        // as read, and writing a row another user changed meanwhile fails
        // instead of overwriting it.
        conn_->exec(isServer() ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ")
                               : QStringLiteral("BEGIN IMMEDIATE"));
        ++transactions_;
    } else if (isServer()) {
        conn_->exec(QStringLiteral("SAVEPOINT sp%1").arg(depth_));
    } else {
        // Every save inside a command opens one: prepared once, not parsed each time.
        cached(QStringLiteral("SAVEPOINT sp%1").arg(depth_)).step();
    }
    ++depth_;
}

void Database::commit() {
    if (depth_ == 0) throw StoreError(QStringLiteral("No transaction is active"));
    if (depth_ == 1)
        conn_->exec(QStringLiteral("COMMIT"));
    else if (isServer())
        conn_->exec(QStringLiteral("RELEASE sp%1").arg(depth_ - 1));
    else
        cached(QStringLiteral("RELEASE sp%1").arg(depth_ - 1)).step();
    --depth_;
}

void Database::rollback() {
    if (depth_ == 0) throw StoreError(QStringLiteral("No transaction is active"));
    --depth_;
    // SQLite may already have ended the transaction itself after a hard error.
    if (conn_->inTransaction()) {
        if (depth_ == 0) {
            conn_->exec(QStringLiteral("ROLLBACK"));
        } else {
            conn_->exec(QStringLiteral("ROLLBACK TO sp%1; RELEASE sp%1").arg(depth_));
        }
    } else {
        depth_ = 0;
        if (conn_->server()) conn_->server()->transactionEnded();
    }
    ++rollbacks_;
    emit rolledBack();
}

void Database::lockTable(const QString& table, const Table* owner) {
    auto it = locks_.find(table);
    if (it != locks_.end() && it->second != owner)
        throw StoreError(QStringLiteral("Table is busy: %1 is locked by another user.").arg(table));
    locks_[table] = owner;
}

void Database::unlockTable(const QString& table, const Table* owner) {
    auto it = locks_.find(table);
    if (it != locks_.end() && it->second == owner) locks_.erase(it);
}

void Database::checkWritable(const QString& table, const Table* writer) const {
    auto it = locks_.find(table);
    if (it != locks_.end() && it->second != writer)
        throw StoreError(QStringLiteral("Table is busy: %1 is locked by another user.").arg(table));
}

void Database::notifyChanged(const QString& table, const void* source) {
    ++changes_[table];
    emit tableChanged(table, source);
}

quint64 Database::writeTransaction() const {
    // SQLite ends a transaction itself after some hard errors: then none is open.
    return depth_ > 0 && conn_->inTransaction() ? transactions_ : 0;
}

Database::ChangeStamp Database::changeStamp(const QString& table) const {
    ChangeStamp stamp;
    stamp.transaction = writeTransaction();
    const auto it = changes_.find(table);
    stamp.changes = it == changes_.end() ? 0 : it->second;
    stamp.rollbacks = rollbacks_;
    return stamp;
}

Transaction::~Transaction() {
    if (!done_) {
        try {
            db_.rollback();
        } catch (const StoreError&) {
            // The connection already gave up the transaction; nothing more to undo.
        }
    }
}

void Transaction::commit() {
    db_.commit();
    done_ = true;
}

}  // namespace store
