#include "reports/SansReport.h"

#include "ReportFixture.h"
#include "reports/Output.h"
#include "store/Table.h"

using namespace reports;

TEST(SansReport, SentencesCarryTheFiguresWithOneDecimal) {
    EXPECT_EQ(netFloorSentence(30.0, 5.0),
              "The net floor area is 30.0 m² and the fenestration area is 5.0 m²");
    EXPECT_EQ(ratioSentence(windowFloorPercent(5, 30)),
              "The window to floor ratio is greater than 15%, (16.7%), therefore U and SHGC "
              "Calculations must be performed according to SANS 204.");
    // Exactly 15 % is exempt, and so is a storey without floor area.
    EXPECT_EQ(windowFloorPercent(6, 40), 15.0);
    EXPECT_EQ(ratioSentence(windowFloorPercent(6, 40)),
              "The window to floor ratio is less than 15%, (15.0%), therefore the floor is exempt "
              "from SANS 204 Calculations.");
    EXPECT_EQ(windowFloorPercent(6, 0), 0);
    EXPECT_TRUE(ratioSentence(0).contains("less than 15%, (0.0%)"));
    // Conductances are sums of area x U: watts per kelvin.
    EXPECT_EQ(conductanceAllowanceSentence(15.0),
              "The conductance allowance should be a maximum of : 15.0 W/K");
    EXPECT_EQ(conductanceSentence(18.04),
              "The conductance with Aluminium Framing windows and doors with glazing is : 18.0 "
              "W/K");
    EXPECT_EQ(shgcAllowanceSentence(1.8), "The SHGC allowance should be a maximum of : 1.8");
    EXPECT_EQ(shgcSentence(2.4),
              "The SHGC with Aluminium Framing windows and doors with glazing is : 2.4");
    EXPECT_EQ(verdictText("FAIL"), "DOES NOT COMPLY");
    for (const char* other : {"PASS", "N/A", ""})
        EXPECT_EQ(verdictText(other), "COMPLIES");
    // Empty fields print empty; huge figures leave fixed-point notation.
    EXPECT_EQ(fixedText(QVariant()), "");
    EXPECT_EQ(fixedText(1234.56), "1234.6");
    EXPECT_TRUE(fixedText(2.5e12).contains('E'));
}

namespace {

// Storey results as Calculate would have left them.
void addResult(data::TDM& dm, const QString& project, const QString& floor, double floorArea,
               double windowArea, const QString& uResult, const QString& shgcResult) {
    store::Table t(dm.database(), "ProjectResults");
    t.open();
    t.append();
    t.fieldByName("Project_Ref").setAsString(project);
    t.fieldByName("Floor").setAsString(floor);
    t.fieldByName("Floor_Area").setAsFloat(floorArea);
    t.fieldByName("Window_Area").setAsFloat(windowArea);
    t.fieldByName("U_Allow").setAsFloat(15);
    t.fieldByName("U_Total").setAsFloat(18);
    t.fieldByName("SHGC_Allow").setAsFloat(1.8);
    t.fieldByName("SHGC_Total").setAsFloat(2.4);
    t.fieldByName("U_Result").setAsString(uResult);
    t.fieldByName("SHGC_Result").setAsString(shgcResult);
    t.post();
}

// DesignResults rows copied from the project's designs.
void copyDesigns(data::TDM& dm, const QString& project) {
    store::Table d(dm.database(), "Design"), r(dm.database(), "DesignResults");
    d.open();
    r.open();
    for (d.first(); !d.eof(); d.next()) {
        if (d.fieldByName("Project_Ref").asString() != project) continue;
        r.append();
        for (const char* f : {"Project_Ref", "Design_No", "Design_Ref", "Design_Qty", "Elevation",
                              "Floor", "Window_Area", "U_Factor", "SHGC"})
            r.fieldByName(f).setValue(d.fieldByName(f).value());
        r.fieldByName("Shading_Ratio").setAsFloat(0.2);
        r.fieldByName("Solar_Factor").setAsFloat(0.8125);
        r.post();
    }
}

} // namespace

TEST_F(ReportData, SansReportPrintsStoreysGroundFloorFirstWithTheirSentencesAndWindows) {
    addProject("SANS", {{"2", "B2", 1, 1.0, 5.0, 0.5},
                        {"G", "G2", 1, 2.0, 4.0, 0.6, "NO-SUCH"},
                        {"10", "T1", 1, 1.0, 6.0, 0.5},
                        {"1", "A1", 3, 1.5, 2.0, 0.5},
                        {"G", "G1", 2, 1.5, 3.0, 0.4}});
    copyDesigns(*dm, "SANS");
    addResult(*dm, "SANS", "1", 30, 5, "FAIL", "PASS");
    addResult(*dm, "SANS", "10", 40, 6, "N/A", "N/A");
    addResult(*dm, "SANS", "G", 30, 5, "PASS", "FAIL");
    // Storey "2" has no result row: no figures and no verdict.
    const Document doc = sansReport(*dm);
    const QStringList lines = foldedLines(pdfText(doc));
    EXPECT_EQ(lines.filter("Storey :"),
              QStringList({"Storey : G", "Storey : 1", "Storey : 2", "Storey : 10"}));
    const QString all = lines.join('\n');
    expectInOrder(
        all, {"Energy Efficiency Calculations: SANS 204 Certification Report", "Project Ref : SANS",
              "Climate Zone :", "Results are valid for Naturally Ventilated buildings only.",
              // storey G: its designs by reference; an unknown glazing keeps its code
              "Storey : G", "Conductance result : COMPLIES", "SHGC result : DOES NOT COMPLY",
              "G1", "G2 Casement 38 NO-SUCH - 1 N 2.00",
              // storey 1
              "The net floor area is 30.0 m² and the fenestration area is 5.0 m²",
              "greater than 15%, (16.7%)", "CONDUCTANCE",
              "The conductance allowance should be a maximum of : 15.0 W/K",
              "Conductance result : DOES NOT COMPLY", "SOLAR HEAT GAIN", "SHGC result : COMPLIES",
              "DETAILED TABLE", "for the windows and doors for floor 1:",
              "Ref System Glazing Material Qty Orient. Area P/H Solar Fact U-Value SHGC",
              "A1 Casement 38 OR-4CL - Orvane 4 mm Clear Float 3 N 1.50 0.20 0.8125 2.00 0.50",
              // storey 2 without results
              "Storey : 2", "No results — run the analysis", "DETAILED TABLE",
              // storey 10: exactly 15 %
              "Storey : 10", "less than 15%, (15.0%)", "Conductance result : COMPLIES",
              "SHGC result : COMPLIES", "Quorvex Version 5.0"});
    // Three storeys with results, two verdicts each.
    EXPECT_EQ(all.count("result :"), 6);
    for (const QString& line : lines.filter("conductance"))
        EXPECT_FALSE(line.contains("W/m²K")) << line.toStdString();
}

// A storey without a floor area prints no exemption line; a glazing text too
// long for its column is shortened after a whole word with an ellipsis.
TEST_F(ReportData, SansReportOmitsTheExemptionWithoutFloorAreaAndShortensLongGlazing) {
    const QString desc = "Orvane 6.38 mm Clear Laminated Safety Glass Grey Tint";
    {
        store::Table g(dm->database(), "Glazing");
        g.open();
        g.append();
        g.fieldByName("Glass_Code").setAsString("LONG-LAM");
        g.fieldByName("Glass_Desc").setAsString(desc);
        g.post();
    }
    addProject("EDGE", {{"1", "A1", 1, 2.0, 4.0, 0.5, "LONG-LAM"}});
    copyDesigns(*dm, "EDGE");
    addResult(*dm, "EDGE", "1", 0, 2, "FAIL", "FAIL");
    const Document doc = sansReport(*dm);
    const QString all = foldedLines(pdfText(doc)).join('\n');
    expectInOrder(all,
                  {"Storey : 1", "The net floor area is 0.0 m² and the fenestration area is 2.0 m²",
                   "Conductance result : DOES NOT COMPLY", "A1 Casement 38 LONG-LAM - Orvane"});
    EXPECT_FALSE(all.contains("window to floor ratio")) << all.toStdString();

    const QString full = "LONG-LAM - " + desc;
    QString shown;
    for (const auto& page : doc.pages)
        for (const PlacedItem& item : page)
            if (item.text.startsWith("LONG-LAM")) shown = item.text;
    ASSERT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    const QString kept = shown.chopped(1);
    ASSERT_GT(kept.size(), 12);
    EXPECT_TRUE(full.startsWith(kept)) << shown.toStdString();
    EXPECT_EQ(full[kept.size()], ' ') << "cut inside a word: " << shown.toStdString();
    EXPECT_TRUE(all.contains(kept + QChar(0x2026))) << all.toStdString();
}

TEST_F(ReportData, SansReportRepeatsTheHeadingsOnlyOnContinuationPages) {
    std::vector<DesignRow> rows;
    for (int i = 0; i < 40; ++i)
        rows.push_back(
            {i < 25 ? "1" : "2", QString("W%1").arg(i, 2, 10, QChar('0')), 1, 1, 5, 0.5});
    addProject("LONGSANS", rows);
    copyDesigns(*dm, "LONGSANS");
    addResult(*dm, "LONGSANS", "1", 100, 25, "PASS", "PASS");
    addResult(*dm, "LONGSANS", "2", 100, 15, "N/A", "N/A");
    const Document doc = sansReport(*dm);
    ASSERT_GE(doc.pages.size(), 2u);
    const QStringList pages = pdfText(doc).split('\f', Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), qsizetype(doc.pages.size()));
    const QString headings =
        "Ref System Glazing Material Qty Orient. Area P/H Solar Fact U-Value SHGC";
    for (int p = 0; p < pages.size(); ++p) {
        const QStringList lines = foldedLines(pages[p]);
        EXPECT_TRUE(lines.mid(0, 2).contains(
            "Energy Efficiency Calculations: SANS 204 Certification Report"))
            << p;
        EXPECT_TRUE(lines.contains(QString("Page : %1").arg(p + 1))) << p;
        if (p == 0) {
            // Page one: the headings only under its storey header.
            EXPECT_EQ(lines.count(headings), 1);
            EXPECT_LT(lines.indexOf("Storey : 1"), lines.indexOf(headings));
        } else {
            // Later pages: the headings right under the page header.
            const qsizetype at = lines.indexOf(headings);
            ASSERT_GE(at, 0) << p;
            EXPECT_TRUE(lines[at - 1].startsWith("Results are valid")) << p;
        }
    }
    EXPECT_EQ(pdfText(doc).count("Casement 38"), 40);
}

TEST_F(ReportData, SansReportPrintsWithoutRowsAndExportsItsSentences) {
    addProject("NOTHING", {});
    const Document empty = sansReport(*dm);
    ASSERT_EQ(empty.pages.size(), 1u);
    EXPECT_TRUE(pdfText(empty).contains("Energy Efficiency Calculations"));

    addProject("EXPORT", {{"1", "A1", 1, 5.0, 2.0, 0.5}});
    copyDesigns(*dm, "EXPORT");
    addResult(*dm, "EXPORT", "1", 30, 5, "FAIL", "FAIL");
    const Document doc = sansReport(*dm);
    const QString text = toPlainText(doc);
    EXPECT_TRUE(text.contains("Conductance result :\tDOES NOT COMPLY")) << text.toStdString();
    EXPECT_TRUE(text.contains("The window to floor ratio is greater than 15%, (16.7%)"));
    const QString csv = toCsv(doc);
    EXPECT_TRUE(csv.contains("Storey :,1"));
}
