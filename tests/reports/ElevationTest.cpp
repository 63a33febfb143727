#include "reports/Elevation.h"

#include "SvgReader.h"
#include "reports/ElevationOutput.h"
#include "reports/ElevationPainter.h"

#include <QLineF>
#include <QSet>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace reports;

namespace {

const double kUnit = 96.0 / 25.4; // the SVG sheet's device units per paper mm
const QString kInk = "#202020";
const QString kSymbolInk = "#1d3f6e";

ElevationSource source(std::vector<double> widths, std::vector<double> heights) {
    ElevationSource s;
    for (size_t i = 0; i < widths.size(); ++i)
        s.dims.H[i] = widths[i];
    for (size_t i = 0; i < heights.size(); ++i)
        s.dims.V[i] = heights[i];
    s.projectRef = "P1";
    s.designNo = 4;
    s.designRef = "W09";
    s.quantity = 3;
    s.systemName = "Casement 38";
    s.glassCode = "OR-4CL";
    s.glassDesc = "Orvane 4 mm Clear Float";
    return s;
}

// Distinct widths per member word, so that a rectangle shows which word it came from.
void distinctWidths(ElevationSource& s) {
    s.memberWidths = {{"Head", 60},      {"HeadSash", 70}, {"Sill", 75},       {"SillSash", 80},
                      {"Jamb", 55},      {"JambSash", 65}, {"Vert", 40},       {"Vert1Sash", 50},
                      {"Vert2Sash", 58}, {"Horiz", 45},    {"Horiz1Sash", 52}, {"Horiz2Sash", 62}};
}

QRectF boundsOf(const std::vector<SvgShape>& rects) {
    QRectF b;
    for (const SvgShape& r : rects)
        b = b.isNull() ? r.rect : b.united(r.rect);
    return b;
}

bool near(const QRectF& a, const QRectF& b, double tol = 0.02) {
    return std::abs(a.x() - b.x()) < tol && std::abs(a.y() - b.y()) < tol &&
           std::abs(a.width() - b.width()) < tol && std::abs(a.height() - b.height()) < tol;
}

} // namespace

// Columns 600, 400, 800 and rows 1200, 500: a fixed pane merged over the first
// two columns of the top row, a side-hung sash merged over both rows of the
// last column, a top-hung sash and a fixed pane below the merged pane.
TEST(ElevationSvg, MembersLieAtTheirScaledPositionsForADesignWithMerges) {
    ElevationSource s = source({600, 400, 800}, {1200, 500});
    distinctWidths(s);
    s.grid.setSpan(0, 0, 2, 1);
    s.grid.SetCellMode(0, 0, "FIXED");
    s.grid.setSpan(0, 2, 1, 2);
    s.grid.SetCellMode(0, 2, "SIDEL");
    s.grid.SetCellMode(1, 0, "TOP");
    s.grid.SetCellMode(1, 1, "FIXED");

    EXPECT_EQ(sheetRatio(s), 20); // 1:10 would need 204 mm of a 190 mm high sheet
    const std::vector<SvgShape> svg = readSvg(elevationSvg(s));
    const std::vector<SvgShape> members = shapes(svg, "rect", MemberFill);
    ASSERT_FALSE(members.empty());
    const double scale = kUnit / 20; // device units per mm of the window
    const QRectF frame = boundsOf(members);
    EXPECT_NEAR(frame.width(), 1800 * scale, 0.02);
    EXPECT_NEAR(frame.height(), 1700 * scale, 0.02);

    auto at = [&](double x, double y, double w, double h) {
        return QRectF(frame.x() + x * scale, frame.y() + y * scale, w * scale, h * scale);
    };
    struct Expected {
        const char* what;
        QRectF rect;
    };
    const Expected expected[] = {
        {"head over the merged pane", at(0, 0, 1000, 60)},
        {"head with sash over the side-hung sash", at(1000, 0, 800, 70)},
        {"jamb left of the merged pane", at(0, 0, 55, 1200)},
        {"jamb with sash right of the side-hung sash", at(1800 - 65, 0, 65, 1700)},
        {"sill under the top-hung sash", at(0, 1700 - 80, 600, 80)},
        {"sill under the fixed pane", at(600, 1700 - 75, 400, 75)},
        {"mullion of the merged pane and the sash, centred on 1000", at(975, 0, 50, 1200)},
        {"the sash's side of that mullion, its full height", at(975, 0, 50, 1700)},
        {"transom under the merged pane, centred on 1200", at(0, 1200 - 26, 1000, 52)},
        {"mullion between the top-hung sash and the fixed pane", at(575, 1200, 50, 500)},
        {"transom over the top-hung sash", at(0, 1200 - 26, 600, 52)},
    };
    for (const Expected& e : expected) {
        bool found = false;
        for (const SvgShape& m : members)
            found = found || near(m.rect, e.rect);
        EXPECT_TRUE(found) << e.what;
    }
    // Four panes, each glazed between its members.
    const std::vector<SvgShape> glass = shapes(svg, "rect", GlassFill);
    ASSERT_EQ(glass.size(), 4u);
    EXPECT_TRUE(near(glass[0].rect, at(55, 60, 1000 - 25 - 55, 1200 - 26 - 60)));

    // Every column width, row height and both overall sizes, and the title.
    const QStringList t = texts(svg);
    for (const char* dim : {"600", "400", "800", "1800", "1200", "500", "1700"})
        EXPECT_TRUE(t.contains(dim)) << dim;
    EXPECT_TRUE(t.filter("W09").size() == 1 && t.filter("W09")[0].contains("Qty 3"));
    const QStringList spec = t.filter("System: Casement 38");
    ASSERT_EQ(spec.size(), 1);
    EXPECT_TRUE(spec[0].contains("Glazing: OR-4CL Orvane 4 mm Clear Float"));
    EXPECT_TRUE(spec[0].contains("Scale 1:20"));
}

TEST(ElevationGeometry, UnusableNumbersNeitherDrawNorBreakTheDrawing) {
    ElevationSource s = source({600, std::numeric_limits<double>::quiet_NaN(), -50, 400}, {900});
    for (int c = 0; c < 4; ++c)
        s.grid.SetCellMode(0, c, "FIXED");
    s.memberWidths = {
        {"Head", -3}, {"Jamb", std::numeric_limits<double>::infinity()}, {"Sill", 30}};

    EXPECT_EQ(memberWidth(s, "Head"), NominalMemberWidth);
    EXPECT_EQ(memberWidth(s, "Jamb"), NominalMemberWidth);
    EXPECT_EQ(memberWidth(s, "Sill"), 30);
    EXPECT_EQ(memberWidth(s, "Vert"), NominalMemberWidth); // none found for the system

    const ElevationGeometry g = elevationGeometry(s);
    EXPECT_EQ(g.width, 1000);
    EXPECT_EQ(g.height, 900);
    EXPECT_EQ(g.colX, (std::vector<double>{0, 600, 600, 600, 1000}));
    const QStringList t = texts(readSvg(elevationSvg(s)));
    for (const char* dim : {"600", "400", "1000", "900"})
        EXPECT_TRUE(t.contains(dim)) << dim;
    EXPECT_FALSE(t.contains("0"));
    EXPECT_TRUE(t.filter("nan", Qt::CaseInsensitive).isEmpty());
    EXPECT_TRUE(t.filter("inf", Qt::CaseInsensitive).isEmpty());

    // A pane narrower than its members shows no glass.
    ElevationSource narrow = source({60}, {900});
    narrow.grid.SetCellMode(0, 0, "FIXED");
    EXPECT_TRUE(elevationGeometry(narrow).panes.at(0).glass.isEmpty());
    EXPECT_TRUE(shapes(readSvg(elevationSvg(narrow)), "rect", GlassFill).empty());
}

TEST(ElevationGeometry, AnEmptyDesignDrawsANoteAndItsTitle) {
    ElevationSource s = source({600}, {900});
    EXPECT_TRUE(elevationGeometry(s).empty);
    const std::vector<SvgShape> svg = readSvg(elevationSvg(s));
    EXPECT_TRUE(shapes(svg, "rect", MemberFill).empty());
    EXPECT_TRUE(texts(svg).contains("No cells typed yet"));
    EXPECT_EQ(texts(svg).filter("W09").size(), 1);

    ElevationSource noSizes = source({}, {});
    noSizes.grid.SetCellMode(1, 1, "TOP");
    EXPECT_TRUE(
        texts(readSvg(elevationSvg(noSizes))).contains("Type the column widths and row heights"));

    EXPECT_EQ(dimensionText(600), "600");
    EXPECT_EQ(dimensionText(612.5), "612.5");
    EXPECT_EQ(dimensionText(612.46), "612.5");
    EXPECT_EQ(dimensionText(599.98), "600");
}

namespace {

QString sideName(int side) {
    return QStringList{"Left", "Top", "Right", "Bottom"}[side];
}

// Reads the opening symbol of a single 1000 x 1000 pane back from its SVG:
// lines meeting at the middle of a glass edge (hinge there, "dashed" when
// inwards), an arrow's shaft (slide direction), a heavy stile beside the glass
// (interlock) and the "F" of a fixed sash.
QStringList symbolOf(const QString& word, bool& glazed, bool& sash) {
    ElevationSource s = source({1000}, {1000});
    s.grid.SetCellMode(0, 0, word);
    const std::vector<SvgShape> svg = readSvg(elevationSvg(s));
    const std::vector<SvgShape> glass = shapes(svg, "rect", GlassFill);
    glazed = !glass.empty();
    sash = false;
    QStringList found;
    if (!glazed) return found;
    const QRectF g = glass[0].rect;
    const QRectF cell = boundsOf(shapes(svg, "rect", MemberFill));
    for (const SvgShape& r : shapes(svg, "rect", "none", kInk))
        sash = sash || (cell.contains(r.rect) && r.rect.contains(g) && r.rect != g);
    const QPointF mids[4] = {{g.left(), g.center().y()},
                             {g.center().x(), g.top()},
                             {g.right(), g.center().y()},
                             {g.center().x(), g.bottom()}};
    for (const SvgShape& l : shapes(svg, "polyline", "none", kSymbolInk)) {
        if (l.points.size() == 3) {
            for (int side = 0; side < 4; ++side)
                if (QLineF(l.points[1], mids[side]).length() < 0.05)
                    found << "hinge " + sideName(side) + (l.dashed ? " dashed" : " solid");
        } else if (l.points.size() == 2) {
            const QPointF d = l.points[1] - l.points[0];
            const int side =
                std::abs(d.x()) > std::abs(d.y()) ? (d.x() < 0 ? 0 : 2) : (d.y() < 0 ? 1 : 3);
            found << "slide " + sideName(side);
        }
    }
    for (const SvgShape& l : shapes(svg, "polyline", "none", kInk)) {
        if (l.points.size() != 2 || !cell.contains(l.points[0])) continue;
        if (l.points[0].x() == l.points[1].x())
            found << (l.points[0].x() < g.left() ? "interlock Left" : "interlock Right");
    }
    if (texts(svg).contains("F")) found << "F";
    found.sort();
    return found;
}

} // namespace

TEST(ElevationSvg, EveryCellTypeDrawsItsOpeningSymbol) {
    struct Case {
        const char* word;
        bool glazed, sash;
        QStringList symbol;
    };
    const Case cases[] = {
        {"NONE", false, false, {}},
        {"FIXED", true, false, {}},
        {"TOP", true, true, {"hinge Top solid"}},
        {"BOTTOM", true, true, {"hinge Bottom solid"}},
        {"SIDEL", true, true, {"hinge Left solid"}},
        {"SIDER", true, true, {"hinge Right solid"}},
        {"SLIDL", true, true, {"slide Left"}},
        {"SLIDR", true, true, {"slide Right"}},
        {"SLIDU", true, true, {"slide Top"}},
        {"SLIDD", true, true, {"slide Bottom"}},
        {"SLIDFL", true, true, {"F", "interlock Right"}},
        {"SLIDFR", true, true, {"F", "interlock Left"}},
        {"TILTTURNL", true, true, {"hinge Bottom dashed", "hinge Left dashed"}},
        {"TILTTURNR", true, true, {"hinge Bottom dashed", "hinge Right dashed"}},
        {"TILTSLIDL", true, true, {"hinge Bottom dashed", "slide Left"}},
        {"TILTSLIDR", true, true, {"hinge Bottom dashed", "slide Right"}},
    };
    QSet<QString> seen;
    for (const Case& c : cases) {
        bool glazed = false, sash = false;
        const QStringList symbol = symbolOf(c.word, glazed, sash);
        EXPECT_EQ(glazed, c.glazed) << c.word;
        EXPECT_EQ(sash, c.sash) << c.word;
        EXPECT_EQ(symbol, c.symbol) << c.word << ": " << symbol.join(", ").toStdString();
        seen.insert(symbol.join('|') + (sash ? "+sash" : "") + (glazed ? "+glass" : ""));
    }
    EXPECT_EQ(seen.size(), 16); // no two types look alike
}
