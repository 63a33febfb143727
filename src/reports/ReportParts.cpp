#include "ReportParts.h"

#include "compliance/Storeys.h"

#include <algorithm>
#include <numeric>

#include "data/Paths.h"
#include "store/DataSet.h"
#include "store/DisplayFormat.h"

#include <QDateTime>

namespace reports {

QFont reportFont(double points, bool bold, bool italic, bool underline) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    // No ligatures, so that the text taken from a PDF reads as printed.
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

std::function<QString()> bound(store::DataSet& ds, const QString& field, const QString& picture) {
    return [&ds, field, picture]() -> QString {
        if (!ds.active() || (ds.isEmpty() && !ds.editing())) return QString();
        const store::Field f = ds.fieldByName(field);
        if (picture.isEmpty() || f.isNull()) return f.displayText();
        return store::formatNumber(f.asFloat(), picture);
    };
}

std::shared_ptr<QImage> loadPicture(const QString& workDir, const QString& relativePath) {
    auto image = std::make_shared<QImage>();
    const QString file = data::resolvePicture(workDir, relativePath);
    if (!file.isEmpty()) image->load(file);
    return image;
}

Band& addPageHeader(Report& report, store::DataSet& project, const QString& workDir,
                    const QString& title, const QString& refCaption, double height) {
    Band& b = report.add(BandKind::PageHeader, height);
    const QFont plain = reportFont(9), bold = reportFont(9, true);
    const double logoW = pxToMm(160), logoH = pxToMm(80);
    const double right = report.page.contentWidth() - logoW - 2;
    b.label({0, 0, right - 50, 8}, title, reportFont(13, true));
    b.label({right - 50, 0, 16, 6}, QStringLiteral("Printed :"), bold,
            Qt::AlignRight | Qt::AlignVCenter);
    const QString printed =
        QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
    b.label({right - 33, 0, 33, 6}, printed, reportFont(8));
    const struct {
        QString caption;
        const char* field;
        double x, y, captionW;
    } rows[] = {
        {refCaption, "Project_Ref", 0, 11, 30},
        {QStringLiteral("Project Date :"), "Project_Date", 86, 11, 26},
        {QStringLiteral("Project Name :"), "Project_Name", 0, 17, 30},
        {QStringLiteral("Designed By :"), "Designed_By", 86, 17, 26},
    };
    for (const auto& r : rows) {
        b.label({r.x, r.y, r.captionW, 5}, r.caption, bold);
        const double x = r.x + r.captionW + 2;
        b.value({x, r.y, (r.x == 0 ? 86 : right) - x - 1, 5},
                bound(project, QString::fromLatin1(r.field)), plain);
    }
    auto logo = std::make_shared<QImage>();
    b.picture({report.page.contentWidth() - logoW, 0, logoW, logoH}, logo);
    // The logo is looked for afresh on every page header.
    b.beforePrint = [logo, workDir] {
        *logo = QImage();
        const QString file = data::resolvePicture(workDir, QStringLiteral("Images/CompanyLogo.jpg"));
        if (!file.isEmpty()) logo->load(file);
        return true;
    };
    b.line(height - 1, 0, report.page.contentWidth());
    return b;
}

void storeyOrderedSource(Report& report, store::DataSet& rows) {
    auto order = std::make_shared<std::vector<int>>();
    auto at = std::make_shared<size_t>(0);
    report.data.first = [&rows, order, at] {
        const int floor = rows.fieldIndex(QStringLiteral("Floor"));
        std::vector<QString> codes;
        for (int i = 0; i < rows.recordCount(); ++i)
            codes.push_back(rows.rowAt(i)[size_t(floor)].toString());
        order->resize(codes.size());
        std::iota(order->begin(), order->end(), 0);
        std::stable_sort(order->begin(), order->end(), [&codes](int a, int b) {
            return compliance::storeyLess(codes[size_t(a)], codes[size_t(b)]);
        });
        *at = 0;
        if (!order->empty()) rows.moveTo(order->front());
    };
    report.data.eof = [order, at] { return *at >= order->size(); };
    report.data.next = [&rows, order, at] {
        if (++*at < order->size()) rows.moveTo((*order)[*at]);
    };
    report.data.groupKey = [&rows] { return rows.fieldByName(QStringLiteral("Floor")).asString(); };
}

void addPageFooter(Report& report, const QString& workDir) {
    Band& b = report.add(BandKind::PageFooter, 18);
    const double w = report.page.contentWidth();
    b.line(1, 0, w);
    b.picture({0, 2.5, pxToMm(286), pxToMm(60)},
              loadPicture(workDir, QStringLiteral("Images/FooterLogo.jpg")), true);
    b.picture({88, 3, 22, 14}, loadPicture(workDir, QStringLiteral("Images/FooterBadge1.jpg")));
    b.picture({114, 3, 22, 14}, loadPicture(workDir, QStringLiteral("Images/FooterBadge2.jpg")));
    b.label({w - 48, 4, 48, 5}, QStringLiteral("Quorvex Version 5.0"), reportFont(8, true),
            Qt::AlignRight | Qt::AlignVCenter);
    b.label({w - 48, 10, 30, 5}, QStringLiteral("Page :"), reportFont(8),
            Qt::AlignRight | Qt::AlignVCenter);
    b.value(
        {w - 17, 10, 17, 5}, [&report] { return QString::number(report.pageNumber()); },
        reportFont(8));
}

} // namespace reports
