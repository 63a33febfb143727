#pragma once

#include "store/Schema.h"

#include <QString>
#include <QVariantList>
#include <vector>

// Reading the rows of a damaged table from every page of the database file
// that still reads as a table leaf, whether or not the table's damaged tree
// still leads to it.
namespace maintenance::salvage {

// A table of the file: its root page and declared fields.
struct TreeInfo {
    QString name;
    qint64 root = 0;
    std::vector<store::FieldDef> fields;
};

struct FoundRow {
    qint64 rowid = 0;
    qint64 page = 0;
    QVariantList values;
    QString problem; // empty for a whole row that surely belongs to the table
};

// A page of the table's tree that could not be read, with the row ids its
// parent says it held: above `lo`, up to `hi` (when `hiKnown`).
struct LostPage {
    qint64 page = 0;
    qint64 lo = 0;
    qint64 hi = 0;
    bool hiKnown = false;
    QString reason;
};

struct TableSalvage {
    std::vector<FoundRow> rows;       // whole rows of the table, in row-id order
    std::vector<FoundRow> problems;   // damaged rows, rows whose table is not certain
    std::vector<LostPage> unreadable; // pages of the table's tree that could not be read
    QString error;                    // set when the file could not be read at all
};

// Reads `table`'s rows from every intact table-leaf page of `file`: the pages
// its tree still reaches, and pages no tree reaches (their tree lost) whose
// rows fit the table's fields and no other table's. Rows that fit several
// tables, or come from a long value whose overflow pages are damaged, go to
// `problems` under the table they most likely belong to.
TableSalvage salvageTable(const QString& file, const std::vector<TreeInfo>& tables,
                          const QString& table);

// Rows lost on the unreadable pages: the row ids `expected` names that were
// not found when it is given, else the ids missing from each unreadable
// page's range. -1 when the count cannot be told.
qint64 rowsLost(const TableSalvage& s, const std::vector<qint64>* expected);

} // namespace maintenance::salvage
