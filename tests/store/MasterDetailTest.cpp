#include "support/TestSupport.h"
#include "store/Table.h"

#include <gtest/gtest.h>

using namespace store;
using testing_support::ScratchDatabase;

namespace {

struct Linked : ::testing::Test {
    void SetUp() override {
        project.open();
        for (const char* ref : {"A", "B", "C"}) {
            project.append();
            project.fieldByName("Project_Ref").setAsString(ref);
            project.post();
        }
        Table loose(s.db.get(), "Design");
        loose.open();
        for (auto [ref, no] : std::vector<std::pair<const char*, int>>{{"A", 1}, {"A", 2}, {"C", 1}, {"A", 3}}) {
            loose.append();
            loose.fieldByName("Project_Ref").setAsString(ref);
            loose.fieldByName("Design_No").setAsInteger(no);
            loose.post();
        }
        design.setMasterFields({"Project_Ref"});
        design.setMaster(&project);
        design.open();
    }
    QList<int> numbers() {
        QList<int> n;
        for (design.first(); !design.eof(); design.next()) n << design.fieldByName("Design_No").asInteger();
        return n;
    }
    ScratchDatabase s;
    Table project{s.db.get(), "Project"};
    Table design{s.db.get(), "Design"};
};

}  // namespace

TEST_F(Linked, DetailShowsOnlyTheMastersRowsAndFollowsIt) {
    project.findKey({"A"});
    EXPECT_EQ(numbers(), (QList<int>{1, 2, 3}));
    project.next();
    EXPECT_TRUE(design.isEmpty());
    EXPECT_TRUE(design.eof());
    project.next();
    EXPECT_EQ(numbers(), (QList<int>{1}));
    EXPECT_EQ(design.fieldByName("Project_Ref").asString(), "C");
}

TEST_F(Linked, MovingTheMasterReturnsTheDetailToItsFirstRow) {
    project.findKey({"A"});
    design.last();
    project.findKey({"C"});
    project.findKey({"A"});
    EXPECT_EQ(design.fieldByName("Design_No").asInteger(), 1);
}

TEST_F(Linked, NewDetailRowTakesTheMastersLinkValues) {
    project.findKey({"B"});
    design.append();
    EXPECT_EQ(design.fieldByName("Project_Ref").asString(), "B");
    design.fieldByName("Design_No").setAsInteger(1);
    design.post();
    EXPECT_EQ(numbers(), (QList<int>{1}));
}

TEST_F(Linked, EditOnAnEmptyRangeStartsARowOfTheMaster) {
    project.findKey({"B"});
    design.edit();
    EXPECT_EQ(design.state(), DataSet::State::Insert);
    EXPECT_EQ(design.fieldByName("Project_Ref").asString(), "B");
    design.fieldByName("Design_No").setAsInteger(5);
    design.post();
    project.findKey({"A"});
    project.findKey({"B"});
    EXPECT_EQ(numbers(), (QList<int>{5}));
}

TEST_F(Linked, NewMasterRowEmptiesTheDetailAndDetailEditsPostBeforeItMoves) {
    project.findKey({"A"});
    design.edit();
    design.fieldByName("Design_Ref").setAsString("W1");
    project.append();
    EXPECT_TRUE(design.isEmpty());
    project.cancel();
    project.findKey({"A"});
    EXPECT_EQ(design.fieldByName("Design_Ref").asString(), "W1");
}

TEST_F(Linked, DetailOfDetailFollowsTwoLinkFields) {
    Table costing(s.db.get(), "DesignCosting");
    costing.open();
    for (auto [ref, no] : std::vector<std::pair<const char*, int>>{{"A", 1}, {"A", 2}, {"C", 1}}) {
        costing.append();
        costing.fieldByName("Project_Ref").setAsString(ref);
        costing.fieldByName("Design_No").setAsInteger(no);
        costing.fieldByName("Total_Cost").setAsFloat(no * 100 + (ref[0] == 'C' ? 5 : 0));
        costing.post();
    }
    costing.close();
    costing.setMasterFields({"Project_Ref", "Design_No"});
    costing.setMaster(&design);
    costing.open();
    project.findKey({"A"});
    design.next();
    EXPECT_EQ(costing.recordCount(), 1);
    EXPECT_EQ(costing.fieldByName("Total_Cost").asFloat(), 200);
    project.findKey({"C"});
    EXPECT_EQ(costing.fieldByName("Total_Cost").asFloat(), 105);

    // Unlinked again, the table shows all its rows.
    costing.close();
    costing.clearMaster();
    costing.open();
    EXPECT_EQ(costing.recordCount(), 3);
}
