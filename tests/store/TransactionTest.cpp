#include "support/TestSupport.h"
#include "store/BatchMove.h"
#include "store/Query.h"
#include "store/StoreError.h"
#include "store/Table.h"

#include <gtest/gtest.h>

using namespace store;
using testing_support::rowCount;
using testing_support::ScratchDatabase;

namespace {

void addDesign(Table& t, const QString& ref, int no, const QString& designRef = {}) {
    t.append();
    t.fieldByName("Project_Ref").setAsString(ref);
    t.fieldByName("Design_No").setAsInteger(no);
    t.fieldByName("Design_Ref").setAsString(designRef);
    t.post();
}

}  // namespace

TEST(Transactions, RollbackUndoesEveryPostOfTheCommandAndCursorsResync) {
    ScratchDatabase s;
    Table t(s.db.get(), "Design");
    t.open();
    addDesign(t, "P", 1);
    {
        Transaction tx(*s.db);
        addDesign(t, "P", 2);
        addDesign(t, "P", 3);
        EXPECT_EQ(t.recordCount(), 3);
        // Leaving without commit: an error in the middle of a command.
    }
    EXPECT_EQ(t.recordCount(), 1);
    EXPECT_EQ(rowCount(*s.db, "Design"), 1);
    {
        Transaction tx(*s.db);
        addDesign(t, "P", 2);
        tx.commit();
    }
    EXPECT_EQ(rowCount(*s.db, "Design"), 2);
}

TEST(Transactions, NestedScopesRollBackOnlyTheirOwnWork) {
    ScratchDatabase s;
    Table t(s.db.get(), "Design");
    t.open();
    Transaction outer(*s.db);
    addDesign(t, "P", 1);
    {
        Transaction inner(*s.db);
        addDesign(t, "P", 2);
    }
    addDesign(t, "P", 3);
    outer.commit();
    EXPECT_EQ(rowCount(*s.db, "Design"), 2);
    EXPECT_EQ(rowCount(*s.db, "Design", "Design_No = 2"), 0);
}

TEST(Transactions, APostOutsideAnyCommandIsOnDiskAtOnce) {
    ScratchDatabase s;
    Table t(s.db.get(), "Design");
    t.open();
    addDesign(t, "P", 1);
    auto other = Database::open(s.file());
    EXPECT_EQ(rowCount(*other, "Design"), 1);
}

TEST(Transactions, ADeleteWhoseEventFailsLeavesEverythingInPlace) {
    ScratchDatabase s;
    Table t(s.db.get(), "Design");
    Table cells(s.db.get(), "DesignImage");
    t.open();
    cells.open();
    addDesign(t, "P", 1);
    cells.append();
    cells.fieldByName("Project_Ref").setAsString("P");
    cells.post();
    t.beforeDelete = [&](Table&) {
        s.db->deleteWhere("DesignImage", {"Project_Ref"}, {"P"});
        throw StoreError("disk full");
    };
    EXPECT_THROW(t.deleteRow(), StoreError);
    EXPECT_EQ(rowCount(*s.db, "Design"), 1);
    EXPECT_EQ(rowCount(*s.db, "DesignImage"), 1);
    EXPECT_EQ(cells.recordCount(), 1);
}

TEST(Locks, AWriteLockKeepsOtherCursorsFromWriting) {
    ScratchDatabase s;
    Table a(s.db.get(), "Design");
    Table b(s.db.get(), "Design");
    a.open();
    b.open();
    a.lockTable();
    addDesign(a, "P", 1);
    EXPECT_THROW(b.lockTable(), StoreError);
    b.append();
    b.fieldByName("Project_Ref").setAsString("P");
    b.fieldByName("Design_No").setAsInteger(2);
    EXPECT_THROW(b.post(), StoreError);
    a.unlockTable();
    b.post();
    EXPECT_EQ(rowCount(*s.db, "Design"), 2);
}

TEST(BatchMoves, CopyAndAppendUpdateWorkBelowRowEvents) {
    ScratchDatabase s;
    Table design(s.db.get(), "Design");
    design.open();
    addDesign(design, "P", 1, "W1");
    addDesign(design, "P", 2, "W2");
    addDesign(design, "Q", 1, "Q1");

    QTemporaryDir dir;
    auto folder = Database::create(QDir(dir.path()).filePath("TDesign.db"));
    folder->createTable(s.db->tableDef("Design"));
    Table exchange(folder.get(), "Design");
    int events = 0;
    exchange.beforeInsert = [&](Table&) { ++events; };
    Query q(s.db.get(), "Select * from Design Where Project_Ref=?");
    q.setSql(q.sql(), {"P"});
    EXPECT_EQ(BatchMove::execute(q, exchange, BatchMove::Mode::Copy), 2);
    EXPECT_EQ(exchange.recordCount(), 2);

    // Change one design and add another in the folder, then merge it back.
    exchange.findKey({"P", 2});
    exchange.edit();
    exchange.fieldByName("Design_Ref").setAsString("W2-new");
    exchange.post();
    exchange.beforeInsert = nullptr;
    exchange.append();
    exchange.fieldByName("Project_Ref").setAsString("P");
    exchange.fieldByName("Design_No").setAsInteger(9);
    exchange.post();

    design.beforeInsert = [&](Table&) { ++events; };
    EXPECT_EQ(BatchMove::execute(exchange, design, BatchMove::Mode::AppendUpdate), 3);
    EXPECT_EQ(events, 0);
    EXPECT_EQ(rowCount(*s.db, "Design"), 4);
    EXPECT_EQ(rowCount(*s.db, "Design", "Design_Ref = 'W2-new'"), 1);
    EXPECT_EQ(rowCount(*s.db, "Design", "Design_No = 9"), 1);
    EXPECT_EQ(design.recordCount(), 4);

    // Copy mode replaces what the destination held.
    Query q2(s.db.get(), "Select * from Design Where Project_Ref=?");
    q2.setSql(q2.sql(), {"Q"});
    BatchMove::execute(q2, exchange, BatchMove::Mode::Copy);
    EXPECT_EQ(exchange.recordCount(), 1);
}

TEST(Schema, TablesCreatedFromAnotherTablesDefinitionKeepFieldsAndKey) {
    ScratchDatabase s;
    QTemporaryDir dir;
    auto other = Database::create(QDir(dir.path()).filePath("TProject.db"));
    other->createTable(s.db->tableDef("Project"));
    const TableDef def = other->tableDef("Project");
    EXPECT_EQ(def.key, QStringList{"Project_Ref"});
    ASSERT_EQ(def.fields.size(), 10u);
    EXPECT_EQ(def.fields[2].name, "Project_Date");
    EXPECT_EQ(def.fields[2].type, FieldType::Date);

    // A table unknown to the data folder keeps its key and widths too.
    TableDef scratch;
    scratch.name = "Scratch";
    scratch.key = {"Code"};
    scratch.fields = {{"Code", FieldType::Text, 4, {}}, {"Amount", FieldType::Number, 0, {}}};
    other->createTable(scratch);
    const TableDef back = other->tableDef("Scratch");
    EXPECT_EQ(back.key, QStringList{"Code"});
    EXPECT_EQ(back.fields[0].width, 4);
    EXPECT_EQ(back.fields[1].type, FieldType::Number);
    EXPECT_EQ(other->tableNames(), (QStringList{"Project", "Scratch"}));
}
