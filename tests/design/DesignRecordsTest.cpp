#include "design/DesignRecords.h"

#include "store/Query.h"
#include "store/StoreError.h"
#include "store/Table.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace design;
using testing_support::rowCount;
using testing_support::ScratchDatabase;

namespace {

struct Records : ::testing::Test {
    void SetUp() override {
        for (store::Table* t : {&project, &designs, &image, &merge}) {
            t->setDatabase(s.db.get());
            t->open();
        }
        project.append();
        project.fieldByName("Project_Ref").setAsString("P1");
        project.post();
        designs.append();
        designs.fieldByName("Project_Ref").setAsString("P1");
        designs.fieldByName("Design_No").setAsInteger(3);
        designs.post();
    }
    DesignTables tables() { return {s.db.get(), &project, &designs, nullptr, &image, &merge}; }
    // (RowSpan, ColSpan) stored for a cell.
    std::pair<int, int> storedSpan(int row, int col) {
        store::Query q(s.db.get(), "Select * from DesignMerge");
        q.setSql(
            "Select * from DesignMerge Where Project_Ref=? and Design_No=? and Row=? and Column=?",
            {"P1", 3, row, col});
        q.open();
        EXPECT_EQ(q.recordCount(), 1);
        return {q.fieldByName("RowSpan").asInteger(), q.fieldByName("ColSpan").asInteger()};
    }
    ScratchDatabase s;
    store::Table project{nullptr, "Project"}, designs{nullptr, "Design"},
        image{nullptr, "DesignImage"}, merge{nullptr, "DesignMerge"};
};

} // namespace

TEST_F(Records, NewDesignSavesFiftyEmptyCellsAndFiftyUnitSpans) {
    SaveDesign(tables(), GridModel());
    EXPECT_EQ(rowCount(*s.db, "DesignImage", "Design_No = 3 AND ModeOfCell = 'NONE'"), 50);
    EXPECT_EQ(rowCount(*s.db, "DesignMerge", "Design_No = 3 AND RowSpan = 1 AND ColSpan = 1"), 50);
    EXPECT_EQ(rowCount(*s.db, "DesignImage", "Project_Ref = 'P1'"), 50);
}

TEST_F(Records, SpansAreStoredAsTheGridHoldsThemAndLoadBackFromTheBase) {
    GridModel g;
    g.setSpan(1, 1, 2, 2);
    g.SetCellMode(1, 1, "FIXED");
    g.setMode(0, 9, "TOP");
    SaveDesign(tables(), g);
    EXPECT_EQ(storedSpan(1, 1), std::make_pair(2, 2));
    EXPECT_EQ(storedSpan(1, 2), std::make_pair(0, -1));
    EXPECT_EQ(storedSpan(2, 1), std::make_pair(-1, 0));
    EXPECT_EQ(storedSpan(2, 2), std::make_pair(-1, -1));

    GridModel loaded;
    EXPECT_TRUE(LoadGraphic(image, merge, "P1", 3, loaded));
    EXPECT_EQ(loaded, g);
}

TEST_F(Records, SavingAgainRewritesTheRowsInPlace) {
    GridModel g;
    g.setSpan(0, 0, 2, 1);
    g.SetCellMode(0, 0, "SIDEL");
    SaveDesign(tables(), g);
    g.clear();
    g.setMode(4, 9, "FIXED");
    SaveDesign(tables(), g);
    EXPECT_EQ(rowCount(*s.db, "DesignImage"), 50);
    EXPECT_EQ(rowCount(*s.db, "DesignMerge"), 50);
    GridModel loaded;
    loaded.setSpan(3, 3, 2, 2); // what the grid held before must not survive
    LoadGraphic(image, merge, "P1", 3, loaded);
    EXPECT_EQ(loaded, g);
}

TEST_F(Records, MissingCellRowsAreAddedWhenTheFirstExists) {
    SaveDesign(tables(), GridModel());
    s.db->deleteWhere("DesignImage", {"Row", "Column"}, {2, 5});
    GridModel g;
    g.setMode(2, 5, "TOP");
    SaveDesign(tables(), g);
    EXPECT_EQ(rowCount(*s.db, "DesignImage", "Row = 2 AND Column = 5 AND ModeOfCell = 'TOP'"), 1);
    EXPECT_EQ(rowCount(*s.db, "DesignImage"), 50);
}

TEST_F(Records, DesignWithoutRowsLeavesTheGridAsItWas) {
    GridModel g;
    g.setMode(0, 0, "FIXED");
    EXPECT_FALSE(LoadGraphic(image, merge, "P1", 9, g));
    EXPECT_EQ(g.mode(0, 0), "FIXED");
}

TEST_F(Records, ProjectWithoutReferenceIsDeletedAndNoCellsAreWritten) {
    project.edit();
    project.fieldByName("Project_Ref").clear();
    project.post();
    SaveDesign(tables(), GridModel());
    EXPECT_EQ(rowCount(*s.db, "Project"), 0);
    EXPECT_EQ(rowCount(*s.db, "DesignImage"), 0);
}

TEST_F(Records, SaveIsOneTransaction) {
    // A key clash on the last table written must leave the first ones as they were.
    SaveDesign(tables(), GridModel());
    GridModel g;
    g.setMode(0, 0, "FIXED");
    merge.close();
    merge.setTableName("NoSuchTable");
    EXPECT_ANY_THROW(SaveDesign(tables(), g));
    EXPECT_EQ(rowCount(*s.db, "DesignImage", "ModeOfCell = 'FIXED'"), 0);
}

// The cell rows are written below the cursors, all of a table at once: the
// two tables stand or fall together, cursors showing them read them again,
// and a damaged table's rows outside the grid are passed over.
TEST_F(Records, CellRowsOfBothTablesAreWrittenTogetherAndSeenByTheCursors) {
    GridModel g;
    g.setSpan(1, 1, 2, 2);
    g.SetCellMode(1, 1, "TOP");
    store::Table holder(s.db.get(), "DesignMerge");
    holder.open();
    holder.lockTable();
    EXPECT_THROW(saveCells(image, merge, "P1", 3, g), store::StoreError);
    EXPECT_EQ(rowCount(*s.db, "DesignImage"), 0);
    EXPECT_EQ(rowCount(*s.db, "DesignMerge"), 0);
    holder.unlockTable();
    int heard = 0;
    QObject::connect(&image, &store::DataSet::dataChanged, [&] { ++heard; });
    saveCells(image, merge, "P1", 3, g);
    EXPECT_EQ(heard, 1);
    EXPECT_EQ(image.recordCount(), 50);
    EXPECT_EQ(merge.recordCount(), 50);
    ASSERT_TRUE(image.findKey({"P1", 3, 2, 2}));
    EXPECT_EQ(image.fieldByName("ModeOfCell").asString(), "TOP");
    // Saving the same grid again writes nothing.
    saveCells(image, merge, "P1", 3, g);
    EXPECT_EQ(heard, 1);
    // Rows outside the grid (a damaged table) change no cell, but are rows.
    s.db->connection().exec("INSERT INTO DesignMerge (Project_Ref, Design_No, \"Row\", \"Column\", "
                            "RowSpan, ColSpan) VALUES ('P1', 4, -1, 0, 2, 2), ('P1', 4, 7, 0, 3, 3), "
                            "('P1', 3, 9, 9, 2, 2)");
    GridModel untouched;
    untouched.setMode(0, 0, "FIXED");
    GridModel loaded = untouched;
    EXPECT_TRUE(LoadGraphic(image, merge, "P1", 4, loaded));
    EXPECT_EQ(loaded, untouched);
    GridModel again;
    ASSERT_TRUE(LoadGraphic(image, merge, "P1", 3, again));
    EXPECT_EQ(again, g);
}

// The cursors the rows are written for may show another project's rows (a
// design copied into another project): rows already stored are rewritten,
// not added a second time under their key.
TEST_F(Records, CellsOfAProjectOutsideTheCursorsRangeAreRewritten) {
    project.append();
    project.fieldByName("Project_Ref").setAsString("Q");
    project.post();
    store::Table shownImage(s.db.get(), "DesignImage"), shownMerge(s.db.get(), "DesignMerge");
    for (store::Table* t : {&shownImage, &shownMerge}) {
        t->setMasterFields({"Project_Ref"});
        t->setMaster(&project);
        t->open();
    }
    ASSERT_TRUE(project.findKey({"Q"}));
    GridModel g;
    saveCells(shownImage, shownMerge, "P1", 3, g);
    g.setSpan(0, 0, 2, 1);
    g.SetCellMode(0, 0, "SIDEL");
    EXPECT_NO_THROW(saveCells(shownImage, shownMerge, "P1", 3, g));
    EXPECT_EQ(rowCount(*s.db, "DesignImage", "Project_Ref = 'P1'"), 50);
    EXPECT_EQ(rowCount(*s.db, "DesignImage", "ModeOfCell = 'SIDEL'"), 2);
    EXPECT_EQ(storedSpan(0, 0), (std::pair<int, int>{1, 2}));
    EXPECT_TRUE(shownImage.isEmpty());
}

// Inside one transaction a design read to be shown is not read again to be
// saved; a write or a rollback in between must still be seen by the save.
TEST_F(Records, RowsReadInsideATransactionAreReusedOnlyWhileUnchanged) {
    GridModel g;
    g.setMode(0, 0, "FIXED");
    SaveDesign(tables(), g);
    auto storedMode = [&](int r, int c) {
        store::Query q(s.db.get(), "Select * from DesignImage");
        q.setSql("Select * from DesignImage Where Design_No=? and Row=? and Column=?", {3, r, c});
        q.open();
        return q.fieldByName("ModeOfCell").asString();
    };
    auto writeThroughAnotherCursor = [&](int r, int c, const QString& word) {
        store::Table other(s.db.get(), "DesignImage");
        other.open();
        ASSERT_TRUE(other.findKey({"P1", 3, r, c}));
        other.edit();
        other.fieldByName("ModeOfCell").setAsString(word);
        other.post();
    };
    {
        // Another cursor writes a cell between the read and the save: the save
        // writes the grid's word back over it.
        store::Transaction tx(*s.db);
        GridModel shown;
        ASSERT_TRUE(LoadGraphic(image, merge, "P1", 3, shown));
        writeThroughAnotherCursor(0, 0, "TOP");
        SaveDesign(tables(), shown);
        tx.commit();
    }
    EXPECT_EQ(storedMode(0, 0), "FIXED");
    {
        // A savepoint's write read back, then rolled back: the save must not
        // trust what it read.
        store::Transaction tx(*s.db);
        {
            store::Transaction inner(*s.db);
            writeThroughAnotherCursor(1, 1, "TOP");
            GridModel shown;
            LoadGraphic(image, merge, "P1", 3, shown);
            ASSERT_EQ(shown.mode(1, 1), "TOP");
        } // rolled back: (1, 1) is "NONE" again
        GridModel wanted = g;
        wanted.setMode(1, 1, "TOP");
        SaveDesign(tables(), wanted);
        tx.commit();
    }
    EXPECT_EQ(storedMode(1, 1), "TOP");
    // Outside a transaction nothing is kept: a raw change is seen by the next load.
    s.db->deleteWhere("DesignImage", {"Row", "Column"}, {0, 0});
    GridModel again;
    LoadGraphic(image, merge, "P1", 3, again);
    EXPECT_EQ(again.mode(0, 0), "NONE");
}
