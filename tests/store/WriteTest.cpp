// What a post writes and what the cursor shows after it, a cursor asked for
// the key it stands on, and rows written many at once below the cursors.
#include "store/Query.h"
#include "store/RowWriter.h"
#include "store/StoreError.h"
#include "store/Table.h"
#include "support/ServerCluster.h"
#include "support/TestSupport.h"

#include <QObject>
#include <cmath>
#include <gtest/gtest.h>

using namespace store;
using testing_support::rowCount;
using testing_support::ScratchDatabase;

namespace {

void addDesign(Table& t, const QString& ref, int no, const QString& name) {
    t.append();
    t.fieldByName("Project_Ref").setAsString(ref);
    t.fieldByName("Design_No").setAsInteger(no);
    t.fieldByName("Design_Ref").setAsString(name);
    t.post();
}

// Every value of the cursor's row, type included, is what a cursor opened
// afresh reads from the file at the same place.
void expectShowsTheFile(Table& t) {
    Table fresh(t.database(), t.tableName());
    fresh.open();
    fresh.moveTo(t.recNo());
    for (int i = 0; i < t.fieldCount(); ++i) {
        const QVariant shown = t.field(i).value(), stored = fresh.field(i).value();
        EXPECT_EQ(shown.typeId(), stored.typeId()) << t.field(i).name().toStdString();
        EXPECT_EQ(shown, stored) << t.field(i).name().toStdString();
        if (shown.typeId() == QMetaType::Double) {
            EXPECT_EQ(std::signbit(shown.toDouble()), std::signbit(stored.toDouble()));
        }
    }
}

} // namespace

// A cursor read its row before another program changed one of its fields: an
// edit of another field must not write the old value back over that change.
TEST(Writes, APostWritesOnlyTheFieldsItsEditSet) {
    ScratchDatabase s;
    Table t(s.db.get(), "Design");
    t.open();
    addDesign(t, "P", 1, "mine");
    {
        auto other = Database::open(s.file());
        other->connection().exec("UPDATE Design SET Wind_Load = 900, Design_Qty = 4");
    }
    t.edit();
    t.fieldByName("Design_Ref").setAsString("again");
    t.fieldByName("Design_Qty").setAsFloat(2);
    t.post();
    EXPECT_EQ(rowCount(*s.db, "Design", "Design_Ref = 'again' AND Wind_Load = 900 AND Design_Qty = 2"), 1);
    // The cursor had not read the other program's change: it reads the row again.
    EXPECT_EQ(t.fieldByName("Wind_Load").asFloat(), 900);
    expectShowsTheFile(t);
}

// Typing into a row another program deleted since it was read is not saved
// anywhere: the post says so instead of succeeding with nothing written.
TEST(Writes, APostToARowAnotherProgramDeletedFails) {
    ScratchDatabase s;
    Table t(s.db.get(), "Design");
    t.open();
    addDesign(t, "P", 1, "one");
    addDesign(t, "P", 2, "two");
    t.findKey({"P", 1});
    {
        auto other = Database::open(s.file());
        other->connection().exec("DELETE FROM Design WHERE Design_No = 1");
    }
    t.edit();
    t.fieldByName("Design_Ref").setAsString("typed");
    try {
        t.post();
        FAIL() << "the post of a deleted row succeeded";
    } catch (const StoreError& e) {
        EXPECT_EQ(e.message(), "The record could not be saved: another program deleted it.\nTable: Design");
    }
    EXPECT_FALSE(s.db->inTransaction());
    EXPECT_EQ(rowCount(*s.db, "Design", "Design_Ref = 'typed'"), 0);
    t.cancel();
    t.refresh();
    EXPECT_EQ(t.recordCount(), 1);
    EXPECT_EQ(t.fieldByName("Design_Ref").asString(), "two");
}

// Inside a write transaction a cursor shows a row it just wrote without
// reading it, but only where the file is sure to hold the values as bound.
TEST(Writes, ARowJustWrittenShowsWhatTheFileHolds) {
    ScratchDatabase s;
    Table t(s.db.get(), "Design");
    t.open();
    addDesign(t, "P", 1, "one");
    {
        Transaction tx(*s.db);
        t.first();
        t.edit();
        t.fieldByName("Design_Ref").setAsString(QString::fromUtf8("Fenêtre \xe2\x80\x94 1"));
        t.fieldByName("Wind_Load").setAsFloat(-0.0); // the file may keep it as 0
        t.fieldByName("Design_Qty").setAsFloat(1e300);
        t.post();
        expectShowsTheFile(t);
        addDesign(t, "P", 2, "two");
        expectShowsTheFile(t);
        // Dates and yes/no fields go to the file as text and 0/1.
        Table projects(s.db.get(), "Project");
        projects.open();
        projects.append();
        projects.fieldByName("Project_Ref").setAsString("P");
        projects.fieldByName("Project_Date").setAsDate(QDate(2026, 12, 9));
        projects.fieldByName("Def_WL").setAsFloat(1200.5);
        projects.post();
        EXPECT_EQ(projects.fieldByName("Project_Date").asDate(), QDate(2026, 12, 9));
        expectShowsTheFile(projects);
        Table types(s.db.get(), "SystemType");
        types.open();
        types.append();
        types.fieldByName("System_Type").setAsString("Casement");
        types.fieldByName("Type_Active").setAsBoolean(true);
        types.post();
        EXPECT_TRUE(types.fieldByName("Type_Active").asBoolean());
        expectShowsTheFile(types);
        tx.commit();
    }
    // The trigger and the loosely declared column below are written in SQLite's words.
    if (testing_support::onServer()) return;
    // A trigger changes the row as it is written: the cursor reads it.
    TableDef notes;
    notes.name = "Notes";
    notes.key = {"Note"};
    notes.fields = {FieldDef{"Note", FieldType::Text, 20, {}}, FieldDef{"Pages", FieldType::Integer, 0, {}}};
    s.db->createTable(notes);
    s.db->connection().exec("CREATE TRIGGER count_writes AFTER UPDATE ON Notes BEGIN "
                            "UPDATE Notes SET Pages = Pages + 1 WHERE rowid = new.rowid; END");
    Table n(s.db.get(), "Notes");
    n.open();
    {
        Transaction tx(*s.db);
        n.append();
        n.fieldByName("Note").setAsString("a");
        n.fieldByName("Pages").setAsInteger(1);
        n.post();
        n.edit();
        n.fieldByName("Note").setAsString("b");
        n.post();
        EXPECT_EQ(n.fieldByName("Pages").asInteger(), 2);
        expectShowsTheFile(n);
        tx.commit();
    }
    // A column declared otherwise than this program declares it may turn
    // what is bound into something else: "1e3" into the number 1000.
    s.db->connection().exec("CREATE TABLE Memos (Body MEMO)");
    Table m(s.db.get(), "Memos");
    m.open();
    Transaction tx(*s.db);
    m.append();
    m.fieldByName("Body").setAsString("1e3");
    m.post();
    EXPECT_EQ(m.fieldByName("Body").asString(), "1000");
    expectShowsTheFile(m);
    tx.commit();
}

// Asked for the key it stands on, a cursor answers without asking the file
// only when no other row can hold that key and its row is as stored.
TEST(Writes, FindKeyOnTheCurrentRowStillFindsTheFirstAndTheStoredRow) {
    if (testing_support::onServer()) GTEST_SKIP() << "a damaged SQLite table with a non-unique key index";
    ScratchDatabase s;
    // A damaged table whose key index is not unique holds the key "a" twice.
    s.db->connection().exec("CREATE TABLE Pairs (K TEXT(5), V INTEGER)");
    s.db->connection().exec("CREATE INDEX Pairs_key ON Pairs (K)");
    s.db->connection().exec("INSERT INTO Pairs VALUES ('a', 1), ('a', 2), ('b', 3)");
    Table pairs(s.db.get(), "Pairs");
    pairs.open();
    {
        Transaction tx(*s.db);
        pairs.first();
        pairs.next();
        ASSERT_EQ(pairs.fieldByName("V").asInteger(), 2);
        ASSERT_TRUE(pairs.findKey({"a"}));
        EXPECT_EQ(pairs.fieldByName("V").asInteger(), 1);
        tx.commit();
    }
    // Outside a write transaction another program may have changed the row.
    Table t(s.db.get(), "Design");
    t.open();
    addDesign(t, "P", 1, "mine");
    ASSERT_TRUE(t.findKey({"P", 1}));
    {
        auto other = Database::open(s.file());
        other->connection().exec("UPDATE Design SET Design_Ref = 'theirs'");
    }
    ASSERT_TRUE(t.findKey({"P", 1}));
    EXPECT_EQ(t.fieldByName("Design_Ref").asString(), "theirs");
    // Inside one, the row read there is the stored one and is found as it stands.
    Transaction tx(*s.db);
    ASSERT_TRUE(t.findKey({"P", 1}));
    int moved = 0;
    QObject::connect(&t, &DataSet::scrolled, [&] { ++moved; });
    ASSERT_TRUE(t.findKey({"P", 1}));
    EXPECT_EQ(moved, 1);
    EXPECT_FALSE(t.findKey({"P", 2}));
    EXPECT_EQ(t.fieldByName("Design_Ref").asString(), "theirs");
    tx.commit();
}

TEST(RowWriter, AddsAndRewritesRowsAndTellsEachCursorOnce) {
    ScratchDatabase s;
    Table projects(s.db.get(), "Project"), linked(s.db.get(), "DesignMerge"),
        all(s.db.get(), "DesignMerge");
    projects.open();
    projects.append();
    projects.fieldByName("Project_Ref").setAsString("P");
    projects.post();
    linked.setMasterFields({"Project_Ref"});
    linked.setMaster(&projects);
    linked.open();
    all.open();
    EXPECT_TRUE(linked.isEmpty());
    int heard = 0;
    QObject::connect(&all, &DataSet::dataChanged, [&] { ++heard; });
    const QStringList fields{"Project_Ref", "Design_No", "Row", "Column", "RowSpan", "ColSpan"};
    {
        RowWriter w(*s.db, "DesignMerge", fields, &all);
        for (int c = 0; c < 10; ++c)
            w.insert({"P", 1, 0, c, 1, 1});
        w.insert({"Q", 1, 0, 0, 1, 1});
        EXPECT_TRUE(w.update({"P", 1, 0, 3, 2, 2}));
        EXPECT_FALSE(w.update({"P", 1, 4, 4, 2, 2})); // no such row: nothing written
        w.commit();
    }
    EXPECT_EQ(heard, 1);
    EXPECT_EQ(linked.recordCount(), 10);
    EXPECT_EQ(all.recordCount(), 11);
    ASSERT_TRUE(linked.findKey({"P", 1, 0, 3}));
    EXPECT_EQ(linked.fieldByName("RowSpan").asInteger(), 2);
    EXPECT_EQ(linked.fieldByName("ColSpan").asInteger(), 2);
    EXPECT_EQ(rowCount(*s.db, "DesignMerge", "Row = 4"), 0);
    // Values are stored as the fields hold them: text cut to width, numbers whole.
    {
        RowWriter w(*s.db, "DesignImage", {"Project_Ref", "Design_No", "Row", "Column", "ModeOfCell"});
        w.insert({"P", 1.6, 0, 0, "SIDELONGERTHANTEN"});
        w.commit();
    }
    EXPECT_EQ(rowCount(*s.db, "DesignImage", "Design_No = 2 AND ModeOfCell = 'SIDELONGER'"), 1);
}

TEST(RowWriter, AFailureLeavesNothingOfItsRows) {
    ScratchDatabase s;
    const QStringList fields{"Project_Ref", "Design_No", "Row", "Column", "ModeOfCell"};
    {
        RowWriter w(*s.db, "DesignImage", fields);
        w.insert({"P", 1, 0, 0, "FIXED"});
        w.commit();
    }
    Table cursor(s.db.get(), "DesignImage");
    cursor.open();
    ASSERT_EQ(cursor.recordCount(), 1);
    try {
        RowWriter w(*s.db, "DesignImage", fields);
        w.insert({"P", 1, 0, 1, "FIXED"});
        w.update({"P", 1, 0, 0, "TOP"});
        w.insert({"P", 1, 0, 0, "SIDEL"}); // the key is taken
        w.commit();
        FAIL() << "a second row under a key was written";
    } catch (const StoreError& e) {
        EXPECT_EQ(e.message(), "Key violation.\nTable: DesignImage");
    }
    EXPECT_EQ(rowCount(*s.db, "DesignImage"), 1);
    EXPECT_EQ(rowCount(*s.db, "DesignImage", "ModeOfCell = 'FIXED'"), 1);
    EXPECT_EQ(cursor.recordCount(), 1);
    // A table another cursor locked refuses the writes before any is made.
    Table holder(s.db.get(), "DesignImage");
    holder.open();
    holder.lockTable();
    EXPECT_THROW(RowWriter(*s.db, "DesignImage", fields, &cursor), StoreError);
    EXPECT_NO_THROW(RowWriter(*s.db, "DesignImage", fields, &holder));
    holder.unlockTable();
    // The rows must give the whole key.
    EXPECT_THROW(RowWriter(*s.db, "DesignImage", {"Project_Ref", "Design_No", "ModeOfCell"}), StoreError);
    EXPECT_FALSE(s.db->inTransaction());
}
