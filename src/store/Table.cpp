#include "Table.h"

#include "Database.h"
#include "StoreError.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace store {

using sql::quoteIdentifier;

Table::Table(QObject* parent) : DataSet(parent) {}

Table::Table(Database* db, const QString& tableName, QObject* parent) : DataSet(parent) {
    setDatabase(db);
    setTableName(tableName);
}

Table::~Table() {
    if (locked_ && db_) db_->unlockTable(tableName_, this);
}

void Table::setTableName(const QString& name) {
    if (active()) throw StoreError(QStringLiteral("Cannot change the table of an open cursor"));
    tableName_ = name;
}

void Table::connectDatabase() {
    for (const auto& c : dbConnections_) disconnect(c);
    dbConnections_.clear();
    dbConnections_ << connect(db_, &Database::tableChanged, this, &Table::onTableChanged);
    dbConnections_ << connect(db_, &Database::rolledBack, this, [this] { othersChanged(); });
}

void Table::open() {
    if (active()) return;
    if (!db_) throw StoreError(QStringLiteral("%1: no database is set").arg(tableName_));
    def_ = db_->tableDef(tableName_);
    fetchText_.clear();
    texts_ = {};
    linkIndexes_.clear();
    for (const QString& f : masterFields_) {
        const int i = def_.fieldIndex(f);
        if (i < 0) throw StoreError(QStringLiteral("%1: Field '%2' not found").arg(tableName_, f));
        linkIndexes_.push_back(i);
    }
    connectDatabase();
    state_ = State::Browse;
    appliedLink_ = currentLinkValues();
    // The range is read when first looked at: the data module opens every
    // table before the main window links most of them to their masters, and a
    // large folder's cell tables hold millions of rows.
    rowids_.clear();
    ++rangeVersion_;
    pos_ = -1;
    stale_ = true;
    emit stateChanged();
    emit dataChanged();
    emit scrolled();
}

void Table::close() {
    if (!active()) return;
    for (const auto& c : dbConnections_) disconnect(c);
    dbConnections_.clear();
    rowids_.clear();
    modified_ = false;
    DataSet::close();
}

void Table::setMasterFields(const QStringList& fields) {
    if (active()) throw StoreError(QStringLiteral("%1: close the table before linking it").arg(tableName_));
    masterFields_ = fields;
}

void Table::setMaster(DataSet* master) {
    if (active()) throw StoreError(QStringLiteral("%1: close the table before linking it").arg(tableName_));
    clearMaster();
    master_ = master;
    if (!master_) return;
    linked_ = true;
    masterConnections_ << connect(master_, &DataSet::scrolled, this, [this] { masterChanged(false); });
    masterConnections_ << connect(master_, &DataSet::stateChanged, this, [this] { masterChanged(false); });
    masterConnections_ << connect(master_, &DataSet::dataChanged, this, [this] { masterChanged(false); });
    // Of the master's typing, only its link fields move the range.
    masterConnections_ << connect(master_, &DataSet::fieldChanged, this, [this](int field) {
        if (!master_ || field < 0 || field >= master_->fieldCount()) return;
        const QString& name = master_->def().fields[size_t(field)].name;
        for (const QString& f : masterFields_)
            if (f.compare(name, Qt::CaseInsensitive) == 0) return masterChanged(false);
    });
    connect(master_, &QObject::destroyed, this, [this] {
        master_ = nullptr;
        masterConnections_.clear();
    });
}

void Table::clearMaster() {
    if (active() && master_) throw StoreError(QStringLiteral("%1: close the table before unlinking it").arg(tableName_));
    for (const auto& c : masterConnections_) disconnect(c);
    masterConnections_.clear();
    master_ = nullptr;
    linked_ = false;
}

QVariantList Table::currentLinkValues() const {
    QVariantList values;
    if (!master_ || masterFields_.isEmpty()) return values;
    for (const QString& f : masterFields_) {
        const int mi = master_->fieldIndex(f);
        values << (mi >= 0 && master_->active() ? master_->value(mi) : QVariant());
    }
    return values;
}

void Table::masterChanged(bool force) {
    if (!active() || !master_) return;
    const QVariantList now = currentLinkValues();
    if (!force && now == appliedLink_) return;
    checkBrowseMode();
    appliedLink_ = now;
    loadRange();
    placeAt(0);
    bof_ = true;
    emit dataChanged();
    emit scrolled();
}

QString Table::rangeCondition(int firstParam) const {
    if (!master_ || masterFields_.isEmpty()) return {};
    QStringList conds;
    for (int i = 0; i < masterFields_.size(); ++i)
        conds << QStringLiteral("%1 IS ?%2")
                     .arg(quoteIdentifier(def_.fields[size_t(linkIndexes_[size_t(i)])].name))
                     .arg(firstParam + i);
    return conds.join(QStringLiteral(" AND "));
}

void Table::bindRange(sql::Statement& st, int firstParam) const {
    if (!master_) return;
    for (int i = 0; i < appliedLink_.size(); ++i) {
        const FieldDef& f = def_.fields[size_t(linkIndexes_[size_t(i)])];
        st.bind(firstParam + i, toStorage(f, coerce(f, appliedLink_[i])));
    }
}

QString Table::orderClause() const {
    QStringList parts;
    for (const QString& k : def_.key) parts << quoteIdentifier(k);
    parts << QStringLiteral("rowid");
    return QStringLiteral(" ORDER BY ") + parts.join(QStringLiteral(", "));
}

namespace {

// Rows read in one round trip on a server.
constexpr int PrefetchRows = 256;

QString columnList(const TableDef& def) {
    QStringList cols{QStringLiteral("rowid")};
    for (const FieldDef& f : def.fields) cols << quoteIdentifier(f.name);
    return cols.join(QStringLiteral(", "));
}

} // namespace

void Table::loadRange() {
    QString cond = rangeCondition(1);
    if (!cond.isEmpty()) cond = QStringLiteral(" WHERE ") + cond;
    QString text = QStringLiteral("SELECT rowid FROM %1").arg(quoteIdentifier(tableName_)) + cond + orderClause();
    sql::Statement& st = db_->cached(text);
    bindRange(st, 1);
    // On a server the first rows come in the same round trip.
    sql::Statement* rows = nullptr;
    if (db_->isServer()) {
        rows = &db_->cached(QStringLiteral("SELECT %1 FROM %2").arg(columnList(def_), quoteIdentifier(tableName_)) +
                            cond + orderClause() + QStringLiteral(" LIMIT %1").arg(PrefetchRows));
        bindRange(*rows, 1);
        sql::Statement::runTogether({&st, rows});
    }
    // Read into a new list, so that a failed read leaves the old range standing.
    std::vector<qint64> ids;
    ids.reserve(rowids_.size());
    while (st.step())
        ids.push_back(st.columnInt64(0));
    st.release();
    if (rows) {
        prefetched_.clear();
        prefetchedAt_ = prefetchStamp();
        keepPrefetched(*rows);
    }
    if (ids != rowids_) ++rangeVersion_;
    rowids_.swap(ids);
    stale_ = false;
}

Table::Stamp Table::prefetchStamp() const {
    const Database::ChangeStamp own = db_->changeStamp(tableName_);
    // Rows read outside the write transaction open are not known to be as
    // stored inside it (nor rows of one transaction after it).
    return Stamp{own.transaction, own.changes, own.rollbacks, db_->dataVersion()};
}

bool Table::prefetchValid() const { return !prefetched_.empty() && prefetchedAt_ == prefetchStamp(); }

void Table::keepPrefetched(sql::Statement& st) {
    while (st.step()) {
        std::vector<QVariant> values(def_.fields.size());
        for (size_t i = 0; i < values.size(); ++i) values[i] = fromColumn(def_.fields[i], st, int(i) + 1);
        prefetched_[st.columnInt64(0)] = std::move(values);
    }
    st.release();
}

void Table::prefetchFrom(int row) {
    QStringList marks;
    for (int i = 1; i <= PrefetchRows; ++i) marks << QStringLiteral("?%1").arg(i);
    sql::Statement& st = db_->cached(QStringLiteral("SELECT %1 FROM %2 WHERE rowid IN (%3)")
                                         .arg(columnList(def_), quoteIdentifier(tableName_), marks.join(QStringLiteral(", "))));
    for (int i = 0; i < PrefetchRows; ++i)
        st.bind(i + 1, row + i < int(rowids_.size()) ? QVariant(rowids_[size_t(row + i)]) : QVariant());
    if (!prefetchValid()) prefetched_.clear();
    prefetchedAt_ = prefetchStamp();
    keepPrefetched(st);
}

std::vector<QVariant> Table::fetchRow(int row) {
    const qint64 rowid = rowids_[size_t(row)];
    std::vector<QVariant> values;
    if (db_->isServer()) {
        if (!prefetchValid() || !prefetched_.count(rowid)) prefetchFrom(row);
        if (auto it = prefetched_.find(rowid); it != prefetched_.end()) values = it->second;
    } else {
        values = fetchStored(rowid);
    }
    // A row deleted under the cursor reads as empty.
    if (values.empty()) values.resize(def_.fields.size());
    return values;
}

std::vector<QVariant> Table::fetchStored(qint64 rowid) {
    if (fetchText_.isEmpty()) {
        QStringList cols;
        for (const FieldDef& f : def_.fields) cols << quoteIdentifier(f.name);
        fetchText_ = QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?1")
                         .arg(cols.join(QStringLiteral(", ")), quoteIdentifier(tableName_));
    }
    sql::Statement& st = db_->cached(fetchText_);
    st.bind(1, rowid);
    std::vector<QVariant> values;
    if (st.step()) {
        values.resize(def_.fields.size());
        for (size_t i = 0; i < values.size(); ++i) values[i] = fromColumn(def_.fields[i], st, int(i));
    }
    st.release();
    return values;
}

void Table::resync() {
    if (!active()) {
        stale_ = false;
        return;
    }
    const bool onRow = pos_ >= 0 && pos_ < int(rowids_.size());
    const qint64 keep = onRow ? rowids_[size_t(pos_)] : 0;
    const bool wasEof = eof_;
    loadRange();
    auto it = onRow ? std::find(rowids_.begin(), rowids_.end(), keep) : rowids_.end();
    if (it != rowids_.end()) {
        pos_ = int(it - rowids_.begin());
        loadCurrent();
        eof_ = wasEof && pos_ == rowCount() - 1;
    } else {
        placeAt(pos_);
    }
}

void Table::othersChanged() {
    if (!active()) return;
    if (editing()) {
        resyncKeepingRow();
        return;
    }
    // Those showing the table hear of it now and read it when they look.
    stale_ = true;
    emit dataChanged();
}

void Table::resyncKeepingRow() {
    if (!active()) return;
    const qint64 keep = (pos_ >= 0 && pos_ < int(rowids_.size())) ? rowids_[size_t(pos_)] : 0;
    resync();
    if (state_ == State::Edit && keep != editRowid_) {
        // The row being edited disappeared under the cursor: the edit cannot stand.
        buf_.clear();
        modified_ = false;
        setState(State::Browse);
    }
    emit dataChanged();
}

void Table::onTableChanged(const QString& table, const void* source) {
    if (source == this || table.compare(tableName_, Qt::CaseInsensitive) != 0) return;
    othersChanged();
}

void Table::refresh() {
    requireActive();
    checkBrowseMode();
    resyncKeepingRow();
    emit scrolled();
}

void Table::checkBrowseMode() {
    if (!editing()) return;
    emit updateRecord();
    if (!editing()) return;
    if (modified_)
        post();
    else
        cancel();
}

void Table::beginInsert(bool atEnd) {
    requireActive();
    checkBrowseMode();
    if (beforeInsert) beforeInsert(*this);
    savedPos_ = pos_;
    buf_.assign(def_.fields.size(), QVariant());
    // A detail row starts with the master's link values.
    const QVariantList link = currentLinkValues();
    for (int i = 0; i < link.size(); ++i)
        buf_[size_t(linkIndexes_[size_t(i)])] = coerce(def_.fields[size_t(linkIndexes_[size_t(i)])], link[i]);
    editRowid_ = 0;
    modified_ = false;
    if (atEnd) {
        eof_ = true;
        bof_ = false;
    } else {
        eof_ = rowCount() == 0;
        bof_ = false;
    }
    setState(State::Insert);
    if (afterInsert) afterInsert(*this);
}

void Table::append() { beginInsert(true); }

void Table::insert() { beginInsert(false); }

void Table::edit() {
    requireActive();
    if (editing()) return;
    if (rowCount() == 0) {
        insert();
        return;
    }
    // The edit begins from the row as stored: what another program changed
    // before it began is not this edit's to overwrite unseen.
    if (!currentIsFresh()) {
        const std::vector<QVariant> shown = cur_;
        loadCurrent();
        if (cur_ != shown) emit dataChanged();
    }
    buf_ = cur_;
    editBase_ = cur_;
    dirty_.assign(buf_.size(), false);
    editRowid_ = rowids_[size_t(pos_)];
    modified_ = false;
    setState(State::Edit);
}

void Table::setFieldValue(int field, const QVariant& value) {
    if (!editing())
        throw StoreError(QStringLiteral("%1: Dataset not in edit or insert mode").arg(tableName_));
    const FieldDef& f = def_.fields.at(size_t(field));
    buf_[size_t(field)] = coerce(f, value);
    if (size_t(field) < dirty_.size()) dirty_[size_t(field)] = true;
    modified_ = true;
    emit fieldChanged(field);
    if (auto it = fieldHandlers_.find(field); it != fieldHandlers_.end() && it->second)
        it->second(Field(this, field));
}

void Table::setFieldChangeHandler(const QString& field, FieldEvent handler) {
    const TableDef* builtIn = schema::find(tableName_);
    const int i = active() ? def_.fieldIndex(field) : (builtIn ? builtIn->fieldIndex(field) : -1);
    if (i < 0) throw StoreError(QStringLiteral("%1: Field '%2' not found").arg(tableName_, field));
    fieldHandlers_[i] = std::move(handler);
}

namespace {

// Orders stored values as SQLite does: null, then numbers, then text by bytes.
int compareStored(const QVariant& a, const QVariant& b) {
    const auto rank = [](const QVariant& v) {
        if (!v.isValid()) return 0;
        return v.typeId() == QMetaType::QString ? 2 : 1;
    };
    const int ra = rank(a), rb = rank(b);
    if (ra != rb) return ra < rb ? -1 : 1;
    if (ra == 0) return 0;
    if (ra == 1) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const QByteArray x = a.toString().toUtf8(), y = b.toString().toUtf8();
    const int c = std::memcmp(x.constData(), y.constData(), size_t(std::min(x.size(), y.size())));
    if (c != 0) return c < 0 ? -1 : 1;
    return x.size() < y.size() ? -1 : (x.size() > y.size() ? 1 : 0);
}

} // namespace

void Table::prepareTexts() {
    if (!texts_.insert.isEmpty()) return;
    QStringList cols, marks, conds, keyCols;
    for (size_t i = 0; i < def_.fields.size(); ++i) {
        cols << quoteIdentifier(def_.fields[i].name);
        marks << QStringLiteral("?%1").arg(i + 1);
    }
    const QString table = quoteIdentifier(tableName_);
    texts_.keyIndexes.clear();
    for (int i = 0; i < def_.key.size(); ++i) {
        texts_.keyIndexes.push_back(def_.fieldIndex(def_.key[i]));
        keyCols << quoteIdentifier(def_.key[i]);
        conds << QStringLiteral("%1 IS ?%2").arg(keyCols.last()).arg(i + 1);
    }
    texts_.duplicate = QStringLiteral("SELECT 1 FROM %1 WHERE %2 AND rowid IS NOT ?%3 LIMIT 1")
                           .arg(table, conds.join(QStringLiteral(" AND ")))
                           .arg(def_.key.size() + 1);
    texts_.insert =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(table, cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    texts_.key = keyCols.isEmpty() ? QString()
                                   : QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?1")
                                         .arg(keyCols.join(QStringLiteral(", ")), table);
}

namespace {

// The value a posted value reads back as, when that is sure without reading it:
// a column declared as the field's type stores these as they are bound.
std::optional<QVariant> readsBackAs(const FieldDef& f, const QVariant& v) {
    if (!v.isValid()) return QVariant();
    switch (f.type) {
    case FieldType::Number:
        // SQLite stores no NaN, and may keep a negative zero as the integer 0.
        if (v.typeId() == QMetaType::Double && std::isfinite(v.toDouble()) &&
            !(v.toDouble() == 0 && std::signbit(v.toDouble())))
            return v;
        break;
    case FieldType::Integer:
        if (v.typeId() == QMetaType::Int) return v;
        break;
    case FieldType::Text:
    case FieldType::Memo:
        if (v.typeId() == QMetaType::QString && v.toString().isValidUtf16()) return v;
        break;
    case FieldType::Logical:
        if (v.typeId() == QMetaType::Bool) return v;
        break;
    case FieldType::Date:
        if (v.typeId() == QMetaType::QDate) return DataSet::fromStorage(f, DataSet::toStorage(f, v));
        break;
    }
    return std::nullopt;
}

} // namespace

bool Table::keepsPlace() const {
    auto same = [&](int fi) {
        const FieldDef& f = def_.fields[size_t(fi)];
        return size_t(fi) < cur_.size() &&
               compareStored(toStorage(f, cur_[size_t(fi)]), toStorage(f, buf_[size_t(fi)])) == 0;
    };
    for (int fi : texts_.keyIndexes)
        if (!same(fi)) return false;
    for (int fi : linkIndexes_)
        if (!same(fi)) return false;
    return true;
}

void Table::post() {
    requireActive();
    if (!editing()) return;
    emit updateRecord();
    if (!editing()) return;
    if (beforePost) beforePost(*this);
    db_->checkWritable(tableName_, this);
    prepareTexts();
    const bool inserting = state_ == State::Insert;
    // An edit that changed nothing has nothing to write (and must not write back
    // values another program may have changed since); one that kept the key
    // and link values keeps the row's place and cannot clash with another key.
    const bool unchanged = !inserting && !modified_;
    const bool samePlace = !inserting && keepsPlace();
    const bool fresh = currentIsFresh();
    std::optional<Transaction> tx;
    // A post standing alone is its own write transaction. Inside a command's
    // transaction it needs no savepoint: its one statement is atomic.
    if (!unchanged && !db_->inTransaction()) tx.emplace(*db_);

    if (def_.isKeyed() && !samePlace) {
        sql::Statement& dup = db_->cached(texts_.duplicate);
        for (int i = 0; i < def_.key.size(); ++i) {
            const int fi = texts_.keyIndexes[size_t(i)];
            dup.bind(i + 1, toStorage(def_.fields[size_t(fi)], buf_[size_t(fi)]));
        }
        dup.bind(def_.key.size() + 1, inserting ? QVariant() : QVariant(editRowid_));
        const bool duplicate = dup.step();
        dup.release();
        if (duplicate)
            throw StoreError(QStringLiteral("Key violation.\nTable: %1").arg(tableName_));
    }

    qint64 rowid = editRowid_;
    bool stored = false; // one row now holds exactly the buffer
    // The batch read before stays good for every row but the one written here.
    const bool prefetchKept = !unchanged && prefetchValid();
    if (inserting) {
        sql::Statement& st = db_->cached(texts_.insert);
        for (size_t i = 0; i < def_.fields.size(); ++i) st.bind(int(i) + 1, toStorage(def_.fields[i], buf_[i]));
        st.step();
        rowid = db_->connection().lastInsertRowid();
        stored = true;
    } else if (!unchanged) {
        // Only the fields set in the edit are written: the others keep what is
        // stored, should another program have changed them since they were read.
        std::vector<int> set;
        for (size_t i = 0; i < dirty_.size() && i < def_.fields.size(); ++i)
            if (dirty_[i]) set.push_back(int(i));
        if (set.empty() || dirty_.size() != def_.fields.size()) {
            set.clear();
            for (size_t i = 0; i < def_.fields.size(); ++i) set.push_back(int(i));
        }
        // The fields written must still hold what the edit began with: a
        // change another user made to them meanwhile is refused, never overwritten.
        const bool checked = editBase_.size() == def_.fields.size();
        auto& [plain, guarded] = texts_.updates[set];
        if (plain.isEmpty()) {
            QStringList sets, guards;
            const int n = int(def_.fields.size());
            for (int i : set) {
                const QString name = quoteIdentifier(def_.fields[size_t(i)].name);
                sets << QStringLiteral("%1=?%2").arg(name).arg(i + 1);
                guards << QStringLiteral(" AND %1 IS ?%2").arg(name).arg(n + 2 + i);
            }
            plain = QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?%3")
                        .arg(quoteIdentifier(tableName_), sets.join(QStringLiteral(", ")))
                        .arg(n + 1);
            guarded = plain + guards.join(QString());
        }
        auto update = [&](bool guard) {
            sql::Statement& st = db_->cached(guard ? guarded : plain);
            for (int i : set) {
                const FieldDef& f = def_.fields[size_t(i)];
                st.bind(i + 1, toStorage(f, buf_[size_t(i)]));
                if (guard) st.bind(int(def_.fields.size()) + 2 + i, toStorage(f, editBase_[size_t(i)]));
            }
            st.bind(int(def_.fields.size()) + 1, rowid);
            st.step();
            return db_->connection().changes() > 0;
        };
        if (checked && !tx && db_->writesHeld()) {
            sql::Statement& st = db_->cached(guarded);
            for (int i : set) {
                const FieldDef& f = def_.fields[size_t(i)];
                st.bind(i + 1, toStorage(f, buf_[size_t(i)]));
                st.bind(int(def_.fields.size()) + 2 + i, toStorage(f, editBase_[size_t(i)]));
            }
            st.bind(int(def_.fields.size()) + 1, rowid);
            const QString table = tableName_;
            st.runLater([table](qint64 changed) {
                if (changed == 0) throw ConflictError(conflictMessage(table));
            });
        } else if (!update(checked)) {
            std::vector<QVariant> now = fetchStored(rowid);
            // Another program deleted the row since it was read: what was typed
            // into it cannot be saved, and must not vanish without a word.
            if (now.empty())
                throw StoreError(QStringLiteral("The record could not be saved: another program "
                                                "deleted it.\nTable: %1")
                                     .arg(tableName_));
            bool changedMeanwhile = false;
            for (int i : set) changedMeanwhile = changedMeanwhile || now[size_t(i)] != editBase_[size_t(i)];
            if (changedMeanwhile) {
                // The row is shown as the other user left it.
                tx.reset();
                buf_.clear();
                editBase_.clear();
                modified_ = false;
                editRowid_ = 0;
                state_ = State::Browse;
                loadCurrent();
                emit stateChanged();
                emit dataChanged();
                throw ConflictError(conflictMessage(tableName_));
            }
            // Stored otherwise than this program writes it, but the same value.
            update(false);
        }
        // The row holds the whole buffer when the rest of it was as stored.
        stored = fresh;
    }
    prefetched_.erase(rowid);
    if (tx) tx->commit();
    // The row as it reads back, when that is sure without reading it.
    std::vector<QVariant> readBack;
    if (stored && db_->storesAsDeclared(tableName_)) {
        readBack.reserve(buf_.size());
        for (size_t i = 0; i < buf_.size(); ++i) {
            std::optional<QVariant> v = readsBackAs(def_.fields[i], buf_[i]);
            if (!v) break;
            readBack.push_back(std::move(*v));
        }
        if (readBack.size() != buf_.size()) readBack.clear();
    }

    std::vector<QVariant> posted;
    posted.swap(buf_);
    modified_ = false;
    editRowid_ = 0;
    state_ = State::Browse;
    int at = -1;
    if (!samePlace)
        at = placePostedRow(rowid, posted);
    else if (pos_ >= 0 && pos_ < int(rowids_.size()) && rowids_[size_t(pos_)] == rowid)
        at = pos_;
    else if (auto it = std::find(rowids_.begin(), rowids_.end(), rowid); it != rowids_.end())
        at = int(it - rowids_.begin());
    if (at >= 0) {
        const bool sameRow = at == pos_ && unchanged && currentIsFresh();
        pos_ = at;
        eof_ = bof_ = false;
        // A row that nothing was written to, read in this write transaction,
        // is as stored: reading it again would change nothing; nor would
        // reading one just written with values that read back as they are.
        if (!readBack.empty()) {
            cur_.swap(readBack);
            loadedIn_ = db_->writeTransaction();
        } else if (!sameRow) {
            loadCurrent();
        }
    } else {
        placeAt(savedPos_ >= 0 ? savedPos_ : pos_);
    }
    if (!unchanged) {
        db_->notifyChanged(tableName_, this);
        if (prefetchKept) prefetchedAt_ = prefetchStamp();
    }
    emit stateChanged();
    emit dataChanged();
    emit scrolled();
    if (afterPost) afterPost(*this);
}

// Puts a just-posted row into the range at its key position without re-reading
// the whole range, which would make every post cost as much as the table is long.
int Table::placePostedRow(qint64 rowid, const std::vector<QVariant>& values) {
    // Any placement but the row's old one changes the range.
    ++rangeVersion_;
    if (auto it = std::find(rowids_.begin(), rowids_.end(), rowid); it != rowids_.end()) rowids_.erase(it);
    for (size_t i = 0; i < linkIndexes_.size() && master_; ++i) {
        const FieldDef& f = def_.fields[size_t(linkIndexes_[i])];
        if (compareStored(toStorage(f, coerce(f, appliedLink_.value(int(i)))), toStorage(f, values[size_t(linkIndexes_[i])])) != 0)
            return -1;  // the row no longer belongs to this range
    }
    std::vector<QVariant> key;
    for (int i : texts_.keyIndexes)
        key.push_back(toStorage(def_.fields[size_t(i)], values[size_t(i)]));
    const QString& keyText = texts_.key;
    // True when the row at `pos` sorts before the posted row.
    auto before = [&](int pos) {
        const qint64 other = rowids_[size_t(pos)];
        if (!keyText.isEmpty()) {
            sql::Statement& st = db_->cached(keyText);
            st.bind(1, other);
            std::vector<QVariant> otherKey;
            if (st.step())
                for (size_t i = 0; i < key.size(); ++i)
                    otherKey.push_back(st.column(int(i)));
            st.release();
            for (size_t i = 0; i < otherKey.size(); ++i) {
                const int c = compareStored(otherKey[i], key[i]);
                if (c != 0) return c < 0;
            }
        }
        return other < rowid;
    };
    int lo = 0, hi = rowCount();
    // Rows are mostly written in key order, each just after the one before:
    // where the range divides there, the search would end there too.
    const int h = placedHint_;
    if (h >= 0 && h < hi && before(h) && (h + 1 == hi || !before(h + 1))) {
        lo = h + 1;
    } else {
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (before(mid))
                lo = mid + 1;
            else
                hi = mid;
        }
    }
    rowids_.insert(rowids_.begin() + lo, rowid);
    placedHint_ = lo;
    return lo;
}

void Table::cancel() {
    if (!editing()) return;
    const bool wasInsert = state_ == State::Insert;
    buf_.clear();
    modified_ = false;
    editRowid_ = 0;
    state_ = State::Browse;
    if (wasInsert) placeAt(savedPos_);
    emit stateChanged();
    emit scrolled();
}

void Table::deleteRow() {
    requireActive();
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    cancel();
    if (rowCount() == 0 || pos_ < 0)
        throw StoreError(QStringLiteral("%1: Cannot perform this operation on an empty dataset").arg(tableName_));
    db_->checkWritable(tableName_, this);
    const qint64 rowid = rowids_[size_t(pos_)];
    Transaction tx(*db_);
    if (beforeDelete) beforeDelete(*this);
    sql::Statement& st = db_->cached(QStringLiteral("DELETE FROM %1 WHERE rowid=?1").arg(quoteIdentifier(tableName_)));
    st.bind(1, rowid);
    st.step();
    tx.commit();
    auto it = std::find(rowids_.begin(), rowids_.end(), rowid);
    if (it != rowids_.end()) {
        const int at = int(it - rowids_.begin());
        rowids_.erase(it);
        ++rangeVersion_;
        if (rowids_.empty()) {
            placeAt(0);
        } else if (at >= rowCount()) {
            pos_ = rowCount() - 1;
            loadCurrent();
            eof_ = true;
            bof_ = false;
        } else {
            pos_ = at;
            loadCurrent();
            eof_ = bof_ = false;
        }
    }
    db_->notifyChanged(tableName_, this);
    emit dataChanged();
    emit scrolled();
}

bool Table::findKey(const QVariantList& values) {
    requireActive();
    if (values.size() > def_.key.size())
        throw StoreError(QStringLiteral("%1: more key values than key fields").arg(tableName_));
    checkBrowseMode();
    // The row the cursor stands on, when it holds the whole key asked for, no
    // other row can, and it was read in this write transaction (so nobody has
    // written it since): the calculation asks for the row it is on at every design.
    if (values.size() == def_.key.size() && values.size() > 0 && pos_ >= 0 &&
        pos_ < int(rowids_.size()) && cur_.size() == def_.fields.size() && currentIsFresh() &&
        db_->hasUniqueKey(tableName_)) {
        bool same = true;
        for (int i = 0; same && i < values.size(); ++i) {
            const int fi = def_.fieldIndex(def_.key[i]);
            const FieldDef& f = def_.fields[size_t(fi)];
            const QVariant wanted = toStorage(f, coerce(f, values[i]));
            const QVariant have = toStorage(f, cur_[size_t(fi)]);
            // An empty key value may stand in several rows.
            same = wanted.isValid() && compareStored(wanted, have) == 0;
        }
        if (same) {
            eof_ = bof_ = false;
            emit scrolled();
            return true;
        }
    }
    // On a server, a short range is read whole (once while nobody changes it)
    // and searched where it stands, in key order: the calculation looks up a
    // system's row at every design.
    auto wholeRangeRead = [&] {
        return prefetchValid() &&
               std::all_of(rowids_.begin(), rowids_.end(), [&](qint64 id) { return prefetched_.count(id) > 0; });
    };
    if (db_->isServer() && !rowids_.empty() && int(rowids_.size()) <= PrefetchRows && !wholeRangeRead())
        prefetchFrom(0);
    if (db_->isServer() && !rowids_.empty() && wholeRangeRead()) {
        std::vector<std::pair<int, QVariant>> wanted;
        for (int i = 0; i < values.size(); ++i) {
            const int fi = def_.fieldIndex(def_.key[i]);
            const FieldDef& f = def_.fields[size_t(fi)];
            wanted.emplace_back(fi, toStorage(f, coerce(f, values[i])));
        }
        if (std::all_of(wanted.begin(), wanted.end(), [](const auto& w) { return w.second.isValid(); })) {
            for (size_t at = 0; at < rowids_.size(); ++at) {
                const std::vector<QVariant>& row = prefetched_.at(rowids_[at]);
                const bool match = std::all_of(wanted.begin(), wanted.end(), [&](const auto& w) {
                    return compareStored(w.second, toStorage(def_.fields[size_t(w.first)], row[size_t(w.first)])) == 0;
                });
                if (!match) continue;
                pos_ = int(at);
                eof_ = bof_ = false;
                cur_ = row;
                loadedIn_ = db_->writeTransaction();
                emit scrolled();
                return true;
            }
            return false;
        }
    }
    const int first = int(appliedLink_.size()) + 1;
    QString& text = texts_.finds[{int(values.size()), master_ != nullptr}];
    if (text.isEmpty()) {
        QStringList conds;
        const QString range = rangeCondition(1);
        if (!range.isEmpty()) conds << range;
        for (int i = 0; i < values.size(); ++i)
            conds << QStringLiteral("%1 IS ?%2").arg(quoteIdentifier(def_.key[i])).arg(first + i);
        // The row's values come with it: one read of the file, not two.
        QStringList cols{QStringLiteral("rowid")};
        for (const FieldDef& f : def_.fields) cols << quoteIdentifier(f.name);
        text = QStringLiteral("SELECT %1 FROM %2")
                   .arg(cols.join(QStringLiteral(", ")), quoteIdentifier(tableName_));
        if (!conds.isEmpty()) text += QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND "));
        text += orderClause() + QStringLiteral(" LIMIT 1");
    }
    sql::Statement& st = db_->cached(text);
    bindRange(st, 1);
    for (int i = 0; i < values.size(); ++i) {
        const FieldDef& f = def_.fields[size_t(def_.fieldIndex(def_.key[i]))];
        st.bind(first + i, toStorage(f, coerce(f, values[i])));
    }
    const bool found = st.step();
    const qint64 rowid = found ? st.columnInt64(0) : 0;
    std::vector<QVariant> row;
    if (found) {
        row.resize(def_.fields.size());
        for (size_t i = 0; i < row.size(); ++i) row[i] = fromColumn(def_.fields[i], st, int(i) + 1);
    }
    st.release();
    if (!found) return false;
    auto it = std::find(rowids_.begin(), rowids_.end(), rowid);
    if (it == rowids_.end()) return false;
    pos_ = int(it - rowids_.begin());
    eof_ = bof_ = false;
    cur_.swap(row);
    loadedIn_ = db_->writeTransaction();
    emit scrolled();
    return true;
}

bool Table::locate(const QString& field, const QVariant& value) {
    requireActive();
    checkBrowseMode();
    const int fi = fieldIndex(field);
    if (fi < 0) throw StoreError(QStringLiteral("%1: Field '%2' not found").arg(tableName_, field));
    const QVariant wanted = coerce(def_.fields[size_t(fi)], value);
    for (int row = 0; row < rowCount(); ++row) {
        if (fetchRow(row)[size_t(fi)] == wanted) {
            pos_ = row;
            eof_ = bof_ = false;
            loadCurrent();
            emit scrolled();
            return true;
        }
    }
    return false;
}

void Table::lockTable() {
    requireActive();
    db_->lockTable(tableName_, this);
    locked_ = true;
}

void Table::unlockTable() {
    if (!db_) return;
    db_->unlockTable(tableName_, this);
    locked_ = false;
}

}  // namespace store
