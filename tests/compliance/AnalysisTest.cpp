#include "SansFixture.h"
#include "compliance/Sans204.h"
#include "compliance/Storeys.h"
#include "store/StoreError.h"
#include "store/Table.h"

using namespace compliance;
using data::DlgButton;

TEST(Sans204, WorkedStoreyIsExemptAtFortySquareMetresAndFailsAtThirty) {
    const StoreySums s = storeySums({{2, 1.5, 4.0, 0.5, 0.8}, {1, 2.0, 3.0, 0.6, 1.0}});
    EXPECT_DOUBLE_EQ(s.windowArea, 5.0);
    EXPECT_DOUBLE_EQ(s.uTotal, 18.0);
    EXPECT_DOUBLE_EQ(s.shgcTotal, 2.4);
    const FloorVerdict exempt = judgeFloor(s, 40, 0.5, 0.06);
    EXPECT_DOUBLE_EQ(exempt.uAllow, 20.0);
    EXPECT_DOUBLE_EQ(exempt.shgcAllow, 2.4);
    EXPECT_EQ(exempt.exempt, std::optional<bool>(true));
    EXPECT_EQ(exempt.uResult, "N/A");
    EXPECT_EQ(exempt.shgcResult, "N/A");
    const FloorVerdict fails = judgeFloor(s, 30, 0.5, 0.06);
    EXPECT_DOUBLE_EQ(fails.uAllow, 15.0);
    EXPECT_DOUBLE_EQ(fails.shgcAllow, 1.8);
    EXPECT_EQ(fails.exempt, std::optional<bool>(false));
    EXPECT_EQ(fails.uResult, "FAIL");
    EXPECT_EQ(fails.shgcResult, "FAIL");
}

TEST(Sans204, EqualityPassesFifteenPercentIsExemptAndNoFloorAreaDecidesNothing) {
    // 18 against 0.6 x 30 = 18: passes; SHGC 2.4 > 1.8 fails.
    const FloorVerdict equal = judgeFloor({5, 18, 2.4}, 30, 0.6, 0.06);
    EXPECT_EQ(equal.uResult, "PASS");
    EXPECT_EQ(equal.shgcResult, "FAIL");
    EXPECT_EQ(judgeFloor({6, 1, 1}, 40, 1, 1).exempt, std::optional<bool>(true));
    EXPECT_EQ(judgeFloor({6.01, 1, 1}, 40, 1, 1).exempt, std::optional<bool>(false));
    const FloorVerdict none = judgeFloor({5, 18, 2.4}, 0, 0.5, 0.06);
    EXPECT_FALSE(none.exempt.has_value());
    EXPECT_EQ(none.uResult, "FAIL");
    EXPECT_EQ(none.shgcResult, "FAIL");
    // A quantity of 0 adds nothing.
    const StoreySums zero = storeySums({{0, 9, 9, 9, 9}});
    EXPECT_EQ(zero.windowArea, 0);
    EXPECT_EQ(zero.uTotal, 0);
}

// The worked storey on storey "1" of zone 9, analysed and calculated.
struct Worked : SansData {
    void prepare(double netArea) {
        addSansProject("WORKED", workedStorey());
        setZone(9);
        BuildStoreyList(*dm, {});
        setStorey("1", netArea, 0.2);
    }
};

TEST_F(Worked, CalculateWritesTheWorkedStoreysVerdicts) {
    prepare(40);
    ASSERT_TRUE(SANSCalcBtnClick(*dm, messages));
    EXPECT_EQ(designResult(1)["Solar_Factor"].toDouble(), 0.8);
    EXPECT_EQ(designResult(2)["Solar_Factor"].toDouble(), 1.0);
    EXPECT_EQ(resultCount(), 0); // Analyse computes no verdicts
    Image20Click(*dm, messages);
    QVariantMap r = result("1");
    EXPECT_DOUBLE_EQ(r["Window_Area"].toDouble(), 5.0);
    EXPECT_DOUBLE_EQ(r["U_Total"].toDouble(), 18.0);
    EXPECT_DOUBLE_EQ(r["SHGC_Total"].toDouble(), 2.4);
    EXPECT_DOUBLE_EQ(r["U_Allow"].toDouble(), 20.0);
    EXPECT_EQ(r["Exempt"].toBool(), true);
    EXPECT_EQ(r["U_Result"].toString(), "N/A");
    EXPECT_EQ(r["SHGC_Result"].toString(), "N/A");

    setStorey("1", 30, 0.2);
    Image20Click(*dm, messages);
    r = result("1");
    EXPECT_EQ(resultCount(), 1);
    EXPECT_DOUBLE_EQ(r["U_Allow"].toDouble(), 15.0);
    EXPECT_DOUBLE_EQ(r["SHGC_Allow"].toDouble(), 1.8);
    EXPECT_EQ(r["Exempt"].toBool(), false);
    EXPECT_TRUE(r["Exempt"].isValid());
    EXPECT_EQ(r["U_Result"].toString(), "FAIL");
    EXPECT_EQ(r["SHGC_Result"].toString(), "FAIL");
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("|").toStdString();
}

TEST_F(Worked, AnalyseStopsOnTheCurrentStoreysChecks) {
    // Two storeys and a design without an orientation: one message names all
    // that is missing, and nothing is analysed until all of it is given.
    std::vector<Window> windows = workedStorey("1");
    windows.push_back({"G", "C", "", 1, 1, 3, 0.5});
    addSansProject("CHECKS", windows);
    setZone(9);
    BuildStoreyList(*dm, {});
    EXPECT_FALSE(SANSCalcBtnClick(*dm, messages));
    ASSERT_EQ(messages.texts.size(), 1);
    const QString text = messages.texts.last();
    EXPECT_TRUE(text.startsWith("Nothing was analysed")) << text.toStdString();
    for (const char* line : {"Design C: no orientation", "Storey G: no net floor area",
                             "Storey G: no default P/H ratio", "Storey 1: no net floor area",
                             "Storey 1: no default P/H ratio"})
        EXPECT_TRUE(text.contains(line)) << line;
    // The ground floor is named before the first floor.
    EXPECT_LT(text.indexOf("Storey G"), text.indexOf("Storey 1"));
    // A net floor area of 0 is no area.
    setStorey("1", 0, 0.2);
    setStorey("G", 20, 0.2);
    store::Table& D = dm->DesignTable;
    ASSERT_TRUE(D.findKey({"CHECKS", 3}));
    D.edit();
    D.fieldByName("Elevation").setAsString("S");
    D.post();
    messages.texts.clear();
    EXPECT_FALSE(SANSCalcBtnClick(*dm, messages));
    EXPECT_EQ(messages.texts.last(),
              missingInputMessage({"Storey 1: no net floor area"}));
    EXPECT_EQ(testing_support::rowCount(*dm->database(), "DesignResults", "Project_Ref='CHECKS'"),
              0);
    setStorey("1", 30, 0.2);
    messages.texts.clear();
    ASSERT_TRUE(SANSCalcBtnClick(*dm, messages));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("|").toStdString();
    // A storey typed on the RESULTS grid that has no storey row stops Calculate
    // before any verdict is written, and no certificate is then allowed.
    store::Table& R = dm->DesignResultsTable;
    ASSERT_TRUE(R.findKey({"CHECKS", 3}));
    R.edit();
    R.fieldByName("Floor").setAsString(" 2 ");
    R.post();
    EXPECT_EQ(designResult(3)["Floor"].toString(), "2"); // stored without its blanks
    EXPECT_FALSE(Image20Click(*dm, messages));
    EXPECT_TRUE(messages.texts.last().contains("Storey 2: no net floor area"));
    EXPECT_EQ(resultCount(), 0);
    EXPECT_EQ(unanalysedStoreys(*dm), QStringList({"1", "2"}));
    // The analysis windows' path, which skips these checks, still writes a
    // storey without area, without an exemption decision.
    SansPlace unchecked = SansPlace::mainWindow();
    unchecked.checkInputs = false;
    messages.texts.clear();
    EXPECT_TRUE(Image20Click(*dm, messages, unchecked));
    EXPECT_EQ(messages.texts, QStringList({NoFloorAreaMessage}));
    const QVariantMap r = result("2");
    EXPECT_FALSE(r["Exempt"].isValid());
    EXPECT_EQ(r["U_Result"].toString(), "FAIL");
    EXPECT_EQ(unanalysedStoreys(*dm), QStringList({"2"}));
}

TEST_F(Worked, KeepingTheRatiosKeepsEachDesignsRatioAndNoResetsThemToTheStoreys) {
    prepare(40);
    // No design results yet: no question.
    ASSERT_TRUE(SANSCalcBtnClick(*dm, messages));
    EXPECT_TRUE(messages.texts.isEmpty());
    store::Table& R = dm->DesignResultsTable;
    ASSERT_TRUE(R.findKey({"WORKED", 2}));
    R.edit();
    R.fieldByName("Shading_Ratio").setAsFloat(0.0);
    R.fieldByName("Design_Ref").setAsString("OLD");
    R.post();
    messages.answers = {DlgButton::Yes};
    ASSERT_TRUE(SANSCalcBtnClick(*dm, messages));
    EXPECT_EQ(messages.texts, QStringList({KeepRatiosQuestion}));
    EXPECT_EQ(designResult(2)["Shading_Ratio"].toDouble(), 0.0);
    EXPECT_EQ(designResult(2)["Design_Ref"].toString(), "B");   // everything else refreshed
    EXPECT_EQ(designResult(2)["Solar_Factor"].toDouble(), 1.0); // zone 9, P/H 0: E 1.0
    EXPECT_EQ(designResult(1)["Shading_Ratio"].toDouble(), 0.2);
    messages.answers = {DlgButton::No};
    ASSERT_TRUE(SANSCalcBtnClick(*dm, messages));
    EXPECT_EQ(designResult(2)["Shading_Ratio"].toDouble(), 0.2);
    EXPECT_EQ(testing_support::rowCount(*dm->database(), "DesignResults", "Project_Ref='WORKED'"),
              2);
}

TEST_F(Worked, AnalyseCopiesTheDesignsAndDeletesTheRationalResults) {
    addSansProject("COPY", {{"g", "A", "N", 1, 2, 0, 0.5}, {"1", "B", "NNE", 1, 2, 3, 0.5}});
    setZone(9);
    BuildStoreyList(*dm, {});
    setStorey("1", 10, 0.2);
    store::Table& Rat = dm->ProjectRationalTable;
    Rat.edit();
    Rat.fieldByName("Tgt_EnergyLoss").setAsFloat(10);
    Rat.post();
    // Without the input checks (the analysis windows): a storey without a row
    // is handled as those windows always have.
    SansPlace unchecked = SansPlace::mainWindow();
    unchecked.checkInputs = false;
    ASSERT_TRUE(SANSCalcBtnClick(*dm, messages, AnalyseStep::NoChecks));
    EXPECT_EQ(testing_support::rowCount(*dm->database(), "ProjectRational", "Project_Ref='COPY'"),
              0);
    // U 0: reported, and still taken in; the storey code is upper-cased.
    EXPECT_TRUE(messages.texts.contains("A Results not current, please check each design"));
    const QVariantMap a = designResult(1), b = designResult(2);
    EXPECT_EQ(a["Floor"].toString(), "G");
    EXPECT_DOUBLE_EQ(a["U_Constant"].toDouble(), 0.5);
    EXPECT_DOUBLE_EQ(a["SHGC_Constant"].toDouble(), 0.06);
    // The storey row is "g", so design A finds no storey: no ratio, no factor.
    EXPECT_FALSE(a["Shading_Ratio"].isValid());
    EXPECT_TRUE(messages.texts.contains(InvalidShadingRatio));
    // An orientation outside the eight codes sets no solar factor.
    EXPECT_FALSE(b["Solar_Factor"].isValid());
    EXPECT_DOUBLE_EQ(b["Shading_Ratio"].toDouble(), 0.2);
    messages.texts.clear();
    Image20Click(*dm, messages, unchecked);
    // "G" finds no storey row "g": net floor area 0.
    EXPECT_EQ(result("G")["Floor_Area"].toDouble(), 0);
    EXPECT_TRUE(messages.texts.contains(NoFloorAreaMessage));
    EXPECT_EQ(result("1")["Exempt"].toBool(), false);
    EXPECT_TRUE(result("g").isEmpty());
}

TEST_F(Worked, EveryStoreyIsJudgedOnItsOwnWindowsInBothPlaces) {
    std::vector<Window> two = workedStorey("1");
    for (const Window& w : workedStorey("2"))
        two.push_back(w);
    addSansProject("TWO", two);
    setZone(9);
    BuildStoreyList(*dm, {});
    setStorey("1", 30, 0.2);
    setStorey("2", 30, 0.2);
    for (SansPlace place : {SansPlace::mainWindow(), SansPlace::windows()}) {
        ASSERT_TRUE(SANSCalcBtnClick(*dm, messages, AnalyseStep::NoChecks, place));
        Image20Click(*dm, messages, place);
        for (const char* floor : {"1", "2"}) {
            EXPECT_DOUBLE_EQ(result(floor)["Window_Area"].toDouble(), 5.0);
            EXPECT_DOUBLE_EQ(result(floor)["U_Total"].toDouble(), 18.0);
        }
    }
}

TEST_F(Worked, TheWindowsKeepTheRationalRowAndSkipTheRatioTest) {
    prepare(40);
    store::Table& Rat = dm->ProjectRationalTable;
    Rat.edit();
    Rat.fieldByName("Tgt_EnergyLoss").setAsFloat(10);
    Rat.post();
    ASSERT_TRUE(SANSCalcBtnClick(*dm, messages, AnalyseStep::NoChecks, SansPlace::windows()));
    store::Table& R = dm->DesignResultsTable;
    ASSERT_TRUE(R.findKey({"WORKED", 1}));
    R.edit();
    R.fieldByName("Shading_Ratio").setAsFloat(0.33);
    R.post();
    Image20Click(*dm, messages, SansPlace::windows());
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_EQ(designResult(1)["Solar_Factor"].toDouble(), 0.8);
    EXPECT_EQ(testing_support::rowCount(*dm->database(), "ProjectRational", "Project_Ref='WORKED'"),
              1);
    Image20Click(*dm, messages);
    EXPECT_EQ(messages.texts, QStringList({InvalidShadingRatio}));
    EXPECT_EQ(testing_support::rowCount(*dm->database(), "ProjectRational", "Project_Ref='WORKED'"),
              0);
}

TEST_F(Worked, AFailedCalculateLeavesThePreviousResults) {
    prepare(30);
    ASSERT_TRUE(SANSCalcBtnClick(*dm, messages));
    Image20Click(*dm, messages);
    ASSERT_EQ(resultCount(), 1);
    // A second cursor holding the table's lock makes the first append fail.
    store::Table other(dm->database(), "ProjectResults");
    other.open();
    other.lockTable();
    setStorey("1", 40, 0.2);
    EXPECT_THROW(Image20Click(*dm, messages), store::StoreError);
    other.unlockTable();
    EXPECT_EQ(resultCount(), 1);
    EXPECT_EQ(result("1")["U_Result"].toString(), "FAIL");
    EXPECT_DOUBLE_EQ(result("1")["Floor_Area"].toDouble(), 30);
    // And the next attempt goes through.
    dm->ProjectResultsTable.refresh();
    Image20Click(*dm, messages);
    EXPECT_EQ(result("1")["U_Result"].toString(), "N/A");
}
