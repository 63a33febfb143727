#include "ReportFixture.h"
#include "support/CliRun.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

using testing_support::CliRun;

struct ReportCli : testing_support::CliFolder {};

QString pdfToText(const QString& file) {
    QProcess p;
    p.start("pdftotext", {"-layout", file, "-"});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

TEST_F(ReportCli, ReportsAreWrittenInTheFormatOfTheFileEnding) {
    CliRun design = run({"report", "design", "SAMPLE-HOUSE", "5", "-o", file("d.pdf")});
    ASSERT_EQ(design.rc, 0) << design.err.toStdString();
    EXPECT_EQ(design.out, QString("Wrote %1 (1 page)\n").arg(file("d.pdf")));
    EXPECT_TRUE(pdfToText(file("d.pdf")).contains("Fenestration Design Report"));
    EXPECT_EQ(QImage(file("Screen1.bmp")).size(), QSize(300, 150)); // 800 x (600 + 600)

    ASSERT_EQ(run({"report", "summary", "SAMPLE-HOUSE", "-o", file("s.csv")}).rc, 0);
    const QStringList csv = read("s.csv").split("\r\n");
    EXPECT_TRUE(csv.contains("Floor :,G"));
    EXPECT_TRUE(csv.contains("Window Area :,12.72,m²"));
    EXPECT_TRUE(csv.contains(
        "W05,2,Casement 38,Powder Coat,OR-4CL,Orvane 4 mm Clear Float,1.68,5.96,0.64"));

    ASSERT_EQ(run({"report", "summary", "SAMPLE-HOUSE", "-o", file("s.txt")}).rc, 0);
    EXPECT_TRUE(read("s.txt").contains("Total Area x U-Value :\t74.90\tW/K\n"));

    ASSERT_EQ(run({"report", "rational", "SAMPLE-HOUSE", "-o", file("r.xlsx")}).rc, 0);
    EXPECT_TRUE(read("r.xlsx").startsWith("PK"));

    CliRun bad = run({"report", "summary", "SAMPLE-HOUSE", "-o", file("s.doc")});
    EXPECT_EQ(bad.rc, 1);
    EXPECT_TRUE(bad.err.contains("Unknown report format"));
    EXPECT_FALSE(QFile::exists(file("s.doc")));
    EXPECT_EQ(run({"report", "summary", "NO-SUCH", "-o", file("n.pdf")}).rc, 1);
    EXPECT_EQ(run({"report", "design", "SAMPLE-HOUSE", "99", "-o", file("n.pdf")}).rc, 1);
    EXPECT_EQ(run({"report", "design", "SAMPLE-HOUSE", "-o", file("n.pdf")}).rc, 2);
    EXPECT_EQ(run({"report", "summary", "SAMPLE-HOUSE"}).rc, 2);
    EXPECT_EQ(run({"report", "catalogue", "SAMPLE-HOUSE", "-o", file("n.pdf")}).rc, 2);
    EXPECT_FALSE(QFile::exists(file("n.pdf")));
}

TEST_F(ReportCli, RationalStoresTargetAndFiguresAndPrintsTheVerdict) {
    CliRun first = run({"rational", "SAMPLE-HOUSE", "--target", "200"});
    ASSERT_EQ(first.rc, 0) << first.err.toStdString();
    EXPECT_EQ(first.out.split('\n').first(), "Tgt_EnergyLoss\t200.0");
    EXPECT_TRUE(first.out.contains("Act_EnergyLoss\t146.2\n"));
    EXPECT_TRUE(
        first.out.endsWith("Project meets rational design parameters as specified above\n"));
    // The target stays stored; a later run without one keeps it.
    CliRun again = run({"rational", "SAMPLE-HOUSE"});
    EXPECT_EQ(again.out, first.out);
    CliRun lower = run({"rational", "SAMPLE-HOUSE", "--target", "146"});
    EXPECT_TRUE(lower.out.endsWith(
        "Project does NOT meet rational design parameters as specified above\n"));
    // The stored figures are what the report prints.
    ASSERT_EQ(run({"report", "rational", "SAMPLE-HOUSE", "-o", file("r.txt")}).rc, 0);
    EXPECT_TRUE(read("r.txt").contains("Target Tot Energy Loss:\t146.0\tW/°K"));
    EXPECT_EQ(run({"rational", "SAMPLE-HOUSE", "--target", "lots"}).rc, 2);
    EXPECT_EQ(run({"rational", "NO-SUCH"}).rc, 1);
}
