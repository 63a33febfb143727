#include "ElevationOutput.h"

#include "ElevationPainter.h"
#include "Output.h"

#include <QBuffer>
#include <memory>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

namespace reports {

namespace {

constexpr double kHeader = 13.0; // project sheet: title lines above the drawings
constexpr double kFooter = 6.0;
constexpr double kGap = 4.0;
constexpr int kPdfResolution = 300;
constexpr double kSvgDpi = 96.0;
constexpr double kPngDpi = 150.0;

void border(QPainter& p, const QSizeF& paper, double unit) {
    p.save();
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 0.25 * unit));
    p.setBrush(Qt::NoBrush);
    const double m = SheetMargin - 3;
    p.drawRect(QRectF(m * unit, m * unit, (paper.width() - 2 * m) * unit,
                      (paper.height() - 2 * m) * unit));
    p.restore();
}

// Landscape A4 or A3 pages without margins: the drawing keeps its own.
void setUpPdf(QPdfWriter& pdf, bool a3, const QString& title) {
    pdf.setResolution(kPdfResolution);
    pdf.setPageLayout(QPageLayout(QPageSize(a3 ? QPageSize::A3 : QPageSize::A4),
                                  QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
    pdf.setTitle(title);
    pdf.setCreator(QStringLiteral("Quorvex U-Value Calculator"));
}

QString sheetTitle(const ElevationSource& s) {
    return QStringLiteral("Elevation %1 (design %2)").arg(s.designRef.trimmed()).arg(s.designNo);
}

// A design as the project sheet titles it: the page header names the project.
ElevationSource sheetDesign(ElevationSource s) {
    s.projectRef.clear();
    return s;
}

ElevationStyle sheetStyle(int ratio, double unit) {
    ElevationStyle style;
    style.unit = unit;
    style.ratio = ratio;
    style.compactTitle = true;
    return style;
}

} // namespace

QSizeF a4Landscape() {
    return QSizeF(297, 210);
}
QSizeF a3Landscape() {
    return QSizeF(420, 297);
}

int sheetRatio(const ElevationSource& source, const QSizeF& paper) {
    return fittingRatio(elevationGeometry(source),
                        QSizeF(paper.width() - 2 * SheetMargin, paper.height() - 2 * SheetMargin));
}

void paintElevationSheet(QPainter& p, const ElevationSource& source, double unit,
                         const QSizeF& paper) {
    border(p, paper, unit);
    ElevationStyle style;
    style.unit = unit;
    style.ratio = sheetRatio(source, paper);
    style.showRatio = true;
    paintElevation(p, source,
                   QRectF(SheetMargin * unit, SheetMargin * unit,
                          (paper.width() - 2 * SheetMargin) * unit,
                          (paper.height() - 2 * SheetMargin) * unit),
                   style);
}

void appendElevationPage(Document& doc, const ElevationSource& source) {
    const QSizeF paper = doc.page.size;
    doc.drawnPages.push_back(
        [source, paper](QPainter& p, double unit) { paintElevationSheet(p, source, unit, paper); });
}

QByteArray elevationSvg(const ElevationSource& source) {
    const double unit = kSvgDpi / 25.4;
    const QSizeF paper = a4Landscape();
    const QSize size(int(std::lround(paper.width() * unit)),
                     int(std::lround(paper.height() * unit)));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setResolution(int(kSvgDpi));
    svg.setTitle(sheetTitle(source));
    svg.setDescription(QStringLiteral("Quorvex U-Value Calculator"));
    QPainter p(&svg);
    paintElevationSheet(p, source, unit);
    p.end();
    return buffer.data();
}

QByteArray elevationPdf(const ElevationSource& source) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        setUpPdf(pdf, false, sheetTitle(source));
        QPainter p(&pdf);
        paintElevationSheet(p, source, kPdfResolution / 25.4);
    }
    return buffer.data();
}

bool saveElevation(const ElevationSource& source, const QString& file, QString* error) {
    const QString ending = QFileInfo(file).suffix().toLower();
    if (ending == QLatin1String("svg")) return writeFileSafely(elevationSvg(source), file, error);
    if (ending == QLatin1String("pdf")) return writeFileSafely(elevationPdf(source), file, error);
    if (ending == QLatin1String("png")) {
        const double unit = kPngDpi / 25.4;
        const QSizeF paper = a4Landscape();
        QImage image(int(std::lround(paper.width() * unit)),
                     int(std::lround(paper.height() * unit)), QImage::Format_RGB32);
        image.fill(Qt::white);
        image.setDotsPerMeterX(int(std::lround(kPngDpi / 0.0254)));
        image.setDotsPerMeterY(image.dotsPerMeterX());
        {
            QPainter p(&image);
            paintElevationSheet(p, source, unit);
        }
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return writeFileSafely(bytes, file, error);
    }
    if (error)
        *error = QStringLiteral("Unknown drawing format \"%1\": use .svg, .pdf or .png").arg(file);
    return false;
}

SheetLayout layoutProjectSheet(const std::vector<ElevationSource>& designs,
                               const ProjectSheet& sheet) {
    SheetLayout layout;
    layout.paper = sheet.a3 ? a3Landscape() : a4Landscape();
    const QRectF content(SheetMargin, SheetMargin + kHeader, layout.paper.width() - 2 * SheetMargin,
                         layout.paper.height() - 2 * SheetMargin - kHeader - kFooter);
    std::vector<ElevationGeometry> geometry;
    for (const ElevationSource& s : designs)
        geometry.push_back(elevationGeometry(s));

    layout.ratio = sheet.ratio;
    if (layout.ratio <= 0) {
        // One scale for all: the largest at which every design fits a quarter
        // of the page, or failing that the whole page.
        const QSizeF quarter(content.width() / 2 - kGap, content.height() / 2 - kGap);
        for (const QSizeF& room : {quarter, content.size()}) {
            int ratio = 0;
            for (const ElevationGeometry& g : geometry) {
                const int r = fittingRatio(g, room);
                if (r == 0) {
                    ratio = 0;
                    break;
                }
                ratio = std::max(ratio, r);
            }
            if (ratio > 0 || designs.empty()) {
                layout.ratio = std::max(ratio, 1);
                break;
            }
        }
        if (layout.ratio <= 0) layout.ratio = 500;
    }

    // Rows of drawings from left to right, a new page when a row is full.
    std::vector<SheetPlacement> page;
    double x = content.left(), y = content.top(), rowHeight = 0;
    for (size_t i = 0; i < designs.size(); ++i) {
        QSizeF need = elevationPaperSize(geometry[i], layout.ratio);
        // Wide enough for the title too, which names the design.
        const double title =
            elevationTitleWidth(sheetDesign(designs[i]), sheetStyle(layout.ratio, 1));
        need =
            QSizeF(std::min(std::max(need.width(), title + 2 * DrawingMargin + 1), content.width()),
                   std::min(need.height(), content.height()));
        if (x > content.left() && x + need.width() > content.right() + 1e-9) {
            x = content.left();
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        if (y > content.top() && y + need.height() > content.bottom() + 1e-9) {
            layout.pages.push_back(std::move(page));
            page.clear();
            x = content.left();
            y = content.top();
            rowHeight = 0;
        }
        page.push_back({i, QRectF(QPointF(x, y), need)});
        x += need.width() + kGap;
        rowHeight = std::max(rowHeight, need.height());
    }
    if (!page.empty() || layout.pages.empty()) layout.pages.push_back(std::move(page));
    return layout;
}

void paintProjectSheetPage(QPainter& p, const std::vector<ElevationSource>& designs,
                           const ProjectSheet& sheet, const SheetLayout& layout, size_t page,
                           double unit) {
    border(p, layout.paper, unit);
    int windows = 0;
    for (const ElevationSource& s : designs)
        windows += std::max(s.quantity, 0);
    p.save();
    p.setPen(QColor(0x20, 0x20, 0x20));
    const double left = SheetMargin * unit, right = (layout.paper.width() - SheetMargin) * unit;
    p.setFont(elevationFont(4.2, unit));
    const QString head =
        QStringLiteral("%1  %2").arg(sheet.projectRef, sheet.projectName.trimmed());
    p.drawText(QPointF(left, (SheetMargin + 5) * unit), head.trimmed());
    p.setFont(elevationFont(2.8, unit));
    p.drawText(QPointF(left, (SheetMargin + 10) * unit),
               QStringLiteral("Elevations  ·  %1 designs, %2 windows  ·  Scale 1:%3 on %4")
                   .arg(designs.size())
                   .arg(windows)
                   .arg(layout.ratio)
                   .arg(sheet.a3 ? QStringLiteral("A3") : QStringLiteral("A4")));
    const QString pageText = QStringLiteral("Page %1 of %2").arg(page + 1).arg(layout.pages.size());
    const QFontMetricsF fm(p.font());
    p.drawText(QPointF(right - fm.horizontalAdvance(pageText),
                       (layout.paper.height() - SheetMargin - 1) * unit),
               pageText);
    p.restore();

    if (page >= layout.pages.size()) return;
    const ElevationStyle style = sheetStyle(layout.ratio, unit);
    for (const SheetPlacement& at : layout.pages[page]) {
        const ElevationSource s = sheetDesign(designs[at.design]);
        const QRectF area(at.area.x() * unit, at.area.y() * unit, at.area.width() * unit,
                          at.area.height() * unit);
        p.save();
        p.setClipRect(area);
        paintElevation(p, s, area, style);
        p.restore();
    }
}

Document projectSheetDocument(const std::vector<ElevationSource>& designs, const ProjectSheet& sheet) {
    Document doc;
    doc.title = QStringLiteral("Elevations %1").arg(sheet.projectRef);
    auto shared = std::make_shared<const std::pair<std::vector<ElevationSource>, SheetLayout>>(
        designs, layoutProjectSheet(designs, sheet));
    doc.page.size = shared->second.paper;
    for (size_t i = 0; i < shared->second.pages.size(); ++i)
        doc.drawnPages.push_back([shared, sheet, i](QPainter& p, double unit) {
            paintProjectSheetPage(p, shared->first, sheet, shared->second, i, unit);
        });
    return doc;
}

bool saveProjectSheet(const std::vector<ElevationSource>& designs, const ProjectSheet& sheet,
                      const QString& file, QString* error) {
    if (QFileInfo(file).suffix().toLower() != QLatin1String("pdf")) {
        if (error) *error = QStringLiteral("The project sheet is written as .pdf: %1").arg(file);
        return false;
    }
    const SheetLayout layout = layoutProjectSheet(designs, sheet);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        setUpPdf(pdf, sheet.a3, QStringLiteral("Elevations %1").arg(sheet.projectRef));
        QPainter p(&pdf);
        for (size_t i = 0; i < layout.pages.size(); ++i) {
            if (i > 0) pdf.newPage();
            paintProjectSheetPage(p, designs, sheet, layout, i, kPdfResolution / 25.4);
        }
    }
    return writeFileSafely(buffer.data(), file, error);
}

} // namespace reports
