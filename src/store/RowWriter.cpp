#include "RowWriter.h"

#include "DataSet.h"
#include "StoreError.h"

#include <algorithm>

namespace store {

using sql::quoteIdentifier;

RowWriter::RowWriter(Database& db, const QString& table, const QStringList& fields,
                     const Table* writer)
    : db_(db), def_(db.tableDef(table)) {
    db_.checkWritable(def_.name, writer);
    for (const QString& f : fields) {
        const int i = def_.fieldIndex(f);
        if (i < 0) throw StoreError(QStringLiteral("%1: Field '%2' not found").arg(def_.name, f));
        fieldIndexes_.push_back(i);
    }
    QStringList cols, marks, sets, conds;
    for (size_t i = 0; i < def_.fields.size(); ++i) {
        cols << quoteIdentifier(def_.fields[i].name);
        marks << QStringLiteral("?%1").arg(i + 1);
    }
    for (const QString& k : def_.key) {
        const int i = def_.fieldIndex(k);
        if (std::find(fieldIndexes_.begin(), fieldIndexes_.end(), i) == fieldIndexes_.end())
            throw StoreError(QStringLiteral("%1: the rows written must give the key field '%2'")
                                 .arg(def_.name, k));
        conds << QStringLiteral("%1 IS ?%2").arg(quoteIdentifier(def_.fields[size_t(i)].name)).arg(i + 1);
    }
    for (int i : fieldIndexes_)
        if (!def_.key.contains(def_.fields[size_t(i)].name))
            sets << QStringLiteral("%1=?%2").arg(quoteIdentifier(def_.fields[size_t(i)].name)).arg(i + 1);
    const QString name = quoteIdentifier(def_.name);
    insertText_ = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(name, cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    if (!sets.isEmpty())
        updateText_ = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                          .arg(name, sets.join(QStringLiteral(", ")), conds.join(QStringLiteral(" AND ")));
    tx_.emplace(db_);
}

RowWriter::~RowWriter() = default;

// Binds each given value, made what the field stores, at its field's place;
// the fields not given stay unbound (empty).
void RowWriter::checkCount(const QVariantList& values) const {
    if (values.size() != int(fieldIndexes_.size()))
        throw StoreError(QStringLiteral("%1: %2 values given for %3 fields")
                             .arg(def_.name)
                             .arg(values.size())
                             .arg(fieldIndexes_.size()));
}

void RowWriter::bindValues(sql::Statement& st, const QVariantList& values, int offset) {
    checkCount(values);
    for (size_t i = 0; i < fieldIndexes_.size(); ++i) {
        const FieldDef& f = def_.fields[size_t(fieldIndexes_[i])];
        st.bind(offset + fieldIndexes_[i] + 1, DataSet::toStorage(f, DataSet::coerce(f, values[int(i)])));
    }
}

void RowWriter::keyViolation() const {
    throw StoreError(QStringLiteral("Key violation.\nTable: %1").arg(def_.name));
}

void RowWriter::insert(const QVariantList& values) {
    if (!tx_) throw StoreError(QStringLiteral("%1: the rows are written already").arg(def_.name));
    if (db_.isServer()) {
        checkCount(values);
        pending_.push_back(values);
        written_ = true;
        if (pending_.size() == 200) flush();
        return;
    }
    sql::Statement& st = db_.cached(insertText_);
    bindValues(st, values);
    try {
        st.step();
    } catch (const KeyViolation&) {
        keyViolation();
    }
    written_ = true;
}

bool RowWriter::update(const QVariantList& values) {
    if (!tx_) throw StoreError(QStringLiteral("%1: the rows are written already").arg(def_.name));
    if (updateText_.isEmpty())
        throw StoreError(QStringLiteral("%1: the rows written give no field to update").arg(def_.name));
    flush();
    sql::Statement& st = db_.cached(updateText_);
    bindValues(st, values);
    st.step();
    const bool found = db_.connection().changes() > 0;
    written_ = written_ || found;
    return found;
}

void RowWriter::flush() {
    if (pending_.empty()) return;
    const int width = int(def_.fields.size());
    QStringList tuples;
    for (size_t r = 0; r < pending_.size(); ++r) {
        QStringList marks;
        for (int c = 0; c < width; ++c) marks << QStringLiteral("?%1").arg(int(r) * width + c + 1);
        tuples << QLatin1Char('(') + marks.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    sql::Statement& st = db_.cached(insertText_.section(QStringLiteral(" VALUES "), 0, 0) + QStringLiteral(" VALUES ") +
                                    tuples.join(QStringLiteral(", ")));
    for (size_t r = 0; r < pending_.size(); ++r) bindValues(st, pending_[r], int(r) * width);
    pending_.clear();
    try {
        st.step();
    } catch (const KeyViolation&) {
        keyViolation();
    }
}

void RowWriter::commit() {
    if (!tx_) return;
    flush();
    tx_->commit();
    tx_.reset();
    if (written_) db_.notifyChanged(def_.name, nullptr);
}

} // namespace store
