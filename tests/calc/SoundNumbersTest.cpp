// Values the window's validators never saw (from a project folder, an import
// or a damaged table) must not become results; ties between equal members hold
// whatever order their lengths were added in; a worked case with distinct
// member values pins which value goes to which member.
#include "CalcFixture.h"
#include "calc/Calculation.h"
#include "calc/Structural.h"
#include "store/Query.h"
#include "store/Sqlite.h"

#include <cmath>
#include <limits>

using namespace calc_testing;
using calc::CalcContext;
using calc::DesignView;
using design::GridModel;
using testing_support::rowCount;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// Writes values below the store, which refuses numbers that are not finite:
// what a damaged table or a file from elsewhere holds.
void damage(store::Database& db, const QString& table, const Values& values, const QString& where) {
    for (const auto& [field, value] : values) {
        store::sql::Statement st(db.connection(),
                                 QStringLiteral("UPDATE %1 SET %2 = ?1 WHERE %3")
                                     .arg(table, store::sql::quoteIdentifier(field), where));
        st.bind(1, value);
        st.step();
    }
}

struct SoundNumbers : CalcModule {
    // Three designs of one fixed pane each; the middle one gets `bad`.
    void threeDesigns(const Values& bad) {
        addDesign(*dm->database(), 1, "W1");
        addDesign(*dm->database(), 2, "W2");
        damage(*dm->database(), "Design", bad, "Design_No = 2");
        addDesign(*dm->database(), 3, "W3");
        GridModel g;
        g.setMode(0, 0, "FIXED");
        for (int no = 1; no <= 3; ++no)
            saveCells(no, g);
    }
    bool updateAll() {
        EXPECT_TRUE(dm->ProjectTable.findKey({"P1"}));
        view.grid = &grid;
        calc::showDesignFromRecord(*dm, view);
        CalcContext ctx(*dm, messages);
        return ctx.UpdateAllValues(view);
    }
    // No stored result or cost of any design is anything but a finite number.
    void expectEveryStoredFigureFinite() {
        const std::pair<const char*, QStringList> tables[] = {
            {"Design", calc::DesignResultFields}, {"DesignCosting", calc::CostingResultFields}};
        for (const auto& [table, fields] : tables) {
            store::Query q(dm->database(), QStringLiteral("Select * from %1").arg(table));
            q.open();
            for (; !q.eof(); q.next())
                for (const QString& f : fields)
                    EXPECT_TRUE(std::isfinite(q.fieldByName(f).asFloat()))
                        << table << "." << f.toStdString();
        }
    }
    void expectGoodDesignsCalculated() {
        for (int no : {1, 3}) {
            EXPECT_DOUBLE_EQ(designValue(no, "U_Factor"), 2.78247) << no;
            EXPECT_DOUBLE_EQ(designValue(no, "SHGC"), 0.41336) << no;
            EXPECT_DOUBLE_EQ(designValue(no, "Window_Area"), 1) << no;
        }
    }
    void expectNoResults(int no) {
        for (const QString& f : calc::DesignResultFields)
            EXPECT_EQ(designValue(no, f.toLatin1().constData()), 0) << f.toStdString();
    }
    QString messageAbout(const QString& part) const {
        for (const QString& t : messages.texts)
            if (t.contains(part)) return t;
        return {};
    }
    GridModel grid;
    DesignView view;
};

} // namespace

struct BadInputCase {
    Values bad;
    const char* named;
};

struct BadDesignInput : SoundNumbers, ::testing::WithParamInterface<BadInputCase> {};

TEST_P(BadDesignInput, GivesThatDesignNoResultsAndTheRestIsCalculated) {
    threeDesigns(GetParam().bad);
    const QString named = QString::fromLatin1(GetParam().named);
    // Two wide columns make the huge case overflow in the sums, not in a value.
    if (named == "too large") {
        GridModel g;
        g.setMode(0, 0, "FIXED");
        g.setMode(0, 1, "FIXED");
        saveCells(2, g);
    }
    ASSERT_TRUE(updateAll());
    expectGoodDesignsCalculated();
    expectNoResults(2);
    expectEveryStoredFigureFinite();
    const QString text = messageAbout(QStringLiteral("of design W2"));
    EXPECT_TRUE(text.startsWith("No Results Available for Selected Options")) << text.toStdString();
    EXPECT_TRUE(text.contains(named)) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    NonFiniteHugeAndNegative, BadDesignInput,
    ::testing::Values(BadInputCase{{{"DimH1", kInf}}, "DimH1 (inf)"},
                      BadInputCase{{{"DimV1", -kInf}}, "DimV1 (-inf)"},
                      BadInputCase{{{"DimV1", -1000}}, "DimV1 (-1000)"},
                      BadInputCase{{{"DimH1", 1e308}, {"DimH2", 1e308}}, "too large"},
                      BadInputCase{{{"Wind_Load", -1000}}, "Wind_Load (-1000)"},
                      BadInputCase{{{"Wind_Load", kInf}}, "Wind_Load (inf)"},
                      BadInputCase{{{"Design_Qty", -2}}, "Design_Qty (-2)"}));

TEST_F(SoundNumbers, CatalogueValuesThatAreNotFiniteGiveNoResults) {
    // A damaged catalogue row for a head option only W2 uses.
    for (const auto& [option, field, value] :
         {std::tuple{"HINF", "UF0", kInf}, std::tuple{"HNEG", "U_COG", -kInf},
          std::tuple{"HPFD", "PFD1", kInf}}) {
        Values v{{"System_Name", "Sys"}, {"Finish", "Powder"},    {"Glass_Code", "G1"},
                 {"Profile", "Head"},    {"Option_Desc", option}, {"U_COG", 2},
                 {"SHGC_COG", 0.5}};
        for (int i = 0; i < 3; ++i)
            v.insert(v.end(), {{QStringLiteral("UF%1").arg(i), 5},
                               {QStringLiteral("UE%1").arg(i), 3},
                               {QStringLiteral("PFD%1").arg(i), 50}});
        addRow(*dm->database(), "SystemValues", v);
        damage(*dm->database(), "SystemValues", {{field, value}},
               QStringLiteral("Option_Desc = '%1'").arg(option));
    }
    addDesign(*dm->database(), 1, "W1");
    addDesign(*dm->database(), 2, "W2", {{"Profile1", "HINF"}});
    addDesign(*dm->database(), 3, "W3");
    addDesign(*dm->database(), 4, "W4", {{"Profile1", "HNEG"}});
    // Set 1 of the head row is the sash's: a fixed pane never reads it, so an
    // infinite value there harms nothing.
    addDesign(*dm->database(), 5, "W5", {{"Profile1", "HPFD"}});
    GridModel g;
    g.setMode(0, 0, "FIXED");
    for (int no = 1; no <= 5; ++no)
        saveCells(no, g);
    ASSERT_TRUE(updateAll());
    expectGoodDesignsCalculated();
    expectNoResults(2);
    expectNoResults(4);
    EXPECT_DOUBLE_EQ(designValue(5, "U_Factor"), 2.78247);
    expectEveryStoredFigureFinite();
    EXPECT_TRUE(messageAbout("of design W2").contains("UF0 of the Head row of SystemValues (inf)"));
    EXPECT_TRUE(
        messageAbout("of design W4").contains("U_COG of the Head row of SystemValues (-inf)"));
    EXPECT_TRUE(messageAbout("of design W5").isEmpty());
}

TEST_F(SoundNumbers, HugeFiniteCatalogueValueIsStoredAsCalculatedNotWrappedAround) {
    Values v{{"System_Name", "Sys"}, {"Finish", "Powder"},    {"Glass_Code", "G1"},
             {"Profile", "Head"},    {"Option_Desc", "HBIG"}, {"U_COG", 2},
             {"SHGC_COG", 0.5}};
    for (int i = 0; i < 3; ++i)
        v.insert(v.end(), {{QStringLiteral("UF%1").arg(i), i == 0 ? 1e16 : 5},
                           {QStringLiteral("UE%1").arg(i), 3},
                           {QStringLiteral("PFD%1").arg(i), 50}});
    addRow(*dm->database(), "SystemValues", v);
    addDesign(*dm->database(), 1, "W1", {{"Profile1", "HBIG"}});
    GridModel g;
    g.setMode(0, 0, "FIXED");
    saveCells(1, g);
    ASSERT_TRUE(updateAll());
    // The head's frame trapezoid of 0.0475 m² at U 1e16 dominates the sum.
    const double U = designValue(1, "U_Factor");
    EXPECT_GT(U, 4.74e14);
    EXPECT_LT(U, 4.76e14);
    EXPECT_GT(designValue(1, "SHGC"), 0);
}

TEST(SafeRounding, EveryDoubleRoundsWithoutOverflow) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(std::isnan(calc::RoundTo(nan, 5)));
    EXPECT_EQ(calc::RoundTo(kInf, 5), kInf);
    EXPECT_EQ(calc::RoundTo(-kInf, 5), -kInf);
    for (double big : {1e300, -1e300, 9.3e13, -9.3e13, std::numeric_limits<double>::max()})
        EXPECT_EQ(calc::RoundTo(big, 5), big) << big;
    // Just inside the 64-bit range the rounding still works.
    EXPECT_EQ(calc::RoundTo(9.0e13 + 0.123456, 5), 9.0e13 + 0.12346);
    EXPECT_EQ(calc::RoundTo(-2.782471, 5), -2.78247);
    EXPECT_EQ(calc::RoundTo(4.9e-324, 5), 0);
}

// Column 0 is one cell merged over three rows, column 1 three single cells of
// the same rows: equal on paper, but the merged height is summed as a double
// and the single ones in extended precision.
TEST(StructuralTie, EqualColumnsFromDifferentMergesTieAndTheLaterOneWins) {
    design::Dimensions d;
    d.V = {100.1, 100.2, 100.3, 0, 0};
    d.H = {700, 700, 700, 0, 0, 0, 0, 0, 0, 0};
    const long double singles = (long double)d.V[0] + d.V[1] + d.V[2];
    const double merged = d.V[0] + d.V[1] + d.V[2];
    ASSERT_NE((long double)merged, singles) << "the case needs sums that differ in the last bit";

    for (const bool mergedFirst : {true, false}) {
        SCOPED_TRACE(mergedFirst ? "merged column first" : "single cells first");
        GridModel g;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 2; ++c)
                g.setMode(r, c, "FIXED");
        g.setSpan(0, mergedFirst ? 0 : 1, 1, 3);
        g.SetCellMode(0, mergedFirst ? 0 : 1, "FIXED");
        long double length = 0, spanL = 0, spanR = 0;
        calc::LongestProfile(g, d, "Vertical", length, spanL, spanR);
        // The mullion between the columns, not the jamb of column 0.
        EXPECT_EQ(spanL, 700);
        EXPECT_EQ(spanR, 700);
        EXPECT_NEAR(double(length), 300.6, 1e-9);
    }
}

TEST(StructuralTie, EqualRowsFromDifferentMergesTieHorizontally) {
    design::Dimensions d;
    d.H = {100.1, 100.2, 100.3, 0, 0, 0, 0, 0, 0, 0};
    d.V = {800, 900, 0, 0, 0};
    ASSERT_NE((long double)(d.H[0] + d.H[1] + d.H[2]), (long double)d.H[0] + d.H[1] + d.H[2]);
    for (const bool mergedFirst : {true, false}) {
        SCOPED_TRACE(mergedFirst ? "merged row first" : "single cells first");
        GridModel g;
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c)
                g.setMode(r, c, "FIXED");
        g.setSpan(mergedFirst ? 0 : 1, 0, 3, 1);
        g.SetCellMode(mergedFirst ? 0 : 1, 0, "FIXED");
        long double length = 0, spanL = 0, spanR = 0;
        calc::LongestProfile(g, d, "Horizontal", length, spanL, spanR);
        // Row 1 wins the tie: the transom between the rows, 800 above and 900 below.
        EXPECT_EQ(spanL, 800);
        EXPECT_EQ(spanR, 900);
    }
}

// Three rows of three cells, fixed panes and top-hung sashes mixed so that all
// twelve member words occur. Every member word has values of its own: each
// lookup's value sets 0, 1 and 2 differ, the head row carries the centre-of-
// glass figures (U 2.1, SHGC 0.61) and every other row other ones (7, 0.7),
// and the set 2 of head, sill and jamb, which no member reads, is 9 / 9 / 99.
//
// Worked by hand (exact fractions) from the cell formulas: window area 9.72 m²,
// total heat loss 28.871115725 W/K and solar terms 5.1555202457... m², so
// U = 2.9702793955... -> 2.97028 and SHGC = 0.5304033174... -> 0.5304.
TEST_F(SoundNumbers, WorkedDesignWithDistinctValuesPerMemberAndSet) {
    store::Database& db = *dm->database();
    // Drop the catalogue's uniform rows; the worked case has its own.
    db.deleteWhere("SystemValues", {}, {});
    struct Set {
        double UF, UE, PFD;
    };
    const struct {
        const char* profile;
        const char* option;
        double ucog, shgc;
        Set s[3];
    } rows[] = {
        {"Head", "H", 2.1, 0.61, {{5.1, 3.1, 51}, {5.2, 3.2, 52}, {9, 9, 99}}},
        {"Sill", "S", 7, 0.7, {{5.3, 3.3, 53}, {5.4, 3.4, 54}, {9, 9, 99}}},
        {"Jamb", "J", 7, 0.7, {{5.5, 3.5, 55}, {5.6, 3.6, 56}, {9, 9, 99}}},
        {"Vert", "M", 7, 0.7, {{5.7, 3.7, 57}, {5.8, 3.8, 58}, {5.9, 3.9, 59}}},
        {"Horiz", "T", 7, 0.7, {{6.1, 4.1, 61}, {6.2, 4.2, 62}, {6.3, 4.3, 63}}},
    };
    for (const auto& r : rows) {
        Values v{{"System_Name", "Sys"}, {"Finish", "Powder"},      {"Glass_Code", "G1"},
                 {"Profile", r.profile}, {"Option_Desc", r.option}, {"U_COG", r.ucog},
                 {"SHGC_COG", r.shgc}};
        for (int i = 0; i < 3; ++i)
            v.insert(v.end(), {{QStringLiteral("UF%1").arg(i), r.s[i].UF},
                               {QStringLiteral("UE%1").arg(i), r.s[i].UE},
                               {QStringLiteral("PFD%1").arg(i), r.s[i].PFD}});
        addRow(db, "SystemValues", v);
    }
    addDesign(db, 1, "W1",
              {{"DimH1", 800},
               {"DimH2", 900},
               {"DimH3", 1000},
               {"DimV1", 1100},
               {"DimV2", 1200},
               {"DimV3", 1300}});
    const char* layout[3][3] = {
        {"FIXED", "FIXED", "TOP"}, {"FIXED", "TOP", "TOP"}, {"TOP", "FIXED", "FIXED"}};
    GridModel g;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            g.setMode(r, c, layout[r][c]);
    saveCells(1, g);
    ASSERT_TRUE(updateAll());
    EXPECT_DOUBLE_EQ(designValue(1, "Window_Area"), 9.72);
    EXPECT_DOUBLE_EQ(designValue(1, "U_Factor"), 2.97028);
    EXPECT_DOUBLE_EQ(designValue(1, "SHGC"), 0.5304);
}
