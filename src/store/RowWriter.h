#pragma once

#include "Database.h"

#include <QStringList>
#include <QVariant>
#include <optional>

namespace store {

// Writes many rows of one keyed table through prepared statements, below the
// cursors and their row events (as Database::deleteWhere does), as one
// transaction of its own or a savepoint of the caller's. The table's cursors
// hear of the rows once, at the commit, and read the table again when they are
// next looked at: a cursor told of every row would re-read its range per row.
class RowWriter {
public:
    // Each row gives the values of `fields`, which must hold the table's whole
    // key. `writer` is the cursor the rows are written for: a table lock held by
    // any other cursor refuses the writes.
    RowWriter(Database& db, const QString& table, const QStringList& fields,
              const class Table* writer = nullptr);
    RowWriter(const RowWriter&) = delete;
    RowWriter& operator=(const RowWriter&) = delete;
    // Rolls back what was written unless committed.
    ~RowWriter();

    // Adds a row; the table's other fields stay empty. Throws "Key violation"
    // when a row with the same key is stored already.
    void insert(const QVariantList& values);
    // Writes the values of the fields outside the key into the row stored
    // under their key; false, writing nothing, when there is none.
    bool update(const QVariantList& values);
    void commit();

private:
    // Binds a row's values at the places of its fields, `offset` places on.
    void bindValues(sql::Statement& st, const QVariantList& values, int offset = 0);
    void checkCount(const QVariantList& values) const;
    // Writes the rows held back, many to one statement.
    void flush();
    [[noreturn]] void keyViolation() const;

    Database& db_;
    TableDef def_;
    std::vector<int> fieldIndexes_; // into the table's fields, per given value
    QString insertText_, updateText_;
    std::optional<Transaction> tx_;
    bool written_ = false;
    // On a server each statement is a round trip: added rows wait here until
    // an update, the commit or a full batch, and go in one statement.
    std::vector<QVariantList> pending_;
};

} // namespace store
