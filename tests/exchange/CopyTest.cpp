#include "exchange/Copy.h"

#include "ExchangeFixture.h"
#include "store/Query.h"
#include "store/StoreError.h"
#include "store/Table.h"

#include <QDate>

using namespace exchange;
using exchange_testing::Exchange;

namespace {

QString currentRef(data::TDM& dm) {
    return dm.ProjectTable.fieldByName("Project_Ref").asString();
}

// A grid with merged areas of every allowed shape but one, typed cells and a
// covered cell at each kind of back-offset.
design::GridModel mergedGrid() {
    design::GridModel g;
    g.setSpan(1, 1, 2, 2);
    g.SetCellMode(1, 1, "FIXED");
    g.setSpan(0, 4, 3, 1);
    g.SetCellMode(0, 4, "TOP");
    g.setSpan(2, 8, 1, 3);
    g.SetCellMode(2, 8, "SIDEL");
    g.setMode(4, 0, "TILTTURNR");
    return g;
}

using CopyDesignTest = Exchange;
using CopyProjectTest = Exchange;

} // namespace

TEST_F(CopyDesignTest, TheCopyHoldsTheCellsSpanForSpanAndTheDesignsChoices) {
    ASSERT_TRUE(dm->DesignTable.findKey({"SAMPLE-HOUSE", 1}));
    const int last = rows("Design", "Project_Ref = 'SAMPLE-HOUSE'");
    const design::GridModel grid = mergedGrid();
    const int no = CopyDesign(*dm, grid, "W01-B");
    ASSERT_EQ(no, last + 1);
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("|").toStdString();

    // The new design is current, in the same project.
    EXPECT_EQ(dm->DesignTable.fieldByName("Design_No").asInteger(), no);
    EXPECT_EQ(currentRef(*dm), "SAMPLE-HOUSE");

    store::Query q(dm->database(), "Select * from DesignMerge");
    q.setSql("Select * from DesignMerge Where Project_Ref=? and Design_No=?", {"SAMPLE-HOUSE", no});
    q.open();
    ASSERT_EQ(q.recordCount(), 50);
    for (; !q.eof(); q.next()) {
        const int r = q.fieldByName("Row").asInteger(), c = q.fieldByName("Column").asInteger();
        const design::Span s = grid.span(r, c);
        EXPECT_EQ(q.fieldByName("RowSpan").asInteger(), s.RowSpan) << r << "," << c;
        EXPECT_EQ(q.fieldByName("ColSpan").asInteger(), s.ColSpan) << r << "," << c;
    }
    // Covered cells keep their negative back-offsets.
    EXPECT_EQ(rows("DesignMerge",
                   "Project_Ref = 'SAMPLE-HOUSE' AND Design_No = ?1 AND Row = 2 AND Column = 2 "
                   "AND RowSpan = -1 AND ColSpan = -1",
                   {no}),
              1);
    EXPECT_EQ(rows("DesignMerge",
                   "Design_No = ?1 AND Row = 4 AND Column = 8 AND RowSpan = -2 AND ColSpan = 0",
                   {no}),
              1);
    EXPECT_EQ(rows("DesignImage",
                   "Design_No = ?1 AND Project_Ref = 'SAMPLE-HOUSE' AND ModeOfCell = 'TOP'", {no}),
              3);
    EXPECT_EQ(rows("DesignImage",
                   "Design_No = ?1 AND Row = 4 AND Column = 0 AND ModeOfCell = 'TILTTURNR'", {no}),
              1);

    // The record: the source's choices, quantity 1, dies found from the profiles,
    // no results, and an empty costing row.
    const QString same = "SELECT count(*) FROM Design n JOIN Design s ON s.Project_Ref = "
                         "n.Project_Ref AND s.Design_No = 1 "
                         "WHERE n.Project_Ref = 'SAMPLE-HOUSE' AND n.Design_No = ?1";
    for (const char* f : {"System_Type", "System_Name", "Finish", "Glass_Supplier", "Glass_Code",
                          "Wind_Load", "Elevation", "Floor", "DimH1", "DimH2", "DimH3", "DimV1",
                          "DimV2", "Profile1", "Profile5", "Die1", "Die4", "Die5"})
        EXPECT_EQ(
            rows("Design",
                 QStringLiteral(
                     "Project_Ref = 'SAMPLE-HOUSE' AND Design_No = ?1 AND %1 IS "
                     "(SELECT %1 FROM Design WHERE Project_Ref = 'SAMPLE-HOUSE' AND Design_No = 1)")
                     .arg(f),
                 {no}),
            1)
            << f;
    EXPECT_EQ(
        rows("Design",
             "Design_No = ?1 AND Design_Ref = 'W01-B' AND Design_Qty = 1 AND Window_Area IS NULL "
             "AND U_Factor IS NULL AND SHGC IS NULL AND ReqIx IS NULL AND ActualIx IS NULL "
             "AND Profile_Length IS NULL AND Continuous = 'Vertical'",
             {no}),
        1);
    EXPECT_EQ(rows("DesignCosting",
                   "Project_Ref = 'SAMPLE-HOUSE' AND Design_No = ?1 AND Design_Ref = 'W01-B' "
                   "AND Total_Cost IS NULL AND Frame_Cost IS NULL",
                   {no}),
              1);
    EXPECT_EQ(rows("DesignResults", "Design_No = ?1", {no}), 0);
}

TEST_F(CopyDesignTest, AProfileTheSystemNoLongerHasGetsAnEmptyDie) {
    ASSERT_TRUE(dm->DesignTable.findKey({"SAMPLE-HOUSE", 1}));
    dm->DesignTable.edit();
    dm->DesignTable.fieldByName("Profile2").setAsString(" Gone Sill 38");
    dm->DesignTable.post();
    const int no = CopyDesign(*dm, design::GridModel(), "X");
    ASSERT_GT(no, 0);
    EXPECT_EQ(rows("Design",
                   "Design_No = ?1 AND Project_Ref = 'SAMPLE-HOUSE' AND Profile2 = ' Gone Sill 38' "
                   "AND Die2 IS NULL "
                   "AND Die1 = 'K38-101'",
                   {no}),
              1);
}

TEST_F(CopyDesignTest, ABlankReferenceIsRefusedAndNothingIsWritten) {
    ASSERT_TRUE(dm->DesignTable.findKey({"SAMPLE-HOUSE", 2}));
    const auto before = allCounts();
    for (const QString& blank : {QString(), QStringLiteral("   ")}) {
        messages.texts.clear();
        EXPECT_EQ(CopyDesign(*dm, mergedGrid(), blank), 0);
        EXPECT_EQ(messages.texts, QStringList{"New Reference can NOT be blank!"});
    }
    EXPECT_EQ(allCounts(), before);
    EXPECT_EQ(dm->DesignTable.fieldByName("Design_No").asInteger(), 2);
}

TEST_F(CopyDesignTest, AStoreErrorPartWayLeavesNothingOfTheCopy) {
    ASSERT_TRUE(dm->DesignTable.findKey({"SAMPLE-HOUSE", 2}));
    const auto before = allCounts();
    // Another cursor holds the merge table: the spans cannot be written.
    store::Table holder(dm->database(), "DesignMerge");
    holder.open();
    holder.lockTable();
    EXPECT_THROW(CopyDesign(*dm, mergedGrid(), "NEW"), store::StoreError);
    holder.unlockTable();
    EXPECT_EQ(allCounts(), before);
    EXPECT_FALSE(dm->DesignTable.editing());
    EXPECT_FALSE(dm->DesignCostingTable.editing());
    EXPECT_EQ(dm->DesignTable.recordCount(), rows("Design", "Project_Ref = 'SAMPLE-HOUSE'"));
    // The module keeps working: the next copy succeeds.
    EXPECT_GT(CopyDesign(*dm, mergedGrid(), "NEW"), 0);
}

TEST_F(CopyProjectTest, AProjectCopiesWithItsDesignsAndCellsButNoResultsCostsOrAnalyses) {
    const int designs = rows("Design", "Project_Ref = 'SAMPLE-HOUSE'");
    ASSERT_GT(designs, 3);
    ASSERT_GT(rows("DesignCosting", "Project_Ref = 'SAMPLE-HOUSE'") +
                  rows("ProjectFloors", "Project_Ref = 'SAMPLE-HOUSE'"),
              0);
    EXPECT_EQ(CopyProject(*dm, "HOUSE-2"), designs);
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("|").toStdString();
    EXPECT_EQ(currentRef(*dm), "HOUSE-2");
    EXPECT_EQ(dm->DesignTable.recordCount(), designs);

    // Same design numbers and the same design fields, cell for cell.
    const char* designFields = "Design_No, Design_Ref, Design_Qty, Elevation, Wind_Load, Floor, "
                               "System_Type, System_Name, DimH1, DimH2, DimH3, "
                               "DimH4, DimH5, DimH6, DimH7, DimH8, DimH9, DimH10, DimV1, DimV2, "
                               "DimV3, DimV4, DimV5, Finish, Glass_Supplier, "
                               "Glass_Code, Profile1, Profile2, Profile3, Profile4, Profile5, "
                               "Die1, Die2, Die3, Die4, Die5, Continuous";
    for (const auto& [table, fields] : std::vector<std::pair<QString, QString>>{
             {"Design", designFields},
             {"DesignMerge", "Design_No, Row, Column, RowSpan, ColSpan"},
             {"DesignImage", "Design_No, Row, Column, ModeOfCell"}}) {
        store::sql::Statement st(
            dm->database()->connection(),
            QStringLiteral(
                "SELECT count(*) FROM (SELECT %1 FROM %2 WHERE Project_Ref = 'SAMPLE-HOUSE' "
                "EXCEPT SELECT %1 FROM %2 WHERE Project_Ref = 'HOUSE-2')")
                .arg(fields, table));
        st.step();
        EXPECT_EQ(st.columnInt64(0), 0) << table.toStdString();
        EXPECT_EQ(rows(table, "Project_Ref = 'HOUSE-2'"),
                  rows(table, "Project_Ref = 'SAMPLE-HOUSE'"))
            << table.toStdString();
    }
    EXPECT_EQ(rows("Design", "Project_Ref = 'HOUSE-2' AND (Window_Area IS NOT NULL OR U_Factor IS "
                             "NOT NULL OR SHGC IS NOT NULL "
                             "OR ReqIx IS NOT NULL OR ActualIx IS NOT NULL OR SpanL IS NOT NULL OR "
                             "Sash_Type IS NOT NULL)"),
              0);
    for (const char* table : {"DesignCosting", "DesignResults", "ProjectFloors", "ProjectOptions",
                              "ProjectResults", "ProjectRational"})
        EXPECT_EQ(rows(table, "Project_Ref = 'HOUSE-2'"), 0) << table;

    EXPECT_EQ(rows("Project",
                   "Project_Ref = 'HOUSE-2' AND Project_Date = ?1 AND Project_Name = "
                   "(SELECT substr(Project_Name || ' - Copy', 1, 30) FROM Project WHERE "
                   "Project_Ref = 'SAMPLE-HOUSE')",
                   {QDate::currentDate().toString(Qt::ISODate)}),
              1);
    for (const char* f :
         {"Def_Finish", "Designed_By", "Detail1", "Detail2", "Detail3", "Detail4", "Def_WL"})
        EXPECT_EQ(rows("Project",
                       QStringLiteral("Project_Ref = 'HOUSE-2' AND %1 IS "
                                      "(SELECT %1 FROM Project WHERE Project_Ref = 'SAMPLE-HOUSE')")
                           .arg(f)),
                  1)
            << f;
}

TEST_F(CopyProjectTest, AProjectWithoutDesignsCopiesToAProjectRowAlone) {
    addProject("EMPTY", "Nothing drawn yet");
    ASSERT_TRUE(dm->ProjectTable.findKey({"EMPTY"}));
    const auto before = allCounts();
    EXPECT_EQ(CopyProject(*dm, "EMPTY-2"), 0);
    auto after = allCounts();
    EXPECT_EQ(after["Project"], before.at("Project") + 1);
    after["Project"] -= 1;
    EXPECT_EQ(after, before);
    EXPECT_EQ(currentRef(*dm), "EMPTY-2");
    EXPECT_TRUE(dm->DesignTable.isEmpty());
    EXPECT_EQ(
        rows("Project",
             "Project_Ref = 'EMPTY-2' AND Project_Name = 'Nothing drawn yet - Copy' AND "
             "Def_Finish = 'Anodised' AND Designed_By = 'T. Tester' AND Detail1 = 'first line' AND "
             "Detail2 IS NULL AND Detail4 = 'last line'"),
        1);
}

TEST_F(CopyProjectTest, TheNameGainsTheSuffixOnEveryCopyAndIsCutToThirtyCharacters) {
    addProject("P", "Block A");
    ASSERT_TRUE(dm->ProjectTable.findKey({"P"}));
    ASSERT_EQ(CopyProject(*dm, "P2"), 0);
    ASSERT_EQ(CopyProject(*dm, "P3"), 0); // a copy of the copy
    EXPECT_EQ(rows("Project", "Project_Ref = 'P3' AND Project_Name = 'Block A - Copy - Copy'"), 1);
    ASSERT_EQ(CopyProject(*dm, "P4"), 0);
    EXPECT_EQ(
        rows("Project", "Project_Ref = 'P4' AND Project_Name = 'Block A - Copy - Copy - Copy'"), 1);
    ASSERT_EQ(CopyProject(*dm, "P5"), 0);
    EXPECT_EQ(
        rows("Project", "Project_Ref = 'P5' AND Project_Name = 'Block A - Copy - Copy - Copy -'"),
        1);
    EXPECT_EQ(copyName(QString(40, 'x')), QString(30, 'x'));
    EXPECT_EQ(copyName("abcdefghijklmnopqrstuvw"), "abcdefghijklmnopqrstuvw - Copy");
}

TEST_F(CopyProjectTest, TheDefaultWindLoadIsRoundedToTheNearestWholeNumberHalvesToEven) {
    const std::pair<double, double> cases[] = {
        {1500.5, 1500}, {1501.5, 1502}, {1000.4, 1000}, {999.6, 1000}, {2.5, 2}};
    int i = 0;
    for (const auto& [given, rounded] : cases) {
        const QString src = QStringLiteral("WL%1").arg(i), dst = QStringLiteral("WL%1-C").arg(i++);
        addProject(src, "wind", given);
        ASSERT_TRUE(dm->ProjectTable.findKey({src}));
        ASSERT_EQ(CopyProject(*dm, dst), 0);
        EXPECT_EQ(dm->ProjectTable.fieldByName("Def_WL").asFloat(), rounded) << given;
    }
    addProject("NOWL", "no wind load", QVariant());
    ASSERT_TRUE(dm->ProjectTable.findKey({"NOWL"}));
    ASSERT_EQ(CopyProject(*dm, "NOWL-C"), 0);
    EXPECT_TRUE(dm->ProjectTable.fieldByName("Def_WL").isNull());
}

TEST_F(CopyProjectTest, AnExistingReferenceIsRefusedWritesNothingAndBecomesCurrent) {
    addProject("OTHER", "Other job");
    const auto before = allCounts();
    EXPECT_EQ(CopyProject(*dm, "OTHER"), -1);
    EXPECT_EQ(messages.texts,
              QStringList{"WARNING - Project Reference Already Exists, project NOT Copied"});
    EXPECT_EQ(allCounts(), before);
    EXPECT_EQ(currentRef(*dm), "OTHER");

    // Its own reference is an existing one too.
    messages.texts.clear();
    EXPECT_EQ(CopyProject(*dm, "OTHER"), -1);
    EXPECT_EQ(messages.texts,
              QStringList{"WARNING - Project Reference Already Exists, project NOT Copied"});
    EXPECT_EQ(allCounts(), before);

    // The reference window's own check behaves alike.
    messages.texts.clear();
    ASSERT_TRUE(dm->ProjectTable.findKey({"SAMPLE-HOUSE"}));
    EXPECT_FALSE(ProjectRefFree(*dm, "OTHER"));
    EXPECT_EQ(currentRef(*dm), "OTHER");
    EXPECT_TRUE(ProjectRefFree(*dm, "NEW-ONE"));
    EXPECT_TRUE(ProjectRefFree(*dm, ""));
    EXPECT_EQ(currentRef(*dm), "OTHER");
}

TEST_F(CopyProjectTest, ABlankReferenceIsRefusedAndWritesNothing) {
    const auto before = allCounts();
    EXPECT_EQ(CopyProject(*dm, ""), -1);
    EXPECT_EQ(CopyProject(*dm, "  "), -1);
    EXPECT_EQ(messages.texts,
              QStringList({"New Reference can NOT be blank!", "New Reference can NOT be blank!"}));
    EXPECT_EQ(allCounts(), before);
    EXPECT_EQ(currentRef(*dm), "SAMPLE-HOUSE");
}

TEST_F(CopyProjectTest, AKeyClashPartWayLeavesNothingOfTheCopy) {
    // A stray design row already holds the new reference and a copied number.
    addDesign("NEWREF", 3, "stray", "Casement 38");
    const auto before = allCounts();
    // Found before the copy starts and said in words, not as the store's key error.
    EXPECT_EQ(CopyProject(*dm, "NEWREF"), -1);
    EXPECT_EQ(messages.texts.last(), "The table Design already holds rows under the reference "
                                     "\"NEWREF\", although no project has it; nothing was copied.");
    EXPECT_EQ(allCounts(), before);
    EXPECT_EQ(currentRef(*dm), "SAMPLE-HOUSE");
    EXPECT_FALSE(dm->ProjectTable.editing());
    EXPECT_EQ(rows("Design", "Project_Ref = 'NEWREF'"), 1);
}

TEST_F(CopyProjectTest, QuotesInAReferenceAreOnlyText) {
    const QString odd = "A\"B'; --";
    EXPECT_GT(CopyProject(*dm, odd), 0);
    EXPECT_EQ(currentRef(*dm), odd);
    EXPECT_EQ(rows("DesignImage", "Project_Ref = ?1", {odd}),
              rows("DesignImage", "Project_Ref = 'SAMPLE-HOUSE'"));
}

TEST_F(CopyProjectTest, TypingNotYetPostedInTheSourceProjectIsPartOfTheCopy) {
    dm->ProjectTable.edit();
    dm->ProjectTable.fieldByName("Designed_By").setAsString("J. Typed");
    EXPECT_GT(CopyProject(*dm, "TYPED"), 0);
    EXPECT_EQ(rows("Project", "Designed_By = 'J. Typed'"), 2);
}
