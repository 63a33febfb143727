#include "reports/ElevationData.h"

#include "ReportFixture.h"
#include "SvgReader.h"
#include "calc/Calculation.h"
#include "reports/ElevationOutput.h"
#include "reports/ElevationPainter.h"
#include "support/CliRun.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>

using namespace reports;

namespace {

QString pdfToText(const QString& file) {
    QProcess p;
    p.start("pdftotext", {"-layout", file, "-"});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

const QStringList kSampleRefs = {"W01", "D01", "W02", "W03", "W04", "W05", "W06", "W07", "D02"};

} // namespace

using ElevationData = ReportData;

TEST_F(ElevationData, MemberWidthsAreTheProjectedWidthsTheCalculationUses) {
    ASSERT_TRUE(dm->DesignTable.findKey({"SAMPLE-HOUSE", 1}));
    const ElevationSource s = storedElevation(*dm, dm->DesignTable);
    EXPECT_EQ(s.designRef, "W01");
    EXPECT_EQ(s.systemName, "Casement 38");
    EXPECT_EQ(s.glassCode, "OR-6CL");
    EXPECT_FALSE(s.glassDesc.isEmpty());
    EXPECT_FALSE(elevationGeometry(s).empty);

    design::GridModel grid;
    calc::DesignView view;
    view.grid = &grid;
    calc::showDesignFromRecord(*dm, view);
    EXPECT_TRUE(grid == s.grid);
    calc::CalcContext calculation(*dm, messages);
    ASSERT_TRUE(calculation.CalcBtnClick(view));
    int found = 0;
    for (size_t i = 0; i < calc::MemberWords.size(); ++i) {
        const double pfd = calculation.ProfileValues.members[i].PFD;
        const auto it = s.memberWidths.find(calc::MemberWords[i]);
        if (pfd > 0) {
            ++found;
            ASSERT_NE(it, s.memberWidths.end()) << calc::MemberWords[i].toStdString();
            EXPECT_EQ(it->second, pfd);
        } else {
            EXPECT_EQ(it, s.memberWidths.end());
        }
    }
    EXPECT_GE(found, 3);
}

TEST_F(ElevationData, TheProjectsDesignsComeInOrderWithoutMovingTheWindowsCursor) {
    ASSERT_TRUE(dm->DesignTable.findKey({"SAMPLE-HOUSE", 4}));
    const std::vector<ElevationSource> all = projectElevations(*dm, "SAMPLE-HOUSE");
    EXPECT_EQ(dm->DesignTable.fieldByName("Design_No").asInteger(), 4);
    QStringList refs;
    for (const ElevationSource& s : all)
        refs << s.designRef;
    EXPECT_EQ(refs, kSampleRefs);
    EXPECT_EQ(all[5].quantity, 2);

    // One scale for every design; each placed once, inside the page, without overlap.
    for (bool a3 : {false, true}) {
        ProjectSheet sheet;
        sheet.a3 = a3;
        const SheetLayout layout = layoutProjectSheet(all, sheet);
        EXPECT_GT(layout.ratio, 0);
        const QRectF page(SheetMargin, SheetMargin, layout.paper.width() - 2 * SheetMargin,
                          layout.paper.height() - 2 * SheetMargin);
        std::vector<int> placed(all.size(), 0);
        for (const auto& onPage : layout.pages) {
            for (size_t i = 0; i < onPage.size(); ++i) {
                ++placed[onPage[i].design];
                EXPECT_TRUE(page.contains(onPage[i].area)) << onPage[i].design;
                const QSizeF need =
                    elevationPaperSize(elevationGeometry(all[onPage[i].design]), layout.ratio);
                EXPECT_GE(onPage[i].area.width(), need.width());
                EXPECT_NEAR(onPage[i].area.height(), need.height(), 1e-9);
                for (size_t j = i + 1; j < onPage.size(); ++j)
                    EXPECT_FALSE(onPage[i].area.intersects(onPage[j].area));
            }
        }
        EXPECT_EQ(placed, std::vector<int>(all.size(), 1));
    }
    ProjectSheet fixed;
    fixed.ratio = 10;
    EXPECT_EQ(layoutProjectSheet(all, fixed).ratio, 10);
    EXPECT_GT(layoutProjectSheet(all, fixed).pages.size(),
              layoutProjectSheet(all, {}).pages.size());
}

// The design report with its elevation page, and the project sheet as a
// report of drawn pages: the drawings follow the band pages on the same paper.
TEST_F(ElevationData, DrawnPagesFollowTheReportOnItsPaper) {
    ASSERT_TRUE(dm->DesignTable.findKey({"SAMPLE-HOUSE", 3}));
    Document report;
    report.title = "T";
    report.pages.resize(1);
    Document withPage = report;
    const ElevationSource w02 = storedElevation(*dm, dm->DesignTable);
    appendElevationPage(withPage, w02);
    const QStringList plain = pdfText(report).split(QChar('\f'), Qt::SkipEmptyParts);
    const QStringList both = pdfText(withPage).split(QChar('\f'), Qt::SkipEmptyParts);
    EXPECT_TRUE(plain.join("").trimmed().isEmpty());
    ASSERT_EQ(both.size(), 1); // the empty band page gives no text, the drawing does
    EXPECT_TRUE(both[0].contains("W02"));
    const ElevationGeometry g = elevationGeometry(w02);
    ASSERT_FALSE(g.empty);
    // The overall width is written on the drawing.
    EXPECT_TRUE(both[0].contains(QString::number(g.width))) << both[0].toStdString();

    const std::vector<ElevationSource> all = projectElevations(*dm, "SAMPLE-HOUSE");
    ProjectSheet sheet;
    sheet.projectRef = "SAMPLE-HOUSE";
    const Document doc = projectSheetDocument(all, sheet);
    const SheetLayout layout = layoutProjectSheet(all, sheet);
    EXPECT_TRUE(doc.pages.empty());
    EXPECT_EQ(doc.drawnPages.size(), layout.pages.size());
    EXPECT_EQ(doc.page.size, QSizeF(297, 210));
    const QString text = pdfText(doc);
    EXPECT_EQ(text.count(QChar('\f')), int(layout.pages.size()));
    for (const QString& ref : kSampleRefs)
        EXPECT_TRUE(text.contains(ref)) << ref.toStdString();
    // The PNG of the first page is landscape.
    const QStringList pngs = pdfPages(doc, QDir(work.path()).filePath("sheet"));
    ASSERT_FALSE(pngs.isEmpty());
    const QImage first(QDir(work.path()).filePath(pngs.first()));
    EXPECT_GT(first.width(), first.height());
}

struct DrawingCli : ::testing::Test {
    void SetUp() override { ASSERT_EQ(run({"init"}).rc, 0); }
    testing_support::CliRun run(QStringList args) {
        args.prepend(work.path());
        args.prepend("--workdir");
        return testing_support::runCli(args);
    }
    QString file(const QString& name) { return QDir(work.path()).filePath(name); }
    QTemporaryDir work;
};

TEST_F(DrawingCli, ADesignIsDrawnInTheFormatOfTheFileEnding) {
    auto svg = run({"drawing", "SAMPLE-HOUSE", "1", "-o", file("w01.svg")});
    ASSERT_EQ(svg.rc, 0) << svg.err.toStdString();
    EXPECT_TRUE(svg.out.startsWith("Wrote " + file("w01.svg") + " (scale 1:"));
    QFile f(file("w01.svg"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const std::vector<SvgShape> shapesRead = readSvg(f.readAll());
    EXPECT_FALSE(shapes(shapesRead, "rect", MemberFill).empty());
    EXPECT_EQ(texts(shapesRead).filter("W01").size(), 1);

    ASSERT_EQ(run({"drawing", "SAMPLE-HOUSE", "2", "-o", file("d01.pdf")}).rc, 0);
    const QString text = pdfToText(file("d01.pdf"));
    EXPECT_TRUE(text.contains("D01")) << text.toStdString();
    EXPECT_TRUE(text.contains("System: Patio 45"));

    ASSERT_EQ(run({"drawing", "SAMPLE-HOUSE", "3", "-o", file("w02.png")}).rc, 0);
    EXPECT_EQ(QImage(file("w02.png")).size(), QSize(1754, 1240)); // A4 at 150 dpi
}

TEST_F(DrawingCli, TheProjectSheetHoldsEveryDesignWithItsQuantity) {
    auto a4 = run({"drawing", "SAMPLE-HOUSE", "-o", file("sheet.pdf")});
    ASSERT_EQ(a4.rc, 0) << a4.err.toStdString();
    EXPECT_TRUE(a4.out.contains("scale 1:"));
    const QString text = pdfToText(file("sheet.pdf"));
    for (const QString& ref : kSampleRefs)
        EXPECT_TRUE(text.contains(ref)) << ref.toStdString();
    EXPECT_TRUE(text.contains("Qty 2"));
    EXPECT_TRUE(text.contains("9 designs, 11 windows"));
    auto a3 = run(
        {"drawing", "SAMPLE-HOUSE", "-o", file("sheet3.pdf"), "--paper", "a3", "--scale", "1:25"});
    ASSERT_EQ(a3.rc, 0) << a3.err.toStdString();
    EXPECT_TRUE(a3.out.endsWith(", scale 1:25)\n"));
    EXPECT_TRUE(pdfToText(file("sheet3.pdf")).contains("Scale 1:25 on A3"));
}

TEST_F(DrawingCli, RefusalsLeaveNoFileBehind) {
    auto unknown = run({"drawing", "SAMPLE-HOUSE", "1", "-o", file("w.doc")});
    EXPECT_EQ(unknown.rc, 1);
    EXPECT_TRUE(unknown.err.contains("Unknown drawing format"));
    EXPECT_FALSE(QFile::exists(file("w.doc")));
    auto sheetSvg = run({"drawing", "SAMPLE-HOUSE", "-o", file("sheet.svg")});
    EXPECT_EQ(sheetSvg.rc, 1);
    EXPECT_FALSE(QFile::exists(file("sheet.svg")));
    auto noDesign = run({"drawing", "SAMPLE-HOUSE", "99", "-o", file("x.svg")});
    EXPECT_EQ(noDesign.rc, 1);
    EXPECT_TRUE(noDesign.err.contains("has no design 99"));
    EXPECT_EQ(run({"drawing", "NO-SUCH", "1", "-o", file("x.svg")}).rc, 1);
    EXPECT_FALSE(QFile::exists(file("x.svg")));
    auto folder = run({"drawing", "SAMPLE-HOUSE", "1", "-o", file("missing/x.svg")});
    EXPECT_EQ(folder.rc, 1);
    EXPECT_TRUE(folder.err.contains("Cannot write"));

    EXPECT_EQ(run({"drawing", "SAMPLE-HOUSE", "1"}).rc, 2);
    EXPECT_EQ(run({"drawing", "SAMPLE-HOUSE", "one", "-o", file("x.svg")}).rc, 2);
    EXPECT_EQ(run({"drawing", "SAMPLE-HOUSE", "-o", file("x.pdf"), "--paper", "A5"}).rc, 2);
    EXPECT_EQ(run({"drawing", "SAMPLE-HOUSE", "-o", file("x.pdf"), "--scale", "0"}).rc, 2);
    EXPECT_EQ(run({"drawing", "SAMPLE-HOUSE", "1", "-o", file("x.svg"), "--paper", "A3"}).rc, 2);
}

// A full disk: the drawing fails, the earlier file stays whole and no
// temporary file is left beside it.
TEST_F(DrawingCli, AFullDiskKeepsTheEarlierDrawing) {
    QTemporaryDir mountPoint;
    const QString dir = mountPoint.path();
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=512k", "tmpfs", dir}) != 0)
        GTEST_SKIP() << "a small tmpfs cannot be mounted here";
    const QString target = QDir(dir).filePath("w01.svg");
    ASSERT_EQ(run({"drawing", "SAMPLE-HOUSE", "1", "-o", target}).rc, 0);
    QFile written(target);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray before = written.readAll();
    written.close();
    {
        QFile filler(QDir(dir).filePath("filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(1024, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    for (const char* name : {"w01.svg", "w01.png", "w01.pdf"}) {
        auto full = run({"drawing", "SAMPLE-HOUSE", "2", "-o", QDir(dir).filePath(name)});
        EXPECT_EQ(full.rc, 1) << name;
        EXPECT_TRUE(full.err.contains("Cannot write")) << full.err.toStdString();
    }
    EXPECT_EQ(QDir(dir).entryList(QDir::Files), (QStringList{"filler", "w01.svg"}));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), before);
    written.close();
    QProcess::execute("umount", {dir});
}
