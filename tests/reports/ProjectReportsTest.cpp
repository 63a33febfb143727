#include "reports/ProjectReports.h"

#include "ReportFixture.h"
#include "compliance/Rational.h"
#include "reports/DesignPicture.h"
#include "reports/DesignReport.h"

#include <QFile>

using namespace reports;

namespace {

// The lines of the text that contain `part`.
QStringList linesWith(const QStringList& lines, const QString& part) {
    return lines.filter(part);
}

} // namespace

TEST_F(ReportData, SummaryGroupsByStoreyGroundFloorFirstWithTotalsAndDisclaimer) {
    addProject("STOREYS", {{"2", "B2", 1, 1.0, 5.0, 0.5},
                           {"G", "G1", 2, 1.50, 3.00, 0.4},
                           {"10", "T1", 1, 1.0, 6.0, 0.5},
                           {"1", "A1", 3, 1.0, 2.0, 0.5},
                           {"G", "G2", 1, 2.00, 4.00, 0.6, "NO-SUCH"}});
    const Document doc = summaryReport(*dm);
    const QStringList lines = foldedLines(pdfText(doc));
    EXPECT_EQ(linesWith(lines, "Floor :"),
              QStringList({"Floor : G", "Floor : 1", "Floor : 2", "Floor : 10"}));
    EXPECT_EQ(linesWith(lines, "Window Area :"),
              QStringList({"Window Area : 5.00 m²", "Window Area : 3.00 m²",
                           "Window Area : 1.00 m²", "Window Area : 1.00 m²"}));
    EXPECT_EQ(linesWith(lines, "Total Area x U-Value :").first(),
              "Total Area x U-Value : 17.00 W/K");
    EXPECT_EQ(linesWith(lines, "Total Area x U-Value :").last(),
              "Total Area x U-Value : 6.00 W/K");
    // Each storey's designs under its own header, by reference; the glazing described, or empty.
    const qsizetype g = lines.indexOf("Floor : G");
    ASSERT_GE(g, 0);
    EXPECT_TRUE(lines[g + 1].startsWith(
        "G1 2 Casement 38 Powder Coat OR-4CL Orvane 4 mm Clear 1.50 3.00 0.40"))
        << lines[g + 1].toStdString();
    EXPECT_TRUE(
        lines.mid(g).join('\n').contains("G2 1 Casement 38 Powder Coat NO-SUCH 2.00 4.00 0.60"));
    const QStringList expected = {"Fenestration Design Summary",
                                  "Project Ref : STOREYS",
                                  "Project Name : Test STOREYS",
                                  "Ref. Qty System Finish Glazing Material Area U-Value SHGC",
                                  "m² W/m²K",
                                  "Disclaimer:",
                                  "Quorvex Version 5.0",
                                  "Page : 1"};
    const QString all = lines.join('\n');
    for (const QString& text : expected)
        EXPECT_TRUE(all.contains(text)) << text.toStdString();
    EXPECT_TRUE(
        all.contains("Korvane (Pty) Ltd hereby accepts no liability for the above prices or for"));
    EXPECT_TRUE(all.contains("as it is intended for use as a guideline only"));
}

TEST_F(ReportData, LongProjectsRepeatHeadingsAndNumberThePages) {
    std::vector<DesignRow> rows;
    for (int i = 0; i < 45; ++i)
        rows.push_back(
            {i < 20 ? "G" : "1", QString("W%1").arg(i, 2, 10, QChar('0')), 1, 1, 5, 0.5});
    addProject("LONG", rows);
    const Document doc = summaryReport(*dm);
    ASSERT_GE(doc.pages.size(), 2u);
    const QStringList pages = pdfText(doc).split('\f', Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), qsizetype(doc.pages.size()));
    for (int p = 0; p < pages.size(); ++p) {
        const QStringList lines = foldedLines(pages[p]);
        EXPECT_EQ(lines.first().left(27), "Fenestration Design Summary");
        EXPECT_TRUE(lines.contains("Ref. Qty System Finish Glazing Material Area U-Value SHGC"))
            << p;
        EXPECT_TRUE(lines.contains(QString("Page : %1").arg(p + 1))) << p;
    }
    // Every design once, and the storey totals still add all of the storey's designs.
    EXPECT_EQ(pdfText(doc).count("Casement 38"), 45);
    const QStringList lines = foldedLines(pdfText(doc));
    EXPECT_EQ(linesWith(lines, "Window Area :"),
              QStringList({"Window Area : 20.00 m²", "Window Area : 25.00 m²"}));
}

TEST_F(ReportData, RationalReportStatesTargetFiguresAndVerdict) {
    addProject("RATIONAL", {{"G", "A", 2, 1.5, 3.0, 0.4}, {"1", "B", 1, 2.0, 4.0, 0.6}});
    // No rational row: empty figures, and 0 against 0 meets.
    QStringList lines = foldedLines(pdfText(rationalReport(*dm)));
    EXPECT_TRUE(lines.contains("Project meets rational design parameters as specified above"));
    EXPECT_TRUE(lines.contains("Target Tot Energy Loss: W/°K"));

    store::Table& R = dm->ProjectRationalTable;
    R.edit();
    R.fieldByName("Tgt_EnergyLoss").setAsFloat(17.0);
    compliance::RationalBtnClick(*dm);
    lines = foldedLines(pdfText(rationalReport(*dm)));
    const QStringList expected = {
        "Rational Design (SANS 10400XA)",
        "Results are valid for Naturally Ventilated buildings only.",
        "Target Tot Energy Loss: 17.0 W/°K",
        "ENERGY LOSS",
        "The TARGET energy loss should be a maximum of : 17.0 W/°K",
        "The TOTAL Energy Loss with Aluminium Framing windows and doors with glazing is : 17.0 "
        "W/°K",
        "CONDUCTANCE",
        "The AVERAGE conductance with Aluminium Framing windows and doors with glazing is : 3.3 "
        "W/m²K",
        "SOLAR HEAT GAIN",
        "The AVERAGE SHGC with Aluminium Framing windows and doors with glazing is : 0.467",
        "Project meets rational design parameters as specified above",
        "DETAILED TABLE",
        "The table below provides the values for the windows and doors for all storys",
        "Floor : G",
        "Floor : 1",
    };
    expectInOrder(lines.join('\n'), expected);
    EXPECT_TRUE(lines.join('\n').contains(
        "Ref. Qty System Finish Glazing Material Storey Orient. Area U-Value SHGC"));
    EXPECT_TRUE(linesWith(lines, "Window Area :").isEmpty());
    EXPECT_TRUE(linesWith(lines, "Disclaimer").isEmpty());

    R.fieldByName("Tgt_EnergyLoss").setAsFloat(16.9);
    compliance::RationalBtnClick(*dm);
    lines = foldedLines(pdfText(rationalReport(*dm)));
    EXPECT_TRUE(
        lines.contains("Project does NOT meet rational design parameters as specified above"));
}

TEST_F(ReportData, AProjectWithoutDesignsPrintsHeadersAndClosingBlocks) {
    addProject("EMPTY", {});
    const QString summary = foldedLines(pdfText(summaryReport(*dm))).join('\n');
    expectInOrder(summary, {"Fenestration Design Summary", "Project Ref : EMPTY", "Ref. Qty System",
                            "Disclaimer:", "Page : 1"});
    EXPECT_FALSE(summary.contains("Floor :"));
    const QString rational = foldedLines(pdfText(rationalReport(*dm))).join('\n');
    expectInOrder(rational, {"Target Tot Energy Loss:",
                             "Project meets rational design parameters as specified above",
                             "DETAILED TABLE", "Page : 1"});
    // The design report of no design: the project header, empty values and no picture.
    const Document design = designReportWithPicture(*dm, design::GridModel());
    expectInOrder(foldedLines(pdfText(design)).join('\n'),
                  {"Fenestration Design Report", "EMPTY", "Design No. :", "Page : 1"});
    EXPECT_FALSE(QFile::exists(designPictureFile(work.path())));
}
