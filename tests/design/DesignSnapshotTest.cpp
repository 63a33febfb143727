#include "design/DesignSnapshot.h"

#include "store/StoreError.h"
#include "store/Table.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace design;
using testing_support::rowCount;
using testing_support::ScratchDatabase;

namespace {

void addRow(store::Database& db, const QString& table, const QVariantList& key,
            const QString& field = {}, const QVariant& value = {}) {
    store::Table t(&db, table);
    t.open();
    t.append();
    t.fieldByName("Project_Ref").setValue(key[0]);
    t.fieldByName("Design_No").setValue(key[1]);
    if (key.size() > 2) {
        t.fieldByName("Row").setValue(key[2]);
        t.fieldByName("Column").setValue(key[3]);
    }
    if (!field.isEmpty()) t.fieldByName(field).setValue(value);
    t.post();
}

// Rows written back after a design is removed land whole or not at all, and
// take the design's own number only while it is free.
TEST(DesignSnapshot, RowsComeBackWholeOrNotAtAllUnderAFreeNumber) {
    ScratchDatabase s;
    store::Database& db = *s.db;
    addRow(db, "Design", {"P1", 2}, "Design_Ref", "W2");
    addRow(db, "DesignImage", {"P1", 2, 0, 0}, "ModeOfCell", "TOP");
    addRow(db, "DesignCosting", {"P1", 2}, "Total_Cost", 123.5);
    addRow(db, "Design", {"P1", 5}, "Design_Ref", "W5");
    addRow(db, "Design", {"P2", 2}, "Design_Ref", "OTHER");

    const DesignRows rows = readDesignRows(db, "P1", 2);
    deleteDesignRows(db, "P1", 2);
    EXPECT_EQ(rowCount(db, "Design", "Project_Ref = 'P1' AND Design_No = 2"), 0);
    EXPECT_EQ(rowCount(db, "DesignCosting"), 0);
    EXPECT_EQ(rowCount(db, "Design", "Project_Ref = 'P2'"), 1); // another project's design 2 stays
    EXPECT_EQ(freeDesignNo(db, "P1", 2), 2);

    writeDesignRows(db, rows, 2);
    EXPECT_EQ(readDesignRows(db, "P1", 2).rowsOf("DesignCosting")->rows,
              rows.rowsOf("DesignCosting")->rows);
    EXPECT_EQ(readDesignRows(db, "P1", 2).rowsOf("DesignImage")->rows,
              rows.rowsOf("DesignImage")->rows);
    EXPECT_EQ(freeDesignNo(db, "P1", 2), 6); // taken: one above the project's last

    // A damaged copy (two cell rows under one key) writes nothing at all.
    DesignRows damaged = rows;
    for (auto& t : damaged.tables)
        if (t.table == "DesignImage") t.rows.push_back(t.rows.front());
    EXPECT_THROW(writeDesignRows(db, damaged, 6), store::StoreError);
    EXPECT_TRUE(readDesignRows(db, "P1", 6).empty());
    EXPECT_EQ(readDesignRows(db, "P1", 2).rowsOf("DesignImage")->rows.size(), 1u);
}

} // namespace
