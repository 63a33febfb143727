// Cursors that other writers change under them, posts that change nothing or
// keep their row's place, and definitions read again when another program
// changes the tables.
#include "store/Query.h"
#include "store/StoreError.h"
#include "store/Table.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace store;
using testing_support::ScratchDatabase;

namespace {

void addDesign(Table& t, const QString& ref, int no, const QString& name = QString()) {
    t.append();
    t.fieldByName("Project_Ref").setAsString(ref);
    t.fieldByName("Design_No").setAsInteger(no);
    if (!name.isEmpty()) t.fieldByName("Design_Ref").setAsString(name);
    t.post();
}

QList<int> numbers(Table& t) {
    QList<int> seen;
    for (t.first(); !t.eof(); t.next())
        seen << t.fieldByName("Design_No").asInteger();
    return seen;
}

} // namespace

TEST(Refresh, ACursorHearsOfEveryWriteAndShowsTheRangeAsItNowIs) {
    ScratchDatabase s;
    Table writer(s.db.get(), "Design"), reader(s.db.get(), "Design");
    writer.open();
    reader.open();
    addDesign(writer, "P", 5, "five");
    reader.first();
    int heard = 0;
    QObject::connect(&reader, &DataSet::dataChanged, [&] { ++heard; });
    // Rows before and after the reader's row, one deleted again, one edited.
    for (int no : {1, 9, 3, 7})
        addDesign(writer, "P", no);
    writer.findKey({"P", 9});
    writer.deleteRow();
    writer.findKey({"P", 7});
    writer.edit();
    writer.fieldByName("Design_Ref").setAsString("seven");
    writer.post();
    EXPECT_EQ(heard, 6);
    // The reader still stands on its row, now the third of the range.
    EXPECT_EQ(reader.fieldByName("Design_Ref").asString(), "five");
    EXPECT_EQ(reader.recNo(), 2);
    EXPECT_FALSE(reader.eof());
    EXPECT_EQ(reader.recordCount(), 4);
    reader.next();
    EXPECT_EQ(reader.fieldByName("Design_Ref").asString(), "seven");
    reader.next();
    EXPECT_TRUE(reader.eof());
    EXPECT_EQ(numbers(reader), (QList<int>{1, 3, 5, 7}));
}

TEST(Refresh, ACursorWhoseRowWasDeletedStandsOnTheRowThatTookItsPlace) {
    ScratchDatabase s;
    Table writer(s.db.get(), "Design"), reader(s.db.get(), "Design");
    writer.open();
    reader.open();
    for (int no : {1, 2, 3})
        addDesign(writer, "P", no);
    reader.findKey({"P", 2});
    writer.findKey({"P", 2});
    writer.deleteRow();
    EXPECT_EQ(reader.fieldByName("Design_No").asInteger(), 3);
    writer.findKey({"P", 3});
    writer.deleteRow();
    EXPECT_EQ(reader.fieldByName("Design_No").asInteger(), 1);
    writer.first();
    writer.deleteRow();
    EXPECT_TRUE(reader.isEmpty());
    EXPECT_TRUE(reader.eof());
    EXPECT_TRUE(reader.fieldByName("Design_No").isNull());
}

TEST(Refresh, DetailOfAChangedMasterAndRollbackAreSeen) {
    ScratchDatabase s;
    Table projects(s.db.get(), "Project"), otherProjects(s.db.get(), "Project");
    Table designs(s.db.get(), "Design"), writer(s.db.get(), "Design");
    projects.open();
    otherProjects.open();
    writer.open();
    designs.setMasterFields({"Project_Ref"});
    designs.setMaster(&projects);
    designs.open();
    for (const char* ref : {"A", "B"}) {
        otherProjects.append();
        otherProjects.fieldByName("Project_Ref").setAsString(ref);
        otherProjects.post();
    }
    addDesign(writer, "A", 1);
    addDesign(writer, "B", 1);
    addDesign(writer, "B", 2);
    // The master was changed by another cursor; the detail follows it.
    projects.findKey({"B"});
    EXPECT_EQ(numbers(designs), (QList<int>{1, 2}));
    {
        Transaction tx(*s.db);
        addDesign(writer, "B", 3);
        EXPECT_EQ(designs.recordCount(), 3);
    } // rolled back
    EXPECT_EQ(numbers(designs), (QList<int>{1, 2}));
    EXPECT_EQ(writer.recordCount(), 3);
}

TEST(Refresh, AnEditThatChangedNothingWritesNothing) {
    ScratchDatabase s;
    Table t(s.db.get(), "Design"), other(s.db.get(), "Design");
    t.open();
    other.open();
    addDesign(t, "P", 1, "mine");
    int heard = 0;
    QObject::connect(&other, &DataSet::dataChanged, [&] { ++heard; });
    // Another program changes the row below every cursor of this one.
    s.db->connection().exec("UPDATE Design SET Design_Ref='theirs', Wind_Load=900");
    t.edit();
    t.post();
    EXPECT_EQ(t.state(), DataSet::State::Browse);
    EXPECT_EQ(heard, 0);
    EXPECT_EQ(t.fieldByName("Design_Ref").asString(), "theirs");
    EXPECT_EQ(t.fieldByName("Wind_Load").asFloat(), 900);
    // A field set is written; the other program's change of another field stays.
    t.edit();
    t.fieldByName("Design_Ref").setAsString("again");
    t.post();
    EXPECT_EQ(heard, 1);
    other.first();
    EXPECT_EQ(other.fieldByName("Design_Ref").asString(), "again");
    EXPECT_EQ(other.fieldByName("Wind_Load").asFloat(), 900);
}

TEST(Refresh, EditsKeepTheirPlaceOrMoveToWhereAFreshCursorPutsThem) {
    ScratchDatabase s;
    Table projects(s.db.get(), "Project"), designs(s.db.get(), "Design"),
        writer(s.db.get(), "Design");
    projects.open();
    writer.open();
    for (const char* ref : {"A", "B"}) {
        projects.append();
        projects.fieldByName("Project_Ref").setAsString(ref);
        projects.post();
    }
    for (int no = 1; no <= 6; ++no)
        addDesign(writer, no % 2 ? "A" : "B", no);
    designs.setMasterFields({"Project_Ref"});
    designs.setMaster(&projects);
    designs.open();
    projects.findKey({"A"});
    EXPECT_EQ(numbers(designs), (QList<int>{1, 3, 5}));
    // A change of a field outside the key keeps the row where it is.
    designs.findKey({"A", 3});
    designs.edit();
    designs.fieldByName("Wind_Load").setAsFloat(1200);
    designs.post();
    EXPECT_EQ(designs.recNo(), 1);
    EXPECT_EQ(designs.fieldByName("Wind_Load").asFloat(), 1200);
    // A key change moves it; a duplicate key is refused even so.
    designs.edit();
    designs.fieldByName("Design_No").setAsInteger(9);
    designs.post();
    EXPECT_EQ(designs.recNo(), 2);
    EXPECT_EQ(numbers(designs), (QList<int>{1, 5, 9}));
    designs.first();
    designs.edit();
    designs.fieldByName("Design_No").setAsInteger(5);
    EXPECT_THROW(designs.post(), StoreError);
    designs.cancel();
    // A link change takes the row out of the range.
    designs.first();
    designs.edit();
    designs.fieldByName("Project_Ref").setAsString("B");
    designs.post();
    EXPECT_EQ(numbers(designs), (QList<int>{5, 9}));
    projects.findKey({"B"});
    EXPECT_EQ(numbers(designs), (QList<int>{1, 2, 4, 6}));
}

TEST(Refresh, QueriesReadTheTablesAnotherProgramChanged) {
    ScratchDatabase s;
    TableDef def;
    def.name = "Notes";
    def.fields = {FieldDef{"Note", FieldType::Text, 20, {}}};
    s.db->createTable(def);
    Query q(s.db.get(), "Select * from Notes");
    q.open();
    EXPECT_EQ(q.fieldCount(), 1);
    q.close();
    {
        auto other = Database::open(s.file());
        def.fields.push_back(FieldDef{"Pages", FieldType::Integer, 0, {}});
        other->createTable(def);
        Table t(other.get(), "Notes");
        t.open();
        t.append();
        t.fieldByName("Note").setAsString("n");
        t.fieldByName("Pages").setAsInteger(3);
        t.post();
    }
    q.open();
    ASSERT_EQ(q.fieldCount(), 2);
    EXPECT_EQ(q.fieldByName("Pages").asInteger(), 3);
    q.close();
    {
        auto other = Database::open(s.file());
        other->connection().exec("DROP TABLE Notes");
    }
    EXPECT_THROW(q.open(), StoreError);
}

// Opening reads nothing yet: the range is read at the first look, so a row a
// command wrote in between is there, and the cursor stands on the first row.
TEST(Refresh, AnOpenedTableIsReadWhenFirstLookedAt) {
    ScratchDatabase s;
    Table t(s.db.get(), "Design");
    t.open();
    s.db->connection().exec(
        "INSERT INTO Design (Project_Ref, Design_No) VALUES ('P', 2), ('P', 1), ('Q', 1)");
    EXPECT_FALSE(t.eof());
    EXPECT_EQ(t.recNo(), 0);
    EXPECT_EQ(t.fieldByName("Design_No").asInteger(), 1);
    EXPECT_EQ(numbers(t), (QList<int>{1, 2, 1}));
    t.close();
    s.db->connection().exec("DELETE FROM Design");
    t.open();
    EXPECT_TRUE(t.isEmpty());
    EXPECT_TRUE(t.eof());
    EXPECT_TRUE(t.bof());
    EXPECT_EQ(t.recNo(), -1);
}
