#pragma once

#include "GridModel.h"

namespace store {
class Database;
class Table;
} // namespace store

namespace design {

// The tables a design is saved to and loaded from. `rational` may be null.
struct DesignTables {
    store::Database* database = nullptr;
    store::Table* project = nullptr;
    store::Table* design = nullptr;
    store::Table* rational = nullptr;
    store::Table* image = nullptr;
    store::Table* merge = nullptr;
};

// Writes the current design: the project record, the design record, the
// rational-design record, then the 50 DesignImage and 50 DesignMerge rows of
// the grid, in that order and as one transaction.
void SaveDesign(const DesignTables& tables, const GridModel& grid);

// Writes only the 50 + 50 cell rows of (projectRef, designNo). Rows already
// holding the grid's values are left untouched.
void saveCells(store::Table& image, store::Table& merge, const QString& projectRef, int designNo,
               const GridModel& grid);

// Loads the stored spans, then the stored types, of (projectRef, designNo) into
// the grid. A design without stored rows leaves the grid as it was; the result
// says whether any row was found.
bool LoadGraphic(store::Table& image, store::Table& merge, const QString& projectRef, int designNo,
                 GridModel& grid);

} // namespace design
