#include "calc/Formulas.h"

#include "calc/Checks.h"
#include "calc/Structural.h"

#include <gtest/gtest.h>

using namespace calc;
using design::Dimensions;
using design::GridModel;

namespace {

// Every member the same: PFD 50 mm, frame U 5, edge U 3; glass U 2, SHGC 0.5.
ProfileValueTable uniformValues() {
    ProfileValueTable t;
    for (MemberValues& m : t.members)
        m = MemberValues{5, 3, 50};
    t.U_COG = 2;
    t.SHGC_COG = 0.5;
    t.setEdgeWidths(63.5);
    return t;
}

} // namespace

TEST(ThermalFormulas, WorkedPaneOfOneSquareMetre) {
    GridModel g;
    g.setMode(0, 0, "FIXED");
    const ProfileValueTable t = uniformValues();
    EXPECT_NEAR(AreaFrame(1000, 50, 2), 0.0475, 1e-12);
    EXPECT_NEAR(AreaEdge(1000, 50, 50, 63.5), 0.05311775, 1e-12);
    EXPECT_NEAR(AreaCOG(t, 1000, 1000, 50, 50, 50, 50), 0.597529, 1e-12);

    const CellTerms c = cellTerms(g, t, 0, 0, 1000, 1000);
    EXPECT_NEAR(c.frameArea, 4 * 0.0475, 1e-12);
    EXPECT_NEAR(c.edgeArea, 4 * 0.05311775, 1e-12);
    EXPECT_NEAR(c.frameArea + c.edgeArea + c.cogArea, 1.0, 1e-12);
    EXPECT_NEAR(c.UA, 2.782471, 1e-9);
    EXPECT_NEAR(c.glassSolar, 0.405, 1e-12);
    EXPECT_NEAR(c.frameSolar, 0.95 * 0.3 / 34.1, 1e-12);
    EXPECT_DOUBLE_EQ(RoundTo(c.UA / 1.0, 5), 2.78247);
    EXPECT_DOUBLE_EQ(RoundTo(c.glassSolar + c.frameSolar, 5), 0.41336);

    Dimensions d;
    d.H[0] = 1000;
    d.V[0] = 1000;
    const ThermalTotals totals = thermalLoop(g, d, t);
    EXPECT_EQ(totals.noneCount, 49);
    EXPECT_NEAR(totals.UA, 2.782471, 1e-9);
}

TEST(ThermalFormulas, RegionsOfAnyPaneWithEqualProfilesMakeUpItsArea) {
    GridModel g;
    g.setMode(2, 4, "TOP");
    for (double pfd : {0.0, 38.0, 71.5})
        for (auto [w, h] : {std::pair{600.0, 1200.0}, {1500.0, 400.0}, {333.3, 2750.0}}) {
            ProfileValueTable t = uniformValues();
            for (MemberValues& m : t.members)
                m.PFD = pfd;
            const CellTerms c = cellTerms(g, t, 2, 4, w, h);
            EXPECT_NEAR(c.frameArea + c.edgeArea + c.cogArea, w * h / 1e6, 1e-12)
                << pfd << " " << w << "x" << h;
        }
}

TEST(ThermalFormulas, SharedMemberCountsHalfToEachSide) {
    GridModel g;
    g.setMode(0, 0, "FIXED");
    g.setMode(0, 1, "FIXED");
    ProfileValueTable t = uniformValues();
    t.at("Vert").PFD = 80;
    EXPECT_TRUE(CheckAdjacent(g, 0, 0, "Right"));
    EXPECT_TRUE(CheckAdjacent(g, 0, 1, "left"));
    const CellTerms left = cellTerms(g, t, 0, 0, 1000, 1000);
    const CellTerms right = cellTerms(g, t, 0, 1, 1000, 1000);
    // Three outer trapezoids of 0.0475 and the mullion's half, (1000 x 40 - 40²) / 10⁶.
    EXPECT_NEAR(left.frameArea, 3 * 0.0475 + 0.0384, 1e-12);
    EXPECT_NEAR(right.frameArea, left.frameArea, 1e-12);
}

TEST(ThermalFormulas, NoNeighbourBeyondTheLastColumnOrRow) {
    GridModel g;
    g.setMode(0, 8, "FIXED");
    g.setMode(0, 9, "FIXED");
    g.setMode(4, 0, "FIXED");
    EXPECT_FALSE(CheckAdjacent(g, 0, 9, "Right"));
    EXPECT_TRUE(CheckAdjacent(g, 0, 8, "Right"));
    EXPECT_FALSE(CheckAdjacent(g, 4, 0, "Bottom"));
    EXPECT_FALSE(CheckAdjacent(g, 0, 8, "Top"));
    EXPECT_FALSE(CheckAdjacent(g, 0, 8, "Bottom"));
    // A merged area looks past its whole span.
    g.setSpan(2, 2, 2, 2);
    g.SetCellMode(2, 2, "TOP");
    g.setMode(2, 4, "FIXED");
    EXPECT_TRUE(CheckAdjacent(g, 2, 2, "Right"));
    EXPECT_FALSE(CheckAdjacent(g, 2, 2, "Bottom"));
    g.setMode(4, 2, "FIXED");
    EXPECT_TRUE(CheckAdjacent(g, 2, 2, "Bottom"));
}

TEST(ThermalFormulas, WindowAreaCountsEveryTypedPosition) {
    GridModel g;
    Dimensions d;
    d.H = {700, 500, 400, 0, 0, 0, 0, 0, 0, 0};
    d.V = {1200, 300, 900, 0, 0};
    g.setSpan(0, 0, 2, 2);
    g.SetCellMode(0, 0, "FIXED");
    EXPECT_NEAR(double(CalcWindowArea(g, d)), (700.0 + 500) * (1200 + 300) / 1e6, 1e-12);
    g.setMode(2, 2, "TOP");
    EXPECT_NEAR(double(CalcWindowArea(g, d)), 1.8 + 0.36, 1e-12);
    EXPECT_EQ(CalcWindowArea(GridModel(), d), 0);
}

TEST(Rounding, PowersAndTiesToEven) {
    EXPECT_EQ(TenPowerTo(0), 1);
    EXPECT_EQ(TenPowerTo(-3), 1);
    EXPECT_EQ(TenPowerTo(5), 100000);
    EXPECT_DOUBLE_EQ(RoundTo(2.782471, 5), 2.78247);
    EXPECT_DOUBLE_EQ(RoundTo(1.234567, 5), 1.23457);
    EXPECT_EQ(RoundTo(0.0000049, 5), 0);
    EXPECT_DOUBLE_EQ(RoundTo(0.125, 2), 0.12); // 12.5 goes to the even 12
    EXPECT_DOUBLE_EQ(RoundTo(0.375, 2), 0.38);
    EXPECT_DOUBLE_EQ(RoundTo(-2.5, 0), -2);
    EXPECT_DOUBLE_EQ(Square(-1.5), 2.25);
}

TEST(Structural, RequiredIxOfTheWorkedMullions) {
    // 2000 mm between 1000 mm panes at 1000 Pa: trapezoidal, d = 200/175 cm.
    EXPECT_NEAR(double(SpanRequiredIx(1000, 1000, 2000)), 11.7513, 1e-4);
    EXPECT_NEAR(double(RequiredIx(1000, 1000, 1000, 2000)), 23.5026, 1e-4);
    // 3000 mm panes: a = 150 cm is at least L/2, the triangular branch.
    EXPECT_NEAR(double(SpanRequiredIx(1000, 3000, 2000)), 25.0, 1e-9);
    EXPECT_NEAR(double(RequiredIx(1000, 3000, 3000, 2000)), 50.0, 1e-9);
    // 5000 mm, past 411.5 cm: d = 500/240 + 0.6.
    EXPECT_NEAR(double(SpanRequiredIx(1500, 1200, 5000)), 380.9995, 1e-3);
    EXPECT_EQ(RequiredIx(1000, 0, 1000, 2000), 0);
    EXPECT_EQ(RequiredIx(0, 1000, 1000, 2000), 0);
    EXPECT_EQ(SpanRequiredIx(1000, 0, 2000), 0);
    EXPECT_EQ(SpanRequiredIx(1000, 1000, 0), 0);
}

TEST(Structural, LongestMemberAndItsSpans) {
    GridModel g;
    Dimensions d;
    d.H[0] = 800;
    d.H[1] = 1200;
    d.V[0] = 1500;
    g.setMode(0, 0, "FIXED");
    g.setMode(0, 1, "SIDEL");
    long double len = 0, l = 0, r = 0;
    LongestProfile(g, d, "Vertical", len, l, r);
    // Equal heights: the later column wins, so the mullion between them is checked.
    EXPECT_EQ(len, 1500);
    EXPECT_EQ(l, 800);
    EXPECT_EQ(r, 1200);

    len = l = r = 0;
    LongestProfile(g, d, "HORIZONTAL", len, l, r);
    EXPECT_EQ(len, 2000);
    EXPECT_EQ(l, 0); // a single row has no transom
    EXPECT_EQ(r, 0);

    g.setMode(1, 0, "FIXED");
    g.setMode(1, 1, "FIXED");
    d.V[1] = 900;
    len = l = r = 0;
    LongestProfile(g, d, "Horizontal", len, l, r);
    EXPECT_EQ(len, 2000);
    EXPECT_EQ(l, 1500);
    EXPECT_EQ(r, 900);

    len = l = r = 7;
    LongestProfile(g, d, "Diagonal", len, l, r);
    EXPECT_EQ(len, 7);
    long double vl = 5, vr = 5;
    GetVSpan(d, 10, vl, vr);
    EXPECT_EQ(vl, 5);
    GetVSpan(d, 0, vl, vr);
    EXPECT_EQ(vl, 0);
    EXPECT_EQ(vr, 800);
}

namespace {

SashRow sash(const char* type, double maxW, double maxH) {
    SashRow s;
    s.Sash_Type = type;
    s.Description = QString::fromLatin1(type) + " Sash";
    s.Max_Width = maxW;
    s.Max_Height = maxH;
    return s;
}

} // namespace

TEST(Validation, SashLimitsOfTheCellsOwnType) {
    GridModel g;
    Dimensions d;
    d.H[0] = 1500;
    d.V[0] = 1000;
    g.setMode(0, 0, "TOP");
    const GlazingRow glass;
    QStringList w = designWarnings(g, d, SashRows({sash("Fixed", 0, 0), sash("Top", 1200, 900)}),
                                   glass, "W1", false);
    EXPECT_EQ(w,
              (QStringList{
                  "WARNING - The maximum width of 1200mm for a Top Sash has been exceeded for "
                  "design in W1",
                  "WARNING - The maximum height of 900mm for a Top Sash has been exceeded in W1"}));
    // Strictly larger only; a limit of 0 is none, whatever other types carry.
    EXPECT_TRUE(
        designWarnings(g, d, SashRows({sash("Top", 1500, 1000)}), glass, "W1", false).isEmpty());
    EXPECT_TRUE(designWarnings(g, d, SashRows({sash("Fixed", 100, 100), sash("Top", 0, 0)}), glass,
                               "W1", false)
                    .isEmpty());
    // A type the system does not list, and hidden warnings.
    EXPECT_TRUE(
        designWarnings(g, d, SashRows({sash("Fixed", 100, 100)}), glass, "W1", false).isEmpty());
    EXPECT_TRUE(
        designWarnings(g, d, SashRows({sash("Top", 1200, 900)}), glass, "W1", true).isEmpty());
    // A side of 0 is not reported.
    d.V[0] = 0;
    EXPECT_TRUE(
        designWarnings(g, d, SashRows({sash("Top", 1200, 900)}), glass, "W1", false).isEmpty());
}

TEST(Validation, MergedCellIsTestedOnceAndEmptyCellsOnlyForGlassArea) {
    GridModel g;
    Dimensions d;
    d.H = {600, 600, 900, 0, 0, 0, 0, 0, 0, 0};
    d.V = {700, 700, 0, 0, 0};
    g.setSpan(0, 0, 2, 2);
    g.SetCellMode(0, 0, "FIXED");
    GlazingRow glass{"Clear Float", 1.5, 0};
    const QStringList w = designWarnings(
        g, d, SashRows({sash("Fixed", 1000, 2000), sash("None", 1, 1)}), glass, "W2", false);
    EXPECT_EQ(w, (QStringList{"WARNING - The maximum width of 1000mm for a Fixed Sash has been "
                              "exceeded for design in W2",
                              // (0, 2) holds no window: no size check, but its glass area 0.63 is
                              // fine; the merged pane is 1.2 x 1.4 = 1.68 m².
                              "WARNING - The maximum glazing area of 1.5 sqm for Clear Float has "
                              "been exceeded, the pane area "
                              "is 1.68sqm in W2"}));
    d.H[2] = 3000; // the empty cells of column 2 are 2.1 m² each
    EXPECT_EQ(designWarnings(g, d, SashRows(), glass, "W2", false).size(), 3);
}

namespace {

SashRow costed(const char* type, double rate, double anod, double discount, double waste,
               double factor, double factory, double time) {
    SashRow s = sash(type, 0, 0);
    s.SHF_Cost = rate;
    s.SHF_Anod = anod;
    s.SHF_Discount = discount;
    s.SHF_Waste = waste;
    s.System_Factor = factor;
    s.Factory_Cost = factory;
    s.Fact_Time = time;
    return s;
}

} // namespace

TEST(Costing, WorkedFixedPane) {
    GridModel g;
    Dimensions d;
    d.H[0] = 1000;
    d.V[0] = 1000;
    g.setMode(0, 0, "FIXED");
    const SashRows rows({costed("Fixed", 500, 800, 10, 5, 1.2, 100, 0.5)});
    CostTotals c = costLoop(g, d, rows, "Powder Coat", 300);
    EXPECT_NEAR(double(c.frame), 567, 1e-9);
    EXPECT_NEAR(double(c.glazing), 360, 1e-9);
    EXPECT_NEAR(double(c.factory), 60, 1e-9);
    EXPECT_NEAR(double(totalCostPerArea(c, 1)), 987, 1e-9);
    EXPECT_EQ(totalCostPerArea(c, 0), 0);
    // 800 x 0.9 x 1.05 x 1.2
    EXPECT_NEAR(double(costLoop(g, d, rows, "Anodised", 300).frame), 907.2, 1e-9);
    EXPECT_NEAR(double(costLoop(g, d, rows, "ANODISED", 300).frame), 567, 1e-9);
}

TEST(Costing, MergedCellOnceAndEachCellFromItsOwnRow) {
    GridModel g;
    Dimensions d;
    d.H = {1000, 500, 1000, 0, 0, 0, 0, 0, 0, 0};
    d.V[0] = 1000;
    g.setSpan(0, 0, 2, 1);
    g.SetCellMode(0, 0, "FIXED");
    g.setMode(0, 2, "TOP");
    g.setMode(0, 3, "SLIDU"); // not offered by the system: costs nothing
    d.H[3] = 1000;
    const SashRows rows(
        {costed("Fixed", 500, 0, 10, 5, 1.2, 100, 0.5), costed("Top", 400, 0, 0, 0, 1, 50, 2)});
    const CostTotals c = costLoop(g, d, rows, "", 100);
    // Fixed 1.5 m²: 500 x 1.5 x 0.9 x 1.05 x 1.2 = 850.5; Top 1 m² at its own 0 % discount and
    // waste: 400.
    EXPECT_NEAR(double(c.frame), 850.5 + 400, 1e-9);
    EXPECT_NEAR(double(c.glazing), 1.2 * 150 + 100, 1e-9);
    // The covered cell adds no factory cost.
    EXPECT_NEAR(double(c.factory), 60 + 100, 1e-9);
}

// The words a grid holds are worked out once; the classes must be those the
// member names are chosen by, whatever the letter case.
TEST(CellWordsOfAGrid, EveryCellGetsItsWordsClassAndIndex) {
    GridModel g;
    g.setMode(0, 0, "FIXED");
    g.setMode(0, 1, "fixed");
    g.setMode(0, 2, "SIDEL");
    g.setMode(0, 3, "tiltturnr");
    g.setMode(1, 0, "None"); // not the stored empty word
    g.setMode(1, 1, "");
    g.setMode(1, 2, "SIDEL");
    const CellWords w(g);
    EXPECT_TRUE(w.none(4, 9));
    EXPECT_FALSE(w.none(1, 0));
    EXPECT_FALSE(w.none(1, 1));
    EXPECT_EQ(w.kind(0, 0), CellKind::FixedPane);
    EXPECT_EQ(w.kind(0, 1), CellKind::FixedPane);
    EXPECT_EQ(w.kind(0, 2), CellKind::Sash);
    EXPECT_EQ(w.kind(0, 3), CellKind::Sash);
    EXPECT_EQ(w.kind(1, 0), CellKind::NoWindow);
    EXPECT_EQ(w.kind(4, 9), CellKind::NoWindow);
    EXPECT_EQ(w.word(0, 2), w.word(1, 2));
    EXPECT_NE(w.word(0, 0), w.word(0, 1));
    EXPECT_EQ(w.words().size(), 7u);
    for (int r = 0; r < design::RowCount; ++r)
        for (int c = 0; c < design::ColCount; ++c)
            EXPECT_EQ(w.words()[size_t(w.word(r, c))], g.mode(r, c));

    // Every cell a word of its own: fifty words, each found again.
    GridModel many;
    for (int r = 0; r < design::RowCount; ++r)
        for (int c = 0; c < design::ColCount; ++c)
            many.setMode(r, c, QStringLiteral("W%1").arg(r * design::ColCount + c));
    const CellWords m(many);
    EXPECT_EQ(m.words().size(), 50u);
    EXPECT_EQ(m.words()[size_t(m.word(3, 7))], "W37");
}

TEST(Structural, AFailingMemberIsNamedWithItsFigures) {
    EXPECT_EQ(calc::structuralVerdict("Vertical", 15.21, 14.6),
              "Mullion fails: actual Ix 14.60 below the required 15.21");
    EXPECT_EQ(calc::structuralVerdict("Horizontal", 3, 2.5),
              "Transom fails: actual Ix 2.50 below the required 3.00");
    // Holding, equal, or not calculated: nothing to say.
    EXPECT_EQ(calc::structuralVerdict("Vertical", 10, 12), "");
    EXPECT_EQ(calc::structuralVerdict("Vertical", 10, 10), "");
    EXPECT_EQ(calc::structuralVerdict("Vertical", 10, 0), "");
}
