#include "exchange/Standards.h"

#include "ExchangeFixture.h"
#include "store/Query.h"
#include "store/StoreError.h"
#include "store/Table.h"

#include <QDir>

using namespace exchange;
using exchange_testing::Exchange;

namespace {

struct StandardsTest : Exchange {
    QStringList listed(const QString& system) {
        store::Query q(dm->database(), QString());
        openStandardDesigns(q, system);
        QStringList out;
        for (; !q.eof(); q.next())
            out << q.fieldByName("Project_Ref").asString() + "/" +
                       q.fieldByName("Design_Ref").asString();
        return out;
    }
    QString cellWord(const QString& ref, int no, int r, int c) {
        store::Query q(dm->database(), QString());
        q.setSql(
            "Select * from DesignImage Where Project_Ref=? and Design_No=? and Row=? and Column=?",
            {ref, no, r, c});
        q.open();
        return q.isEmpty() ? QString() : q.fieldByName("ModeOfCell").asString();
    }
};

} // namespace

TEST_F(StandardsTest, TheLaterSortingProjectIsListedFirstAndDesignsByReference) {
    addProject("_Frame 9", "older range");
    addProject("_Frame 9B", "newer range");
    addProject("XFrame 9", "not a standard project");
    addDesign("_Frame 9", 1, "F-2", "Frame 9");
    addDesign("_Frame 9", 2, "F-1", "Frame 9");
    addDesign("_Frame 9B", 1, "B-9", "Frame 9");
    addDesign("_Frame 9B", 2, "B-10", "Frame 9");
    addDesign("XFrame 9", 1, "X-1", "Frame 9");
    EXPECT_EQ(listed("Frame 9"),
              QStringList({"_Frame 9B/B-10", "_Frame 9B/B-9", "_Frame 9/F-1", "_Frame 9/F-2"}));
    // The underscore is an underscore: "XFrame 9" is no standard project.
    EXPECT_EQ(listed("Frame"), listed("Frame 9"));
    EXPECT_TRUE(listed("rame 9").isEmpty());
    EXPECT_TRUE(hasStandardDesigns(*dm, "Frame 9"));
    EXPECT_FALSE(hasStandardDesigns(*dm, "Nothing"));
    // The shipped range of a system.
    EXPECT_EQ(listed("Casement 38").size(), 7);
    EXPECT_EQ(listed("Casement 38").first(), "_Casement 38/C38-01");
    EXPECT_TRUE(isStandardProject("_Casement 38"));
    EXPECT_FALSE(isStandardProject("SAMPLE-HOUSE"));
}

TEST_F(StandardsTest, TheIndexGivesEachDesignItsOwnSlotEvenWithoutPictures) {
    addProject("_Frame 9", "range");
    for (int i = 1; i <= 4; ++i)
        addDesign("_Frame 9", i, QStringLiteral("S-%1").arg(i), "Frame 9");
    writePicture("Images/Standards/Blank.jpg");
    writePicture("Images/Standards/S-3.jpg");
    writePicture("Images/Standards/s-4.JPG"); // letter case does not matter
    store::Query q(dm->database(), QString());
    openStandardDesigns(q, "Frame 9");
    q.moveTo(1);
    const IndexSlots index = fillIndex(q, work.path());
    const QString blank = QDir(work.path()).filePath("Images/Standards/Blank.jpg");
    EXPECT_EQ(index[0].row, -1);
    EXPECT_EQ(index[1].row, -1);
    EXPECT_EQ(index[0].picture, blank);
    EXPECT_EQ(index[2].row, 2);
    EXPECT_EQ(index[2].picture, QDir(work.path()).filePath("Images/Standards/S-3.jpg"));
    EXPECT_EQ(index[3].row, 3);
    EXPECT_TRUE(index[3].picture.endsWith("s-4.JPG"));
    for (size_t k = 4; k < index.size(); ++k) {
        EXPECT_EQ(index[k].row, -1);
        EXPECT_EQ(index[k].picture, blank);
    }
    EXPECT_EQ(q.recNo(), 1);
    // The third slot stands for the third listed design.
    q.moveTo(index[2].row);
    EXPECT_EQ(q.fieldByName("Design_Ref").asString(), "S-3");
}

TEST_F(StandardsTest, DesignsAfterTheSixtiethGetNoSlotAndAnEmptyListGivesBlankSlots) {
    addProject("_Frame 9", "range");
    writePicture("Images/Standards/Blank.jpg");
    writePicture("Images/Standards/M.jpg");
    for (int i = 1; i <= 65; ++i)
        addDesign("_Frame 9", i, "M", "Frame 9");
    store::Query q(dm->database(), QString());
    openStandardDesigns(q, "Frame 9");
    IndexSlots index = fillIndex(q, work.path());
    for (size_t k = 0; k < index.size(); ++k)
        EXPECT_EQ(index[k].row, int(k));

    openStandardDesigns(q, "No Such System");
    index = fillIndex(q, work.path());
    for (const IndexSlot& s : index) {
        EXPECT_EQ(s.row, -1);
        EXPECT_TRUE(s.picture.endsWith("Blank.jpg"));
    }
}

TEST_F(StandardsTest, APictureNameCannotLeadOutOfTheStandardsFolder) {
    writePicture("Images/secret.jpg");
    writePicture("Images/Standards/ok.jpg");
    EXPECT_TRUE(standardPicture(work.path(), "../secret").isEmpty());
    EXPECT_TRUE(standardPicture(work.path(), "..\\secret").isEmpty());
    EXPECT_TRUE(standardPicture(work.path(), "").isEmpty());
    EXPECT_FALSE(standardPicture(work.path(), "ok").isEmpty());
    EXPECT_TRUE(standardPicture(work.path(), "missing").isEmpty());
}

TEST_F(StandardsTest, AfterApplyingTheDesignKeepsItsOwnIdentityAndShowsTheStandardsFrame) {
    ASSERT_TRUE(dm->DesignTable.findKey({"SAMPLE-HOUSE", 2})); // a patio door
    store::Table& T = dm->DesignTable;
    T.edit();
    T.fieldByName("Design_Ref").setAsString("MINE");
    T.fieldByName("Design_Qty").setAsInteger(4);
    T.fieldByName("Wind_Load").setAsFloat(1500);
    T.fieldByName("Elevation").setAsString("SW");
    T.post();
    const auto keep = [&] {
        QVariantList v;
        for (const char* f : {"Design_Ref", "Design_Qty", "System_Type", "System_Name", "Finish",
                              "Wind_Load", "Elevation", "Floor", "Sash_Type"})
            v << T.fieldByName(f).value();
        return v;
    };
    const QVariantList before = keep();

    store::Query S(dm->database(), QString());
    openStandardDesigns(S, "Casement 38");
    S.moveTo(2); // C38-03
    ASSERT_EQ(S.fieldByName("Design_Ref").asString(), "C38-03");
    const int sNo = S.fieldByName("Design_No").asInteger();
    ASSERT_TRUE(ApplyStandardDesign(*dm, S));
    EXPECT_EQ(keep(), before);
    EXPECT_EQ(T.fieldByName("Design_No").asInteger(), 2);
    for (const char* f :
         {"Glass_Supplier", "Glass_Code", "DimH1", "DimH2", "DimV1", "DimV2", "Window_Area",
          "U_Factor", "SHGC", "Profile1", "Profile4", "Profile5", "Die1", "Die5", "Continuous",
          "Profile_Length", "SpanL", "ActualIx", "ReqIx"})
        EXPECT_EQ(T.fieldByName(f).value(), S.fieldByName(f).value()) << f;
    // Stored, not only in the edit buffer.
    EXPECT_FALSE(T.editing());
    EXPECT_EQ(rows("Design",
                   "Project_Ref = 'SAMPLE-HOUSE' AND Design_No = 2 AND Glass_Code IS ?1 AND "
                   "Design_Ref = 'MINE'",
                   {S.fieldByName("Glass_Code").value()}),
              1);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 10; ++c)
            ASSERT_EQ(cellWord("SAMPLE-HOUSE", 2, r, c), cellWord("_Casement 38", sNo, r, c))
                << r << "," << c;
    store::sql::Statement st(
        dm->database()->connection(),
        "SELECT count(*) FROM DesignMerge t JOIN DesignMerge s ON s.Row = t.Row AND s.Column = "
        "t.Column "
        "AND s.Project_Ref = '_Casement 38' AND s.Design_No = ?1 "
        "WHERE t.Project_Ref = 'SAMPLE-HOUSE' AND t.Design_No = 2 AND s.RowSpan = t.RowSpan "
        "AND s.ColSpan = t.ColSpan");
    st.bind(1, sNo);
    st.step();
    EXPECT_EQ(st.columnInt64(0), 50);
    // The standard itself is untouched and no cell row was added.
    EXPECT_EQ(rows("DesignImage", "Project_Ref = 'SAMPLE-HOUSE' AND Design_No = 2"), 50);
    EXPECT_EQ(rows("Design", "Project_Ref = '_Casement 38' AND Design_Ref = 'C38-03'"), 1);
}

TEST_F(StandardsTest, MissingCellRowsOfTheDesignAreSkippedNotAdded) {
    addProject("_Frame 9", "range");
    addDesign("_Frame 9", 1, "S-1", "Frame 9");
    addCells("_Frame 9", 1, "TOP");
    ASSERT_TRUE(dm->DesignTable.findKey({"SAMPLE-HOUSE", 1}));
    dm->database()->deleteWhere("DesignImage", {"Project_Ref", "Design_No", "Row", "Column"},
                                {"SAMPLE-HOUSE", 1, 0, 0});
    store::Query S(dm->database(), QString());
    openStandardDesigns(S, "Frame 9");
    ASSERT_TRUE(ApplyStandardDesign(*dm, S));
    EXPECT_EQ(rows("DesignImage", "Project_Ref = 'SAMPLE-HOUSE' AND Design_No = 1"), 49);
    EXPECT_EQ(rows("DesignImage",
                   "Project_Ref = 'SAMPLE-HOUSE' AND Design_No = 1 AND ModeOfCell = 'NONE'"),
              49);
    EXPECT_EQ(dm->DesignTable.fieldByName("DimH1").asFloat(), 600);
}

TEST_F(StandardsTest, NothingIsAppliedFromAnEmptyListAndAStoreErrorUndoesEverything) {
    ASSERT_TRUE(dm->DesignTable.findKey({"SAMPLE-HOUSE", 1}));
    const auto before = allCounts();
    store::Query none(dm->database(), QString());
    openStandardDesigns(none, "No Such System");
    EXPECT_FALSE(ApplyStandardDesign(*dm, none));
    EXPECT_EQ(dm->DesignTable.fieldByName("Design_Ref").asString(), "W01");
    EXPECT_GT(dm->DesignTable.fieldByName("DimH1").asFloat(), 0);

    const QString glass = dm->DesignTable.fieldByName("Glass_Code").asString();
    const auto cells = [&] {
        QStringList words;
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 10; ++c)
                words << cellWord("SAMPLE-HOUSE", 1, r, c);
        return words;
    };
    const QStringList cellsBefore = cells();
    store::Query S(dm->database(), QString());
    openStandardDesigns(S, "Slider 30");
    ASSERT_FALSE(S.isEmpty());
    QStringList standardWords;
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 10; ++c)
            standardWords << cellWord(S.fieldByName("Project_Ref").asString(),
                                      S.fieldByName("Design_No").asInteger(), r, c);
    ASSERT_NE(standardWords, cellsBefore);
    store::Table holder(dm->database(), "DesignMerge");
    holder.open();
    holder.lockTable();
    EXPECT_THROW(ApplyStandardDesign(*dm, S), store::StoreError);
    holder.unlockTable();
    EXPECT_EQ(allCounts(), before);
    EXPECT_FALSE(dm->DesignTable.editing());
    EXPECT_EQ(dm->DesignTable.fieldByName("Glass_Code").asString(), glass);
    EXPECT_EQ(rows("Design", "Project_Ref = 'SAMPLE-HOUSE' AND Design_No = 1 AND Glass_Code = ?1",
                   {glass}),
              1);
    EXPECT_EQ(cells(), cellsBefore);
}
