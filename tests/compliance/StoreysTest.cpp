#include "compliance/Storeys.h"

#include "SansFixture.h"
#include "store/Table.h"

#include <algorithm>

using namespace compliance;

TEST(Storeys, OrientationCodesSelectTheirFactorExactly) {
    EXPECT_EQ(factorField("N"), "N_Factor");
    EXPECT_EQ(factorField("NE"), "NE_Factor");
    EXPECT_EQ(factorField("NW"), "NW_Factor");
    for (const char* other : {"", "n", " N", "NNE", "North"})
        EXPECT_EQ(factorField(other), "");
    EXPECT_EQ(orientationCodes().size(), 8);
}

TEST(Storeys, PickListsOfferTheStoreysAndTheTwentyFiveRatios) {
    EXPECT_EQ(storeyCodes().size(), 21);
    EXPECT_EQ(storeyCodes().first(), "G");
    EXPECT_EQ(storeyCodes().last(), "20");
    const QStringList& r = phRatioTexts();
    ASSERT_EQ(r.size(), 25);
    EXPECT_EQ(r.indexOf("0.40"), 8);
    EXPECT_EQ(r[9], "0.50");
    EXPECT_EQ(r.last(), "2.00");
}

TEST_F(SansData, StoreyListHasOneRowPerStoreyCodeAndNeverDropsOne) {
    addSansProject("EMPTY", {});
    int recalculated = 0;
    EXPECT_EQ(BuildStoreyList(*dm, [&] { ++recalculated; }), 0);
    EXPECT_EQ(recalculated, 1);
    EXPECT_TRUE(dm->ProjectFloorsTable.isEmpty());

    addSansProject("FLOORS", {{"G", "A", "N", 1, 1, 1, 1},
                              {"1", "B", "N", 1, 1, 1, 1},
                              {"1", "C", "E", 1, 1, 1, 1},
                              {"2", "D", "N", 1, 1, 1, 1},
                              {"g", "E", "N", 1, 1, 1, 1}});
    setStorey("7", 10, 0.0, false);
    EXPECT_EQ(BuildStoreyList(*dm, {}), 4);
    QStringList floors;
    store::Table& F = dm->ProjectFloorsTable;
    for (F.first(); !F.eof(); F.next())
        floors << F.fieldByName("Floor").asString();
    // Key order; "g" is a storey of its own; "7", used by no design, stays.
    EXPECT_EQ(floors, QStringList({"1", "2", "7", "G", "g"}));
    F.first();
    EXPECT_EQ(F.fieldByName("Floor").asString(), "1");
    EXPECT_TRUE(F.fieldByName("Effective_Area").isNull());
    EXPECT_TRUE(F.fieldByName("Shading_Ratio").isNull());
    // Showing the page again adds nothing.
    EXPECT_EQ(BuildStoreyList(*dm, {}), 0);
}

TEST_F(SansData, LeavingTheStoreyColumnsResetsTheRatioOrFillsTheFactors) {
    addSansProject("COLS", {{"1", "A", "N", 1, 1, 1, 1}});
    setZone(2);
    BuildStoreyList(*dm, {});
    store::Table& F = dm->ProjectFloorsTable;
    F.edit();
    F.fieldByName("Shading_Ratio").setAsFloat(0.5);
    F.post();
    FloorColExit(*dm, 4);
    // Zone 2, P/H 0.50 of the shipped factor table.
    store::Table S(dm->database(), "SolarExposureFactors");
    S.open();
    ASSERT_TRUE(S.findKey({2, 0.5}));
    EXPECT_EQ(F.fieldByName("SW_Factor").asFloat(), S.fieldByName("SW_Factor").asFloat());
    EXPECT_EQ(F.fieldByName("N_Factor").asFloat(), S.fieldByName("N_Factor").asFloat());
    // Leaving the net floor area: P/H back to 0, the factors stay those of 0.50.
    FloorColExit(*dm, 3);
    EXPECT_EQ(F.fieldByName("Shading_Ratio").asFloat(), 0);
    EXPECT_FALSE(F.fieldByName("Shading_Ratio").isNull());
    EXPECT_EQ(F.fieldByName("N_Factor").asFloat(), S.fieldByName("N_Factor").asFloat());
    EXPECT_FALSE(F.editing());
    // Other columns do nothing; a (zone, ratio) without factors changes nothing silently.
    setZone(9);
    F.edit();
    F.fieldByName("Shading_Ratio").setAsFloat(0.35);
    F.post();
    FloorColExit(*dm, 4);
    FloorColExit(*dm, 5);
    EXPECT_EQ(F.fieldByName("N_Factor").asFloat(), S.fieldByName("N_Factor").asFloat());
    EXPECT_TRUE(messages.texts.isEmpty());
    // Without posting (the calculation window) the row stays in edit.
    F.edit();
    F.fieldByName("Shading_Ratio").setAsFloat(0.2);
    FloorColExit(*dm, 4, false);
    EXPECT_TRUE(F.editing());
    EXPECT_EQ(F.fieldByName("N_Factor").asFloat(), 0.8);
}

TEST_F(SansData, ChoosingAZoneCopiesItsValuesIntoANewOrExistingOptionsRow) {
    addSansProject("ZONE", {});
    store::Table& O = dm->ProjectOptionsTable;
    EXPECT_TRUE(O.isEmpty());
    EXPECT_FALSE(ClimateZoneCloseUp(*dm, 42));
    EXPECT_TRUE(O.isEmpty());
    ASSERT_TRUE(ClimateZoneCloseUp(*dm, 3));
    EXPECT_EQ(testing_support::rowCount(*dm->database(), "ProjectOptions", "Project_Ref='ZONE'"),
              1);
    EXPECT_EQ(O.fieldByName("Climate_Zone").asInteger(), 3);
    EXPECT_EQ(O.fieldByName("Conductance").asFloat(), 1.8);
    EXPECT_EQ(O.fieldByName("Solar_Heat_Gain").asFloat(), 0.11);
    EXPECT_EQ(O.fieldByName("NW_Factor").asFloat(), 1.06);
    ASSERT_TRUE(ClimateZoneCloseUp(*dm, 9));
    EXPECT_EQ(O.fieldByName("Conductance").asFloat(), 0.5);
    EXPECT_EQ(testing_support::rowCount(*dm->database(), "ProjectOptions", "Project_Ref='ZONE'"),
              1);
    // Unposted, the choice stays in the edit buffer (the calculation window).
    ASSERT_TRUE(ClimateZoneCloseUp(*dm, 1, false));
    EXPECT_TRUE(O.editing());
    EXPECT_EQ(O.fieldByName("Conductance").asFloat(), 1.2);
}

TEST_F(SansData, SolarFactorFollowsZoneRatioAndOrientation) {
    addSansProject("SOLAR", {{"1", "A", "SW", 1, 1, 1, 1}, {"1", "B", "", 1, 1, 1, 1}});
    setZone(2);
    store::Table& R = dm->DesignResultsTable;
    auto addResult = [&](int no, const QString& elevation, double ratio) {
        R.append();
        R.fieldByName("Design_No").setAsInteger(no);
        R.fieldByName("Elevation").setAsString(elevation);
        R.fieldByName("Shading_Ratio").setAsFloat(ratio);
        R.fieldByName("Solar_Factor").setAsFloat(0.123);
        R.post();
    };
    addResult(1, "SW", 0.2);
    addResult(2, "", 0.2);
    store::Table S(dm->database(), "SolarExposureFactors");
    S.open();
    ASSERT_TRUE(S.findKey({2, 0.2}));
    ASSERT_TRUE(R.findKey({"SOLAR", 1}));
    UpdateShadingRatio(*dm, messages);
    EXPECT_TRUE(R.editing());
    EXPECT_EQ(R.fieldByName("Solar_Factor").asFloat(), S.fieldByName("SW_Factor").asFloat());
    R.post();
    ASSERT_TRUE(R.findKey({"SOLAR", 2}));
    UpdateShadingRatio(*dm, messages);
    EXPECT_EQ(R.fieldByName("Solar_Factor").asFloat(), 0.123);
    EXPECT_TRUE(messages.texts.isEmpty());
    R.cancel();
    // A ratio outside the list: the message and no change; the windows' variant is silent.
    R.edit();
    R.fieldByName("Shading_Ratio").setAsFloat(0.33);
    R.fieldByName("Elevation").setAsString("N");
    R.post();
    UpdateShadingRatio(*dm, messages);
    EXPECT_EQ(messages.texts, QStringList({InvalidShadingRatio}));
    EXPECT_FALSE(R.editing());
    UpdateShadingRatio(*dm, messages, false);
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(R.fieldByName("Solar_Factor").asFloat(), 0.123);
}

TEST(Storeys, CodesCompareWithoutBlanksAndTheGroundFloorComesFirst) {
    EXPECT_EQ(storeyCode(" G"), "G");
    EXPECT_EQ(storeyCode(" 1 "), "1");
    QStringList codes{"10", "2", " G", "1", "B", "G2", "20"};
    std::sort(codes.begin(), codes.end(), storeyLess);
    EXPECT_EQ(codes, QStringList({" G", "1", "2", "10", "20", "B", "G2"}));
    // " G" and "G" are the same storey: neither sorts before the other.
    EXPECT_FALSE(storeyLess(" G", "G"));
    EXPECT_FALSE(storeyLess("G", " G"));
}

TEST_F(SansData, AFolderWithBlankGroundFloorsIsReadAsGAndKeepsWhatWasTyped) {
    addSansProject("OLD", {{" G", "A", "N", 1, 2, 3, 0.5}, {"1", "B", "E", 1, 2, 3, 0.5}});
    {
        // As an earlier version left it: " G" with its area, and a "G" added
        // beside it that holds only a default P/H.
        store::Table f(dm->database(), "ProjectFloors");
        f.open();
        for (const char* floor : {" G", "G"}) {
            f.append();
            f.fieldByName("Project_Ref").setAsString("OLD");
            f.fieldByName("Floor").setAsString(floor);
            if (QString(floor) == " G") f.fieldByName("Effective_Area").setAsFloat(50);
            f.fieldByName("Shading_Ratio").setAsFloat(QString(floor) == " G" ? 0.2 : 0.0);
            f.post();
        }
    }
    dm->ProjectFloorsTable.refresh();
    BuildStoreyList(*dm, {});
    QStringList floors;
    store::Table& F = dm->ProjectFloorsTable;
    for (F.first(); !F.eof(); F.next())
        floors << F.fieldByName("Floor").asString();
    EXPECT_EQ(floors, QStringList({"1", "G"}));
    ASSERT_TRUE(F.findKey({"OLD", "G"}));
    EXPECT_EQ(F.fieldByName("Effective_Area").asFloat(), 50); // filled from " G"
    EXPECT_EQ(F.fieldByName("Shading_Ratio").asFloat(), 0.0); // its own kept
    store::Table& D = dm->DesignTable;
    ASSERT_TRUE(D.findKey({"OLD", 1}));
    EXPECT_EQ(D.fieldByName("Floor").asString(), "G");
    // Whatever writes a storey through the program's tables drops its blanks.
    D.edit();
    D.fieldByName("Floor").setAsString(" 2 ");
    D.post();
    EXPECT_EQ(testing_support::rowCount(*dm->database(), "Design",
                                        "Project_Ref='OLD' AND Design_No=1 AND Floor='2'"),
              1);
}
