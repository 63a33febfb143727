#include "support/TestSupport.h"
#include "store/StoreError.h"
#include "store/Table.h"

#include <gtest/gtest.h>

using namespace store;
using testing_support::ScratchDatabase;

namespace {

void addProject(Table& t, const QString& ref) {
    t.append();
    t.fieldByName("Project_Ref").setAsString(ref);
    t.post();
}

QStringList walk(Table& t, const QString& field) {
    QStringList seen;
    for (t.first(); !t.eof(); t.next()) seen << t.fieldByName(field).asString();
    return seen;
}

}  // namespace

TEST(Cursor, KeyedTableWalksInByteWiseKeyOrder) {
    ScratchDatabase s;
    Table t(s.db.get(), "Project");
    t.open();
    for (const char* ref : {"2", "G", "10", " G", "1", "a", "B"}) addProject(t, ref);
    EXPECT_EQ(walk(t, "Project_Ref"), (QStringList{" G", "1", "10", "2", "B", "G", "a"}));
}

TEST(Cursor, UnkeyedTableWalksInInsertionOrder) {
    ScratchDatabase s;
    Table t(s.db.get(), "Supplier");
    t.open();
    for (const char* name : {"Telmar", "Brevik", "Orvane"}) {
        t.append();
        t.fieldByName("Glass_Supplier").setAsString(name);
        t.post();
    }
    EXPECT_EQ(walk(t, "Glass_Supplier"), (QStringList{"Telmar", "Brevik", "Orvane"}));
}

TEST(Cursor, EndOfTableFlag) {
    ScratchDatabase s;
    Table t(s.db.get(), "Project");
    t.open();
    // An empty range stands at its end.
    EXPECT_TRUE(t.eof());
    EXPECT_TRUE(t.bof());
    t.next();
    EXPECT_TRUE(t.eof());

    addProject(t, "A");
    addProject(t, "B");
    t.first();
    EXPECT_FALSE(t.eof());
    EXPECT_TRUE(t.bof());
    // Moving to the last row does not set it; stepping past it does, and the
    // cursor stays on the last row.
    t.last();
    EXPECT_FALSE(t.eof());
    EXPECT_EQ(t.fieldByName("Project_Ref").asString(), "B");
    t.next();
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.fieldByName("Project_Ref").asString(), "B");
    t.prior();
    EXPECT_FALSE(t.eof());
    EXPECT_EQ(t.fieldByName("Project_Ref").asString(), "A");
    t.prior();
    EXPECT_TRUE(t.bof());

    // After an append at the end, but not after an insert before a row.
    t.append();
    EXPECT_TRUE(t.eof());
    t.cancel();
    t.first();
    t.insert();
    EXPECT_FALSE(t.eof());
    t.cancel();
    EXPECT_EQ(t.fieldByName("Project_Ref").asString(), "A");
    EXPECT_EQ(t.recordCount(), 2);
}

TEST(Cursor, FindKeyOnLeadingKeyFields) {
    ScratchDatabase s;
    Table t(s.db.get(), "Design");
    t.open();
    for (auto [ref, no] : std::vector<std::pair<const char*, int>>{{"P1", 2}, {"P1", 1}, {"P2", 1}, {"P2", 7}}) {
        t.append();
        t.fieldByName("Project_Ref").setAsString(ref);
        t.fieldByName("Design_No").setAsInteger(no);
        t.post();
    }
    ASSERT_TRUE(t.findKey({"P2"}));
    EXPECT_EQ(t.fieldByName("Design_No").asInteger(), 1);
    ASSERT_TRUE(t.findKey({"P2", 7}));
    EXPECT_EQ(t.fieldByName("Design_No").asInteger(), 7);
    // A failed find leaves the cursor where it was.
    EXPECT_FALSE(t.findKey({"P3"}));
    EXPECT_EQ(t.fieldByName("Project_Ref").asString(), "P2");
    EXPECT_EQ(t.fieldByName("Design_No").asInteger(), 7);
    EXPECT_THROW(t.findKey({"P1", 1, 3}), StoreError);
}

TEST(Cursor, EditPostCancelAndStates) {
    ScratchDatabase s;
    Table t(s.db.get(), "Project");
    t.open();
    addProject(t, "A");
    EXPECT_EQ(t.state(), DataSet::State::Browse);
    EXPECT_THROW(t.fieldByName("Project_Name").setAsString("x"), StoreError);

    t.edit();
    EXPECT_EQ(t.state(), DataSet::State::Edit);
    t.fieldByName("Project_Name").setAsString("First");
    t.cancel();
    EXPECT_EQ(t.fieldByName("Project_Name").asString(), "");

    t.edit();
    t.fieldByName("Project_Name").setAsString("First");
    t.post();
    EXPECT_EQ(t.state(), DataSet::State::Browse);
    EXPECT_EQ(t.fieldByName("Project_Name").asString(), "First");

    // Changing the key moves the row to its place in key order.
    addProject(t, "M");
    t.findKey({"A"});
    t.edit();
    t.fieldByName("Project_Ref").setAsString("Z");
    t.post();
    EXPECT_EQ(t.fieldByName("Project_Name").asString(), "First");
    EXPECT_EQ(t.recNo(), 1);
    EXPECT_EQ(walk(t, "Project_Ref"), (QStringList{"M", "Z"}));
}

TEST(Cursor, MovingPostsAModifiedRowAndDropsAnUntouchedNewRow) {
    ScratchDatabase s;
    Table t(s.db.get(), "Project");
    t.open();
    addProject(t, "A");
    t.edit();
    t.fieldByName("Designed_By").setAsString("kept");
    t.first();
    EXPECT_EQ(t.state(), DataSet::State::Browse);
    EXPECT_EQ(t.fieldByName("Designed_By").asString(), "kept");

    t.append();
    t.first();
    EXPECT_EQ(t.recordCount(), 1);
}

TEST(Cursor, EditOnEmptyRangeStartsANewRow) {
    ScratchDatabase s;
    Table t(s.db.get(), "Project");
    t.open();
    t.edit();
    EXPECT_EQ(t.state(), DataSet::State::Insert);
    t.fieldByName("Project_Ref").setAsString("N");
    t.post();
    EXPECT_EQ(t.recordCount(), 1);
}

TEST(Cursor, DuplicateKeyIsRefusedAndTheEditStays) {
    ScratchDatabase s;
    Table t(s.db.get(), "Project");
    t.open();
    addProject(t, "A");
    t.append();
    t.fieldByName("Project_Ref").setAsString("A");
    EXPECT_THROW(t.post(), StoreError);
    EXPECT_EQ(t.state(), DataSet::State::Insert);
    t.fieldByName("Project_Ref").setAsString("B");
    t.post();
    EXPECT_EQ(t.recordCount(), 2);
    // Two rows with an empty key are a duplicate too.
    addProject(t, "");
    t.append();
    EXPECT_THROW(t.post(), StoreError);
    t.cancel();
}

TEST(Cursor, DeleteMovesToTheNextRowOrSetsEndAfterTheLast) {
    ScratchDatabase s;
    Table t(s.db.get(), "Project");
    t.open();
    for (const char* r : {"A", "B", "C"}) addProject(t, r);
    t.findKey({"B"});
    t.deleteRow();
    EXPECT_EQ(t.fieldByName("Project_Ref").asString(), "C");
    EXPECT_FALSE(t.eof());
    t.deleteRow();
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.fieldByName("Project_Ref").asString(), "A");
    t.deleteRow();
    EXPECT_TRUE(t.isEmpty());
    EXPECT_THROW(t.deleteRow(), StoreError);
}

TEST(Cursor, RowEventsRunInOrderAndCanAbort) {
    ScratchDatabase s;
    Table t(s.db.get(), "Project");
    t.open();
    QStringList log;
    t.beforeInsert = [&](Table& tt) { log << "before insert " + QString::number(int(tt.state())); };
    t.afterInsert = [&](Table& tt) {
        log << "after insert " + QString::number(int(tt.state()));
        tt.fieldByName("Def_WL").setAsFloat(1000);
    };
    t.beforeDelete = [&](Table& tt) { log << "before delete " + tt.fieldByName("Project_Ref").asString(); };
    int changes = 0;
    t.setFieldChangeHandler("Project_Ref", [&](Field f) {
        ++changes;
        log << "changed " + f.asString();
    });
    t.append();
    t.fieldByName("Project_Ref").setAsString("A");
    t.fieldByName("Project_Ref").setAsString("A");  // fires again: every set is a change
    t.post();
    t.deleteRow();
    EXPECT_EQ(log, (QStringList{"before insert 1", "after insert 3", "changed A", "changed A", "before delete A"}));
    EXPECT_EQ(changes, 2);

    // A throwing event stops the operation.
    addProject(t, "B");
    t.beforeDelete = [](Table&) { throw StoreError("refused"); };
    EXPECT_THROW(t.deleteRow(), StoreError);
    EXPECT_EQ(t.recordCount(), 1);
    t.beforeInsert = [](Table&) { throw StoreError("refused"); };
    EXPECT_THROW(t.append(), StoreError);
    EXPECT_EQ(t.state(), DataSet::State::Browse);
}

TEST(Cursor, SecondCursorSeesPostsOfTheFirst) {
    ScratchDatabase s;
    Table a(s.db.get(), "Project");
    Table b(s.db.get(), "Project");
    a.open();
    b.open();
    addProject(a, "A");
    addProject(a, "B");
    EXPECT_EQ(b.recordCount(), 2);
    b.last();
    EXPECT_EQ(b.fieldByName("Project_Ref").asString(), "B");
    a.first();
    a.deleteRow();
    EXPECT_EQ(b.recordCount(), 1);
    EXPECT_EQ(b.fieldByName("Project_Ref").asString(), "B");
}

TEST(Cursor, PostedRowsTakeTheSamePlaceAFreshCursorGivesThem) {
    ScratchDatabase s;
    Table t(s.db.get(), "DesignImage");
    t.open();
    // Rows arrive out of order, some with an empty reference, some edited later.
    const QStringList refs{"B", "", "A", "10", "2", " G"};
    for (int i = 0; i < 60; ++i) {
        t.append();
        t.fieldByName("Project_Ref").setAsString(refs[(i * 7) % refs.size()]);
        t.fieldByName("Design_No").setAsInteger((i * 13) % 5);
        t.fieldByName("Row").setAsInteger(i % 3);
        t.fieldByName("Column").setAsInteger(i);
        t.post();
        if (i % 9 == 0) {
            t.edit();
            t.fieldByName("Design_No").setAsInteger(9 - i % 4);
            t.post();
        }
    }
    Table fresh(s.db.get(), "DesignImage");
    fresh.open();
    ASSERT_EQ(t.recordCount(), fresh.recordCount());
    for (t.first(), fresh.first(); !fresh.eof(); t.next(), fresh.next())
        ASSERT_EQ(t.fieldByName("Column").asInteger(), fresh.fieldByName("Column").asInteger()) << t.recNo();
}
