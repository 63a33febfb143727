#pragma once

#include <QStringList>
#include <QVariant>
#include <vector>

namespace store {
class Database;
} // namespace store

namespace design {

// Every stored row of one design: its Design record and the rows that live
// and die with it (cells, spans, results, costs), as read from the file. What
// Delete Design removes, so that taking it back can write it all again.
struct DesignRows {
    struct TableRows {
        QString table;
        QStringList fields;
        std::vector<QVariantList> rows;
    };
    QString projectRef;
    int designNo = 0;
    std::vector<TableRows> tables;

    bool empty() const;
    // The rows of one table (null when the table holds none of them).
    const TableRows* rowsOf(const QString& table) const;
};

// The tables a design's rows are kept in, the Design record's first.
const QStringList& designRowTables();

DesignRows readDesignRows(store::Database& db, const QString& projectRef, int designNo);

// Removes the design's rows from every one of those tables, in one transaction.
void deleteDesignRows(store::Database& db, const QString& projectRef, int designNo);

// Writes the rows back as design `designNo` of their project, replacing what
// is stored under that number, in one transaction: all of them or none.
void writeDesignRows(store::Database& db, const DesignRows& rows, int designNo);

// The number a design brought back takes: its own while no design holds it,
// else one above the project's last.
int freeDesignNo(store::Database& db, const QString& projectRef, int wanted);

} // namespace design
