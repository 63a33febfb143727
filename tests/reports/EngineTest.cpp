#include "ReportFixture.h"
#include "reports/Output.h"
#include "reports/ReportParts.h"

#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

using namespace reports;

namespace {

// A report over (group, name) rows with every kind of band, each band's label
// naming it; hooks write into `log`.
struct BandReport {
    explicit BandReport(std::vector<std::pair<QString, QString>> data, double detailHeight = 10)
        : rows(std::move(data)) {
        const QFont f = reportFont(9);
        report.add(BandKind::PageHeader, 20).label({0, 0, 100, 5}, "PAGEHEAD", f);
        report.add(BandKind::ColumnHeader, 8).label({0, 0, 100, 5}, "COLHEAD", f);
        Band& group = report.add(BandKind::GroupHeader, 8);
        group.value(
            {0, 0, 100, 5}, [this] { return "GROUP " + rows[pos].first; }, f);
        group.afterPrint = [this] { log << "group:" + rows[pos].first; };
        Band& detail = report.add(BandKind::Detail, detailHeight);
        detail.value(
            {0, 0, 50, 5}, [this] { return "DETAIL " + rows[pos].second; }, f);
        detail.value(
            {60, 0, 30, 5}, [this] { return QString("x,\"y\""); }, f);
        detail.beforePrint = [this] { return rows[pos].second != "skip"; };
        detail.afterPrint = [this] { log << "detail:" + rows[pos].second; };
        Band child;
        child.height = 5;
        child.label({0, 0, 50, 5}, "CHILD", f);
        detail.children.push_back(child);
        report.add(BandKind::GroupFooter, 8)
            .value(
                {0, 0, 100, 5}, [this] { return "GROUPFOOT " + rows[pos - 1].first; }, f);
        report.add(BandKind::Summary, 10).label({0, 0, 100, 5}, "SUMMARY", f);
        Band& footer = report.add(BandKind::PageFooter, 12);
        footer.value(
            {0, 2, 100, 5}, [this] { return QString("PAGE %1").arg(report.pageNumber()); }, f);
        report.data.first = [this] { pos = 0; };
        report.data.eof = [this] { return pos >= rows.size(); };
        report.data.next = [this] { ++pos; };
        report.data.groupKey = [this] { return rows[pos].first; };
    }
    Report report;
    std::vector<std::pair<QString, QString>> rows;
    size_t pos = 0;
    QStringList log;
};

QStringList texts(const Document& doc, int page) {
    QStringList out;
    for (const PlacedItem& item : doc.pages[size_t(page)])
        if (item.kind == Element::Kind::Text) out << item.text;
    return out;
}

} // namespace

TEST(Engine, BandsPrintInOrderWithGroupsChildrenHooksAndSkippedBands) {
    BandReport r({{"A", "a1"}, {"A", "skip"}, {"A", "a2"}, {"B", "b1"}});
    const Document doc = r.report.layout();
    ASSERT_EQ(doc.pages.size(), 1u);
    QStringList t = texts(doc, 0);
    t.removeAll("x,\"y\"");
    EXPECT_EQ(t, QStringList({"PAGEHEAD", "COLHEAD", "GROUP A", "DETAIL a1", "CHILD", "DETAIL a2",
                              "CHILD", "GROUPFOOT A", "GROUP B", "DETAIL b1", "CHILD",
                              "GROUPFOOT B", "SUMMARY", "PAGE 1"}));
    EXPECT_EQ(r.log, QStringList({"group:A", "detail:a1", "detail:a2", "group:B", "detail:b1"}));
    // Bands follow one another from the top margin; the footer sits on the bottom margin.
    const auto& items = doc.pages[0];
    EXPECT_DOUBLE_EQ(items.front().rect.top(), 10);
    EXPECT_DOUBLE_EQ(items.back().rect.top(), 297 - 10 - 12 + 2);
}

TEST(Engine, LongReportsFlowOverPagesWithHeadersFootersAndUnsplitBands) {
    std::vector<std::pair<QString, QString>> rows;
    for (int i = 0; i < 60; ++i)
        rows.push_back({i < 30 ? "A" : "B", QString::number(i)});
    BandReport r(rows, 13);
    const Document doc = r.report.layout();
    ASSERT_GE(doc.pages.size(), 3u);
    int details = 0;
    for (int p = 0; p < int(doc.pages.size()); ++p) {
        const QStringList t = texts(doc, p);
        EXPECT_EQ(t.first(), "PAGEHEAD") << p;
        EXPECT_EQ(t[1], "COLHEAD") << p;
        EXPECT_EQ(t.last(), QString("PAGE %1").arg(p + 1));
        details += int(t.filter("DETAIL ").size());
        // A detail and its child band are never separated, and nothing runs into the footer.
        for (int i = 0; i < t.size(); ++i)
            if (t[i].startsWith("DETAIL ")) {
                EXPECT_EQ(t.value(i + 2), "CHILD") << p;
            }
        for (const PlacedItem& item : doc.pages[size_t(p)])
            if (!item.text.startsWith("PAGE ")) {
                EXPECT_LE(item.rect.top() + 5, 297 - 10 - 12 + 0.01) << p;
            }
    }
    EXPECT_EQ(details, 60);
}

TEST(Engine, ExportsWriteEveryBandAsARow) {
    BandReport r({{"A", "a1"}, {"B", "b1"}});
    const Document doc = r.report.layout();
    const QStringList lines = toPlainText(doc).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines[3], "DETAIL a1\tx,\"y\"");
    const QStringList csv = toCsv(doc).split("\r\n", Qt::SkipEmptyParts);
    EXPECT_EQ(csv[0], "PAGEHEAD");
    EXPECT_EQ(csv[3], "DETAIL a1,\"x,\"\"y\"\"\"");
    EXPECT_EQ(csv.last(), "PAGE 1");

    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(saveDocument(doc, dir.filePath("r.xlsx"), &error)) << error.toStdString();
    QFile x(dir.filePath("r.xlsx"));
    ASSERT_TRUE(x.open(QIODevice::ReadOnly));
    EXPECT_TRUE(x.read(2) == "PK"); // a zip package
    QProcess unzip;
    unzip.start("unzip", {"-p", dir.filePath("r.xlsx"), "xl/sharedStrings.xml"});
    ASSERT_TRUE(unzip.waitForFinished(10000));
    const QString strings = QString::fromUtf8(unzip.readAllStandardOutput());
    EXPECT_TRUE(strings.contains("<t>DETAIL a1</t>")) << strings.toStdString();
    EXPECT_TRUE(strings.contains("<t>PAGE 1</t>"));
    ASSERT_TRUE(saveDocument(doc, dir.filePath("R.CSV"), &error));
    EXPECT_FALSE(saveDocument(doc, dir.filePath("r.doc"), &error));
    EXPECT_TRUE(error.contains("Unknown report format"));
    EXPECT_FALSE(saveDocument(doc, dir.filePath("missing/r.pdf"), &error));
    EXPECT_FALSE(saveDocument(doc, dir.filePath("missing/r.xlsx"), &error));
}

TEST(Engine, PicturesAreScaledAndCentredOrStretchedOnAnyDevice) {
    Report report;
    report.page.size = QSizeF(100, 100);
    auto red = std::make_shared<QImage>(40, 20, QImage::Format_RGB32);
    red->fill(Qt::red);
    Band& b = report.add(BandKind::Detail, 40);
    b.picture({0, 0, 40, 40}, red); // kept 2 : 1, centred in the box
    b.picture({40, 0, 40, 40}, red, /*stretch*/ true);
    const Document doc = report.layout();
    QImage page(200, 200, QImage::Format_RGB32); // 2 pixels to the mm
    page.fill(Qt::white);
    {
        QPainter p(&page);
        paintPage(p, page, doc, 0);
    }
    auto isRed = [&](int x, int y) { return page.pixelColor(x, y) == QColor(Qt::red); };
    // Margins of 10 mm: the first box spans x 20..100, y 20..100 pixels; the picture its middle
    // half.
    EXPECT_FALSE(isRed(60, 25));
    EXPECT_TRUE(isRed(60, 60));
    EXPECT_TRUE(isRed(22, 45));
    EXPECT_FALSE(isRed(60, 95));
    EXPECT_TRUE(isRed(140, 25));
    EXPECT_TRUE(isRed(140, 95));
}
