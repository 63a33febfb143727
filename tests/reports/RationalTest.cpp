#include "compliance/Rational.h"

#include "ReportFixture.h"

using namespace compliance;

TEST(Rational, SumsWeightByQuantityAndAQuantityOfZeroAddsNothing) {
    const std::vector<RationalInput> example = {{2, 1.5, 3.0, 0.4}, {1, 2.0, 4.0, 0.6}};
    RationalFigures f = rationalSums(example);
    EXPECT_EQ(f.quantity, 3);
    EXPECT_NEAR(double(f.energyLoss), 17.0, 1e-12);
    EXPECT_NEAR(double(f.aveU), 10.0 / 3, 1e-12);
    EXPECT_NEAR(double(f.aveSHGC), 1.4 / 3, 1e-12);
    std::vector<RationalInput> withZero = example;
    withZero.push_back({0, 9.0, 9.0, 0.9});
    const RationalFigures z = rationalSums(withZero);
    EXPECT_EQ(z.quantity, 3);
    EXPECT_EQ(z.energyLoss, f.energyLoss);
    EXPECT_EQ(z.aveU, f.aveU);
    EXPECT_EQ(z.aveSHGC, f.aveSHGC);
    // No designs, or only designs of quantity 0: every figure 0.
    for (const auto& none :
         {std::vector<RationalInput>{}, std::vector<RationalInput>{{0, 2, 5, 0.5}}}) {
        const RationalFigures e = rationalSums(none);
        EXPECT_EQ(e.energyLoss, 0);
        EXPECT_EQ(e.aveU, 0);
        EXPECT_EQ(e.aveSHGC, 0);
    }
}

TEST(Rational, VerdictMeetsAtTheTargetAndFailsBelowIt) {
    EXPECT_TRUE(meetsTarget(17.0, 17.0));
    EXPECT_FALSE(meetsTarget(16.9, 17.0));
    EXPECT_TRUE(meetsTarget(0, 0));
    EXPECT_EQ(rationalVerdict(true), "Project meets rational design parameters as specified above");
    EXPECT_EQ(rationalVerdict(false),
              "Project does NOT meet rational design parameters as specified above");
}

TEST_F(ReportData, AnalysisWritesTheActualFiguresIntoTheProjectsRowWithoutMovingTheDesign) {
    addProject(
        "RATIONAL",
        {{"G", "A", 2, 1.5, 3.0, 0.4}, {"G", "B", 1, 2.0, 4.0, 0.6}, {"1", "C", 0, 5, 5, 0.5}});
    store::Table& R = dm->ProjectRationalTable;
    ASSERT_TRUE(R.isEmpty());
    dm->DesignTable.last();
    const int shown = dm->DesignTable.fieldByName("Design_No").asInteger();
    // No row yet: the analysis starts one; an empty target reads 0 and fails.
    EXPECT_FALSE(RationalBtnClick(*dm));
    EXPECT_TRUE(R.editing());
    EXPECT_EQ(R.fieldByName("Project_Ref").asString(), "RATIONAL");
    EXPECT_NEAR(R.fieldByName("Act_EnergyLoss").asFloat(), 17.0, 1e-9);
    EXPECT_NEAR(R.fieldByName("Act_AveUVal").asFloat(), 3.33333333, 1e-6);
    EXPECT_NEAR(R.fieldByName("Act_AveSHGC").asFloat(), 0.46666667, 1e-6);
    EXPECT_EQ(R.fieldByName("Act_AveUVal").displayText(), "3.3");
    EXPECT_EQ(dm->DesignTable.fieldByName("Design_No").asInteger(), shown);
    R.fieldByName("Tgt_EnergyLoss").setAsFloat(17.0);
    EXPECT_TRUE(RationalBtnClick(*dm));
    R.fieldByName("Tgt_EnergyLoss").setAsFloat(16.9);
    EXPECT_FALSE(RationalBtnClick(*dm));
    // Not posted by the analysis.
    EXPECT_EQ(testing_support::rowCount(*dm->database(), "ProjectRational"), 0);
}
